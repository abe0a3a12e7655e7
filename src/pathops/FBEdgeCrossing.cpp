#include "pathops/FBEdgeCrossing.h"

#include "pathops/FBContourEdge.h"

FBEdgeCrossing::FBEdgeCrossing(FBBezierIntersectionPtr intersection)
    : mIntersection(std::move(intersection))
{}

FBEdgeCrossingPtr FBEdgeCrossing::crossingWithIntersection(FBBezierIntersectionPtr intersection)
{
    return std::make_shared<FBEdgeCrossing>(std::move(intersection));
}

void FBEdgeCrossing::removeFromEdge()
{
    if (mEdge)
        mEdge->removeCrossing(this);
}

FBEdgeCrossing *FBEdgeCrossing::next() const
{
    if (!mEdge)
        return nullptr;
    const auto &crossings = mEdge->crossings();
    if (mIndex + 1 < qsizetype(crossings.size()))
        return crossings[mIndex + 1].get();
    return nullptr;
}

FBEdgeCrossing *FBEdgeCrossing::previous() const
{
    if (!mEdge)
        return nullptr;
    // Reading the crossings first puts the indexes right.
    const auto &crossings = mEdge->crossings();
    if (mIndex <= 0 || mIndex > qsizetype(crossings.size()))
        return nullptr;
    return crossings[mIndex - 1].get();
}

qsizetype FBEdgeCrossing::index() const
{
    if (mEdge)
        mEdge->crossings();
    return mIndex;
}

// A crossing belongs to the side of the intersection whose curve is its edge's very curve.
bool FBEdgeCrossing::onCurve1() const
{
    return mEdge && mEdge->curve() == mIntersection->curve1();
}

double FBEdgeCrossing::parameter() const
{
    return onCurve1() ? mIntersection->parameter1() : mIntersection->parameter2();
}

QPointF FBEdgeCrossing::location() const
{
    return mIntersection->location();
}

FBBezierCurvePtr FBEdgeCrossing::curve() const
{
    return mEdge ? mEdge->curve() : FBBezierCurvePtr();
}

FBBezierCurvePtr FBEdgeCrossing::leftCurve() const
{
    if (isAtStart())
        return nullptr;
    return onCurve1() ? mIntersection->curve1LeftBezier() : mIntersection->curve2LeftBezier();
}

FBBezierCurvePtr FBEdgeCrossing::rightCurve() const
{
    if (isAtEnd())
        return nullptr;
    return onCurve1() ? mIntersection->curve1RightBezier() : mIntersection->curve2RightBezier();
}

bool FBEdgeCrossing::isAtStart() const
{
    return onCurve1() ? mIntersection->isAtStartOfCurve1() : mIntersection->isAtStartOfCurve2();
}

bool FBEdgeCrossing::isAtEnd() const
{
    return onCurve1() ? mIntersection->isAtStopOfCurve1() : mIntersection->isAtStopOfCurve2();
}

QString FBEdgeCrossing::description() const
{
    auto yesNo = [](bool b) { return b ? "yes" : "no"; };
    return QString::asprintf("<FBEdgeCrossing: isEntry = %s, isProcessed = %s, "
                             "isSelfIntersecting = %s, intersection = ",
                             yesNo(mEntry), yesNo(mProcessed), yesNo(mSelfCrossing)) +
           mIntersection->description() + QStringLiteral(">");
}
