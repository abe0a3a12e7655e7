#pragma once
// One editable pane of the text compare window: the text, its line-number gutter, the difference
// blocks of its side painted behind the text (only those in view), the changed characters of the
// current block, and syntax colouring on behalf of its LanguageColorInfo.
//
// The class is split by concern: the document, its text and the gutter (MyEditTextView.cpp),
// lines, rows and scrolling (_Rows.cpp), folded lines (_Folds.cpp), keys, menus and the clipboard
// (_Input.cpp), painting (_Paint.cpp) and syntax colouring (_Colour.cpp).

#include "compare/MergeBlock.h"
#include "textcompare/BlockPalette.h"
#include "textcompare/FoldedLines.h"
#include "textcompare/MyLayoutManager.h"
#include "themes/LanguageColorInfoDelegate.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QTextLayout>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class CustomTextViewLineView;
class LanguageColorInfo;
class SyntaxColorRuns;
class TextCaret;
class MyLanguageInfo;

class MyEditTextView : public QPlainTextEdit, public LanguageColorInfoDelegate
{
    Q_OBJECT
public:
    explicit MyEditTextView(QWidget *parent = nullptr);
    ~MyEditTextView() override;

    // Which side of the blocks this pane shows: 1 left, 2 right.
    void setSide(int side) { mSide = side; }
    int side() const { return mSide; }

    // The blocks are lent by the window, which replaces them on every compare.
    void setMergeBlocks(const MergeBlockList *blocks);
    const MergeBlockList *mergeBlocks() const { return mBlocks; }
    void setCurrentBlock(int index);
    int currentBlock() const { return mCurrentBlock; }
    // Character ranges (in document positions) of the current block to highlight.
    void setChangedCharacters(const std::vector<Range> &ranges);

    // The text as it is, line ends as "\n". Unlike toPlainText() this keeps non-breaking spaces
    // and line separators, so what is compared and saved is what was read.
    QString plainText() const;

    // Replaces the whole text as one undoable edit.
    void replaceAllText(const QString &text);
    // Replaces characters [range) of the text as one undoable edit.
    void replaceText(Range range, const QString &text);

    // Lines longer than kFoldLineLength of texts put in from now on are shown in rows (big
    // texts); those longer than kAlwaysFoldLineLength always are. The text itself never changes
    // for it.
    void setFoldLongLines(bool fold) { mFoldLongLines = fold; }
    bool foldsLongLines() const { return mFoldLongLines; }
    // Lines of the text against rows of the document: empty unless a line is folded.
    const FoldMap &foldMap() const;
    // The line of the text the cursor is on.
    qint64 cursorLine() const;
    // The first row in view, counted from the first row of its line (0 unless folded).
    qint64 firstVisibleRowInLine() const;
    // cut(), with the fold marks of the rows kept.
    void cutSelection();
    // Sets the text without keeping undo history (loading).
    void loadText(const QString &text);
    // Shows a document built elsewhere (with a plain-text layout, on this thread), as a freshly
    // loaded text: no undo history, the colourer starting anew, the gutter sized once for its
    // line count. The pane owns it from now on.
    // gutterLines: the line count the gutter is sized for when the document holds only the head
    // of a longer text (0: its own). folds: its fold rows, when already walked where it was built.
    void adoptDocument(QTextDocument *document, qint64 gutterLines = 0,
                       const FoldMap *folds = nullptr);
    // The theme changed: colour runs are painted again in its colours.
    void themeChanged();

    // Vertical position (viewport coordinates) of the top of a line; lines out of view are
    // placed by the line height, so blocks reaching past the view still get their edges.
    qreal lineTopY(qint64 line) const;
    qint64 firstVisibleLine() const;
    qint64 lastVisibleLine() const;
    qint64 lineCount() const;
    // The lines the gutter numbers: a text that ends with a line break has no line after it,
    // though the document keeps an empty row there for the cursor.
    qint64 numberedLineCount() const;
    // Scrolls so that the line (of a folded line, its row rowInLine) is the first one in view.
    void scrollToLine(qint64 line, qint64 rowInLine = 0);
    // Rows of the scroll bar (a wrapped line or a folded one has several) that fit in the view.
    int rowsInView() const;
    // A line position: the line number and how far through its rows, as a fraction.
    // The position of the row rowsFromTop rows below the first one in view; past the last line,
    // the line count and one more for each row beyond it.
    double linePositionAtRow(int rowsFromTop) const;
    // Scrolls so that the row of the line position stands rowsFromTop rows below the first one in
    // view, as far as the scroll range allows.
    void scrollLinePositionToRow(double position, int rowsFromTop);
    // The row of the view (0 the first one shown) where the row of the line position stands;
    // negative above the view. Rows out of view are estimated.
    int viewRowOfLinePosition(double position) const;
    // The height of one row of text.
    qreal rowHeight() const;
    // The line position of the row holding a text position.
    double linePositionOfText(qint64 position) const;
    // The row holding a text position is wholly in view.
    bool isTextPositionInView(qint64 position) const;

    // With a handler set, undo and redo (keys and context menu) go to the window, which keeps one
    // history for both panes: a block taken into this pane is undone from either of them.
    using UndoHandler = std::function<void(bool redo)>;
    using UndoAvailable = std::function<bool(bool redo)>;
    void setUndoHandler(UndoHandler handler, UndoAvailable available);

    // Return starts the new line with the white space its line starts with.
    void setAutoIndent(bool on) { mAutoIndent = on; }
    bool autoIndents() const { return mAutoIndent; }

    void setShowLineNumbers(bool show);
    bool showLineNumbers() const { return mShowLineNumbers; }
    CustomTextViewLineView *lineNumberView() const { return mLineView; }
    int lineNumberAreaWidth() const;
    int lineNumberAreaWidth(int lineCount) const;

