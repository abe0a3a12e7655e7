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
#include "pathops/PathBooleanOperations.h"
#include "pathops/PathTextForms.h"

#include <QtGlobal>
#include <cmath>
#include <numbers>
#include <optional>
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

// (i) A shape and its copy turned by 1e-5 to 1e-2 radian about its centre or a point near it.
pathcases::ShapePair turnedCopies(ShapeMaker &maker)
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
    const double angle = spread(maker, 1e-5, 1e-2) * (maker.coin() ? 1 : -1);
    return {"a shape and its copy turned a hair", a, turned(a, centre, angle)};
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
        pathcases::checkPair(pair.a, pair.b, kFineFlatness, curls);
    if (faults.empty())
        return std::nullopt;
    std::ostringstream s;
    s << category << " seed " << seed << " (" << pair.kind << ", PELKO_SEED=" << seed
      << " PELKO_CASES=1)\n"
      << pathcases::describe(faults, pair.a, pair.b);
    return s.str();
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
    // Point by point around the small shape, on the curves themselves.
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
    if (faults.empty())
        return std::nullopt;
    std::ostringstream s;
    s << "sizes seed " << seed << " (ratio " << ratio << ", PELKO_SEED=" << seed
      << " PELKO_CASES=1)\n"
      << pathcases::describe(faults, large, small);
    return s.str();
}

} // namespace

// Two of the four categories below run no seeds in ./test yet (a count of 0); the long run
// (scripts/property-run.sh) runs them with the others. Spread over the long run's seeds: contours
// touching their container 171 of 4,000 failing once (a counter touching its bowl from inside,
// near the touch; none of 4,000 since curves a hair apart count as two outlines), operands far
// apart in size 180 of 600 (points around the small shape, where tolerances of the large one's
// size decide). A curve leaving a shared side and copies turned a hair pass, at about seven cases
// a second under the sanitizers.
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
    0);

PELKO_PROPERTY_CATEGORY(
    OperandsFarApartInSize, [](quint64 seed) { return faultLines(farApartInSizeFault(seed)); }, 0);

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
        // they
        // were taken for one stretch, and the crossing near the spike they end in with them, so the
        // outlines crossed nowhere; the union and the intersection were one copy each, and only the
        // exclusive or kept the slivers between them.
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
        // out
        // less than half their size.
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
        // before
        // it crossed.
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
    };
    for (const Row &row : rows) {
        const std::optional<BezierPath> a = pathFromString(QString::fromLatin1(row.a));
        const std::optional<BezierPath> b = pathFromString(QString::fromLatin1(row.b));
        ASSERT_TRUE(a && b) << row.name;
        const std::vector<std::string> faults =
            pathcases::checkPair(*a, *b, kFineFlatness, pathcases::Curls::Always);
        EXPECT_TRUE(faults.empty()) << row.name << "\n" << pathcases::describe(faults, *a, *b);
    }
}
