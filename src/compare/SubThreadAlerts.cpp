#include "compare/SubThreadAlerts.h"

#include "platform/Alerts.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"

#include <QCoreApplication>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

struct Pending
{
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    int code = 0;
};

int showNow(const platform::AlertRequest &request)
{
    GUARD_BEGIN
    return platform::runAlert(request);
    GUARD_END(0)
}

// Shows the alert on the main thread; a worker waits (looking at cancel) for the answer.
int askOnMainThread(const platform::AlertRequest &request, const std::atomic<bool> *cancel)
{
    if (platform::isMainThread())
        return showNow(request);
    if (!QCoreApplication::instance())
        return 0;
    auto pending = std::make_shared<Pending>();
    platform::performOnMainThread(
        [pending, request] {
            const int code = showNow(request);
            std::lock_guard lock(pending->mutex);
            pending->code = code;
            pending->done = true;
            pending->answered.notify_all();
        },
        false);
    std::unique_lock lock(pending->mutex);
    while (!pending->done) {
        if (cancel && cancel->load())
            return 0;
        if (QCoreApplication::closingDown())
            return 0;
        pending->answered.wait_for(lock, std::chrono::milliseconds(100));
    }
    return pending->code;
}

} // namespace

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
    platform::AlertRequest request;
    request.title = message.isEmpty() ? QStringLiteral(" ") : message;
    request.text = informativeText.isEmpty() ? QStringLiteral(" ") : informativeText;
    for (const QString &b : {button1, button2, button3, button4, button5})
        if (!b.isEmpty())
            request.buttons.append(b);
    request.cancelIndex = request.buttons.isEmpty() ? 0 : int(request.buttons.size()) - 1;
    return askOnMainThread(request, cancel);
    GUARD_END(0)
}

long NSRunAlertPanel_from_sub_thread(const QString &title, const QString &message,
                                     const QString &defaultButton, const QString &alternateButton,
                                     const QString &otherButton, const std::atomic<bool> *cancel)
{
    GUARD_BEGIN
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
    const int code = askOnMainThread(request, cancel);
    switch (code) {
    case platform::AlertFirstButtonReturn:
        return 1;
    case platform::AlertSecondButtonReturn:
        return 0;
    case platform::AlertThirdButtonReturn:
        return -1;
    default:
        return 0;
    }
    GUARD_END(0)
}
