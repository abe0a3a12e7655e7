#include "pathops/FBBezierGraph.h"

#include "PathShapes.h"
#include "pathops/FBBoxPairs.h"
#include "pathops/FBContourOverlap.h"
#include "pathops/FBContourPairs.h"
#include "pathops/PathOperationState.h"
#include "pathops/PathTextForms.h"
#include "platform/Guard.h"

#include <gtest/gtest.h>
#include <cmath>
#include <numbers>
#include <random>

using platform::BezierPath;

namespace {

enum class Op { Union, Intersect, Difference, Xor };

BezierPath combine(const BezierPath &a, const BezierPath &b, Op op)
{
    FBBezierGraph ga(a);
    FBBezierGraph gb(b);
    switch (op) {
    case Op::Union:
        return ga.unionWithBezierGraph(gb).bezierPath();
    case Op::Intersect:
        return ga.intersectWithBezierGraph(gb).bezierPath();
    case Op::Difference:
        return ga.differenceWithBezierGraph(gb).bezierPath();
    case Op::Xor:
        return ga.xorWithBezierGraph(gb).bezierPath();
    }
    return {};
}

bool expectedMembership(Op op, bool inA, bool inB)
{
    switch (op) {
    case Op::Union:
        return inA || inB;
    case Op::Intersect:
        return inA && inB;
    case Op::Difference:
        return inA && !inB;
    case Op::Xor:
        return inA != inB;
    }
    return false;
}

const char *opName(Op op)
{
    switch (op) {
    case Op::Union:
        return "union";
    case Op::Intersect:
        return "intersect";
    case Op::Difference:
        return "difference";
    case Op::Xor:
        return "xor";
    }
    return "";
}

qint64 subpathCount(const BezierPath &path)
{
    qint64 n = 0;
    for (qint64 i = 0; i < path.elementCount(); ++i)
        n += path.elementAtIndex(i) == platform::BezierPathElement::MoveTo;
    return n;
}

bool hasCrossingsOrOverlaps(const FBBezierGraph &graph)
{
    for (const FBBezierContourPtr &contour : graph.contours()) {
        if (!contour->overlaps().empty())
            return true;
        for (const auto &edge : contour->edges()) {
            if (!edge->crossings().empty())
                return true;
        }
    }
    return false;
}

qsizetype crossingCount(const FBBezierGraph &graph)
{
    qsizetype n = 0;
    for (const FBBezierContourPtr &contour : graph.contours()) {
        for (const auto &edge : contour->edges())
            n += qsizetype(edge->crossings().size());
    }
    return n;
}

} // namespace

TEST(FBBezierGraphTest, BuildingFromPaths)
{
    BezierPath degenerate;
    degenerate.moveToPoint({0, 0});
    degenerate.lineToPoint({0, 0});
    degenerate.curveToPoint({0, 0}, {0, 0}, {0, 0});
    degenerate.lineToPoint({4, 0});
    degenerate.lineToPoint({4, 4});
    FBBezierGraph open(degenerate);
    ASSERT_EQ(open.contours().size(), 1u);
    EXPECT_EQ(open.contours()[0]->edges().size(), 3u); // two lines and the closing line

    FBBezierGraph ring(ringPath(10, 3, 4));
    ASSERT_EQ(ring.contours().size(), 2u);
    EXPECT_EQ(ring.contours()[0]->inside(), 0);
    EXPECT_EQ(ring.contours()[1]->inside(), 1);
    const BezierPath back = ring.bezierPath();
    EXPECT_EQ(subpathCount(back), 2);
    EXPECT_EQ(back.windingRule(), platform::WindingRule::EvenOdd);

    // Contours that cross each other do not count for each other's hole test.
    BezierPath crossing = squarePath(0, 0, 10);
    crossing.appendBezierPath(squarePath(5, 5, 10));
    FBBezierGraph crossed(crossing);
    ASSERT_EQ(crossed.contours().size(), 2u);
    EXPECT_EQ(crossed.contours()[0]->inside(), 0);
    EXPECT_EQ(crossed.contours()[1]->inside(), 0);

    EXPECT_TRUE(FBBezierGraph(BezierPath()).contours().empty());
    EXPECT_EQ(FBBezierGraph().bounds(), QRectF());
}

