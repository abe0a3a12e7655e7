#pragma once
// An editable outline: an ordered list of points, each owning the segment that leaves it, with a
// closed flag that joins the last point back to the first. Built from a path and turned back
// into one; transforms act on the points directly or on their saved values.

#include "graphics/DOT.h"
#include "platform/BezierPath.h"

#include <QList>
#include <QRectF>
#include <memory>
#include <optional>

namespace platform {
class AffineTransform;
}

class DotPath
{
public:
    using DotList = QList<std::shared_ptr<DOT>>;

    DotPath() = default;

    static std::shared_ptr<DotPath> create();
    // Null when the path yields no point.
    static std::shared_ptr<DotPath> createWithPath(const platform::BezierPath *path);

    // The closed flag and a copy of every point.
    std::shared_ptr<DotPath> copy() const;

    void setPath(const platform::BezierPath *path);
    // None for fewer than two points or when nothing but a move would come out.
    std::optional<platform::BezierPath> toPath() const;
    // The segment leaving the point at the index; none without a point or a next point there.
    std::optional<platform::BezierPath> getLinePathAtPos(int index) const;

    bool isClose() const { return mBClosed; }
    int length() const { return int(mItems.size()); }
    int lengthLine() const;
    QRectF bounds() const;

    void transform(const platform::AffineTransform *t);
    void transform_FromOldValue(const platform::AffineTransform *t);
    void resetOldValue();
    void restoreOldValue();

    // Null entries of the list stand for items that are no point: lookups answer null for them
    // and every operation skips them.
    std::shared_ptr<DOT> dotAtPos(int index) const;
    // Points are found in the list by identity.
    std::shared_ptr<DOT> getNextDot(const DOT *dot) const;
    std::shared_ptr<DOT> getPreviousDot(const DOT *dot) const;
    std::shared_ptr<DOT> firstSelectDot() const;

    // Reverses an open list; each segment keeps its style and shape, its control points swapped.
    void ReverseOrderOfDot();

    const DotList &items() const { return mItems; }
    void setItems(const DotList &items) { mItems = items; }
    bool bClosed() const { return mBClosed; }
    void setBClosed(bool closed) { mBClosed = closed; }

private:
    // The index of the point that follows the one at `index`, -1 when none.
    int nextIndex(int index) const;
    void removeCoincidentNeighbours();

    DotList mItems;
    bool mBClosed = false;
};
