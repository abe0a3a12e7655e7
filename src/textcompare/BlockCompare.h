#pragma once
// The line compare behind the text window: one compare at a time in the background, and the
// blocks of the last one done with the texts and line tables they were computed on. A new start
// cancels the compare still running, whose result then never arrives.

#include "compare/LineCompare.h"
#include "compare/LineCompareJob.h"
#include "platform/Range.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <utility>

class BlockCompare : public QObject
{
    Q_OBJECT
public:
    explicit BlockCompare(QObject *parent = nullptr);
    ~BlockCompare() override;

    // Compares the texts, or the files themselves when both paths are given (the texts being
    // what the panes show of them). `applied` runs once the new blocks are in place; it does not
    // run for a compare that is cancelled.
    void start(const QString &text1, const QString &text2, const LineCompareOptions &options,
               std::function<void()> applied, const QString &file1 = {}, const QString &file2 = {});
    // Drops the compare running, if any.
    void cancel();
    bool isRunning() const { return mJob != nullptr; }

    // The texts were edited (or read again) since the blocks were computed.
    void markOutOfDate() { mOutOfDate = true; }
    bool isOutOfDate() const { return mOutOfDate; }

    const MergeBlockList &blocks() const { return mBlocks; }
    qint64 lineCount(int side) const { return qint64(table(side).size()); }
    // The text range of the lines a block holds on a side, in the text compared.
    Range rangeOf(const MERGE_BLOCK &block, int side) const;
    // The text compared for a side.
    const QString &text(int side) const { return side == 1 ? mText1 : mText2; }
    // What taking a block from side fromSide does to the other side's text: the range replaced
    // and the text put in its place.
    std::pair<Range, QString> takeEdit(const MERGE_BLOCK &block, int fromSide) const;

    // The options the blocks were computed with.
    const LineCompareOptions &options() const { return mOptions; }
    bool usedFiles() const { return mUsedFiles; }
    bool failed() const { return mFailed; }
    QString error() const { return mError; }
    // How long the last compare took, from its start until its blocks were in place.
    qint64 elapsedNs() const { return mElapsedNs; }

private:
    const LineTable &table(int side) const { return side == 1 ? mTable1 : mTable2; }
    void finished(const LineCompareResult &result, bool usedFiles,
                  const std::function<void()> &applied);

    std::unique_ptr<LineCompareJob> mJob;
    MergeBlockList mBlocks;
    LineTable mTable1, mTable2;
    QString mText1, mText2;
    LineCompareOptions mOptions;
    bool mOutOfDate = false;
    bool mUsedFiles = false;
    bool mFailed = false;
    QString mError;
    QElapsedTimer mTimer;
    qint64 mElapsedNs = 0;
};