TEST(FBBezierGraphTest, CountersLevelWithCornersOfTheirOutline)
{
    // The hole test casts a ray from a counter's first point, which in real outlines often lies
    // level with a bar or a serif: the ray runs along an edge or through a corner.
    struct Row
    {
        const char *name;
        BezierPath outline;
        BezierPath counter;
    };
    const BezierPath notched =
        polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 60}, {30, 50}, {0, 40}});
    const Row rows[] = {
        {"along the edge of a bar",
         polygon({{0, 0}, {60, 0}, {60, 100}, {0, 100}, {0, 90}, {10, 90}, {10, 10}, {0, 10}}),
         polygon({{20, 10}, {20, 90}, {50, 90}, {50, 10}})},
        {"along the bar, drawn the other way round",
         polygon({{0, 10}, {10, 10}, {10, 90}, {0, 90}, {0, 100}, {60, 100}, {60, 0}, {0, 0}}),
         polygon({{20, 10}, {50, 10}, {50, 90}, {20, 90}})},
        {"along the top edge", polygon({{0, 0}, {60, 0}, {60, 40}, {-20, 40}, {-20, 0}}),
         polygon({{10, 40 - 1e-9}, {10, 10}, {40, 10}, {40, 30}})},
        {"through a corner", polygon({{0, 0}, {40, 0}, {50, 50}, {40, 100}, {0, 100}, {-10, 50}}),
         polygon({{10, 50}, {10, 80}, {30, 80}, {30, 20}, {10, 20}})},
        {"through the tip of a notch", notched, polygon({{60, 50}, {60, 80}, {80, 80}, {80, 20}})},
    };
    // Each also as a speck a billionth of its size far from the origin (a glyph's counters
    // beside a large shape): its rays pass a share of the speck from its outline's joints, not a
    // billionth of the coordinates, and a hit a hair of the speck from the start, not a hair of
    // the ray, leaves it clear.
    platform::AffineTransform speck;
    speck.translateXBy(18.931306498883067, 0.80343630844811864);
    speck.scaleBy(1e-9);
    for (const bool shrunk : {false, true}) {
        for (const Row &row : rows) {
            BezierPath path = row.outline;
            path.appendBezierPath(row.counter);
            if (shrunk)
                path.transformUsingAffineTransform(speck);
            const FBBezierGraph graph(evenOdd(path));
            const std::string name = std::string(row.name) + (shrunk ? ", a speck" : "");
            ASSERT_EQ(graph.contours().size(), 2u) << name;
            EXPECT_EQ(graph.contours()[0]->inside(), 0) << name;
            EXPECT_EQ(graph.contours()[1]->inside(), 1) << name;
            EXPECT_EQ(graph.contourInsides(graph.contours()[1].get()), 1) << name;
        }
    }
}

TEST(FBBezierGraphTest, ContoursTouchingTheirContainerAreCounted)
{
    // A contour that meets the one around it at a point or along a side is inside it all the
    // same: where it lies, not whether it meets it, decides. Expected marks follow the contours.
    struct Row
    {
        const char *name;
        std::vector<BezierPath> contours;
        std::vector<int> marks;
    };
    const BezierPath square = squarePath(0, 0, 100);
    const BezierPath hole = polygon({{10, 10}, {90, 10}, {90, 90}, {10, 90}});
    const Row rows[] = {
        {"an island with its tips on the hole's sides",
         {square, hole, polygon({{50, 10}, {30, 55}, {50, 55}, {50, 90}, {70, 45}, {50, 45}})},
         {0, 1, 0}},
        {"a hole sharing its outline's bottom side",
         {square, polygon({{20, 0}, {80, 0}, {80, 60}, {20, 60}})},
         {0, 1}},
        {"a hole touching its outline's side at a corner",
         {square, polygon({{0, 50}, {40, 20}, {40, 80}})},
         {0, 1}},
        {"a tip touching its frame from outside",
         {polygon({{0, 0}, {40, 0}, {40, 20}, {0, 20}}),
          polygon({{2, 2}, {38, 2}, {38, 18}, {2, 18}}),
          polygon({{40, 6}, {43, 6}, {43, 14}, {40, 14}})},
         {0, 1, 0}},
    };
    for (const Row &row : rows) {
        BezierPath path;
        for (const BezierPath &contour : row.contours)
            path.appendBezierPath(contour);
        const FBBezierGraph graph(evenOdd(path));
        ASSERT_EQ(graph.contours().size(), row.marks.size()) << row.name;
        for (size_t k = 0; k < row.marks.size(); ++k)
            EXPECT_EQ(graph.contours()[k]->inside(), row.marks[k]) << row.name << ", contour " << k;
    }
}

TEST(FBBezierGraphTest, SegmentAfterCloseStartsItsOwnContourAtTheClosedStart)
{
    BezierPath path = squarePath(2, 2, 4);
    path.lineToPoint({20, 2});
    path.lineToPoint({20, 6});
    FBBezierGraph graph(path);
    ASSERT_EQ(graph.contours().size(), 2u);
    EXPECT_EQ(graph.contours()[0]->edges().size(), 4u);
    EXPECT_EQ(graph.contours()[1]->firstPoint(), QPointF(2, 2));
    EXPECT_EQ(graph.contours()[1]->edges().size(), 3u);
}

