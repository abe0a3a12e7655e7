#include "graphics/UtilityMathShapes.h"

#include "foundation/ColorWord.h"
#include "graphics/DrawingUtility.h"
#include "graphics/UtilityMathRects.h"
#include "graphics/UtilityMathTransforms.h"
#include "platform/GraphicsContext.h"
#include "platform/Guard.h"
#include "platform/Image.h"
#include "platform/PixelLimits.h"
#include "platform/Saturate.h"

#include <QPainter>
#include <cmath>
#include <limits>

using platform::BezierPath;

namespace {

constexpr double kNearZero = 0.02;
constexpr double kMinImageSide = 0.1;
constexpr double kMinImageStroke = 0.1;
constexpr double kMinPatternLine = 1.0;
// More vertices or pattern pieces than a drawing needs; larger counts are refused.
constexpr qint64 kMaxPieces = 100000;

// Lays the pattern along +x from start, turns it about start to point at end, and appends it.
void appendPattern(BezierPath *path, const BezierPath &pattern, QPointF start, QPointF end)
{
    float angle = 0;
    GetLineAngleInto(&angle, start, end);
    platform::AffineTransform turn;
    turn.translateXBy(start.x(), start.y());
    turn.rotateByDegrees(angle);
    turn.translateXBy(-start.x(), -start.y());
    path->appendBezierPath(turn.transformBezierPath(pattern));
}

enum class Pattern { Scallop, Wave, Zigzag };

void appendPatternedLine(BezierPath *path, int pieces, QPointF start, QPointF end, bool ends,
                         Pattern kind)
{
    if (!path || pieces < 1 || pieces > kMaxPieces)
        return;
    const double length = DistanceBetweenPoints(start, end);
    if (length < kMinPatternLine)
        return;
    const int m = ends ? pieces + 2 : pieces;
    // Every piece laid has the same length, so the line ends at `end`.
    const double piece = length / m;
    BezierPath pattern;
    pattern.moveToPoint(start);
    for (int i = 0; i < m; ++i) {
        const double x0 = start.x() + i * piece;
        const double x1 = x0 + piece;
        if (ends && (i == 0 || i == m - 1)) {
            pattern.lineToPoint(QPointF(x1, start.y()));
            continue;
        }
        const QPointF center(x0 + piece / 2, start.y());
        switch (kind) {
        case Pattern::Scallop:
            pattern.appendBezierPathWithArcWithCenter(center, piece / 2, 180, 360, false);
            break;
        case Pattern::Wave:
            pattern.appendBezierPathWithArcWithCenter(center, piece / 2, 180, 360, i % 2 == 0);
            break;
        case Pattern::Zigzag:
            pattern.lineToPoint(QPointF(x0, start.y()));
            pattern.lineToPoint(
                QPointF(x0 + piece / 2, start.y() + (i % 2 == 0 ? -piece / 2 : piece / 2)));
            pattern.lineToPoint(QPointF(x1, start.y()));
            break;
        }
    }
    appendPattern(path, pattern, start, end);
}

} // namespace

std::optional<BezierPath> Create_BezierPath_Star(QPointF center, float r1, float r2, int points,
                                                 float startAngle)
{
    GUARD_BEGIN
    if (!(r1 - 1.0f < r2 && r2 >= 1.0f && points >= 2 && points <= kMaxPieces))
        return std::nullopt;
    const float step = 360.0f / float(points);
    BezierPath path;
    for (int i = 0; i < points; ++i) {
        const float a = float(i) * step + startAngle;
        const QPointF outer = PointOnCircleAtAngle(center, a + step / 2, r1);
        const QPointF inner = PointOnCircleAtAngle(center, a + step, r2);
        if (i == 0)
            path.moveToPoint(outer);
        else
            path.lineToPoint(outer);
        path.lineToPoint(inner);
    }
    path.closePath();
    return path;
    GUARD_END_NAMED(std::nullopt,
                    "NSBezierPath *Create_BezierPath_Star(NSPoint, float, float, int, float)")
}

std::optional<BezierPath> Create_BezierPath_Polygon(QPointF center, float radius, int sides,
                                                    float startAngle)
{
    GUARD_BEGIN
    if (!(radius >= 1.0f && sides >= 2 && sides <= kMaxPieces))
        return std::nullopt;
    const float step = 360.0f / float(sides);
    BezierPath path;
    for (int i = 0; i < sides; ++i) {
        const QPointF p = PointOnCircleAtAngle(center, float(i) * step + startAngle, radius);
        if (i == 0)
            path.moveToPoint(p);
        else
            path.lineToPoint(p);
    }
    path.closePath();
    return path;
    GUARD_END_NAMED(std::nullopt,
                    "NSBezierPath *Create_BezierPath_Polygon(NSPoint, float, int, float)")
}

platform::ImagePtr CreateImageFromBezierPath(const BezierPath *path, quint64 fillColor,
                                             quint64 strokeColor, float lineWidth)
{
    GUARD_BEGIN
    if (!path || path->isEmpty())
        return {};
    const QRectF bounds = path->bounds();
    if (bounds.width() < kMinImageSide || bounds.height() < kMinImageSide)
        return {};
    BezierPath shape = *path;
    if (double(DistanceBetweenPoints(bounds.topLeft(), QPointF(0, 0))) > kMinImageSide) {
        MoveResize_NSBezierPath(&shape, bounds, QRectF(QPointF(0, 0), bounds.size()));
        if (shape.isEmpty())
            return {};
    }
    const int w = platform::saturatingTruncate<int>(std::ceil(bounds.width()));
    const int h = platform::saturatingTruncate<int>(std::ceil(bounds.height()));
    if (platform::checkedPixelCount(w, h) == 0)
        return {};
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The image's rows run down from the top, as the flipped focus has them.
    platform::GraphicsContextScope scope(&painter, true, false);
    const platform::Color fill = ColorFromHexColor(fillColor);
    if (fill.isValid()) {
        platform::setFill(fill);
        shape.fill();
    }
    const platform::Color stroke = ColorFromHexColor(strokeColor);
    if (stroke.isValid() && double(lineWidth) >= kMinImageStroke) {
        platform::setStroke(stroke);
        shape.setLineWidth(lineWidth);
        shape.stroke();
    }
    painter.end();
    return platform::Image::fromBitmap(image);
    GUARD_END_NAMED(platform::ImagePtr(),
                    "NSImage *CreateImageFromBezierPath(NSBezierPath *, unsigned long long, "
                    "unsigned long long, float)")
}

