#include "graphics/DrawingUtility.h"

#include "platform/GraphicsContext.h"
#include "platform/Guard.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

using platform::BezierPath;
using platform::Color;

namespace {

constexpr float kMinStrokeWidth = 0.01f;
constexpr double kMinSide = 0.002;
constexpr double kNearZero = 0.02;
constexpr int kMaxNormalizeSteps = 1000;
constexpr qint64 kMaxDashPieces = 100000;

double toRadians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// Direction of v in degrees, in [0, 360).
double directionDegrees(QPointF v)
{
    double deg = std::atan2(v.y(), v.x()) * 180.0 / std::numbers::pi;
    if (deg < 0)
        deg += 360.0;
    return deg >= 360.0 ? 0.0 : deg;
}

int truncateDegrees(float angle)
{
    if (std::isnan(angle))
        return 0;
    if (angle >= float(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (angle <= float(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(angle);
}

void drawPath(const BezierPath &shape, const Color &fill, const Color &stroke, float lineWidth)
{
    BezierPath path = shape;
    if (fill.isValid()) {
        platform::setFill(fill);
        path.fill();
    }
    if (stroke.isValid()) {
        platform::setStroke(stroke);
        path.setLineWidth(lineWidth);
        path.stroke();
    }
}

} // namespace

void DrawRectPath(QRectF rect, const Color &fillColor, const Color &strokeColor, float lineWidth)
{
    const Color stroke = lineWidth >= kMinStrokeWidth ? strokeColor : Color();
    if (!fillColor.isValid() && !stroke.isValid()) {
        REPORT_FATAL();
        return;
    }
    drawPath(BezierPath::bezierPathWithRect(rect), fillColor, stroke, lineWidth);
}

void DrawOvalPath(QRectF rect, const Color &fillColor, const Color &strokeColor, float lineWidth)
{
    const Color stroke = lineWidth >= kMinStrokeWidth ? strokeColor : Color();
    if (!fillColor.isValid() && !stroke.isValid()) {
        REPORT_FATAL();
        return;
    }
    drawPath(BezierPath::bezierPathWithOvalInRect(rect), fillColor, stroke, lineWidth);
}

QRectF MakeRectCenteredAtPoint(QPointF center, float width, float height)
{
    return QRectF(center.x() - double(width) * 0.5, center.y() - double(height) * 0.5, width,
                  height);
}

float DistanceBetweenPoints(QPointF a, QPointF b)
{
    const double dx = a.x() - b.x();
    const double dy = a.y() - b.y();
    const float squares = float(dx * dx + dy * dy);
    return std::sqrt(squares);
}

platform::AffineTransform CreateTransformRectToRect(QRectF from, QRectF to)
{
    const double fw = std::max(from.width(), kMinSide);
    const double fh = std::max(from.height(), kMinSide);
    const double tw = std::max(to.width(), kMinSide);
    const double th = std::max(to.height(), kMinSide);
    platform::AffineTransform t;
    t.translateXBy(to.x(), to.y());
    t.scaleXBy(tw / fw, th / fh);
    t.translateXBy(-from.x(), -from.y());
    return t;
}

void NormalizeAngleInPlace(float *angle)
{
    if (!angle)
        return;
    float a = *angle;
    for (int step = 0; step < kMaxNormalizeSteps && !(a >= 0.0f && a < 360.0f); ++step) {
        if (a < 0.0f)
            a += 360.0f;
        else
            a -= 360.0f;
        *angle = a;
    }
}

void NormalizeAngle(float *angle)
{
    NormalizeAngleInPlace(angle);
}

void AppendLineToPath(BezierPath *path, QPointF p1, QPointF p2)
{
    if (!path)
        return;
    path->moveToPoint(p1);
    path->lineToPoint(p2);
}

void AppendLineToPathF(BezierPath *path, float x1, float y1, float x2, float y2)
{
    AppendLineToPath(path, QPointF(x1, y1), QPointF(x2, y2));
}

bool GetArrowWingPoints(QPointF *outWing1, QPointF *outWing2, int angle, QPointF tip, QPointF tail,
                        float wingOffset)
{
    if (!outWing1 || !outWing2)
        return false;
    const double d = wingOffset;
    if (DistanceBetweenPoints(tip, tail) <= 1.0f) {
        *outWing1 = QPointF(tip.x(), tip.y() + d);
        *outWing2 = QPointF(tip.x(), tip.y() - d);
        return true;
    }
    // A head at right angles is a bar across the shaft.
    const qint64 a = angle; // no overflow near the ends of int
    if (std::abs(a - 90) < 3 || std::abs(a - 270) < 3) {
        const QPointF v = tail - tip;
        const QPointF u = v / std::hypot(v.x(), v.y());
        *outWing1 = QPointF(tip.x() + u.y() * d, tip.y() - u.x() * d);
        *outWing2 = 2 * tip - *outWing1;
        return true;
    }
    const double t = std::tan(toRadians(angle));
    if (std::abs(t) <= kNearZero) {
        *outWing1 = *outWing2 = tip;
        return true;
    }
    // L: how far back along the shaft the wings stand; a negative one opens the head forward.
    double L = d / t;
    if (L < 0) {
        L = -L;
        tail = 2 * tip - tail;
    }
    const QPointF toTail = tail - tip;
    const QPointF D = toTail / std::hypot(toTail.x(), toTail.y()) * L;
    QPointF v;
    if (std::abs(D.x()) <= kNearZero) {
        const double side = L * t;
        v = QPointF(tail.y() < tip.y() ? -side : side, D.y());
    } else if (std::abs(D.y()) <= kNearZero) {
        const double side = L * t;
        v = QPointF(D.x(), tip.x() < tail.x() ? -side : side);
    } else {
        float theta = float(directionDegrees(D) - angle);
        NormalizeAngleInPlace(&theta);
        const double length = L / std::sin(toRadians(90.0 - angle));
        v = QPointF(length * std::cos(toRadians(theta)), length * std::sin(toRadians(theta)));
    }
    *outWing1 = tip + v;
    *outWing2 = tip + (2 * D - v);
    return true;
}

bool AppendArrowToPath(BezierPath *path, QPointF *outWing1, QPointF *outWing2, QPointF tip,
                       QPointF tail, float wingOffset, float angle)
{
    if (!path)
        return false;
    QPointF w1, w2;
    if (!GetArrowWingPoints(&w1, &w2, truncateDegrees(angle), tip, tail, wingOffset))
        return false;
    if (outWing1)
        *outWing1 = w1;
    if (outWing2)
        *outWing2 = w2;
    path->moveToPoint(tip);
    path->lineToPoint(w1);
    path->moveToPoint(tip);
    path->lineToPoint(w2);
    path->moveToPoint(tip);
    path->lineToPoint(tail);
    return true;
}

bool AppendArrowLine(BezierPath *path, QPointF from, QPointF to, float wingOffset, float angle)
{
    if (!path)
        return false;
    const QPointF middle = (from + to) * 0.5;
    path->moveToPoint(from);
    path->lineToPoint(middle);
    return AppendArrowToPath(path, nullptr, nullptr, middle, to, wingOffset, angle);
}

void AppendDashedLine(BezierPath *path, int pieces, QPointF from, QPointF to)
{
    if (!path || pieces < 1)
        return;
    const float distance = DistanceBetweenPoints(from, to);
    if (distance < kNearZero)
        return;
    // Finer pieces than this cannot be told apart; the bound keeps the path's size in reason.
    const qint64 count = std::min<qint64>(pieces, kMaxDashPieces);
    const double piece = double(distance) / double(count);
    BezierPath dashes;
    for (qint64 i = 0; i < count; i += 2) {
        dashes.moveToPoint(QPointF(from.x() + i * piece, from.y()));
        dashes.lineToPoint(QPointF(from.x() + (i + 1) * piece, from.y()));
    }
    // Laid out along the x axis, then turned about `from` onto the line.
    platform::AffineTransform turn;
    turn.translateXBy(from.x(), from.y());
    turn.rotateByDegrees(directionDegrees(to - from));
    turn.translateXBy(-from.x(), -from.y());
    path->appendBezierPath(turn.transformBezierPath(dashes));
}
