// Editable outlines: what a path becomes as a point list and back, the coincident-point pass
// against its plain restart-from-the-start form, reversal and transforms from saved values.
#include "layers/DotPath.h"
#include "pathops/PolygonPath.h"
#include "platform/AffineTransform.h"
#include "support/LogCapture.h"

#include <QRandomGenerator>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using platform::AffineTransform;
using platform::BezierPath;
using platform::BezierPathElement;

namespace {

QList<QPointF> positions(const DotPath &list)
{
    QList<QPointF> result;
    for (const auto &dot : list.items())
        result.append(dot ? dot->p() : QPointF(-1, -1));
    return result;
}

// The removal pass as first written: every removal restarts the scan at index 0.
void removeCoincidentRestarting(DotPath &list)
{
    const auto same = [](QPointF a, QPointF b) {
        return std::fabs(a.x() - b.x()) <= 0.1 && std::fabs(a.y() - b.y()) <= 0.1;
    };
    DotPath::DotList items = list.items();
    bool removed = true;
    while (removed && items.size() > 2) {
        removed = false;
        for (int i = 0; i < items.size(); ++i) {
            int next = i + 1;
            if (next == items.size())
                next = list.bClosed() ? 0 : -1;
            if (next >= 0 && same(items[i]->p(), items[next]->p())) {
                items.removeAt(i);
                removed = true;
                break;
            }
        }
    }
    list.setItems(items);
}

struct Shape
{
    QList<QPointF> points;
    QList<int> types;
    QList<QPointF> curve1;
    QList<QPointF> curve2;
    bool closed = false;
};

Shape shapeOf(const DotPath &list)
{
    Shape s;
    s.closed = list.bClosed();
    for (const auto &dot : list.items()) {
        s.points.append(dot->p());
        s.types.append(dot->type() == DOT::kCurveType ? 2 : 0);
        // A straight segment carries no control points.
        s.curve1.append(dot->type() == DOT::kCurveType ? dot->curve1() : QPointF());
        s.curve2.append(dot->type() == DOT::kCurveType ? dot->curve2() : QPointF());
    }
    return s;
}

} // namespace

TEST(DotPath, PathsBecomePointListsAsDrawn)
{
    struct Row
    {
        const char *name;
        BezierPath path;
        QList<QPointF> points;
        bool closed;
    };
    BezierPath twoSubpaths = polyline({{0, 0}, {10, 0}});
    twoSubpaths.moveToPoint(QPointF(50, 50));
    twoSubpaths.lineToPoint(QPointF(60, 50));
    BezierPath moveAndClose;
    moveAndClose.moveToPoint(QPointF(3, 4));
    moveAndClose.closePath();
    const Row rows[] = {
        {"one line", polyline({{1, 2}, {3, 4}}), {{1, 2}, {3, 4}}, false},
        {"closed rectangle",
         polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}, true),
         {{0, 0}, {10, 0}, {10, 10}, {0, 10}},
         true},
        {"rectangle back on its start, no close",
         polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0.05, 0.05}}),
         {{0, 0}, {10, 0}, {10, 10}, {0, 10}},
         true},
        {"two subpaths chained", twoSubpaths, {{0, 0}, {10, 0}, {60, 50}}, false},
        {"move and close", moveAndClose, {{3, 4}}, true},
        {"neighbours within 0.1 merge",
         polyline({{0, 0}, {5, 5}, {5.08, 4.95}, {9, 0}}),
         {{0, 0}, {5.08, 4.95}, {9, 0}},
         false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DotPath list;
        list.setPath(&row.path);
        EXPECT_EQ(positions(list), row.points);
        EXPECT_EQ(list.bClosed(), row.closed);
    }

    DotPath single;
    single.setPath(&moveAndClose);
    EXPECT_FALSE(single.toPath().has_value());
    EXPECT_EQ(single.bounds(), QRectF());

    DotPath line;
    const BezierPath one = polyline({{1, 2}, {3, 4}});
    line.setPath(&one);
    const auto back = line.toPath();
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(back->elementCount(), 2);
    EXPECT_EQ(back->element(0).type, BezierPathElement::MoveTo);
    EXPECT_EQ(back->element(1).type, BezierPathElement::LineTo);

    EXPECT_EQ(DotPath::createWithPath(nullptr), nullptr);
    const BezierPath lone = polyline({{1, 1}});
    EXPECT_EQ(DotPath::createWithPath(&lone), nullptr);
}

