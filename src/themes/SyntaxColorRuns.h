#pragma once
// The painted syntax colours of a QTextDocument, kept per block as runs of colour indexes (block
// user data) and shown through QTextLayout formats. Painting this way adds nothing to the undo
// stack and leaves the modified flag alone, which character formats set through a cursor would
// not. Only the blocks a view shows need their formats applied.
//
// The block user data slot of the document belongs to this class.

#include "platform/Range.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextDocument>
#include <functional>
#include <utility>

class SyntaxColorRuns : public QObject
{
    Q_OBJECT
public:
    // The kind of text moved in by an edit whose old kind is unknown: it counts as not normal,
    // so the colourer looks past it, and it is shown in the default colour.
    static constexpr int kUnknownKind = -2;

    explicit SyntaxColorRuns(QTextDocument *document, QObject *parent = nullptr);

    QTextDocument *document() const { return mDocument; }

    // Records the colour index of a range (0 clears it); the blocks become dirty.
    void paint(Range range, int colorIndex);
    // The index painted at a position; -1 when nothing (or 0) was painted there.
    int colorIndexAt(qint64 position) const;
    // Forgets every run (all text in the default colour).
    void clearAll();
    // Keeps the runs in step with an edit the document has just made (its contentsChange):
    // text before the position keeps its runs, the text after the edit keeps the runs it had,
    // and inserted text takes the kind of the old character at the position.
    void documentEdited(qint64 position, qint64 removed, qint64 added);
    // The part of a block a view shows, in block offsets [first, second).
    using ShownPart = std::function<std::pair<int, int>(const QTextBlock &block)>;
    // Turns the runs of the blocks that meet [from, to) into layout formats, where they are not
    // yet. With shown, only the runs in the part of each block it gives (and a margin around
    // it): Qt lays out a block at a cost that grows with its formats, and a long row shows only
    // a part of itself.
    void applyFormats(qint64 from, qint64 to, const ShownPart &shown = {});
    // The theme changed: every block's formats are made again when next applied.
    void themeChanged();

    // Number of blocks whose formats were applied since the start (for measurements).
    qint64 appliedBlockCount() const { return mAppliedBlocks; }
    // True while applyFormats marks blocks dirty: the document's change signals that this
    // causes are no edits.
    bool isApplying() const { return mApplying; }

private:
    const QTextCharFormat &formatForIndex(int colorIndex);

    QPointer<QTextDocument> mDocument;
    QHash<int, QTextCharFormat> mFormats;
    quint64 mThemeGeneration = 1;
    qint64 mAppliedBlocks = 0;
    bool mApplying = false;
};
