#include "platform/CGPath.h"

namespace platform {

namespace {

QPointF mapped(QPointF p, const CGAffineTransform *m)
{
    return m ? CGPointApplyAffineTransform(p, *m) : p;
}

} // namespace

void CGPath::moveToPoint(QPointF p, const CGAffineTransform *m)
{
    mElements.append(Element{CGPathElementType::MoveToPoint, {mapped(p, m)}});
}

void CGPath::ensureCurrentPoint(QPointF p)
{
    if (!hasCurrentPoint())
        moveToPoint(p);
}

void CGPath::addLineToPoint(QPointF p, const CGAffineTransform *m)
{
    const QPointF q = mapped(p, m);
    ensureCurrentPoint(q);
    mElements.append(Element{CGPathElementType::AddLineToPoint, {q}});
}

void CGPath::addQuadCurveToPoint(QPointF control, QPointF end, const CGAffineTransform *m)
{
    const QPointF e = mapped(end, m);
    ensureCurrentPoint(e);
    mElements.append(Element{CGPathElementType::AddQuadCurveToPoint, {mapped(control, m), e}});
}

void CGPath::addCurveToPoint(QPointF control1, QPointF control2, QPointF end,
                             const CGAffineTransform *m)
{
    const QPointF e = mapped(end, m);
    ensureCurrentPoint(e);
    mElements.append(
        Element{CGPathElementType::AddCurveToPoint, {mapped(control1, m), mapped(control2, m), e}});
}

void CGPath::closeSubpath()
{
    if (hasCurrentPoint())
        mElements.append(Element{CGPathElementType::CloseSubpath, {}});
}

QPointF CGPath::currentPoint() const
{
    if (mElements.isEmpty())
        return QPointF();
    const Element &last = mElements.last();
    switch (last.type) {
    case CGPathElementType::MoveToPoint:
    case CGPathElementType::AddLineToPoint:
        return last.points[0];
    case CGPathElementType::AddQuadCurveToPoint:
        return last.points[1];
    case CGPathElementType::AddCurveToPoint:
        return last.points[2];
    case CGPathElementType::CloseSubpath:
        break;
    }
    // After a close, back to the move that began the subpath.
    for (qint64 i = mElements.size() - 2; i >= 0; --i)
        if (mElements.at(i).type == CGPathElementType::MoveToPoint)
            return mElements.at(i).points[0];
    return QPointF();
}

void CGPath::apply(void *info, CGPathApplierFunction function) const
{
    if (!function)
        return;
    for (const Element &e : mElements) {
        std::array<QPointF, 3> points = e.points;
        const CGPathElement element{e.type, points.data()};
        function(info, &element);
    }
}

} // namespace platform
