#pragma once
// The application's one folder compare and one copy: who runs them, what was asked, and their
// cancel flags. Read and written only under platform::monitor("mainBundle"), and the lock is
// held only to read or write this state, never while anyone waits for the user.

#include "compare/FileListCompareInfo.h"

#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>

struct FolderCompareStateSnapshot
{
    bool compareBusy = false;
    bool copyBusy = false;
    QPointer<QObject> compareOwner, copyOwner;
    std::shared_ptr<const FileListCompareInfo> request;
};

// Takes the compare for the owner; false when a compare already runs (for anyone).
bool FolderCompareState_BeginCompare(QObject *owner,
                                     std::shared_ptr<const FileListCompareInfo> request,
                                     std::shared_ptr<std::atomic<bool>> cancelFlag);
// Gives the compare back when the owner holds it.
void FolderCompareState_EndCompare(QObject *owner);
// Takes the copy for the owner; false when a copy already runs.
bool FolderCompareState_BeginCopy(QObject *owner, std::shared_ptr<std::atomic<bool>> cancelFlag);
void FolderCompareState_EndCopy(QObject *owner);
// Raises the cancel flags of the owner's running compare and copy.
void FolderCompareState_CancelFor(QObject *owner);
FolderCompareStateSnapshot FolderCompareState_Get();
// Whether the calling thread is inside one of the functions above (holding their lock).
bool FolderCompareState_LockHeldByThisThread();

// True when no folder compare runs. Otherwise false, and, unless the asking window owns the
// running compare, a "Warning" alert that the application is busy.
bool CheckCompareNotBusyAndWarn(QObject *askingWindow);
