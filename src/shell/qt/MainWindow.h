#pragma once
// The multiple-document main window: the menu bar of the main window model, and the child
// and tool windows that appear when their models are shown.

#include "shell/Application.h"
#include "shell/qt/ViewRegistry.h"

#include <QMainWindow>

#include <map>
#include <set>

class QEventLoop;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace kemvo::qt {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Application &app, ViewRegistry views, QWidget *parent = nullptr);
    QMdiArea *mdiArea() const { return mdi_; }
    // The view of a window model, or nullptr before it was first shown.
    QWidget *viewOf(const Form &form) const;
    // Shows the window as a modal dialog and returns when it is hidden again (OK, Cancel,
    // Esc or closing it).
    void runDialog(Form &form);

private:
    void buildMenuBar();
    void addWindowMenu();
    void fillMenu(QMenu *menu, MenuEntry &entry);
    void followVisibility(Form &form);
    void showView(Form &form);
    QWidget *createView(Form &form);
    QWidget *toolWindow(Form &form, QWidget *content, bool dialog);

    Application &app_;
    ViewRegistry views_;
    QMdiArea *mdi_;
    std::map<const Form *, QWidget *> frames_; // the sub-window or tool window of each model
    std::map<const Form *, QWidget *> contents_;
    bool showing_ = false;
    std::set<const Form *> dialogs_;   // windows whose hiding ends a dialog
    QEventLoop *dialogLoop_ = nullptr; // the loop of the dialog that is running
};

} // namespace kemvo::qt