void AppendCircleToPath(BezierPath *path, QPointF center, float radius)
{
    if (!path || radius <= 0)
        return;
    path->appendBezierPathWithOvalInRect(MakeRectCenteredAtPoint(center, 2 * radius, 2 * radius));
}

void AppendArcFromCircle(BezierPath *path, QPointF center, float radius, float startAngle,
                         float endAngle, bool clockwise)
{
    if (!path || radius <= 0)
        return;
    path->moveToPoint(PointAtDistanceAndAngle(center, radius, startAngle));
    path->appendBezierPathWithArcWithCenter(center, radius, startAngle, endAngle, clockwise);
}

void AppendArcThroughPoints(BezierPath *path, bool moveFirst, QPointF center, QPointF start,
                            QPointF end, QPointF middle)
{
    if (!path)
        return;
    const float radius = DistanceBetweenPoints(center, start);
    if (radius == 0)
        return;
    const float startAngle = GetLineAngle(center, start);
    const float endAngle = GetLineAngle(center, end);
    const bool clockwise = AngleInArc(true, GetLineAngle(center, middle), startAngle, endAngle);
    if (moveFirst)
        path->moveToPoint(start);
    path->appendBezierPathWithArcWithCenter(center, radius, startAngle, endAngle, clockwise);
}

void AppendDoubledCircle(BezierPath *path, QPointF center, float radius)
{
    if (!path || radius <= 0)
        return;
    path->moveToPoint(QPointF(center.x() + double(radius), center.y()));
    path->appendBezierPathWithArcWithCenter(center, radius, 0, 180, false);
    path->appendBezierPathWithArcWithCenter(center, radius, 180, 0, true);
    path->appendBezierPathWithArcWithCenter(center, radius, 0, 180, true);
    path->appendBezierPathWithArcWithCenter(center, radius, 180, 0, false);
}

void AppendOvalToPath(BezierPath *path, QRectF rect)
{
    if (path)
        path->appendBezierPathWithOvalInRect(rect);
}

void AppendRectToPath(BezierPath *path, QRectF rect)
{
    if (path)
        path->appendBezierPathWithRect(rect);
}

void AppendRectCenteredAtPoint(BezierPath *path, QPointF center, float width, float height)
{
    if (path)
        path->appendBezierPathWithRect(MakeRectCenteredAtPoint(center, width, height));
}

void AppendRectFromTwoPoints(BezierPath *path, QPointF a, QPointF b)
{
    if (path)
        path->appendBezierPathWithRect(RectFromTwoPoints(a, b));
}

void AppendScallopLine(BezierPath *path, int pieces, QPointF start, QPointF end, bool ends)
{
    appendPatternedLine(path, pieces, start, end, ends, Pattern::Scallop);
}

void AppendWaveLine(BezierPath *path, int pieces, QPointF start, QPointF end, bool ends)
{
    appendPatternedLine(path, pieces, start, end, ends, Pattern::Wave);
}

void AppendZigzagLine(BezierPath *path, int pieces, QPointF start, QPointF end, bool ends)
{
    appendPatternedLine(path, pieces, start, end, ends, Pattern::Zigzag);
}

void AppendThreeStrokeSymbol(BezierPath *path, QPointF a, QPointF b)
{
    if (!path)
        return;
    const double L = DistanceBetweenPoints(a, b);
    const QPointF m = MidPointOfPoints(a, b);
    const double left = m.x() - L / 2, right = m.x() + L / 2, bottom = m.y() - L / 2;
    const double s = L / 6;
    AppendLineToPath(path, QPointF(m.x(), bottom), m);
    for (int k = 0; k < 3; ++k)
        AppendLineToPath(path, QPointF(left + k * s, m.y() + k * s),
                         QPointF(right - k * s, m.y() + k * s));
}

bool SplitSegmentIntoPoints(QPointF a, QPointF b, int count, QPointF *out)
{
    if (count < 2 || !out)
        return false;
    const double length = DistanceBetweenPoints(a, b);
    if (length <= kNearZero) {
        for (int i = 0; i < count; ++i)
            out[i] = a;
        return true;
    }
    const QPointF unit = (b - a) / std::hypot(b.x() - a.x(), b.y() - a.y());
    out[0] = a;
    for (int i = 1; i < count - 1; ++i)
        out[i] = a + unit * (double(i) * length / double(count - 1));
    out[count - 1] = b;
    return true;
}

LINE_ CenteredSegmentOfLength(float length, QPointF a, QPointF b)
{
    const QPointF m = MidPointOfPoints(a, b);
    const double d = std::hypot(b.x() - a.x(), b.y() - a.y());
    const QPointF unit = d > 0 ? (b - a) / d : QPointF(1, 0);
    const QPointF half = unit * (double(length) / 2);
    return LINE_{m - half, m + half};
}
