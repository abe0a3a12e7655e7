#pragma once
// One point where an edge of a contour crosses another edge, linked to its counterpart on the
// other edge. The edge's crossing list owns it; the edge and counterpart links are plain
// pointers, valid while the operation that made them runs.

#include "pathops/FBBezierIntersection.h"

#include <memory>

class FBContourEdge;
class FBEdgeCrossing;
using FBEdgeCrossingPtr = std::shared_ptr<FBEdgeCrossing>;

class FBEdgeCrossing
{
public:
    explicit FBEdgeCrossing(FBBezierIntersectionPtr intersection);
    static FBEdgeCrossingPtr crossingWithIntersection(FBBezierIntersectionPtr intersection);

    // Leaves its edge's list (which may end its life when nothing else holds it).
    void removeFromEdge();
    double order() const { return parameter(); }
    // The neighbours on the same edge; nullptr at either end.
    FBEdgeCrossing *next() const;
    FBEdgeCrossing *previous() const;

    // Taken from the intersection's side whose curve is this edge's curve.
    double parameter() const;
    QPointF location() const;
    FBBezierCurvePtr curve() const;
    FBBezierCurvePtr leftCurve() const;
    FBBezierCurvePtr rightCurve() const;
    bool isAtStart() const;
    bool isAtEnd() const;
    QString description() const;

    const FBBezierIntersectionPtr &intersection() const { return mIntersection; }
    FBContourEdge *edge() const { return mEdge; }
    void setEdge(FBContourEdge *edge) { mEdge = edge; }
    FBEdgeCrossing *counterpart() const { return mCounterpart; }
    void setCounterpart(FBEdgeCrossing *counterpart) { mCounterpart = counterpart; }
    bool isEntry() const { return mEntry; }
    void setEntry(bool entry) { mEntry = entry; }
    bool isProcessed() const { return mProcessed; }
    void setProcessed(bool processed) { mProcessed = processed; }
    // Whether the pieces of outline on both sides of it lie on one side of the other outline, as
    // the marking found them: the outlines touch here rather than cross, on this side.
    bool isTouch() const { return mTouch; }
    void setTouch(bool touch) { mTouch = touch; }
    bool isSelfCrossing() const { return mSelfCrossing; }
    void setSelfCrossing(bool selfCrossing) { mSelfCrossing = selfCrossing; }
    // The place on its edge's sorted list.
    qsizetype index() const;
    void setIndex(qsizetype index) { mIndex = index; }

private:
    bool onCurve1() const;

    FBBezierIntersectionPtr mIntersection;
    FBContourEdge *mEdge = nullptr;
    FBEdgeCrossing *mCounterpart = nullptr;
    bool mEntry = false;
    bool mProcessed = false;
    bool mSelfCrossing = false;
    bool mTouch = false;
    qsizetype mIndex = 0;
};
