// Renders every kind of layer into PNGs under the build folder, reads each back and samples it:
// shapes, diagram shapes with their text, images over a checkerboard, plain and rich texts,
// point paths, and one sheet drawn in a y-up context.
#include "LayerCanvas.h"
#include "graphics/PelkoNSGradient.h"
#include "layers/DotPath.h"
#include "layers/MyImageLayer.h"
#include "layers/MyRichTextLayer.h"
#include "layers/MyShapeLayer.h"
#include "layers/MyTextLayer.h"
#include "layers/VisioShapeLayer.h"
#include "support/TestEnvironment.h"

#include <QTextCursor>
#include <gtest/gtest.h>

using layertest::Canvas;
using layertest::near;
using platform::AffineTransform;
using platform::BezierPath;
using platform::Color;

namespace {

const QString kSans = QStringLiteral("DejaVu Sans");

// Saves the sheet and answers it as read back from the file.
QImage saveAndReadBack(Canvas &canvas, const QString &name)
{
    const QString path = pelkotest::screenshotPath(name);
    EXPECT_TRUE(canvas.image().save(path)) << name.toStdString();
    const QImage back(path);
    EXPECT_FALSE(back.isNull()) << name.toStdString();
    EXPECT_GT(pelkotest::distinctColours(back, 2), 2) << name.toStdString();
    return back.convertToFormat(QImage::Format_ARGB32);
}

// The box of pixels darker than `darkness` (sum of the channels) inside the rectangle.
QRect inkBox(const QImage &image, const QRect &area, int darkness = 300)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() + c.green() + c.blue() < darkness)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

std::shared_ptr<const QGradientStops> stops(const Color &a, const Color &b)
{
    return std::make_shared<QGradientStops>(initWithStartingColor2(a, b));
}

std::shared_ptr<MyShapeLayer> shapeIn(QRectF rect)
{
    auto layer = MyShapeLayer::create();
    layer->setPath(BezierPath::bezierPathWithRect(rect));
    return layer;
}

QImage redOverBlue()
{
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            image.setPixelColor(x, y, Qt::red);
    return image;
}

std::shared_ptr<MyTextLayer> textAt(const QString &text, QPointF at, double size)
{
    auto layer = MyTextLayer::create();
    layer->setString(text);
    QFont font(kSans);
    font.setPointSizeF(size);
    layer->setFont(font);
    layer->setPosition(at);
    return layer;
}

} // namespace

TEST(LayersScreenshot, ShapeLayers)
{
    Canvas canvas(420, 110, true, true);
    auto plain = shapeIn(QRectF(10, 10, 90, 90));
    plain->setFillColor(Color::red());
    plain->setLineWidth(2);
    plain->draw(true);

    auto dashed = shapeIn(QRectF(115, 15, 80, 80));
    dashed->setStrokeColor(Color::blue());
    dashed->setLineWidth(4);
    dashed->setLineDashPattern({12, 6});
    dashed->draw(true);

    auto linear = shapeIn(QRectF(215, 10, 90, 90));
    auto sweep = MyGradient::create();
    sweep->setGradient(stops(Color::red(), Color::blue()));
    sweep->visio_updateSettingBaseOn(0, 0);
    linear->setFillGradient(sweep);
    linear->setStrokeColor(Color());
    linear->draw(true);

    auto radial = MyShapeLayer::create();
    radial->setPath(BezierPath::bezierPathWithOvalInRect(QRectF(320, 10, 90, 90)));
    auto round = MyGradient::create();
    round->setGradient(stops(Color::yellow(), Color::green()));
    round->visio_updateSettingBaseOn(3, 0);
    radial->setFillGradient(round);
    radial->draw(true);

    const QImage shot = saveAndReadBack(canvas, "layers_shapes.png");
    EXPECT_TRUE(near(shot.pixelColor(55, 55), Qt::red));
    EXPECT_TRUE(near(shot.pixelColor(10, 55), Qt::black, 60));
    EXPECT_TRUE(near(shot.pixelColor(155, 55), Qt::white));
    EXPECT_TRUE(near(shot.pixelColor(220, 55), Qt::red, 20));
    EXPECT_TRUE(near(shot.pixelColor(300, 55), Qt::blue, 20));
    EXPECT_TRUE(near(shot.pixelColor(365, 55), Qt::yellow, 12));
    EXPECT_GT(shot.pixelColor(365, 95).green(), shot.pixelColor(365, 95).red() + 60);
    // Along the top side of the dashed square both dashes and gaps show.
    int blue = 0, white = 0;
    for (int x = 118; x < 192; ++x) {
        const QColor c = shot.pixelColor(x, 15);
        blue += near(c, Qt::blue, 40);
        white += near(c, Qt::white, 40);
    }
    EXPECT_GT(blue, 30);
    EXPECT_GT(white, 15);
}

