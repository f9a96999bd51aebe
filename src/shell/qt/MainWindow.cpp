#include "shell/qt/MainWindow.h"

#include "shell/CommandGuard.h"
#include "shell/qt/Bindings.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QVBoxLayout>

namespace kemvo::qt {
namespace {

// Closing a child or tool window only hides its model: windows live for the whole run.
class HidingFilter : public QObject {
public:
    HidingFilter(Form &form, QObject *parent) : QObject(parent), form_(form) {}
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Close) {
            event->ignore();
            form_.hide();
            return true;
        }
        return false;
    }

private:
    Form &form_;
};

} // namespace

MainWindow::MainWindow(Application &app, ViewRegistry views, QWidget *parent)
    : QMainWindow(parent), app_(app), views_(std::move(views)), mdi_(new QMdiArea(this)) {
    setWindowTitle(toQt(app.mainWindow().caption()));
    setCentralWidget(mdi_);
    mdi_->setBackground(QColor(128, 128, 128));
    buildMenuBar();
    for (Form *form : app.forms())
        if (form != &app.mainWindow())
            followVisibility(*form);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *window) {
        if (showing_ || window == nullptr)
            return;
        for (auto &[form, frame] : frames_)
            if (frame == window)
                runUserAction(app_, [f = const_cast<Form *>(form)] { f->activate(); });
    });
    resize(1100, 760);
}

QWidget *MainWindow::viewOf(const Form &form) const {
    auto found = contents_.find(&form);
    return found == contents_.end() ? nullptr : found->second;
}

void MainWindow::buildMenuBar() {
    for (MenuEntry *title : app_.mainWindow().menuBar()) {
        QMenu *menu = menuBar()->addMenu(toQt(title->caption()));
        menu->setObjectName(toQt(title->name()));
        QPointer<QMenu> guard(menu);
        auto update = [guard, title] {
            if (guard)
                guard->menuAction()->setEnabled(title->enabled());
        };
        update();
        title->changed.connect(update);
        fillMenu(menu, *title);
    }
}

void MainWindow::fillMenu(QMenu *menu, MenuEntry &entry) {
    for (MenuEntry *child : entry.children()) {
        if (child->isSeparator()) {
            menu->addSeparator();
        } else if (!child->children().empty()) {
            QMenu *submenu = menu->addMenu(toQt(child->caption()));
            submenu->setObjectName(toQt(child->name()));
            fillMenu(submenu, *child);
        } else {
            QAction *action = menu->addAction(toQt(child->caption()));
            action->setObjectName(toQt(child->name()));
            QPointer<QAction> guard(action);
            auto update = [guard, child] {
                if (guard)
                    guard->setEnabled(child->enabled());
            };
            update();
            child->changed.connect(update);
            connect(action, &QAction::triggered, this,
                    [this, child] { runUserAction(app_, [child] { child->click(); }); });
        }
    }
}

void MainWindow::followVisibility(Form &form) {
    form.visibilityChanged.connect([this, &form] {
        if (form.visible()) {
            showView(form);
        } else if (auto found = frames_.find(&form); found != frames_.end()) {
            found->second->hide();
        }
    });
}

void MainWindow::showView(Form &form) {
    QWidget *frame = frames_.count(&form) ? frames_[&form] : createView(form);
    if (frame == nullptr)
        return;
    showing_ = true;
    frame->show();
    frame->raise();
    if (auto *sub = qobject_cast<QMdiSubWindow *>(frame))
        mdi_->setActiveSubWindow(sub);
    else
        frame->activateWindow();
    showing_ = false;
}

QWidget *MainWindow::createView(Form &form) {
    const ViewEntry *entry = views_.find(form.name());
    if (entry == nullptr)
        return nullptr;
    QWidget *content = entry->create(app_, form);
    content->setWindowTitle(toQt(form.caption()));
    contents_[&form] = content;
    QWidget *frame = nullptr;
    if (entry->placement == Placement::MdiChild) {
        frame = mdi_->addSubWindow(content);
    } else {
        content->setParent(this, form.modal() ? Qt::Dialog : Qt::Tool);
        if (form.modal())
            content->setWindowModality(Qt::ApplicationModal);
        frame = content;
    }
    frame->installEventFilter(new HidingFilter(form, frame));
    frames_[&form] = frame;
    return frame;
}

} // namespace kemvo::qt
