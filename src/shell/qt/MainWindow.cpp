#include "shell/qt/MainWindow.h"

#include "shell/CommandGuard.h"
#include "shell/qt/Bindings.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

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

// A tool window answers Enter with its OK button and Esc by closing without taking its values.
class ToolKeys : public QObject {
public:
    ToolKeys(Form &form, QWidget *window) : QObject(window), form_(form), window_(window) {}
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            form_.hide();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !editingText()) {
            if (QAbstractButton *ok = okButton()) {
                ok->click();
                return true;
            }
        }
        return false;
    }

private:
    bool editingText() const {
        QWidget *focus = window_->focusWidget();
        return qobject_cast<QPlainTextEdit *>(focus) || qobject_cast<QTextEdit *>(focus);
    }
    QAbstractButton *okButton() const {
        for (const char *name : {"OK", "CmdOK"})
            if (auto *button = window_->findChild<QAbstractButton *>(name);
                button != nullptr && button->isVisible() && button->isEnabled())
                return button;
        return nullptr;
    }
    Form &form_;
    QWidget *window_;
};

QRect availableArea(const QWidget *widget) {
    const QScreen *screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// Room a window manager's frame takes around a window: a title bar and borders [px].
const QMargins kFrameRoom(8, 32, 8, 8);

// Places a window wholly on the screen with room for its frame (which is known only once it is
// shown), no larger than the screen's free area allows: where it is if it fits, else centred.
void fitOnScreen(QWidget *window, QSize wanted) {
    QRect area = availableArea(window).marginsRemoved(kFrameRoom);
    QSize size = wanted.boundedTo(area.size());
    QRect placed(window->geometry().topLeft(), size);
    if (!area.contains(placed))
        placed.moveCenter(area.center());
    window->setGeometry(placed);
}

// Moves a window back wholly onto the screen, shrunk to the screen's free area if need be.
void keepOnScreen(QWidget *window) {
    const QRect area = availableArea(window).marginsRemoved(kFrameRoom);
    QRect placed = window->geometry();
    if (area.contains(placed))
        return;
    placed.setSize(placed.size().boundedTo(area.size()));
    placed.moveLeft(std::clamp(placed.left(), area.left(),
                               std::max(area.left(), area.right() - placed.width() + 1)));
    placed.moveTop(std::clamp(placed.top(), area.top(),
                              std::max(area.top(), area.bottom() - placed.height() + 1)));
    window->setGeometry(placed);
}

// A window that grows after it was placed (its content laid out anew, a caption longer) stays
// on the screen.
class OnScreenKeeper : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *window = static_cast<QWidget *>(watched);
        if ((event->type() == QEvent::Resize || event->type() == QEvent::Show) &&
            window->isVisible())
            keepOnScreen(window);
        return false;
    }
};

// A new child window goes where it covers no other shown one: at the top left, beside or
// below another, shrunk to the room there if need be but not below a readable size; where
// there is no such place, where the area cascades it.
void placeChild(QMdiArea *mdi, QMdiSubWindow *child) {
    const QSize smallest(320, 160);
    QRect area = mdi->viewport()->rect();
    QSize wanted = child->sizeHint().boundedTo(area.size());
    std::vector<QRect> taken;
    std::vector<QPoint> candidates{area.topLeft()};
    for (QMdiSubWindow *other : mdi->subWindowList())
        if (other != child && other->isVisible() && !other->isMinimized()) {
            taken.push_back(other->geometry());
            candidates.push_back(other->geometry().topRight() + QPoint(1, 0));
            candidates.push_back(other->geometry().bottomLeft() + QPoint(0, 1));
        }
    for (QPoint at : candidates) {
        QSize room(area.right() - at.x() + 1, area.bottom() - at.y() + 1);
        QRect placed(at, wanted.boundedTo(room));
        bool free = std::none_of(taken.begin(), taken.end(),
                                 [&](const QRect &other) { return other.intersects(placed); });
        if (free && placed.width() >= smallest.width() && placed.height() >= smallest.height()) {
            child->setGeometry(placed);
            return;
        }
    }
    child->resize(wanted);
}

} // namespace

