#include "textcompare/MyEditTextView.h"

#include "foundation/CoverInfor.h"
#include "graphics/Contrast.h"
#include "platform/Guard.h"
#include "services/Colors.h"
#include "textcompare/CustomTextViewLineView.h"
#include "textcompare/PaneLoader.h"
#include "themes/LanguageColorInfo.h"
#include "themes/SyntaxColorRuns.h"
#include "themes/TextCaret.h"
#include "themes/ThemeColor.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

// Every colour text is painted in on a pane: the default text and each syntax colour.
QList<QColor> themeTextColors(const QColor &paletteText)
{
    QList<QColor> colors{paletteText};
    for (int index :
         {int(SYNTAX_COLOR_DEFAULT), 1, 2, 3, 4, 5, 6, 7, 8, 9, int(SYNTAX_COLOR_NUMBER),
          int(SYNTAX_COLOR_SINGLE_QUOTE), int(SYNTAX_COLOR_DOUBLE_QUOTE), int(SYNTAX_COLOR_COMMENT),
          int(SYNTAX_COLOR_URL)})
        colors << GetApp_Color_Text_Default_WithIndex(index).toQColor();
    return colors;
}

} // namespace

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

const FoldMap &MyEditTextView::foldMap() const
{
    static const FoldMap none;
    if (!mMayHaveFolds)
        return none;
    // Two documents may stand at the same revision: the map is that of one document.
    if (mFoldsDirty || mFoldsRevision != document()->revision() || mFoldsDocument != document()) {
        mFolds.rebuild(document());
        mFoldsDirty = false;
        mFoldsRevision = document()->revision();
        mFoldsDocument = document();
    }
    return mFolds;
}

qint64 MyEditTextView::lineCount() const
{
    return document()->blockCount() - foldMap().foldRowCount();
}

qint64 MyEditTextView::cursorLine() const
{
    return foldMap().lineOfBlock(textCursor().blockNumber());
}

qint64 MyEditTextView::firstVisibleLine() const
{
    return foldMap().lineOfBlock(firstVisibleBlock().blockNumber());
}

qint64 MyEditTextView::firstVisibleRowInLine() const
{
    const FoldMap &folds = foldMap();
    if (folds.empty())
        return 0;
    const qint64 block = firstVisibleBlock().blockNumber();
    return block - folds.firstBlockOfLine(folds.lineOfBlock(block));
}

qint64 MyEditTextView::lastVisibleLine() const
{
    const FoldMap &folds = foldMap();
    QTextBlock block = firstVisibleBlock();
    qreal y = blockBoundingGeometry(block).translated(contentOffset()).top();
    const qreal bottom = viewport()->height();
    qint64 last = block.blockNumber();
    while (block.isValid() && y < bottom) {
        last = block.blockNumber();
        y += blockBoundingRect(block).height();
        block = block.next();
    }
    return std::max<qint64>(folds.lineOfBlock(last), 0);
}

qreal MyEditTextView::lineTopY(qint64 line) const
{
    const FoldMap &folds = foldMap();
    if (folds.empty())
        return blockTopY(line);
    const qint64 lines = lineCount();
    if (line < lines)
        return blockTopY(folds.firstBlockOfLine(line));
    // Past the last line: placed by the line height after the end.
    return blockTopY(document()->blockCount()) + (line - lines) * fontMetrics().lineSpacing();
}

qreal MyEditTextView::blockTopY(qint64 number) const
{
    const qreal lineHeight = fontMetrics().lineSpacing();
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return number * lineHeight;
    const qint64 first = block.blockNumber();
    qreal y = blockBoundingGeometry(block).translated(contentOffset()).top();
    if (number <= first)
        return y - (first - number) * lineHeight;
    const qreal limit = viewport()->height() + 2 * lineHeight;
    while (block.isValid() && block.blockNumber() < number && y < limit) {
        y += blockBoundingRect(block).height();
        block = block.next();
    }
    if (!block.isValid())
        return y + std::max<qint64>(0, number - document()->blockCount()) * lineHeight;
    return y + (number - block.blockNumber()) * lineHeight;
}

