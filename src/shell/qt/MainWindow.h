#pragma once
// The multiple-document main window: the menu bar of the main window model, and the child
// and tool windows that appear when their models are shown.

#include "shell/Application.h"
#include "shell/qt/ViewRegistry.h"

#include <QMainWindow>

#include <map>

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

private:
    void buildMenuBar();
    void addWindowMenu();
    void fillMenu(QMenu *menu, MenuEntry &entry);
    void followVisibility(Form &form);
    void showView(Form &form);
    QWidget *createView(Form &form);
    QWidget *toolWindow(Form &form, QWidget *content);

    Application &app_;
    ViewRegistry views_;
    QMdiArea *mdi_;
    std::map<const Form *, QWidget *> frames_; // the sub-window or tool window of each model
    std::map<const Form *, QWidget *> contents_;
    bool showing_ = false;
};

} // namespace kemvo::qt
