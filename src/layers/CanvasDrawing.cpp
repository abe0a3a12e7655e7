#include "layers/CanvasDrawing.h"

#include "foundation/ColorWord.h"
#include "graphics/DrawingUtility.h"
#include "graphics/PelkoNSBezierPathShapes.h"
#include "graphics/UtilityMathAngles.h"
#include "graphics/UtilityMathRects.h"
#include "platform/AffineTransform.h"
#include "platform/GraphicsContext.h"
#include "platform/Guard.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <numbers>

using platform::BezierPath;

namespace {

constexpr double kSmallestZoom = 0.002;
constexpr double kPatternZoom = 0.0002;
constexpr double kSmallestVisible = 0.1;
constexpr double kGridGrey = 243.0 / 255.0;
constexpr double kUnitSpacingAbove = 5;
constexpr double kDefaultSpacing = 35;
constexpr double kSmallestSpacing = 5;
constexpr double kReadableSpacing = 30;
// More cells than a screen can show means the rectangles are not a screen's.
constexpr double kMaxCells = 250000;
constexpr double kMinSnappedSide = 2;
constexpr double kShortestLine = 0.1;
constexpr double kAxisSlack = 0.02;
constexpr int kAreaSide = 100;
constexpr double kSmallestBoundsSide = 0.01;
constexpr double kThinLine = 2.1;
constexpr double kMiterLimit = 5;

bool finiteRect(QRectF r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) &&
           std::isfinite(r.height());
}

double snapped(double v, double g)
{
    return g * std::floor(v / g + 0.5);
}

double lineAngleDegrees(QPointF s, QPointF e, double length)
{
    const double ratio = std::clamp((e.y() - s.y()) / length, -1.0, 1.0);
    double angle = std::asin(ratio) * 180 / std::numbers::pi;
    if (s.x() > e.x())
        angle = 180 - angle;
    angle = std::fmod(angle, 360.0);
    return angle < 0 ? angle + 360 : angle;
}

QPointF rotated(QPointF p, double degrees)
{
    const double r = degrees * std::numbers::pi / 180;
    const double c = std::cos(r), s = std::sin(r);
    return QPointF(p.x() * c - p.y() * s, p.x() * s + p.y() * c);
}

platform::LineJoinStyle joinStyle(int join)
{
    switch (join) {
    case 1:
        return platform::LineJoinStyle::Round;
    case 2:
        return platform::LineJoinStyle::Bevel;
    default:
        return platform::LineJoinStyle::Miter;
    }
}

platform::LineCapStyle capStyle(int cap)
{
    switch (cap) {
    case 1:
        return platform::LineCapStyle::Round;
    case 2:
        return platform::LineCapStyle::Square;
    default:
        return platform::LineCapStyle::Butt;
    }
}

// The first and last cell index along one axis that the visible span shows, or false.
bool cellRange(double visibleMin, double visibleMax, double pageExtent, double s, qint64 *first,
               qint64 *last)
{
    const double cell = 2 * s;
    const double limit = pageExtent / cell + 10;
    const double firstAtOrAfter = std::max(0.0, std::ceil(visibleMin / cell));
    if (!(firstAtOrAfter <= limit))
        return false;
    const double from = std::max(0.0, firstAtOrAfter - 1);
    const double edge = std::min(pageExtent, visibleMax);
    const double to = std::max(from, std::ceil(edge / cell) - 1);
    if (!(to - from <= limit))
        return false;
    *first = qint64(from);
    *last = qint64(to);
    return true;
}

void drawCells(QPainter *p, const QRectF &page, const QRectF &visible, double s,
               const platform::Color &gridColor, bool checker, bool lines)
{
    qint64 c0 = 0, c1 = 0, r0 = 0, r1 = 0;
    if (!cellRange(visible.left(), visible.right(), page.width(), s, &c0, &c1) ||
        !cellRange(visible.top(), visible.bottom(), page.height(), s, &r0, &r1))
        return;
    if (double(c1 - c0 + 1) * double(r1 - r0 + 1) > kMaxCells)
        return;
    if (checker) {
        const QColor colour = gridColor.toQColor();
        for (qint64 i = c0; i <= c1; ++i) {
            for (qint64 j = r0; j <= r1; ++j) {
                p->fillRect(QRectF(2 * i * s + s, 2 * j * s, s, s), colour);
                p->fillRect(QRectF(2 * i * s, 2 * j * s + s, s, s), colour);
            }
        }
    }
    if (lines) {
        BezierPath grid;
        const double bottom = 2 * s * double(r1 + 1);
        const double right = 2 * s * double(c1 + 1);
        for (qint64 i = c0; i <= c1; ++i) {
            for (double x : {2 * i * s, 2 * i * s + s}) {
                grid.moveToPoint(QPointF(x, 0));
                grid.lineToPoint(QPointF(x, bottom));
            }
        }
        for (qint64 j = r0; j <= r1; ++j) {
            for (double y : {2 * j * s, 2 * j * s + s}) {
                grid.moveToPoint(QPointF(0, y));
                grid.lineToPoint(QPointF(right, y));
            }
        }
        p->strokePath(grid.toQPainterPath(), grid.pen(QBrush(gridColor.toQColor())));
    }
}

