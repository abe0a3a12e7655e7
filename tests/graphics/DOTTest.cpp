// Points of editable outlines: their first values, what a copy keeps, and transforms measured
// from saved values.
#include <gtest/gtest.h>

#include "graphics/DOT.h"
#include "platform/AffineTransform.h"

using platform::AffineTransform;

namespace {

std::shared_ptr<DOT> styledCurveDot()
{
    auto dot = DOT::DotFromPoint(QPointF(3, 4));
    dot->setALineDash(2);
    dot->setALinesize(2.5f);
    dot->setALineColor(0xff0000ffu);
    dot->setAGroupPoint(QPointF(7, 8));
    dot->setBSelect(true);
    dot->setCurve1(QPointF(1, 1));
    dot->setCurve2(QPointF(2, 2));
    dot->setType(DOT::kCurveType);
    dot->setALinesize_show_over(1);
    dot->setCustomParam(QStringLiteral("mine"));
    dot->resetOldValue();
    return dot;
}

} // namespace

TEST(DOT, StartsWithTheDocumentedValues)
{
    const DOT dot;
    EXPECT_EQ(dot.p(), QPointF(0, 0));
    EXPECT_EQ(dot.aLineDash(), 0);
    EXPECT_EQ(dot.aLinesize(), 1.0f);
    EXPECT_EQ(dot.aLineColor(), 255u);
    EXPECT_FALSE(dot.bSelect());
    EXPECT_EQ(dot.curve1(), QPointF(-0.25, -0.25));
    EXPECT_EQ(dot.curve2(), QPointF(0.25, -0.25));
    EXPECT_EQ(dot.type(), 0);
    EXPECT_TRUE(dot.customParam().isNull());
    EXPECT_EQ(dot.old_p(), dot.p());
    EXPECT_EQ(dot.old_curve1(), dot.curve1());
    EXPECT_EQ(dot.old_curve2(), dot.curve2());
    EXPECT_EQ(DOT::DotFromPoint(QPointF(5, 6))->p(), QPointF(5, 6));
    EXPECT_EQ(DOT::DotFromDot(nullptr), nullptr);
}

TEST(DOT, CopyKeepsShapeAndStyleButResetsSelectionValueAndSavedState)
{
    const auto dot = styledCurveDot();
    for (const auto &copy : {dot->copy(), DOT::DotFromDot(dot.get())}) {
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy.get(), dot.get());
        EXPECT_EQ(copy->p(), QPointF(3, 4));
        EXPECT_EQ(copy->aGroupPoint(), QPointF(7, 8));
        EXPECT_EQ(copy->aLineDash(), 2);
        EXPECT_EQ(copy->aLinesize(), 2.5f);
        EXPECT_EQ(copy->aLineColor(), 0xff0000ffu);
        EXPECT_EQ(copy->type(), DOT::kCurveType);
        EXPECT_EQ(copy->curve1(), QPointF(1, 1));
        EXPECT_EQ(copy->curve2(), QPointF(2, 2));
        EXPECT_EQ(copy->aLinesize_show_over(), 1);
        EXPECT_FALSE(copy->bSelect());
        EXPECT_TRUE(copy->customParam().isNull());
        EXPECT_EQ(copy->old_p(), QPointF(0, 0));
        EXPECT_EQ(copy->old_curve1(), QPointF(-0.25, -0.25));
        EXPECT_EQ(copy->old_curve2(), QPointF(0.25, -0.25));
    }
}

TEST(DOT, PasteTypeCopiesOnlyTheLineStyle)
{
    const auto from = styledCurveDot();
    DOT to;
    from->PasteTypeTo(&to);
    from->PasteTypeTo(nullptr);
    EXPECT_EQ(to.aLineDash(), 2);
    EXPECT_EQ(to.type(), DOT::kCurveType);
    EXPECT_EQ(to.aLinesize(), 2.5f);
    EXPECT_EQ(to.aLineColor(), 0xff0000ffu);
    EXPECT_EQ(to.aLinesize_show_over(), 1);
    EXPECT_EQ(to.p(), QPointF(0, 0));
    EXPECT_EQ(to.curve1(), QPointF(-0.25, -0.25));
    EXPECT_EQ(to.aGroupPoint(), QPointF(0, 0));
}

TEST(DOT, TransformsMoveControlPointsOfCurvesOnly)
{
    AffineTransform shift;
    shift.translateXBy(10, 20);
    const struct
    {
        int type;
        QPointF curve1After;
    } rows[] = {{DOT::kCurveType, QPointF(11, 21)}, {0, QPointF(1, 1)}, {1, QPointF(1, 1)}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.type);
        auto dot = styledCurveDot();
        dot->setType(row.type);
        dot->transform(&shift);
        dot->transform(nullptr);
        EXPECT_EQ(dot->p(), QPointF(13, 24));
        EXPECT_EQ(dot->curve1(), row.curve1After);
    }
}

TEST(DOT, TransformFromSavedValuesDoesNotAccumulate)
{
    auto dot = styledCurveDot();
    AffineTransform turn;
    turn.rotateByDegrees(90);
    dot->transform_FromOldValue(&turn);
    dot->transform_FromOldValue(&turn);
    dot->transform_FromOldValue(nullptr);
    EXPECT_NEAR(dot->p().x(), -4, 1e-12);
    EXPECT_NEAR(dot->p().y(), 3, 1e-12);
    EXPECT_NEAR(dot->curve2().x(), -2, 1e-12);
    EXPECT_NEAR(dot->curve2().y(), 2, 1e-12);

    // A line point keeps its control points; restoring brings all saved values back.
    dot->setType(0);
    dot->setCurve1(QPointF(9, 9));
    dot->transform_FromOldValue(&turn);
    EXPECT_EQ(dot->curve1(), QPointF(9, 9));
    dot->restoreOldValue();
    EXPECT_EQ(dot->p(), QPointF(3, 4));
    EXPECT_EQ(dot->curve1(), QPointF(1, 1));
    EXPECT_EQ(dot->curve2(), QPointF(2, 2));
}