TEST(DotPath, NeighboursAndSegmentCountsFollowTheClosedFlag)
{
    const BezierPath source = polyline({{0, 0}, {10, 0}, {10, 10}});
    auto list = DotPath::createWithPath(&source);
    ASSERT_NE(list, nullptr);
    const auto first = list->dotAtPos(0);
    const auto last = list->dotAtPos(2);
    EXPECT_EQ(list->lengthLine(), 2);
    EXPECT_EQ(list->getNextDot(last.get()), nullptr);
    EXPECT_EQ(list->getPreviousDot(first.get()), nullptr);
    list->setBClosed(true);
    EXPECT_EQ(list->lengthLine(), 3);
    EXPECT_EQ(list->getNextDot(last.get()), first);
    EXPECT_EQ(list->getPreviousDot(first.get()), last);

    // A point that is not in the list, a copy included, has no neighbours.
    const auto stranger = first->copy();
    EXPECT_EQ(list->getNextDot(stranger.get()), nullptr);
    EXPECT_EQ(list->dotAtPos(-1), nullptr);
    EXPECT_EQ(list->dotAtPos(3), nullptr);
    EXPECT_FALSE(list->getLinePathAtPos(3).has_value());
    const auto closing = list->getLinePathAtPos(2);
    ASSERT_TRUE(closing.has_value());
    EXPECT_EQ(closing->element(1).points[0], QPointF(0, 0));
}

TEST(DotPath, NullItemsAreSkipped)
{
    DotPath list;
    list.setItems({DOT::DotFromPoint({0, 0}), nullptr, DOT::DotFromPoint({10, 0}),
                   DOT::DotFromPoint({10, 10})});
    list.dotAtPos(2)->setBSelect(true);
    EXPECT_EQ(list.dotAtPos(1), nullptr);
    EXPECT_EQ(list.getNextDot(list.dotAtPos(0).get()), nullptr);
    EXPECT_EQ(list.getPreviousDot(list.dotAtPos(2).get()), nullptr);
    EXPECT_FALSE(list.getLinePathAtPos(1).has_value());
    EXPECT_EQ(list.firstSelectDot(), list.dotAtPos(2));

    const AffineTransform move(1, 0, 0, 1, 5, 5);
    list.resetOldValue();
    list.transform(&move);
    list.transform_FromOldValue(&move);
    list.restoreOldValue();
    EXPECT_EQ(list.dotAtPos(3)->p(), QPointF(10, 10));

    const auto path = list.toPath();
    ASSERT_TRUE(path.has_value());
    // The point before the gap has no next point, so the path jumps nowhere: it starts anew at
    // the next real point's segment.
    EXPECT_EQ(path->element(0).points[0], QPointF(0, 0));
    EXPECT_EQ(path->element(path->elementCount() - 1).points[0], QPointF(10, 10));

    // Reversal stops at the gap and leaves the list as it was.
    list.ReverseOrderOfDot();
    EXPECT_EQ(list.dotAtPos(1), nullptr);
    EXPECT_EQ(list.dotAtPos(0)->p(), QPointF(0, 0));
    EXPECT_EQ(list.copy()->dotAtPos(1), nullptr);
}

TEST(DotPath, NaNPointsAreLoggedAndReadAsTheOrigin)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    BezierPath path;
    path.moveToPoint(QPointF(nan, 1));
    path.lineToPoint(QPointF(5, nan));
    path.curveToPoint(QPointF(nan, nan), QPointF(nan, 0), QPointF(0, nan));
    path.lineToPoint(QPointF(20, 20));
    pelkotest::LogCapture log;
    DotPath list;
    list.setPath(&path);
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(log.logged(QStringLiteral("**** NaN value error %1 ****").arg(n))) << n;
    ASSERT_GE(list.length(), 2);
    EXPECT_EQ(list.dotAtPos(0)->p(), QPointF(0, 0));
    EXPECT_EQ(list.dotAtPos(list.length() - 1)->p(), QPointF(20, 20));
}

TEST(DotPath, ItsOwnPathsComeBackUnchanged)
{
    QRandomGenerator random(29);
    const auto coordinate = [&random] { return double(random.bounded(2000)) / 10.0; };
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        BezierPath source;
        source.moveToPoint(QPointF(coordinate(), coordinate()));
        const int segments = 1 + random.bounded(8);
        for (int s = 0; s < segments; ++s) {
            const QPointF end(coordinate(), coordinate());
            if (random.bounded(2))
                source.curveToPoint(end, QPointF(coordinate(), coordinate()),
                                    QPointF(coordinate(), coordinate()));
            else
                source.lineToPoint(end);
        }
        if (random.bounded(2))
            source.closePath();
        DotPath first;
        first.setPath(&source);
        const auto path = first.toPath();
        if (!path)
            continue;
        DotPath second;
        second.setPath(&*path);
        const Shape a = shapeOf(first);
        const Shape b = shapeOf(second);
        EXPECT_EQ(a.points, b.points);
        EXPECT_EQ(a.types, b.types);
        EXPECT_EQ(a.curve1, b.curve1);
        EXPECT_EQ(a.curve2, b.curve2);
        EXPECT_EQ(a.closed, b.closed);
    }
}

