#include "graphics/DOT.h"

#include "platform/AffineTransform.h"

DOT::DOT() = default;

std::shared_ptr<DOT> DOT::NewDot()
{
    return std::make_shared<DOT>();
}

std::shared_ptr<DOT> DOT::DotFromPoint(QPointF point)
{
    auto dot = std::make_shared<DOT>();
    dot->mP = point;
    return dot;
}

std::shared_ptr<DOT> DOT::DotFromDot(const DOT *dot)
{
    return dot ? dot->copy() : nullptr;
}

std::shared_ptr<DOT> DOT::copy() const
{
    auto dot = std::make_shared<DOT>();
    dot->mP = mP;
    dot->mAGroupPoint = mAGroupPoint;
    dot->mALineDash = mALineDash;
    dot->mALinesize = mALinesize;
    dot->mALineColor = mALineColor;
    dot->mType = mType;
    dot->mCurve1 = mCurve1;
    dot->mCurve2 = mCurve2;
    dot->mALinesizeShowOver = mALinesizeShowOver;
    return dot;
}

void DOT::PasteTypeTo(DOT *other) const
{
    if (!other)
        return;
    other->mALineDash = mALineDash;
    other->mType = mType;
    other->mALinesize = mALinesize;
    other->mALineColor = mALineColor;
    other->mALinesizeShowOver = mALinesizeShowOver;
}

void DOT::transform(const platform::AffineTransform *t)
{
    if (!t)
        return;
    mP = t->transformPoint(mP);
    if (mType == kCurveType) {
        mCurve1 = t->transformPoint(mCurve1);
        mCurve2 = t->transformPoint(mCurve2);
    }
}

void DOT::transform_FromOldValue(const platform::AffineTransform *t)
{
    if (!t)
        return;
    mP = t->transformPoint(mOldP);
    if (mType == kCurveType) {
        mCurve1 = t->transformPoint(mOldCurve1);
        mCurve2 = t->transformPoint(mOldCurve2);
    }
}

void DOT::resetOldValue()
{
    mOldP = mP;
    mOldCurve1 = mCurve1;
    mOldCurve2 = mCurve2;
}

void DOT::restoreOldValue()
{
    mP = mOldP;
    mCurve1 = mOldCurve1;
    mCurve2 = mOldCurve2;
}
