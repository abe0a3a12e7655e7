// The four combinations where a piece of outline between two crossings cannot be told from its
// neighbours by counting, or a contour from its neighbours by a ray: operands whose own contours
// overlap, combined with themselves; and the seeded categories of what such failures share: a
// curve leaving a shared straight side at a small angle, contours touching the contour around
// them, operands of far different sizes, and copies turned by a hair. Each answer is measured by
// the polygon clipper, which reads contours crossing each other by the even-odd rule as the
// answers are meant. PELKO_SEED picks the first seed of a category and PELKO_CASES the number of
// cases; a failure prints its seed and both shapes.
#include <gtest/gtest.h>

#include "ClipperOracle.h"
#include "PathBooleanCases.h"
#include "PathShapes.h"
#include "PropertyRun.h"
#include "pathops/FBTolerances.h"
#include "pathops/PathBooleanOperations.h"
#include "pathops/PathTextForms.h"

#include <QtGlobal>
#include <cmath>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

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

// A hole sharing a side with its outline (a "U") against the same shape turned at random: the
// other operand crosses that shared side at points where it enters the outline and the hole at
// once, and the pieces between were read against the outline alone.
TEST(PathBooleanPieces, HoleSharingASideOfItsOutlineAgainstItsTurnedCopy)
{
    const std::optional<BezierPath> a = pathFromString(
        QStringLiteral("M;0;0@L;76.076986440458484;0@L;76.076986440458484;76.076986440458484@"
                       "L;0;76.076986440458484@C;@M;14.576116418196717;42.112993687411148@"
                       "L;55.970100315457138;42.112993687411148@L;55.970100315457138;0@"
                       "L;14.576116418196717;0@C;@"));
    const std::optional<BezierPath> b = pathFromString(QStringLiteral(
        "M;91.832720206136798;38.225778883074327@L;37.851207557384157;91.832720206136798@"
        "L;-15.755733765678315;37.851207557384157@L;38.225778883074327;-15.755733765678315@C;@"
        "M;51.815499009805464;18.614827481455762@L;22.443806335292628;47.782713457656094@"
        "L;52.118335876580602;77.664589801339048@L;81.490028551093431;48.496703825138709@C;@"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(faultsOf(*a, *b), "");
}

namespace {

using pathcases::ShapeMaker;

// A share from `lo` to `hi`, spread evenly over the powers of ten.
double spread(ShapeMaker &maker, double lo, double hi)
{
    return std::pow(10.0, maker.real(std::log10(lo), std::log10(hi)));
}

// The path turned by `angle` about `centre`.
BezierPath turned(const BezierPath &path, QPointF centre, double angle)
{
    const double c = std::cos(angle), s = std::sin(angle);
    return pathoracle::mappedPath(path, [&](QPointF p) {
        const QPointF d = p - centre;
        return centre + QPointF(c * d.x() - s * d.y(), s * d.x() + c * d.y());
    });
}

// (f) A shape whose straight side ends where a curve leaves it at a small angle (1e-4 to 0.1
// radian, into the shape or out of it), against its copy moved 1e-3 to 30 along that side,
// across it, or both; now and then the pair is turned, so that the side lies on no axis.
pathcases::ShapePair curveLeavingASide(ShapeMaker &maker)
{
    const double x0 = maker.real(-5, 0), x1 = maker.real(40, 70);
    const double angle = spread(maker, 1e-4, 0.1) * (maker.coin() ? 1 : -1);
    const double reach = maker.real(8, 20);
    const QPointF end(x1 + maker.real(10, 30), -maker.real(10, 40));
    BezierPath a;
    a.moveToPoint({x0, 0});
    a.lineToPoint({x1, 0});
    a.curveToPoint(end, {x1 + reach, reach * std::tan(angle)},
                   {end.x() - maker.real(0, 5), end.y() + maker.real(5, 20)});
    const double bottom = maker.real(30, 90);
    a.lineToPoint({end.x() + maker.real(0, 10), maker.real(0, 10)});
    a.lineToPoint({x1 - maker.real(0, 30), bottom});
    a.lineToPoint({x0, bottom});
    a.closePath();
    if (maker.coin())
        a = a.bezierPathByReversingPath();
    auto shift = [&maker]() { return spread(maker, 1e-3, 30) * (maker.coin() ? 1 : -1); };
    double along = 0, across = 0;
    switch (maker.integer(0, 2)) {
    case 0:
        along = shift();
        break;
    case 1:
        across = shift();
        break;
    default:
        along = shift();
        across = shift();
        break;
    }
    BezierPath b = movedPath(a, along, across);
    if (maker.coin()) {
        const QPointF centre(maker.real(0, 50), maker.real(0, 50));
        const double angleOfPair = maker.real(0, 2 * std::numbers::pi);
        a = turned(a, centre, angleOfPair);
        b = turned(b, centre, angleOfPair);
    }
    return {"a curve leaving a shared side", a, b};
}

// (g) A contour touching or sharing a side with the contour around it: an island whose tips lie
// on its hole's sides, a hole sharing a side of its outline, a counter touching its bowl from
// inside; against the same shape turned a quarter, a half or at random about its centre.
pathcases::ShapePair touchingContainers(ShapeMaker &maker)
{
    const double side = maker.real(40, 100);
    const double wall = side * maker.real(0.05, 0.2);
    BezierPath shape = maker.rect(0, 0, side, side);
    const char *kind = "";
    switch (maker.integer(0, 2)) {
    case 0: {
        kind = "an island with its tips on its hole's sides";
        const double lo = wall, hi = side - wall;
        shape.appendBezierPath(maker.rect(lo, lo, hi - lo, hi - lo));
        const double mid = maker.real(lo + 0.3 * (hi - lo), lo + 0.7 * (hi - lo));
        const double w = (hi - lo) * maker.real(0.1, 0.25);
        const double m = (lo + hi) / 2;
        shape.appendBezierPath(maker.polygon({{mid, lo},
                                              {mid - w, m + w / 2},
                                              {mid, m + w / 2},
                                              {mid, hi},
                                              {mid + w, m - w / 2},
                                              {mid, m - w / 2}}));
        break;
    }
    case 1: {
        kind = "a hole sharing a side of its outline";
        const double from = maker.real(wall, side / 2 - wall),
                     to = maker.real(side / 2, side - wall);
        const double height = maker.real(side / 3, side - wall);
        shape.appendBezierPath(maker.rect(from, 0, to - from, height));
        break;
    }
    default: {
        kind = "a counter touching its bowl from inside";
        const QPointF c(side / 2, side / 2);
        const double r = side / 2;
        shape = maker.circle(c, r);
        const double inner = r * maker.real(0.3, 0.8);
        const double angle = maker.real(0, 2 * std::numbers::pi);
        shape.appendBezierPath(
            maker.circle(c + (r - inner) * QPointF(std::cos(angle), std::sin(angle)), inner));
        break;
    }
    }
    shape.setWindingRule(platform::WindingRule::EvenOdd);
    const QPointF centre(side / 2, side / 2);
    const double quarter = std::numbers::pi / 2;
    const double angle = maker.integer(0, 2) == 0 ? maker.real(0, 2 * std::numbers::pi)
                                                  : quarter * maker.integer(1, 2);
    // A quarter or half turn of exact numbers stays exact: a turned copy of a corner lies on it.
    BezierPath other =
        angle == quarter ? pathoracle::mappedPath(
                               shape, [side](QPointF p) { return QPointF(side - p.y(), p.x()); })
        : angle == 2 * quarter
            ? pathoracle::mappedPath(
                  shape, [side](QPointF p) { return QPointF(side - p.x(), side - p.y()); })
            : turned(shape, centre, angle);
    return {kind, shape, other};
}

// A shape to copy (a letter-like outline, a convex shape, grid cells or a star) and a point
// within three tenths of its box's size of the box's centre, about which the copy is made.
struct ShapeAndPoint
{
    BezierPath shape;
    QPointF point;
};

ShapeAndPoint shapeAndPointNearItsCentre(ShapeMaker &maker)
{
    BezierPath a;
    switch (maker.integer(0, 3)) {
    case 0:
        a = maker.glyph({qreal(maker.integer(0, 4)), qreal(maker.integer(0, 4))});
        break;
    case 1:
        a = maker.convexShape();
        break;
    case 2:
        a = maker.gridCells(maker.integer(3, 6),
                            {qreal(maker.integer(0, 4)), qreal(maker.integer(0, 4))});
        break;
    default:
        a = maker.star();
        break;
    }
    const QRectF box = a.bounds();
    const QPointF centre = box.center() + QPointF(maker.real(-0.3, 0.3) * box.width(),
                                                  maker.real(-0.3, 0.3) * box.height());
    return {a, centre};
}

// (i) A shape and its copy turned by 1e-5 to 1e-2 radian about its centre or a point near it.
pathcases::ShapePair turnedCopies(ShapeMaker &maker)
{
    const ShapeAndPoint made = shapeAndPointNearItsCentre(maker);
    const BezierPath &a = made.shape;
    const QPointF centre = made.point;
    const double angle = spread(maker, 1e-5, 1e-2) * (maker.coin() ? 1 : -1);
    return {"a shape and its copy turned a hair", a, turned(a, centre, angle)};
}

// A shape and its copy scaled by 1e-9 to 1e-3 of its size, larger or smaller, about its centre or
// a point near it: where the shape is not convex the copy runs outside it on one side of the point
// and inside it on the other, a hair apart, crossing it at angles too small to find.
pathcases::ShapePair scaledCopies(ShapeMaker &maker)
{
    const ShapeAndPoint made = shapeAndPointNearItsCentre(maker);
    const BezierPath &a = made.shape;
    const QPointF centre = made.point;
    const QRectF box = a.bounds();
    const double factor = 1 + spread(maker, 1e-9, 1e-3) * (maker.coin() ? 1 : -1);
    // Whether the copy's points lie within a hair (a ten-thousandth of the size) of the shape's:
    // sides and curves that close are read as one shared stretch all along.
    double farthest = 0;
    for (const BezierPath::Element &e : a.elements()) {
        for (const QPointF &p : e.points)
            farthest = std::max(farthest, std::hypot(p.x() - centre.x(), p.y() - centre.y()));
    }
    const double size = std::max(box.width(), box.height());
    return {"a shape and its copy scaled by a hair", a,
            pathoracle::mappedPath(
                a, [centre, factor](QPointF p) { return centre + (p - centre) * factor; }),
            std::abs(factor - 1) * farthest <= FBTol_Hair * size};
}

constexpr double kFineFlatness = 1e-5;

// The faults of one seeded pair of `make`, with the line that reruns it, or nothing.
using MakePair = pathcases::ShapePair (*)(ShapeMaker &);

std::optional<std::string> seedFault(const char *category, MakePair make, quint64 seed,
                                     pathcases::Curls curls)
{
    ShapeMaker maker(seed);
    const pathcases::ShapePair pair = make(maker);
    const std::vector<std::string> faults =
        pathcases::checkPair(pair.a, pair.b, kFineFlatness, curls, pair.oneOutline);
    if (faults.empty())
        return std::nullopt;
    std::ostringstream s;
    s << category << " seed " << seed << " (" << pair.kind << ", PELKO_SEED=" << seed
      << " PELKO_CASES=1)\n"
      << pathcases::describe(faults, pair.a, pair.b);
    return s.str();
}

// Point by point around the smaller operand `small` (`size` across, about `at`), on the curves
// themselves, in a window four times its size: what each combination answers against the
// even-odd reading of both operands, away from every outline by a share of the small shape's
// size. The faults, one line per combination.
std::vector<std::string> pointsAroundTheSmallerFaults(const BezierPath &large,
                                                      const BezierPath &small, QPointF at,
                                                      double size)
{
    std::vector<std::string> faults;
    const QRectF window(at - QPointF(2 * size, 2 * size), QSizeF(4 * size, 4 * size));
    const std::vector<pathoracle::Contour> inA = pathoracle::contoursOf(large);
    const std::vector<pathoracle::Contour> inB = pathoracle::contoursOf(small);
    auto evenOdd = [](const std::vector<pathoracle::Contour> &cs, QPointF q) {
        bool odd = false;
        for (const pathoracle::Contour &c : cs)
            odd = odd != pathoracle::contourContains(c, q);
        return odd;
    };
    // How near the outlines a point is skipped: a thousandth of the window.
    const double margin = 4e-3 * size;
    auto nearOutline = [margin](const std::vector<pathoracle::Contour> &cs, QPointF q) {
        for (const pathoracle::Contour &c : cs) {
            for (const auto &segment : c) {
                double left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
                for (QPointF p : segment) {
                    left = std::min(left, p.x());
                    right = std::max(right, p.x());
                    top = std::min(top, p.y());
                    bottom = std::max(bottom, p.y());
                }
                if (q.x() < left - margin || q.x() > right + margin || q.y() < top - margin ||
                    q.y() > bottom + margin)
                    continue;
                // The nearest of many points, then closed in on by thirds.
                constexpr int Samples = 256;
                double best = INFINITY, bestT = 0;
                for (int k = 0; k <= Samples; ++k) {
                    const double t = double(k) / Samples;
                    const QPointF d = pathoracle::cubicAt(segment, t) - q;
                    const double distance = std::hypot(d.x(), d.y());
                    if (distance < best) {
                        best = distance;
                        bestT = t;
                    }
                }
                double lo = std::max(0.0, bestT - 1.0 / Samples);
                double hi = std::min(1.0, bestT + 1.0 / Samples);
                for (int step = 0; step < 60; ++step) {
                    const double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
                    const QPointF d1 = pathoracle::cubicAt(segment, m1) - q;
                    const QPointF d2 = pathoracle::cubicAt(segment, m2) - q;
                    (std::hypot(d1.x(), d1.y()) < std::hypot(d2.x(), d2.y()) ? hi : lo) =
                        (std::hypot(d1.x(), d1.y()) < std::hypot(d2.x(), d2.y()) ? m2 : m1);
                }
                const QPointF d = pathoracle::cubicAt(segment, (lo + hi) / 2) - q;
                if (std::min(best, std::hypot(d.x(), d.y())) <= margin)
                    return true;
            }
        }
        return false;
    };
    for (const pathcases::OperationKind &op : pathcases::kOperations) {
        FBBezierGraph ga(large), gb(small);
        const BezierPath result = (ga.*op.combine)(gb).bezierPath();
        const std::vector<pathoracle::Contour> inR = pathoracle::contoursOf(result);
        constexpr int Side = 40;
        int wrong = 0, checked = 0;
        for (int row = 0; row < Side; ++row) {
            for (int column = 0; column < Side; ++column) {
                const QPointF q(window.left() + (column + 0.5) * window.width() / Side,
                                window.top() + (row + 0.5) * window.height() / Side);
                if (nearOutline(inA, q) || nearOutline(inB, q) || nearOutline(inR, q))
                    continue;
                ++checked;
                if (evenOdd(inR, q) != op.inside(evenOdd(inA, q), evenOdd(inB, q)))
                    ++wrong;
            }
        }
        if (wrong > 0) {
            std::ostringstream s;
            s << op.name << ": " << wrong << " of " << checked
              << " points around the small shape wrong";
            faults.push_back(s.str());
        }
    }
    return faults;
}

// (h) A shape and another 1e3 to 1e9 times smaller, lying across its outline, inside it or just
// outside: each answer against the clipper at the large shape's size, and point by point around
// the small one, in a window a few times its size.
std::optional<std::string> farApartInSizeFault(quint64 seed)
{
    ShapeMaker maker(seed);
    const BezierPath large = maker.coin() ? maker.glyph({0, 0}) : maker.convexShape();
    const double ratio = spread(maker, 1e3, 1e9);
    BezierPath small = maker.coin() ? maker.glyph({0, 0}) : maker.convexShape();
    const QRectF smallBox = small.bounds();
    const double largeSize = pathcases::ShapeMaker::sizeOf(large);
    const double scale = largeSize / ratio / pathcases::ShapeMaker::sizeOf(small);
    // Where on the large shape: a point of its outline, moved in or out by up to the small
    // shape's size.
    const std::vector<pathoracle::Contour> contours = pathoracle::contoursOf(large);
    const pathoracle::Contour &contour =
        contours[size_t(maker.integer(0, int(contours.size()) - 1))];
    const auto &segment = contour[size_t(maker.integer(0, int(contour.size()) - 1))];
    const QPointF on = pathoracle::cubicAt(segment, maker.real(0, 1));
    const double size = largeSize / ratio;
    const QPointF at = on + size * QPointF(maker.real(-1, 1), maker.real(-1, 1));
    small = pathoracle::mappedPath(small,
                                   [&](QPointF p) { return at + (p - smallBox.center()) * scale; });
    std::vector<std::string> faults = pathcases::checkPair(large, small);
    for (const std::string &fault : pointsAroundTheSmallerFaults(large, small, at, size))
        faults.push_back(fault);
    if (faults.empty())
        return std::nullopt;
    std::ostringstream s;
    s << "sizes seed " << seed << " (ratio " << ratio << ", PELKO_SEED=" << seed
      << " PELKO_CASES=1)\n"
      << pathcases::describe(faults, large, small);
    return s.str();
}

} // namespace

// Operands far apart in size pass seeds 1 to 2,000 since a speck is read at its own scale by the
// hole-or-fill and containment rays and followed by the curve search to its last digits (63
// failed before, 619 before the engine read a pair of curves at the smaller one's scale); over
// 10,000 seeds spread across 1 to 100,000 5 failed, and pass now. Three (2581, 12541, 77671) were
// specks at a long outline's joint: every containment ray passed the joint closer than an end
// reads as on the ray, and such a contour is read at a point of it. Two (15691, 34551) were a long
// arc crossing a speck's quarter circle twice, where a half of the curve search ending on the
// second crossing shaved it off. A sixth (47621), whose whole answer turned over, is a row too,
// as is 47378, whose answers were right but measured against the clipper's turned round.
// ./test runs a few of their seeds: each case takes about a second under the sanitizers.
// The other three pass since curves a hair apart count as two outlines: over 20,000 seeds spread
// across 1 to 100,000, copies turned a hair and contours touching their container fail none, and
// a curve leaving a shared side none since a stretch's samples close in on an end where its
// curves meet and the curve search reads the corners of a split half that misses (it failed 3:
// seeds 56771, 58396 and 94171).
namespace {

// A seed's fault as the driver reads it: the lines of the one message, or none.
pathproperty::Faults faultLines(const std::optional<std::string> &fault)
{
    return fault ? pathproperty::Faults{*fault} : pathproperty::Faults{};
}

} // namespace

PELKO_PROPERTY_CATEGORY(
    CurveLeavingASharedSide,
    [](quint64 seed) {
        return faultLines(
            seedFault("curve leaving a side", &curveLeavingASide, seed, pathcases::Curls::Always));
    },
    80);

PELKO_PROPERTY_CATEGORY(
    ContoursTouchingTheirContainer,
    [](quint64 seed) {
        return faultLines(
            seedFault("touching containers", &touchingContainers, seed, pathcases::Curls::Always));
    },
    30);

PELKO_PROPERTY_CATEGORY(
    OperandsFarApartInSize, [](quint64 seed) { return faultLines(farApartInSizeFault(seed)); }, 16);

PELKO_PROPERTY_CATEGORY(
    CopiesScaledAHair,
    [](quint64 seed) {
        return faultLines(
            seedFault("scaled copies", &scaledCopies, seed, pathcases::Curls::Always));
    },
    80);

PELKO_PROPERTY_CATEGORY(
    CopiesTurnedAHair,
    [](quint64 seed) {
        return faultLines(
            seedFault("turned copies", &turnedCopies, seed, pathcases::Curls::Always));
    },
    80);

// Seeds of the categories above that once failed, checked as their category checks them.
TEST(PathBooleanPieces, RegressionPairsOfTheCategories)
{
    struct Row
    {
        const char *name;
        const char *a;
        const char *b;
        // A pair of far different sizes, checked as its category checks it: at the larger
        // operand's size, and point by point around the smaller (the second).
        bool farApartInSize = false;
    };
    const Row rows[] = {
        // Sides of a copy moved a hair along one it shares: the shared run starts a hair past
        // one outline's corner. Its sides were read with that outline's side before the corner
        // measured from its corner, and the other's from the run's start, which hid on which side
        // the other outline came in; the run took no crossing and the pair crossed once.
        {"a copy moved a hair along a side it shares, the run starting a hair past a corner",
         "M;40.62356911598765;11.685225164359998@L;29.751346809394907;58.871717311298511@"
         "S;27.036563224214511;70.776917598978031;48.661250054110731;82.770603080893423;"
         "61.779504003087069;86.175050422107674@L;19.771518210794181;77.413975474746394@"
         "L;-31.304496381686867;20.493612480553161@L;-25.751214831836997;-3.6081644011458494@C;@",
         "M;40.636364507957147;11.68817334591923@L;29.764142201364404;58.874665492857737@"
         "S;27.049358616184008;70.77986578053725;48.674045446080228;82.773551262452656;"
         "61.792299395056567;86.177998603666907@L;19.784313602763678;77.416923656305613@"
         "L;-31.29170098971737;20.496560662112394@L;-25.738419439867499;-3.6052162195866231@C;@"},
        // The same, a run over a side and a curve ending at the curve's end on one outline and
        // a hair before it on the other: the other's curve crosses the next side between the
        // two ends, the passage the run's reading holds, and was counted once more on its own.
        {"a copy moved a hair along a side and a curve, crossing the next side between the ends",
         "M;7.0578217286890634;-5.7868290466850958@L;68.816908830199736;17.459068127118556@"
         "S;79.057073948629778;21.578323038850698;84.993213496108737;14.203535570447684;"
         "87.337583677501499;9.3894817349614605@L;85.089061906531043;33.931068535255356@"
         "L;21.197665324202209;75.559143687477729@L;-18.006314403354423;60.80290741000897@C;@",
         "M;7.0597010081142884;-5.7861216927015811@L;68.818788109624961;17.459775481102074@"
         "S;79.058953228055003;21.579030392834213;84.995092775533962;14.204242924431199;"
         "87.339462956926724;9.3901890889449753@L;85.090941185956268;33.931775889238878@"
         "L;21.19954460362743;75.559851041461243@L;-18.004435123929198;60.803614763992485@C;@"},
        // A copy moved a hair along two sides it shares exactly, a curve between them a hair
        // beside the other's: the copy's corner crosses the original's side just before the
        // curve, and the run over the curve and the next side put its crossing on that side,
        // where the sides lie on each other; the pieces along the curve kept the wrong side of
        // the sliver between the curves.
        {"a copy moved a hair along sides it shares exactly, a curve between them apart",
         "M;102.25952582018911;28.233365401916149@L;73.911466255967966;19.074545079393673@"
         "L;24.886902586427684;43.570815547331939@L;18.917842751405452;68.205260039169247@"
         "S;23.08703517939259;55.654927518541541;28.464969436439709;45.264095281816118;"
         "37.320222649885565;48.128506488829423@L;90.301350382272631;65.245890777029047@C;@",
         "M;102.2569698536191;28.23253960858408@L;73.908910289397951;19.073719286061603@"
         "L;24.88434661985767;43.569989753999877@L;18.91528678483543;68.204434245837191@"
         "S;23.084479212822568;55.654101725209472;28.462413469869688;45.263269488484049;"
         "37.317666683315544;48.127680695497354@L;90.298794415702616;65.245064983696977@C;@"},
        // A counter touching its bowl from inside, its first point at the touch: the
        // hole-or-fill ray from there met the bowl a hair past its start and counted it twice,
        // so the counter was taken for a fill and union and intersection swapped.
        {"a counter touching its bowl from inside, started at the touch, and its turned copy",
         "M;49.14477992532639;24.572389962663195@S;49.14477992532639;38.143346205937341;"
         "38.143346205937341;49.14477992532639;24.572389962663195;49.14477992532639@"
         "S;11.00143371938905;49.14477992532639;0;38.143346205937341;0;24.572389962663195@"
         "S;0;11.00143371938905;11.00143371938905;0;24.572389962663195;0@"
         "S;38.143346205937341;0;49.14477992532639;11.00143371938905;49.14477992532639;"
         "24.572389962663195@C;@M;49.144779731774136;24.573839599134743@"
         "S;49.144779731774136;14.001031205459887;40.573825063162545;5.4300765368482971;"
         "30.00101666948769;5.4300765368482971@S;19.428208275812835;5.4300765368482971;"
         "10.857253607201244;14.001031205459887;10.857253607201244;24.573839599134743@"
         "S;10.857253607201244;35.146647992809598;19.428208275812835;43.717602661421189;"
         "30.00101666948769;43.717602661421189@S;40.573825063162545;43.717602661421189;"
         "49.144779731774136;35.146647992809598;49.144779731774136;24.573839599134743@C;@",
         "M;46.646275877249366;13.776746901361781@S;52.608544904622761;25.96781746149248;"
         "47.559103584095311;40.684006849875971;35.368033023964607;46.646275877249366@"
         "S;23.17696246383391;52.608544904622754;8.4607730754504225;47.559103584095311;"
         "2.4985040480770273;35.368033023964607@S;-3.4637649792963643;23.17696246383391;"
         "1.5856763412310819;8.4607730754504189;13.776746901361781;2.4985040480770273@"
         "S;25.96781746149248;-3.4637649792963678;40.684006849875971;1.5856763412310819;"
         "46.646275877249366;13.776746901361781@C;@M;46.646912587210785;13.778049224809369@"
         "S;42.001850965322269;4.28027686186973;30.536818737727994;0.34637753893144563;"
         "21.039046374788359;4.991439160819958@S;11.541274011848724;9.6365007827084703;"
         "7.6073746889104363;21.101533010302745;12.252436310798949;30.59930537324238@"
         "S;16.897497932687461;40.097077736182015;28.362530160281739;44.030977059120303;"
         "37.860302523221378;39.385915437231787@S;47.358074886161006;34.740853815343279;"
         "51.291974209099294;23.275821587749004;46.646912587210785;13.778049224809369@C;@"},
        // Curves leaving a shared side, a copy moved a hair across them: a hair apart all along,
        // they were taken for one stretch, and the crossing near the spike they end in with them,
        // so the outlines crossed nowhere; the union and the intersection were one copy each, and
        // only the exclusive or kept the slivers between them.
        {"a copy moved a hair across curves leaving a side, ending in a spike",
         "M;-2.1981042565973565;42.625337586845703@L;21.408874359098739;42.625337586845703@"
         "L;81.455947793997296;8.5889827783311272@L;74.685948726628865;-39.489288320217931@"
         "S;71.502111888562268;-20.993646845510078;62.365729950170895;0.0097294305872995934;"
         "46.322325856840862;0@L;-2.1981042565973565;0@C;@",
         "M;-2.202357158962601;42.625337586845703@L;21.404621456733494;42.625337586845703@"
         "L;81.451694891632059;8.5889827783311272@L;74.681695824263628;-39.489288320217931@"
         "S;71.497858986197031;-20.993646845510078;62.36147704780565;0.0097294305872995934;"
         "46.318072954475618;0@L;-2.202357158962601;0@C;@"},
        // The same moved 0.007 along the side: the curves leaving it cross just past the joint;
        // taken for one stretch, they lost that crossing and the union and the intersection came
        // out less than half their size.
        {"a copy moved 0.007 along a side, the curves leaving it crossing past the joint",
         "M;-5.5942847349279106;43.914458283783695@L;27.969326801939786;-15.624401780205133@"
         "S;32.591040275025037;-23.760831109260792;28.486651005637075;-41.250462411099434;"
         "15.585921157682037;-51.503949071362882@L;47.652726748575233;-40.967359533052374@"
         "L;80.759019339669379;28.27164657209704@L;53.243018299725506;77.082583787189122@C;@",
         "M;-5.5977640800999637;43.920630332494412@L;27.965847456767733;-15.618229731494417@"
         "S;32.587560929852984;-23.754659060550068;28.483171660465022;-41.244290362388725;"
         "15.582441812509984;-51.497777022652159@L;47.64924740340318;-40.961187484341664@"
         "L;80.755539994497326;28.277818620807757@L;53.239538954553453;77.088755835899832@C;@"},
        // A curve leaving a side dips below it and crosses it again a little past the end of the
        // side both outlines share: nearly tangent there, the crossing was dropped as a touch the
        // run's reading of that end holds, though the run read the tangents and saw the curve
        // before it crossed.
        {"a curve crossing the other's side a little past the run along it, nearly tangent",
         "M;-0.004059931015090612;72.852992646971572@L;33.823447757762423;72.852992646971572@"
         "L;93.633023236917666;2.7241596154499783@L;86.488425966713976;-16.445435512525776@"
         "S;85.379429298351397;1.9565574127167054;68.723205641516728;-0.028236183268450413;"
         "60.241699112405804;0@L;-0.004059931015090612;0@C;@",
         "M;17.789017315909192;72.852992646971572@L;51.616525004686707;72.852992646971572@"
         "L;111.42610048384195;2.7241596154499783@L;104.28150321363826;-16.445435512525776@"
         "S;103.17250654527568;1.9565574127167054;86.516282888441012;-0.028236183268450413;"
         "78.034776359330095;0@L;17.789017315909192;0@C;@"},
        // A copy's curve crossing the original's side just before its joint lies on that side: the
        // hit lay within the stretch tolerance of the run along the side, and was left to the run,
        // whose reading saw the curve after the crossing.
        {"a copy's curve crossing the other's side just before its joint on it",
         "M;23.407117072449886;97.471512342103125@L;64.592366479496135;73.619347100092142@"
         "L;61.997118070972043;-17.526492024409592@L;47.396334229591112;-23.623486646630667@"
         "S;53.521824441977728;-4.1766393171465381;43.70047338649357;-8.7818628336061977;"
         "36.061184751660832;-4.3382468395542446@L;-17.567793881621732;26.720622016111442@C;@",
         "M;23.056738020394477;97.674432056498134@L;64.241987427440719;73.822266814487136@"
         "L;61.646739018916641;-17.32357231001459@L;47.045955177535703;-23.420566932235658@"
         "S;53.171445389922319;-3.9737196027515438;43.350094334438161;-8.5789431192111962;"
         "35.710805699605423;-4.1353271251592432@L;-17.918172933677134;26.923541730506447@C;@"},
        // The same a hundredth before the joint, the curve meeting the side at a sine of 2e-4: the
        // hit was moved to the joint as a touch found anywhere along a curve running into it, and
        // the joint, read past it, saw no crossing.
        {"a copy's curve crossing the other's side a hundredth before its joint, at a sine of 2e-4",
         "M;-27.941861166309224;-7.5314401503861426@L;-45.036641332575101;48.988021464909679@"
         "L;4.8320302312483392;91.165513723264951@L;23.90334586797394;90.548265427926907@"
         "S;10.288374221664196;82.31283619926279;15.423161007743937;83.624160982962181;"
         "18.326733140891974;74.018112924257565@L;37.046839418348853;12.124931620242052@C;@",
         "M;-27.915252273671122;-7.6194155599238869@L;-45.010032439937;48.900046055371945@"
         "L;4.8586391238864444;91.077538313727217@L;23.929954760612041;90.460290018389145@"
         "S;10.314983114302301;82.224860789725042;15.449769900382043;83.536185573424433;"
         "18.35334203353008;73.930137514719831@L;37.073448310986961;12.036956210704307@C;@"},
        // A copy's curve starting on the other's side and leaving it at a sine of 2.5e-4: it dips
        // a millionth below the side and crosses back 0.01 farther on, inside the stretch it shares
        // with the side up to the other's corner. The stretch's samples met the curves exactly at
        // that end and next clear of the dip, one side only, so the crossing was lost and a piece
        // running from inside the copy to outside it was kept or dropped whole.
        {"a copy's curve leaving the other's side at a sine of 2.5e-4, dipping across and back",
         "M;-4.6521640154455177;0@L;44.919003010117684;0@"
         "S;54.747059844838375;-0.0024843853370337633;68.988163065124567;6.3442131798422494;"
         "71.561237303824072;-10.431459232917582@L;76.640409186948801;9.0600759931356141@"
         "L;27.139161822996375;78.901258665911655@L;-4.6521640154455177;78.901258665911655@C;@",
         "M;-5.1375774855667435;0@L;44.433589539996461;0@"
         "S;54.261646374717152;-0.0024843853370337633;68.502749595003337;6.3442131798422494;"
         "71.075823833702842;-10.431459232917582@L;76.154995716827571;9.0600759931356141@"
         "L;26.653748352875148;78.901258665911655@L;-5.1375774855667435;78.901258665911655@C;@"},
        // The same where the curve runs into its joint on the side (the identity of exclusive or,
        // union and intersection was off by 0.9).
        {"a copy's curve running into its joint on the other's side at a sine of 1e-4",
         "M;-2.296608719901676;42.710397407238915@L;37.0884681434203;42.710397407238915@"
         "L;96.360751000859082;5.5153196788456089@L;89.250254052240052;-11.184564777548211@"
         "S;85.004706541707861;6.90315924626303;75.470453776174821;-0.0012332208472001138;"
         "63.654090102843682;0@L;-2.296608719901676;0@C;@",
         "M;-2.6417360953868965;42.710397407238915@L;36.743340767935081;42.710397407238915@"
         "L;96.015623625373863;5.5153196788456089@L;88.905126676754833;-11.184564777548211@"
         "S;84.659579166222642;6.90315924626303;75.125326400689602;-0.0012332208472001138;"
         "63.308962727358463;0@L;-2.6417360953868965;0@C;@"},
        // The first of these with the copy's corner landing on the side from below it, at a
        // steep and at a flat angle: the corner's edge crosses nothing there, and the dip's
        // crossing is the one passage.
        {"a copy's corner landing on the other's side where its curve leaves it, from below",
         "M;-4.6521640154455177;0@L;44.919003010117684;0@"
         "S;54.747059844838375;-0.0024843853370337633;68.988163065124567;6.3442131798422494;"
         "71.561237303824072;-10.431459232917582@L;76.640409186948801;9.0600759931356141@"
         "L;27.139161822996375;78.901258665911655@L;-4.6521640154455177;78.901258665911655@C;@",
         "M;-5.1375774855667435;78.901258665911655@L;44;-20@L;44.433589539996461;0@"
         "S;54.261646374717152;-0.0024843853370337633;68.502749595003337;6.3442131798422494;"
         "71.075823833702842;-10.431459232917582@L;76.154995716827571;9.0600759931356141@"
         "L;26.653748352875148;78.901258665911655@C;@"},
        {"a copy's corner landing on the other's side where its curve leaves it, nearly along",
         "M;-4.6521640154455177;0@L;44.919003010117684;0@"
         "S;54.747059844838375;-0.0024843853370337633;68.988163065124567;6.3442131798422494;"
         "71.561237303824072;-10.431459232917582@L;76.640409186948801;9.0600759931356141@"
         "L;27.139161822996375;78.901258665911655@L;-4.6521640154455177;78.901258665911655@C;@",
         "M;-5.1375774855667435;78.901258665911655@L;30;-0.01@L;44.433589539996461;0@"
         "S;54.261646374717152;-0.0024843853370337633;68.502749595003337;6.3442131798422494;"
         "71.075823833702842;-10.431459232917582@L;76.154995716827571;9.0600759931356141@"
         "L;26.653748352875148;78.901258665911655@C;@"},
        // A copy moved 0.59 along the side its curve runs into, at a sine of 1.3e-4: the curve
        // dips below the side and meets it again at the joint, inside the stretch the two share
        // up to the copy's joint, so the stretch's samples missed the passage there and the
        // difference lost 0.7.
        {"a copy moved 0.59 along the side its curve runs into, dipping below it",
         "M;-2.0186324835288212;50.018842160123313@L;36.176219091021117;50.018842160123313@"
         "L;71.794463201568092;2.5154081176879299@L;71.584370386949033;-10.257062397750065@"
         "S;70.180480073430658;6.4120142481192381;57.277274669925362;-0.001787914876019536;"
         "44.018497632007787;0@L;-2.0186324835288212;0@C;@",
         "M;-2.604639135660709;50.018842160123313@L;35.590212438889232;50.018842160123313@"
         "L;71.208456549436207;2.5154081176879299@L;70.998363734817147;-10.257062397750065@"
         "S;69.594473421298773;6.4120142481192381;56.691268017793476;-0.001787914876019536;"
         "43.432490979875901;0@L;-2.604639135660709;0@C;@"},
        // A copy moved 0.0012 along the side its curve runs into, its corner landing on the
        // other's side: the copy's curve runs into its joint 2.2e-5 along the other's side from
        // the other's joint, a tail that gave way to the other's curve beyond that joint. Measured
        // from that joint while the copy's branches were measured from the hit, the two shifted
        // curves showed the same chords at every distance, and the crossing read as a touch.
        {"a copy's curve running into its joint a hair along the other's side, near its joint",
         "M;-0.95357976345137541;38.466710057649486@L;31.49579788418222;38.466710057649486@"
         "L;74.985457791424153;0.34025189200045813@L;71.869885602449642;-17.638374625713567@"
         "S;68.842963375047304;-5.067465680685423;65.032085851939073;-0.011632252264901602;"
         "53.197215118008607;0@L;-0.95357976345137541;0@C;@",
         "M;-0.95479335254585262;38.466710057649486@L;31.494584295087744;38.466710057649486@"
         "L;74.984244202329677;0.34025189200045813@L;71.868672013355166;-17.638374625713567@"
         "S;68.841749785952828;-5.067465680685423;65.030872262844596;-0.011632252264901602;"
         "53.196001528914131;0@L;53.727387327604816;0.38315930649744562@C;@"},
        // A shape whose curve crosses its own next side twice, against its copy moved 1.13
        // along that side: the copy's side runs 2.7e-4 beside it, past the tip where the curve
        // ends, and crosses the curve 8e-4 from there. The search found that crossing in one
        // order of the two curves only, and the pair crossed an odd number of times.
        {"a curve crossing its own side, the copy's side passing a hair beside its tip",
         "M;54.26909641231191;29.299370083030098@L;-0.079452351888647854;10.317175962272387@"
         "S;-18.755911578145881;3.7899959202411253;-15.858086049921678;29.968806123545356;"
         "-20.4775277926278;35.760247748229801@L;-9.0785844004971885;2.3301346748853513@"
         "L;51.865722216980025;-49.903301446858045@L;78.663079011130279;-40.54384953588395@C;@",
         "M;53.90452242378106;30.36940838222219@L;-0.44402634041950861;11.387214261464477@"
         "S;-19.120485566676745;4.8600342194332118;-16.222660038452528;31.038844422737441;"
         "-20.842101781158672;36.830286047421893@L;-9.4431583890280599;3.4001729740774369@"
         "L;51.501148228449161;-48.833263147665946@L;78.298505022599414;-39.473811236691851@C;@"},
        // The same class, the copy moved 0.03 along the shared bottom side: the curve ends below
        // the side and its next side crosses it near the tip, where the copy's lies a hair
        // beside; a crossing shaved off before the search split its ranges was lost, and the
        // difference came out 6.22 against 3.11.
        {"a curve crossing its own side near its tip, the copy moved 0.03 along a side",
         "M;-4.0686210466760473;0@L;61.833243499704203;0@"
         "S;80.20090555608941;-0.046156232517307098;69.333924910560299;-10.615642893250502;"
         "72.17303432211807;-20.63800411193192@L;72.433098518911663;6.6293733628101634@"
         "L;58.872248852635948;84.822217909661092@L;-4.0686210466760473;84.822217909661092@C;@",
         "M;-4.0982132221132668;0@L;61.803651324266987;0@"
         "S;80.171313380652194;-0.046156232517307098;69.304332735123083;-10.615642893250502;"
         "72.143442146680854;-20.63800411193192@L;72.403506343474447;6.6293733628101634@"
         "L;58.842656677198732;84.822217909661092@L;-4.0982132221132668;84.822217909661092@C;@"},
        // A ring and its copy turned a hair: the arcs, a hair apart, were one stretch, so the union
        // and the intersection lost the slivers between them that the exclusive or kept.
        {"a ring and its copy turned a hair",
         "M;12;6@S;12;3.2385762508460321;9.7614237491539679;1;7;1@"
         "S;4.2385762508460321;1;2;3.2385762508460321;2;6@"
         "S;2;8.7614237491539679;4.2385762508460321;11;7;11@"
         "S;9.7614237491539679;11;12;8.7614237491539679;12;6@C;@M;9.75;6@"
         "S;9.75;4.3431457505076194;8.4068542494923797;3;6.75;3@"
         "S;5.0931457505076194;3;3.75;4.3431457505076194;3.75;6@"
         "S;3.75;7.6568542494923806;5.0931457505076194;9;6.75;9@"
         "S;8.4068542494923797;9;9.75;7.6568542494923806;9.75;6@C;@",
         "M;11.999720688149832;5.9992641362723091@"
         "S;11.999440538476666;3.2378404013290982;9.760637192968554;0.9994912681853334;"
         "6.9992134580253413;0.99977141785850066@"
         "S;4.2377897230821304;1.0000515675316688;1.999440589938366;3.2388549130397815;"
         "1.9997207396115337;6.0002786479829924@"
         "S;2.000000889284701;8.7617023829262042;4.2388042347928128;11.000051516069968;"
         "7.0002279697360246;10.9997713663968@"
         "S;9.7616517046792382;10.999491216723634;12.000000837823;8.7606878712155218;"
         "11.999720688149832;5.9992641362723091@C;@M;9.7497206997287158;5.9994924014072133@"
         "S;9.749552609924816;4.3426381604412869;8.4062706026199479;2.9996286805550278;"
         "6.7494163616540206;2.9997967703589286@"
         "S;5.0925621206880942;2.9999648601628293;3.7495526408018356;4.3432468674676965;"
         "3.7497207306057359;6.0001011084336229@"
         "S;3.7498888204096366;7.6569553493995501;5.0931708277145038;8.9999648292858083;"
         "6.7500250686804311;8.9997967394819085@"
         "S;8.4068793096463565;8.9996286496780069;9.7498887895326156;7.6563466423731406;"
         "9.7497206997287158;5.9994924014072133@C;@"},
        // A circle and its copy turned a hair about a point off its centre: taken for one outline,
        // the two had no exclusive or at all.
        {"a circle and its copy turned a hair about a point off its centre",
         "M;13.25;4.5@S;13.25;1.94568303203258;11.17931696796742;-0.125;8.625;-0.125@"
         "S;6.07068303203258;-0.125;4;1.94568303203258;4;4.5@"
         "S;4;7.05431696796742;6.07068303203258;9.125;8.625;9.125@"
         "S;11.17931696796742;9.125;13.25;7.05431696796742;13.25;4.5@C;@M;12.5;4.5@"
         "S;12.5;6.5020322181366268;10.877032218136627;8.125;8.875;8.125@"
         "S;6.8729677818633732;8.125;5.25;6.5020322181366268;5.25;4.5@"
         "S;5.25;2.4979677818633732;6.8729677818633732;0.875;8.875;0.875@"
         "S;10.877032218136627;0.875;12.5;2.4979677818633732;12.5;4.5@C;@",
         "M;13.250215349944503;4.5005643520237317@"
         "S;13.25042466179762;1.946247392632273;11.179911317500032;-0.12460531323091839;"
         "8.6255943581085752;-0.12481462508403407@"
         "S;6.0712773987171174;-0.12502393693715064;4.0004246928539251;1.9454894073604345;"
         "4.0002153810008085;4.4998063667518924@"
         "S;4.0000060691476929;7.0541233261433502;6.0705194134452789;9.1249760320065416;"
         "8.6248363728367359;9.1251853438596591@"
         "S;11.179153332228195;9.1253946557127747;13.250006038091387;7.0548813114151896;"
         "13.250215349944503;4.5005643520237317@C;@M;12.500215352462581;4.5005028937584477@"
         "S;12.500051297226355;6.502535105173374;10.876950527766017;8.1253698885417514;"
         "8.8749183163510885;8.1252058333055253@"
         "S;6.8728861049361623;8.1250417780692992;5.2500513215677849;6.5019410086089593;"
         "5.250215376804011;4.499908797194033@"
         "S;5.250379432040237;2.4978765857791068;6.8734802015005769;0.87504180241072849;"
         "8.8755124129155032;0.87520585764695458@"
         "S;10.877544624330429;0.87536991288318156;12.500379407698809;2.4984706823435205;"
         "12.500215352462581;4.5005028937584477@C;@"},
        // A counter touching its bowl, against the shape turned: the two bowls, circles drawn
        // alike with their joints elsewhere, run along each other in runs. A run crossing where
        // its sides lay on each other put its crossing pair at the middle of each curve's range,
        // points far apart on curves whose parameters do not match; joined there, a piece was
        // bent inwards all along and every answer but the exclusive or lost or gained area.
        {"bowls drawn alike and turned: a run's crossing pair at one point of both",
         "M;86.563932966999687;43.281966483499843@"
         "S;86.563932966999687;67.185936515024338;67.185936515024338;86.563932966999687;"
         "43.281966483499843;86.563932966999687@"
         "S;19.377996451975342;86.563932966999687;0;67.185936515024338;0;43.281966483499843@"
         "S;0;19.377996451975342;19.377996451975342;0;43.281966483499843;0@"
         "S;67.185936515024338;0;86.563932966999687;19.377996451975342;86.563932966999687;"
         "43.281966483499843@C;@M;38.237261816879872;38.948546307426795@"
         "S;38.237261816879872;28.496920009129951;29.764544646524058;20.024202838774137;"
         "19.312918348227214;20.024202838774137@"
         "S;8.861292049930368;20.024202838774137;0.38857487957455561;28.496920009129951;"
         "0.38857487957455561;38.948546307426795@"
         "S;0.38857487957455561;49.40017260572364;8.861292049930368;57.872889776079454;"
         "19.312918348227214;57.872889776079454@"
         "S;29.764544646524058;57.872889776079454;38.237261816879872;49.40017260572364;"
         "38.237261816879872;38.948546307426795@C;@",
         "M;18.054717262286552;8.1121709280861438@"
         "S;37.478459002208353;-5.8204540969707139;64.519137013856692;-1.36902447763525;"
         "78.451762038913543;18.054717262286552@"
         "S;92.384387063970408;37.478459002208361;87.932957444634937;64.519137013856692;"
         "68.509215704713142;78.451762038913543@"
         "S;49.085473964791326;92.384387063970408;22.044795953143009;87.932957444634951;"
         "8.1121709280861438;68.509215704713142@"
         "S;-5.8204540969707139;49.085473964791333;-1.3690244776352571;22.044795953143009;"
         "18.054717262286552;8.1121709280861438@C;@M;42.701089924077834;49.906931239521441@"
         "S;34.208371362576784;55.998747365635708;32.262055381879541;67.821848760826697;"
         "38.353871507993809;76.314567322327747@"
         "S;44.445687634108069;84.807285883828783;56.268789029299057;86.753601864526019;"
         "64.761507590800107;80.661785738411766@"
         "S;73.254226152301158;74.569969612297498;75.200542132998379;62.74686821710651;"
         "69.108726006884126;54.254149655605467@"
         "S;63.016909880769859;45.761431094104424;51.193808485578877;43.815115113407181;"
         "42.701089924077834;49.906931239521441@C;@"},
        // The same, the bowls crossing at a shallow angle just past the ends of a run (a sine
        // near 1e-3, two units along): those crossings were taken for touches a little past the
        // run, the sliver between the bowls changed sides there unnoticed, and the counter,
        // touching its bowl in that sliver, crossed the other bowl where it lay inside: the
        // union lost a quarter of its area.
        {"bowls drawn alike and turned, crossing just past a run's ends, a counter between",
         "M;43.010554036870801;21.5052770184354@"
         "S;43.010554036870801;9.6282404802668911;33.382313556603911;0;21.5052770184354;0@"
         "S;9.6282404802668911;0;0;9.6282404802668911;0;21.5052770184354@"
         "S;0;33.382313556603911;9.6282404802668911;43.010554036870801;21.5052770184354;"
         "43.010554036870801@"
         "S;33.382313556603911;43.010554036870801;43.010554036870801;33.382313556603911;"
         "43.010554036870801;21.5052770184354@C;@M;22.616808094609272;28.568495452993897@"
         "S;22.616808094609272;34.138429709818922;18.101484233169188;38.65375357125901;"
         "12.531549976344159;38.65375357125901@"
         "S;6.9616157195191315;38.65375357125901;2.4462918580790465;34.138429709818922;"
         "2.4462918580790465;28.568495452993897@"
         "S;2.4462918580790465;22.998561196168868;6.9616157195191315;18.483237334728784;"
         "12.531549976344159;18.483237334728784@"
         "S;18.101484233169188;18.483237334728784;22.616808094609272;22.998561196168868;"
         "22.616808094609272;28.568495452993897@C;@",
         "M;34.574104713985648;38.583997178437571@"
         "S;44.006421404982582;31.366282944018849;45.801711412856285;17.86876601388208;"
         "38.583997178437571;8.4364493228851494@"
         "S;31.366282944018849;-0.99586736811178156;17.86876601388208;-2.7911573759854846;"
         "8.4364493228851494;4.4265568584332335@"
         "S;-0.99586736811178156;11.644271092851952;-2.7911573759854846;25.14178802298872;"
         "4.4265568584332335;34.574104713985648@"
         "S;11.644271092851952;44.006421404982582;25.14178802298872;45.801711412856285;"
         "34.574104713985648;38.583997178437571@C;@M;16.57140321299363;26.680356269960228@"
         "S;12.147961078285192;30.065223668580003;5.8180755306873273;29.223292494616182;"
         "2.433208132067552;24.799850359907737@"
         "S;-0.95165926655221966;20.376408225199292;-0.10972809258839789;14.04652267760143;"
         "4.3137140421200435;10.661655278981659@"
         "S;8.7371561768284867;7.2767878803618853;15.06704172442635;8.1187190543257071;"
         "18.451909123046125;12.54216118903415@"
         "S;21.836776521665897;16.965603323742592;20.994845347702075;23.295488871340456;"
         "16.57140321299363;26.680356269960228@C;@"},
        // The same, the bowls crossing three times along one run: the run put one crossing pair
        // at the middle crossing, the sliver near the counter took the wrong side, and the
        // union lost forty per cent of its area.
        {"bowls drawn alike and turned, crossing three times along one run",
         "M;93.070325166122387;46.535162583061194@"
         "S;93.070325166122387;72.235823208582445;72.235823208582445;93.070325166122387;"
         "46.535162583061194;93.070325166122387@"
         "S;20.834501957539938;93.070325166122387;0;72.235823208582445;0;46.535162583061194@"
         "S;0;20.834501957539938;20.834501957539938;0;46.535162583061194;0@"
         "S;72.235823208582445;0;93.070325166122387;20.834501957539938;93.070325166122387;"
         "46.535162583061194@C;@M;81.224928640599316;71.344987332648486@"
         "S;81.224928640599316;79.425327738557158;74.674518499105957;85.975737880050517;"
         "66.594178093197286;85.975737880050517@"
         "S;58.513837687288614;85.975737880050517;51.963427545795263;79.425327738557158;"
         "51.963427545795263;71.344987332648486@"
         "S;51.963427545795263;63.264646926739815;58.513837687288614;56.714236785246463;"
         "66.594178093197286;56.714236785246463@"
         "S;74.674518499105957;56.714236785246463;81.224928640599316;63.264646926739815;"
         "81.224928640599316;71.344987332648486@C;@",
         "M;0.54059116722375933;53.607697977484371@"
         "S;-3.3654622737546731;28.20559760951403;14.060526820667675;4.4466446082021918;"
         "39.462627188638017;0.54059116722375933@"
         "S;64.864727556608358;-3.3654622737546802;88.623680557920196;14.060526820667675;"
         "92.529733998898621;39.462627188638017@"
         "S;96.43578743987706;64.864727556608358;79.009798345454712;88.623680557920181;"
         "53.607697977484371;92.529733998898621@"
         "S;28.20559760951403;96.43578743987706;4.4466446082021989;79.009798345454712;"
         "0.54059116722375933;53.607697977484371@C;@M;8.4777198301337506;27.285790532534243@"
         "S;7.2496486180095445;19.299318083867554;12.728415325382038;11.829454536938144;"
         "20.714887774048726;10.601383324813938@"
         "S;28.701360222715415;9.3733121126897387;36.171223769644818;14.852078820062228;"
         "37.399294981769017;22.838551268728917@"
         "S;38.627366193893224;30.825023717395606;33.148599486520737;38.294887264325013;"
         "25.162127037854052;39.522958476449219@"
         "S;17.175654589187364;40.751029688573418;9.7057910422579496;35.272262981200932;"
         "8.4777198301337506;27.285790532534243@C;@"},
        // The same with a large counter; a shallow crossing past a run's end, which the search
        // found a little roughly, was taken for its touch there: the intersection held the
        // whole counter.
        {"bowls drawn alike and turned, a rough hit past a run's end, a large counter",
         "M;47.57591702302031;23.787958511510155@"
         "S;47.57591702302031;36.925685227024836;36.925685227024836;47.57591702302031;"
         "23.787958511510155;47.57591702302031@"
         "S;10.650231795995472;47.57591702302031;0;36.925685227024836;0;23.787958511510155@"
         "S;0;10.650231795995472;10.650231795995472;0;23.787958511510155;0@"
         "S;36.925685227024836;0;47.57591702302031;10.650231795995472;47.57591702302031;"
         "23.787958511510155@C;@M;46.520868076384168;26.98829639027409@"
         "S;46.520868076384168;16.822637448817417;38.279973252647835;8.5817426250810804;"
         "28.114314311191158;8.5817426250810804@"
         "S;17.948655369734485;8.5817426250810804;9.7077605459981484;16.822637448817417;"
         "9.7077605459981484;26.98829639027409@"
         "S;9.7077605459981484;37.153955331730764;17.948655369734485;45.394850155467097;"
         "28.114314311191158;45.394850155467097@"
         "S;38.279973252647835;45.394850155467097;46.520868076384168;37.153955331730764;"
         "46.520868076384168;26.98829639027409@C;@",
         "M;5.6096727358320422;8.4446571587012595@"
         "S;14.083544085046579;-1.5949328532717999;29.091669852345994;-2.864198613382495;"
         "39.131259864319048;5.6096727358320422@"
         "S;49.17084987629211;14.083544085046579;50.440115636402808;29.091669852345994;"
         "41.966244287188267;39.131259864319048@"
         "S;33.492372937973727;49.17084987629211;18.484247170674319;50.440115636402808;"
         "8.4446571587012595;41.966244287188267@"
         "S;-1.5949328532717999;33.492372937973727;-2.864198613382495;18.484247170674319;"
         "5.6096727358320422;8.4446571587012595@C;@M;8.480147296771122;6.6795320602873076@"
         "S;1.9232681718485125;14.447926865855065;2.905395681634257;26.060855891139369;"
         "10.67379048720202;32.617735016061985@"
         "S;18.442185292769778;39.174614140984588;30.055114318054088;38.192486631198847;"
         "36.611993442976697;30.424091825631088@"
         "S;43.168872567899307;22.655697020063329;42.186745058113559;11.042767994779023;"
         "34.4183502525458;4.4858888698564137@"
         "S;26.649955446978037;-2.0709902550661994;15.037026421693731;-1.0888627452804513;"
         "8.480147296771122;6.6795320602873076@C;@"},
        // The same turned by nearly an eighth of a turn: the bowls run along each other all the
        // way round, one outline to the answers, while the counter, touching its bowl, passed
        // through the sliver between them and crossed the other bowl there; the pieces beside
        // those crossings were decided against that bowl alone and the union lost 44%.
        {"bowls drawn alike, turned nearly an eighth, a counter crossing the other bowl",
         "M;86.567995340301138;43.283997670150569@"
         "S;86.567995340301138;19.37890584521481;67.189089495086336;0;43.283997670150569;0@"
         "S;19.37890584521481;0;0;19.37890584521481;0;43.283997670150569@"
         "S;0;67.189089495086336;19.37890584521481;86.567995340301138;43.283997670150569;"
         "86.567995340301138@"
         "S;67.189089495086336;86.567995340301138;86.567995340301138;67.189089495086336;"
         "86.567995340301138;43.283997670150569@C;@M;59.378743317105048;39.883117375130674@"
         "S;59.378743317105048;56.162636868393918;46.181585248203319;69.359794937295632;"
         "29.902065754940082;69.359794937295632@"
         "S;13.622546261676842;69.359794937295632;0.42538819277512019;56.162636868393918;"
         "0.42538819277512019;39.883117375130674@"
         "S;0.42538819277512019;23.603597881867433;13.622546261676842;10.406439812965711;"
         "29.902065754940082;10.406439812965711@"
         "S;46.181585248203319;10.406439812965711;59.378743317105048;23.603597881867433;"
         "59.378743317105048;39.883117375130674@C;@",
         "M;74.162930163846369;73.615433217440071@"
         "S;90.914519457089995;56.561469710117315;90.669396724762819;29.156654469698388;"
         "73.615433217440071;12.405065176454762@"
         "S;56.561469710117315;-4.3465241167888564;29.156654469698381;-4.1014013844616812;"
         "12.405065176454762;12.952562122861071@"
         "S;-4.3465241167888635;30.006525630183827;-4.1014013844616812;57.411340870602757;"
         "12.952562122861071;74.162930163846369@"
         "S;30.006525630183827;90.914519457089995;57.41134087060275;90.669396724762819;"
         "74.162930163846369;73.615433217440071@C;@M;57.149217569231737;52.136257346150721@"
         "S;45.741278773613573;63.750114903696698;27.078425387277473;63.917045042613779;"
         "15.4645678297315;52.509106246995614@"
         "S;3.8507102721855233;41.101167451377449;3.6837801332684279;22.438314065041354;"
         "15.0917189288866;10.824456507495377@"
         "S;26.499657724504765;-0.78940105005059991;45.16251111084086;-0.9563311889676811;"
         "56.776368668386837;10.451607606650484@"
         "S;68.390226225932807;21.859546402268645;68.557156364849902;40.522399788604744;"
         "57.149217569231737;52.136257346150721@C;@"},
        // The same, the bowls crossing next to the joints between the stretches of their run:
        // those crossings were not found, and the sliver beside them took the wrong side in the
        // union and the intersection only.
        {"bowls drawn alike and turned, crossing next to the joints of a run",
         "M;69.06432328057052;34.53216164028526@"
         "S;69.06432328057052;53.603747892906732;53.603747892906732;69.06432328057052;"
         "34.53216164028526;69.06432328057052@"
         "S;15.460575387663788;69.06432328057052;0;53.603747892906732;0;34.53216164028526@"
         "S;0;15.460575387663788;15.460575387663788;0;34.53216164028526;0@"
         "S;53.603747892906732;0;69.06432328057052;15.460575387663788;69.06432328057052;"
         "34.53216164028526@C;@M;69.050672724081537;33.797704645294353@"
         "S;69.050672724081537;25.642166403258997;62.439302691836254;19.030796371013714;"
         "54.283764449800898;19.030796371013714@"
         "S;46.128226207765543;19.030796371013714;39.51685617552026;25.642166403258997;"
         "39.51685617552026;33.797704645294353@"
         "S;39.51685617552026;41.953242887329708;46.128226207765543;48.564612919574991;"
         "54.283764449800898;48.564612919574991@"
         "S;62.439302691836254;48.564612919574991;69.050672724081537;41.953242887329708;"
         "69.050672724081537;33.797704645294353@C;@",
         "M;57.438811291150174;8.6911943727211636@"
         "S;71.710383433902535;21.342187644610732;73.024122179738924;43.167239148397812;"
         "60.373128907849356;57.438811291150174@"
         "S;47.722135635959788;71.710383433902535;25.897084132172704;73.024122179738924;"
         "11.625511989420342;60.373128907849356@"
         "S;-2.6460601533320229;47.722135635959788;-3.9597988991684048;25.897084132172704;"
         "8.6911943727211636;11.625511989420342@"
         "S;21.342187644610732;-2.6460601533320229;43.167239148397812;-3.9597988991684048;"
         "57.438811291150174;8.6911943727211636@C;@M;56.880150414863763;8.2142127792708273@"
         "S;50.77723108542493;2.8042978376416059;41.444234877568299;3.3660888937075093;"
         "36.034319935939074;9.4690082231463322@"
         "S;30.624404994309856;15.571927552585159;31.186196050375759;24.904923760441797;"
         "37.289115379814582;30.314838702071015@"
         "S;43.392034709253409;35.72475364370024;52.725030917110047;35.162962587634333;"
         "58.134945858739265;29.060043258195506@"
         "S;63.54486080036849;22.95712392875668;62.983069744302583;13.624127720900049;"
         "56.880150414863763;8.2142127792708273@C;@"},
        // A speck of a ring across the side of a glyph's counter, forty million times smaller: the
        // curve search took the ring's quarter arcs for points at the side's scale and answered
        // crossings off the ring by a twentieth of its size, and the sides of the pieces between
        // were read by rays whose hits on the ring were placed at the glyph's scale.
        {"a ring across a counter's side, forty million times smaller",
         "M;-1;0@L;5;0@S;6.5188249999999996;0;7.75;1.1192500000000001;7.75;2.5@"
         "S;7.75;3.8807499999999999;6.5188249999999996;5;5;5@L;5;6@"
         "S;6.5188249999999996;6;7.75;7.1192500000000001;7.75;8.5@"
         "S;7.75;9.880749999999999;6.5188249999999996;11;5;11@L;-1;11@L;-1;9@L;0;9@L;0;2@"
         "L;-1;2@C;@M;3;2@L;5;2@S;5.4142250000000001;2;5.75;2.559625;5.75;3.25@"
         "S;5.75;3.940375;5.4142250000000001;4.5;5;4.5@L;3;4.5@C;@M;3;9@L;5;9@"
         "S;5.4142250000000001;9;5.75;8.4403749999999995;5.75;7.75@"
         "S;5.75;7.0596250000000005;5.4142250000000001;6.5;5;6.5@L;3;6.5@C;@",
         "M;3.000000094869967;7.1248904337746248@"
         "S;3.000000094869967;7.1248905017538711;3.0000000397618996;7.1248905568619385;"
         "2.9999999717826529;7.1248905568619385@"
         "S;2.9999999038034062;7.1248905568619385;2.9999998486953388;7.1248905017538711;"
         "2.9999998486953388;7.1248904337746248@"
         "S;2.9999998486953388;7.1248903657953786;2.9999999038034062;7.1248903106873112;"
         "2.9999999717826529;7.1248903106873112@"
         "S;3.0000000397618996;7.1248903106873112;3.000000094869967;7.1248903657953786;"
         "3.000000094869967;7.1248904337746248@C;@M;3.000000055164382;7.1248904337746248@"
         "S;3.000000055164382;7.1248903833384096;3.000000014277751;7.1248903424517787;"
         "2.9999999638415358;7.1248903424517787@"
         "S;2.9999999134053206;7.1248903424517787;2.99999987251869;7.1248903833384096;"
         "2.99999987251869;7.1248904337746248@"
         "S;2.99999987251869;7.12489048421084;2.9999999134053206;7.124890525097471;"
         "2.9999999638415358;7.124890525097471@"
         "S;3.000000014277751;7.124890525097471;3.000000055164382;7.12489048421084;"
         "3.000000055164382;7.1248904337746248@C;@",
         true},
        // A speck wholly inside a glyph, a third of its size from the glyph's bottom side: the
        // containment rays passed "beside a joint" of the speck by a ten-millionth of the
        // coordinates, more than the speck's size, and left it outside.
        {"a speck just inside a glyph's side, crossing nothing",
         "M;0;0@L;6;0@S;7.1045999999999996;0;8;1.7907999999999999;8;4@"
         "S;8;6.2092000000000001;7.1045999999999996;8;6;8@L;0;8@C;@M;2;7@L;6;7@"
         "S;6.5522999999999998;7;7;5.6569000000000003;7;4@"
         "S;7;2.3430999999999997;6.5522999999999998;1;6;1@L;2;1@C;@",
         "M;2.4886558198527404;1.2867795245855451e-07@"
         "S;2.4886558198527404;1.6672906333217938e-07;2.4886557890051293;"
         "1.9757667411880209e-07;2.4886557509540186;1.9757667411880209e-07@"
         "S;2.4886557129029079;1.9757667411880209e-07;2.4886556820552967;"
         "1.6672906333217938e-07;2.4886556820552967;1.2867795245855451e-07@"
         "S;2.4886556820552967;9.0626841584929653e-08;2.4886557129029079;"
         "5.9779230798306936e-08;2.4886557509540186;5.9779230798306936e-08@"
         "S;2.4886557890051293;5.9779230798306936e-08;2.4886558198527404;"
         "9.0626841584929653e-08;2.4886558198527404;1.2867795245855451e-07@C;@",
         true},
        // A circle across a glyph's side, a million times smaller: the side's range converged to
        // six places, a piece still longer than the circle, and the crossings lay a twentieth of
        // the circle off it.
        {"a circle across a glyph's side, a million times smaller",
         "M;0;0@L;8.25;0@L;8.25;2@L;8.25;2@L;8.25;11@L;8.25;11@L;8.25;13@L;0;13@C;@M;2;7@"
         "L;6.25;7@L;6.25;2@L;2;2@C;@M;2;8@L;6.25;8@L;6.25;11@L;2;11@C;@",
         "M;6.2500002984465803;3.2652378029304923@"
         "S;6.2500002984465803;3.2652336016333923;6.2499968926223524;3.2652301958091634;"
         "6.2499926913252519;3.2652301958091634@"
         "S;6.2499884900281515;3.2652301958091634;6.2499850842039235;3.2652336016333923;"
         "6.2499850842039235;3.2652378029304923@"
         "S;6.2499850842039235;3.2652420042275923;6.2499884900281515;3.2652454100518211;"
         "6.2499926913252519;3.2652454100518211@"
         "S;6.2499968926223524;3.2652454100518211;6.2500002984465803;3.2652420042275923;"
         "6.2500002984465803;3.2652378029304923@C;@",
         true},
        // A letter a hundred million times smaller than the shape whose side it lies across.
        // Its counters' hole-or-fill rays passed within a billionth of the coordinates (a fifth
        // of the letter) of the outline's joints and met it within a hair of the ray's length
        // (a thousand letters) of their starts, so no ray was clear and the first, level with
        // the outline's corners, marked both counters fills.
        {"a speck of a letter lying across a long side, its counters read as fills",
         "M;7.5964178227030708;0.80343634188358659@L;19.543908297241984;0.80343634188358659@"
         "S;20.108968348457328;0.80343634188358659;20.567011775814034;1.2614797692402933;"
         "20.567011775814034;1.8265398204556362@L;20.567011775814034;10.593772366547725@"
         "S;20.567011775814034;11.158832417763069;20.108968348457328;11.616875845119775;"
         "19.543908297241984;11.616875845119775@L;7.5964178227030708;11.616875845119775@"
         "S;7.0313577714877278;11.616875845119775;6.5733143441310213;11.158832417763069;"
         "6.5733143441310213;10.593772366547725@L;6.5733143441310213;1.8265398204556362@"
         "S;6.5733143441310213;1.2614797692402933;7.0313577714877278;0.80343634188358659;"
         "7.5964178227030708;0.80343634188358659@C;@",
         "M;18.931306498883067;0.80343630844811864@L;18.931306554874858;0.80343630844811864@"
         "S;18.931306570336989;0.80343630844811864;18.931306582870754;0.80343632035519263;"
         "18.931306582870754;0.80343633504421874@"
         "S;18.931306582870754;0.80343634973324485;18.931306570336989;0.80343636164031895;"
         "18.931306554874858;0.80343636164031895@L;18.931306554874858;0.80343636723949785@"
         "S;18.931306570336989;0.80343636723949785;18.931306582870754;0.80343637914657196;"
         "18.931306582870754;0.80343639383559806@"
         "S;18.931306582870754;0.80343640852462417;18.931306570336989;0.80343642043169816;"
         "18.931306554874858;0.80343642043169816@L;18.931306498883067;0.80343642043169816@"
         "L;18.931306498883067;0.80343640923334025@L;18.931306510081427;0.80343640923334025@"
         "L;18.931306510081427;0.80343631964647655@L;18.931306498883067;0.80343631964647655@C;@"
         "M;18.931306532478143;0.80343631964647655@L;18.931306554874858;0.80343631964647655@"
         "S;18.931306564152138;0.80343631964647655;18.931306571672394;0.80343632842011015;"
         "18.931306571672394;0.80343633924360303@"
         "S;18.931306571672394;0.80343635006709591;18.931306564152138;0.80343635884072939;"
         "18.931306554874858;0.80343635884072939@L;18.931306532478143;0.80343635884072939@C;@"
         "M;18.931306532478143;0.80343640923334025@L;18.931306554874858;0.80343640923334025@"
         "S;18.931306564152138;0.80343640923334025;18.931306571672394;0.80343640045970666;"
         "18.931306571672394;0.80343638963621378@"
         "S;18.931306571672394;0.8034363788127209;18.931306564152138;0.80343637003908741;"
         "18.931306554874858;0.80343637003908741@L;18.931306532478143;0.80343637003908741@C;@",
         true},
        // A frame with two counters across a circle's arc: the counter's side shrank to a point
        // while its range still spanned more than six places, the arc's range was left wide and
        // not refined toward it, and the crossing was lost with the counter kept whole.
        {"a speck of a frame across an arc, the arc's crossing with a counter's side lost",
         "M;17.984278342809709;12.846664878692657@"
         "S;17.984278342809709;16.936925980733395;14.668466575205045;20.25273774833806;"
         "10.578205473164306;20.25273774833806@"
         "S;6.487944371123568;20.25273774833806;3.1721326035189046;16.936925980733395;"
         "3.1721326035189046;12.846664878692657@"
         "S;3.1721326035189046;8.7564037766519185;6.487944371123568;5.440592009047255;"
         "10.578205473164306;5.440592009047255@"
         "S;14.668466575205045;5.440592009047255;17.984278342809709;8.7564037766519185;"
         "17.984278342809709;12.846664878692657@C;@",
         "M;13.833072494021964;19.501023210475832@L;13.833072543556638;19.501023210475832@"
         "L;13.833072543556638;19.501023219090555@L;13.833072547864001;19.501023219090555@"
         "L;13.833072547864001;19.501023262164189@L;13.833072543556638;19.501023262164189@"
         "L;13.833072543556638;19.501023270778912@L;13.833072494021964;19.501023270778912@C;@"
         "M;13.833072502636689;19.501023219090555@L;13.833072534941913;19.501023219090555@"
         "L;13.833072534941913;19.501023249242099@L;13.833072502636689;19.501023249242099@C;@"
         "M;13.833072502636689;19.501023262164189@L;13.833072534941913;19.501023262164189@"
         "L;13.833072534941913;19.501023253549462@L;13.833072502636689;19.501023253549462@C;@",
         true},
        // A letter across a rectangle's top: the side's range closed in to a piece 1e-13 long
        // and the next clip, of the bowl against it, shaved the crossing off by rounding; with
        // one crossing of the outline lost, the pieces around the letter turned over the
        // whole of every answer.
        {"a speck of a letter across a level side, the side's crossing with the bowl lost",
         "M;3.1450963230277105;13.019660710974694@L;8.9826654408536228;13.019660710974694@"
         "L;8.9826654408536228;7.7287141789976159@L;3.1450963230277105;7.7287141789976159@C;@",
         "M;8.8677138510643818;7.7287141683538634@L;8.8677138607090153;7.7287141683538634@"
         "S;8.8677138626325576;7.7287141683538634;8.867713864191801;7.7287141697931645;"
         "8.867713864191801;7.7287141715687415@"
         "S;8.867713864191801;7.7287141733443185;8.8677138626325576;7.7287141747836197;"
         "8.8677138607090153;7.7287141747836197@L;8.8677138607090153;7.728714175855246@"
         "S;8.8677138626325576;7.728714175855246;8.867713864191801;7.7287141772945471;"
         "8.867713864191801;7.7287141790701241@"
         "S;8.867713864191801;7.7287141808457012;8.8677138626325576;7.7287141822850023;"
         "8.8677138607090153;7.7287141822850023@L;8.8677138510643818;7.7287141822850023@"
         "L;8.8677138510643818;7.7287141801417496@L;8.8677138532076345;7.7287141801417496@"
         "L;8.8677138532076345;7.7287141704971161@L;8.8677138510643818;7.7287141704971161@C;@"
         "M;8.8677138564225118;7.7287141704971161@L;8.8677138607090153;7.7287141704971161@"
         "S;8.8677138614488396;7.7287141704971161;8.8677138620485483;7.7287141713367076;"
         "8.8677138620485483;7.7287141723724613@"
         "S;8.8677138620485483;7.728714173408215;8.8677138614488396;7.7287141742478065;"
         "8.8677138607090153;7.7287141742478065@L;8.8677138564225118;7.7287141742478065@C;@"
         "M;8.8677138564225118;7.7287141801417496@L;8.8677138607090153;7.7287141801417496@"
         "S;8.8677138614488396;7.7287141801417496;8.8677138620485483;7.7287141793021581;"
         "8.8677138620485483;7.7287141782664044@"
         "S;8.8677138620485483;7.7287141772306507;8.8677138614488396;7.7287141763910592;"
         "8.8677138607090153;7.7287141763910592@L;8.8677138564225118;7.7287141763910592@C;@",
         true},
        // A circle lying on a ring's hole, whose arc crosses one of its quarters twice: both
        // crossings lay in one range of each curve, closed in from outside; the halves searched
        // after the split shaved each off at their outer corners in their first clip.
        {"a speck of a circle on a ring's hole, both crossings with one quarter lost",
         "M;8;4@S;8;1.7908610006768257;6.2091389993231747;0;4;0@"
         "S;1.7908610006768257;0;0;1.7908610006768257;0;4@"
         "S;0;6.2091389993231747;1.7908610006768257;8;4;8@"
         "S;6.2091389993231747;8;8;6.2091389993231747;8;4@C;@M;6;4@"
         "S;6;2.8954305003384126;5.1045694996615874;2;4;2@"
         "S;2.8954305003384126;2;2;2.8954305003384126;2;4@"
         "S;2;5.1045694996615874;2.8954305003384126;6;4;6@"
         "S;5.1045694996615874;6;6;5.1045694996615874;6;4@C;@",
         "M;2.5599373378102621;2.6121148449590499@"
         "S;2.5599373378102621;2.6121145788796318;2.5599371221102754;2.6121143631796451;"
         "2.5599368560308573;2.6121143631796451@"
         "S;2.5599365899514392;2.6121143631796451;2.5599363742514525;2.6121145788796318;"
         "2.5599363742514525;2.6121148449590499@"
         "S;2.5599363742514525;2.6121151110384679;2.5599365899514392;2.6121153267384547;"
         "2.5599368560308573;2.6121153267384547@"
         "S;2.5599371221102754;2.6121153267384547;2.5599373378102621;2.6121151110384679;"
         "2.5599373378102621;2.6121148449590499@C;@",
         true},
        // A ring ten million times smaller across a counter's side: the inside test of a point
        // between the ring's circles missed the outer circle on the ray upward, whose distances
        // from the quarter's strip ran to millions at the ring's scale, and both crossings with
        // the outer circle read as touches; the counter's whole outline was traced.
        {"a speck of a ring across a counter's side, its outer circle's crossings read as touches",
         "M;0;13@L;9.25;13@L;9.25;12@L;9.25;12@L;9.25;1@L;9.25;1@L;9.25;0@L;0;0@C;@M;1;2@L;8.25;2@"
         "L;8.25;1@L;1;1@C;@M;1;12@L;8.25;12@L;8.25;3@L;1;3@C;@",
         "M;1.0000004664183648;1.0125293032096667@"
         "S;1.0000004664183648;1.0125296690283727;1.0000001698637095;1.012529965583028;"
         "0.99999980404500355;1.012529965583028@"
         "S;0.99999943822629744;1.012529965583028;0.99999914167164239;1.0125296690283727;"
         "0.99999914167164239;1.0125293032096667@"
         "S;0.99999914167164239;1.0125289373909607;0.99999943822629744;1.0125286408363054;"
         "0.99999980404500355;1.0125286408363054@"
         "S;1.0000001698637095;1.0125286408363054;1.0000004664183648;1.0125289373909607;"
         "1.0000004664183648;1.0125293032096667@C;@M;1.0000003339436925;1.0125293032096667@"
         "S;1.0000003339436925;1.012529571476718;1.0000001164702788;1.0125297889501317;"
         "0.99999984820322763;1.0125297889501317@"
         "S;0.9999995799361765;1.0125297889501317;0.99999936246276278;1.012529571476718;"
         "0.99999936246276278;1.0125293032096667@"
         "S;0.99999936246276278;1.0125290349426155;0.9999995799361765;1.0125288174692018;"
         "0.99999984820322763;1.0125288174692018@"
         "S;1.0000001164702788;1.0125288174692018;1.0000003339436925;1.0125290349426155;"
         "1.0000003339436925;1.0125293032096667@C;@",
         true},
        // A letter ten million times smaller lying at a joint of a long side: every containment
        // ray through its counters passed within a ten-millionth of the side's size of that
        // joint and judged nothing, so the counters, crossing nothing, were left out as outside
        // the side's shape and read as fills of the answer.
        {"a speck of a letter at a long side's joint, its counters read as outside the shape",
         "M;0;13@L;9.25;13@L;9.25;11@L;9.25;11@L;9.25;2@L;9.25;2@L;9.25;0@L;0;0@C;@M;2;4@L;7.25;4@"
         "L;7.25;2@L;2;2@C;@M;2;5@L;7.25;5@L;7.25;11@L;2;11@C;@",
         "M;9.2499990198273494;1.999999100558437@L;9.2499998224492046;1.999999100558437@"
         "S;9.2499999649346503;1.999999100558437;9.2500000804348019;1.9999992096419135;"
         "9.2500000804348019;1.9999993442115003@"
         "S;9.2500000804348019;1.9999994787810871;9.2499999649346503;1.9999995878645633;"
         "9.2499998224492046;1.9999995878645633@L;9.2499998224492046;1.999999645194696@"
         "S;9.2499999649346503;1.999999645194696;9.2500000804348019;1.9999997542781722;"
         "9.2500000804348019;1.999999888847759@"
         "S;9.2500000804348019;2.0000000234173458;9.2499999649346503;2.0000001325008223;"
         "9.2499998224492046;2.0000001325008223@L;9.2499990198273494;2.0000001325008223@"
         "L;9.2499990198273494;2.000000017840557@L;9.24999924914788;2.000000017840557@"
         "L;9.24999924914788;1.9999992152187021@L;9.2499990198273494;1.9999992152187021@C;@"
         "M;9.2499994784684105;1.9999992152187021@L;9.2499998224492046;1.9999992152187021@"
         "S;9.2499999016077847;1.9999992152187021;9.2499999657745366;1.999999292218803;"
         "9.2499999657745366;1.9999993872090995@"
         "S;9.2499999657745366;1.9999994821993963;9.2499999016077847;1.9999995591994972;"
         "9.2499998224492046;1.9999995591994972@L;9.2499994784684105;1.9999995591994972@C;@"
         "M;9.2499994784684105;1.9999996738597621@L;9.2499998224492046;1.9999996738597621@"
         "S;9.2499999016077847;1.9999996738597621;9.2499999657745366;1.999999750859863;"
         "9.2499999657745366;1.9999998458501598@"
         "S;9.2499999657745366;1.9999999408404563;9.2499999016077847;2.000000017840557;"
         "9.2499998224492046;2.000000017840557@L;9.2499994784684105;2.000000017840557@C;@",
         true},
        // A ring four hundred million times smaller than the circle it lies across, poking out a
        // thirtieth of itself past the circle's side. The circle's piece inside the ring lies a
        // thirtieth of the ring's size off its outline, clear at the ring's scale, and was read
        // by the inside test's rays ten units long, whose search met none of the ring that near
        // their start: the piece read as outside, both of the circle's pieces alike.
        {"a ring across a circle's side, four hundred million times smaller",
         "M;15.233109253900622;9.4563390405757879@S;15.233109253900622;7.6730997061556341;"
         "13.787508148735046;6.2274986009900584;12.004268814314893;6.2274986009900584@S;"
         "10.221029479894739;6.2274986009900584;8.775428374729163;7.6730997061556341;"
         "8.775428374729163;9.4563390405757879@S;8.775428374729163;11.239578374995942;"
         "10.221029479894739;12.685179480161517;12.004268814314893;12.685179480161517@S;"
         "13.787508148735046;12.685179480161517;15.233109253900622;11.239578374995942;"
         "15.233109253900622;9.4563390405757879@C;@",
         "M;8.775849939106946;9.5090495291718842@S;8.775849939106946;9.5090495248073825;"
         "8.775849935568818;9.5090495212692545;8.7758499312043163;9.5090495212692545@S;"
         "8.7758499268398147;9.5090495212692545;8.7758499233016867;9.5090495248073825;"
         "8.7758499233016867;9.5090495291718842@S;8.7758499233016867;9.5090495335363858;"
         "8.7758499268398147;9.5090495370745138;8.7758499312043163;9.5090495370745138@S;"
         "8.775849935568818;9.5090495370745138;8.775849939106946;9.5090495335363858;"
         "8.775849939106946;9.5090495291718842@C;@M;8.7758499361664324;9.5090495291718842@S;"
         "8.7758499361664324;9.509049526431383;8.7758499339448175;9.5090495242097681;"
         "8.7758499312043163;9.5090495242097681@S;8.7758499284638152;9.5090495242097681;"
         "8.7758499262422003;9.509049526431383;8.7758499262422003;9.5090495291718842@S;"
         "8.7758499262422003;9.5090495319123853;8.7758499284638152;9.5090495341340002;"
         "8.7758499312043163;9.5090495341340002@S;8.7758499339448175;9.5090495341340002;"
         "8.7758499361664324;9.5090495319123853;8.7758499361664324;9.5090495291718842@C;@",
         true},
        // A speck three hundred million times smaller across a glyph's side where the side runs
        // straight on through a joint (its point repeated), its two counters inside the glyph:
        // every containment ray of a counter passed the joint, or the side's corners, nearer
        // than an end still reads as on the ray, none judged, and the counter was left out as
        // outside the glyph.
        {"a speck across a side's straight joint, its counters crossing nothing",
         "M;0;0@L;10;0@L;10;2@L;10;2@L;10;6@L;10;6@L;10;8@L;0;8@C;@M;2;3@L;8;3@L;8;2@L;2;2@C;@"
         "M;2;4@L;8;4@L;8;6@L;2;6@C;@",
         "M;9.9999999803896564;6.000000001737102@L;10.000000001663972;6.000000001737102@"
         "L;10.000000001663972;5.9999999962469559@L;10.000000004409046;5.9999999962469559@"
         "L;10.000000004409046;5.9999999770314449@L;10.000000001663972;5.9999999770314449@"
         "L;10.000000001663972;5.9999999715412988@L;9.9999999803896564;5.9999999715412988@C;@"
         "M;9.9999999858798034;5.9999999770314449@L;9.9999999961738268;5.9999999770314449@"
         "L;9.9999999961738268;5.9999999825215911@L;9.9999999858798034;5.9999999825215911@C;@"
         "M;9.9999999858798034;5.9999999962469559@L;9.9999999961738268;5.9999999962469559@"
         "L;9.9999999961738268;5.9999999852666637@L;9.9999999858798034;5.9999999852666637@C;@",
         true},
        // A circle seven hundred million times smaller just inside a glyph, level with a joint
        // where its side runs straight on: no ray judged, and the circle was taken for outside.
        {"a speck of a circle just inside a side, level with its straight joint",
         "M;0;11@L;7.75;11@L;7.75;10@L;7.75;10@L;7.75;1@L;7.75;1@L;7.75;0@L;0;0@C;@M;1;1@"
         "L;6.75;1@L;6.75;2@L;1;2@C;@M;1;3@L;6.75;3@L;6.75;10@L;1;10@C;@",
         "M;7.7499999958736323;10.000000002142471@"
         "S;7.7499999958736323;10.000000006330664;7.7499999924782408;10.000000009726055;7."
         "7499999882900479;10.000000009726055@"
         "S;7.749999984101855;10.000000009726055;7.7499999807064635;10.000000006330664;7."
         "7499999807064635;10.000000002142471@"
         "S;7.7499999807064635;9.9999999979542782;7.749999984101855;9.9999999945588876;7."
         "7499999882900479;9.9999999945588876@"
         "S;7.7499999924782408;9.9999999945588876;7.7499999958736323;9.9999999979542782;7."
         "7499999958736323;10.000000002142471@"
         "C;@",
         true},
        {"a speck of a circle just inside a side, over its straight joint",
         "M;0;0@L;10.25;0@L;10.25;2@L;10.25;2@L;10.25;11@L;10.25;11@L;10.25;13@L;0;13@C;@M;2;2@"
         "L;8.25;2@L;8.25;7@L;2;7@C;@M;2;8@L;8.25;8@L;8.25;11@L;2;11@C;@",
         "M;10.249999996161197;11.000000006869481@"
         "S;10.249999996161197;11.000000010565888;10.249999993164666;11.000000013562419;10."
         "249999989468259;11.000000013562419@"
         "S;10.249999985771852;11.000000013562419;10.249999982775321;11.000000010565888;10."
         "249999982775321;11.000000006869481@"
         "S;10.249999982775321;11.000000003173074;10.249999985771852;11.000000000176543;10."
         "249999989468259;11.000000000176543@"
         "S;10.249999993164666;11.000000000176543;10.249999996161197;11.000000003173074;10."
         "249999996161197;11.000000006869481@"
         "C;@",
         true},
        // A circle a hundred million times smaller than the one whose side it lies across,
        // poking out a fortieth of itself: the side crosses one quarter of the small circle
        // twice. The search closed in on both crossings from outside, then halved the small
        // arc's range; the half ending on the second crossing shaved it off in its first clip,
        // at a corner of the ranges half a ten-thousandth of the small circle away. One crossing
        // was left, and the small circle read as wholly inside.
        {"a circle across a circle's side, a hundred million times smaller",
         "M;13.133752321693809;12.61855642880067@S;13.133752321693809;15.440740399609899;"
         "10.845920179123343;17.728572542180366;8.0237362083141139;17.728572542180366@S;"
         "5.2015522375048846;17.728572542180366;2.9137200949344191;15.440740399609899;"
         "2.9137200949344191;12.61855642880067@S;2.9137200949344191;9.7963724579914402;"
         "5.2015522375048846;7.5085403154209747;8.0237362083141139;7.5085403154209747@S;"
         "10.845920179123343;7.5085403154209747;13.133752321693809;9.7963724579914402;"
         "13.133752321693809;12.61855642880067@C;@",
         "M;3.9708605809664235;9.5058282510611978@S;3.9708605809664235;9.5058282227548148;"
         "3.9708605580127485;9.5058281998011402;3.970860529706365;9.5058281998011402@S;"
         "3.9708605013999816;9.5058281998011402;3.9708604784463066;9.5058282227548148;"
         "3.9708604784463066;9.5058282510611978@S;3.9708604784463066;9.5058282793675808;"
         "3.9708605013999816;9.5058283023212553;3.970860529706365;9.5058283023212553@S;"
         "3.9708605580127485;9.5058283023212553;3.9708605809664235;9.5058282793675808;"
         "3.9708605809664235;9.5058282510611978@C;@",
         true},
        // The same against a ring's inner side, the second crossing a hundredth of the small
        // circle from the end of its quarter.
        {"a circle across a ring's inner side, a hundred million times smaller",
         "M;11.25;6.5@S;11.25;3.3933982822017863;8.7316017177982133;0.875;5.625;0.875@S;"
         "2.5183982822017863;0.875;0;3.3933982822017863;0;6.5@S;0;9.6066017177982133;"
         "2.5183982822017863;12.125;5.625;12.125@S;8.7316017177982133;12.125;11.25;"
         "9.6066017177982133;11.25;6.5@C;@M;9;6.5@S;9;4.4979677818633732;7.3770322181366268;2.875;"
         "5.375;2.875@S;3.3729677818633732;2.875;1.75;4.4979677818633732;1.75;6.5@S;1.75;"
         "8.5020322181366268;3.3729677818633732;10.125;5.375;10.125@S;7.3770322181366268;10.125;9;"
         "8.5020322181366268;9;6.5@C;@",
         "M;7.564860670701429;3.6109563969731755@S;7.564860670701429;3.6109563733275678;"
         "7.56486065152595;3.6109563541520879;7.5648606278803419;3.6109563541520879@S;"
         "7.5648606042347337;3.6109563541520879;7.5648605850592547;3.6109563733275678;"
         "7.5648605850592547;3.6109563969731755@S;7.5648605850592547;3.6109564206187832;"
         "7.5648606042347337;3.6109564397942631;7.5648606278803419;3.6109564397942631@S;"
         "7.56486065152595;3.6109564397942631;7.564860670701429;3.6109564206187832;"
         "7.564860670701429;3.6109563969731755@C;@",
         true},
        // A straight-sided speck a hundred million times smaller than a circle, centred on the
        // circle's joint: each arc crosses a side of the speck half the speck from the joint,
        // six ten-billionths of the arc from its end. The first round's second clip shaved the
        // crossing off at a corner of the ranges, where nothing looked back; the end margin, by
        // the arc's parameter, would have dropped it as the joint's. Both outlines were kept
        // whole by the union and the intersection was empty.
        {"a speck centred on a circle's joint, crossed by both arcs",
         "M;13.133836208314115;12.61855642880067@S;13.133836208314115;15.440786728911007;"
         "10.845966508424452;17.72865642880067;8.023736208314114;17.72865642880067@S;"
         "5.201505908203776;17.72865642880067;2.913636208314114;15.440786728911007;"
         "2.913636208314114;12.61855642880067@S;2.913636208314114;9.796326128690332;"
         "5.201505908203776;7.508456428800669;8.023736208314114;7.508456428800669@S;"
         "10.845966508424452;7.508456428800669;13.133836208314115;9.796326128690332;"
         "13.133836208314115;12.61855642880067@C;@",
         "M;2.9136362058141136;12.618556423800669@L;2.9136362108141136;12.618556423800669@"
         "L;2.9136362108141136;12.61855643380067@L;2.9136362058141136;12.61855643380067@"
         "S;2.9136362028141138;12.61855643380067;2.9136362008141137;12.61855643180067;"
         "2.9136362008141137;12.61855642880067@S;2.9136362008141137;12.618556425800669;"
         "2.9136362028141138;12.618556423800669;2.9136362058141136;12.618556423800669@C;@",
         true},
        // A ring thirty thousand times smaller across a circle (far-apart seed 47378): the
        // answers were right, but the clipper, reading the ring a few of its cells across, gave
        // its exclusive or turned the other way round, and the areas were compared with signs.
        {"a ring a few of the clipper's cells across, on a circle's outline",
         "M;11.459905830493936;11.234233493706316@"
         "S;11.459905830493936;14.173233493706316;9.0779058304939362;16.555233493706318;6."
         "1389058304939361;16.555233493706318@"
         "S;3.1999058304939361;16.555233493706318;0.81790583049393639;14.173233493706316;0."
         "81790583049393639;11.234233493706316@"
         "S;0.81790583049393639;8.2952334937063164;3.1999058304939361;5.9132334937063167;6."
         "1389058304939361;5.9132334937063167@"
         "S;9.0779058304939362;5.9132334937063167;11.459905830493936;8.2952334937063164;11."
         "459905830493936;11.234233493706316@"
         "C;@",
         "M;9.1075469826050384;15.650839176661453@"
         "S;9.1075469826050384;15.650948670785599;9.1074582200795486;15.651037433311089;9."
         "1073487259554025;15.651037433311089@"
         "S;9.1072392318312563;15.651037433311089;9.1071504693057665;15.650948670785599;9."
         "1071504693057665;15.650839176661453@"
         "S;9.1071504693057665;15.650729682537307;9.1072392318312563;15.650640920011817;9."
         "1073487259554025;15.650640920011817@"
         "S;9.1074582200795486;15.650640920011817;9.1075469826050384;15.650729682537307;9."
         "1075469826050384;15.650839176661453@"
         "C;@M;9.1074886718257346;15.650839176661453@"
         "S;9.1074886718257346;15.650755445860636;9.10742079460036;15.650687568635261;9."
         "107337063799541;15.650687568635261@"
         "S;9.1072533329987237;15.650687568635261;9.1071854557733491;15.650755445860636;9."
         "1071854557733491;15.650839176661453@"
         "S;9.1071854557733491;15.65092290746227;9.1072533329987237;15.650990784687645;9."
         "107337063799541;15.650990784687645@"
         "S;9.10742079460036;15.650990784687645;9.1074886718257346;15.65092290746227;9."
         "1074886718257346;15.650839176661453@"
         "C;@",
         true},
        // A square and its copy scaled by a hundred-millionth about a point inside it: every side
        // a few hundred-millionths from the other's, no stretch shared and every ray meeting both
        // within a touch of each other, and no point of one clear of the other. Neither was
        // taken to hold the other, and the union was both squares, filling nothing.
        {"a square and its copy scaled by a hundred-millionth",
         "M;5.0482212821995054;1.6253963708703734@L;10.892800657418249;1.6253963708703734@"
         "L;10.892800657418249;10.64605337899571@L;5.0482212821995054;10.64605337899571@C;@",
         "M;5.0482213172144332;1.6253964603619497@L;10.892800609444048;1.6253964603619497@"
         "L;10.892800609444048;10.646053340399975@L;5.0482213172144332;10.646053340399975@C;@"},
        {"a square and its copy scaled by a hundred-millionth, the point elsewhere",
         "M;6.2487428416638018;13.587191787309521@L;14.82223319338282;13.587191787309521@"
         "L;14.82223319338282;2.0777607618393681@L;6.2487428416638018;2.0777607618393681@C;@",
         "M;6.2487428984331039;13.587191702890161@L;14.822233153861717;13.587191702890161@"
         "L;14.822233153861717;2.0777608066844886@L;6.2487428984331039;2.0777608066844886@C;@"},
        // A speck a billion times smaller across a ring's lowest joint, one of its counters a
        // hair inside the ring beside the joint, crossing nothing: no containment ray of the
        // counter judged, and the outer circle's own inside test at the counter's point farthest
        // from it, whose rays pass the joint that near too, took the counter for outside.
        {"a speck across a ring's joint, a counter a hair inside it beside the joint",
         "M;8.25;6.5@S;8.25;8.7781745930520234;6.4031745930520234;10.625;4.125;10.625@"
         "S;1.8468254069479766;10.625;0;8.7781745930520234;0;6.5@"
         "S;0;4.2218254069479766;1.8468254069479766;2.375;4.125;2.375@"
         "S;6.4031745930520234;2.375;8.25;4.2218254069479766;8.25;6.5@C;@M;7;6.5@"
         "S;7;4.7741101567787698;5.6008898432212302;3.375;3.875;3.375@"
         "S;2.1491101567787698;3.375;0.75;4.7741101567787698;0.75;6.5@"
         "S;0.75;8.2258898432212302;2.1491101567787698;9.625;3.875;9.625@"
         "S;5.6008898432212302;9.625;7;8.2258898432212302;7;6.5@C;@",
         "M;4.1249999949072116;2.3750000070124999@L;4.1250000001427889;2.3750000070124999@"
         "L;4.1250000001427889;2.3750000057432694@L;4.1250000001427889;2.3750000057432694@"
         "L;4.1250000001427889;2.3750000000317306@L;4.1250000001427889;2.3750000000317306@"
         "L;4.1250000001427889;2.3749999987625001@L;4.1249999949072116;2.3749999987625001@C;@"
         "M;4.1249999961764425;2.3750000032048075@L;4.1249999988735579;2.3750000032048075@"
         "L;4.1249999988735579;2.3750000000317306@L;4.1249999961764425;2.3750000000317306@C;@"
         "M;4.1249999961764425;2.375000003839423@L;4.1249999988735579;2.375000003839423@"
         "L;4.1249999988735579;2.3750000057432694@L;4.1249999961764425;2.3750000057432694@C;@",
         true},
    };
    for (const Row &row : rows) {
        const std::optional<BezierPath> a = pathFromString(QString::fromLatin1(row.a));
        const std::optional<BezierPath> b = pathFromString(QString::fromLatin1(row.b));
        ASSERT_TRUE(a && b) << row.name;
        std::vector<std::string> faults =
            row.farApartInSize
                ? pathcases::checkPair(*a, *b)
                : pathcases::checkPair(*a, *b, kFineFlatness, pathcases::Curls::Always);
        if (row.farApartInSize) {
            for (const std::string &fault : pointsAroundTheSmallerFaults(
                     *a, *b, b->bounds().center(), pathcases::ShapeMaker::sizeOf(*b)))
                faults.push_back(fault);
        }
        EXPECT_TRUE(faults.empty()) << row.name << "\n" << pathcases::describe(faults, *a, *b);
    }
}

// A shape whose curve runs into its joint on a side at a small angle, against a copy moved along
// that side whose corner there lands on the shape's side: the two joints lie a hair to a few
// hundredths apart along it, and the copy's curve runs into its joint a tail's length or more
// from the shape's. Each angle the curve comes in at, from outside and from inside, each shift,
// each direction the copy's side leaves its corner in, either operand first.
TEST(PathBooleanPieces, CornerLandingOnASideNearTheOthersJoint)
{
    const QPointF joint(53.197215118008607, 0);
    auto shape = [&joint](double shift, double sine, const QPointF *corner) {
        const QPointF d(-shift, 0);
        BezierPath path;
        path.moveToPoint(QPointF(-0.95357976345137541, 38.466710057649486) + d);
        path.lineToPoint(QPointF(31.49579788418222, 38.466710057649486) + d);
        path.lineToPoint(QPointF(74.985457791424153, 0.34025189200045813) + d);
        path.lineToPoint(QPointF(71.869885602449642, -17.638374625713567) + d);
        path.curveToPoint(joint + d, QPointF(68.842963375047304, -5.067465680685423) + d,
                          joint + d + QPointF(11.83487, -11.83487 * sine));
        path.lineToPoint(corner ? joint + d + *corner : QPointF(-0.95357976345137541, 0) + d);
        path.closePath();
        return path;
    };
    int failed = 0;
    for (double shift : {3e-4, 1.2e-3, 2e-3, 0.01}) {
        for (double sine : {1e-4, 1e-2, -1e-3}) {
            for (double angle : {0.1, 1.5, 2.6}) {
                const QPointF corner(0.65 * std::cos(angle), 0.65 * std::sin(angle));
                const BezierPath a = shape(0, sine, nullptr);
                const BezierPath b = shape(shift, sine, &corner);
                for (bool swapped : {false, true}) {
                    const std::vector<std::string> faults =
                        swapped
                            ? pathcases::checkPair(b, a, kFineFlatness, pathcases::Curls::Always)
                            : pathcases::checkPair(a, b, kFineFlatness, pathcases::Curls::Always);
                    if (faults.empty())
                        continue;
                    ++failed;
                    ADD_FAILURE() << "shift " << shift << ", sine " << sine << ", corner at "
                                  << angle << (swapped ? ", the copy first" : "") << "\n"
                                  << pathcases::describe(faults, swapped ? b : a, swapped ? a : b);
                }
            }
        }
    }
    EXPECT_EQ(failed, 0);
}

// A speck (a frame a billion times smaller) at a joint of a long outline: where its side runs
// straight on through a joint and at a corner, their points drawn once or twice, at a circle's
// joints, and where curves meet at a sharp corner. Inside by most of its size, across the side,
// and outside. Every ray along the axes through such a speck passes the joint nearer than an end
// still reads as on the ray, and so does every ray from a point of the speck.
TEST(PathBooleanPieces, SpeckAtALongOutlinesJoint)
{
    // With `repeated`, the straight joint's point and the corner's are drawn twice (sides of no
    // length), which must read as the same outline drawn once.
    auto outline = [](bool repeated) {
        BezierPath path;
        path.moveToPoint({0, 0});
        path.lineToPoint({10, 0});
        path.lineToPoint({10, 6});
        if (repeated)
            path.lineToPoint({10, 6});
        path.lineToPoint({10, 8});
        if (repeated)
            path.lineToPoint({10, 8});
        path.lineToPoint({0, 8});
        path.closePath();
        // A counter below the joint, its top level with it.
        path.moveToPoint({2, 4});
        path.lineToPoint({8, 4});
        path.lineToPoint({8, 6});
        path.lineToPoint({2, 6});
        path.closePath();
        return path;
    };
    constexpr double Size = 1e-8;
    auto frame = [](QPointF centre) {
        // The outline one way round, its counter the other.
        BezierPath path;
        const double h = Size / 2, q = Size / 4;
        path.moveToPoint(centre + QPointF(-h, -h));
        path.lineToPoint(centre + QPointF(h, -h));
        path.lineToPoint(centre + QPointF(h, h));
        path.lineToPoint(centre + QPointF(-h, h));
        path.closePath();
        path.moveToPoint(centre + QPointF(-q, -q));
        path.lineToPoint(centre + QPointF(-q, q));
        path.lineToPoint(centre + QPointF(q, q));
        path.lineToPoint(centre + QPointF(q, -q));
        path.closePath();
        return path;
    };
    // A lens: an arc over a curve and a side, meeting at sharp corners.
    BezierPath lens;
    lens.moveToPoint({0, 0});
    lens.curveToPoint({10, 0}, {3, 4}, {7, 4});
    lens.curveToPoint({4, -2}, {8, -2}, {6, -2.5});
    lens.lineToPoint({0, 0});
    lens.closePath();
    struct Joint
    {
        const char *name;
        QPointF at;
        BezierPath large;
        // Curves meet there: the speck is tried at more places across the outline.
        bool curved = false;
    };
    const Joint joints[] = {{"a straight joint", {10, 6}, outline(false)},
                            {"a straight joint drawn twice", {10, 6}, outline(true)},
                            {"a corner", {10, 8}, outline(false)},
                            {"a corner drawn twice", {10, 8}, outline(true)},
                            {"a circle's joint on its side", {9, 4}, circlePath(5, 4, 4), true},
                            {"a circle's joint at its top", {5, 8}, circlePath(5, 4, 4), true},
                            {"two arcs' sharp corner", {10, 0}, lens, true},
                            {"an arc's joint with a side", {4, -2}, lens, true}};
    // Moved by less than half its size, the speck lies across the outline.
    const std::vector<QPointF> offsets = {{-0.8, -0.4}, {-0.8, 0.3}, {0.1, -0.2}, {0.8, -0.3}};
    const std::vector<QPointF> curvedOffsets = {{-0.8, -0.4}, {0.1, -0.2},  {-0.3, 0.1},
                                                {0.2, 0.35},  {0.05, -0.7}, {0.8, -0.3}};
    for (const Joint &joint : joints) {
        const BezierPath &large = joint.large;
        for (const QPointF offset : joint.curved ? curvedOffsets : offsets) {
            const BezierPath speck = frame(joint.at + Size * offset);
            std::vector<std::string> faults = pathcases::checkPair(large, speck);
            for (const std::string &fault :
                 pointsAroundTheSmallerFaults(large, speck, speck.bounds().center(), Size))
                faults.push_back(fault);
            EXPECT_TRUE(faults.empty())
                << joint.name << ", the speck at " << offset.x() << ", " << offset.y() << "\n"
                << pathcases::describe(faults, large, speck);
        }
    }
}

// A speck sharing a stretch of a long outline's side up to the side's corner, and leaving the
// outline there: the stretch lies within the reach of the long side's end by which a stretch
// reads as reaching it, and was taken for a point. Drawn either way round, alone and as a counter
// of a larger speck.
TEST(PathBooleanPieces, SpeckSharingASideUpToItsCorner)
{
    BezierPath square;
    square.moveToPoint({0, 0});
    square.lineToPoint({10, 0});
    square.lineToPoint({10, 10});
    square.lineToPoint({0, 10});
    square.closePath();
    for (const double size : {1e-2, 1e-4, 1e-6}) {
        const double left = 10 - 0.7 * size, right = 10 + 0.3 * size, bottom = 10 - 0.6 * size;
        for (const bool reversed : {false, true}) {
            for (const bool framed : {false, true}) {
                BezierPath speck;
                if (framed) {
                    speck.moveToPoint({left - size, bottom - size});
                    speck.lineToPoint({right + size, bottom - size});
                    speck.lineToPoint({right + size, 10 + size});
                    speck.lineToPoint({left - size, 10 + size});
                    speck.closePath();
                }
                // Its top side runs along the square's from inside it past the corner.
                BezierPath side;
                side.moveToPoint({left, bottom});
                side.lineToPoint({left, 10});
                side.lineToPoint({right, 10});
                side.lineToPoint({right, bottom});
                side.closePath();
                speck.appendBezierPath(reversed ? side.bezierPathByReversingPath() : side);
                std::vector<std::string> faults = pathcases::checkPair(square, speck);
                for (const std::string &fault : pointsAroundTheSmallerFaults(
                         square, speck, speck.bounds().center(), speck.bounds().width()))
                    faults.push_back(fault);
                EXPECT_TRUE(faults.empty())
                    << "size " << size << (reversed ? ", drawn the other way" : "")
                    << (framed ? ", a counter" : "") << "\n"
                    << pathcases::describe(faults, square, speck);
            }
        }
    }
}