TEST(LayersScreenshot, DiagramShapes)
{
    constexpr int kCell = 130, kRow = 80;
    Canvas canvas(3 * kCell + 20, 4 * kRow + 40, true, true);
    for (int ay = 0; ay < 3; ++ay)
        for (int ax = 0; ax < 3; ++ax) {
            auto shape = VisioShapeLayer::create();
            shape->setPath(
                BezierPath::bezierPathWithRect(QRectF(10 + ax * kCell, 10 + ay * kRow, 120, 70)));
            shape->setFillColor(Color::calibratedRGB(1, 1, 0.85));
            shape->setStrokeColor(Color::gray());
            shape->setText(QStringLiteral("Align %1,%2").arg(ax).arg(ay));
            shape->setFontName(kSans);
            shape->setFontSize(11);
            shape->setTextAlignX(ax);
            shape->setTextAlignY(ay);
            shape->draw(true);
        }
    const QString words[] = {"Bold", "Italic", "Turned"};
    for (int i = 0; i < 3; ++i) {
        const QRectF box(10 + i * kCell, 10 + 3 * kRow + 10, 120, 50);
        auto shape = VisioShapeLayer::create();
        shape->setPath(BezierPath::bezierPathWithRect(box));
        shape->setFillColor(Color::calibratedRGB(0.85, 0.93, 1));
        shape->setStrokeColor(Color::blue());
        shape->setText(words[i]);
        shape->setFontName(kSans);
        shape->setFontSize(16);
        shape->setTextBold(i == 0);
        shape->setTextItalic(i == 1);
        shape->setTextColor(i == 2 ? Color::red() : Color::black());
        if (i == 2) {
            auto turn = std::make_shared<AffineTransform>();
            turn->translateXBy(box.center().x(), box.center().y());
            turn->rotateByDegrees(20);
            turn->translateXBy(-box.center().x(), -box.center().y());
            shape->setAffineTransform(turn);
        }
        shape->draw(true);
    }
    const QImage shot = saveAndReadBack(canvas, "layers_diagram.png");
    // Inside each cell (its border left out) the ink sits where the alignments put it.
    for (int ay = 0; ay < 3; ++ay)
        for (int ax = 0; ax < 3; ++ax) {
            SCOPED_TRACE(ax * 10 + ay);
            const QRect cell(13 + ax * kCell, 13 + ay * kRow, 114, 64);
            const QRect ink = inkBox(shot, cell);
            ASSERT_FALSE(ink.isEmpty());
            const int expectX = ax == 0 ? cell.left() : ax == 1 ? cell.center().x() : cell.right();
            const int actualX = ax == 0 ? ink.left() : ax == 1 ? ink.center().x() : ink.right();
            EXPECT_NEAR(actualX, expectX, 6);
            const int expectY = ay == 0 ? cell.top() : ay == 1 ? cell.center().y() : cell.bottom();
            const int actualY = ay == 0 ? ink.top() : ay == 1 ? ink.center().y() : ink.bottom();
            EXPECT_NEAR(actualY, expectY, 8);
        }
    // Bold ink is heavier than the same size of plain ink would be; the turned text is red.
    const QRect boldInk = inkBox(shot, QRect(13, 13 + 3 * kRow + 10, 114, 44));
    EXPECT_FALSE(boldInk.isEmpty());
    const QRect italicInk = inkBox(shot, QRect(13 + kCell, 13 + 3 * kRow + 10, 114, 44));
    EXPECT_FALSE(italicInk.isEmpty());
    int red = 0;
    for (int y = 3 * kRow + 10; y < 3 * kRow + 80; ++y)
        for (int x = 2 * kCell + 10; x < 3 * kCell + 10; ++x) {
            const QColor c = shot.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
    EXPECT_GT(red, 20);
}

TEST(LayersScreenshot, ImageLayersOverACheckerboard)
{
    Canvas canvas(260, 120, true, true);
    for (int y = 0; y < 120; y += 10)
        for (int x = 0; x < 260; x += 10)
            if ((x / 10 + y / 10) % 2)
                canvas.painter().fillRect(QRect(x, y, 10, 10), QColor(90, 90, 90));
    for (int i = 0; i < 2; ++i) {
        auto layer = MyImageLayer::create();
        layer->setImage(platform::Image::fromBitmap(redOverBlue()));
        layer->setImageDrawRect(QRectF(10 + i * 130, 10, 100, 100));
        layer->setImage_opaque(i == 0 ? 1.0f : 0.5f);
        layer->draw(true);
    }
    const QImage shot = saveAndReadBack(canvas, "layers_images.png");
    EXPECT_TRUE(near(shot.pixelColor(35, 25), Qt::red));
    EXPECT_TRUE(near(shot.pixelColor(35, 95), Qt::blue));
    // Half opacity: red over a white square and over a grey one.
    EXPECT_TRUE(near(shot.pixelColor(145, 25), QColor(255, 128, 128), 4));
    EXPECT_TRUE(near(shot.pixelColor(155, 25), QColor(173, 45, 45), 4));
}

TEST(LayersScreenshot, TextLayers)
{
    Canvas canvas(420, 200, true, true);
    auto underlined = textAt("Underlined text", QPointF(10, 10), 16);
    underlined->setUnderline(true);
    auto struck = textAt("Struck through", QPointF(10, 50), 16);
    struck->setLineThrough(true);
    auto faint = textAt("Half opaque red", QPointF(10, 90), 16);
    faint->setForegroundColor(Color::red());
    faint->setOpaque(0.5f);
    auto turned = textAt("Turned by 30", QPointF(240, 100), 16);
    turned->setForegroundColor(Color::blue());
    auto turn = std::make_shared<AffineTransform>();
    turn->translateXBy(240, 100);
    turn->rotateByDegrees(-30);
    turn->translateXBy(-240, -100);
    turned->setAffineTransform(turn);
    for (const auto &layer : {underlined, struck, faint, turned})
        layer->draw(true);

    const QImage shot = saveAndReadBack(canvas, "layers_text.png");
    const QRectF underlineBox = underlined->getDrawBound().translated(10, 10);
    // The underline runs under the whole text: one row of ink nearly as wide as the text.
    int longest = 0;
    for (int y = int(underlineBox.center().y()); y < int(underlineBox.bottom()) + 2; ++y) {
        int run = 0;
        for (int x = 10; x < int(underlineBox.right()); ++x)
            run = shot.pixelColor(x, y).value() < 128 ? run + 1 : 0,
            longest = std::max(longest, run);
    }
    EXPECT_GT(longest, underlineBox.width() * 0.8);
    // The strike-through crosses the middle of the text.
    const QRectF struckBox = struck->getDrawBound().translated(10, 50);
    longest = 0;
    for (int y = int(struckBox.top()); y < int(struckBox.bottom()); ++y) {
        int run = 0;
        for (int x = 10; x < int(struckBox.right()); ++x)
            run = shot.pixelColor(x, y).value() < 128 ? run + 1 : 0,
            longest = std::max(longest, run);
    }
    EXPECT_GT(longest, struckBox.width() * 0.8);
    // Half opaque red never gets darker than half red over white.
    int minGreen = 255;
    for (int y = 90; y < 115; ++y)
        for (int x = 10; x < 200; ++x)
            minGreen = std::min(minGreen, shot.pixelColor(x, y).green());
    EXPECT_GE(minGreen, 120);
    EXPECT_LT(minGreen, 200);
    // The turned text climbs to the right: its ink reaches well above its starting line.
    const QRect blueInk = inkBox(shot, QRect(230, 0, 190, 200), 500);
    EXPECT_LT(blueInk.top(), 80);
}

TEST(LayersScreenshot, RichTextLayer)
{
    Canvas canvas(360, 80, true, true);
    MyRichTextLayer layer;
    QTextCursor cursor(layer.string());
    QTextCharFormat format;
    QFont font(kSans);
    font.setPointSizeF(20);
    font.setBold(true);
    format.setFont(font, QTextCharFormat::FontPropertiesAll);
    format.setForeground(QColor(200, 0, 0));
    cursor.insertText(QStringLiteral("Bold red "), format);
    font.setBold(false);
    font.setItalic(true);
    format.setFont(font, QTextCharFormat::FontPropertiesAll);
    format.setForeground(QColor(0, 140, 0));
    cursor.insertText(QStringLiteral("italic green"), format);
    layer.setPosition(QPointF(10, 20));
    layer.draw(true);
    const QImage shot = saveAndReadBack(canvas, "layers_richtext.png");
    int red = 0, green = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            red += c.red() > 150 && c.green() < 60;
            green += c.green() > 100 && c.red() < 60;
        }
    EXPECT_GT(red, 40);
    EXPECT_GT(green, 40);
}

