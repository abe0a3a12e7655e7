#include "foundation/RangeUtility.h"

#include "platform/Guard.h"

#include <algorithm>
#include <cmath>

namespace {

// The platform's ranges are unsigned and their ends wrap; computing in quint64 keeps every
// comparison the same as there and never overflows.
quint64 uloc(Range r)
{
    return static_cast<quint64>(r.location);
}
quint64 ulen(Range r)
{
    return static_cast<quint64>(r.length);
}
quint64 uend(Range r)
{
    return uloc(r) + ulen(r);
}

Range rangeOf(quint64 location, quint64 length)
{
    return Range{static_cast<qint64>(location), static_cast<qint64>(length)};
}

// a is not empty and covers b (an empty b at a position inside a, or at its start, counts).
bool covers(Range a, Range b)
{
    return ulen(a) != 0 && uend(a) > uloc(b) && uloc(a) <= uloc(b) && uend(a) >= uend(b);
}

double defaultedTolerance(float tolerance)
{
    return tolerance > 0 ? static_cast<double>(tolerance) : static_cast<double>(0.002f);
}

bool withinAll(std::initializer_list<double> differences, double tolerance)
{
    for (double d : differences) {
        if (!(std::fabs(d) <= tolerance))
            return false;
    }
    return true;
}

} // namespace

Range RangeUnionChecked(Range a, Range b)
{
    if (a.location == NotFound || b.location == NotFound)
        return Range{0, 0};
    const quint64 location = std::min(uloc(a), uloc(b));
    const quint64 end = std::max(uend(a), uend(b));
    return rangeOf(location, end - location);
}

bool RangeContainsRange(Range a, Range b)
{
    if (a.location == NotFound || a.length == 0 || uend(a) <= uloc(b) || b.location == NotFound)
        return false;
    return uloc(a) <= uloc(b) && uend(a) >= uend(b);
}

bool RangeOverlapsRange(Range a, Range b)
{
    if (a.location == NotFound || b.location == NotFound)
        return false;
    if (covers(a, b) || covers(b, a))
        return true;
    // The last test compares signed, as the original did.
    return static_cast<qint64>(uend(b)) > a.location && static_cast<qint64>(uend(a)) > b.location;
}

bool RangeTouchesRange(Range a, Range b)
{
    if (a.location == NotFound || b.location == NotFound)
        return false;
    if (uend(a) == uloc(b) || uend(b) == uloc(a))
        return true;
    return RangeOverlapsRange(a, b);
}

bool RangeMinus(Range a, Range b, Range *out, int *count)
{
    if (!out || !count) {
        REPORT_FATAL();
        return false;
    }
    *count = 0;
    out[0] = Range{NotFound, 0};
    out[1] = Range{NotFound, 0};
    if (uend(b) <= uloc(a) || uend(a) <= uloc(b))
        return false;

    const qint64 before = static_cast<qint64>(uloc(b) - uloc(a));
    const qint64 after = static_cast<qint64>(uend(a) - uend(b));
    if (before >= a.length || after >= a.length) {
        REPORT_FATAL();
        return false;
    }
    if (before > 0)
        out[(*count)++] = rangeOf(uloc(a), static_cast<quint64>(before));
    if (after > 0)
        out[(*count)++] = rangeOf(uend(b), static_cast<quint64>(after));
    return true;
}

bool FloatAlmostEqual(double a, double b)
{
    return std::fabs(a - b) < static_cast<double>(0.02f);
}

bool FloatIsAlmostZero(double x)
{
    return std::fabs(x) < static_cast<double>(0.02f);
}

bool PointsAlmostEqual(QPointF a, QPointF b, float tolerance)
{
    return PointsEqualWithTolerance(a, b, static_cast<float>(defaultedTolerance(tolerance)));
}

bool SizesAlmostEqual(QSizeF a, QSizeF b, float tolerance)
{
    return SizesEqualWithTolerance(a, b, static_cast<float>(defaultedTolerance(tolerance)));
}

bool RectsAlmostEqual(QRectF a, QRectF b, float tolerance)
{
    return RectsEqualWithTolerance(a, b, static_cast<float>(defaultedTolerance(tolerance)));
}

bool PointsEqualWithTolerance(QPointF a, QPointF b, float tolerance)
{
    return withinAll({a.x() - b.x(), a.y() - b.y()}, tolerance);
}

bool SizesEqualWithTolerance(QSizeF a, QSizeF b, float tolerance)
{
    return withinAll({a.width() - b.width(), a.height() - b.height()}, tolerance);
}

bool RectsEqualWithTolerance(QRectF a, QRectF b, float tolerance)
{
    return withinAll({a.x() - b.x(), a.y() - b.y(), a.width() - b.width(), a.height() - b.height()},
                     tolerance);
}

bool PointInRectWithTolerance(QPointF p, QRectF r, float tolerance)
{
    const double t = tolerance;
    return p.x() >= r.x() - t && p.y() >= r.y() - t && r.x() + r.width() + t >= p.x() &&
           r.y() + r.height() + t >= p.y();
}
