// The listing's entries as a whole: a folder's verdict from what lies below it, an entry's path,
// an update applied, and a compare run to its end for callers that wait.
#include "compare/FolderCompareJob.h"

#include <iterator>
#include <mutex>

qint8 FolderVerdictFromCounts(const COMP_ITEM &folder, const FolderCounts &counts)
{
    if (!folder.onLeft() && !folder.onRight())
        return COMP_RESULT_GONE;
    // Below a folder one side could not list, that side may hold anything: only a folder found
    // on that side alone is known to be one-sided.
    if (const qint32 reason = folder.customMultiPurposeInfo; CompItem_SideUnseen(reason)) {
        const bool onUnseenSideOnly = reason == NotJudged_LeftFolderUnreadable
                                          ? folder.onLeft() && !folder.onRight()
                                          : folder.onRight() && !folder.onLeft();
        if (!onUnseenSideOnly)
            return COMP_RESULT_NOT_JUDGED;
    }
    if (!folder.onRight())
        return COMP_RESULT_LEFT_ONLY;
    if (!folder.onLeft())
        return COMP_RESULT_RIGHT_ONLY;
    if (folder.customMultiPurposeInfo == NotJudged_KindDiffers)
        return COMP_RESULT_DIFFERENT;
    if (folder.customMultiPurposeInfo != NotJudged_None &&
        folder.customMultiPurposeInfo != NotJudged_Pending)
        return COMP_RESULT_NOT_JUDGED;
    const int *c = counts.counts;
    if (c[COMP_RESULT_DIFFERENT] || c[COMP_RESULT_LEFT_ONLY] || c[COMP_RESULT_RIGHT_ONLY])
        return COMP_RESULT_DIFFERENT;
    if (c[COMP_RESULT_NOT_JUDGED])
        return COMP_RESULT_NOT_JUDGED;
    return COMP_RESULT_SAME;
}

void CompItems_SumUpFolders(std::vector<COMP_ITEM> &items)
{
    std::vector<FolderCounts> counts(items.size());
    for (size_t k = items.size(); k-- > 0;) {
        COMP_ITEM &item = items[k];
        if (item.isFolder() && item.kind1 != Side_File && item.kind2 != Side_File)
            item.compareResult = FolderVerdictFromCounts(item, counts[k]);
        if (item.parent >= 0 && size_t(item.parent) < items.size())
            counts[size_t(item.parent)].add(item.compareResult);
    }
}

QByteArray CompItems_RelativePath(const std::vector<COMP_ITEM> &items, int id)
{
    QByteArray path;
    while (id >= 0 && size_t(id) < items.size()) {
        const COMP_ITEM &item = items[size_t(id)];
        path = path.isEmpty() ? item.name() : item.name() + '/' + path;
        id = item.parent;
    }
    return path;
}

void ApplyFolderCompareUpdate(std::vector<COMP_ITEM> &items, const COMP_ITEM &update)
{
    if (update.ID < 0 || size_t(update.ID) >= items.size())
        return;
    COMP_ITEM &target = items[size_t(update.ID)];
    if (update.size1 == kReasonOnlyUpdate) {
        target.compareResult = update.compareResult;
        target.customMultiPurposeInfo = update.customMultiPurposeInfo;
        return;
    }
    const int parent = target.parent;
    target = update;
    target.parent = parent;
}

FolderCompareOutcome CompareFoldersAndWait(const FolderCompareSettings &settings,
                                           std::function<bool()> stopAfterBatch)
{
    FolderCompareOutcome outcome;
    std::mutex m;
    FolderCompareJob *jobPtr = nullptr;
    FolderCompareJob job(settings, [&](FolderCompareBatch &&batch) {
        std::lock_guard lock(m);
        outcome.items.insert(outcome.items.end(), std::make_move_iterator(batch.items.begin()),
                             std::make_move_iterator(batch.items.end()));
        for (const COMP_ITEM &u : batch.updates)
            ApplyFolderCompareUpdate(outcome.items, u);
        outcome.hiddenLeftOut += batch.hiddenLeftOut;
        if (batch.finished) {
            outcome.cancelled = batch.cancelled;
            outcome.rootError = batch.rootError;
        }
        if (stopAfterBatch && stopAfterBatch() && jobPtr)
            jobPtr->cancel();
    });
    jobPtr = &job;
    job.start();
    job.waitForFinished();
    CompItems_SumUpFolders(outcome.items);
    return outcome;
}
