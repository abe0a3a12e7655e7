#include "pathops/FBBezierContour.h"

#include "PathShapes.h"
#include "pathops/FBBezierGraph.h"
#include "pathops/FBContourPieces.h"

#include <random>

#include <gtest/gtest.h>

namespace {

FBBezierContourPtr polygonContour(std::initializer_list<QPointF> points)
{
    auto contour = std::make_shared<FBBezierContour>();
    const std::vector<QPointF> p(points);
    for (size_t i = 0; i + 1 < p.size(); ++i)
        contour->addCurve(FBBezierCurve::bezierCurveWithLineStartPoint(p[i], p[i + 1]));
    contour->close();
    return contour;
}

} // namespace

TEST(FBBezierContourTest, EvenOddInsideByRay)
{
    const auto square = polygonContour({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    // The rays of the diamond's points run through its left and right corners, where two edges
    // meet: each corner counts once.
    const auto diamond = polygonContour({{5, 0}, {10, 5}, {5, 10}, {0, 5}});
    const FBBezierContourPtr circle = FBBezierGraph(circlePath(6, 3, 6)).contours().front();
    struct Row
    {
        const char *name;
        FBBezierContourPtr contour;
        QPointF point;
        bool inside;
    };
    const Row rows[] = {
        {"square centre", square, {0.5, 0.5}, true},
        {"beside the square", square, {1.5, 0.5}, false},
        {"left of the square", square, {-0.5, 0.5}, false},
        {"diamond centre through a corner", diamond, {5, 5}, true},
        {"right of the diamond through both corners", diamond, {12, 5}, false},
        {"diamond off its corners", diamond, {5, 2}, true},
        {"circle, ray from inside the first quarter's box", circle, {8, 7}, true},
        {"circle, outside", circle, {11.5, 8.5}, false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.contour->containsPoint(row.point), row.inside) << row.name;
}

// The pieces test a point at once when the hulls keep it farther than a distance from the other
// outline; that must be what the nearest-point search would have found, or a piece is read by
// the wrong test. Points all round circles and a square, near and far.
TEST(FBBezierContourTest, OutlineFartherThanAgreesWithTheNearestPoint)
{
    platform::BezierPath two = circlePath(6, 3, 6);
    two.appendBezierPath(circlePath(14, 5, 4));
    const FBBezierGraph circles(two);
    const auto square = polygonContour({{-3, -3}, {20, -3}, {20, 12}, {-3, 12}});
    std::vector<const FBBezierContour *> outlines;
    for (const auto &c : circles.contours())
        outlines.push_back(c.get());
    outlines.push_back(square.get());
    std::mt19937_64 random(54);
    std::uniform_real_distribution<double> x(-6, 24), y(-6, 16);
    int far = 0;
    for (int round = 0; round < 4000; ++round) {
        const QPointF p(x(random), y(random));
        const double nearest = FBOutline_Nearest(p, outlines).distance;
        for (const double distance : {1e-3, 0.016, 0.1, 1.0}) {
            if (FBOutline_FartherThan(p, outlines, distance)) {
                ++far;
                ASSERT_GT(nearest, distance) << p.x() << " " << p.y() << " at " << distance;
            }
            // The hulls never say near what a box already tells is far.
            if (FBOutline_BoxDistance(p, outlines) > 2 * distance) {
                EXPECT_TRUE(FBOutline_FartherThan(p, outlines, distance));
            }
        }
    }
    EXPECT_GT(far, 4000);
    EXPECT_TRUE(FBOutline_FartherThan(QPointF(0, 0), {}, 1e9));
}

TEST(FBBezierContourTest, DirectionBySignedArea)
{
    struct Row
    {
        const char *name;
        FBBezierContourPtr contour;
        int direction;
    };
    const Row rows[] = {
        {"triangle, positive turn", polygonContour({{0, 0}, {10, 0}, {0, 10}}), 0},
        {"triangle, negative turn", polygonContour({{0, 0}, {0, 10}, {10, 0}}), 1},
        {"square, positive turn", polygonContour({{0, 0}, {4, 0}, {4, 4}, {0, 4}}), 0},
        {"square, negative turn", polygonContour({{0, 0}, {0, 4}, {4, 4}, {4, 0}}), 1},
        {"no edges", std::make_shared<FBBezierContour>(), 0},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(row.contour->direction(), row.direction) << row.name;
        if (!row.contour->edges().empty()) {
            EXPECT_EQ(row.contour->reversedContour()->direction(), 1 - row.direction) << row.name;
            EXPECT_EQ(row.contour->contourMadeClockwiseIfNecessary()->direction(), 0) << row.name;
        }
    }
}

TEST(FBBezierContourTest, BuildingAndClosing)
{
    FBBezierContour contour;
    contour.addCurve(nullptr);
    contour.addCurveFrom(nullptr, nullptr);
    EXPECT_TRUE(contour.edges().empty());
    EXPECT_EQ(contour.bounds(), QRectF());

    contour.addCurve(FBBezierCurve::bezierCurveWithLineStartPoint({0, 0}, {4, 0}));
    contour.addCurve(FBBezierCurve::bezierCurveWithLineStartPoint({4, 0}, {0, 3}));
    EXPECT_EQ(contour.bounds(), QRectF(0, 0, 4, 3));
    contour.close();
    ASSERT_EQ(contour.edges().size(), 3u);
    EXPECT_EQ(contour.edges()[2]->curve()->endPoint2(), QPointF(0, 0));
    EXPECT_EQ(contour.edges()[2]->index(), 2);
    EXPECT_EQ(contour.edges()[2]->next(), contour.edges()[0].get());
    EXPECT_EQ(contour.edges()[0]->previous(), contour.edges()[2].get());

    // An end within 1e-10 of the start is closed already.
    FBBezierContour almost;
    almost.addCurve(FBBezierCurve::bezierCurveWithLineStartPoint({0, 0}, {4, 0}));
    almost.addCurve(FBBezierCurve::bezierCurveWithLineStartPoint({4, 0}, {0, 5e-11}));
    almost.close();
    EXPECT_EQ(almost.edges().size(), 2u);

    const platform::BezierPath path = contour.bezierPath();
    EXPECT_EQ(path.elementCount(), 5);
    EXPECT_EQ(path.windingRule(), platform::WindingRule::EvenOdd);
}

TEST(FBBezierContourTest, SelfIntersectingContoursReachedThroughChains)
{
    // A chain of squares, each crossing the next: every square reaches all the others through
    // self crossings, however long the chain.
    platform::BezierPath chain;
    const int count = 200;
    for (int i = 0; i < count; ++i)
        chain.appendBezierPath(squarePath(i * 5.0, (i % 2) * 2.0, 8));
    FBBezierGraph graph(chain);
    graph.insertSelfCrossings();
    ASSERT_EQ(graph.contours().size(), size_t(count));
    EXPECT_EQ(graph.contours().front()->selfIntersectingContours().size(), size_t(count - 1));
    EXPECT_EQ(graph.contours()[100]->selfIntersectingContours().size(), size_t(count - 1));
    graph.removeSelfCrossings();
    EXPECT_TRUE(graph.contours().front()->selfIntersectingContours().empty());
}

TEST(FBBezierContourTest, CrossingAtACornerOfCurvesWithoutEndTangents)
{
    // A square whose sides are curves with their control points on their end points: at a
    // corner the directions come from the far control points. The diagonal runs through the
    // corner (10, 10) from inside to outside.
    auto square = std::make_shared<FBBezierContour>();
    const QPointF corners[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
    for (int i = 1; i < 5; ++i)
        square->addCurve(FBBezierCurve::bezierCurveWithEndPoint1(corners[i - 1], corners[i - 1],
                                                                 corners[i], corners[i]));
    const FBBezierContourPtr diagonal = polygonContour({{5, 5}, {15, 15}, {15, 5}});
    FBContourEdge *side = square->edges()[1].get();
    FBContourEdge *through = diagonal->edges()[0].get();
    const FBBezierIntersectionPtr atCorner =
        FBBezierIntersection::intersectionWithCurve1(side->curve(), 1.0, through->curve(), 0.5);
    EXPECT_TRUE(side->crossesEdge(through, *atCorner));

    // The same corner touched from outside does not cross.
    const FBBezierContourPtr touching = polygonContour({{5, 15}, {15, 5}, {15, 15}});
    FBContourEdge *grazing = touching->edges()[0].get();
    const FBBezierIntersectionPtr touch =
        FBBezierIntersection::intersectionWithCurve1(side->curve(), 1.0, grazing->curve(), 0.5);
    EXPECT_FALSE(side->crossesEdge(grazing, *touch));
}
