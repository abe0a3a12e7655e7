#include "layers/EventWaits.h"

#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/Sheets.h"
#include "services/Alerts.h"
#include "services/Localization.h"
#include "services/Utility.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <mutex>
#include <optional>

namespace {

constexpr double kRepeatInterval = 0.7;

struct RepeatGuard
{
    std::mutex lock;
    std::function<double()> clock;
    std::optional<double> last; // nothing until the first call
};

RepeatGuard &repeatGuard()
{
    static RepeatGuard guard;
    return guard;
}

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Runs a local event loop until accept() takes an event of the window (the event is consumed
// when it answers true) or the window goes away. Answers whether an event ended the wait.
class WindowWait : public QObject
{
public:
    // What the filter makes of an event of the window: ignore it, consume it, or consume it and
    // end the wait.
    enum class Verdict { Ignore, Consume, Finish };

    WindowWait(QWidget *window, std::function<Verdict(QEvent *)> accept)
        : mWindow(window), mAccept(std::move(accept))
    {}

    bool run()
    {
        if (!mWindow || !mWindow->isVisible())
            return false;
        connect(mWindow, &QObject::destroyed, &mLoop, [this] { mLoop.exit(0); });
        qApp->installEventFilter(this);
        const int code = mLoop.exec();
        qApp->removeEventFilter(this);
        return code == 1;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Events already queued are still delivered after the loop was told to end: the wait
        // takes only the first.
        if (!mWindow || mFinished)
            return false;
        if (watched == mWindow &&
            (event->type() == QEvent::Close || event->type() == QEvent::Hide)) {
            mFinished = true;
            mLoop.exit(0);
            return false;
        }
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != mWindow->window())
            return false;
        switch (mAccept(event)) {
        case Verdict::Ignore:
            return false;
        case Verdict::Consume:
            return true;
        case Verdict::Finish:
            mFinished = true;
            mLoop.exit(1);
            return true;
        }
        return false;
    }

private:
    QPointer<QWidget> mWindow;
    std::function<Verdict(QEvent *)> mAccept;
    QEventLoop mLoop;
    bool mFinished = false;
};

bool isButtonRelease(const QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto button = static_cast<const QMouseEvent *>(event)->button();
    return button == Qt::LeftButton || button == Qt::RightButton;
}

} // namespace

bool IsFastRepeatCall()
{
    RepeatGuard &guard = repeatGuard();
    std::lock_guard<std::mutex> locked(guard.lock);
    const double now = guard.clock ? guard.clock() : steadySeconds();
    if (!guard.last || *guard.last > now || now - *guard.last > kRepeatInterval) {
        guard.last = now;
        return false;
    }
    return true;
}

void SetFastRepeatCallClock(std::function<double()> clock)
{
    RepeatGuard &guard = repeatGuard();
    std::lock_guard<std::mutex> locked(guard.lock);
    guard.clock = std::move(clock);
    guard.last.reset();
}

bool ProcessEventForWindowToCheckIfESCWasPress(QWidget *window)
{
    GUARD_BEGIN
    if (!window)
        return false;
    bool escape = false;
    WindowWait wait(window, [&escape](QEvent *event) {
        if (event->type() != QEvent::KeyRelease)
            return WindowWait::Verdict::Ignore;
        escape = GetKeyCharFromEvent(static_cast<QKeyEvent *>(event)) == 27 ||
                 static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
        return WindowWait::Verdict::Finish;
    });
    if (!wait.run() || !escape)
        return false;
    platform::Log(QStringLiteral("ProcessEventForWindowToCheckIfESCWasPress -> true"));
    return true;
    GUARD_END(false)
}

void WaitTilMouseUp(QWidget *window, QEvent *event)
{
    GUARD_BEGIN
    if (!window || !event || isButtonRelease(event))
        return;
    WindowWait wait(window, [](QEvent *e) {
        if (isButtonRelease(e))
            return WindowWait::Verdict::Finish;
        if (e->type() == QEvent::MouseMove &&
            (static_cast<QMouseEvent *>(e)->buttons() & Qt::LeftButton))
            return WindowWait::Verdict::Consume;
        return WindowWait::Verdict::Ignore;
    });
    wait.run();
    GUARD_END_VOID
}

void ShowMessage_ForSheet(QWidget *window, const QString &title, const QString &text)
{
    GUARD_BEGIN
    if (!window) {
        ShowMessage2(title, text, L_(QStringLiteral("OK")));
        return;
    }
    if (title.isEmpty() && text.isEmpty())
        return;
    auto *box = new QMessageBox(window);
    box->setIcon(QMessageBox::Warning);
    box->setText(title.isEmpty() ? QStringLiteral(" ") : title);
    box->setInformativeText(text.isEmpty() ? QStringLiteral(" ") : text);
    box->addButton(L_(QStringLiteral("OK")), QMessageBox::AcceptRole);
    QPointer<QObject> guarded(box);
    if (!platform::beginSheet(window, box, [guarded](int) {
            if (guarded)
                guarded->deleteLater();
        }))
        delete box;
    GUARD_END_VOID
}
