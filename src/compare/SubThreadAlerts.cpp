#include "compare/SubThreadAlerts.h"

#include "compare/FolderCompareState.h"
#include "platform/Alerts.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"

#include <QCoreApplication>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace {

struct Pending
{
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    long code = 0;
};

std::mutex &delegateMutex()
{
    static std::mutex m;
    return m;
}

SubThreadAlertDelegate &delegateSlot()
{
    static SubThreadAlertDelegate d;
    return d;
}

SubThreadAlertDelegate currentDelegate()
{
    std::lock_guard lock(delegateMutex());
    return delegateSlot();
}

int showNow(const platform::AlertRequest &request)
{
    GUARD_BEGIN
    return platform::runAlert(request);
    GUARD_END(0)
}

// The answer the delegate appended; nothing when the last element is not a number.
std::optional<long> appendedAnswer(const QVariantList &args)
{
    if (args.isEmpty())
        return std::nullopt;
    switch (args.last().typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return long(args.last().toLongLong());
    default:
        return std::nullopt;
    }
}

// Runs ask on the main thread while the worker waits (looking at cancel) for its answer. The
// wait is given up, answering noAnswer, when the job is cancelled or the application ends: the
// main thread may be waiting for this worker meanwhile.
long askOnMainThread(std::function<long()> ask, const std::atomic<bool> *cancel, long noAnswer)
{
    // The main thread may need the folder compare's lock before it can serve the question.
    Q_ASSERT_X(!FolderCompareState_LockHeldByThisThread(), "askOnMainThread",
               "a worker asks the user while holding the folder compare's lock");
    if (!QCoreApplication::instance() || (cancel && cancel->load()))
        return noAnswer;
    auto pending = std::make_shared<Pending>();
    {
        std::lock_guard lock(pending->mutex);
        pending->code = noAnswer;
    }
    platform::performOnMainThread(
        [pending, ask = std::move(ask), noAnswer] {
            long code = noAnswer;
            GUARD_BEGIN
            code = ask();
            PELKO_GUARD_CATCH
            std::lock_guard lock(pending->mutex);
            pending->code = code;
            pending->done = true;
            pending->answered.notify_all();
        },
        false);
    std::unique_lock lock(pending->mutex);
    while (!pending->done) {
        if (cancel && cancel->load())
            return noAnswer;
        if (QCoreApplication::closingDown())
            return noAnswer;
        pending->answered.wait_for(lock, std::chrono::milliseconds(100));
    }
    return pending->code;
}

long panelCode(int alertCode)
{
    switch (alertCode) {
    case platform::AlertFirstButtonReturn:
        return kAlertPanelDefault;
    case platform::AlertSecondButtonReturn:
        return kAlertPanelAlternate;
    case platform::AlertThirdButtonReturn:
        return kAlertPanelOther;
    default:
        return kAlertPanelNoAnswer;
    }
}

} // namespace

void SetSubThreadAlertDelegate(SubThreadAlertDelegate delegate)
{
    std::lock_guard lock(delegateMutex());
    delegateSlot() = std::move(delegate);
}

long ShowMessage2_from_sub_thread(const QString &message, const QString &informativeText,
                                  const QString &button1, const QString &button2,
                                  const QString &button3, const QString &button4,
                                  const QString &button5, const std::atomic<bool> *cancel)
{
    GUARD_BEGIN
    if (message.isEmpty() && informativeText.isEmpty()) {
        REPORT_FATAL();
        return 0;
    }
    const SubThreadAlertDelegate delegate = currentDelegate();
    if (!platform::isMainThread() && delegate.showMessage2) {
        QVariantList args;
        for (const QString &s :
             {message, informativeText, button1, button2, button3, button4, button5})
            args.append(s.isNull() ? QStringLiteral("") : s);
        return askOnMainThread(
            [args, run = delegate.showMessage2]() mutable -> long {
                run(args);
                const std::optional<long> answer = appendedAnswer(args);
                if (!answer)
                    REPORT_FATAL();
                return answer.value_or(0);
            },
            cancel, 0);
    }
    platform::AlertRequest request;
    request.title = message.isEmpty() ? QStringLiteral(" ") : message;
    request.text = informativeText.isEmpty() ? QStringLiteral(" ") : informativeText;
    for (const QString &b : {button1, button2, button3, button4, button5})
        if (!b.isEmpty())
            request.buttons.append(b);
    request.cancelIndex = request.buttons.isEmpty() ? 0 : int(request.buttons.size()) - 1;
    if (platform::isMainThread())
        return showNow(request);
    return askOnMainThread([request]() -> long { return showNow(request); }, cancel, 0);
    GUARD_END(0)
}

long NSRunAlertPanel_from_sub_thread(const QString &title, const QString &message,
                                     const QString &defaultButton, const QString &alternateButton,
                                     const QString &otherButton, const std::atomic<bool> *cancel)
{
    GUARD_BEGIN
    const SubThreadAlertDelegate delegate = currentDelegate();
    if (!platform::isMainThread() && delegate.alertPanel) {
        QVariantList args{title.isNull() ? QStringLiteral("") : title,
                          message.isNull() ? QStringLiteral("") : message,
                          defaultButton.isNull() ? QStringLiteral("") : defaultButton};
        if (!alternateButton.isNull()) {
            args.append(alternateButton);
            if (!otherButton.isNull())
                args.append(otherButton);
        }
        return askOnMainThread(
            [args, run = delegate.alertPanel]() mutable -> long {
                run(args);
                return appendedAnswer(args).value_or(kAlertPanelNoAnswer);
            },
            cancel, kAlertPanelNoAnswer);
    }
    platform::AlertRequest request;
    request.title = title;
    request.text = message;
    request.buttons.append(defaultButton.isEmpty() ? QStringLiteral("OK") : defaultButton);
    if (!alternateButton.isEmpty()) {
        request.buttons.append(alternateButton);
        if (!otherButton.isEmpty())
            request.buttons.append(otherButton);
    }
    request.cancelIndex = int(request.buttons.size()) - 1;
    if (platform::isMainThread())
        return panelCode(showNow(request));
    return askOnMainThread([request]() -> long { return panelCode(showNow(request)); }, cancel,
                           kAlertPanelNoAnswer);
    GUARD_END(kAlertPanelNoAnswer)
}
