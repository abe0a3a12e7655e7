#include "graphics/SameColorSelection.h"

#include "graphics/PelkoNSImage.h"
#include "support/LogCapture.h"

#include <QImage>
#include <gtest/gtest.h>

#include <deque>
#include <limits>
#include <random>

using platform::BezierPath;
using platform::BezierPathElement;
using platform::Color;
using platform::Image;
using platform::ImagePtr;

namespace {

constexpr PIXEL kOpaqueWhite = 0xFFFFFFFFu;
constexpr PIXEL kMarked = PIXEL(MARK_ALPHA_VALUE) << 24;

// A buffer with the given pixels marked.
ImageDataPtr markedBuffer(qint64 w, qint64 h, const std::vector<std::pair<int, int>> &pixels)
{
    auto buffer = ImageData::imageWithWidth(w, h);
    for (const auto &[x, y] : pixels)
        buffer->data[size_t(y * w + x)] = kMarked;
    return buffer;
}

ImagePtr imageOf(const ImageData &buffer)
{
    QImage bitmap(int(buffer.w()), int(buffer.h()), QImage::Format_RGBA8888_Premultiplied);
    for (qint64 y = 0; y < buffer.h(); ++y)
        std::memcpy(bitmap.scanLine(int(y)), buffer.data.data() + y * buffer.w(),
                    size_t(buffer.w()) * 4);
    return Image::fromBitmap(bitmap);
}

using Contour = std::vector<QPointF>;

// The subpaths as point lists (the move and every line end; the close adds no point).
std::vector<Contour> contoursOf(const BezierPath &path)
{
    std::vector<Contour> out;
    for (const auto &e : path.elements()) {
        if (e.type == BezierPathElement::MoveTo)
            out.emplace_back();
        if (e.type == BezierPathElement::MoveTo || e.type == BezierPathElement::LineTo)
            out.back().push_back(e.points[0]);
        EXPECT_NE(e.type, BezierPathElement::CurveTo);
    }
    return out;
}

// Shoelace area in row-0-at-the-top coordinates: clockwise on screen is positive.
double signedArea(const Contour &c)
{
    double sum = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        const QPointF a = c[i];
        const QPointF b = c[(i + 1) % c.size()];
        sum += a.x() * b.y() - b.x() * a.y();
    }
    return sum / 2;
}

double totalSignedArea(const BezierPath &path)
{
    double sum = 0;
    for (const Contour &c : contoursOf(path))
        sum += signedArea(c);
    return sum;
}

// The 4-connected component of the seed's exact word, by a plain breadth-first walk.
std::vector<quint8> referenceComponent(const std::vector<PIXEL> &pixels, int w, int h, int x0,
                                       int y0)
{
    std::vector<quint8> in(pixels.size(), 0);
    const PIXEL seed = pixels[size_t(y0 * w + x0)];
    std::deque<std::pair<int, int>> queue{{x0, y0}};
    in[size_t(y0 * w + x0)] = 1;
    while (!queue.empty()) {
        const auto [x, y] = queue.front();
        queue.pop_front();
        const int dx[] = {1, -1, 0, 0};
        const int dy[] = {0, 0, 1, -1};
        for (int k = 0; k < 4; ++k) {
            const int nx = x + dx[k];
            const int ny = y + dy[k];
            if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                continue;
            const size_t i = size_t(ny * w + nx);
            if (!in[i] && pixels[i] == seed) {
                in[i] = 1;
                queue.emplace_back(nx, ny);
            }
        }
    }
    return in;
}

