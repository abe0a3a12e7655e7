// Core Graphics paths: what apply hands a callback, and the transform record's conversions.
#include <gtest/gtest.h>

#include "platform/CGPath.h"

#include <vector>

using platform::CGAffineTransform;
using platform::CGPath;
using platform::CGPathElement;
using platform::CGPathElementType;

namespace {

struct Seen
{
    int type;
    std::vector<QPointF> points;
    bool operator==(const Seen &) const = default;
};

int pointCount(CGPathElementType t)
{
    switch (t) {
    case CGPathElementType::MoveToPoint:
    case CGPathElementType::AddLineToPoint:
        return 1;
    case CGPathElementType::AddQuadCurveToPoint:
        return 2;
    case CGPathElementType::AddCurveToPoint:
        return 3;
    case CGPathElementType::CloseSubpath:
        return 0;
    }
    return 0;
}

void record(void *info, const CGPathElement *element)
{
    auto *seen = static_cast<std::vector<Seen> *>(info);
    Seen s{static_cast<int>(element->type), {}};
    for (int i = 0; i < pointCount(element->type); ++i)
        s.points.push_back(element->points[i]);
    // A callback that scribbles on its points must not change the path.
    for (int i = 0; i < pointCount(element->type); ++i)
        element->points[i] = QPointF(-1, -1);
    seen->push_back(s);
}

} // namespace

TEST(CGPath, ApplyHandsEveryElementWithThePlatformsKindNumbers)
{
    CGPath path;
    path.moveToPoint(QPointF(1, 2));
    path.addLineToPoint(QPointF(3, 4));
    path.addQuadCurveToPoint(QPointF(5, 6), QPointF(7, 8));
    path.addCurveToPoint(QPointF(9, 10), QPointF(11, 12), QPointF(13, 14));
    path.closeSubpath();
    const CGPath before = path;

    std::vector<Seen> seen;
    path.apply(&seen, record);
    const std::vector<Seen> expected{
        {0, {QPointF(1, 2)}},
        {1, {QPointF(3, 4)}},
        {2, {QPointF(5, 6), QPointF(7, 8)}},
        {3, {QPointF(9, 10), QPointF(11, 12), QPointF(13, 14)}},
        {4, {}},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(path, before);
    path.apply(&seen, nullptr); // a null callback is no call
    EXPECT_EQ(seen.size(), 5u);
}

TEST(CGPath, CurrentPointAndPathsWithoutOne)
{
    CGPath path;
    EXPECT_TRUE(path.isEmpty());
    EXPECT_EQ(path.currentPoint(), QPointF());
    path.closeSubpath(); // nothing to close
    EXPECT_TRUE(path.isEmpty());

    // A line with no current point begins its own subpath.
    path.addLineToPoint(QPointF(4, 5));
    ASSERT_EQ(path.elementCount(), 2);
    EXPECT_EQ(path.elements().at(0).type, CGPathElementType::MoveToPoint);
    EXPECT_EQ(path.elements().at(0).points[0], QPointF(4, 5));

    path.addQuadCurveToPoint(QPointF(6, 6), QPointF(8, 0));
    EXPECT_EQ(path.currentPoint(), QPointF(8, 0));
    path.moveToPoint(QPointF(20, 20));
    path.addCurveToPoint(QPointF(21, 21), QPointF(22, 22), QPointF(30, 20));
    EXPECT_EQ(path.currentPoint(), QPointF(30, 20));
    path.closeSubpath();
    EXPECT_EQ(path.currentPoint(), QPointF(20, 20));
}

TEST(CGPath, AddingWithATransformMovesThePoints)
{
    platform::AffineTransform t;
    t.translateXBy(10, 0);
    t.scaleBy(2);
    const CGAffineTransform m = platform::toCGAffineTransform(t);
    CGPath path;
    path.moveToPoint(QPointF(1, 1), &m);
    path.addCurveToPoint(QPointF(1, 2), QPointF(2, 2), QPointF(3, 0), &m);
    EXPECT_EQ(path.elements().at(0).points[0], QPointF(12, 2));
    EXPECT_EQ(path.elements().at(1).points[2], QPointF(16, 0));
    EXPECT_EQ(path.elements().at(1).points[0], QPointF(12, 4));
}

TEST(CGAffineTransform, SameLayoutAsTheTransformStruct)
{
    // a b c d tx ty are m11 m12 m21 m22 tX tY: a rotation keeps its sense both ways.
    const platform::AffineTransformStruct s{0, 1, -1, 0, 5, 6};
    const CGAffineTransform m = platform::toCGAffineTransform(s);
    EXPECT_EQ(m, (CGAffineTransform{0, 1, -1, 0, 5, 6}));
    EXPECT_EQ(platform::toAffineTransformStruct(m), s);
    EXPECT_EQ(platform::CGPointApplyAffineTransform(QPointF(1, 0), m), QPointF(5, 7));
    EXPECT_EQ(platform::toAffineTransform(platform::CGAffineTransformIdentity),
              platform::AffineTransform());
}