void MyEditTextView::scrollToLine(qint64 line, qint64 rowInLine)
{
    const FoldMap &folds = foldMap();
    line = std::clamp<qint64>(line, 0, std::max<qint64>(0, lineCount() - 1));
    const qint64 number =
        folds.firstBlockOfLine(line) + std::clamp<qint64>(rowInLine, 0, folds.foldRowsOfLine(line));
    const QTextBlock block = document()->findBlockByNumber(int(number));
    verticalScrollBar()->setValue(block.isValid() ? block.firstLineNumber() : int(number));
}

int MyEditTextView::rowsInView() const
{
    return std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()));
}

double MyEditTextView::linePositionAtRow(int rowsFromTop) const
{
    const int row = verticalScrollBar()->value() + rowsFromTop;
    const QTextBlock block = document()->findBlockByLineNumber(row);
    if (!block.isValid() || row < 0) {
        const QTextBlock last = document()->lastBlock();
        const int endRow = last.firstLineNumber() + std::max(1, last.lineCount());
        return double(lineCount()) + std::max(0, row - endRow);
    }
    const double inBlock = std::clamp(
        double(row - block.firstLineNumber()) / std::max(1, block.lineCount()), 0.0, 1.0);
    const FoldMap &folds = foldMap();
    const qint64 line = folds.lineOfBlock(block.blockNumber());
    const qint64 rows = folds.foldRowsOfLine(line) + 1;
    return double(line) +
           (double(block.blockNumber() - folds.firstBlockOfLine(line)) + inBlock) / double(rows);
}

void MyEditTextView::scrollLinePositionToRow(double position, int rowsFromTop)
{
    const qint64 lines = lineCount();
    double row = 0;
    if (!(position >= 0)) {
        row = 0;
    } else if (position >= double(lines)) {
        const QTextBlock last = document()->lastBlock();
        row = last.firstLineNumber() + std::max(1, last.lineCount()) + (position - double(lines));
    } else {
        const FoldMap &folds = foldMap();
        const qint64 line = qint64(position);
        const qint64 rows = folds.foldRowsOfLine(line) + 1;
        const double intoLine = (position - double(line)) * double(rows);
        // A row's own start, given as a fraction of the line, must not fall into the row before.
        const qint64 blockInLine = std::min(qint64(intoLine + 1e-9), rows - 1);
        const QTextBlock block =
            document()->findBlockByNumber(int(folds.firstBlockOfLine(line) + blockInLine));
        if (block.isValid())
            row = block.firstLineNumber() +
                  (intoLine - double(blockInLine)) * std::max(1, block.lineCount());
    }
    const double top = std::clamp(row - rowsFromTop, 0.0, double(std::numeric_limits<int>::max()));
    verticalScrollBar()->setValue(int(std::lround(top)));
}

double MyEditTextView::linePositionOfText(qint64 position) const
{
    const FoldMap &folds = foldMap();
    const QTextBlock block = document()->findBlock(int(folds.toDocument(position)));
    if (!block.isValid())
        return double(lineCount());
    const qint64 line = folds.lineOfBlock(block.blockNumber());
    const qint64 rows = folds.foldRowsOfLine(line) + 1;
    return double(line) + double(block.blockNumber() - folds.firstBlockOfLine(line)) / double(rows);
}

bool MyEditTextView::isTextPositionInView(qint64 position) const
{
    const QTextBlock block = document()->findBlock(int(foldMap().toDocument(position)));
    if (!block.isValid())
        return false;
    const qreal top = blockTopY(block.blockNumber());
    return top >= 0 && top + fontMetrics().lineSpacing() <= viewport()->height();
}

