// Rects from points, fits, joins and the rectangulation around holes.
#include <gtest/gtest.h>

#include "foundation/PelkoNSArray.h"
#include "foundation/PelkoNSMutableArray.h"
#include "graphics/UtilityMathRects.h"
#include "platform/Geometry.h"

#include <QRandomGenerator>

namespace {

QList<QRectF> rectsOf(const QVariantList &list)
{
    QList<QRectF> rects;
    for (int i = 0; i < list.size(); ++i)
        rects << rectAt(list, i);
    return rects;
}

void expectRect(QRectF actual, QRectF expected, double tol = 1e-9)
{
    EXPECT_NEAR(actual.x(), expected.x(), tol);
    EXPECT_NEAR(actual.y(), expected.y(), tol);
    EXPECT_NEAR(actual.width(), expected.width(), tol);
    EXPECT_NEAR(actual.height(), expected.height(), tol);
}

} // namespace

TEST(UtilityMathRects, BuildersKeepDoubles)
{
    EXPECT_EQ(RectFromTwoPoints(QPointF(5, 1), QPointF(2, 4)), QRectF(2, 1, 3, 3));
    EXPECT_EQ(RectUnionWithPoint(QRectF(0, 0, 10, 10), QPointF(15, -5)), QRectF(0, -5, 15, 15));
    // 0.1 comes back as 0.1, not as the float nearest to it.
    const QRectF four = BoundingRectOfFourPoints(QPointF(0.1, 0.3), QPointF(0.7, 0.2),
                                                 QPointF(0.4, 0.9), QPointF(0.5, 0.5));
    EXPECT_EQ(four.x(), 0.1);
    EXPECT_EQ(four.y(), 0.2);
    EXPECT_DOUBLE_EQ(four.x() + four.width(), 0.7);
    EXPECT_DOUBLE_EQ(four.y() + four.height(), 0.9);
    EXPECT_TRUE(platform::PointInRect(QPointF(0.1, 0.2), four));
    EXPECT_EQ(UnionOfRects(QRectF(0, 0, 1, 1), QRectF(5, 5, 1, 1)), QRectF(0, 0, 6, 6));
    EXPECT_EQ(BoundingRectOfRectAndPoint(QRectF(0, 0, 1, 1), QPointF(-2, 3)), QRectF(-2, 0, 3, 3));
    const QPointF points[] = {QPointF(3, 3), QPointF(-1, 2), QPointF(4, -2)};
    EXPECT_EQ(BoundingRectOfPoints(points, 3), QRectF(-1, -2, 5, 5));
    EXPECT_EQ(BoundingRectOfPoints(points, 0), QRectF());
    EXPECT_EQ(BoundingRectOfPoints(nullptr, 3), QRectF());
    EXPECT_EQ(ScaleRect(QRectF(1, 2, 3, 4), 0.1), QRectF(0.1, 0.2, 0.30000000000000004, 0.4));
}

TEST(UtilityMathRects, ContainmentAndFits)
{
    EXPECT_TRUE(RectContainsRect(QRectF(2, 2, 3, 3), QRectF(0, 0, 10, 10)));
    EXPECT_TRUE(RectContainsRect(QRectF(0, 0, 10.02, 10), QRectF(0, 0, 10, 10)));
    EXPECT_FALSE(RectContainsRect(QRectF(0, 0, 10.03, 10), QRectF(0, 0, 10, 10)));

    const struct
    {
        QRectF shape, box, fit;
    } rows[] = {
        {{0, 0, 2, 1}, {0, 0, 10, 10}, {0, 2.5, 10, 5}},
        {{0, 0, 1, 2}, {0, 0, 10, 10}, {2.5, 0, 5, 10}},
        {{0, 0, 3, 3}, {0, 0, 10, 20}, {0, 5, 10, 10}},
        {{0, 0, 0.01, 5}, {0, 0, 10, 20}, {0, 5, 10, 10}}, // a side of 0.02 or less: square
        {{0, 0, 1, 3}, {0, 0, 10, 10}, {10.0 / 3.0, 0, 10.0 / 3.0, 10}},
    };
    for (const auto &row : rows)
        expectRect(FitRectKeepingAspect(row.shape, row.box), row.fit, 1e-12);
    expectRect(FitRectWithRatio(2, QRectF(0, 0, 10, 10)), QRectF(0, 2.5, 10, 5));
    expectRect(FitRectWithRatio(0.02, QRectF(0, 0, 10, 20)), QRectF(0, 5, 10, 10));
    expectRect(FitRectWithRatio(-3, QRectF(0, 0, 10, 20)), QRectF(0, 5, 10, 10));
    EXPECT_EQ(FitSizeKeepingAspect(QSizeF(4, 2), QSizeF(10, 10)), QSizeF(10, 5));
}

