// The four combinations where a piece of outline between two crossings cannot be told from its
// neighbours by counting: operands whose own contours overlap, combined with themselves. Each
// answer is measured by the polygon clipper on a fine flattening, which reads contours crossing
// each other by the even-odd rule as the answers are meant.
#include <gtest/gtest.h>

#include "ClipperOracle.h"
#include "PathShapes.h"
#include "pathops/PathBooleanOperations.h"

#include <sstream>
#include <string>

using platform::BezierPath;

namespace {

struct Operation
{
    const char *name;
    ClipperLib::ClipType clip;
    BezierPath (*direct)(const BezierPath &, const BezierPath &);
};

const Operation kOperations[] = {
    {"union", ClipperLib::ctUnion, &fb_union},
    {"intersection", ClipperLib::ctIntersection, &fb_intersect},
    {"difference", ClipperLib::ctDifference, &fb_difference},
    {"exclusive or", ClipperLib::ctXor, &fb_xor},
};

// The even-odd area of a path as the clipper reads it, flattened to a millionth of `size`.
double clipperEvenOddArea(const BezierPath &path, double size)
{
    return std::abs(
        pathoracle::clipperArea(path, BezierPath(), ClipperLib::ctUnion, 1e-6 * size, 1e3));
}

// What is wrong with the four combinations of the pair, one line each.
std::string faultsOf(const BezierPath &a, const BezierPath &b)
{
    std::ostringstream faults;
    const QRectF box = a.bounds().united(b.bounds());
    const double size = std::max(box.width(), box.height());
    const double scale = clipperEvenOddArea(a, size) + clipperEvenOddArea(b, size);
    for (const Operation &op : kOperations) {
        const double expected = std::abs(pathoracle::clipperArea(a, b, op.clip, 1e-6 * size, 1e3));
        const double area = clipperEvenOddArea(op.direct(a, b), size);
        if (!(std::abs(area - expected) <= std::max(2e-3 * expected, 1e-6 * scale)))
            faults << "  " << op.name << ": area " << area << " where the clipper has " << expected
                   << "\n";
    }
    return faults.str();
}

BezierPath evenOddOf(std::initializer_list<BezierPath> contours)
{
    BezierPath path;
    for (const BezierPath &contour : contours)
        path.appendBezierPath(contour);
    path.setWindingRule(platform::WindingRule::EvenOdd);
    return path;
}

} // namespace

// Parts of one operand that overlap each other (the even-odd rule leaves their common part out)
// against the same operand, as drawn or reversed: every outline of one lies on an outline of the
// other, and is also crossed by another part. The pieces on the outlines both draw were left to a
// count of crossings from a start on the other outline, and the union lost every part.
TEST(PathBooleanPieces, OverlappingPartsAgainstThemselves)
{
    struct Row
    {
        const char *name;
        BezierPath shape;
    };
    const Row rows[] = {
        {"two overlapping circles", evenOddOf({circlePath(10, 10, 5), circlePath(14, 10, 5)})},
        {"a padlock: a shackle ring across its body, a keyhole of a circle and a slot",
         evenOddOf({polygon({{0, 20}, {30, 20}, {30, 45}, {0, 45}}), circlePath(15, 30, 4),
                    polygon({{13, 30}, {17, 30}, {17, 40}, {13, 40}}), circlePath(15, 15, 10),
                    circlePath(15, 15, 7)})},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(faultsOf(row.shape, row.shape), "") << row.name << ", itself";
        EXPECT_EQ(faultsOf(row.shape, row.shape.bezierPathByReversingPath()), "")
            << row.name << ", reversed";
    }
}
