#include "services/WorkerFailure.h"

#include "platform/Guard.h"
#include "services/Localization.h"

#include <QException>
#include <mutex>
#include <new>

namespace {

std::mutex gHookMutex;
std::function<void(const char *)> gHook;

} // namespace

QString ReportWorkerFailure(const char *worker, std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const QUnhandledException &wrapped) {
        // What a QtConcurrent run threw comes back wrapped.
        if (wrapped.exception())
            return ReportWorkerFailure(worker, wrapped.exception());
        platform::reportException(__FILE__, worker, __LINE__, &wrapped);
    } catch (const std::bad_alloc &e) {
        platform::reportException(__FILE__, worker, __LINE__, &e);
        return L_(QStringLiteral("There was not enough memory."));
    } catch (const std::exception &e) {
        platform::reportException(__FILE__, worker, __LINE__, &e);
    } catch (...) {
        platform::reportException(__FILE__, worker, __LINE__, nullptr);
    }
    return L_(QStringLiteral("An unexpected error stopped it."));
}

QString RunWorkerStep(const char *worker, const std::function<void()> &work)
{
    try {
        WorkerFaultPoint(worker);
        work();
        return {};
    } catch (...) {
        return ReportWorkerFailure(worker, std::current_exception());
    }
}

void SetWorkerFaultHook(std::function<void(const char *worker)> hook)
{
    std::lock_guard lock(gHookMutex);
    gHook = std::move(hook);
}

void WorkerFaultPoint(const char *worker)
{
    std::function<void(const char *)> hook;
    {
        std::lock_guard lock(gHookMutex);
        hook = gHook;
    }
    if (hook)
        hook(worker);
}
