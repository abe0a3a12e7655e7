// Rounded rectangles against Qt's own, text outlines against the font's metrics, the aligned
// text's placement and the inner shadow's reach, all drawn offscreen.
#include <gtest/gtest.h>

#include "pathops/PathAdditions.h"

#include "platform/GraphicsContext.h"
#include "platform/Guard.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

#include <cmath>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

// Points of a grid over the rect's surroundings that lie more than `margin` from the outline of
// `reference`: there both paths must agree on containment.
int containmentMismatches(const BezierPath &path, const QPainterPath &reference, QRectF around,
                          double margin)
{
    const QPainterPath ours = path.toQPainterPath();
    int mismatches = 0;
    for (double y = around.top(); y <= around.bottom(); y += 0.37) {
        for (double x = around.left(); x <= around.right(); x += 0.37) {
            const QPointF p(x, y);
            const QRectF probe(x - margin, y - margin, 2 * margin, 2 * margin);
            const bool nearOutline = reference.intersects(probe) && !reference.contains(probe);
            if (!nearOutline && ours.contains(p) != reference.contains(p))
                ++mismatches;
        }
    }
    return mismatches;
}

QImage whiteImage(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

// The box of the pixels that are darker than mid-grey; null when none are.
QRect inkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

QString dejaVuSansFamily()
{
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(
            QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QString() : families.first();
    }();
    return family;
}

} // namespace

TEST(RoundedRectangles, BothFamiliesMatchQtsRoundedRectWithAllCornersRounded)
{
    const QRectF rect(10, 20, 80, 50);
    QPainterPath reference;
    reference.addRoundedRect(rect, 12, 12);
    const QRectF around = rect.adjusted(-3, -3, 3, 3);

    BezierPath a = bezierPathWithRoundedRectangle(rect, kRoundedCornersAll, 12);
    EXPECT_EQ(containmentMismatches(a, reference, around, 0.1), 0);
    BezierPath b = bezierPathWithRoundedRect(rect, 15, 12);
    EXPECT_EQ(containmentMismatches(b, reference, around, 0.1), 0);
}

TEST(RoundedRectangles, FamilyAClampsTheRadiusAndSkipsEmptyRects)
{
    // A radius past half the smaller side gives a stadium: the short sides are half circles.
    const QRectF rect(0, 0, 100, 40);
    BezierPath stadium = bezierPathWithRoundedRectangle(rect, kRoundedCornersAll, 500);
    QPainterPath reference;
    reference.addRoundedRect(rect, 20, 20);
    EXPECT_EQ(containmentMismatches(stadium, reference, rect.adjusted(-2, -2, 2, 2), 0.1), 0);

    for (QRectF empty : {QRectF(0, 0, 0, 10), QRectF(0, 0, 10, -1), QRectF(0, 0, NAN, 10)}) {
        BezierPath path;
        appendBezierPathWithRoundedRectangle(path, empty, kRoundedCornersAll, 3);
        EXPECT_TRUE(path.isEmpty());
    }
}

TEST(RoundedRectangles, FamilyACornersAndPlainRectangle)
{
    const QRectF rect(0, 0, 40, 20);
    BezierPath plain = bezierPathWithRoundedRectangle(rect, 0, 5);
    ASSERT_EQ(plain.elementCount(), 5);
    EXPECT_EQ(plain.element(0).points[0], QPointF(0, 20)); // starts at (minX, maxY)
    EXPECT_EQ(plain.element(1).points[0], QPointF(40, 20));
    EXPECT_EQ(plain.element(2).points[0], QPointF(40, 0));
    EXPECT_EQ(plain.element(3).points[0], QPointF(0, 0));
    EXPECT_EQ(plain.element(4).type, BezierPathElement::ClosePath);

    // Each bit rounds its own corner; a point just inside a rounded corner falls outside.
    struct Corner
    {
        unsigned bit;
        QPointF justInside;
    };
    const Corner corners[] = {{kRoundedCornerMinXMaxY, {0.5, 19.5}},
                              {kRoundedCornerMaxXMaxY, {39.5, 19.5}},
                              {kRoundedCornerMaxXMinY, {39.5, 0.5}},
                              {kRoundedCornerMinXMinY, {0.5, 0.5}}};
    for (const Corner &rounded : corners) {
        const QPainterPath path =
            bezierPathWithRoundedRectangle(rect, rounded.bit, 5).toQPainterPath();
        for (const Corner &c : corners)
            EXPECT_EQ(path.contains(c.justInside), c.bit != rounded.bit) << rounded.bit;
    }
    BezierPath left, right;
    appendBezierPathWithLeftRoundedRectangle(left, rect, 5);
    appendBezierPathWithRightRoundedRectangle(right, rect, 5);
    EXPECT_FALSE(left.toQPainterPath().contains(QPointF(0.5, 0.5)));
    EXPECT_TRUE(left.toQPainterPath().contains(QPointF(39.5, 0.5)));
    EXPECT_TRUE(right.toQPainterPath().contains(QPointF(0.5, 0.5)));
    EXPECT_FALSE(right.toQPainterPath().contains(QPointF(39.5, 19.5)));
}

