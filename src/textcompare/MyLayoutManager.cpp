#include "textcompare/MyLayoutManager.h"

#include "graphics/Contrast.h"
#include "graphics/DrawingUtility.h"
#include "graphics/PelkoNSBezierPath.h"
#include "services/AppSetting.h"
#include "textcompare/FoldedLines.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace {

constexpr double kMarkMixStep = 0.05;
// Lines longer than this are searched for the part in view rather than walked whole.
constexpr int kWalkWholeRow = 256;
// The marks of blocks up to this length are kept from one paint to the next (scrolling paints
// the same rows again and again), for this many blocks at most.
constexpr int kKeptBlockLength = 1024;
constexpr qsizetype kKeptBlocks = 4096;

double lowestContrast(const QColor &color, const QList<QColor> &backgrounds)
{
    double lowest = 21;
    for (const QColor &b : backgrounds)
        lowest = std::min(lowest, ContrastRatio(color, b));
    return lowest;
}

} // namespace

InvisibleMarks InvisibleMarksFromSetting(const AppSetting &setting)
{
    InvisibleMarks marks;
    if (setting.bViewMarks)
        marks = {setting.bViewMarks_showSpace != 0, setting.bViewMarks_showTab != 0,
                 setting.bViewMarks_showEOL != 0};
    // The editor's end-of-line mark is the line-end mark of the invisible characters, shown
    // whether those are or not.
    if (setting.bShowEndOfLineMark)
        marks.lineEnds = true;
    return marks;
}

QColor ReadableMarkColor(const QColor &themeMark, const QColor &text,
                         const QList<QColor> &backgrounds)
{
    QColor mark = themeMark.toRgb();
    mark.setAlpha(255);
    if (backgrounds.isEmpty() || lowestContrast(mark, backgrounds) >= kMinimumMarkContrast)
        return mark;
    // Fainter than the text, as far as every background allows.
    for (double t = 0.5; t < 1; t += kMarkMixStep) {
        const QColor mixed = MixColors(backgrounds.first(), text, t);
        if (lowestContrast(mixed, backgrounds) >= kMinimumMarkContrast)
            return mixed;
    }
    QColor plain = text.toRgb();
    plain.setAlpha(255);
    return plain;
}

// What every row of a block shares: where its marks sit against the line's ascent.
struct MyLayoutManager::RowMetrics
{
    qreal spaceWidth;
    qreal ascent;
    qreal xHeight;
    qreal penWidth;
};

MyLayoutManager::MyLayoutManager()
{
    AppendLineToPath(&mSpacePath, QPointF(0, 0), QPointF(0, 100));
    AppendArrowToPath(&mTabPath, nullptr, nullptr, QPointF(100, 50), QPointF(0, 50), 10, 15);
    AppendArrowToPath(&mReturnPath, nullptr, nullptr, QPointF(100, 100), QPointF(100, 50), 20, 40);
}

void MyLayoutManager::appendFitted(const platform::BezierPath &path, const QRectF &box,
                                   std::vector<QLineF> &out)
{
    const platform::AffineTransform fit = CreateTransformRectToRect(markBox(), box);
    // The mark paths hold straight lines only; a curve is drawn as the chord to its end.
    QPointF current, subpathStart;
    for (const platform::BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case platform::BezierPathElement::MoveTo:
            current = subpathStart = fit.transformPoint(e.points[0]);
            break;
        case platform::BezierPathElement::LineTo:
        case platform::BezierPathElement::CurveTo: {
            const QPointF p =
                fit.transformPoint(e.points[e.type == platform::BezierPathElement::LineTo ? 0 : 2]);
            out.emplace_back(current, p);
            current = p;
            break;
        }
        case platform::BezierPathElement::ClosePath:
            out.emplace_back(current, subpathStart);
            current = subpathStart;
            break;
        }
    }
}

void MyLayoutManager::collectRow(const QTextLine &line, const QString &text, QPointF origin,
                                 const QRectF &clip, bool endsLine, const RowMetrics &m,
                                 std::vector<QLineF> &out) const
{
    const qreal top = origin.y() + line.y();
    const qreal baseline = top + line.ascent();
    const qreal middle = baseline - m.xHeight / 2;
    const int rowStart = line.textStart();
    int from = rowStart, to = rowStart + line.textLength();
    if (to - from > kWalkWholeRow) {
        // Only the characters in view, with one to spare on each side.
        from = std::max(from, line.xToCursor(clip.left() - origin.x()) - 1);
        to = std::min(to, line.xToCursor(clip.right() - origin.x()) + 1);
    }
    // Where a mark ends the next one often starts (runs of spaces, indents of tabs), and a space
    // is as wide as the font's space: the layout is asked as seldom as it can be.
    int knownAt = -1;
    qreal knownX = 0;
    for (int i = from; i < to; ++i) {
        const QChar c = text.at(i);
        const bool space = c == u' ' && mMarks.spaces;
        const bool tab = c == u'\t' && mMarks.tabs;
        if (!space && !tab)
            continue;
        const qreal x0 = knownAt == i ? knownX : origin.x() + line.cursorToX(i);
        const qreal x1 = space ? x0 + m.spaceWidth : origin.x() + line.cursorToX(i + 1);
        knownAt = i + 1;
        knownX = x1;
        if (x1 < clip.left() || x0 > clip.right())
            continue;
        if (space) {
            // A stroke as short as it is wide: a dot at the middle of the x-height.
            const qreal h = m.penWidth * 0.2;
            appendFitted(mSpacePath, QRectF((x0 + x1) / 2, middle - h / 2, 1, h), out);
        } else {
            const qreal inset = std::min(m.spaceWidth * 0.15, (x1 - x0) * 0.15);
            const qreal h = line.height() * 1.2;
            appendFitted(mTabPath, QRectF(x0 + inset, middle - h / 2, x1 - x0 - 2 * inset, h), out);
        }
    }
    if (endsLine && mMarks.lineEnds) {
        // A down arrow standing on the baseline in the cell after the last character.
        const qreal x0 = origin.x() + line.cursorToX(rowStart + line.textLength());
        const qreal centre = x0 + m.spaceWidth / 2;
        if (centre + m.spaceWidth >= clip.left() && x0 <= clip.right()) {
            const qreal height = m.ascent * 1.2;
            const qreal width = m.spaceWidth * 1.5;
            appendFitted(mReturnPath, QRectF(centre - width, baseline - height, width, height),
                         out);
        }
    }
}