void MyEditTextView::setShowLineNumbers(bool show)
{
    mShowLineNumbers = show;
    mLineView->setVisible(show);
    updateLineNumberAreaWidth();
}

int MyEditTextView::lineNumberAreaWidth() const
{
    return lineNumberAreaWidth(std::max(int(lineCount()), mGutterLines));
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

void MyEditTextView::beginFoldWatch()
{
    if (mWatchDepth++ > 0)
        return;
    mWatchRepairs.clear();
    mWatching = mMayHaveFolds && !foldMap().empty();
}

void MyEditTextView::endFoldWatch()
{
    if (--mWatchDepth > 0 || !mWatching)
        return;
    mWatching = false;
    for (auto &[at, row] : mWatchRepairs) {
        if (!at.atBlockStart() || IsFoldRow(at.block()) == row)
            continue;
        // Part of the edit's own undo step; the window heard of the edit already, and the text
        // it will read is the one mended here.
        const bool blocked = document()->blockSignals(true);
        at.joinPreviousEditBlock();
        SetFoldRow(at.block(), row);
        at.endEditBlock();
        document()->blockSignals(blocked);
        mFoldsDirty = true;
    }
    mWatchRepairs.clear();
}

void MyEditTextView::cutSelection()
{
    FoldWatch watch(this);
    cut();
}

void MyEditTextView::inputMethodEvent(QInputMethodEvent *event)
{
    FoldWatch watch(this);
    QPlainTextEdit::inputMethodEvent(event);
}

void MyEditTextView::dropEvent(QDropEvent *event)
{
    FoldWatch watch(this);
    QPlainTextEdit::dropEvent(event);
}

bool MyEditTextView::handleFoldKeys(QKeyEvent *event)
{
    if (isReadOnly() || !mMayHaveFolds || foldMap().empty())
        return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    QTextCursor cursor = textCursor();
    if (event->matches(QKeySequence::InsertParagraphSeparator)) {
        // A break typed into a folded line is a break of the text: it must not take the mark
        // of the row it splits.
        InsertPaneText(cursor, u"\n", false);
        setTextCursor(cursor);
        ensureCursorVisible();
        return true;
    }
    if (cursor.hasSelection() || mods != Qt::NoModifier)
        return false;
    // Backspace at the start of a row and Delete at the end of one take the character beyond the
    // row's edge (and beyond rows left empty): the edge itself is no character of the text.
    QTextBlock block = cursor.block();
    QTextCursor target(document());
    if (event->key() == Qt::Key_Backspace && cursor.atBlockStart() && IsFoldRow(block)) {
        do
            block = block.previous();
        while (block.length() == 1 && IsFoldRow(block));
        if (!block.isValid())
            return false;
        const int end = block.position() + block.length() - 1;
        if (end > block.position()) {
            const bool pair = end - block.position() >= 2 &&
                              document()->characterAt(end - 1).isLowSurrogate() &&
                              document()->characterAt(end - 2).isHighSurrogate();
            target.setPosition(end - (pair ? 2 : 1));
            target.setPosition(end, QTextCursor::KeepAnchor);
        } else if (block.position() > 0) {
            // An empty line: the break before it.
            target.setPosition(block.position() - 1);
            target.setPosition(block.position(), QTextCursor::KeepAnchor);
        }
    } else if (event->key() == Qt::Key_Delete && cursor.atBlockEnd() && IsFoldRow(block.next())) {
        block = block.next();
        while (block.length() == 1 && IsFoldRow(block.next()))
            block = block.next();
        const int start = block.position();
        const bool pair = block.length() > 2 && document()->characterAt(start).isHighSurrogate() &&
                          document()->characterAt(start + 1).isLowSurrogate();
        // An empty last row: the break after it, when there is one.
        if (block.length() > 1 || block.next().isValid()) {
            target.setPosition(start);
            target.setPosition(start + (pair ? 2 : 1), QTextCursor::KeepAnchor);
        }
    } else {
        return false;
    }
    if (target.hasSelection()) {
        RemovePaneSelection(target);
        setTextCursor(target);
    }
    return true;
}

void MyEditTextView::keyPressEvent(QKeyEvent *event)
{
    // Undo and redo put back what was; they are not watched.
    const bool undo = event->matches(QKeySequence::Undo);
    if (undo || event->matches(QKeySequence::Redo)) {
        if (mUndoHandler && !isReadOnly()) {
            mUndoHandler(!undo);
            event->accept();
        } else {
            QPlainTextEdit::keyPressEvent(event);
        }
        return;
    }
    FoldWatch watch(this);
    if (handleFoldKeys(event)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MyEditTextView::contextMenuEvent(QContextMenuEvent *event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    if (!menu)
        return;
    if (mUndoHandler) {
        for (QAction *a : menu->actions()) {
            const bool undo = a->objectName() == QLatin1String("edit-undo");
            if (!undo && a->objectName() != QLatin1String("edit-redo"))
                continue;
            a->disconnect(SIGNAL(triggered(bool)));
            a->setEnabled(!isReadOnly() && (!mUndoAvailable || mUndoAvailable(!undo)));
            connect(a, &QAction::triggered, this, [this, undo] {
                if (mUndoHandler)
                    mUndoHandler(!undo);
            });
        }
    }
    // Cut and Delete keep the fold marks of the rows (Paste does already).
    for (QAction *a : menu->actions()) {
        if (a->objectName() == QLatin1String("edit-cut")) {
            a->disconnect(SIGNAL(triggered(bool)));
            connect(a, &QAction::triggered, this, [this] { cutSelection(); });
        } else if (a->objectName() == QLatin1String("edit-delete")) {
            a->disconnect(SIGNAL(triggered(bool)));
            connect(a, &QAction::triggered, this, [this] {
                QTextCursor cursor = textCursor();
                RemovePaneSelection(cursor);
                setTextCursor(cursor);
            });
        }
    }
    menu->exec(event->globalPos());
}

QMimeData *MyEditTextView::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection() || foldMap().empty())
        return QPlainTextEdit::createMimeDataFromSelection();
    // As Qt copies an unfolded pane: line separators as line breaks, no-break spaces as spaces.
    QString text = PaneText(document(), cursor.selectionStart(), cursor.selectionEnd());
    text.replace(QChar(QChar::LineSeparator), u'\n');
    text.replace(QChar(QChar::Nbsp), u' ');
    auto *data = new QMimeData;
    data->setText(text);
    return data;
}

void MyEditTextView::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    InsertPaneText(cursor, source->text(), mFoldLongLines);
    mMayHaveFolds = mMayHaveFolds || HasHadFoldRows(document());
    setTextCursor(cursor);
    ensureCursorVisible();
}