// The red channel's share of the image, 0 to 1 per pixel, summed.
double whiteSum(const QImage &image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            sum += row[x];
    }
    return sum / 255.0;
}

QImage blackCanvas(int side)
{
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(Qt::black);
    return image;
}

} // namespace

void DrawBackGround(QRectF pageRect, quint64 pageColorWord, float zoom, QRectF visibleRect,
                    bool colorGridMode, bool whitePage)
{
    GUARD_BEGIN
    platform::GraphicsContext *context = platform::GraphicsContext::currentContext();
    if (!context || !context->painter())
        return;
    if (!(zoom >= kSmallestZoom) || !std::isfinite(zoom) || !finiteRect(pageRect) ||
        !finiteRect(visibleRect) || !(visibleRect.width() >= kSmallestVisible) ||
        !(visibleRect.height() >= kSmallestVisible))
        return;
    const QRectF page = ScaleRect(pageRect, zoom);
    const AppSetting settings = gAppSetting;
    const quint64 gridWord = settings.gridColor;
    const bool snapping = settings.gridSnap != 0;
    platform::Color gridColor = platform::Color::calibratedWhite(kGridGrey, 1);
    if (gridWord != 0)
        gridColor = ColorFromHexColor(gridWord);

    bool checker = false;
    bool lines = false;
    if (!colorGridMode && !whitePage) {
        checker = zoom > kPatternZoom && !snapping;
        lines = zoom > kPatternZoom && snapping;
    } else {
        lines = gridWord != 0;
    }

    QPainter *p = context->painter();
    const QRectF shown = page.intersected(visibleRect);
    if (pageColorWord >= 1 && pageColorWord <= kNoColorWord) {
        p->fillRect(shown, ColorFromHexColor(pageColorWord).toQColor());
        checker = false;
    } else if (whitePage) {
        p->fillRect(shown, Qt::white);
    }
    if ((!checker && !lines) || !gridColor.isValid())
        return;

    double unit = snapping ? double(settings.gridSize)
                           : (settings.unitFactor > kUnitSpacingAbove ? double(settings.unitFactor)
                                                                      : kDefaultSpacing);
    double s = unit * double(zoom);
    if (!(s >= kSmallestSpacing) || !std::isfinite(s))
        return;
    for (int i = 0; i < 2 && s < kReadableSpacing; ++i)
        s *= 2;
    if (s < kReadableSpacing)
        return;
    drawCells(p, page, visibleRect, s, gridColor, checker, lines);
    GUARD_END_VOID
}

void SnapRectToGrid(QRectF *rect)
{
    const double g = gAppSetting.gridSize;
    if (!rect || !gAppSetting.gridSnap || !(g > 0))
        return;
    double w = snapped(rect->width(), g);
    double h = snapped(rect->height(), g);
    if (w < kMinSnappedSide)
        w = g;
    if (h < kMinSnappedSide)
        h = g;
    *rect = QRectF(snapped(rect->x(), g), snapped(rect->y(), g), w, h);
}

void SnapPointToGrid(QPointF *point)
{
    const double g = gAppSetting.gridSize;
    if (!point || !gAppSetting.gridSnap || !(g > 0))
        return;
    *point = QPointF(snapped(point->x(), g), snapped(point->y(), g));
}

QPointF ConstrainPointWithShift(QPointF a, QPointF c)
{
    if (!(gCurrentEventModifiers & kEventModifierShift))
        return c;
    const double d = std::max(std::fabs(c.x() - a.x()), std::fabs(c.y() - a.y()));
    const QPointF vertical(a.x(), c.y());
    const QPointF horizontal(c.x(), a.y());
    const QPointF diagonal(a.x() + (c.x() >= a.x() ? d : -d), a.y() + (c.y() >= a.y() ? d : -d));
    const double dv = std::hypot(c.x() - vertical.x(), c.y() - vertical.y());
    const double dh = std::hypot(c.x() - horizontal.x(), c.y() - horizontal.y());
    const double dd = std::hypot(c.x() - diagonal.x(), c.y() - diagonal.y());
    if (dv <= dh && dv <= dd)
        return vertical;
    if (dh <= dd)
        return horizontal;
    return diagonal;
}

