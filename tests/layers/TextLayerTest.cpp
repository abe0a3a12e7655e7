// Text layers: opacity held to 0..1 and put in place of the colour's alpha, attributes kept
// until rebuilt, what an exporter is told about a transformed text, format comparison, and rich
// text copies of their own.
#include "LayerCanvas.h"
#include "foundation/PelkoNSFont.h"
#include "layers/MyRichTextLayer.h"
#include "layers/MyTextLayer.h"

#include <QFontDatabase>
#include <QTextCursor>
#include <gtest/gtest.h>

using layertest::Canvas;
using platform::AffineTransform;
using platform::Color;

namespace {

// The rows holding anything that is not white, as [first, last]; (-1, -1) when none.
std::pair<int, int> inkedRows(Canvas &canvas)
{
    const QImage &image = canvas.image();
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != QColor(Qt::white)) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
        }
    }
    return {first, last};
}

QFont sans(double size)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(size);
    return font;
}

} // namespace

TEST(MyTextLayer, OpacityIsHeldToItsRangeAndReplacesTheColoursAlpha)
{
    struct Row
    {
        float opaque;
        float stored;
        Color color;
        Color expected;
    };
    const Color translucentRed = Color::calibratedRGB(1, 0, 0, 0.3);
    const Row rows[] = {
        {1.5f, 1.0f, translucentRed, translucentRed},
        {1.0f, 1.0f, Color::blue(), Color::blue()},
        {0.5f, 0.5f, translucentRed, Color::calibratedRGB(1, 0, 0, 0.5)},
        {-2.0f, 0.0f, Color::blue(), Color::calibratedRGB(0, 0, 1, 0)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.opaque);
        MyTextLayer layer;
        layer.setOpaque(row.opaque);
        layer.setForegroundColor(row.color);
        layer.setupTextAttribute();
        EXPECT_EQ(layer.opaque(), row.stored);
        ASSERT_TRUE(layer.textDrawAttr().has_value());
        const Color drawn = layer.textDrawAttr()->color;
        EXPECT_NEAR(drawn.redComponent(), row.expected.redComponent(), 0.01);
        EXPECT_NEAR(drawn.blueComponent(), row.expected.blueComponent(), 0.01);
        EXPECT_NEAR(drawn.alphaComponent(), row.expected.alphaComponent(), 0.01);
    }
}

TEST(MyTextLayer, AttributesAreKeptUntilRebuilt)
{
    Canvas canvas;
    MyTextLayer layer;
    layer.setString(QStringLiteral("Cached"));
    layer.setForegroundColor(Color::red());
    layer.setPosition(QPointF(10, 10));
    layer.draw(false);
    ASSERT_TRUE(layer.textDrawAttr().has_value());
    layer.setForegroundColor(Color::blue());
    layer.setOpaque(0.2f);
    layer.draw(false);
    EXPECT_EQ(layer.textDrawAttr()->color, Color::red());
    layer.setTextDrawAttr(std::nullopt);
    layer.draw(false);
    EXPECT_NEAR(layer.textDrawAttr()->color.alphaComponent(), 0.2, 0.01);

    // No colour: nothing drawn and no attributes.
    Canvas blank;
    MyTextLayer colourless;
    colourless.setString(QStringLiteral("Nothing"));
    colourless.setForegroundColor(Color());
    colourless.draw(true);
    colourless.setupTextAttribute();
    EXPECT_FALSE(colourless.textDrawAttr().has_value());
    EXPECT_EQ(inkedRows(blank).first, -1);
    EXPECT_EQ(colourless.getDrawBound(), QRectF());
}

TEST(MyTextLayer, TextIsDrawnUprightAtItsPositionInBothKindsOfContext)
{
    for (bool flipped : {true, false}) {
        SCOPED_TRACE(flipped);
        Canvas canvas(200, 200, flipped);
        MyTextLayer layer;
        layer.setString(QStringLiteral("HHHH"));
        layer.setFont(sans(20));
        layer.setPosition(QPointF(20, 30));
        const QRectF box = layer.getDrawBound();
        ASSERT_GT(box.height(), 10);
        layer.draw(false);
        const auto [first, last] = inkedRows(canvas);
        // The text's box has its top-left corner at the position, or in a y-up context its
        // bottom-left, and the ink lies inside it.
        const double top = flipped ? 30 : 200 - 30 - box.height();
        EXPECT_GE(first, top - 1);
        EXPECT_LE(last, top + box.height() + 1);
        EXPECT_GT(last - first, box.height() / 3);
    }
}