QColor MyEditTextView::blockColor(const MERGE_BLOCK &block)
{
    platform::Color c;
    if (block.lineCount[1] > 0 && block.lineCount[2] > 0)
        c = GetColor_DiffChanged();
    else if (block.lineCount[2] == 0)
        c = GetColor_DiffStatus3(); // only on the left
    else
        c = GetColor_DiffStatus4(); // only on the right
    QColor q = c.isValid() ? c.toQColor() : QColor(Qt::red);
    q.setAlpha(255);
    return q;
}

QList<QColor> MyEditTextView::textColors() const
{
    // Without colouring only the default colours paint text: the tints need not keep every
    // syntax colour of the theme readable, which would leave them too faint to see.
    if (!mColorInfo->language())
        return {palette().color(QPalette::Text),
                GetApp_Color_Text_Default_WithIndex(SYNTAX_COLOR_DEFAULT).toQColor()};
    return themeTextColors(palette().color(QPalette::Text));
}

BlockPalette MyEditTextView::blockPalette(const MERGE_BLOCK &block) const
{
    const QColor status = blockColor(block);
    const QColor background = palette().color(QPalette::Base);
    const QList<QColor> texts = textColors();
    for (const CachedPalette &c : mPaletteCache)
        if (c.status == status && c.background == background && c.texts == texts)
            return c.palette;
    if (mPaletteCache.size() > 8)
        mPaletteCache.clear();
    const BlockPalette p = MakeBlockPalette(status, background, texts);
    mPaletteCache.push_back({status, background, texts, p});
    return p;
}