TEST(DotPath, ResumingTheRemovalScanFindsWhatRestartingFinds)
{
    QRandomGenerator random(2029);
    for (int round = 0; round < 3000; ++round) {
        SCOPED_TRACE(round);
        QList<QPointF> points;
        const int count = 2 + random.bounded(12);
        // Few distinct values, so that many neighbours coincide.
        for (int i = 0; i < count; ++i)
            points.append(QPointF(random.bounded(3) * 0.06, random.bounded(3) * 0.07));
        const bool close = random.bounded(2);
        BezierPath path;
        path.moveToPoint(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineToPoint(points[i]);
        if (close)
            path.closePath();
        DotPath actual;
        actual.setPath(&path);

        DotPath reference;
        DotPath::DotList items;
        for (QPointF p : points)
            items.append(DOT::DotFromPoint(p));
        bool closed = close;
        if (!closed && items.size() >= 3 && std::fabs(points.last().x() - points[0].x()) <= 0.1 &&
            std::fabs(points.last().y() - points[0].y()) <= 0.1) {
            closed = true;
            items.removeLast();
        }
        reference.setItems(items);
        reference.setBClosed(closed);
        removeCoincidentRestarting(reference);
        EXPECT_EQ(positions(actual), positions(reference));
        EXPECT_EQ(actual.bClosed(), reference.bClosed());
    }
}

TEST(DotPath, ReversingTwiceGivesTheListBack)
{
    BezierPath path;
    path.moveToPoint(QPointF(0, 0));
    path.curveToPoint(QPointF(30, 0), QPointF(10, 10), QPointF(20, 10));
    path.lineToPoint(QPointF(30, 30));
    path.curveToPoint(QPointF(0, 30), QPointF(25, 40), QPointF(5, 40));
    DotPath list;
    list.setPath(&path);
    list.dotAtPos(0)->setALineColor(0xff0000ffu);
    list.dotAtPos(0)->setALinesize(3);
    const Shape before = shapeOf(list);

    list.ReverseOrderOfDot();
    // The first curve is now owned by the second point, controls swapped, with its style.
    const auto owner = list.dotAtPos(2);
    EXPECT_EQ(owner->p(), QPointF(30, 0));
    EXPECT_EQ(owner->type(), DOT::kCurveType);
    EXPECT_EQ(owner->curve1(), QPointF(20, 10));
    EXPECT_EQ(owner->curve2(), QPointF(10, 10));
    EXPECT_EQ(owner->aLineColor(), 0xff0000ffu);
    EXPECT_EQ(owner->aLinesize(), 3.0f);
    EXPECT_EQ(list.dotAtPos(3)->type(), 0);

    list.ReverseOrderOfDot();
    const Shape after = shapeOf(list);
    EXPECT_EQ(after.points, before.points);
    EXPECT_EQ(after.types.mid(0, 3), before.types.mid(0, 3));
    EXPECT_EQ(after.curve1.mid(0, 3), before.curve1.mid(0, 3));
    EXPECT_EQ(after.curve2.mid(0, 3), before.curve2.mid(0, 3));
    EXPECT_EQ(list.dotAtPos(0)->aLineColor(), 0xff0000ffu);

    // A closed list is left as it is.
    list.setBClosed(true);
    const QList<QPointF> closedBefore = positions(list);
    list.ReverseOrderOfDot();
    EXPECT_EQ(positions(list), closedBefore);
    EXPECT_TRUE(list.bClosed());
}

TEST(DotPath, GrowingTransformsFromSavedValuesDoNotAccumulate)
{
    BezierPath path;
    path.moveToPoint(QPointF(10, 0));
    path.curveToPoint(QPointF(20, 0), QPointF(12, 5), QPointF(18, 5));
    path.lineToPoint(QPointF(20, 20));
    DotPath list;
    list.setPath(&path);
    list.resetOldValue();
    for (int step = 1; step <= 5; ++step) {
        AffineTransform grow;
        grow.scaleBy(1 + step * 0.5);
        list.transform_FromOldValue(&grow);
        list.transform_FromOldValue(&grow);
        EXPECT_EQ(list.dotAtPos(0)->p(), QPointF(10 * (1 + step * 0.5), 0));
        EXPECT_EQ(list.dotAtPos(0)->curve1(), QPointF(12 * (1 + step * 0.5), 5 * (1 + step * 0.5)));
    }
    list.restoreOldValue();
    EXPECT_EQ(list.dotAtPos(2)->p(), QPointF(20, 20));

    AffineTransform move(1, 0, 0, 1, 1, 1);
    list.transform(&move);
    list.transform(&move);
    EXPECT_EQ(list.dotAtPos(2)->p(), QPointF(22, 22));
    EXPECT_EQ(list.bounds().left(), 12);
}