QPointF SnapLineEndToAngle(QPointF p0, QPointF p1, bool rightAnglesOnly)
{
    const double length = std::max(double(DistanceBetweenPoints(p0, p1)), 1.0);
    double angle = GetLineAngle(p0, p1);
    const double step = rightAnglesOnly ? 90 : 45;
    for (double k = 0; k <= 360; k += step) {
        if (std::fabs(angle - k) < step / 2) {
            angle = k;
            break;
        }
    }
    angle = std::fmod(angle, 360.0);
    if (angle < 0)
        angle += 360;
    auto near = [&](double a) { return std::fabs(angle - a) <= kAxisSlack; };
    if (near(0) || near(360))
        return QPointF(p0.x() + length, p0.y());
    if (near(180))
        return QPointF(p0.x() - length, p0.y());
    if (near(90))
        return QPointF(p0.x(), p0.y() + length);
    if (near(270))
        return QPointF(p0.x(), p0.y() - length);
    const double r = angle * std::numbers::pi / 180;
    return QPointF(p0.x() + length * std::cos(r), p0.y() + length * std::sin(r));
}

QPointF GetRectAnchorPoint(int position, QRectF r)
{
    const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
    switch (position) {
    case 0:
        return QPointF(x + w, y + h / 2);
    case 1:
        return QPointF(x + w, y);
    case 2:
        return QPointF(x + w / 2, y);
    case 3:
        return QPointF(x, y);
    case 4:
        return QPointF(x, y + h / 2);
    case 5:
        return QPointF(x, y + h);
    case 6:
        return QPointF(x + w / 2, y + h);
    case 7:
        return QPointF(x + w, y + h);
    default:
        return QPointF(-999, -999);
    }
}

void SetBezierPathDashStyle(BezierPath *path, int style, float width, float scale)
{
    if (!path || style < 1 || style > 14)
        return;
    const double u = double(std::max(width, 2.0f)) * double(scale);
    static const QList<QList<double>> kPatterns = {
        {1, 1}, {3, 1}, {3, 1, 1, 1}, {5, 1}, {3, 3},       {5, 5},       {1, 2},
        {1, 3}, {1, 4}, {2, 4},       {4, 2}, {1, 2, 1, 1}, {2, 2, 1, 1}, {3, 3, 1, 1},
    };
    QList<double> pattern;
    for (double f : kPatterns[style - 1])
        pattern.append(f * u);
    path->setLineDash(pattern, 0);
}

void SetBezierPathLineStyles(BezierPath *path, int join, int cap)
{
    if (!path || path->isEmpty())
        return;
    path->setLineJoinStyle(joinStyle(join));
    path->setLineCapStyle(capStyle(cap));
    path->setMiterLimit(kMiterLimit);
}

bool LinePercentPointsToAbsolute(QPointF s, QPointF e, QPointF q1, QPointF q2, QPointF *out1,
                                 QPointF *out2)
{
    const double length = std::hypot(e.x() - s.x(), e.y() - s.y());
    if (!(length >= kShortestLine))
        return false;
    const double angle = lineAngleDegrees(s, e, length);
    const QPointF mid = (s + e) / 2;
    if (out1)
        *out1 = mid + rotated(q1 * (length / 100), angle);
    if (out2)
        *out2 = mid + rotated(q2 * (length / 100), angle);
    return true;
}

bool AbsolutePointToLinePercent(QPointF s, QPointF e, QPointF p, QPointF *out)
{
    if (!out)
        return false;
    const double length = std::hypot(e.x() - s.x(), e.y() - s.y());
    if (!(length >= kShortestLine) ||
        !(std::hypot(p.x() - s.x(), p.y() - s.y()) >= kShortestLine) ||
        !(std::hypot(p.x() - e.x(), p.y() - e.y()) >= kShortestLine))
        return false;
    const double angle = lineAngleDegrees(s, e, length);
    *out = rotated((p - (s + e) / 2) * (100 / length), -angle);
    return true;
}

float CubicBezierValue(float t, float p0, float p1, float p2, float p3)
{
    const float u = 1 - t;
    return u * u * u * p0 + 3 * t * u * u * p1 + 3 * t * t * u * p2 + t * t * t * p3;
}

QPointF CubicBezierPointAt(float t, QPointF p0, QPointF p1, QPointF p2, QPointF p3)
{
    t = std::clamp(t, 0.01f, 0.99f);
    return QPointF(CubicBezierValue(t, float(p0.x()), float(p1.x()), float(p2.x()), float(p3.x())),
                   CubicBezierValue(t, float(p0.y()), float(p1.y()), float(p2.y()), float(p3.y())));
}

