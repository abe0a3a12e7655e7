#include "textcompare/BlockCompare.h"

#include "platform/Guard.h"

BlockCompare::BlockCompare(QObject *parent) : QObject(parent)
{}

BlockCompare::~BlockCompare()
{
    cancel();
}

void BlockCompare::start(const QString &text1, const QString &text2,
                         const LineCompareOptions &options, std::function<void()> applied,
                         const QString &file1, const QString &file2)
{
    cancel();
    const bool usedFiles = !file1.isEmpty() && !file2.isEmpty();
    mTimer.start();
    mJob = std::make_unique<LineCompareJob>();
    connect(
        mJob.get(), &LineCompareJob::finished, this,
        [this, usedFiles, options, applied = std::move(applied)](const LineCompareResult &result) {
            mOptions = options;
            finished(result, usedFiles, applied);
        });
    if (usedFiles)
        mJob->startFiles(file1, file2, text1, text2, options);
    else
        mJob->startTexts(text1, text2, options);
}

void BlockCompare::cancel()
{
    if (!mJob)
        return;
    // Deleting the job kills its diff; its result never arrives.
    mJob->disconnect(this);
    mJob.reset();
}

Range BlockCompare::rangeOf(const MERGE_BLOCK &block, int side) const
{
    return RangeOfLines(table(side), block.startLine[side], block.lineCount[side],
                        text(side).size());
}

std::pair<Range, QString> BlockCompare::takeEdit(const MERGE_BLOCK &block, int fromSide) const
{
    const int toSide = 3 - fromSide;
    const QString &src = text(fromSide);
    const QString &dst = text(toSide);
    const Range srcRange = rangeOf(block, fromSide);
    const Range dstRange = rangeOf(block, toSide);
    QString replacement = src.mid(srcRange.location, srcRange.length);
    const bool dstAtEnd = MaxRange(dstRange) >= dst.size();
    // Lines taken from the end of a text without a final line end still need one when more
    // lines follow them on the other side.
    if (!replacement.isEmpty() && !replacement.endsWith(u'\n') && !dstAtEnd)
        replacement += u'\n';
    // Lines appended after a last line without a line end start on a line of their own.
    if (!replacement.isEmpty() && block.lineCount[toSide] == 0 && dstRange.location >= dst.size() &&
        !dst.isEmpty() && !dst.endsWith(u'\n'))
        replacement.prepend(u'\n');
    return {dstRange, replacement};
}

void BlockCompare::finished(const LineCompareResult &result, bool usedFiles,
                            const std::function<void()> &applied)
{
    GUARD_BEGIN
    // Delete the job once its signal has returned.
    if (mJob) {
        mJob->disconnect(this);
        mJob.release()->deleteLater();
    }
    mElapsedNs = mTimer.nsecsElapsed();
    mText1 = result.text1;
    mText2 = result.text2;
    mTable1 = result.table1;
    mTable2 = result.table2;
    mOutOfDate = false;
    mUsedFiles = usedFiles;
    mFailed = !result.blocks;
    mError = result.blocks ? QString() : result.error;
    mBlocks = result.blocks ? *result.blocks : MergeBlockList{};
    if (applied)
        applied();
    GUARD_END_VOID
}