TEST(SameColorSelectionTest, NothingIsSelectedOutsideTheImage)
{
    QImage bitmap(10, 10, QImage::Format_RGBA8888);
    bitmap.fill(Qt::white);
    const ImagePtr image = Image::fromBitmap(bitmap);
    ImagePtr thin = Image::fromBitmap(bitmap);
    thin->setSize(QSizeF(0.1, 10));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row
    {
        const char *name;
        const Image *image;
        QPointF point;
    } rows[] = {
        {"left of it", image.get(), QPointF(-0.5, 5)},
        {"on the right edge", image.get(), QPointF(10, 5)},
        {"below it", image.get(), QPointF(5, 10)},
        {"NaN", image.get(), QPointF(nan, 5)},
        {"no image", nullptr, QPointF(5, 5)},
        {"0.1 points wide", thin.get(), QPointF(0.05, 5)},
    };
    for (const Row &row : rows) {
        EXPECT_FALSE(TempFunc_FillColorToImageTo_ImageData(row.image, nullptr, row.point, 0))
            << row.name;
        EXPECT_FALSE(FillColorToImage(row.image, nullptr, Color::red(), row.point, 0)) << row.name;
        EXPECT_FALSE(GetSelectPathWithTheSameColor(row.image, nullptr, row.point, 0, nullptr))
            << row.name;
    }
}

TEST(SameColorSelectionTest, ToleranceZeroSelectsTheSameWordAndOldMarksLoseTheirs)
{
    // Row 0: seed colour, near colour, seed colour behind the near one, an old mark elsewhere.
    auto buffer = ImageData::imageWithWidth(4, 2);
    buffer->data = {0xFF102030u, 0xFF102031u, 0xFF102030u, 0x51000000u,
                    0xFF102030u, 0xFF000000u, 0xFF000000u, 0xFF000000u};
    const ImagePtr image = imageOf(*buffer);
    const auto marked = TempFunc_FillColorToImageTo_ImageData(image.get(), buffer, {0.5, 0.5}, 0);
    ASSERT_EQ(marked, buffer); // the given buffer is marked and answered
    EXPECT_EQ(marked->data[0], 0x51102030u);
    EXPECT_EQ(marked->data[4], 0x51102030u);
    EXPECT_EQ(marked->data[1], 0xFF102031u); // one byte off: not the same word
    EXPECT_EQ(marked->data[2], 0xFF102030u); // same word, not connected
    EXPECT_EQ(marked->data[3], 0x50000000u); // an earlier mark is taken away

    // A tolerance of 0.25 allows a byte sum of 1 across the four channels.
    const auto near =
        TempFunc_FillColorToImageTo_ImageData(image.get(), nullptr, {0.5, 0.5}, 0.25f);
    ASSERT_TRUE(near);
    EXPECT_EQ(near->data[1] >> 24, MARK_ALPHA_VALUE);
    EXPECT_EQ(near->data[2] >> 24, MARK_ALPHA_VALUE);
    EXPECT_EQ(near->data[5] >> 24, 0xFFu);
}

TEST(SameColorSelectionTest, TheFillFindsTheComponentOfRandomPictures)
{
    std::mt19937 random(26);
    for (int round = 0; round < 20; ++round) {
        const int w = 20 + int(random() % 60);
        const int h = 20 + int(random() % 60);
        std::vector<PIXEL> pixels(size_t(w * h));
        // Two colours at about the percolation threshold make long, winding components.
        for (PIXEL &p : pixels)
            p = random() % 100 < 60 ? 0xFF0000FFu : 0xFFFF0000u;
        const int x = int(random() % w);
        const int y = int(random() % h);
        const auto expected = referenceComponent(pixels, w, h, x, y);
        EXPECT_EQ(SelectSimilarPixels(pixels.data(), w, h, x, y, 0), expected) << round;
    }
}