    // Syntax colouring; nullptr switches it off and paints everything in the default colour.
    void setLanguage(const std::shared_ptr<MyLanguageInfo> &language);
    std::shared_ptr<MyLanguageInfo> language() const;
    // Colours what is in view now (also run after scrolling and editing).
    void colorVisibleText();
    // The text in view is coloured (or needs no colours).
    bool isVisibleTextColoured() const;
    LanguageColorInfo &colorInfo() { return *mColorInfo; }

    // LanguageColorInfoDelegate
    void setTextInRange(Range range, int colorIndex) override;
    void setCommentColorForTextInRange(Range range) override;
    QTextDocument *getMyTextStorage() override { return document(); }
    int paintedColorIndexAt(qint64 position) override;
    // The colourer reads the text, where a folded line is one line: its positions are positions
    // of the text, not of the document.
    qint64 colourTextLength() override;
    void copyColourText(qint64 from, qint64 to, char16_t *dst) override;
    qint64 colourLineStart(qint64 position) override;
    qint64 colourLineContentEnd(qint64 position) override;

    // Marks of spaces, tabs and line ends, drawn over the text in view.
    void setInvisibleMarks(const InvisibleMarks &marks);
    const InvisibleMarks &invisibleMarks() const { return mLayoutManager.marks(); }
    // The colour the marks are drawn in: readable on the pane, its selection and every tint of
    // the difference blocks.
    QColor invisibleMarkColor() const;

    // The status colour of a block: changed, or present on one side only.
    static QColor blockColor(const MERGE_BLOCK &block);
    // The tints painted for a block on this pane, readable under every colour of the theme.
    BlockPalette blockPalette(const MERGE_BLOCK &block) const;
    // The colours text is painted in on this pane.
    QList<QColor> textColors() const;

signals:
    void viewScrolled();
    // A paint that showed difference blocks finished (timing of the first paint).
    void blocksPainted();
    // adoptDocument() put a new document in place: connections to the old one are gone.
    void documentReplaced();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    friend class CustomTextViewLineView;
    void updateLineNumberAreaWidth();
    void connectDocument();
    void paintBlocks(QPainter &painter, const QRect &clip);
    void paintInvisibleMarks(QPainter &painter, const QRect &clip);
    void updateExtraSelections();
    void scheduleColoring();
    // Colours what is in view at once (a scheduled colouring still runs, and finds it done).
    void colourNow();
    // The part of a row in view, for rows coloured only there (none when lines wrap).
    std::function<std::pair<int, int>(const QTextBlock &)> shownPartOfRows() const;
    void keepGlyphsOfLongRows(const QTextBlock &first, const QTextBlock &last);
    // The last block that may show in the viewport, found without laying anything out.
    QTextBlock lastBlockThatMayShow() const;
    Range documentRange(Range textRange) const;
    QTextBlock blockOfText(qint64 position) const;
    // Vertical position (viewport coordinates) of the top of a block of the document.
    qreal blockTopY(qint64 block) const;
    // The rows a block takes in the view, laid out first when lines wrap.
    int rowsOfBlock(const QTextBlock &block) const;
    // The block of the document a line position falls in, and how many rows into it.
    std::pair<QTextBlock, double> rowOfLinePosition(double position) const;
    bool handleFoldKeys(QKeyEvent *event);
    bool breakLineWithIndent(QKeyEvent *event);
    // Edits Qt makes on its own (keys, cut, drops, input methods, the context menu) are watched
    // while they run: a removal that starts at a block start and joins blocks leaves the joined
    // block the format of the last one, which may move a fold mark onto the first row of a line.
    // The mark is put back in the same undo step.
    void beginFoldWatch();
    void endFoldWatch();
    struct FoldWatch
    {
        explicit FoldWatch(MyEditTextView *view) : view(view) { view->beginFoldWatch(); }
        ~FoldWatch() { view->endFoldWatch(); }
        MyEditTextView *view;
    };

    CustomTextViewLineView *mLineView = nullptr;
    const MergeBlockList *mBlocks = nullptr;
    int mSide = 1;
    int mCurrentBlock = -1;
    bool mShowLineNumbers = true;
    bool mAutoIndent = false;
    int mGutterLines = 0; // the line count of the whole text while a head of it is shown
    std::vector<Range> mChangedCharacters;
    bool mFoldLongLines = false;
    bool mMayHaveFolds = false; // the document has (or had) fold rows
    mutable FoldMap mFolds;
    mutable bool mFoldsDirty = true;
    mutable int mFoldsRevision = -1;
    mutable QPointer<const QTextDocument> mFoldsDocument; // the document mFolds was made of
    int mWatchDepth = 0;
    bool mWatching = false;
    std::vector<std::pair<QTextCursor, bool>> mWatchRepairs; // where, and whether a row
    std::unique_ptr<LanguageColorInfo> mColorInfo;
    bool mColoringScheduled = false;
    bool mColouringNow = false;
    std::vector<int> mShapedRows; // long rows in view, which keep their glyphs
    QPointer<QTextDocument> mShapedDocument;
    SyntaxColorRuns *mRuns = nullptr;
    TextCaret *mCaret = nullptr;
    struct CachedPalette
    {
        QColor status, background;
        QList<QColor> texts;
        BlockPalette palette;
    };
    mutable std::vector<CachedPalette> mPaletteCache;
    MyLayoutManager mLayoutManager;
    struct CachedMarkColor
    {
        QList<QColor> inputs;
        QColor color;
    };
    mutable CachedMarkColor mMarkColorCache;
    UndoHandler mUndoHandler;
    UndoAvailable mUndoAvailable;
};