TEST(FBBezierGraphTest, CrossingsBetweenGraphs)
{
    // The first edge of the triangle runs through the square's corner (10, 10) into the square:
    // one crossing there, found on two square edges, and one on the right side.
    FBBezierGraph square(squarePath(0, 0, 10));
    FBBezierGraph triangle(polygon({{15, 15}, {5, 5}, {15, 5}}));
    square.insertCrossingsWithBezierGraph(triangle);
    EXPECT_EQ(crossingCount(square), 2);
    EXPECT_EQ(crossingCount(triangle), 2);
    square.removeCrossings();
    triangle.removeCrossings();
    square.removeOverlaps();
    triangle.removeOverlaps();
    EXPECT_FALSE(hasCrossingsOrOverlaps(square));

    // Identical outlines coincide all the way round: no crossing, and they are equivalent.
    FBBezierGraph a(squarePath(0, 0, 10));
    FBBezierGraph b(squarePath(0, 0, 10));
    a.insertCrossingsWithBezierGraph(b);
    EXPECT_EQ(crossingCount(a), 0);
    EXPECT_TRUE(a.contours()[0]->isEquivalent(b.contours()[0].get()));
    ASSERT_EQ(a.contours()[0]->overlaps().size(), 1u);
    EXPECT_TRUE(a.contours()[0]->overlaps()[0]->isComplete());

    // One shared side: one run, not complete.
    FBBezierGraph left(squarePath(0, 0, 10));
    FBBezierGraph right(squarePath(10, 0, 10));
    left.insertCrossingsWithBezierGraph(right);
    ASSERT_EQ(left.contours()[0]->overlaps().size(), 1u);
    const FBContourOverlap &shared = *left.contours()[0]->overlaps()[0];
    EXPECT_EQ(shared.runs().size(), 1u);
    EXPECT_FALSE(shared.isComplete());
    EXPECT_FALSE(left.contours()[0]->isEquivalent(right.contours()[0].get()));
}

