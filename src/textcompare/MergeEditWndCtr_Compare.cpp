// The text window's compare: when it runs, on what (the files themselves or the pane texts),
// and the blocks it gives shown in the panes and strips.
#include "textcompare/MergeEditWndCtr.h"

#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "textcompare/CenterLinkView.h"
#include "textcompare/DiffResultView.h"
#include "textcompare/MyEditTextView.h"
#include "textcompare/PaneScrollSync.h"
#include "ui_MergeEditWndCtr.h"

#include <QTextDocument>
#include <algorithm>
#include <optional>

namespace {

constexpr double kRecompareAfterEditDelay = 0.6;

// GNU diff works on bytes: its options (ignore case, white space) are right on a file's own bytes
// only when a byte that looks like an ASCII character is that character. Multi-byte encodings
// such as Shift_JIS and Big5 use ASCII letters as trail bytes, and UTF-16 and UTF-32 every byte.
bool asciiBytesAreAsciiCharacters(platform::StringEncoding e)
{
    using namespace platform::Encoding;
    return e == UTF8 || e == ASCII || platform::TextEncoding::isSingleByte(e);
}

} // namespace

bool MergeEditWndCtr::canCompareFilesThemselves() const
{
    if (mFile1.isEmpty() || mFile2.isEmpty() || WasEdit())
        return false;
    for (const SideState *st : {&mSide1, &mSide2}) {
        if (!st->readOk || st->textConverted || st->info.hasBOM || st->info.hasNulChar ||
            !asciiBytesAreAsciiCharacters(st->info.encoding))
            return false;
    }
    return mSide1.info.encoding == mSide2.info.encoding && !diskChanged(1) && !diskChanged(2);
}

void MergeEditWndCtr::RefreshCompare()
{
    GUARD_BEGIN
    if (!window() || mIsClosing)
        return;
    DoCompare();
    GUARD_END_VOID
}

void MergeEditWndCtr::DoCompare(bool selectFirstBlock, std::function<void()> then)
{
    platform::cancelPerform(this, QStringLiteral("recompareAfterEdit"));
    platform::cancelPerform(this, QStringLiteral("selectBlock"));
    cancelCompare();
    // While files are read, the compare waits for both texts; it starts as soon as they are.
    if (mLoadingFiles && mSidesReading > 0) {
        mCompare->markOutOfDate();
        return;
    }
    const QString text1 = compareSourceText(1);
    const QString text2 = compareSourceText(2);
    const bool usedFiles = canCompareFilesThemselves();
    mCompare->start(
        text1, text2, mOptions,
        [this, selectFirstBlock, then] { showCompareResult(selectFirstBlock, then); },
        usedFiles ? mFile1 : QString(), usedFiles ? mFile2 : QString());
    if (mCompare->isRunning()) { // a job that failed at once has already finished
        updateResultLabel();
        UpdateButtonStatus();
    }
}

void MergeEditWndCtr::compareKeepingPlace()
{
    std::optional<MERGE_BLOCK> shown;
    if (mCurrentBlock >= 0 && mCurrentBlock < int(mergeBlocks().size()))
        shown = mergeBlocks()[size_t(mCurrentBlock)];
    const int anchor = mNavigationAnchor;
    // The compare moves nothing itself: the panes stay where the user left them, and so do the
    // selections in them.
    DoCompare(false, [this, shown, anchor] {
        const int index = shown ? blockCovering(*shown) : -1;
        if (index >= 0) {
            showBlock(index, false);
            return;
        }
        if (shown) {
            mNavigationAnchor =
                int(std::partition_point(mergeBlocks().begin(), mergeBlocks().end(),
                                         [&](const MERGE_BLOCK &b) {
                                             return b.startLine[1] < shown->startLine[1];
                                         }) -
                    mergeBlocks().begin());
        } else {
            mNavigationAnchor = std::min(anchor, int(mergeBlocks().size()));
        }
        updateResultLabel();
        UpdateButtonStatus();
    });
}

