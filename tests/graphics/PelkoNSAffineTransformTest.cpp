// Transform tests at the float tolerances, rects and lines through transforms, inverses.
#include <gtest/gtest.h>

#include "graphics/PelkoNSAffineTransform.h"
#include "graphics/UtilityMathTransforms.h"

using platform::AffineTransform;

TEST(PelkoNSAffineTransform, IsFlip)
{
    struct Row
    {
        const char *name;
        AffineTransform t;
        bool flip;
    };
    const Row rows[] = {
        {"identity", AffineTransform(), false},
        {"mirror in y", AffineTransform(1, 0, 0, -1, 0, 0), true},
        {"half turn", AffineTransform(-1, 0, 0, -1, 0, 0), false},
        {"swap across the main diagonal", AffineTransform(0, 1, 1, 0, 0, 0), true},
        {"swap across the other diagonal", AffineTransform(0, -1, -1, 0, 0, 0), true},
        {"quarter turn", AffineTransform(0, 1, -1, 0, 0, 0), false},
        {"translation does not count", AffineTransform(1, 0, 0, 1, -50, -50), false},
        {"tiny negative product", AffineTransform(0.001, 0, 0, -0.001, 0, 0), false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(isFlip(r.t), r.flip);
    }
}

TEST(PelkoNSAffineTransform, SameTransformAtTheFloatBoundary)
{
    // The float 0.002 is 0.0020000000949949026: a difference of exactly the double 0.002 lies
    // below it; one of the float itself, as a translation made from it has, does not.
    struct Row
    {
        const char *name;
        AffineTransform t;
        bool same;
    };
    const Row rows[] = {
        {"a difference of exactly the double 0.002 passes", CreateTranslateTransform(0.002, 0),
         true},
        {"a translation by the float 0.002 is refused", CreateTranslateTransform(double(0.002f), 0),
         false},
        {"0.0019 passes", CreateTranslateTransform(0.0019, 0), true},
        {"a scale off by 0.0021 is refused", AffineTransform(1, 0, 0, 1.0021, 0, 0), false},
        {"the identity", AffineTransform(), true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(SameTransform(nullptr, &r.t), r.same); // nil reads as the identity
        EXPECT_EQ(SameTransform(&r.t, nullptr), r.same);
        const AffineTransform identity;
        EXPECT_EQ(SameTransform(&identity, &r.t), r.same);
    }
    EXPECT_TRUE(SameTransform(nullptr, nullptr));
}

TEST(PelkoNSAffineTransform, IsWillChangeAtTheFloatBoundary)
{
    // The float 0.02 lies below the double 0.02.
    EXPECT_FALSE(IsWillChange(CreateTranslateTransform(0.01, 0)));
    EXPECT_FALSE(IsWillChange(CreateTranslateTransform(double(0.02f), 0)));
    EXPECT_TRUE(IsWillChange(CreateTranslateTransform(0.02, 0)));
    EXPECT_TRUE(IsWillChange(CreateTranslateTransform(0.03, 0)));
    EXPECT_TRUE(IsWillChange(AffineTransform(1, 0, 0, 0.9, 0, 0)));
}

TEST(PelkoNSAffineTransform, RectsLinesAndConversions)
{
    AffineTransform turn;
    turn.rotateByDegrees(90);
    const QRectF box = transformRect(turn, QRectF(0, 0, 10, 20));
    EXPECT_EQ(box.size(), QSizeF(20, 10));
    EXPECT_EQ(box.topLeft(), QPointF(-20, 0));

    const LINE_ line = transformLine(CreateTranslateTransform(1, 2), LINE_{{0, 0}, {3, 3}});
    EXPECT_EQ(line, (LINE_{{1, 2}, {4, 5}}));

    const platform::CGAffineTransform cg{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(cgTransform(fromCg(cg)), cg);
    EXPECT_EQ(fromCg(cg), AffineTransform(1, 2, 3, 4, 5, 6));
}

TEST(PelkoNSAffineTransform, GetInvertOfASingularTransformIsNone)
{
    AffineTransform t = CreateTranslateTransform(3, 4);
    t.scaleBy(2);
    const std::optional<AffineTransform> inverse = getInvert(t);
    ASSERT_TRUE(inverse.has_value());
    const QPointF p = inverse->transformPoint(t.transformPoint(QPointF(7, -1)));
    EXPECT_NEAR(p.x(), 7, 1e-12);
    EXPECT_NEAR(p.y(), -1, 1e-12);
    EXPECT_FALSE(getInvert(AffineTransform(1, 2, 2, 4, 0, 0)).has_value());
}