void MyEditTextView::paintBlocks(QPainter &painter, const QRect &clip)
{
    if (!mBlocks || mBlocks->empty())
        return;
    const int side = mSide;
    const qint64 first = firstVisibleLine();
    const qint64 last = lastVisibleLine();
    // Blocks are ascending on both sides: start at the first one that ends in view.
    auto it = std::partition_point(mBlocks->begin(), mBlocks->end(), [&](const MERGE_BLOCK &b) {
        return b.startLine[side] + std::max<qint64>(b.lineCount[side], 1) < first;
    });
    const qreal width = viewport()->width();
    for (; it != mBlocks->end() && it->startLine[side] <= last + 1; ++it) {
        const int index = int(it - mBlocks->begin());
        const bool current = index == mCurrentBlock;
        const BlockPalette colors = blockPalette(*it);
        const qint64 start = it->startLine[side], count = it->lineCount[side];
        const qreal top = lineTopY(start);
        if (count > 0) {
            const qreal bottom = lineTopY(start + count);
            const QRectF r(0, top, width, bottom - top);
            if (r.intersects(clip))
                painter.fillRect(r, current ? colors.currentBlock : colors.block);
            if (current) {
                // The selected block stands out by its frame, not by a darker fill under the
                // text.
                painter.fillRect(QRectF(0, top, width, 2), colors.frame);
                painter.fillRect(QRectF(0, bottom - 2, width, 2), colors.frame);
                painter.fillRect(QRectF(0, top, 3, bottom - top), colors.frame);
            }
        } else {
            // Nothing on this side: a line where the other side's lines would go.
            QColor line = colors.frame;
            if (!current)
                line = MixColors(palette().color(QPalette::Base), line, 0.7);
            painter.fillRect(QRectF(0, top - 1, width, current ? 3 : 2), line);
        }
    }
}

void MyEditTextView::setInvisibleMarks(const InvisibleMarks &marks)
{
    if (marks == mLayoutManager.marks())
        return;
    mLayoutManager.setMarks(marks);
    viewport()->update();
}

QColor MyEditTextView::invisibleMarkColor() const
{
    const QColor base = palette().color(QPalette::Base);
    MERGE_BLOCK changed, leftOnly, rightOnly;
    changed.lineCount[1] = changed.lineCount[2] = 1;
    leftOnly.lineCount[1] = 1;
    rightOnly.lineCount[2] = 1;
    QList<QColor> inputs{GetApp_Color_Mark().toQColor(), palette().color(QPalette::Text), base,
                         palette().color(QPalette::Highlight)};
    for (const MERGE_BLOCK *block : {&changed, &leftOnly, &rightOnly})
        inputs << blockColor(*block);
    inputs += textColors();
    if (mMarkColorCache.color.isValid() && mMarkColorCache.inputs == inputs)
        return mMarkColorCache.color;
    // Everything a mark may stand on: the pane, the selection and each tint of each status.
    QList<QColor> backgrounds{base, palette().color(QPalette::Highlight)};
    for (const MERGE_BLOCK *block : {&changed, &leftOnly, &rightOnly}) {
        const BlockPalette p = blockPalette(*block);
        backgrounds << p.block << p.currentBlock << p.changedCharacters;
    }
    mMarkColorCache = {inputs, ReadableMarkColor(inputs[0], inputs[1], backgrounds)};
    return mMarkColorCache.color;
}