int MergeEditWndCtr::blockCovering(const MERGE_BLOCK &before) const
{
    // Both halves must share lines with the block before; an empty half stands for the line
    // after it.
    const auto overlaps = [&](const MERGE_BLOCK &b, int side) {
        const qint64 start = before.startLine[side];
        const qint64 end = start + std::max<qint64>(before.lineCount[side], 1);
        return b.startLine[side] < end &&
               start < b.startLine[side] + std::max<qint64>(b.lineCount[side], 1);
    };
    const MergeBlockList &blocks = mergeBlocks();
    // Blocks are in order: those ending before the block do not hold it.
    auto it = std::partition_point(blocks.begin(), blocks.end(), [&](const MERGE_BLOCK &b) {
        return b.startLine[1] + std::max<qint64>(b.lineCount[1], 1) <= before.startLine[1];
    });
    for (; it != blocks.end() && it->startLine[1] <= before.startLine[1] + before.lineCount[1];
         ++it)
        if (overlaps(*it, 1) && overlaps(*it, 2))
            return int(it - blocks.begin());
    return -1;
}

void MergeEditWndCtr::cancelCompare()
{
    mCompare->cancel();
    mCharacterCompare->cancel();
}

void MergeEditWndCtr::showCompareResult(bool selectFirstBlock, const std::function<void()> &then)
{
    GUARD_BEGIN
    if (mIsClosing)
        return;
    mLoadTimings.compareNs = mCompare->elapsedNs();
    mCharacterCompare->cancel();
    mCurrentBlock = -1;
    mNavigationAnchor = 0;
    updateStrips();
    updateResultLabel();
    UpdateButtonStatus();
    // While the panes show only the heads of the texts, the first block is selected once they
    // hold them whole.
    if (selectFirstBlock && mLoadingFiles)
        mSelectFirstAfterLoad = true;
    else if (selectFirstBlock)
        platform::performAfterDelay(
            this, kSelectDelay, [this] { selectBlock(mergeBlocks().empty() ? -1 : 0); },
            QStringLiteral("selectBlock"));
    if (then)
        then();
    emit compareApplied();
    GUARD_END_VOID
}

void MergeEditWndCtr::updateStrips()
{
    auto &ui = *mUi;
    ui.mTextView1->setMergeBlocks(&mergeBlocks());
    ui.mTextView2->setMergeBlocks(&mergeBlocks());
    mScrollSync->setBlocks(&mergeBlocks());
    ui.mDiffResultView->setMergeBlocks(&mergeBlocks(), mCompare->lineCount(1),
                                       mCompare->lineCount(2));
    ui.mDiffResultView->setVisibleLines(ui.mTextView1->firstVisibleLine(),
                                        ui.mTextView1->lastVisibleLine());
    ui.mCenterLinkView->update();
}

void MergeEditWndCtr::onTextEdited(int side)
{
    // A compare of the texts before this edit would show blocks that are no longer there.
    cancelCompare();
    mCompare->markOutOfDate();
    updateEditedFromDocument(side);
    platform::performAfterDelay(
        this, kRecompareAfterEditDelay,
        [this, side] {
            if (!mIsClosing)
                recompareAfterEdit(side);
        },
        QStringLiteral("recompareAfterEdit"));
}

void MergeEditWndCtr::updateEditedFromDocument(int side)
{
    // The document knows when undo has brought it back to what was read or saved.
    const bool edited = textView(side)->document()->isModified();
    if (edited != mTextWasEdited(side)) {
        if (side == 1)
            setMTextWasEdited1(edited);
        else
            setMTextWasEdited2(edited);
    }
    setDocumentEdited(WasEdit());
}

void MergeEditWndCtr::recompareAfterEdit(int side, std::function<void()> then)
{
    // Typing goes on where it is: no block is selected and nothing scrolls; Next goes to the
    // first block at or after the insertion point.
    DoCompare(false, [this, side, then] {
        const qint64 line = textView(side)->cursorLine();
        mNavigationAnchor =
            int(std::partition_point(mergeBlocks().begin(), mergeBlocks().end(),
                                     [&](const MERGE_BLOCK &b) {
                                         return b.startLine[side] + b.lineCount[side] <= line;
                                     }) -
                mergeBlocks().begin());
        UpdateButtonStatus();
        if (then)
            then();
    });
}