TEST(UtilityMathRects, MergeAlignedRects)
{
    const struct
    {
        const char *name;
        QRectF a, b;
        float tol;
        bool merged;
        QRectF out;
    } rows[] = {
        {"stacked, touching", {0, 0, 10, 5}, {0, 5, 10, 5}, 0.1f, true, {0, 0, 10, 10}},
        {"stacked, overlapping", {0, 0, 10, 5}, {0, 3, 10, 5}, 0.1f, true, {0, 0, 10, 8}},
        {"stacked with a gap", {0, 0, 10, 5}, {0, 6, 10, 5}, 0.1f, false, {}},
        {"gap within tolerance", {0, 0, 10, 5}, {0, 5.05, 10, 5}, 0.1f, true, {0, 0, 10, 10.05}},
        {"side by side", {0, 0, 5, 10}, {5, 0, 5, 10}, 0.1f, true, {0, 0, 10, 10}},
        {"different widths", {0, 0, 10, 5}, {0, 5, 9, 5}, 0.1f, false, {}},
        {"shifted", {0, 0, 10, 5}, {1, 5, 10, 5}, 0.1f, false, {}},
        {"diagonal neighbours", {0, 0, 5, 5}, {5, 5, 5, 5}, 0.1f, false, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QRectF out(-1, -1, -1, -1);
        EXPECT_EQ(MergeAlignedRects(&out, row.a, row.b, row.tol), row.merged);
        if (row.merged)
            expectRect(out, row.out, 1e-12);
        EXPECT_EQ(MergeAlignedRects(nullptr, row.b, row.a, row.tol), row.merged);
    }
}

TEST(UtilityMathRects, SplitRectWithHole)
{
    bool covered = true;
    const QVariantList inside =
        SplitRectWithHoleRect(QRectF(0, 0, 10, 10), QRectF(4, 4, 2, 2), 0.5f, &covered);
    EXPECT_FALSE(covered);
    EXPECT_EQ(rectsOf(inside), (QList<QRectF>{QRectF(0, 0, 10, 4), QRectF(0, 6, 10, 4),
                                              QRectF(0, 4, 4, 2), QRectF(6, 4, 4, 2)}));
    const QVariantList all =
        SplitRectWithHoleRect(QRectF(0, 0, 10, 10), QRectF(-1, -1, 12, 12), 0.5f, &covered);
    EXPECT_TRUE(covered);
    EXPECT_EQ(all.size(), 1);
    // Over the lower-left corner: the band above and the band to the right.
    const QVariantList corner =
        SplitRectWithHoleRect(QRectF(0, 0, 10, 10), QRectF(-2, -2, 5, 6), 0, &covered);
    EXPECT_FALSE(covered);
    EXPECT_EQ(rectsOf(corner), (QList<QRectF>{QRectF(0, 4, 10, 6), QRectF(3, 0, 7, 4)}));
    // Overlaps of no more than minSize give nothing.
    EXPECT_TRUE(SplitRectWithHoleRect(QRectF(0, 0, 10, 10), QRectF(9.6, 2, 5, 5), 0.5f, &covered)
                    .isEmpty());
    EXPECT_TRUE(
        SplitRectWithHoleRect(QRectF(0, 0, 10, 10), QRectF(20, 2, 5, 5), 0, nullptr).isEmpty());
    EXPECT_TRUE(SplitRectWithHoleRect(QRectF(0, 0, 10, 10), QRectF(), 0, nullptr).isEmpty());
}

TEST(UtilityMathRects, RectangulationBasics)
{
    EXPECT_EQ(rectsOf(RectangulationRectWithHoles(QRectF(0, 0, 100, 100), {}, 1)),
              QList<QRectF>{QRectF(0, 0, 100, 100)});
    EXPECT_TRUE(RectangulationRectWithHoles(QRectF(0, 0, 100, 100), {}, 100).isEmpty());
    EXPECT_TRUE(RectangulationRectWithHoles(QRectF(0, 0, 0.005, 0.005), {}, 0).isEmpty());
    QVariantList holes;
    addRect(holes, QRectF(-10, -10, 200, 200));
    EXPECT_TRUE(RectangulationRectWithHoles(QRectF(0, 0, 100, 100), holes, 0).isEmpty());
    // Pieces no thicker than minSize go.
    holes.clear();
    addRect(holes, QRectF(0, 2, 100, 98));
    EXPECT_TRUE(RectangulationRectWithHoles(QRectF(0, 0, 100, 100), holes, 3).isEmpty());
    const QList<QRectF> thin =
        rectsOf(RectangulationRectWithHoles(QRectF(0, 0, 100, 100), holes, 1));
    EXPECT_EQ(thin, QList<QRectF>{QRectF(0, 0, 100, 2)});
}

// Pieces of a rect with disjoint holes cover the rect less the holes exactly: they miss every
// hole, do not overlap, and their areas add up.
TEST(UtilityMathRects, RectangulationPropertiesOnRandomHoles)
{
    QRandomGenerator random(2025);
    const QRectF rect(10, 20, 64, 48);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        QVariantList holes;
        QList<QRectF> placed;
        const int wanted = 1 + int(random.bounded(6));
        for (int tries = 0; tries < 50 && placed.size() < wanted; ++tries) {
            // Whole-number holes, some reaching past the rect's edges.
            const QRectF hole(rect.x() - 4 + random.bounded(70), rect.y() - 4 + random.bounded(54),
                              1 + random.bounded(20), 1 + random.bounded(20));
            bool overlaps = false;
            for (const QRectF &other : placed)
                overlaps = overlaps || platform::IntersectsRect(other, hole);
            if (!overlaps) {
                placed << hole;
                addRect(holes, hole);
            }
        }
        const QList<QRectF> pieces = rectsOf(RectangulationRectWithHoles(rect, holes, 0));
        double area = 0;
        for (int i = 0; i < pieces.size(); ++i) {
            area += pieces[i].width() * pieces[i].height();
            EXPECT_TRUE(platform::ContainsRect(rect, pieces[i]));
            for (const QRectF &hole : placed)
                EXPECT_FALSE(platform::IntersectsRect(pieces[i], hole));
            for (int j = i + 1; j < pieces.size(); ++j)
                EXPECT_FALSE(platform::IntersectsRect(pieces[i], pieces[j]));
        }
        double holeArea = 0;
        for (const QRectF &hole : placed) {
            const QRectF inRect = platform::IntersectionRect(hole, rect);
            holeArea += inRect.width() * inRect.height();
        }
        EXPECT_NEAR(area, rect.width() * rect.height() - holeArea, 1e-6);
    }
}
