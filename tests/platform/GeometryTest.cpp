#include "platform/Geometry.h"

#include <gtest/gtest.h>

#include <limits>

using namespace platform;

namespace {

const QRectF kZero(0, 0, 0, 0);

TEST(GeometryTest, PointsOnTheMaximumEdgeAreOutside)
{
    const QRectF r(0, 0, 10, 10);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct
    {
        QPointF p;
        QRectF rect;
        bool inside;
    } rows[] = {
        {{0, 0}, r, true},
        {{9.999, 9.999}, r, true},
        {{10, 5}, r, false},
        {{5, 10}, r, false},
        {{-0.001, 5}, r, false},
        {{0, 0}, QRectF(0, 0, 0, 10), false},    // empty rects contain nothing
        {{-5, 5}, QRectF(0, 0, -10, 10), false}, // nor do negative ones
        {{nan, 5}, r, false},
        {{5, 5}, QRectF(0, 0, nan, 10), false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.p.x() << "," << row.p.y());
        EXPECT_EQ(PointInRect(row.p, row.rect), row.inside);
    }
}

TEST(GeometryTest, MouseInRectTakesTheEdgesFromTheFlippedFlag)
{
    const QRectF r(10, 20, 30, 40); // y edges 20 and 60
    const struct
    {
        QPointF p;
        bool flipped;
        bool unflipped;
    } rows[] = {
        {{20, 20}, true, false},                          // min y edge
        {{20, 60}, false, true},                          // max y edge
        {{20, 40}, true, true},   {{10, 40}, true, true}, // min x edge belongs either way
        {{40, 40}, false, false},                         // max x edge never
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.p.x() << "," << row.p.y());
        EXPECT_EQ(MouseInRect(row.p, r, true), row.flipped);
        EXPECT_EQ(MouseInRect(row.p, r, false), row.unflipped);
    }
}

TEST(GeometryTest, RectRelations)
{
    const QRectF a(0, 0, 10, 10);
    const struct
    {
        const char *name;
        QRectF b;
        bool intersects;
        bool contains;
        QRectF intersection;
    } rows[] = {
        {"same", a, true, true, a},
        {"inside", QRectF(2, 2, 3, 3), true, true, QRectF(2, 2, 3, 3)},
        {"overlap", QRectF(5, 5, 10, 10), true, false, QRectF(5, 5, 5, 5)},
        {"touching", QRectF(10, 0, 5, 5), false, false, kZero},
        {"apart", QRectF(20, 20, 1, 1), false, false, kZero},
        {"empty inside", QRectF(2, 2, 0, 3), false, false, kZero},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IntersectsRect(a, row.b), row.intersects);
        EXPECT_EQ(IntersectsRect(row.b, a), row.intersects);
        EXPECT_EQ(ContainsRect(a, row.b), row.contains);
        EXPECT_TRUE(EqualRects(IntersectionRect(a, row.b), row.intersection));
    }
}

TEST(GeometryTest, UnionIgnoresEmptyRects)
{
    const QRectF a(0, 0, 10, 10);
    EXPECT_TRUE(EqualRects(UnionRect(a, QRectF(20, 5, 5, 10)), QRectF(0, 0, 25, 15)));
    EXPECT_TRUE(EqualRects(UnionRect(a, QRectF(100, 100, 0, 5)), a));
    EXPECT_TRUE(EqualRects(UnionRect(QRectF(-50, -50, 5, -1), a), a));
    EXPECT_TRUE(EqualRects(UnionRect(QRectF(3, 3, 0, 0), QRectF(9, 9, 0, 1)), kZero));
}

TEST(GeometryTest, IntegralInsetAndStandardizedRects)
{
    EXPECT_TRUE(EqualRects(IntegralRect(QRectF(0.5, 0.5, 1, 1)), QRectF(0, 0, 2, 2)));
    EXPECT_TRUE(EqualRects(IntegralRect(QRectF(-0.5, 1.2, 2, 0.5)), QRectF(-1, 1, 3, 1)));
    EXPECT_TRUE(EqualRects(IntegralRect(QRectF(3, 4, 5, 6)), QRectF(3, 4, 5, 6)));
    EXPECT_TRUE(EqualRects(IntegralRect(QRectF(3.5, 4, 0, 6)), kZero));
    EXPECT_TRUE(EqualRects(InsetRect(QRectF(0, 0, 10, 10), 2, -1), QRectF(2, -1, 6, 12)));
    EXPECT_TRUE(EqualRects(OffsetRect(QRectF(1, 2, 3, 4), -1, 1), QRectF(0, 3, 3, 4)));
    EXPECT_TRUE(EqualRects(StandardizeRect(QRectF(10, 10, -4, -6)), QRectF(6, 4, 4, 6)));
}

} // namespace
