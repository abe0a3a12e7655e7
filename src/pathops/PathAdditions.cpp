#include "pathops/PathAdditions.h"

#include "pathops/PelkoNSBezierPath.h"
#include "platform/AffineTransform.h"
#include "platform/Color.h"
#include "platform/Guard.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>

using platform::AffineTransform;
using platform::BezierPath;
using platform::GraphicsContext;

namespace {

// Control points of a quarter circle lie this fraction of the radius from its tangent points.
constexpr double kQuarterCircle = 0.55228;

bool isEmptyRect(QRectF r)
{
    return !(r.width() > 0) || !(r.height() > 0);
}

double clampedRadius(QRectF r, double radius)
{
    return std::min(radius, std::min(r.width(), r.height()) * 0.5);
}

bool currentContextIsFlipped()
{
    const GraphicsContext *context = GraphicsContext::currentContext();
    return context && context->isFlipped();
}

void translate(BezierPath &path, double dx, double dy)
{
    AffineTransform t;
    t.translateXBy(dx, dy);
    path.transformUsingAffineTransform(t);
}

} // namespace

void appendBezierPathWithRoundedRectangle(BezierPath &path, QRectF rect, unsigned corners,
                                          double radius)
{
    if (isEmptyRect(rect))
        return;
    const double r = clampedRadius(rect, radius);
    const double k = r * kQuarterCircle;
    const double minX = rect.left(), maxX = rect.right(), minY = rect.top(), maxY = rect.bottom();

    BezierPath shape;
    if (corners & kRoundedCornerMinXMaxY) {
        shape.moveToPoint({minX, maxY - r});
        shape.curveToPoint({minX + r, maxY}, {minX, maxY - r + k}, {minX + r - k, maxY});
    } else {
        shape.moveToPoint({minX, maxY});
    }
    if (corners & kRoundedCornerMaxXMaxY) {
        shape.lineToPoint({maxX - r, maxY});
        shape.curveToPoint({maxX, maxY - r}, {maxX - r + k, maxY}, {maxX, maxY - r + k});
    } else {
        shape.lineToPoint({maxX, maxY});
    }
    if (corners & kRoundedCornerMaxXMinY) {
        shape.lineToPoint({maxX, minY + r});
        shape.curveToPoint({maxX - r, minY}, {maxX, minY + r - k}, {maxX - r + k, minY});
    } else {
        shape.lineToPoint({maxX, minY});
    }
    if (corners & kRoundedCornerMinXMinY) {
        shape.lineToPoint({minX + r, minY});
        shape.curveToPoint({minX, minY + r}, {minX + r - k, minY}, {minX, minY + r - k});
    } else {
        shape.lineToPoint({minX, minY});
    }
    shape.closePath();
    path.appendBezierPath(shape);
}

void appendBezierPathWithRoundedRectangle(BezierPath &path, QRectF rect, double radius)
{
    appendBezierPathWithRoundedRectangle(path, rect, kRoundedCornersAll, radius);
}

void appendBezierPathWithLeftRoundedRectangle(BezierPath &path, QRectF rect, double radius)
{
    appendBezierPathWithRoundedRectangle(path, rect, kRoundedCornersLeft, radius);
}

void appendBezierPathWithRightRoundedRectangle(BezierPath &path, QRectF rect, double radius)
{
    appendBezierPathWithRoundedRectangle(path, rect, kRoundedCornersRight, radius);
}

BezierPath bezierPathWithRoundedRectangle(QRectF rect, unsigned corners, double radius)
{
    BezierPath path;
    appendBezierPathWithRoundedRectangle(path, rect, corners, radius);
    return path;
}

unsigned flippedRoundedRectCorners(unsigned corners)
{
    return ((corners >> 2) & 3) + (corners & 3) * 4;
}