void DrawTextWithBackGroundBlackBox(const QString &text, QPointF centre, float scale,
                                    const platform::Color &boxColor)
{
    GUARD_BEGIN
    if (text.isEmpty() || !(scale > 0.002f))
        return;
    platform::GraphicsContext *context = platform::GraphicsContext::currentContext();
    if (!context || !context->painter())
        return;
    // The digit box is measured once, as the label font does not change.
    static const QSizeF digit = [] {
        const QFontMetricsF metrics(gDrawTextAttr_White.font);
        return QSizeF(metrics.horizontalAdvance(QStringLiteral("0123456789")) / 10,
                      metrics.height());
    }();
    const double w = double(text.size()) * digit.width() + 1;
    const double h = digit.height() + 1;
    QPainter *p = context->painter();
    p->save();
    p->translate(centre);
    p->scale(scale, scale);
    const QRectF box(-w / 2, -h / 2, w, h);
    if (boxColor.isValid())
        p->fillRect(box, boxColor.toQColor());
    p->setFont(gDrawTextAttr_White.font);
    p->setPen(gDrawTextAttr_White.foreground);
    p->drawText(box, int(gDrawTextAttr_White.alignment), text);
    p->restore();
    GUARD_END_VOID
}

QRectF GetMaxScreenVisibleRect()
{
    static QRectF sVisible;
    if (sVisible.width() == 0) {
        double w = 0, h = 0;
        for (const QScreen *screen : QGuiApplication::screens()) {
            w = std::max(w, double(screen->availableGeometry().width()));
            h = std::max(h, double(screen->availableGeometry().height()));
        }
        sVisible = QRectF(0, 0, w, h);
    }
    return sVisible;
}

double GetAreaSize_NoLine(const BezierPath *path)
{
    GUARD_BEGIN
    if (!path || path->elementCount() < 3)
        return 0;
    bool polygon = false;
    const double area = getAreaForPolyPath(*path, &polygon);
    if (polygon && area >= 1)
        return area;
    const QRectF b = path->bounds();
    if (!finiteRect(b) || !(b.width() > kSmallestBoundsSide) || !(b.height() > kSmallestBoundsSide))
        return 0;
    BezierPath copy = *path;
    copy.transformUsingAffineTransform(
        CreateTransformRectToRect(b, QRectF(0, 0, kAreaSide, kAreaSide)));
    QImage image = blackCanvas(kAreaSide);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(copy.toQPainterPath(), Qt::white);
    }
    return whiteSum(image) * b.width() * b.height() / double(kAreaSide * kAreaSide);
    GUARD_END(0)
}

double GetAreaSize(const BezierPath *path, double lineWidth, int join, int cap)
{
    GUARD_BEGIN
    const qint32 mode = gAppSetting.strokeModeForAreaMeasure;
    if (!(lineWidth > kThinLine) || mode == 2)
        return GetAreaSize_NoLine(path);
    if (!path || path->elementCount() < 2)
        return 0;
    const int side = gIsRetinaScreen ? 200 : 300;
    BezierPath copy = *path;
    copy.setLineCapStyle(capStyle(cap));
    copy.setLineJoinStyle(joinStyle(join));
    const QRectF b = copy.bounds();
    if (!finiteRect(b) || !(b.width() > kSmallestBoundsSide) ||
        !(b.height() > kSmallestBoundsSide) || !std::isfinite(lineWidth))
        return 0;
    const double larger = std::max(b.width(), b.height());
    QRectF target(0, 0, side, side);
    QRectF fitted;
    if (mode == 1) {
        // The stroke is counted too: room is left for it on every side.
        target =
            target.adjusted(0.5 * lineWidth * side / larger, 0.5 * lineWidth * side / larger,
                            -0.5 * lineWidth * side / larger, -0.5 * lineWidth * side / larger);
        if (!(target.width() > 0)) {
            // A stroke as wide as the shape leaves no room: shape and stroke together fill the
            // square instead.
            const double scale = side / (larger + lineWidth);
            fitted = QRectF(0, 0, b.width() * scale, b.height() * scale);
            fitted.moveCenter(QPointF(side / 2.0, side / 2.0));
        }
    }
    if (fitted.isNull())
        fitted = FitRectKeepingAspect(b, target);
    const double scale = fitted.width() / b.width();
    if (!(scale > 0) || !std::isfinite(scale))
        return 0;
    copy.transformUsingAffineTransform(CreateTransformRectToRect(b, fitted));
    copy.setLineWidth(lineWidth * scale);
    QImage image = blackCanvas(side);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPainterPath outline = copy.toQPainterPath();
        painter.fillPath(outline, Qt::white);
        painter.strokePath(outline, copy.pen(QBrush(mode == 1 ? Qt::white : Qt::black)));
    }
    return whiteSum(image) / (scale * scale);
    GUARD_END(0)
}