TEST(FBBezierGraphTest, CrossingsNearAJoint)
{
    // Where one outline meets the other a hair from a joint, the search can answer the joint's
    // end of a curve that does not reach the other outline: two contours must still cross an
    // even number of times, between two graphs and within one.
    struct Row
    {
        const char *name;
        const char *first;
        const char *second;
        qsizetype crossings;
    } rows[] = {
        {"a circle crossing another a hair past its joint, found on both curves there",
         "M;23.582955896430402;15.062262542304744@S;23.582955896430402;"
         "19.046929556712204;20.352745050045463;22.277140403097142;"
         "16.368078035638003;22.277140403097142@S;12.383411021230541;"
         "22.277140403097142;9.1532001748456047;19.046929556712204;"
         "9.1532001748456047;15.062262542304744@S;9.1532001748456047;"
         "11.077595527897282;12.383411021230541;7.8473846815123443;"
         "16.368078035638003;7.8473846815123443@S;20.352745050045463;"
         "7.8473846815123443;23.582955896430402;11.077595527897282;"
         "23.582955896430402;15.062262542304744@C;@",
         "M;20.431724584245949;9.4130775501185902@S;20.431724584245949;"
         "5.5173841916431865;17.273641137062771;2.3593007444600094;"
         "13.377947778587368;2.3593007444600094@S;9.4822544201119641;"
         "2.3593007444600094;6.3241709729287869;5.5173841916431865;"
         "6.3241709729287869;9.4130775501185902@S;6.3241709729287869;"
         "13.308770908593994;9.4822544201119641;16.466854355777173;"
         "13.377947778587368;16.466854355777173@S;17.273641137062771;"
         "16.466854355777173;20.431724584245949;13.308770908593994;"
         "20.431724584245949;9.4130775501185902@C;@",
         2},
        {"a circle passing a rectangle's corner a hair outside it, both edges' lines past the "
         "corner",
         "M;12.527363531640503;4.8550703838912392@S;12.527363531640503;"
         "-0.4498812914159398;8.2268504952523394;-4.7503943278041048;"
         "2.9218988199451594;-4.7503943278041048@S;-2.3830528553620196;"
         "-4.7503943278041048;-6.6835658917501846;-0.4498812914159398;"
         "-6.6835658917501846;4.8550703838912392@S;-6.6835658917501846;"
         "10.160022059198418;-2.3830528553620196;14.460535095586582;"
         "2.9218988199451594;14.460535095586582@S;8.2268504952523394;"
         "14.460535095586582;12.527363531640503;10.160022059198418;"
         "12.527363531640503;4.8550703838912392@C;@",
         "M;8;8@L;12;8@L;12;7@L;8;7@C;@", 0},
        {"a circle touching another from inside a hair beside its joint",
         "M;21.748345982200448;3.7655213390495881@S;21.748345982200448;"
         "5.0096382237443624;20.739789974739608;6.0181942312052046;"
         "19.495673090044832;6.0181942312052046@S;18.251556205350056;"
         "6.0181942312052046;17.243000197889216;5.0096382237443624;"
         "17.243000197889216;3.7655213390495881@S;17.243000197889216;"
         "2.5214044543548133;18.251556205350056;1.5128484468939716;"
         "19.495673090044832;1.5128484468939716@S;20.739789974739608;"
         "1.5128484468939716;21.748345982200448;2.5214044543548133;"
         "21.748345982200448;3.7655213390495881@C;@",
         "M;21.74834598238013;3.7655554399927529@S;21.74834598238013;"
         "0.73430323117434115;19.291030546071436;-1.7230122051343533;"
         "16.259778337253024;-1.7230122051343533@S;13.228526128434613;"
         "-1.7230122051343533;10.771210692125919;0.73430323117434115;"
         "10.771210692125919;3.7655554399927529@S;10.771210692125919;"
         "6.7968076488111642;13.228526128434613;9.2541230851198595;"
         "16.259778337253024;9.2541230851198595@S;19.291030546071436;"
         "9.2541230851198595;21.74834598238013;6.7968076488111642;"
         "21.74834598238013;3.7655554399927529@C;@",
         0},
        {"a bowl's pieces touching a bar's side at their joint, found a hair either side of it",
         "M;8.7693339554326197;5@S;8.9166104518715628;5.2612122132940833;9;5.5589734424038779;9;"
         "5.875@S;9;5.9170036432127313;8.9985268791338733;5.9586846196480696;8.9956264286675847;"
         "6@L;2;6@L;2;5@L;8.7693339554326197;5@C;@",
         "M;8.7693339554326197;5@S;8.4340117171207218;4.4052665146574146;7.7675050052308023;4;7;"
         "4@L;2;4@L;2;5@L;0;5@L;0;6@L;2;6@L;2;7.75@L;7;7.75@S;8.0597961139064207;7.75;"
         "8.9270188501568484;6.9772786103885691;8.9956264286675847;6@L;9;6@L;9;5@L;"
         "8.7693339554326197;5@C;@",
         0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString first = QString::fromLatin1(row.first);
        const QString second = QString::fromLatin1(row.second);
        const std::optional<BezierPath> a = pathFromString(first);
        const std::optional<BezierPath> b = pathFromString(second);
        const std::optional<BezierPath> both = pathFromString(first + second);
        ASSERT_TRUE(a && b && both);
        FBBezierGraph ga(*a);
        FBBezierGraph gb(*b);
        ga.insertCrossingsWithBezierGraph(gb);
        EXPECT_EQ(crossingCount(ga), row.crossings);
        EXPECT_EQ(crossingCount(gb), row.crossings);
        FBBezierGraph g(*both);
        g.insertSelfCrossings();
        EXPECT_EQ(crossingCount(g), 2 * row.crossings);
    }
}

TEST(FBBezierGraphTest, TimeLimitAndCancel)
{
    FBBezierGraph graph(squarePath(0, 0, 10));
    const double now = PathOperation_CurrentMediaTime();
    if (now < PathOperationTimeLimit + 2)
        GTEST_SKIP() << "the steady clock started too recently to place a start in the past";
    gPathOperationStartTime = now - PathOperationTimeLimit - 1;
    try {
        graph.insertSelfCrossings();
        ADD_FAILURE() << "no time out";
    } catch (const platform::Exception &e) {
        EXPECT_EQ(e.name(), QStringLiteral("Path operation time out"));
    }
    gPathOperationStartTime = -1.0;
    EXPECT_NO_THROW(graph.insertSelfCrossings());

    FBBezierGraph other(squarePath(5, 5, 10));
    gPathOperationCancel = true;
    EXPECT_THROW(graph.unionWithBezierGraph(other), platform::Exception);
    gPathOperationCancel = false;

    // Steps whose rays cross every curve clearly search no curve pair, yet still stop: building
    // a graph of many separate circles, and the containment of a contour in it.
    BezierPath separate;
    for (int i = 0; i < 20; ++i)
        separate.appendBezierPath(circlePath(30 * i, 0, 10));
    const FBBezierGraph many(separate);
    const FBBezierGraph inside(circlePath(0, 0, 2));
    gPathOperationCancel = true;
    EXPECT_THROW(FBBezierGraph{separate}, platform::Exception);
    EXPECT_THROW(many.containsContour(inside.contours()[0].get()), platform::Exception);
    gPathOperationCancel = false;
    EXPECT_TRUE(many.containsContour(inside.contours()[0].get()));
}

TEST(FBBezierGraphTest, ContainmentOfContours)
{
    FBBezierGraph big(squarePath(0, 0, 300));
    FBBezierGraph ring(ringPath(300, 50, 200));
    // A block and the same block with a notch at a corner: their outlines share all but the
    // notch, so rays through either meet the other where its extent ends.
    const BezierPath notchedPath = *pathFromString("M;0;14@L;7;14@L;7;13@L;9;13@L;9;2@L;0;2@C;@");
    const BezierPath blockPath = *pathFromString("M;0;14@L;9;14@L;9;2@L;0;2@C;@");
    FBBezierGraph notched(notchedPath);
    FBBezierGraph block(blockPath);
    struct Row
    {
        const char *name;
        const FBBezierGraph *graph;
        BezierPath tested;
        bool contained;
    };
    const Row rows[] = {
        {"inside", &big, squarePath(100, 100, 100), true},
        {"beside", &big, squarePath(400, 100, 100), false},
        {"in the ring's hole", &ring, squarePath(100, 100, 100), false},
        {"in the ring's band", &ring, squarePath(10, 10, 20), true},
        {"under one unit, inside", &big, squarePath(100, 100, 0.8), true},
        {"under one unit, outside", &big, squarePath(400, 100, 0.8), false},
        {"one and a half, inside", &big, squarePath(10, 10, 1.5), true},
        {"sharing the sides of the notched one, reaching past its notch", &notched, blockPath,
         false},
        {"notched, inside, sharing all sides but at its notch", &block, notchedPath, true},
    };
    for (const Row &row : rows) {
        FBBezierGraph tested(row.tested);
        EXPECT_EQ(row.graph->containsContour(tested.contours()[0].get()), row.contained)
            << row.name;
    }
}

// A frame round a grid of square rings, every other ring with an island in its hole: each
// contour's mark is the parity of its nesting depth, and a contour placed in the grid is
// contained where its depth is odd. Many contours share each row, as in a large union.
TEST(FBBezierGraphTest, MarksAndContainmentAmongManyContours)
{
    constexpr int kCells = 6;
    constexpr double kCell = 30;
    BezierPath path = squarePath(-10, -10, kCells * kCell + 10);
    std::vector<int> expectedMarks = {0};
    for (int j = 0; j < kCells; ++j) {
        for (int i = 0; i < kCells; ++i) {
            const double x = i * kCell, y = j * kCell;
            path.appendBezierPath(squarePath(x, y, 20));
            path.appendBezierPath(squarePath(x + 5, y + 5, 10));
            expectedMarks.insert(expectedMarks.end(), {1, 0});
            if ((i + j) % 2 == 0) {
                path.appendBezierPath(squarePath(x + 8, y + 8, 4));
                expectedMarks.push_back(1);
            }
        }
    }
    const FBBezierGraph graph(evenOdd(path));
    ASSERT_EQ(graph.contours().size(), expectedMarks.size());
    for (size_t k = 0; k < expectedMarks.size(); ++k)
        EXPECT_EQ(graph.contours()[k]->inside(), expectedMarks[k]) << "contour " << k;

    // The sweep that marks them hands out, for the graph's search for crossings between its own
    // contours, the pairs of edges of different contours whose boxes meet: none while the rings
    // of every cell stand apart, and each square pushed over a cell's rings among them.
    for (const bool crossing : {false, true}) {
        BezierPath many = path;
        if (crossing) {
            for (int i = 0; i < kCells; ++i)
                many.appendBezierPath(squarePath(i * kCell + 15, 15, 20));
        }
        const FBBezierGraph built(evenOdd(many));
        const auto &contours = built.contours();
        std::optional<std::vector<FBContourEdgePair>> found;
        FBContourPairs_IsolatedInsides(contours, &found);
        ASSERT_TRUE(found.has_value()) << crossing;
        EXPECT_EQ(found->empty(), !crossing);
        std::vector<bool> paired(contours.size(), false);
        for (const FBContourEdgePair &pair : *found) {
            ASSERT_NE(pair.contour1, pair.contour2);
            EXPECT_TRUE(FBBoxPairs_BoxesMeet(
                contours[pair.contour1]->edges()[pair.edge1]->curve()->bounds(),
                contours[pair.contour2]->edges()[pair.edge2]->curve()->bounds()));
            paired[pair.contour1] = paired[pair.contour2] = true;
        }
        for (size_t k = expectedMarks.size(); k < contours.size(); ++k)
            EXPECT_TRUE(paired[k]) << "square " << k - expectedMarks.size();
    }

    struct Row
    {
        const char *name;
        BezierPath tested;
        bool contained;
    };
    const double x = 2 * kCell, y = 2 * kCell; // a cell with an island
    const Row rows[] = {
        {"between rings", squarePath(x + 22, y + 5, 6), true},
        {"in a ring's band", squarePath(x + 1, y + 1, 2), false},
        {"in a hole, beside the island", squarePath(x + 5.5, y + 5.5, 2), true},
        {"on the island", squarePath(x + 9, y + 9, 2), false},
        {"in a hole without an island", squarePath(x + kCell + 8, y + 8, 4), true},
        {"outside the frame", squarePath(-40, y, 10), false},
        {"round a whole ring", squarePath(x - 2, y - 2, 24), true},
        // Boxes reaching exactly as far as the frame's, up and down or across: the frame must
        // still be among the contours that may hold them.
        {"between two columns of rings, sharing the frame's top and bottom",
         BezierPath::bezierPathWithRect(QRectF(22, -10, 6, kCells * kCell + 10)), true},
        {"between two rows of rings, sharing the frame's sides",
         BezierPath::bezierPathWithRect(QRectF(-10, 22, kCells * kCell + 10, 6)), true},
    };
    for (const Row &row : rows) {
        const FBBezierGraph tested(row.tested);
        EXPECT_EQ(graph.containsContour(tested.contours()[0].get()), row.contained) << row.name;
    }
}

TEST(FBBezierGraphTest, OperationsAgreeWithMembership)
{
    const BezierPath ring = ringPath(10, 4, 2);
    struct Row
    {
        const char *name;
        BezierPath a;
        BezierPath b;
    };
    const Row rows[] = {
        {"overlapping squares", squarePath(0, 0, 10), squarePath(5, 5, 10)},
        {"disjoint squares", squarePath(0, 0, 4), squarePath(6, 6, 4)},
        {"nested squares", squarePath(0, 0, 10), squarePath(3, 3, 4)},
        {"nested the other way", squarePath(3, 3, 4), squarePath(0, 0, 10)},
        {"equal squares", squarePath(0, 0, 10), squarePath(0, 0, 10)},
        {"reversed equal squares", squarePath(0, 0, 10),
         squarePath(0, 0, 10).bezierPathByReversingPath()},
        {"ring and its hole filled", ring, squarePath(4, 4, 2)},
        {"filled hole and ring", squarePath(4, 4, 2), ring},
        {"ring and itself", ring, ring},
        {"ring and a crossing bar", ring, polygon({{-2, 4.5}, {12, 4.5}, {12, 5.5}, {-2, 5.5}})},
        {"overlapping circles", circlePath(0, 0, 5), circlePath(4, 1, 4)},
        {"circle in a square", squarePath(-10, -10, 20), circlePath(0, 0, 5)},
        {"squares sharing a side", squarePath(0, 0, 5), squarePath(5, 0, 5)},
        {"small square in a big one", squarePath(0, 0, 10), squarePath(4, 4, 0.8)},
        // Shared stretches whose two ends differ: a corner on one side, a straight run on the
        // other.
        {"quads sharing part of a side", polygon({{10, 4}, {16, 4}, {12, 8}, {10, 11}}),
         polygon({{10, 1}, {14, 1}, {17, 6}, {10, 8}})},
        {"quad with a corner in a ring's hole corner", polygon({{7, 5}, {14, 5}, {10, 9}, {7, 10}}),
         squareRing(6, 4, 4, 7, 5, 2)},
        {"rings sharing parts of sides", squareRing(1, 8, 7, 2, 9, 5),
         squareRing(3, 6, 5, 4, 7, 3)},
        // A circle touching a ring's side at the ring's corner while crossing the other side.
        {"circle through a ring's corner", squareRing(3, 5, 10, 4, 6, 8), circlePath(6, 5, 3)},
        // Circles touching inside at one point, both ends of their curves there.
        {"circle touching inside a circle", circlePath(5, 10, 2).bezierPathByReversingPath(),
         circlePath(7, 10, 4).bezierPathByReversingPath()},
        // A circle touching a ring's hole side from inside and its outer side from inside, at
        // the ends of its curves, where its own start lies on the hole's outline.
        {"circle touching both sides of a ring", circlePath(2, 6, 5).bezierPathByReversingPath(),
         squareRing(1, 4, 7, 2, 5, 5)},
        // A ring lying along the other ring's outer side and across its hole's sides.
        {"ring along a ring", squareRing(4, 6, 5, 5, 7, 3), squareRing(2, 5, 7, 3, 6, 5)},
        // A polygon in a ring's hole touching the hole's side with one corner.
        {"polygon touching a hole from inside",
         polygon({{7, 7}, {6, 8.5}, {4, 8.5}, {3, 7}, {4, 5.5}, {6, 5.5}}),
         squareRing(1, 4, 7, 2, 5, 5)},
    };
    for (const Row &row : rows) {
        for (Op op : {Op::Union, Op::Intersect, Op::Difference, Op::Xor}) {
            const BezierPath result = combine(row.a, row.b, op);
            const int mismatches = membershipMismatches(
                row.a, row.b, result, QRectF(-12, -12, 30, 30), 0.25,
                [op](bool inA, bool inB) { return expectedMembership(op, inA, inB); });
            EXPECT_EQ(mismatches, 0) << row.name << " " << opName(op);
        }
    }
}

TEST(FBBezierGraphTest, ResultShapes)
{
    struct Row
    {
        const char *name;
        BezierPath a;
        BezierPath b;
        Op op;
        qint64 subpaths;
    };
    // A frame with two counters and itself moved by one each way: they meet in four cells, and
    // along the sides they share with nothing between them. Their exclusive or is one outline
    // touching itself at the cells' corners, rather than the outline and its copy.
    const BezierPath frame =
        *pathFromString("M;1;10@L;9;10@L;9;9@L;9;9@L;9;3@L;9;3@L;9;2@L;1;2@C;@"
                        "M;2;3@L;8;3@L;8;5@L;2;5@C;@M;2;6@L;8;6@L;8;9@L;2;9@C;@");
    const BezierPath frameMoved =
        *pathFromString("M;2;11@L;10;11@L;10;10@L;10;10@L;10;4@L;10;4@L;10;3@L;2;3@C;@"
                        "M;3;4@L;9;4@L;9;6@L;3;6@C;@M;3;7@L;9;7@L;9;10@L;3;10@C;@");
    const Row rows[] = {
        {"frames sharing sides, intersection", frame, frameMoved, Op::Intersect, 4},
        {"frames sharing sides, xor", frame, frameMoved, Op::Xor, 1},
        {"disjoint union", squarePath(0, 0, 4), squarePath(6, 6, 4), Op::Union, 2},
        {"nested union keeps the outer", squarePath(0, 0, 10), squarePath(3, 3, 4), Op::Union, 1},
        {"nested intersection keeps the inner", squarePath(0, 0, 10), squarePath(3, 3, 4),
         Op::Intersect, 1},
        {"outer minus inner is a ring", squarePath(0, 0, 10), squarePath(3, 3, 4), Op::Difference,
         2},
        {"inner minus outer is nothing", squarePath(3, 3, 4), squarePath(0, 0, 10), Op::Difference,
         0},
        {"equal fills, union", squarePath(0, 0, 10), squarePath(0, 0, 10), Op::Union, 1},
        {"equal fills, intersection", squarePath(0, 0, 10), squarePath(0, 0, 10), Op::Intersect, 1},
        {"equal fills, difference", squarePath(0, 0, 10), squarePath(0, 0, 10), Op::Difference, 0},
        {"hole against its fill, intersection", ringPath(10, 4, 2), squarePath(4, 4, 2),
         Op::Intersect, 0},
        {"ring xor itself", ringPath(10, 4, 2), ringPath(10, 4, 2), Op::Xor, 0},
        {"small square swallowed", squarePath(0, 0, 100), squarePath(10, 10, 0.8), Op::Union, 1},
        {"overlapping squares xor", squarePath(0, 0, 10), squarePath(5, 5, 10), Op::Xor, 2},
    };
    for (const Row &row : rows)
        EXPECT_EQ(subpathCount(combine(row.a, row.b, row.op)), row.subpaths) << row.name;
}

// Traced contours close exactly: each piece starts where the one before it ends, also at
// crossings where the two curves' own points differ in their last digits (circles touching from
// outside meet at a very shallow angle).
TEST(FBBezierGraphTest, TracedContoursCloseExactly)
{
    struct Row
    {
        const char *name;
        BezierPath a;
        BezierPath b;
    };
    const double r1 = 4.0367, r2 = 9.6894, angle = 0.7321;
    const QPointF touch(std::cos(angle) * (r1 + r2), std::sin(angle) * (r1 + r2));
    const Row rows[] = {
        {"circles touching from outside", circlePath(5.33, 16.14, r1),
         circlePath(5.33 + touch.x(), 16.14 + touch.y(), r2)},
        {"crossing circles", circlePath(0, 0, 5), circlePath(3.3, 1.7, 4.2)},
        {"circle across a square's corner", squarePath(0, 0, 10), circlePath(10.4, 9.7, 2.9)},
        {"ring and circle", ringPath(10, 3, 4), circlePath(8, 5, 4)},
    };
    for (const Row &row : rows) {
        for (Op op : {Op::Union, Op::Intersect, Op::Difference}) {
            FBBezierGraph ga(row.a);
            FBBezierGraph gb(row.b);
            const FBBezierGraph result = op == Op::Union       ? ga.unionWithBezierGraph(gb)
                                         : op == Op::Intersect ? ga.intersectWithBezierGraph(gb)
                                                               : ga.differenceWithBezierGraph(gb);
            for (const FBBezierContourPtr &contour : result.contours()) {
                const auto &edges = contour->edges();
                for (size_t i = 0; i < edges.size(); ++i) {
                    const QPointF end = edges[i]->curve()->endPoint2();
                    const QPointF next = edges[(i + 1) % edges.size()]->curve()->endPoint1();
                    EXPECT_TRUE(end.x() == next.x() && end.y() == next.y())
                        << row.name << ", " << opName(op) << ": edge " << i << " ends at ("
                        << end.x() << ", " << end.y() << "), the next starts at (" << next.x()
                        << ", " << next.y() << ")";
                }
            }
        }
    }
}

TEST(FBBezierGraphTest, InputsComeBackCleanAndRepeatable)
{
    FBBezierGraph a(ringPath(10, 3, 4));
    FBBezierGraph b(circlePath(8, 5, 4));
    const BezierPath first = a.unionWithBezierGraph(b).bezierPath();
    EXPECT_FALSE(hasCrossingsOrOverlaps(a));
    EXPECT_FALSE(hasCrossingsOrOverlaps(b));
    EXPECT_EQ(a.unionWithBezierGraph(b).bezierPath(), first);
    a.xorWithBezierGraph(b);
    EXPECT_FALSE(hasCrossingsOrOverlaps(a));
    EXPECT_FALSE(hasCrossingsOrOverlaps(b));
}

TEST(FBBezierGraphTest, TracedContoursJoinExactly)
{
    // Where two curves cross or touch, their points at the found parameters differ in the last
    // digits, and by far more where they graze; the pieces of every contour must still join
    // end to start, or the next operation on the result finds gaps and stray crossings.
    struct Row
    {
        const char *name;
        BezierPath a, b;
    };
    const double angle = 0.7;
    const QPointF dir(std::cos(angle), std::sin(angle));
    const std::vector<Row> rows = {
        {"circles touching outside", circlePath(5, 5, 4),
         circlePath(5 + 9 * dir.x(), 5 + 9 * dir.y(), 5)},
        {"circles touching inside", circlePath(5, 5, 4),
         circlePath(5 + 1.5 * dir.x(), 5 + 1.5 * dir.y(), 2.5)},
        {"crossing circles", circlePath(5, 5, 4), circlePath(8, 6.5, 3)},
        {"circle across a square's edges", squarePath(0, 0, 6), circlePath(6.2, 2.9, 2.3)},
    };
    for (const Row &row : rows) {
        for (Op op : {Op::Union, Op::Intersect, Op::Difference, Op::Xor}) {
            FBBezierGraph ga(row.a), gb(row.b);
            const FBBezierGraph result = op == Op::Union        ? ga.unionWithBezierGraph(gb)
                                         : op == Op::Intersect  ? ga.intersectWithBezierGraph(gb)
                                         : op == Op::Difference ? ga.differenceWithBezierGraph(gb)
                                                                : ga.xorWithBezierGraph(gb);
            for (const FBBezierContourPtr &contour : result.contours()) {
                const auto &edges = contour->edges();
                for (size_t i = 0; i < edges.size(); ++i) {
                    const QPointF end = edges[i]->curve()->endPoint2();
                    const QPointF start = edges[(i + 1) % edges.size()]->curve()->endPoint1();
                    EXPECT_EQ(end, start) << row.name << ", " << opName(op) << ", edge " << i;
                }
            }
        }
    }
}

TEST(FBBezierGraphTest, SeededShapesAgreeWithMembership)
{
    // Circles both ways round, rectangles and rings on an integer grid (sharing sides and
    // corners often), and stars.
    std::mt19937_64 rng(27);
    auto grid = [&rng](int n) { return double(std::uniform_int_distribution<int>(0, n)(rng)); };
    auto shape = [&]() -> BezierPath {
        switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
        case 0: {
            const BezierPath c = circlePath(grid(10), grid(10), 1 + grid(6));
            return grid(1) > 0 ? c : c.bezierPathByReversingPath();
        }
        case 1: {
            const double x = grid(10), y = grid(10), w = 1 + grid(6), h = 1 + grid(6);
            return polygon({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}});
        }
        case 2: {
            const double x = grid(8), y = grid(8), s = 2 + grid(6);
            BezierPath r = squarePath(x, y, s + 2);
            r.appendBezierPath(squarePath(x + 1, y + 1, s));
            return evenOdd(r);
        }
        default: {
            const double cx = grid(10), cy = grid(10), outer = 2 + grid(4), inner = 1 + grid(1);
            BezierPath star;
            for (int i = 0; i < 10; ++i) {
                const double a = i * std::numbers::pi / 5;
                const double r = i % 2 ? inner : outer;
                const QPointF p(cx + r * std::cos(a), cy + r * std::sin(a));
                if (i == 0)
                    star.moveToPoint(p);
                else
                    star.lineToPoint(p);
            }
            star.closePath();
            return star;
        }
        }
    };
    for (int n = 0; n < 60; ++n) {
        const BezierPath a = shape();
        const BezierPath b = shape();
        for (Op op : {Op::Union, Op::Intersect, Op::Difference, Op::Xor}) {
            const int mismatches = membershipMismatches(
                a, b, combine(a, b, op), QRectF(-8, -8, 36, 36), 0.37,
                [op](bool inA, bool inB) { return expectedMembership(op, inA, inB); });
            EXPECT_EQ(mismatches, 0) << "case " << n << " " << opName(op);
        }
    }
}

