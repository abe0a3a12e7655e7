#include "platform/Dispatch.h"

#include "platform/Guard.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

namespace {

// Pending requests are single-shot timers parented to their context, so they die with it; the
// object name carries the key for cancelling.
const QString kPerformPrefix = QStringLiteral("pelko.performAfterDelay:");

int delayToMilliseconds(double seconds)
{
    if (!(seconds > 0)) // negative and NaN run at the next turn of the event loop
        return 0;
    const double ms = std::ceil(seconds * 1000.0);
    return ms >= double(INT_MAX) ? INT_MAX : int(ms);
}

void cancelOnOwnThread(QObject *context, const QString &key)
{
    const auto timers = context->findChildren<QTimer *>(Qt::FindDirectChildrenOnly);
    for (QTimer *timer : timers) {
        const QString name = timer->objectName();
        if (!name.startsWith(kPerformPrefix))
            continue;
        if (key.isEmpty() || name.mid(kPerformPrefix.size()) == key) {
            timer->stop();
            timer->setObjectName(QString()); // no longer found, even before deletion
            timer->deleteLater();
        }
    }
}

void scheduleOnOwnThread(QObject *context, int ms, std::function<void()> fn, const QString &key)
{
    if (!key.isEmpty())
        cancelOnOwnThread(context, key);
    auto *timer = new QTimer(context);
    timer->setSingleShot(true);
    timer->setObjectName(kPerformPrefix + key);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, fn = std::move(fn)]() {
        timer->setObjectName(QString());
        timer->deleteLater();
        GUARD_BEGIN
        fn();
        GUARD_END_VOID
    });
    timer->start(ms);
}

} // namespace

void performAfterDelay(QObject *context, double seconds, std::function<void()> fn,
                       const QString &key)
{
    if (!fn)
        return;
    if (!context)
        context = QCoreApplication::instance();
    if (!context)
        return;
    const int ms = delayToMilliseconds(seconds);
    if (context->thread() == QThread::currentThread()) {
        scheduleOnOwnThread(context, ms, std::move(fn), key);
        return;
    }
    // Timers must be made in their context's thread.
    QPointer<QObject> guarded(context);
    QMetaObject::invokeMethod(
        context,
        [guarded, ms, fn = std::move(fn), key]() mutable {
            if (guarded)
                scheduleOnOwnThread(guarded, ms, std::move(fn), key);
        },
        Qt::QueuedConnection);
}

void cancelPerform(QObject *context, const QString &key)
{
    if (!context)
        context = QCoreApplication::instance();
    if (!context)
        return;
    if (context->thread() == QThread::currentThread()) {
        cancelOnOwnThread(context, key);
        return;
    }
    QPointer<QObject> guarded(context);
    QMetaObject::invokeMethod(
        context,
        [guarded, key]() {
            if (guarded)
                cancelOnOwnThread(guarded, key);
        },
        Qt::QueuedConnection);
}

namespace {

bool anyPending(const QObject *context, const std::function<bool(const QString &)> &keyMatches)
{
    if (!context)
        context = QCoreApplication::instance();
    if (!context || context->thread() != QThread::currentThread())
        return false;
    const auto timers = context->findChildren<QTimer *>(Qt::FindDirectChildrenOnly);
    return std::any_of(timers.begin(), timers.end(), [&](const QTimer *timer) {
        const QString name = timer->objectName();
        return timer->isActive() && name.startsWith(kPerformPrefix) &&
               keyMatches(name.mid(kPerformPrefix.size()));
    });
}

} // namespace

bool isPerformPending(const QObject *context, const QString &key)
{
    return anyPending(context, [&](const QString &k) { return k == key; });
}

bool hasPendingPerforms(const QObject *context)
{
    return anyPending(context, [](const QString &) { return true; });
}

bool isMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void performOnMainThread(std::function<void()> fn, bool wait)
{
    if (!fn)
        return;
    QCoreApplication *app = QCoreApplication::instance();
    auto guarded = [fn = std::move(fn)]() {
        GUARD_BEGIN
        fn();
        GUARD_END_VOID
    };
    if (!app || (wait && isMainThread())) {
        guarded();
        return;
    }
    QMetaObject::invokeMethod(app, std::move(guarded),
                              wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

namespace {

std::mutex gExitPoolsMutex;
std::vector<QThreadPool *> gExitPools;

void waitForExitPools()
{
    std::vector<QThreadPool *> pools;
    {
        std::lock_guard lock(gExitPoolsMutex);
        pools = gExitPools;
    }
    for (QThreadPool *pool : pools)
        pool->waitForDone();
}

} // namespace

void waitForPoolBeforeExit(QThreadPool *pool)
{
    std::lock_guard lock(gExitPoolsMutex);
    gExitPools.push_back(pool);
    // Qt calls these first thing as the application object is destroyed, then forgets them: one
    // per pool, so that a later application object gets one too; each waits for every pool.
    qAddPostRoutine(waitForExitPools);
}

std::recursive_mutex &monitor(const char *name)
{
    static std::mutex tableMutex;
    static std::map<std::string, std::unique_ptr<std::recursive_mutex>> table;
    std::lock_guard lock(tableMutex);
    auto &slot = table[name ? std::string(name) : std::string()];
    if (!slot)
        slot = std::make_unique<std::recursive_mutex>();
    return *slot;
}

} // namespace platform
