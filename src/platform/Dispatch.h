#pragma once
// Delayed calls, calls handed to the main thread, and named locks for shared objects.

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <functional>
#include <mutex>

namespace platform {

// Runs fn on context's thread after the delay. A non-empty key cancels an earlier request with
// the same context and key. Nothing runs once context is destroyed.
void performAfterDelay(QObject *context, double seconds, std::function<void()> fn,
                       const QString &key = {});
// Cancels the pending request of context with that key (every pending keyed and unkeyed request
// of context when key is empty).
void cancelPerform(QObject *context, const QString &key);
// Whether a request of context with that key (or any request of it) waits to run. Context's own
// thread only.
bool isPerformPending(const QObject *context, const QString &key);
bool hasPendingPerforms(const QObject *context);

// Hands fn to the main thread. With wait, returns after fn has run (at once when the caller is
// the main thread).
void performOnMainThread(std::function<void()> fn, bool wait);

// Makes the application's end wait for `pool`'s jobs while its event loop still stands: a job of a
// pool of our own (not the global one, which Qt waits for) may finish as the application is torn
// down and post its result to an event dispatcher already gone. Jobs handed to such a pool must
// not wait for the main thread.
void waitForPoolBeforeExit(QThreadPool *pool);
bool isMainThread();

// One recursive lock per shared object name, made once on first use ("mainBundle" guards the
// folder-compare state).
std::recursive_mutex &monitor(const char *name);

} // namespace platform