TEST(MyTextLayer, ExportersAreToldTheTransformedBoxSizeNameAndColour)
{
    MyTextLayer layer;
    QRectF rect;
    float angle = 0, size = 0;
    QString name;
    quint64 color = 0;
    EXPECT_FALSE(layer.getElementItemInfor(&rect, &angle, &size, &name, &color));
    layer.setString(QStringLiteral("Report"));
    EXPECT_FALSE(layer.getElementItemInfor(&rect, &angle, &size, &name, nullptr));

    // No font and size 0: the system font at its own size.
    ASSERT_TRUE(layer.getElementItemInfor(&rect, &angle, &size, &name, &color));
    const QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    EXPECT_FLOAT_EQ(size, float(system.pointSizeF()));
    EXPECT_GT(size, 0);
    EXPECT_EQ(name, fontName(system));
    EXPECT_EQ(color, 255u);

    layer.setFont(sans(12));
    layer.setForegroundColor(Color::calibratedRGB(1, 0, 0, 1));
    layer.setTextDrawAttr(std::nullopt);
    AffineTransform doubled;
    doubled.scaleBy(2);
    layer.setAffineTransform(std::make_shared<AffineTransform>(doubled));
    ASSERT_TRUE(layer.getElementItemInfor(&rect, &angle, &size, &name, &color));
    EXPECT_FLOAT_EQ(size, 24.0f);
    EXPECT_EQ(color, 0xFF0000FFu);
    EXPECT_NEAR(angle, 0, 1e-4);

    layer.setPosition(QPointF(10, 20));
    const QSizeF box = layer.getDrawBound().size();
    AffineTransform turn;
    turn.rotateByDegrees(90);
    layer.setAffineTransform(std::make_shared<AffineTransform>(turn));
    ASSERT_TRUE(layer.getElementItemInfor(&rect, &angle, &size, &name, &color));
    EXPECT_NEAR(angle, 90, 1e-3);
    EXPECT_NEAR(rect.width(), box.width(), 1e-6);
    EXPECT_NEAR(rect.height(), box.height(), 1e-6);
    const QPointF center = turn.transformPoint(QRectF(QPointF(10, 20), box).center());
    EXPECT_NEAR(rect.center().x(), center.x(), 1e-6);
    EXPECT_NEAR(rect.center().y(), center.y(), 1e-6);
    EXPECT_EQ(layer.getPositionAfterTrans(), turn.transformPoint(QPointF(10, 20)));
    EXPECT_FLOAT_EQ(size, 12.0f);
}

TEST(MyTextLayer, SameFormatComparesFontSizeWithinTwoHundredths)
{
    struct Row
    {
        float size;
        bool same;
    };
    for (const Row &row : {Row{12.0f, true}, Row{12.01f, true}, Row{12.03f, false}}) {
        SCOPED_TRACE(row.size);
        MyTextLayer a, b;
        a.setFontSize(12);
        b.setFontSize(row.size);
        b.setString(QStringLiteral("other text"));
        b.setPosition(QPointF(50, 50));
        EXPECT_EQ(a.SameFormatWith(&b), row.same);
    }
    MyTextLayer a, b;
    EXPECT_FALSE(a.SameFormatWith(nullptr));
    b.setUnderline(true);
    EXPECT_FALSE(a.SameFormatWith(&b));
    b.setUnderline(false);
    b.setFont(sans(12));
    EXPECT_FALSE(a.SameFormatWith(&b));
    a.setFont(sans(12.05));
    EXPECT_TRUE(a.SameFormatWith(&b));
    b.setOpaque(0.9f);
    EXPECT_FALSE(a.SameFormatWith(&b));

    // Copies take the format, not the tag or the importer's data.
    b.setTagName(QStringLiteral("tag"));
    b.additionImportInforDic().insert("k", 1);
    const auto copy = b.copy();
    EXPECT_TRUE(copy->SameFormatWith(&b));
    EXPECT_EQ(copy->tagName(), QString(""));
    EXPECT_TRUE(copy->additionImportInforDic().isEmpty());
}

TEST(MyRichTextLayer, CopiesKeepTheirTextAndReport)
{
    MyRichTextLayer source;
    QTextCursor cursor(source.string());
    QTextCharFormat format;
    format.setFont(sans(18), QTextCharFormat::FontPropertiesAll);
    format.setForeground(QColor(0, 128, 0));
    cursor.insertText(QStringLiteral("Rich"), format);
    source.setPosition(QPointF(5, 6));
    source.setPdf_baseLine(LINE_{QPointF(1, 2), QPointF(3, 4)});
    const auto copy = source.copy();
    cursor.insertText(QStringLiteral(" and more"));
    EXPECT_EQ(copy->string()->toPlainText(), QStringLiteral("Rich"));
    EXPECT_EQ(copy->position(), QPointF(5, 6));
    EXPECT_EQ(copy->pdf_baseLine().p2, QPointF(3, 4));
    // The copy's box is its glyphs' box, as the source's is.
    EXPECT_EQ(copy->string()->documentMargin(), 0);

    QRectF rect;
    float angle = 0, size = 0;
    QString name;
    quint64 color = 0;
    ASSERT_TRUE(copy->getElementItemInfor(&rect, &angle, &size, &name, &color));
    EXPECT_FLOAT_EQ(size, 18.0f);
    EXPECT_EQ(color, 0x008000FFu);
    EXPECT_EQ(rect.topLeft(), QPointF(5, 6));
    EXPECT_GT(rect.width(), 10);

    MyRichTextLayer empty;
    EXPECT_FALSE(empty.getElementItemInfor(&rect, &angle, &size, &name, &color));
    EXPECT_TRUE(empty.copy()->string()->isEmpty());
    EXPECT_EQ(MyRichTextLayer::merge_multi_MyTextLayer_for_pdf_only({}, nullptr), nullptr);

    Canvas canvas;
    copy->draw(true);
    EXPECT_NE(inkedRows(canvas).first, -1);
}
