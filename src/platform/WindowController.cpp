#include "platform/WindowController.h"

#include <QEvent>
#include <QVariant>

namespace platform {

namespace {
// The window's back reference to its owner; the window never outlives the controller.
constexpr const char *kControllerProperty = "pelkoWindowController";
} // namespace

WindowController::WindowController(const QString &windowNibName, QObject *parent) : QObject(parent)
{
    setProperty("windowNibName", windowNibName);
}

WindowController::WindowController(QWidget *window, const QString &windowNibName, QObject *parent)
    : WindowController(windowNibName, parent)
{
    setWindow(window);
}

WindowController::~WindowController()
{
    mIsClosing = true;
    if (mWindow) {
        mWindow->removeEventFilter(this);
        delete mWindow.data();
    }
}

QString WindowController::windowNibName() const
{
    return property("windowNibName").toString();
}

QWidget *WindowController::window()
{
    if (!mWindow && !mLoading) {
        // makeWindow() may ask for window() again; it answers nullptr meanwhile.
        mLoading = true;
        QWidget *made = makeWindow();
        mLoading = false;
        if (made)
            setWindow(made);
    }
    return mWindow.data();
}

void WindowController::setWindow(QWidget *window)
{
    if (window == mWindow.data())
        return;
    if (mWindow) {
        mWindow->removeEventFilter(this);
        mWindow->setProperty(kControllerProperty, QVariant());
        delete mWindow.data();
    }
    mWindow = nullptr;
    if (!window)
        return;
    adopt(window);
    windowDidLoad();
    // A window may have been replaced or destroyed by its own windowDidLoad().
    if (mWindow.data() == window) {
        for (const auto &observer : loadObservers())
            observer(window);
    }
}

void WindowController::addLoadObserver(std::function<void(QWidget *)> observer)
{
    if (observer)
        loadObservers().push_back(std::move(observer));
}

std::vector<std::function<void(QWidget *)>> &WindowController::loadObservers()
{
    static std::vector<std::function<void(QWidget *)>> observers;
    return observers;
}

WindowController *WindowController::controllerForWindow(const QWidget *window)
{
    if (!window)
        return nullptr;
    auto *owner =
        qobject_cast<WindowController *>(window->property(kControllerProperty).value<QObject *>());
    return owner && owner->mWindow.data() == window ? owner : nullptr;
}

void WindowController::adopt(QWidget *window)
{
    mWindow = window;
    window->setProperty(kControllerProperty, QVariant::fromValue(static_cast<QObject *>(this)));
    // A top-level window of its own: the controller deletes it, not a parent widget.
    if (window->parentWidget())
        window->setParent(nullptr, window->windowFlags() | Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->installEventFilter(this);
}

void WindowController::showWindow()
{
    QWidget *w = window();
    if (!w)
        return;
    w->show();
    w->raise();
    w->activateWindow();
}

void WindowController::close()
{
    if (mWindow)
        mWindow->close();
}

bool WindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mWindow.data() && event->type() == QEvent::Close && event->isAccepted()) {
        windowWillCloseEvent();
        emit windowWillClose();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