void MyEditTextView::paintInvisibleMarks(QPainter &painter, const QRect &clip)
{
    if (!mLayoutManager.marks().any())
        return;
    const QTextBlock first = firstVisibleBlock();
    if (!first.isValid())
        return;
    const QPointF origin = blockBoundingGeometry(first).translated(contentOffset()).topLeft();
    mLayoutManager.drawGlyphs(painter, first, origin, QRectF(clip), invisibleMarkColor());
}

void MyEditTextView::paintEvent(QPaintEvent *event)
{
    // Colours still to come are put on before the paint lays out what it shows.
    if (mColoringScheduled)
        colourNow();
    {
        QPainter painter(viewport());
        paintBlocks(painter, event->rect());
    }
    QPlainTextEdit::paintEvent(event);
    {
        QPainter painter(viewport());
        paintInvisibleMarks(painter, event->rect());
        mCaret->paint(painter);
    }
    if (mBlocks && !mBlocks->empty())
        emit blocksPainted();
}

void MyEditTextView::updateExtraSelections()
{
    QList<QTextEdit::ExtraSelection> selections;
    if (mBlocks && mCurrentBlock >= 0 && mCurrentBlock < int(mBlocks->size())) {
        const BlockPalette colors = blockPalette((*mBlocks)[size_t(mCurrentBlock)]);
        const QColor color = colors.changedCharacters;
        // Where the theme's text colours leave no room for a stronger tint than the selected
        // block's, the changed characters are underlined in the block's colour as well.
        const QColor a = color.toRgb(), b = colors.currentBlock.toRgb();
        const bool sameTint =
            std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                      std::abs(a.blue() - b.blue())}) < 16;
        const qint64 length = document()->characterCount();
        const FoldMap &folds = foldMap();
        for (const Range &r : mChangedCharacters) {
            const qint64 start = folds.toDocument(r.location);
            if (r.location < 0 || start >= length)
                continue;
            QTextEdit::ExtraSelection sel;
            sel.cursor = QTextCursor(document());
            sel.cursor.setPosition(int(start));
            sel.cursor.setPosition(int(std::min<qint64>(folds.toDocument(MaxRange(r)), length - 1)),
                                   QTextCursor::KeepAnchor);
            sel.format.setBackground(color);
            if (sameTint) {
                sel.format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
                sel.format.setUnderlineColor(colors.frame);
            }
            selections.append(sel);
        }
    }
    setExtraSelections(selections);
}

// Syntax colouring ------------------------------------------------------------------------------

void MyEditTextView::setLanguage(const std::shared_ptr<MyLanguageInfo> &language)
{
    GUARD_BEGIN
    mColorInfo->setLanguage(language);
    mColorInfo->resetAll();
    // Forget every painted run: a new language (or none) starts from plain text.
    mRuns->clearAll();
    mRuns->applyFormats(0, document()->characterCount());
    // The tints depend on the colours text is painted in, which the language decides.
    updateExtraSelections();
    scheduleColoring();
    GUARD_END_VOID
}

void MyEditTextView::themeChanged()
{
    // The formats made for the old theme's colours go first, or the new colouring reuses them.
    mRuns->themeChanged();
    setLanguage(language());
}

std::shared_ptr<MyLanguageInfo> MyEditTextView::language() const
{
    return mColorInfo->language();
}

void MyEditTextView::scheduleColoring()
{
    if (mColoringScheduled || !mColorInfo->language())
        return;
    mColoringScheduled = true;
    QTimer::singleShot(0, this, [this] {
        mColoringScheduled = false;
        colorVisibleText();
    });
}

QTextBlock MyEditTextView::lastBlockThatMayShow() const
{
    // Counted, not measured: measuring a block lays it out, which the colours about to be put on
    // it would undo. Every block takes at least one row, so this reaches at least to the last
    // one in view.
    QTextBlock block = firstVisibleBlock();
    for (int rows = rowsInView() + 1; rows > 0 && block.isValid() && block.next().isValid(); --rows)
        block = block.next();
    return block;
}

