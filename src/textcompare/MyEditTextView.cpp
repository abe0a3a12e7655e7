#include "textcompare/MyEditTextView.h"

#include "platform/Guard.h"
#include "textcompare/CustomTextViewLineView.h"
#include "textcompare/PaneLoader.h"
#include "themes/LanguageColorInfo.h"
#include "themes/SyntaxColorRuns.h"
#include "themes/TextCaret.h"

#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <limits>

MyEditTextView::MyEditTextView(QWidget *parent)
    : QPlainTextEdit(parent), mLineView(new CustomTextViewLineView(this)),
      mColorInfo(LanguageColorInfo::create())
{
    mColorInfo->setDelegate(this);
    mRuns = new SyntaxColorRuns(document(), this);
    mCaret = new TextCaret(this);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFrameShape(QFrame::NoFrame);
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect &rect, int dy) {
        if (dy) {
            mLineView->scroll(0, dy);
            // Keys (page, arrows, Ctrl+Home/End) move the top line with the scroll bar's signals
            // blocked: this is the one notice every vertical scroll gives. The rows coming into
            // view are coloured now, before the paint lays them out: colours put on after it
            // would lay them out again.
            colourNow();
            emit viewScrolled();
        } else {
            mLineView->update(0, rect.y(), mLineView->width(), rect.height());
        }
    });
    connectDocument();
    updateLineNumberAreaWidth();
}

MyEditTextView::~MyEditTextView()
{
    // The caret follows cursor moves, and taking the document down moves the cursor.
    delete mCaret;
}

void MyEditTextView::connectDocument()
{
    connect(document(), &QTextDocument::blockCountChanged, this,
            [this] { updateLineNumberAreaWidth(); });
    connect(
        document(), &QTextDocument::contentsChange, this, [this](int pos, int removed, int added) {
            // Applying colour formats marks blocks dirty: no edit.
            if (mRuns->isApplying())
                return;
            if (mWatching && removed > 0) {
                // The map is still that of the text before this edit.
                const QTextBlock block = document()->findBlock(pos);
                const bool row = pos > 0 && mFolds.rowStartsAt(pos);
                if (block.isValid() && block.position() == pos && IsFoldRow(block) != row) {
                    QTextCursor at(document());
                    at.setPosition(pos);
                    mWatchRepairs.emplace_back(at, row);
                }
            }
            if (mMayHaveFolds && !mFoldsDirty) {
                if (mFoldsDocument == document() && mFolds.follow(document(), pos, removed, added))
                    mFoldsRevision = document()->revision();
                else
                    mFoldsDirty = true;
            }
            if (mWatching && mFoldsDirty)
                (void)foldMap(); // fresh for the next edit of the same event
            if (removed || added) {
                // The runs move with the text first, so the colourer sees the old kinds.
                mRuns->documentEdited(pos, removed, added);
                // The colourer counts in the text. A row's edge that came or went at the
                // position may have been a line break: the line before is taken in too.
                if (mColorInfo->language()) {
                    const qint64 at = foldMap().toText(pos);
                    mColorInfo->documentContentsChanged(std::max<qint64>(0, at - 1), removed,
                                                        added);
                }
            }
            scheduleColoring();
        });
}

void MyEditTextView::adoptDocument(QTextDocument *doc, qint64 gutterLines, const FoldMap *folds)
{
    GUARD_BEGIN
    if (!doc || doc == document())
        return;
    QPointer<QTextDocument> old = document();
    const bool ownOld = old->parent() == this;
    doc->setParent(this);
    // Each of these walks every block: skipped when the builder already gave the same.
    if (doc->defaultFont() != font())
        doc->setDefaultFont(font());
    if (!SameTextOption(doc->defaultTextOption(), old->defaultTextOption()))
        doc->setDefaultTextOption(old->defaultTextOption()); // tab stops and wrapping
    mColorInfo->resetAll();
    // The gutter takes its width from the final line count now, so the document is laid out
    // once, at its final width (the rows of folded lines are not lines).
    mGutterLines = int(std::clamp<qint64>(gutterLines, 0, std::numeric_limits<int>::max()));
    const bool mayHaveFolds = HasHadFoldRows(doc);
    const qint64 lines = doc->blockCount() - (folds && mayHaveFolds ? folds->foldRowCount() : 0);
    setViewportMargins(lineNumberAreaWidth(int(std::max<qint64>(lines, mGutterLines))), 0, 0, 0);
    setDocument(doc);
    mMayHaveFolds = mayHaveFolds;
    mFoldsDirty = true;
    if (folds && mMayHaveFolds) { // walked where the document was built
        mFolds = *folds;
        mFoldsDirty = false;
        mFoldsRevision = doc->revision();
        mFoldsDocument = doc;
    }
    delete mRuns;
    mRuns = new SyntaxColorRuns(doc, this);
    connectDocument();
    updateLineNumberAreaWidth();
    if (old && ownOld)
        old->deleteLater();
    emit documentReplaced();
    scheduleColoring();
    GUARD_END_VOID
}

