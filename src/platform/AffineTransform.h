#pragma once
// A 2-D affine transform in the original platform's layout: a point (x, y) maps to
// (m11 x + m21 y + tX, m12 x + m22 y + tY). The modifying calls (translate, rotate, scale)
// act first on points, before what the transform already does, as the original's did.

#include <QPointF>
#include <QSizeF>
#include <QTransform>

namespace platform {

class BezierPath;

struct AffineTransformStruct
{
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, tX = 0, tY = 0;
    constexpr bool operator==(const AffineTransformStruct &) const = default;
};

class AffineTransform
{
public:
    AffineTransform() = default; // identity
    explicit AffineTransform(const AffineTransformStruct &s) : mS(s) {}
    AffineTransform(double m11, double m12, double m21, double m22, double tX, double tY)
        : mS{m11, m12, m21, m22, tX, tY}
    {}

    static AffineTransform transform() { return AffineTransform(); }
    static AffineTransform fromQTransform(const QTransform &t);

    AffineTransformStruct transformStruct() const { return mS; }
    void setTransformStruct(const AffineTransformStruct &s) { mS = s; }
    double m11() const { return mS.m11; }
    double m12() const { return mS.m12; }
    double m21() const { return mS.m21; }
    double m22() const { return mS.m22; }
    double tX() const { return mS.tX; }
    double tY() const { return mS.tY; }

    void translateXBy(double dx, double dy);
    void rotateByDegrees(double degrees);
    void rotateByRadians(double radians);
    void scaleBy(double s) { scaleXBy(s, s); }
    void scaleXBy(double sx, double sy);
    // False (and unchanged) when the transform is singular.
    bool invert();
    // Points go through this transform, then through `other`.
    void appendTransform(const AffineTransform &other);
    // Points go through `other`, then through this transform.
    void prependTransform(const AffineTransform &other);

    QPointF transformPoint(QPointF p) const;
    // Sizes are vectors: the translation does not apply.
    QSizeF transformSize(QSizeF s) const;
    BezierPath transformBezierPath(const BezierPath &path) const;

    bool isIdentity() const { return mS == AffineTransformStruct{}; }
    double determinant() const { return mS.m11 * mS.m22 - mS.m12 * mS.m21; }
    QTransform toQTransform() const
    {
        return QTransform(mS.m11, mS.m12, mS.m21, mS.m22, mS.tX, mS.tY);
    }

    // Appends this transform to the current graphics context's transform (no-op without one).
    void concat() const;
    // Replaces the current graphics context's transform (no-op without one).
    void set() const;

    bool operator==(const AffineTransform &o) const { return mS == o.mS; }

private:
    AffineTransformStruct mS;
};

} // namespace platform
