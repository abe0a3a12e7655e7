#pragma once
// A path reduced to its list of points, and questions about its shape: which way it turns,
// whether it is a straight line or one open polyline, its subpaths, its enclosed area, and the
// path cut into short straight pieces. The NaN rule and the point (-999, -999) are those of
// graphics/PelkoNSBezierPath.h.

#include "graphics/UtilityMathAngles.h"
#include "platform/BezierPath.h"

#include <QList>
#include <QPointF>
#include <optional>

// The end points of the elements into `buffer`, at most `capacity` of them; a curve adds only
// its end point. With `nearDistance` of 0.02 or more, a point within it of the one before is
// dropped, and so are last points within it of the first in a closed path. False without a
// point; `outClosed` and `outHasCurve` may be null.
bool getPointArray(const platform::BezierPath &path, QPointF *buffer, int *outCount, int capacity,
                   bool *outClosed, bool *outHasCurve, float nearDistance);

// Whether the points run clockwise, with the y axis pointing up: the mean turn between the
// edges at each point is below 180 degrees.
bool isClockWise(const platform::BezierPath &path);
// A path that is one straight line (thin bounds, or collinear lines without curves) answers its
// two ends in `outLine`; a NaN in the bounds sets `outIsNAN`. Either may be null.
bool isLine(const platform::BezierPath &path, LINE_ *outLine, bool *outIsNAN);
// The points of one open polyline (curves accepted within `tolerance` of their chord when it
// is above 0.02); nothing for a closed, looping or multi-part path.
std::optional<QList<QPointF>> isSinglePolyLine(const platform::BezierPath &path, float tolerance);
// A copy without lines and curves that end within 0.0002 of where they start.
platform::BezierPath pathByRemoveTooNearPoint(const platform::BezierPath &path);
// Lines cut into pieces about `step` long (0.1 to 1000), curves flattened to that flatness.
// Nothing for an empty path or a result past kMaxSplitElements elements.
std::optional<platform::BezierPath> splitPathToSmallLine(const platform::BezierPath &path,
                                                         float step);
// One path per subpath of two elements or more, each with the path's line width.
std::optional<QList<platform::BezierPath>> memberOfPath(const platform::BezierPath &path);
// The area of a polygon path (curves give 0); `ok`, when given, tells whether it was measured.
double getAreaForPolyPath(const platform::BezierPath &path, bool *ok);

// Sets the default flatness for its lifetime and restores the previous one on every way out.
class DefaultFlatnessScope
{
public:
    explicit DefaultFlatnessScope(double flatness);
    ~DefaultFlatnessScope();
    DefaultFlatnessScope(const DefaultFlatnessScope &) = delete;
    DefaultFlatnessScope &operator=(const DefaultFlatnessScope &) = delete;

private:
    double mSaved;
};

// A line cut into more pieces than this is kept whole; a split path of more elements is refused.
constexpr qint64 kMaxSplitPiecesPerLine = 100000;
constexpr qint64 kMaxSplitElements = 10000000;