TEST(FBBezierGraphTest, InspectionDrawings)
{
    FBBezierGraph a(squarePath(0, 0, 10));
    FBBezierGraph b(squarePath(5, 5, 10));
    a.debuggingInsertCrossingsForUnionWithBezierGraph(b);
    const FBBezierContour &contour = *a.contours()[0];
    // Markers (a circle per entry, a square per exit), the start triangle and the contour.
    EXPECT_EQ(subpathCount(contour.debugPathForIntersectionType(1)), 3);
    EXPECT_EQ(subpathCount(contour.debugPathForIntersectionType(2)), 3);
    EXPECT_EQ(subpathCount(contour.debugPathForIntersectionType(0)), 4);
    EXPECT_TRUE(contour.debugPathForIntersectionType(0).lineDashPattern().isEmpty());

    FBBezierGraph ring(ringPath(10, 3, 4));
    const BezierPath hole = ring.contours()[1]->debugPathForIntersectionType(0);
    EXPECT_EQ(hole.lineDashPattern(), QList<double>({2.0, 3.0}));
    // The hole's ray meets the outer square once: one marker, the ray, dashed.
    const BezierPath ray = ring.debugPathForContainmentOfContour(ring.contours()[1].get());
    EXPECT_EQ(subpathCount(ray), 2);
    EXPECT_EQ(ray.lineDashPattern(), QList<double>({2.0, 3.0}));
}
