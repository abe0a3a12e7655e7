#include "compare/FolderCompareState.h"

#include "platform/Alerts.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "services/Localization.h"

#include <mutex>

namespace {

struct State
{
    bool compareBusy = false;
    bool copyBusy = false;
    QPointer<QObject> compareOwner, copyOwner;
    std::shared_ptr<const FileListCompareInfo> request;
    std::shared_ptr<std::atomic<bool>> compareCancel, copyCancel;
};

State &state()
{
    static State s;
    return s;
}

// How often this thread holds the lock through this file (it is recursive).
thread_local int tHeldHere = 0;

// The lock, counted per thread so that a worker about to wait for the user can be checked.
class Hold
{
public:
    Hold() : mGuard(platform::monitor("mainBundle")) { ++tHeldHere; }
    ~Hold() { --tHeldHere; }
    Hold(const Hold &) = delete;
    Hold &operator=(const Hold &) = delete;

private:
    std::lock_guard<std::recursive_mutex> mGuard;
};

} // namespace

bool FolderCompareState_LockHeldByThisThread()
{
    return tHeldHere > 0;
}

bool FolderCompareState_BeginCompare(QObject *owner,
                                     std::shared_ptr<const FileListCompareInfo> request,
                                     std::shared_ptr<std::atomic<bool>> cancelFlag)
{
    const Hold hold;
    State &s = state();
    // An owner that is gone cannot end its compare: its flag no longer counts.
    if (s.compareBusy && !s.compareOwner.isNull())
        return false;
    s.compareBusy = true;
    s.compareOwner = owner;
    s.request = std::move(request);
    s.compareCancel = std::move(cancelFlag);
    return true;
}

void FolderCompareState_EndCompare(QObject *owner)
{
    const Hold hold;
    State &s = state();
    if (!s.compareBusy || (s.compareOwner != owner && !s.compareOwner.isNull()))
        return;
    s.compareBusy = false;
    s.compareOwner = nullptr;
    s.request.reset();
    s.compareCancel.reset();
}

bool FolderCompareState_BeginCopy(QObject *owner, std::shared_ptr<std::atomic<bool>> cancelFlag)
{
    const Hold hold;
    State &s = state();
    if (s.copyBusy && !s.copyOwner.isNull())
        return false;
    s.copyBusy = true;
    s.copyOwner = owner;
    s.copyCancel = std::move(cancelFlag);
    return true;
}

void FolderCompareState_EndCopy(QObject *owner)
{
    const Hold hold;
    State &s = state();
    if (!s.copyBusy || (s.copyOwner != owner && !s.copyOwner.isNull()))
        return;
    s.copyBusy = false;
    s.copyOwner = nullptr;
    s.copyCancel.reset();
}

void FolderCompareState_CancelFor(QObject *owner)
{
    const Hold hold;
    State &s = state();
    if (s.compareOwner == owner && s.compareCancel)
        s.compareCancel->store(true);
    if (s.copyOwner == owner && s.copyCancel)
        s.copyCancel->store(true);
}

FolderCompareStateSnapshot FolderCompareState_Get()
{
    const Hold hold;
    const State &s = state();
    FolderCompareStateSnapshot snap;
    snap.compareBusy = s.compareBusy && !s.compareOwner.isNull();
    snap.copyBusy = s.copyBusy && !s.copyOwner.isNull();
    snap.compareOwner = s.compareOwner;
    snap.copyOwner = s.copyOwner;
    snap.request = s.request;
    return snap;
}

bool CheckCompareNotBusyAndWarn(QObject *askingWindow)
{
    GUARD_BEGIN
    // Read under the lock, ask without it: the compare's workers may need the lock meanwhile.
    const FolderCompareStateSnapshot snap = FolderCompareState_Get();
    if (!snap.compareBusy)
        return true;
    if (askingWindow && snap.compareOwner == askingWindow)
        return false;
    platform::AlertRequest alert;
    alert.title = L_(QStringLiteral("Warning"));
    alert.text = L_(QStringLiteral("\"%@\" is busy.{**}{*app*}")) +
                 L_(QStringLiteral("\n{++}Retry later{++}..."));
    alert.buttons = {L_(QStringLiteral("OK"))};
    platform::runAlert(alert);
    return false;
    GUARD_END(false)
}