void appendBezierPathWithRoundedRect(BezierPath &path, QRectF rect, unsigned corners, double radius)
{
    if (currentContextIsFlipped())
        corners = flippedRoundedRectCorners(corners);
    const double minX = rect.left(), maxX = rect.right(), minY = rect.top(), maxY = rect.bottom();
    const double midX = rect.center().x(), midY = rect.center().y();
    path.moveToPoint({midX, minY});
    const double r = clampedRadius(rect, radius);

    if (corners & 2) {
        path.appendBezierPathWithArcFromPoint({maxX, minY}, {maxX, midY}, r);
    } else {
        path.lineToPoint({maxX, minY});
        path.lineToPoint({maxX, midY});
    }
    if (corners & 8) {
        path.appendBezierPathWithArcFromPoint({maxX, maxY}, {midX, maxY}, r);
    } else {
        path.lineToPoint({maxX, maxY});
        path.lineToPoint({midX, maxY});
    }
    if (corners & 4) {
        path.appendBezierPathWithArcFromPoint({minX, maxY}, {minX, midY}, r);
    } else {
        path.lineToPoint({minX, maxY});
        path.lineToPoint({minX, midY});
    }
    if (corners & 1)
        path.appendBezierPathWithArcFromPoint({minX, minY}, {midX, minY}, r);
    else
        path.lineToPoint({minX, minY});
    // Closed, so that a stroke draws the last stretch of the minY side too.
    path.closePath();
}

BezierPath bezierPathWithRoundedRect(QRectF rect, unsigned corners, double radius)
{
    BezierPath path;
    appendBezierPathWithRoundedRect(path, rect, corners, radius);
    return path;
}

void appendBezierPathWithString(BezierPath &path, const QString &text, const QFont &font)
{
    if (path.isEmpty())
        path.moveToPoint({0, 0});
    const QPointF origin = path.currentPoint();

    // Glyph numbers and outlines both come from the given font: numbers of one font drawn with
    // another's outlines give the wrong letters.
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setNumColumns(int(text.size()));
    layout.endLayout();
    if (!line.isValid())
        return;

    const double baseline = line.y() + line.ascent();
    for (const QGlyphRun &run : layout.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
            QPainterPath outline = raw.pathForGlyph(glyphs[i]);
            if (outline.isEmpty())
                continue;
            outline.translate(origin.x() + positions[i].x(),
                              origin.y() + positions[i].y() - baseline);
            path.appendBezierPath(BezierPath::fromQPainterPath(outline));
        }
    }
}

BezierPath bezierPathWithString(const QString &text, const QFont &font)
{
    BezierPath path;
    appendBezierPathWithString(path, text, font);
    return path;
}

void applyInnerShadow(const BezierPath &path, const platform::Shadow &shadow)
{
    // The same ring thrown from out of sight as the element helpers' inner shadow.
    fillWithInnerShadow(path, shadow);
}

void AKDrawStringAlignedInFrame(const QString &text, const QFont *font, int alignment, QRectF frame)
{
    if (!font)
        throw platform::Exception(QStringLiteral("NSInternalInconsistencyException"),
                                  QStringLiteral("Invalid parameter not satisfying: font != nil"));
    BezierPath path = bezierPathWithString(text, *font);
    const QRectF b = path.bounds();
    // Qt's descent is positive and our views run y-down: the text box spans from the ascent
    // above the baseline to the descent below it.
    const QFontMetricsF metrics(*font);
    const double ascent = metrics.ascent();
    const double lineHeight = ascent + metrics.descent();
    if (!(b.width() > 0) || !(lineHeight > 0))
        return;

    const double s = std::min(frame.width() / b.width(), frame.height() / lineHeight);
    AffineTransform scale;
    scale.scaleBy(s);
    path.transformUsingAffineTransform(scale);
    const double x0 = s * b.left(), y0 = s * -ascent;
    const double w = s * b.width(), h = s * lineHeight;
    translate(path, frame.center().x() - w * 0.5 - x0, frame.center().y() - h * 0.5 - y0);

    const QRectF placed = path.bounds();
    if (alignment == 1)
        translate(path, frame.right() - (placed.left() + placed.width()), 0);
    else if (alignment == 0)
        translate(path, -(placed.left() - frame.left()), 0);
    path.fill();
}

void addRoundedRectToContext(double r0, double r1, double r2, double r3, BezierPath &context,
                             QRectF rect)
{
    const double x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    context.moveToPoint({x, y + r0});
    context.lineToPoint({x, y + h - r2});
    context.appendBezierPathWithArcFromPoint({x, y + h}, {x + r2, y + h}, r2);
    context.lineToPoint({x + w - r3, y + h});
    context.appendBezierPathWithArcFromPoint({x + w, y + h}, {x + w, y + h - r3}, r3);
    context.lineToPoint({x + w, y + r1});
    context.appendBezierPathWithArcFromPoint({x + w, y}, {x + w - r1, y}, r1);
    context.lineToPoint({x + r0, y});
    context.appendBezierPathWithArcFromPoint({x, y}, {x, y + r0}, r0);
    context.closePath();
}
