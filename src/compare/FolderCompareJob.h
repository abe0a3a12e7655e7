#pragma once
// The folder compare: both trees are walked folder pair by folder pair on a private thread pool,
// entries are paired by their exact name, judged by the request's mode, and handed over in
// batches (at most every 50 ms) to whoever started the job. No widgets here.
//
// Judgement of a pair of files:
//   mode 0 (size and date): same when the sizes are equal and the times differ by less than 1 s;
//   mode 1 (size):          same when the sizes are equal;
//   mode 2 (date):          same when the times differ by less than 1 s;
//   mode 3 (full content):  same when the bytes are equal; with the line-end option, text files
//                           (extension in the text list) count CR, LF and CRLF as one line end.
// Links are never entered: a link to a regular file is judged as that file, any other link by
// its target text, in every mode. Pipes, devices and sockets are never opened: a pair of them is
// not judged; sides of different kinds (a pipe against a file, a file against a link that leads
// to no file) are different, with NotJudged_KindDiffers as reason. A folder pair is judged by its
// content (see FolderVerdictFromCounts). Below a folder against a file, the folder's content is
// listed as found on that side only. Below a folder that one side cannot list, the other side's
// content is listed too, but not judged (NotJudged_LeftFolderUnreadable or
// NotJudged_RightFolderUnreadable): nothing is known of the side that could not be read.

#include "compare/CompItem.h"
#include "compare/ComparedTree.h"
#include "compare/FileListCompareInfo.h"

#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QThreadPool;

struct FolderCompareBatch
{
    std::vector<COMP_ITEM> items;   // new entries; IDs ascend, following the previous batch
    std::vector<COMP_ITEM> updates; // entries judged again: each replaces the entry of its ID
    bool finished = false;
    bool cancelled = false;
    QString rootError;     // set when a top folder cannot be listed, or a task stopped early
    int hiddenLeftOut = 0; // hidden names left out since the previous batch (one per pair)
};

// What a job copies when it starts, so later changes of the settings do not reach it.
struct FolderCompareSettings
{
    std::shared_ptr<const FileListCompareInfo> request;
    QStringList textExtensions; // lower case, without the dot
    bool hideDotNames = false;
    // The top folders held open (compare/ComparedTree): a job opens those not given when it
    // starts; judging again walks from these (or from the request's folders, opened then).
    ComparedTreePtr tree1, tree2;

    // From the request and the settings record (main thread).
    static FolderCompareSettings fromRequest(std::shared_ptr<const FileListCompareInfo> request);
    qint8 itemTypeForName(const QString &name, QString *extension) const;
};

class FolderCompareJob
{
public:
    // Called on a worker thread, one batch at a time and in order; the last one is finished.
    using Deliver = std::function<void(FolderCompareBatch &&)>;

    FolderCompareJob(FolderCompareSettings settings, Deliver deliver);
    // Stops the job and waits for its workers (they look at the cancel flag before every block).
    ~FolderCompareJob();
    FolderCompareJob(const FolderCompareJob &) = delete;
    FolderCompareJob &operator=(const FolderCompareJob &) = delete;

    void start();
    void cancel() { mCancel.store(true); }
    bool isCancelled() const { return mCancel.load(); }
    bool isFinished() const { return mFinished.load(); }
    // The top folder of side 1 or 2 as the job opened it when it started; null when it could not
    // be opened. What the window does below a top starts from this folder.
    ComparedTreePtr tree(int side) const;
    // Blocks until the last batch was delivered.
    void waitForFinished();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    std::atomic<bool> mCancel{false};
    std::atomic<bool> mFinished{false};
};

// One entry judged again on disk (after a copy, or when a window says a file changed): both
// sides are read again and judged by the request's mode. parent1/2 are the routes of the folders
// holding it below the top folders (empty at the top), each folder checked against what the
// listing recorded of it: one that is not that folder any more leaves the entry not judged
// (NotJudged_ChangedWhileRead), and nothing there is read.
COMP_ITEM FolderCompare_JudgeAgain(const FolderCompareSettings &settings, const COMP_ITEM &item,
                                   const TreeRoute &parent1, const TreeRoute &parent2,
                                   const std::atomic<bool> *cancel);
// The same with the folders holding it given as paths below the request's top folders (local
// file-system bytes, ending in "/"); nothing is judged for them beyond following no link.
COMP_ITEM FolderCompare_JudgeAgain(const FolderCompareSettings &settings, const COMP_ITEM &item,
                                   const QByteArray &parentPath1, const QByteArray &parentPath2,
                                   const std::atomic<bool> *cancel);

// How many children of a folder have each verdict.
struct FolderCounts
{
    int counts[6] = {0, 0, 0, 0, 0, 0};
    void add(qint8 result)
    {
        if (result >= 0 && result < 6)
            ++counts[result];
    }
};
// The verdict of a folder found on both sides: different when a child differs or is on one side
// only, else not judged while a child is, else same. An own reason (unreadable) keeps it not
// judged; a folder on one side keeps its side, unless it lies below a folder the other side
// could not list.
qint8 FolderVerdictFromCounts(const COMP_ITEM &folder, const FolderCounts &counts);

// Applies one update of a batch to a list indexed by ID. An update whose size1 is
// kReasonOnlyUpdate only sets the verdict and its reason (a folder that could not be listed).
inline constexpr qint64 kReasonOnlyUpdate = -2;
void ApplyFolderCompareUpdate(std::vector<COMP_ITEM> &items, const COMP_ITEM &update);

// Runs a compare to its end (tests, benchmarks): the entries with their updates applied and the
// folder verdicts summed up. cancelAfter (when set) is called with each batch and may cancel.
struct FolderCompareOutcome
{
    std::vector<COMP_ITEM> items;
    bool cancelled = false;
    QString rootError;
    int hiddenLeftOut = 0;
};
FolderCompareOutcome CompareFoldersAndWait(const FolderCompareSettings &settings,
                                           std::function<bool()> stopAfterBatch = {});
// Sums up the verdicts of the folders of a complete list (children after their parents).
void CompItems_SumUpFolders(std::vector<COMP_ITEM> &items);
// The path of an entry relative to the top folders, "/" between names.
QByteArray CompItems_RelativePath(const std::vector<COMP_ITEM> &items, int id);