TEST(LayersScreenshot, PointPaths)
{
    Canvas canvas(320, 160, true, true);
    BezierPath closedSource;
    closedSource.moveToPoint(QPointF(20, 130));
    closedSource.curveToPoint(QPointF(140, 130), QPointF(40, 10), QPointF(120, 10));
    closedSource.lineToPoint(QPointF(20, 130));
    closedSource.closePath();
    auto closed = DotPath::createWithPath(&closedSource);
    ASSERT_NE(closed, nullptr);
    auto filled = MyShapeLayer::create();
    filled->setPath(closed->toPath());
    filled->setFillColor(Color::orange());
    filled->setLineWidth(2);
    filled->draw(true);

    BezierPath openSource;
    openSource.moveToPoint(QPointF(170, 130));
    openSource.curveToPoint(QPointF(240, 80), QPointF(170, 40), QPointF(220, 40));
    openSource.curveToPoint(QPointF(300, 30), QPointF(260, 120), QPointF(300, 110));
    auto open = DotPath::createWithPath(&openSource);
    ASSERT_NE(open, nullptr);
    open->ReverseOrderOfDot();
    auto stroked = MyShapeLayer::create();
    stroked->setPath(open->toPath());
    stroked->setStrokeColor(Color::purple());
    stroked->setLineWidth(3);
    stroked->draw(true);

    const QImage shot = saveAndReadBack(canvas, "layers_dotpaths.png");
    EXPECT_TRUE(near(shot.pixelColor(80, 100), QColor(255, 128, 0), 12));
    // The reversed path starts where the original ended.
    EXPECT_EQ(open->dotAtPos(0)->p(), QPointF(300, 30));
    EXPECT_TRUE(near(shot.pixelColor(300, 31), QColor(128, 0, 128), 90));
    EXPECT_TRUE(near(shot.pixelColor(240, 140), Qt::white));
}