bool MyEditTextView::isVisibleTextColoured() const
{
    if (!mColorInfo->language() || document()->isEmpty())
        return true;
    const QTextBlock last = lastBlockThatMayShow();
    if (!firstVisibleBlock().isValid() || !last.isValid())
        return true;
    const FoldMap &folds = foldMap();
    const qint64 start = folds.toText(firstVisibleBlock().position());
    const qint64 end = folds.toText(last.position() + last.length() - 1);
    return end <= start ||
           mColorInfo->doneRanges().indexThatContainsRange(Range{start, end - start}) != NotFound;
}

void MyEditTextView::keepGlyphsOfLongRows(const QTextBlock &first, const QTextBlock &last)
{
    // Qt shapes a block's text when it lays the block out, drops the glyphs, and shapes it again
    // for every paint. Long rows in view keep their glyphs; rows out of view let them go.
    constexpr int kLongRow = 200;
    const int from = first.blockNumber(), to = last.blockNumber();
    if (mShapedDocument == document()) {
        for (int number : mShapedRows) {
            if (number >= from && number <= to)
                continue;
            QTextBlock block = document()->findBlockByNumber(number);
            if (block.isValid() && block.layout()->cacheEnabled()) {
                block.layout()->setCacheEnabled(false);
                block.clearLayout();
            }
        }
    }
    mShapedRows.clear();
    mShapedDocument = document();
    for (QTextBlock block = first; block.isValid() && block.blockNumber() <= to;
         block = block.next()) {
        if (block.length() <= kLongRow)
            continue;
        block.layout()->setCacheEnabled(true);
        mShapedRows.push_back(block.blockNumber());
    }
}

SyntaxColorRuns::ShownPart MyEditTextView::shownPartOfRows() const
{
    if (lineWrapMode() != QPlainTextEdit::NoWrap)
        return {};
    return [this](const QTextBlock &block) -> std::pair<int, int> {
        const int length = block.length() - 1;
        // Laid out without the colours to come, a row costs little; its line tells which of
        // its characters stand in the viewport.
        const QRectF rect = blockBoundingRect(block);
        const QTextLine line =
            block.layout()->lineCount() == 1 ? block.layout()->lineAt(0) : QTextLine();
        if (!line.isValid())
            return {0, length};
        const qreal left = -contentOffset().x() - rect.left();
        const int first = line.xToCursor(left - 1);
        const int last = line.xToCursor(left + viewport()->width() + 1);
        return {std::clamp(first, 0, length), std::clamp(last + 1, 0, length)};
    };
}

void MyEditTextView::colourNow()
{
    // Applying colours can move the scroll range, whose scroll would colour again meanwhile.
    if (!mColorInfo->language() || mColouringNow)
        return;
    mColouringNow = true;
    colorVisibleText();
    mColouringNow = false;
}

void MyEditTextView::colorVisibleText()
{
    GUARD_BEGIN
    if (!mColorInfo->language() || document()->isEmpty())
        return;
    const QTextBlock first = firstVisibleBlock();
    const QTextBlock last = lastBlockThatMayShow();
    if (!first.isValid() || !last.isValid())
        return;
    const qint64 docStart = first.position();
    const qint64 docEnd = last.position() + last.length() - 1;
    // The colourer reads the text, where a folded line is one line.
    const FoldMap &folds = foldMap();
    const qint64 start = folds.toText(docStart);
    const qint64 end = folds.toText(docEnd);
    const Range visible{start, end - start};
    const bool progress = end > start && mColorInfo->parseInRangeIfNeed(visible);
    keepGlyphsOfLongRows(first, last);
    mRuns->applyFormats(docStart, docEnd, shownPartOfRows());
    // Another pass only when this one got somewhere (it ran out of time): a pass that recorded
    // nothing would only fail again.
    if (progress && mColorInfo->doneRanges().indexThatContainsRange(visible) == NotFound)
        scheduleColoring();
    GUARD_END_VOID
}