MainWindow::MainWindow(Application &app, ViewRegistry views, QWidget *parent)
    : QMainWindow(parent), app_(app), views_(std::move(views)), mdi_(new QMdiArea(this)) {
    setWindowTitle(toQt(app.mainWindow().caption()));
    setCentralWidget(mdi_);
    mdi_->setBackground(QColor(128, 128, 128));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A maximised plot stays maximised; a report shown beside it comes up as a window.
    mdi_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    buildMenuBar();
    addWindowMenu();
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
    fitOnScreen(this, QSize(1100, 760));
}

void MainWindow::runDialog(Form &form) {
    if (dialogs_.insert(&form).second)
        form.visibilityChanged.connect([this, &form] {
            if (!form.visible() && dialogLoop_ != nullptr)
                dialogLoop_->quit();
        });
    QEventLoop loop;
    QEventLoop *outer = std::exchange(dialogLoop_, &loop);
    form.show();
    if (form.visible())
        loop.exec();
    dialogLoop_ = outer;
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

// The windows menu of a multiple-document window: arrange the children, and bring back any
// window that was closed (closing only hides it).
void MainWindow::addWindowMenu() {
    QMenu *windows = new QMenu(tr("&Window"), this);
    windows->setObjectName("mnuWindow");
    QAction *help = nullptr;
    for (QAction *action : menuBar()->actions())
        if (action->menu() != nullptr && action->menu()->objectName() == "mnuHelp")
            help = action;
    menuBar()->insertMenu(help, windows);
    connect(windows, &QMenu::aboutToShow, this, [this, windows] {
        windows->clear();
        windows->addAction(tr("&Cascade"), mdi_, &QMdiArea::cascadeSubWindows);
        windows->addAction(tr("&Tile"), mdi_, &QMdiArea::tileSubWindows);
        windows->addSeparator();
        for (Form *form : app_.forms()) {
            if (views_.find(form->name()) == nullptr)
                continue;
            QAction *action = windows->addAction(toQt(form->caption()));
            action->setCheckable(true);
            action->setChecked(form->visible());
            connect(action, &QAction::triggered, this,
                    [this, form] { runUserAction(app_, [form] { form->show(); }); });
        }
    });
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
            if (child->name() == "mnuContents")
                action->setShortcut(QKeySequence::HelpContents);
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
    bool first = frames_.count(&form) == 0;
    QWidget *frame = first ? createView(form) : frames_[&form];
    if (frame == nullptr)
        return;
    showing_ = true;
    if (first) {
        if (auto *child = qobject_cast<QMdiSubWindow *>(frame))
            placeChild(mdi_, child);
        else if (qobject_cast<QScrollArea *>(frame) != nullptr)
            fitOnScreen(frame, frame->size()); // sized to its content when it was made
        else
            fitOnScreen(frame, frame->sizeHint());
    }
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
        frame = toolWindow(form, content, entry->placement == Placement::Dialog);
    }
    frame->installEventFilter(new HidingFilter(form, frame));
    frames_[&form] = frame;
    return frame;
}

// A tool window of its own; content larger than the screen scrolls inside it.
QWidget *MainWindow::toolWindow(Form &form, QWidget *content, bool dialog) {
    QWidget *window = content;
    QSize room = availableArea(this).marginsRemoved(kFrameRoom).size();
    QSize wanted = content->sizeHint();
    if (wanted.width() > room.width() || wanted.height() > room.height()) {
        auto *scroll = new QScrollArea;
        scroll->setWidget(content);
        scroll->setWidgetResizable(true);
        scroll->setWindowTitle(content->windowTitle());
        scroll->resize(wanted.boundedTo(room));
        window = scroll;
    }
    const bool modal = form.modal() || dialog;
    window->setParent(this, modal ? Qt::Dialog : Qt::Tool);
    if (modal)
        window->setWindowModality(Qt::ApplicationModal);
    window->installEventFilter(new ToolKeys(form, window));
    window->installEventFilter(new OnScreenKeeper(window));
    return window;
}

} // namespace kemvo::qt
