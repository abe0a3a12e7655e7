// Image layers: files read on first drawing (or forgotten when they hold no image), thin
// rectangles, opacity, and images upright in both kinds of context.
#include "LayerCanvas.h"
#include "layers/MyImageLayer.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using layertest::Canvas;
using layertest::isWhite;
using layertest::near;

namespace {

// Red over blue: the top half red.
QImage redOverBlue()
{
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            image.setPixelColor(x, y, Qt::red);
    return image;
}

} // namespace

TEST(MyImageLayer, FilesAreReadOnceOrForgotten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath("missing.png");
    const QString garbage = dir.filePath("garbage.png");
    const QString good = dir.filePath("good.png");
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("this is no picture at all");
    }
    ASSERT_TRUE(redOverBlue().save(good));

    Canvas canvas;
    auto layer = MyImageLayer::create();
    layer->setImageDrawRect(QRectF(0, 0, 40, 40));
    layer->setImageFilePath(missing);
    layer->draw(false);
    EXPECT_EQ(layer->imageFilePath(), missing);
    EXPECT_EQ(layer->image(), nullptr);

    layer->setImageFilePath(garbage);
    layer->draw(false);
    EXPECT_TRUE(layer->imageFilePath().isNull());
    EXPECT_EQ(layer->image(), nullptr);

    layer->setImageFilePath(good);
    layer->draw(false);
    EXPECT_NE(layer->image(), nullptr);
    EXPECT_TRUE(near(canvas.pixel(20, 5), Qt::red));

    // Copies share the image; the importer's data stays behind.
    layer->additionImportInforDic().insert("k", 1);
    const auto copy = layer->copy();
    EXPECT_EQ(copy->image(), layer->image());
    EXPECT_TRUE(copy->additionImportInforDic().isEmpty());
}

TEST(MyImageLayer, ThinRectanglesDrawNothingAndOpacityScalesAlpha)
{
    struct Row
    {
        const char *name;
        QRectF rect;
        float opaque;
        int alpha;
    };
    const Row rows[] = {
        {"opaque", {0, 0, 40, 40}, 1.0f, 255},
        {"half", {0, 0, 40, 40}, 0.5f, 128},
        {"width 0.1", {0, 0, 0.1, 40}, 1.0f, 0},
        {"height 0.1", {0, 0, 40, 0.1}, 1.0f, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Canvas canvas(60, 60, true, false, Qt::transparent);
        auto layer = MyImageLayer::create();
        layer->setImage(platform::Image::fromBitmap(redOverBlue()));
        layer->setImageDrawRect(row.rect);
        layer->setImage_opaque(row.opaque);
        layer->draw(false);
        EXPECT_NEAR(canvas.pixel(0, 5).alpha(), row.alpha, 3);
        EXPECT_EQ(canvas.pixel(50, 50).alpha(), 0);
    }
}

TEST(MyImageLayer, ImagesStayUprightInBothKindsOfContext)
{
    for (bool flipped : {true, false}) {
        SCOPED_TRACE(flipped);
        Canvas canvas(200, 200, flipped);
        const int depth = canvas.context().saveDepth();
        const QTransform before = canvas.painter().transform();
        auto layer = MyImageLayer::create();
        layer->setImage(platform::Image::fromBitmap(redOverBlue()));
        layer->setImageDrawRect(QRectF(10, 10, 40, 40));
        layer->setAffineTransform(std::make_shared<platform::AffineTransform>(1, 0, 0, 1, 100, 0));
        layer->draw(true);
        EXPECT_EQ(canvas.context().saveDepth(), depth);
        EXPECT_EQ(canvas.painter().transform(), before);
        // In a y-up context the rectangle spans rows 150 to 190 of the picture, its top at 150.
        const int top = flipped ? 10 : 150;
        EXPECT_TRUE(near(canvas.pixel(130, top + 5), Qt::red));
        EXPECT_TRUE(near(canvas.pixel(130, top + 35), Qt::blue));
        EXPECT_TRUE(isWhite(canvas.pixel(30, top + 5)));
    }
    // Hidden layers draw nothing.
    Canvas canvas;
    auto layer = MyImageLayer::create();
    layer->setImage(platform::Image::fromBitmap(redOverBlue()));
    layer->setImageDrawRect(QRectF(0, 0, 40, 40));
    layer->setHidden(true);
    layer->draw(false);
    EXPECT_TRUE(isWhite(canvas.pixel(20, 20)));
}