// The colourer's positions are positions of the text; the runs are kept on the document.
Range MyEditTextView::documentRange(Range range) const
{
    const FoldMap &folds = foldMap();
    if (folds.empty())
        return range;
    const qint64 start = folds.toDocument(range.location);
    return Range{start, folds.toDocument(MaxRange(range)) - start};
}

void MyEditTextView::setTextInRange(Range range, int colorIndex)
{
    mRuns->paint(documentRange(range), colorIndex);
}

void MyEditTextView::setCommentColorForTextInRange(Range range)
{
    mRuns->paint(documentRange(range), SYNTAX_COLOR_COMMENT);
}

int MyEditTextView::paintedColorIndexAt(qint64 position)
{
    return mRuns->colorIndexAt(foldMap().toDocument(position));
}

qint64 MyEditTextView::colourTextLength()
{
    return std::max<qint64>(0, document()->characterCount() - 1 - foldMap().foldRowCount());
}

void MyEditTextView::copyColourText(qint64 from, qint64 to, char16_t *dst)
{
    const FoldMap &folds = foldMap();
    if (folds.empty()) {
        CopyDocumentText(document(), from, to, dst);
        return;
    }
    qint64 at = from;
    QTextBlock block = document()->findBlock(int(folds.toDocument(from)));
    qint64 blockStart = block.isValid() ? folds.toText(block.position()) : to;
    while (block.isValid() && at < to) {
        const QString text = block.text();
        const qint64 contentEnd = blockStart + text.size();
        if (at < contentEnd) {
            const qint64 n = std::min(to, contentEnd) - at;
            const char16_t *src =
                reinterpret_cast<const char16_t *>(text.utf16()) + (at - blockStart);
            std::copy(src, src + n, dst + (at - from));
            at += n;
        }
        const QTextBlock next = block.next();
        // The edge before a fold row is no character of the text.
        const bool lineBreak = !IsFoldRow(next);
        if (at < to && at == contentEnd && lineBreak) {
            dst[at - from] = u'\n';
            ++at;
        }
        blockStart = contentEnd + (lineBreak ? 1 : 0);
        block = next;
    }
    for (; at < to; ++at)
        dst[at - from] = u'\n';
}

qint64 MyEditTextView::colourLineStart(qint64 position)
{
    const FoldMap &folds = foldMap();
    if (folds.empty())
        return DocumentLineStart(document(), position);
    const QTextBlock block = blockOfText(position);
    if (!block.isValid())
        return -1;
    const QTextBlock first = document()->findBlockByNumber(
        int(folds.firstBlockOfLine(folds.lineOfBlock(block.blockNumber()))));
    return first.isValid() ? folds.toText(first.position()) : -1;
}

qint64 MyEditTextView::colourLineContentEnd(qint64 position)
{
    const FoldMap &folds = foldMap();
    if (folds.empty())
        return DocumentLineContentEnd(document(), position);
    QTextBlock block = blockOfText(position);
    if (!block.isValid())
        return -1;
    const qint64 line = folds.lineOfBlock(block.blockNumber());
    const qint64 lastRow = line + 1 < lineCount() ? folds.firstBlockOfLine(line + 1) - 1
                                                  : document()->blockCount() - 1;
    block = document()->findBlockByNumber(int(lastRow));
    if (!block.isValid())
        return -1;
    return std::min(folds.toText(block.position() + block.length() - 1), colourTextLength());
}

QTextBlock MyEditTextView::blockOfText(qint64 position) const
{
    const qint64 last = std::max(0, document()->characterCount() - 1);
    return document()->findBlock(int(std::clamp<qint64>(foldMap().toDocument(position), 0, last)));
}