TEST(SameColorSelectionTest, AVeryWideImageFillsRight)
{
    // Coordinates beyond 65,535 must neither wrap nor stop the fill.
    const int w = 70000;
    QImage bitmap(w, 2, QImage::Format_RGBA8888_Premultiplied);
    bitmap.fill(Qt::white);
    for (int y = 0; y < 2; ++y)
        reinterpret_cast<PIXEL *>(bitmap.scanLine(y))[35000] = 0xFF000000u; // a black wall
    reinterpret_cast<PIXEL *>(bitmap.scanLine(1))[69999] = 0xFF000000u;
    const ImagePtr image = Image::fromBitmap(bitmap);
    const ImagePtr filled = FillColorToImage(image.get(), nullptr, Color::red(), {69000.5, 0.5}, 0);
    ASSERT_TRUE(filled);
    const QImage out = filled->render(QSize(w, 2));
    const auto *row0 = reinterpret_cast<const PIXEL *>(out.constScanLine(0));
    const auto *row1 = reinterpret_cast<const PIXEL *>(out.constScanLine(1));
    EXPECT_EQ(row0[34999], kOpaqueWhite);
    EXPECT_EQ(row1[3464], kOpaqueWhite); // where a 16-bit x of 69000 would land
    EXPECT_EQ(row0[35000], 0xFF000000u);
    EXPECT_EQ(row0[35001], 0xFF0000FFu);
    EXPECT_EQ(row1[69998], 0xFF0000FFu);
    EXPECT_EQ(row0[69999], 0xFF0000FFu);
    EXPECT_EQ(row1[69999], 0xFF000000u);
    long red = 0;
    for (int x = 0; x < w; ++x)
        red += (row0[x] == 0xFF0000FFu) + (row1[x] == 0xFF0000FFu);
    EXPECT_EQ(red, 2 * 34999 - 1);
}

TEST(SameColorSelectionTest, FillingKeepsUnselectedPixelsAndPremultipliesTheColour)
{
    // Left column white, right column two pixels that happen to carry the mark alpha.
    auto buffer = ImageData::imageWithWidth(2, 2);
    buffer->data = {kOpaqueWhite, 0x51202020u, kOpaqueWhite, 0x51101010u};
    const ImagePtr image = imageOf(*buffer);
    const Color halfRed = Color::calibratedRGB(1, 0, 0, 0.5);
    ASSERT_TRUE(FillColorToImage(image.get(), buffer, halfRed, {0.5, 0.5}, 0));
    EXPECT_EQ(buffer->data[1], 0x51202020u);
    EXPECT_EQ(buffer->data[3], 0x51101010u);
    // 0xFF red at alpha 0x7F premultiplies to 0x7F: colour never above alpha.
    EXPECT_EQ(buffer->data[0], 0x7F00007Fu);
    EXPECT_EQ(buffer->data[2], 0x7F00007Fu);
    EXPECT_FALSE(FillColorToImage(image.get(), nullptr, Color(), {0.5, 0.5}, 0));
}

TEST(SameColorSelectionTest, ASquareInsideTransparencyTracesToItsFourCorners)
{
    QImage bitmap(5, 5, QImage::Format_RGBA8888_Premultiplied);
    bitmap.fill(Qt::transparent);
    for (int y = 1; y < 4; ++y)
        for (int x = 1; x < 4; ++x)
            bitmap.setPixelColor(x, y, Qt::white);
    const ImagePtr image = Image::fromBitmap(bitmap);
    QRectF box;
    const auto path = GetSelectPathWithTheSameColor(image.get(), nullptr, {2.5, 2.5}, 0, &box);
    ASSERT_TRUE(path);
    EXPECT_EQ(box, QRectF(0, 0, 5, 5));
    const auto contours = contoursOf(*path);
    ASSERT_EQ(contours.size(), 1u);
    const Contour expected = {{1, 1}, {4, 1}, {4, 4}, {1, 4}, {1, 1}};
    EXPECT_EQ(contours[0], expected);
    EXPECT_EQ(path->elements().back().type, BezierPathElement::ClosePath);
    EXPECT_DOUBLE_EQ(totalSignedArea(*path), 9);

    const auto marked = TempFunc_FillColorToImageTo_ImageData(image.get(), nullptr, {2.5, 2.5}, 0);
    ASSERT_TRUE(marked);
    int count = 0;
    for (PIXEL p : marked->data)
        count += (p >> 24) == MARK_ALPHA_VALUE;
    EXPECT_EQ(count, 9);
}

