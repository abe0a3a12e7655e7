#include "platform/WindowController.h"

#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QVariant>

namespace platform {

namespace {
// The window's back reference to its owner; the window never outlives the controller.
constexpr const char *kControllerProperty = "pelkoWindowController";

// The cascading controllers, the one shown last at the end.
std::vector<QPointer<WindowController>> &cascadeOrder()
{
    static std::vector<QPointer<WindowController>> order;
    return order;
}
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
    if (mShouldCascade) {
        if (!w->isVisible())
            cascadeFromShownWindows();
        auto &order = cascadeOrder();
        std::erase_if(order, [this](const QPointer<WindowController> &c) {
            return c.isNull() || c.data() == this;
        });
        order.emplace_back(this);
    }
    w->show();
    w->raise();
    w->activateWindow();
}

QPoint WindowController::cascadedPosition(QPoint from, QSize size, const QRect &screen)
{
    QPoint to = from + QPoint(kCascadeStep, kCascadeStep);
    if (screen.isEmpty())
        return to;
    if (to.x() + size.width() > screen.right() + 1 || to.x() < screen.left())
        to.setX(screen.left());
    if (to.y() + size.height() > screen.bottom() + 1 || to.y() < screen.top())
        to.setY(screen.top());
    return to;
}

void WindowController::cascadeFromShownWindows()
{
    const auto &order = cascadeOrder();
    for (auto it = order.crbegin(); it != order.crend(); ++it) {
        WindowController *other = it->data();
        if (!other || other == this || other->mIsClosing || !other->isWindowLoaded() ||
            !other->mWindow->isVisible())
            continue;
        QWidget *before = other->mWindow;
        // A window that has never shown may still grow to its layout's minimum when it does:
        // the room it needs is the size it will have.
        if (QLayout *layout = mWindow->layout())
            layout->activate();
        const QScreen *screen = before->screen();
        const QRect area = screen ? screen->availableGeometry() : QRect();
        // Offsets and limits are of the frames; the window itself moves by its frame origin.
        const QMargins margins = expectedFrameMargins(mWindow, before);
        QSize frame = mWindow->size().grownBy(margins);
        // A window larger than the screen's free area is made to fit it.
        if (!area.isEmpty() && (frame.width() > area.width() || frame.height() > area.height())) {
            mWindow->resize(frame.boundedTo(area.size()).shrunkBy(margins));
            frame = mWindow->size().grownBy(margins);
        }
        const QPoint to = cascadedPosition(before->frameGeometry().topLeft(), frame, area);
        mWindow->move(to);
        return;
    }
}

QMargins WindowController::expectedFrameMargins(const QWidget *window, const QWidget *like)
{
    const auto marginsOf = [](const QWidget *w) {
        const QRect frame = w->frameGeometry(), inside = w->geometry();
        return QMargins(inside.left() - frame.left(), inside.top() - frame.top(),
                        frame.right() - inside.right(), frame.bottom() - inside.bottom());
    };
    if (!window)
        return {};
    const QMargins own = marginsOf(window);
    // The frame is known once the window manager has framed the window; before that the frame
    // of a shown window stands for it, the window manager drawing the same decorations.
    if (!own.isNull() || !like || !like->isVisible())
        return own;
    return marginsOf(like);
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
