#pragma once
// Very long lines are shown folded. Qt lays out a paragraph of a document as a whole, so one line
// of fifty million characters would be shaped in full before anything of it could be painted. A
// folded line is cut into rows of kFoldRowLength characters, each row a block of the document; a
// row that continues the line before it carries a mark in its block format. The break before
// such a row belongs to the document only: the text read, compared, copied and saved has none.
// A pane of a big text folds every line longer than kFoldLineLength; every pane folds the lines
// longer than kAlwaysFoldLineLength: Qt shapes a whole paragraph for every paint that shows a
// part of it, and a line of that length already costs a paint more than its budget.

#include "platform/Range.h"

#include <QString>
#include <QStringView>
#include <QTextBlock>
#include <vector>

class QTextCursor;
class QTextDocument;

inline constexpr qsizetype kFoldLineLength = 10'000;
inline constexpr qsizetype kFoldRowLength = 1'000;
inline constexpr qsizetype kAlwaysFoldLineLength = 20'000;

// The block continues the line of the block before it.
bool IsFoldRow(const QTextBlock &block);
// Fold rows were put into the document at some time (it may have none now).
bool HasHadFoldRows(const QTextDocument *doc);

// Inserts text at the cursor (replacing its selection), "\n" being a line break. A line break
// never takes the fold mark of the row it splits, so a break typed or pasted into a folded line
// stays a break of the text. Inserted lines longer than kFoldLineLength (with fold set) or
// kAlwaysFoldLineLength go in as rows.
void InsertPaneText(QTextCursor &cursor, QStringView text, bool fold);

// Removes the cursor's selection keeping the fold mark of the block it starts in. Qt gives the
// block left by a removal that starts at a block start and joins blocks the format of the last
// of them: a fold mark could so move onto the first row of a line, and the line break before it
// would be lost from the text.
void RemovePaneSelection(QTextCursor &cursor);
// Gives the block the fold mark, or takes it away.
void SetFoldRow(const QTextBlock &block, bool row);

// The length beyond which a line is folded.
inline qsizetype FoldLengthLimit(bool fold)
{
    return fold ? kFoldLineLength : kAlwaysFoldLineLength;
}
bool HasLineLongerThan(QStringView text, qsizetype length);

// Where the rows of a line start (0 first) when it is longer than longerThan; a row never ends
// between the two halves of a surrogate pair. One row for shorter lines.
std::vector<qsizetype> FoldRowStarts(QStringView line, qsizetype longerThan = kFoldLineLength);

// The text of document positions [from, to) (to < 0: the end): line breaks as "\n", the breaks
// before fold rows left out, every other character as it is.
QString PaneText(const QTextDocument *doc, int from = 0, int to = -1);

// Lines of the text against rows (blocks) of a document, and text positions against document
// positions. Empty (every mapping the identity) when the document has no fold rows.
class FoldMap
{
public:
    void rebuild(const QTextDocument *doc);
    // An edit the map can follow without walking the document again: the edit stayed inside one
    // block and the block count did not change. False: rebuild.
    bool follow(const QTextDocument *doc, int position, int removed, int added);

    bool empty() const { return mRows.empty(); }
    qint64 foldRowCount() const { return qint64(mRows.size()); }
    qint64 lineOfBlock(qint64 block) const;
    qint64 firstBlockOfLine(qint64 line) const;
    // Rows of the line after its first.
    qint64 foldRowsOfLine(qint64 line) const;
    qint64 toDocument(qint64 textPosition) const;
    qint64 toText(qint64 documentPosition) const;
    // A fold row starts at the document position.
    bool rowStartsAt(qint64 documentPosition) const;

private:
    qint64 rowsBeforeLine(qint64 line, bool upTo) const;
    qint64 documentStartOfRow(qint64 i) const;

    std::vector<int> mRows;          // block numbers of the fold rows, ascending
    std::vector<qint64> mTextStarts; // the text position each fold row starts at
    int mBlockCount = 0;
};
