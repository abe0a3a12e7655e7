#pragma once
// The gradient fill of a shape layer: its colour stops and a linear or radial sweep in unit
// coordinates of the filled path's bounding box ((0, 0) its origin, (1, 1) the opposite corner),
// so that one gradient fits any size of shape.

#include "platform/Color.h"

#include <QGradientStops>
#include <QPointF>
#include <memory>

class MyGradient
{
public:
    MyGradient() = default;

    static std::shared_ptr<MyGradient> create();
    // Shares the stops and copies the geometry.
    std::shared_ptr<MyGradient> copy() const;

    // The geometry of a diagram shape's fill: direction 0 or below is linear at the angle (in
    // degrees), above 0 radial around the centre that the code names.
    void visio_updateSettingBaseOn(int direction, float angle);

    bool bIsLinear() const { return mBIsLinear; }
    void setBIsLinear(bool v) { mBIsLinear = v; }
    // Null: nothing to draw with.
    std::shared_ptr<const QGradientStops> gradient() const { return mGradient; }
    void setGradient(std::shared_ptr<const QGradientStops> v) { mGradient = std::move(v); }
    const platform::Color &colorStart() const { return mColorStart; }
    void setColorStart(const platform::Color &v) { mColorStart = v; }
    const platform::Color &colorEnd() const { return mColorEnd; }
    void setColorEnd(const platform::Color &v) { mColorEnd = v; }
    // A fraction of the bounding box's smaller side.
    double radius() const { return mRadius; }
    void setRadius(double v) { mRadius = v; }
    QPointF centerPoint() const { return mCenterPoint; }
    void setCenterPoint(QPointF v) { mCenterPoint = v; }
    QPointF startPoint() const { return mStartPoint; }
    void setStartPoint(QPointF v) { mStartPoint = v; }
    QPointF endPoint() const { return mEndPoint; }
    void setEndPoint(QPointF v) { mEndPoint = v; }

private:
    void setLinearGeometry(float angle);
    void setRadialGeometry(int direction);

    bool mBIsLinear = true;
    std::shared_ptr<const QGradientStops> mGradient;
    platform::Color mColorStart;
    platform::Color mColorEnd;
    double mRadius = 1.0;
    QPointF mCenterPoint{0, 0};
    QPointF mStartPoint{0, 0};
    QPointF mEndPoint{0, 0};
};
