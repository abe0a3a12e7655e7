// Path queries, the fingerprint, the Core Graphics round trip and the tolerant comparison.
#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "foundation/PelkoNSString.h"
#include "graphics/PelkoNSBezierPath.h"

#include <cmath>
#include <limits>

using platform::BezierPath;
using platform::BezierPathElement;
using platform::CGPath;
using platform::CGPathElement;
using platform::CGPathElementType;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

BezierPath square(double x = 0, double y = 0, double side = 10, bool close = true)
{
    BezierPath p;
    p.moveToPoint(QPointF(x, y));
    p.lineToPoint(QPointF(x + side, y));
    p.lineToPoint(QPointF(x + side, y + side));
    p.lineToPoint(QPointF(x, y + side));
    if (close)
        p.closePath();
    return p;
}

BezierPath curved()
{
    BezierPath p;
    p.moveToPoint(QPointF(1, 2));
    p.curveToPoint(QPointF(7, 8), QPointF(3, 4), QPointF(5, 6));
    return p;
}

// Sets one point of the path's element without the construction rules in the way.
BezierPath withPoint(BezierPath p, qint64 index, int slot, QPointF value)
{
    QPointF points[3];
    p.elementAtIndex(index, points);
    points[slot] = value;
    p.setAssociatedPoints(points, index);
    return p;
}

} // namespace

