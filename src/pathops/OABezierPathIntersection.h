#pragma once
// Where two paths (or a path and a line) meet: for each side the element, the parameter within
// it, the length of an overlap's range and the direction codes on entering and leaving.

#include "pathops/PathIntersectionKernels.h"

#include <QPointF>

struct OABezierPathIntersectionHalf
{
    qint64 segment = 0;
    double parameter = 0;
    double parameterDistance = 0;
    int firstAspect = 0;
    int secondAspect = 0;
};

class OABezierPathIntersection
{
public:
    OABezierPathIntersectionHalf left() const { return mLeft; }
    void setLeft(const OABezierPathIntersectionHalf &h) { mLeft = h; }
    OABezierPathIntersectionHalf right() const { return mRight; }
    void setRight(const OABezierPathIntersectionHalf &h) { mRight = h; }
    QPointF location() const { return mLocation; }
    void setLocation(QPointF p) { mLocation = p; }

private:
    OABezierPathIntersectionHalf mLeft;
    OABezierPathIntersectionHalf mRight;
    QPointF mLocation;
};

// Fills both halves from a kernel record; the left aspects run in the right side's direction.
void copyIntersection(OABezierPathIntersection *obj, const intersectionInfo &record,
                      qint64 leftSegment, qint64 rightSegment);