TEST(RoundedRectangles, FamilyBStartsMidSideAndIsClosed)
{
    const QRectF rect(0, 0, 40, 20);
    BezierPath path = bezierPathWithRoundedRect(rect, 0, 5);
    ASSERT_GE(path.elementCount(), 2);
    EXPECT_EQ(path.element(0).points[0], QPointF(20, 0));
    EXPECT_EQ(path.element(path.elementCount() - 2).points[0], QPointF(0, 0));
    // Closed, so that a stroke covers the stretch from the last corner back to the start.
    EXPECT_EQ(path.element(path.elementCount() - 1).type, BezierPathElement::ClosePath);

    QImage image = whiteImage(60, 40);
    QPainter painter(&image);
    platform::GraphicsContextScope scope(&painter, /*flipped=*/false);
    BezierPath stroked = bezierPathWithRoundedRect(QRectF(10, 10, 40, 20), 0, 5);
    stroked.setLineWidth(2);
    scope.context().setStrokeColor(Qt::black);
    stroked.stroke();
    painter.end();
    EXPECT_LT(qGray(image.pixel(20, 10)), 128); // the bottom side between the corner and start
}

TEST(RoundedRectangles, FamilyBTradesTopAndBottomInAFlippedContext)
{
    EXPECT_EQ(flippedRoundedRectCorners(1), 4u);
    EXPECT_EQ(flippedRoundedRectCorners(2), 8u);
    EXPECT_EQ(flippedRoundedRectCorners(4), 1u);
    EXPECT_EQ(flippedRoundedRectCorners(15), 15u);

    const QRectF rect(0, 0, 40, 20);
    QImage image = whiteImage(4, 4);
    QPainter painter(&image);
    {
        platform::GraphicsContextScope flipped(&painter, true);
        const QPainterPath path = bezierPathWithRoundedRect(rect, 1, 6).toQPainterPath();
        EXPECT_FALSE(path.contains(QPointF(0.5, 19.5))); // (minX, maxY) is the rounded one
        EXPECT_TRUE(path.contains(QPointF(0.5, 0.5)));
    }
    {
        platform::GraphicsContextScope unflipped(&painter, false);
        const QPainterPath path = bezierPathWithRoundedRect(rect, 1, 6).toQPainterPath();
        EXPECT_FALSE(path.contains(QPointF(0.5, 0.5)));
        EXPECT_TRUE(path.contains(QPointF(0.5, 19.5)));
    }
}

TEST(RoundedRectangles, ContextRectangleGivesEachRadiusItsCorner)
{
    const QRectF rect(10, 10, 50, 30);
    struct Case
    {
        double r[4];
        QPointF rounded; // just inside the corner that radius belongs to
    };
    const Case cases[] = {{{8, 0, 0, 0}, {10.5, 10.5}},
                          {{0, 8, 0, 0}, {59.5, 10.5}},
                          {{0, 0, 8, 0}, {10.5, 39.5}},
                          {{0, 0, 0, 8}, {59.5, 39.5}}};
    for (const Case &c : cases) {
        BezierPath context;
        addRoundedRectToContext(c.r[0], c.r[1], c.r[2], c.r[3], context, rect);
        const QPainterPath path = context.toQPainterPath();
        EXPECT_FALSE(path.contains(c.rounded)) << c.rounded.x() << "," << c.rounded.y();
        EXPECT_TRUE(path.contains(rect.center()));
        EXPECT_EQ(context.element(context.elementCount() - 1).type, BezierPathElement::ClosePath);
    }
    QPainterPath reference;
    reference.addRoundedRect(rect, 8, 8);
    BezierPath all;
    addRoundedRectToContext(8, 8, 8, 8, all, rect);
    EXPECT_EQ(containmentMismatches(all, reference, rect.adjusted(-2, -2, 2, 2), 0.1), 0);
}

