#pragma once
// The marks of invisible characters in a pane: a raised dot for each space, an arrow across each
// tab and a down arrow after each line end. The mark paths are made once, in a box of 100 x 100,
// and fitted into each character's box as it is drawn. Only the rows in view are looked at, and
// nothing is drawn, nor looked at, while marks are off. The marks are drawn only: the text, its
// layout and everything read from it stay as they are.

#include "platform/BezierPath.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QLineF>
#include <QList>
#include <QRectF>
#include <QTextBlock>
#include <vector>

class QPainter;
struct AppSetting;

// Which marks a pane draws.
struct InvisibleMarks
{
    bool spaces = false;
    bool tabs = false;
    bool lineEnds = false;
    bool any() const { return spaces || tabs || lineEnds; }
    bool operator==(const InvisibleMarks &) const = default;
};

// The marks the settings ask for: none while the show-marks flag is off, but the line ends while
// the editor's end-of-line mark is on.
InvisibleMarks InvisibleMarksFromSetting(const AppSetting &setting);

// The contrast a mark keeps with everything it may be drawn on. Marks are thin strokes beside
// text, not text: the guidelines' figure for graphics.
inline constexpr double kMinimumMarkContrast = 3.0;

// The theme's mark colour when it keeps kMinimumMarkContrast on every background; otherwise the
// text colour mixed into the first background just enough to keep it (the text colour itself
// when even that does not).
QColor ReadableMarkColor(const QColor &themeMark, const QColor &text,
                         const QList<QColor> &backgrounds);

class MyLayoutManager
{
public:
    MyLayoutManager();

    void setMarks(const InvisibleMarks &marks) { mMarks = marks; }
    const InvisibleMarks &marks() const { return mMarks; }

    // Strokes the marks of the rows that meet clip, from the block `first` on, whose top left
    // stands at `origin` (painter coordinates, as the pane paints the block).
    void drawGlyphs(QPainter &painter, QTextBlock first, QPointF origin, const QRectF &clip,
                    const QColor &color) const;

    // The box of 100 x 100 the mark paths are drawn in.
    static QRectF markBox() { return QRectF(0, 0, 100, 100); }
    const platform::BezierPath &spacePath() const { return mSpacePath; }
    const platform::BezierPath &tabPath() const { return mTabPath; }
    const platform::BezierPath &returnPath() const { return mReturnPath; }

private:
    struct RowMetrics;
    void collectRow(const QTextLine &line, const QString &text, QPointF origin, const QRectF &clip,
                    bool endsLine, const RowMetrics &metrics, std::vector<QLineF> &out) const;
    static void appendFitted(const platform::BezierPath &path, const QRectF &box,
                             std::vector<QLineF> &out);
    // The marks of a short block against its layout's origin, made again when it changed.
    const std::vector<QLineF> &keptMarks(const QTextBlock &block, bool endsLine,
                                         const RowMetrics &metrics) const;

    InvisibleMarks mMarks;
    struct KeptBlock
    {
        int position = -1;
        int length = -1;
        int revision = -1;
        bool endsLine = false;
        InvisibleMarks marks;
        std::vector<qreal> rowWidths;
        std::vector<QLineF> segments;
    };
    mutable QHash<int, KeptBlock> mKept; // by block number
    mutable QFont mKeptFont;
    mutable qreal mKeptTabStop = -1;
    platform::BezierPath mSpacePath;
    platform::BezierPath mTabPath;
    platform::BezierPath mReturnPath;
};