TEST(LayersScreenshot, SheetInAYUpContext)
{
    Canvas canvas(300, 200, false, true);
    auto frame = shapeIn(QRectF(10, 10, 280, 180));
    frame->setFillColor(Color::calibratedRGB(0.9, 0.95, 1));
    frame->draw(true);
    auto image = MyImageLayer::create();
    image->setImage(platform::Image::fromBitmap(redOverBlue()));
    image->setImageDrawRect(QRectF(20, 20, 80, 80));
    image->draw(true);
    auto text = textAt("Upright in y-up", QPointF(120, 140), 14);
    text->draw(true);
    auto shape = VisioShapeLayer::create();
    shape->setPath(BezierPath::bezierPathWithRect(QRectF(120, 20, 160, 80)));
    shape->setStrokeColor(Color::blue());
    shape->setText("Top edge");
    shape->setFontName(kSans);
    shape->setTextAlignY(2);
    shape->draw(true);

    const QImage shot = saveAndReadBack(canvas, "layers_yup.png");
    // The image rectangle spans rows 100 to 180 of the picture; its red half is on top.
    EXPECT_TRUE(near(shot.pixelColor(60, 110), Qt::red));
    EXPECT_TRUE(near(shot.pixelColor(60, 170), Qt::blue));
    // The text at y 140 (its bottom, y up) sits in rows above 60.
    const QRect textInk = inkBox(shot, QRect(115, 15, 180, 50));
    ASSERT_FALSE(textInk.isEmpty());
    EXPECT_LE(textInk.bottom(), 62);
    // Alignment 2 puts the diagram text at the shape's maximum y, the top of a y-up sheet.
    const QRect shapeInk = inkBox(shot, QRect(125, 103, 150, 74));
    ASSERT_FALSE(shapeInk.isEmpty());
    EXPECT_LT(shapeInk.top(), 110);
}
