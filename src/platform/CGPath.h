#pragma once
// The mutable Core Graphics path of the original platform and its affine transform record.
// A CGPath is a list of elements (move, line, quadratic, cubic, close) walked with `apply`, the
// callback seeing each element with the kind numbers that platform gives them. CGAffineTransform
// has AffineTransformStruct's layout under the platform's field names; its maths is
// AffineTransform's.

#include "platform/AffineTransform.h"

#include <QList>
#include <QPointF>
#include <array>

namespace platform {

struct CGAffineTransform
{
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    constexpr bool operator==(const CGAffineTransform &) const = default;
};

constexpr CGAffineTransform CGAffineTransformIdentity{};

constexpr CGAffineTransform toCGAffineTransform(const AffineTransformStruct &s)
{
    return CGAffineTransform{s.m11, s.m12, s.m21, s.m22, s.tX, s.tY};
}
constexpr AffineTransformStruct toAffineTransformStruct(const CGAffineTransform &t)
{
    return AffineTransformStruct{t.a, t.b, t.c, t.d, t.tx, t.ty};
}
inline CGAffineTransform toCGAffineTransform(const AffineTransform &t)
{
    return toCGAffineTransform(t.transformStruct());
}
inline AffineTransform toAffineTransform(const CGAffineTransform &t)
{
    return AffineTransform(toAffineTransformStruct(t));
}
inline QPointF CGPointApplyAffineTransform(QPointF p, const CGAffineTransform &t)
{
    return toAffineTransform(t).transformPoint(p);
}

// The platform's numbers: a callback may meet a number outside them and must check.
enum class CGPathElementType : int {
    MoveToPoint = 0,
    AddLineToPoint = 1,
    AddQuadCurveToPoint = 2,
    AddCurveToPoint = 3,
    CloseSubpath = 4,
};

// Points: move and line one, quadratic control and end, cubic control 1, control 2 and end,
// close none.
struct CGPathElement
{
    CGPathElementType type = CGPathElementType::MoveToPoint;
    QPointF *points = nullptr;
};

using CGPathApplierFunction = void (*)(void *info, const CGPathElement *element);

class CGPath
{
public:
    struct Element
    {
        CGPathElementType type = CGPathElementType::MoveToPoint;
        std::array<QPointF, 3> points{};
        bool operator==(const Element &) const = default;
    };

    // Each adding call takes an optional transform applied to its points first. A line or
    // curve without a current point starts its subpath at its own end point.
    void moveToPoint(QPointF p, const CGAffineTransform *m = nullptr);
    void addLineToPoint(QPointF p, const CGAffineTransform *m = nullptr);
    void addQuadCurveToPoint(QPointF control, QPointF end, const CGAffineTransform *m = nullptr);
    void addCurveToPoint(QPointF control1, QPointF control2, QPointF end,
                         const CGAffineTransform *m = nullptr);
    // Nothing when there is no current point.
    void closeSubpath();

    bool isEmpty() const { return mElements.isEmpty(); }
    qint64 elementCount() const { return mElements.size(); }
    const QList<Element> &elements() const { return mElements; }
    bool hasCurrentPoint() const { return !mElements.isEmpty(); }
    // The last point; the start of the subpath after a close; (0, 0) when empty.
    QPointF currentPoint() const;

    // Calls `function` once per element in order with `info`. The points it is handed are a
    // copy: a callback cannot change the path. A null function does nothing.
    void apply(void *info, CGPathApplierFunction function) const;

    bool operator==(const CGPath &) const = default;

private:
    void ensureCurrentPoint(QPointF p);

    QList<Element> mElements;
};

} // namespace platform