TEST(PelkoNSBezierPath, ElementQueries)
{
    struct Row
    {
        const char *name;
        BezierPath path;
        qint64 length;
        bool closed, curveLine, curve;
    };
    BezierPath lone;
    lone.moveToPoint(QPointF(1, 1));
    BezierPath loneCurve;
    loneCurve.curveToPoint(QPointF(1, 1), QPointF(), QPointF()); // starts its own subpath
    const Row rows[] = {
        {"empty", BezierPath(), 0, false, false, false},
        {"move only", lone, 1, false, false, false},
        {"closed square", square(), 5, true, false, false},
        {"open square", square(0, 0, 10, false), 4, false, false, false},
        {"curve", curved(), 2, false, true, true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(length(r.path), r.length);
        EXPECT_EQ(count(r.path), r.length);
        EXPECT_EQ(hasData(r.path), r.length > 0);
        EXPECT_EQ(isClosed(r.path), r.closed);
        EXPECT_EQ(hasCurveLine(r.path), r.curveLine);
        EXPECT_EQ(hasCurve(r.path), r.curve);
    }
}

TEST(PelkoNSBezierPath, IsNanLooksAtEveryPoint)
{
    pelkotest::LogCapture log;
    EXPECT_FALSE(isNan(square()));
    EXPECT_TRUE(isNan(withPoint(curved(), 1, 1, QPointF(0, kNaN))));
    EXPECT_EQ(log.lines().count(QStringLiteral("**** NaN value error **** ")), 1);
    // A single element is never looked at.
    BezierPath lone;
    lone.moveToPoint(QPointF(kNaN, 0));
    EXPECT_FALSE(isNan(lone));
}

TEST(PelkoNSBezierPath, FirstAndLastElementPoints)
{
    struct Row
    {
        const char *name;
        BezierPath path;
        QPointF first, last;
        BezierPathElement lastKind;
    };
    BezierPath moveOnly;
    moveOnly.moveToPoint(QPointF(3, 4));
    BezierPath twoSubpaths = square();
    twoSubpaths.moveToPoint(QPointF(50, 60));
    twoSubpaths.lineToPoint(QPointF(70, 60));
    twoSubpaths.closePath();
    const Row rows[] = {
        {"empty", BezierPath(), kNoElementPoint, kNoElementPoint, BezierPathElement::MoveTo},
        {"closed", square(), QPointF(0, 0), QPointF(0, 0), BezierPathElement::MoveTo},
        {"open", square(0, 0, 10, false), QPointF(0, 0), QPointF(0, 10), BezierPathElement::LineTo},
        {"move only", moveOnly, QPointF(3, 4), QPointF(3, 4), BezierPathElement::MoveTo},
        {"closed second subpath", twoSubpaths, QPointF(0, 0), QPointF(50, 60),
         BezierPathElement::MoveTo},
        {"ends in a curve", curved(), QPointF(1, 2), QPointF(7, 8), BezierPathElement::CurveTo},
        {"NaN start", withPoint(square(), 0, 0, QPointF(kNaN, 1)), kNoElementPoint, kNoElementPoint,
         BezierPathElement::MoveTo},
        {"NaN end", withPoint(square(0, 0, 10, false), 3, 0, QPointF(1, kNaN)), QPointF(0, 0),
         kNoElementPoint, BezierPathElement::LineTo},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(firstElementPoint(r.path), r.first);
        BezierPathElement kind = BezierPathElement::ClosePath;
        EXPECT_EQ(lastElementPoint(r.path, &kind), r.last);
        EXPECT_EQ(kind, r.lastKind);
        EXPECT_EQ(lastElementPoint(r.path, nullptr), r.last);
    }
    EXPECT_EQ(firstMoveToPoint(BezierPath()), QPointF());
    EXPECT_EQ(firstMoveToPoint(square(5, 6)), QPointF(5, 6));
}

TEST(PelkoNSBezierPath, FingerprintText)
{
    // The texts the fingerprint is the MD5 of: thousandths truncated toward zero, 64-bit hex.
    struct Row
    {
        const char *name;
        BezierPath path;
        const char *text;
    };
    BezierPath move;
    move.moveToPoint(QPointF(1.5, -2));
    BezierPath tiny;
    tiny.moveToPoint(QPointF(1.5, -0.0004));
    tiny.lineToPoint(QPointF(0.0019, -1.9999));
    tiny.closePath();
    BezierPath huge;
    huge.moveToPoint(QPointF(std::numeric_limits<double>::infinity(), -1e300));
    BezierPath nan;
    nan.moveToPoint(QPointF(kNaN, 1));
    const Row rows[] = {
        {"move", move, "len1move: 5dc, fffffffffffff830"},
        {"truncation and close", tiny, "len3move: 5dc, 0line: 1, fffffffffffff831Cls"},
        {"curve", curved(), "len2move: 3e8, 7d0cur: bb8, fa0,1388, 1770,1b58, 1f40"},
        {"saturated", huge, "len1move: 7fffffffffffffff, 8000000000000000"},
        {"NaN point as the zero point", nan, "len1move: 0, 0"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(hash2(r.path), hash2(QString::fromLatin1(r.text)));
    }
    // Computed apart from the code under test.
    EXPECT_EQ(hash2(move), QStringLiteral("A6BE65D60E1E8EB3544D14AEE19F8845"));
    EXPECT_EQ(hash2(BezierPath()), QStringLiteral("nullpath"));
}

TEST(PelkoNSBezierPath, FingerprintToAThousandth)
{
    const BezierPath base = square(1.5, 2.25);
    EXPECT_EQ(hash2(square(1.5 + 0.0004, 2.25 + 0.0004)), hash2(base));
    EXPECT_NE(hash2(square(1.5 + 0.01, 2.25)), hash2(base));
    EXPECT_NE(hash2(square(1.5, 2.25, 10, false)), hash2(base));
}

TEST(PelkoNSBezierPath, SamePathWithinATenth)
{
    pelkotest::LogCapture log;
    const BezierPath a = curved();
    struct Row
    {
        const char *name;
        BezierPath b;
        bool same;
    };
    const Row rows[] = {
        {"equal", curved(), true},
        {"0.05 off", withPoint(a, 1, 1, a.element(1).points[1] + QPointF(0.05, 0)), true},
        {"0.1 off", withPoint(a, 1, 1, a.element(1).points[1] + QPointF(0, 0.1)), false},
        {"end 0.1 off", withPoint(a, 1, 2, a.element(1).points[2] + QPointF(0.1, 0)), false},
        {"other kinds", square(), false},
        {"one element less",
         [] {
             BezierPath p;
             p.moveToPoint(QPointF(1, 2));
             return p;
         }(),
         false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(SamePath(&a, &r.b), r.same);
        EXPECT_EQ(SamePath(&r.b, &a), r.same);
    }
    EXPECT_TRUE(SamePath(&a, &a));
    EXPECT_TRUE(SamePath(nullptr, nullptr));
    EXPECT_FALSE(SamePath(&a, nullptr));
    const BezierPath empty1, empty2;
    EXPECT_TRUE(SamePath(&empty1, &empty2));
    EXPECT_EQ(log.reportCount(), 0);
}

TEST(PelkoNSBezierPath, SamePathRejectsANaNOnEitherSide)
{
    const BezierPath a = curved();
    const BezierPath nan = withPoint(a, 1, 0, QPointF(kNaN, 4));
    for (const bool nanFirst : {true, false}) {
        SCOPED_TRACE(nanFirst ? "NaN in the first path" : "NaN in the second path");
        pelkotest::LogCapture log;
        EXPECT_FALSE(nanFirst ? SamePath(&nan, &a) : SamePath(&a, &nan));
        EXPECT_EQ(log.reportCount(), 1);
        EXPECT_TRUE(
            log.logged(QStringLiteral("INFO: EXCEPTION **** NaN value error **** - ERROR")));
    }
}

TEST(PelkoNSBezierPath, CoreGraphicsRoundTrip)
{
    BezierPath path = square(3, 4);
    path.moveToPoint(QPointF(20, 20));
    path.curveToPoint(QPointF(30, 25), QPointF(22, 28), QPointF(27, 29));
    path.closePath();

    const std::optional<CGPath> cg = quartzPath(path);
    ASSERT_TRUE(cg.has_value());
    EXPECT_EQ(cg->elementCount(), path.elementCount());
    const std::optional<BezierPath> back = bezierPathFromPathRef(&*cg);
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(SamePath(&*back, &path));
    EXPECT_EQ(hash2(*back), hash2(path));

    EXPECT_FALSE(quartzPath(BezierPath()).has_value());
    EXPECT_FALSE(bezierPathFromPathRef(nullptr).has_value());
    const CGPath emptyCg;
    ASSERT_TRUE(bezierPathFromPathRef(&emptyCg).has_value());
    EXPECT_TRUE(bezierPathFromPathRef(&emptyCg)->isEmpty());
}

TEST(PelkoNSBezierPath, QuadraticBecomesTheTwoThirdsCubic)
{
    CGPath cg;
    cg.moveToPoint(QPointF(0, 0));
    cg.addQuadCurveToPoint(QPointF(30, 60), QPointF(90, 0));
    const std::optional<BezierPath> path = bezierPathFromPathRef(&cg);
    ASSERT_TRUE(path.has_value());
    ASSERT_EQ(path->elementCount(), 2);
    const BezierPath::Element &curve = path->element(1);
    EXPECT_EQ(curve.type, BezierPathElement::CurveTo);
    EXPECT_NEAR(curve.points[0].x(), 20, 1e-12);
    EXPECT_NEAR(curve.points[0].y(), 40, 1e-12);
    EXPECT_NEAR(curve.points[1].x(), 50, 1e-12);
    EXPECT_NEAR(curve.points[1].y(), 40, 1e-12);
    EXPECT_EQ(curve.points[2], QPointF(90, 0));
}

TEST(PelkoNSBezierPath, NaNPointsBecomeTheOriginWithOneLine)
{
    {
        pelkotest::LogCapture log;
        const std::optional<CGPath> cg =
            quartzPath(withPoint(square(5, 5), 2, 0, QPointF(kNaN, 7)));
        ASSERT_TRUE(cg.has_value());
        EXPECT_EQ(cg->elements().at(2).points[0], QPointF(0, 0));
        EXPECT_EQ(cg->elements().at(1).points[0], QPointF(15, 5));
        EXPECT_EQ(log.lines(), QStringList{QStringLiteral("**** NaN value error **** ")});
    }
    {
        // The way back numbers its messages by element kind and point.
        pelkotest::LogCapture log;
        CGPath cg;
        cg.moveToPoint(QPointF(1, 1));
        cg.addQuadCurveToPoint(QPointF(kNaN, 0), QPointF(4, 4));
        cg.addCurveToPoint(QPointF(1, 1), QPointF(2, 2), QPointF(3, kNaN));
        const std::optional<BezierPath> path = bezierPathFromPathRef(&cg);
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(path->element(2).points[2], QPointF(0, 0));
        EXPECT_EQ(log.lines(), (QStringList{QStringLiteral("**** NaN value error 3 **** "),
                                            QStringLiteral("**** NaN value error 7 **** ")}));
    }
}

TEST(PelkoNSBezierPath, ElementCallbackIgnoresWhatItCannotRead)
{
    BezierPath path;
    QPointF p(1, 1);
    const CGPathElement unknown{static_cast<CGPathElementType>(5), &p};
    const CGPathElement negative{static_cast<CGPathElementType>(-1), &p};
    const CGPathElement noPoints{CGPathElementType::AddLineToPoint, nullptr};
    const CGPathElement move{CGPathElementType::MoveToPoint, &p};
    PathElementToBezierPath(&path, &unknown);
    PathElementToBezierPath(&path, &negative);
    PathElementToBezierPath(&path, &noPoints);
    PathElementToBezierPath(&path, nullptr);
    PathElementToBezierPath(nullptr, &move);
    EXPECT_TRUE(path.isEmpty());
    PathElementToBezierPath(&path, &move);
    EXPECT_EQ(path.elementCount(), 1);
}

TEST(PelkoNSBezierPath, ZoomAboutTheOrigin)
{
    BezierPath path = square(1, 2);
    zoom(path, 1.0001f);
    EXPECT_EQ(path, square(1, 2));
    zoom(path, 2);
    EXPECT_EQ(path, square(2, 4, 20));
    const std::optional<BezierPath> copy = reusePathWithZoom(path, 0.5f);
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(*copy, square(1, 2));
    EXPECT_EQ(path, square(2, 4, 20));
    EXPECT_FALSE(reusePathWithZoom(BezierPath(), 2).has_value());
}

TEST(PelkoNSBezierPath, CopiesAndAppends)
{
    BezierPath path = square();
    path.setLineWidth(7);
    const BezierPath clone = cloneAutoRelease(path);
    EXPECT_EQ(clone.elements(), path.elements());
    EXPECT_EQ(clone.lineWidth(), BezierPath::defaultLineWidth());

    BezierPath dest = square(100, 100);
    appendToDestPath(path, &dest);
    EXPECT_EQ(dest.elementCount(), 10);
    appendToDestPath(BezierPath(), &dest);
    appendToDestPath(path, nullptr);
    EXPECT_EQ(dest.elementCount(), 10);
    EXPECT_EQ(bezierPathRESIZEDOT(QRectF(0, 0, 4, 2)).bounds(), QRectF(0, 0, 4, 2));
}

TEST(PelkoNSBezierPath, LogPathInforWritesEveryElement)
{
    pelkotest::LogCapture log;
    LogPathInfor(BezierPath());
    EXPECT_EQ(log.lines(), (QStringList{QStringLiteral("path element count = 0"),
                                        QStringLiteral("    path is empty")}));
    pelkotest::LogCapture log2;
    BezierPath path = curved();
    path.lineToPoint(QPointF(-0.5, 1));
    path.closePath();
    LogPathInfor(path);
    ASSERT_EQ(log2.lines().size(), 6);
    EXPECT_EQ(log2.lines().at(0), QStringLiteral("path element count = 4"));
    EXPECT_TRUE(
        log2.lines().at(1).startsWith(QStringLiteral("pathBound x = -0.50, y = 1.00, w = ")));
    EXPECT_EQ(log2.lines().at(2), QStringLiteral("    element(0): move to : 1.000000, 2.000000"));
    EXPECT_EQ(log2.lines().at(3),
              QStringLiteral("    element(1): curve control1 : 3.000000, 4.000000; curve control2 "
                             ": 5.000000, 6.000000 ; to point : 7.000000, 8.000000"));
    EXPECT_EQ(log2.lines().at(4), QStringLiteral("    element(2): line to : -0.500000, 1.000000"));
    EXPECT_EQ(log2.lines().at(5), QStringLiteral("    close path"));
}