TEST(TextOutlines, GlyphsComeFromTheGivenFontAndLieWithinItsMetrics)
{
    const QString family = dejaVuSansFamily();
    if (family.isEmpty())
        GTEST_SKIP() << "DejaVu Sans is not installed";
    QFont font(family);
    font.setPixelSize(100);
    const QRawFont raw = QRawFont::fromFont(font);
    ASSERT_TRUE(raw.isValid());

    const BezierPath path = bezierPathWithString(QStringLiteral("Hg"), font);
    const QRectF b = path.bounds();
    EXPECT_GE(b.top(), -raw.ascent() - 0.5);
    EXPECT_LE(b.bottom(), raw.descent() + 0.5);
    EXPECT_LT(b.top(), -raw.ascent() * 0.5); // the H stands above the baseline, upright
    EXPECT_GT(b.bottom(), 1.0);              // the g hangs below it
    EXPECT_GE(b.left(), 0.0);
    const QList<quint32> glyphs = raw.glyphIndexesForString(QStringLiteral("Hg"));
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
    EXPECT_LE(b.right(), advances[0].x() + advances[1].x() + 0.5);

    // The same glyph as the font itself outlines it, placed at the current point.
    BezierPath h;
    h.moveToPoint({7, 300});
    appendBezierPathWithString(h, QStringLiteral("H"), font);
    const QRectF own = raw.pathForGlyph(raw.glyphIndexesForString(QStringLiteral("H"))[0])
                           .boundingRect()
                           .translated(7, 300);
    const QRectF got = h.bounds().united(QRectF(7, 300, 0, 0));
    EXPECT_NEAR(got.left(), std::min(own.left(), 7.0), 0.01);
    EXPECT_NEAR(got.top(), own.top(), 0.01);
    EXPECT_NEAR(got.right(), own.right(), 0.01);
}

TEST(TextOutlines, AlignedTextIsFittedAndPlaced)
{
    const QString family = dejaVuSansFamily();
    if (family.isEmpty())
        GTEST_SKIP() << "DejaVu Sans is not installed";
    QFont font(family);
    font.setPixelSize(40);
    const QRectF frame(20, 30, 200, 60);

    auto drawn = [&](int alignment) {
        QImage image = whiteImage(260, 120);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        platform::GraphicsContextScope scope(&painter);
        scope.context().setFillColor(Qt::black);
        AKDrawStringAlignedInFrame(QStringLiteral("Hg"), &font, alignment, frame);
        painter.end();
        return inkBox(image);
    };
    // The box starts at the pen's origin, so the ink begins one scaled left bearing inside it.
    const QFontMetricsF metrics(font);
    const double scale =
        std::min(frame.height() / (metrics.ascent() + metrics.descent()),
                 frame.width() / bezierPathWithString("Hg", font).bounds().width());
    const QRawFont raw = QRawFont::fromFont(font);
    const double bearing =
        scale *
        raw.pathForGlyph(raw.glyphIndexesForString(QStringLiteral("H"))[0]).boundingRect().left();

    const QRect centred = drawn(2);
    ASSERT_FALSE(centred.isNull());
    EXPECT_NEAR(centred.left() - bearing - frame.left(), frame.right() - (centred.right() + 1),
                1.5);
    EXPECT_GE(centred.top(), frame.top() - 1);
    EXPECT_LE(centred.bottom() + 1, frame.bottom() + 1);
    EXPECT_EQ(drawn(3), centred); // justified is drawn centred
    EXPECT_NEAR(drawn(0).left(), frame.left() + bearing, 1);
    EXPECT_NEAR(drawn(1).right() + 1, frame.right(), 1);

    EXPECT_THROW(AKDrawStringAlignedInFrame(QStringLiteral("x"), nullptr, 0, frame),
                 platform::Exception);
}

TEST(InnerShadow, FallsInsideOnlyAndRestoresTheState)
{
    for (bool flipped : {true, false}) {
        QImage image = whiteImage(100, 100);
        QPainter painter(&image);
        platform::GraphicsContextScope scope(&painter, flipped);
        platform::GraphicsContext &context = scope.context();
        const int depth = context.saveDepth();
        const QTransform transform = painter.transform();

        const QRectF inner(20, 20, 60, 60);
        platform::Shadow shadow;
        shadow.offset = QSizeF(4, 4);
        shadow.color = Qt::black;
        applyInnerShadow(BezierPath::bezierPathWithRect(inner), shadow);

        EXPECT_EQ(context.saveDepth(), depth);
        EXPECT_EQ(painter.transform(), transform);
        EXPECT_FALSE(painter.hasClipping());
        EXPECT_FALSE(context.shadow().isVisible());
        painter.end();

        int darkOutside = 0, darkInside = 0;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                const bool dark = qGray(image.pixel(x, y)) < 128;
                if (inner.contains(QPointF(x + 0.5, y + 0.5)))
                    darkInside += dark;
                else
                    darkOutside += dark;
            }
        }
        EXPECT_EQ(darkOutside, 0) << flipped;
        // The shadow of the ring's inner edge, moved by the offset, covers a band 4 wide
        // along two sides; the middle stays clear.
        EXPECT_GE(darkInside, 2 * 4 * 56) << flipped;
        EXPECT_EQ(qGray(image.pixel(50, 50)), 255) << flipped;
    }
}
