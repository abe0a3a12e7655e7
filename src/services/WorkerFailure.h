#pragma once
// A worker (a copy, delete, patch, load, preview or compare) that stops on an exception ends like
// any other failure: the exception is reported as the guard reports it (platform/Guard.h), the
// worker still hands its end to the main thread, and its window says in plain words why the work
// stopped, so no window is left busy and nothing reaches std::terminate. Tests make a worker's
// step throw through the fault hook.

#include <QFuture>
#include <QString>
#include <exception>
#include <functional>
#include <optional>
#include <utility>

// Tests: called with its name at the start of each worker's work ("copy", "delete", ...); a hook
// that throws makes that worker fail there. Null removes it.
void SetWorkerFaultHook(std::function<void(const char *worker)> hook);
// Where a worker's work starts: runs the hook, when one is set.
void WorkerFaultPoint(const char *worker);

// Reports the exception (it may be one a QFuture wrapped) and answers what the user is told:
// "There was not enough memory." for std::bad_alloc, else a general sentence.
QString ReportWorkerFailure(const char *worker, std::exception_ptr error);

// Runs work on the calling worker, after the fault point of its name; an exception it throws is
// reported and answered as the text saying why it stopped. Empty when it ran to its end.
QString RunWorkerStep(const char *worker, const std::function<void()> &work);

// The work of a worker, as a callable to hand to a thread (taking what body takes): runs body after
// the fault point of its name; an exception body throws is reported and handed to onFailure, on the
// worker, with the text saying why (onFailure then ends the work as body would have: its end
// reaches the window).
template <class Body, class OnFailure>
auto WorkerGuarded(const char *worker, Body body, OnFailure onFailure)
{
    return [worker, body = std::move(body), onFailure = std::move(onFailure)](auto &&...args) {
        try {
            WorkerFaultPoint(worker);
            body(std::forward<decltype(args)>(args)...);
        } catch (...) {
            try {
                onFailure(ReportWorkerFailure(worker, std::current_exception()));
            } catch (...) {
                ReportWorkerFailure(worker, std::current_exception());
            }
        }
    };
}

// The result of a finished future, or nothing when its worker ended on an exception (reported;
// *why, which may be null, says why).
template <class T>
std::optional<T> TakeFinishedResult(const char *worker, const QFuture<T> &future,
                                    QString *why = nullptr)
{
    try {
        return future.result();
    } catch (...) {
        const QString text = ReportWorkerFailure(worker, std::current_exception());
        if (why)
            *why = text;
        return std::nullopt;
    }
}
