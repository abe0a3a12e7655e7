#include "platform/AffineTransform.h"

#include "platform/BezierPath.h"
#include "platform/GraphicsContext.h"

#include <cmath>
#include <numbers>

namespace platform {

namespace {

// The product a * b in row-vector form: points go through a, then b.
AffineTransformStruct multiply(const AffineTransformStruct &a, const AffineTransformStruct &b)
{
    AffineTransformStruct r;
    r.m11 = a.m11 * b.m11 + a.m12 * b.m21;
    r.m12 = a.m11 * b.m12 + a.m12 * b.m22;
    r.m21 = a.m21 * b.m11 + a.m22 * b.m21;
    r.m22 = a.m21 * b.m12 + a.m22 * b.m22;
    r.tX = a.tX * b.m11 + a.tY * b.m21 + b.tX;
    r.tY = a.tX * b.m12 + a.tY * b.m22 + b.tY;
    return r;
}

} // namespace

AffineTransform AffineTransform::fromQTransform(const QTransform &t)
{
    return AffineTransform(t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy());
}

void AffineTransform::translateXBy(double dx, double dy)
{
    mS = multiply(AffineTransformStruct{1, 0, 0, 1, dx, dy}, mS);
}

void AffineTransform::rotateByDegrees(double degrees)
{
    // Whole quarter turns exactly, so that rotated rectangles stay axis-aligned.
    const double turns = degrees / 90.0;
    if (std::isfinite(turns) && turns == std::floor(turns)) {
        static constexpr double kCos[4] = {1, 0, -1, 0};
        static constexpr double kSin[4] = {0, 1, 0, -1};
        const long long q = ((static_cast<long long>(std::fmod(turns, 4.0)) % 4) + 4) % 4;
        mS = multiply(AffineTransformStruct{kCos[q], kSin[q], -kSin[q], kCos[q], 0, 0}, mS);
        return;
    }
    rotateByRadians(degrees * std::numbers::pi / 180.0);
}

void AffineTransform::rotateByRadians(double radians)
{
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    mS = multiply(AffineTransformStruct{c, s, -s, c, 0, 0}, mS);
}

void AffineTransform::scaleXBy(double sx, double sy)
{
    mS = multiply(AffineTransformStruct{sx, 0, 0, sy, 0, 0}, mS);
}

bool AffineTransform::invert()
{
    const double det = determinant();
    if (det == 0 || !std::isfinite(det))
        return false;
    AffineTransformStruct r;
    r.m11 = mS.m22 / det;
    r.m12 = -mS.m12 / det;
    r.m21 = -mS.m21 / det;
    r.m22 = mS.m11 / det;
    r.tX = (mS.m21 * mS.tY - mS.m22 * mS.tX) / det;
    r.tY = (mS.m12 * mS.tX - mS.m11 * mS.tY) / det;
    mS = r;
    return true;
}

void AffineTransform::appendTransform(const AffineTransform &other)
{
    mS = multiply(mS, other.mS);
}

void AffineTransform::prependTransform(const AffineTransform &other)
{
    mS = multiply(other.mS, mS);
}

QPointF AffineTransform::transformPoint(QPointF p) const
{
    return QPointF(mS.m11 * p.x() + mS.m21 * p.y() + mS.tX,
                   mS.m12 * p.x() + mS.m22 * p.y() + mS.tY);
}

QSizeF AffineTransform::transformSize(QSizeF s) const
{
    return QSizeF(mS.m11 * s.width() + mS.m21 * s.height(),
                  mS.m12 * s.width() + mS.m22 * s.height());
}

BezierPath AffineTransform::transformBezierPath(const BezierPath &path) const
{
    BezierPath copy = path;
    copy.transformUsingAffineTransform(*this);
    return copy;
}

void AffineTransform::concat() const
{
    GraphicsContext *gc = GraphicsContext::currentContext();
    if (QPainter *painter = gc ? gc->painter() : nullptr)
        painter->setWorldTransform(toQTransform(), true);
}

void AffineTransform::set() const
{
    GraphicsContext *gc = GraphicsContext::currentContext();
    if (QPainter *painter = gc ? gc->painter() : nullptr)
        painter->setWorldTransform(toQTransform(), false);
}

} // namespace platform