TEST(SameColorSelectionTest, OutlinesOfRingsCornersAndNothing)
{
    std::vector<std::pair<int, int>> ring;
    for (int y = 1; y < 6; ++y)
        for (int x = 1; x < 6; ++x)
            if (x == 1 || x == 5 || y == 1 || y == 5)
                ring.emplace_back(x, y);
    const auto ringPath = GetSelectPathWithAlpha_MARK_ALPHA_VALUE(markedBuffer(7, 7, ring).get());
    ASSERT_TRUE(ringPath);
    const auto rings = contoursOf(*ringPath);
    ASSERT_EQ(rings.size(), 2u);
    EXPECT_DOUBLE_EQ(signedArea(rings[0]), 25); // outer, clockwise on screen
    EXPECT_DOUBLE_EQ(signedArea(rings[1]), -9); // the hole, counter-clockwise

    // Two pixels touching at one corner: two unit squares, also when the mark reaches the edges.
    for (const auto &pair : {std::vector<std::pair<int, int>>{{1, 1}, {2, 2}},
                             std::vector<std::pair<int, int>>{{1, 0}, {0, 1}}}) {
        const auto path = GetSelectPathWithAlpha_MARK_ALPHA_VALUE(markedBuffer(4, 4, pair).get());
        ASSERT_TRUE(path);
        const auto squares = contoursOf(*path);
        ASSERT_EQ(squares.size(), 2u);
        for (const Contour &c : squares) {
            EXPECT_EQ(c.size(), 5u);
            EXPECT_DOUBLE_EQ(signedArea(c), 1);
        }
    }

    EXPECT_FALSE(GetSelectPathWithAlpha_MARK_ALPHA_VALUE(markedBuffer(4, 4, {}).get()));
    EXPECT_FALSE(GetSelectPathWithAlpha_MARK_ALPHA_VALUE(nullptr));
    ImageData none(100000, 100000);
    EXPECT_FALSE(GetSelectPathWithAlpha_MARK_ALPHA_VALUE(&none));
}

TEST(SameColorSelectionTest, TracedAreaEqualsTheMarkedCountOnRandomMasks)
{
    std::mt19937 random(81);
    for (int round = 0; round < 40; ++round) {
        const int w = 1 + int(random() % 50);
        const int h = 1 + int(random() % 50);
        const int density = 20 + int(random() % 70);
        auto buffer = ImageData::imageWithWidth(w, h);
        long count = 0;
        for (PIXEL &p : buffer->data) {
            // Other alphas (80, 82) next to the mark must not count as marked.
            const bool mark = int(random() % 100) < density;
            p = mark ? kMarked | 0x123456u : PIXEL(80 + 2 * (random() % 2)) << 24;
            count += mark;
        }
        pelkotest::LogCapture log;
        const auto path = GetSelectPathWithAlpha_MARK_ALPHA_VALUE(buffer.get());
        if (count == 0) {
            EXPECT_FALSE(path);
            continue;
        }
        ASSERT_TRUE(path) << round;
        EXPECT_DOUBLE_EQ(totalSignedArea(*path), double(count)) << round;
        EXPECT_FALSE(log.logged(QStringLiteral("Error fatal"))) << round;
        EXPECT_TRUE(log.logged(QStringLiteral("path count is %1").arg(path->elementCount())));
        // Every corner kept is a turn: no point lies on a straight run.
        for (const Contour &c : contoursOf(*path)) {
            for (size_t i = 1; i + 1 < c.size(); ++i) {
                const QPointF a = c[i] - c[i - 1];
                const QPointF b = c[i + 1] - c[i];
                EXPECT_NE(a.x() * b.y() - a.y() * b.x(), 0) << round;
            }
        }
    }
}

} // namespace
