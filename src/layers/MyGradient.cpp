#include "layers/MyGradient.h"

#include "graphics/DrawingUtility.h"
#include "graphics/UtilityMathAngles.h"
#include "graphics/UtilityMathLines.h"

#include <cmath>

namespace {

const QPointF kMiddle(0.5, 0.5);
// The sweep's ends start this far from the middle, just beyond the unit square's sides.
constexpr float kReach = 0.65f;

QPointF radialCenter(int direction)
{
    switch (direction) {
    case 1:
    case 8:
        return QPointF(1, 1);
    case 2:
    case 9:
        return QPointF(0, 1);
    case 4:
        return QPointF(0.5, 0);
    case 5:
        return QPointF(0.5, 1);
    case 6:
    case 11:
        return QPointF(1, 0);
    case 7:
    case 12:
        return QPointF(0, 0);
    default:
        return kMiddle;
    }
}

} // namespace

std::shared_ptr<MyGradient> MyGradient::create()
{
    return std::make_shared<MyGradient>();
}

std::shared_ptr<MyGradient> MyGradient::copy() const
{
    return std::make_shared<MyGradient>(*this);
}

void MyGradient::visio_updateSettingBaseOn(int direction, float angle)
{
    if (direction <= 0)
        setLinearGeometry(angle);
    else
        setRadialGeometry(direction);
}

void MyGradient::setLinearGeometry(float angle)
{
    mBIsLinear = true;
    const QPointF a = PointAtDistanceAndAngle(kMiddle, kReach, angle + 180);
    const QPointF b = PointAtDistanceAndAngle(kMiddle, kReach, angle);
    mStartPoint = a;
    mEndPoint = b;
    // The sweep runs between where the line through both ends meets the square and that point's
    // mirror, from the end nearer to a.
    QPointF q;
    if (!IntersectLineWithRectBorder(a, b, QRectF(0, 0, 1, 1), &q))
        return;
    const QPointF m = MirrorPointAroundPoint(q, kMiddle);
    if (DistanceBetweenPoints(q, a) < DistanceBetweenPoints(m, a)) {
        mStartPoint = q;
        mEndPoint = m;
    } else {
        mStartPoint = m;
        mEndPoint = q;
    }
}

void MyGradient::setRadialGeometry(int direction)
{
    mBIsLinear = false;
    const QPointF center = radialCenter(direction);
    mCenterPoint = center;
    const float reach = DistanceBetweenPoints(center, MirrorPointAroundPoint(center, kMiddle));
    mRadius = std::max(reach, 0.5f);
}