void MyEditTextView::setMergeBlocks(const MergeBlockList *blocks)
{
    mBlocks = blocks;
    mCurrentBlock = -1;
    mChangedCharacters.clear();
    updateExtraSelections();
    viewport()->update();
    mLineView->update();
}

void MyEditTextView::setCurrentBlock(int index)
{
    mCurrentBlock = index;
    viewport()->update();
    mLineView->update();
}

void MyEditTextView::setChangedCharacters(const std::vector<Range> &ranges)
{
    mChangedCharacters = ranges;
    updateExtraSelections();
}

void MyEditTextView::replaceAllText(const QString &text)
{
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    InsertPaneText(cursor, text, mFoldLongLines);
    mMayHaveFolds = mMayHaveFolds || HasHadFoldRows(document());
}

void MyEditTextView::replaceText(Range range, const QString &text)
{
    const FoldMap &folds = foldMap();
    const qint64 last = document()->characterCount() - 1;
    QTextCursor cursor(document());
    cursor.setPosition(int(std::clamp<qint64>(folds.toDocument(range.location), 0, last)));
    cursor.setPosition(int(std::clamp<qint64>(folds.toDocument(MaxRange(range)), 0, last)),
                       QTextCursor::KeepAnchor);
    InsertPaneText(cursor, text, mFoldLongLines);
    mMayHaveFolds = mMayHaveFolds || HasHadFoldRows(document());
}

QString MyEditTextView::plainText() const
{
    if (!foldMap().empty())
        return PaneText(document());
    QString text = document()->toRawText();
    // The document keeps its line breaks as paragraph separators.
    text.replace(QChar(QChar::ParagraphSeparator), QChar(u'\n'));
    return text;
}

void MyEditTextView::loadText(const QString &text)
{
    mColorInfo->resetAll();
    mGutterLines = 0;
    if (HasLineLongerThan(text, FoldLengthLimit(mFoldLongLines))) {
        // Built apart and shown as a whole, as a loaded document is: no undo history, and the
        // long lines never laid out whole.
        auto *doc = new QTextDocument;
        doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
        doc->setUndoRedoEnabled(false);
        QTextCursor cursor(doc);
        InsertPaneText(cursor, text, mFoldLongLines);
        doc->setUndoRedoEnabled(true);
        doc->setModified(false);
        adoptDocument(doc);
        return;
    }
    setPlainText(text);
    mMayHaveFolds = false;
    mFoldsDirty = true;
}

void MyEditTextView::setShowLineNumbers(bool show)
{
    mShowLineNumbers = show;
    mLineView->setVisible(show);
    updateLineNumberAreaWidth();
}

int MyEditTextView::lineNumberAreaWidth() const
{
    return lineNumberAreaWidth(std::max(int(numberedLineCount()), mGutterLines));
}

int MyEditTextView::lineNumberAreaWidth(int lineCount) const
{
    if (!mShowLineNumbers)
        return 0;
    int digits = 1;
    for (int n = std::max(1, lineCount); n >= 10; n /= 10)
        ++digits;
    return 14 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 3);
}

void MyEditTextView::updateLineNumberAreaWidth()
{
    setViewportMargins(lineNumberAreaWidth(), 0, 0, 0);
    const QRect cr = contentsRect();
    mLineView->setGeometry(QRect(cr.left(), cr.top(), lineNumberAreaWidth(), cr.height()));
}

void MyEditTextView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    updateLineNumberAreaWidth();
    scheduleColoring();
}

void MyEditTextView::scrollContentsBy(int dx, int dy)
{
    QPlainTextEdit::scrollContentsBy(dx, dy);
    colourNow(); // long rows are coloured only where they are in view
    emit viewScrolled();
}

void MyEditTextView::setUndoHandler(UndoHandler handler, UndoAvailable available)
{
    mUndoHandler = std::move(handler);
    mUndoAvailable = std::move(available);
}