const std::vector<QLineF> &MyLayoutManager::keptMarks(const QTextBlock &block, bool endsLine,
                                                      const RowMetrics &m) const
{
    const QTextLayout *layout = block.layout();
    const int rows = layout->lineCount();
    // A block's own edits change its revision; edits elsewhere move its number or position.
    KeptBlock &kept = mKept[block.blockNumber()];
    bool same = kept.position == block.position() && kept.length == block.length() &&
                kept.revision == block.revision() && kept.endsLine == endsLine &&
                kept.marks == mMarks && kept.rowWidths.size() == size_t(rows);
    for (int r = 0; same && r < rows; ++r)
        same = kept.rowWidths[size_t(r)] == layout->lineAt(r).width();
    if (same)
        return kept.segments;
    kept = {block.position(), block.length(), block.revision(), endsLine, mMarks, {}, {}};
    for (int r = 0; r < rows; ++r)
        kept.rowWidths.push_back(layout->lineAt(r).width());
    // Every mark of the block, placed against its layout's origin.
    const QString text = block.text();
    const QRectF everywhere(-1e9, -1e9, 2e9, 2e9);
    for (int r = 0; r < rows; ++r)
        collectRow(layout->lineAt(r), text, QPointF(), everywhere, endsLine && r == rows - 1, m,
                   kept.segments);
    return kept.segments;
}

void MyLayoutManager::drawGlyphs(QPainter &painter, QTextBlock first, QPointF origin,
                                 const QRectF &clip, const QColor &color) const
{
    if (!mMarks.any() || !first.isValid())
        return;
    // A kind whose path could not be made is left out.
    const bool spaces = mMarks.spaces && hasData(mSpacePath);
    const bool tabs = mMarks.tabs && hasData(mTabPath);
    const bool lineEnds = mMarks.lineEnds && hasData(mReturnPath);
    if (!spaces && !tabs && !lineEnds)
        return;
    QAbstractTextDocumentLayout *documentLayout = first.document()->documentLayout();
    // Every block of a pane is laid out in the document's one font.
    const QFontMetricsF metrics(first.document()->defaultFont());
    const RowMetrics m{metrics.horizontalAdvance(u' '), metrics.ascent(), metrics.xHeight(),
                       std::max<qreal>(1, metrics.height() / 14)};
    const QFont font = first.document()->defaultFont();
    const qreal tabStop = first.document()->defaultTextOption().tabStopDistance();
    if (font != mKeptFont || tabStop != mKeptTabStop || mKept.size() > kKeptBlocks) {
        mKept.clear();
        mKeptFont = font;
        mKeptTabStop = tabStop;
    }
    std::vector<QLineF> segments;
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (!block.isVisible())
            continue;
        const qreal height = documentLayout->blockBoundingRect(block).height();
        if (origin.y() > clip.bottom())
            break;
        const QTextLayout *layout = block.layout();
        if (origin.y() + height >= clip.top() && layout && layout->lineCount() > 0) {
            const QPointF at = origin + layout->position();
            const QTextBlock next = block.next();
            const bool endsLine = next.isValid() && !IsFoldRow(next);
            if (block.length() <= kKeptBlockLength) {
                for (const QLineF &s : keptMarks(block, endsLine, m))
                    segments.push_back(s.translated(at));
                origin.ry() += height;
                continue;
            }
            const QString text = block.text();
            const int rows = layout->lineCount();
            for (int r = 0; r < rows; ++r) {
                const QTextLine line = layout->lineAt(r);
                const qreal top = at.y() + line.y();
                if (top > clip.bottom())
                    break;
                if (top + line.height() < clip.top())
                    continue;
                collectRow(line, text, at, clip, endsLine && r == rows - 1, m, segments);
            }
        }
        origin.ry() += height;
    }
    if (segments.empty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Square ends: round ones cost the stroker a curve at each end of every line.
    painter.setPen(QPen(color, m.penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawLines(segments.data(), int(segments.size()));
    painter.restore();
}
