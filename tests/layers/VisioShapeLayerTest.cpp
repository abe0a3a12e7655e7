// Diagram shapes: identity numbers, the font lookup with its table, fallbacks and traits, where
// the text block goes, attributes kept until cleared, the outline before the rotation, copies,
// and the drawing state after a failure in the text step.
#include "LayerCanvas.h"
#include "foundation/PelkoNSFont.h"
#include "layers/VisioShapeLayer.h"
#include "services/Fonts.h"
#include "support/LogCapture.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

using layertest::Canvas;
using platform::BezierPath;
using platform::Color;

namespace {

const QString kSans = QStringLiteral("DejaVu Sans");

bool haveDejaVu()
{
    return QFontDatabase::hasFamily(kSans) && QFontDatabase::hasFamily("DejaVu Serif") &&
           QFontDatabase::hasFamily("DejaVu Sans Mono");
}

// The installed font list and the fallback name for one test.
class InjectedFonts
{
public:
    InjectedFonts(const QStringList &names, const QString &fallback)
        : mSavedFallback((GetAllFont(), gFallbackFontName))
    {
        setInstalledFontFamiliesHook([names] { return names; });
        gFallbackFontName = fallback;
    }
    ~InjectedFonts()
    {
        setInstalledFontFamiliesHook(nullptr);
        gFallbackFontName = mSavedFallback;
    }

private:
    QString mSavedFallback;
};

// A text that always measures 40 by 12.
class MeasuredShape : public VisioShapeLayer
{
protected:
    QSizeF measureText() const override { return QSizeF(40, 12); }
};

class FailingTextShape : public VisioShapeLayer
{
protected:
    void drawText() override { throw std::runtime_error("text failed"); }
};

std::shared_ptr<VisioShapeLayer> boxShape(std::shared_ptr<VisioShapeLayer> shape, QRectF box)
{
    shape->setPath(BezierPath::bezierPathWithRect(box));
    return shape;
}

} // namespace

TEST(VisioShapeLayer, ShapesAreNumberedInTheOrderTheyAreMade)
{
    const auto first = VisioShapeLayer::create();
    const auto second = VisioShapeLayer::create();
    EXPECT_EQ(second->visioID(), first->visioID() + 1);
    const auto copy = second->copy();
    EXPECT_EQ(static_cast<VisioShapeLayer *>(copy.get())->visioID(), second->visioID() + 1);
}

TEST(VisioShapeLayer, ListedFontNamesAreFoundFourWays)
{
    const QStringList listed{"Alpha-Beta", "GammaDelta", "Epsilon Zeta", "Omega", "Long Eta Theta"};
    struct Row
    {
        const char *requested;
        const char *found;
    };
    const Row rows[] = {
        {"Omega", "Omega"},
        {"Alpha Beta", "Alpha-Beta"},
        {"Gamma Delta", "GammaDelta"},
        {"Eta", "Long Eta Theta"},
        {"Omega Bold", "Omega"},
        {"omega", ""},
        {"", ""},
        {"Iota", ""},
    };
    for (const Row &row : rows)
        EXPECT_EQ(FindListedFontName(row.requested, listed), QString(row.found)) << row.requested;
}

TEST(VisioShapeLayer, FontNamesFallBackAndCarryTheirTraits)
{
    if (!haveDejaVu())
        GTEST_SKIP() << "DejaVu fonts are not installed";
    const InjectedFonts fonts({kSans, "DejaVu Serif", "DejaVu Sans Mono"}, "DejaVu Sans Mono");
    struct Row
    {
        const char *requested;
        bool bold;
        bool italic;
        QString expected;
    };
    const Row rows[] = {
        {"DejaVu Serif", false, false, "DejaVu Serif"},
        {"Serif", false, false, "DejaVu Serif"},
        {"Themed", false, false, "DejaVu Sans Mono"},
        {"inh", false, false, "DejaVu Sans Mono"},
        {"Not Installed Anywhere", false, false, "DejaVu Sans Mono"},
        {"", false, false, "DejaVu Sans Mono"},
        {"DejaVu Sans", true, false, kSans + "-Bold"},
        {"DejaVu Sans", false, true, kSans + "-Oblique"},
        {"DejaVu Sans", true, true, kSans + "-Bold Oblique"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.requested);
        VisioShapeLayer shape;
        shape.setFontName(row.requested);
        shape.setTextBold(row.bold);
        shape.setTextItalic(row.italic);
        const QString name = shape.getValidFontName();
        EXPECT_EQ(name, row.expected);
        ASSERT_TRUE(installedFont(name, 12).has_value());
        EXPECT_EQ(bold(*installedFont(name, 12)), row.bold);
        EXPECT_EQ(italic(*installedFont(name, 12)), row.italic);
    }

    VisioShapeLayer spelled;
    spelled.setFontName("times new roman");
    spelled.getValidFontName();
    EXPECT_EQ(spelled.fontName(), "Times-Roman");
    spelled.setFontName("ARIAL");
    spelled.getValidFontName();
    EXPECT_EQ(spelled.fontName(), "ArialMT");

    // A family without a bold face keeps its plain face.
    QString noBold;
    for (const QString &family : QFontDatabase::families())
        if (!fontWithFontBold(QFont(family), true) && QFontInfo(QFont(family)).family() == family)
            noBold = family;
    if (noBold.isEmpty())
        GTEST_SKIP() << "every installed family has a bold face";
    const InjectedFonts plainOnly({noBold}, kSans);
    VisioShapeLayer shape;
    shape.setFontName(noBold);
    shape.setTextBold(true);
    EXPECT_EQ(shape.getValidFontName(), noBold);
}

TEST(VisioShapeLayer, TheTextBlockIsPlacedByTheAlignments)
{
    struct Row
    {
        int alignX;
        int alignY;
        QRectF expected;
    };
    const Row rows[] = {
        {1, 1, {30, 19, 40, 12}}, {0, 0, {0, 0, 40, 12}},   {2, 2, {60, 38, 40, 12}},
        {3, 1, {30, 19, 40, 12}}, {7, 9, {30, 38, 40, 12}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.alignX * 10 + row.alignY);
        auto shape = boxShape(std::make_shared<MeasuredShape>(), QRectF(0, 0, 100, 50));
        shape->setText("Forty by twelve");
        shape->setTextAlignX(row.alignX);
        shape->setTextAlignY(row.alignY);
        EXPECT_EQ(shape->GetDrawRect(), row.expected);
    }
    auto empty = boxShape(std::make_shared<MeasuredShape>(), QRectF(5, 5, 100, 50));
    EXPECT_EQ(empty->GetDrawRect(), QRectF(5, 5, 100, 50));
    EXPECT_EQ(VisioShapeLayer().GetDrawRect(), QRectF());

    // A real measurement: one line of the font's height, as wide as its advance.
    if (!haveDejaVu())
        GTEST_SKIP() << "DejaVu fonts are not installed";
    const InjectedFonts fonts({kSans}, kSans);
    auto real = boxShape(VisioShapeLayer::create(), QRectF(0, 0, 300, 100));
    real->setText("Hello diagram");
    real->setFontName(kSans);
    real->setFontSize(20);
    const QRectF rect = real->GetDrawRect();
    QFont font(kSans);
    font.setPointSizeF(20);
    const QFontMetricsF metrics(font);
    EXPECT_NEAR(rect.width(), metrics.horizontalAdvance("Hello diagram"), 2);
    EXPECT_NEAR(rect.height(), metrics.height(), 2);
    EXPECT_NEAR(rect.center().x(), 150, 1);
    EXPECT_NEAR(rect.center().y(), 50, 1);
}

TEST(VisioShapeLayer, AttributesAreKeptUntilCleared)
{
    auto shape = boxShape(VisioShapeLayer::create(), QRectF(0, 0, 100, 50));
    shape->setText("Kept");
    shape->setTextColor(Color());
    shape->setupTextAttribute();
    ASSERT_TRUE(shape->textDrawAttr().has_value());
    EXPECT_EQ(shape->textColor(), Color::black());
    shape->setTextColor(Color::red());
    shape->setTextUnderline(true);
    shape->setTextAlignX(2);
    shape->setupTextAttribute();
    EXPECT_EQ(shape->textDrawAttr()->color, Color::black());
    EXPECT_FALSE(shape->textDrawAttr()->underline);
    shape->setTextDrawAttr(std::nullopt);
    shape->setupTextAttribute();
    EXPECT_EQ(shape->textDrawAttr()->color, Color::red());
    EXPECT_TRUE(shape->textDrawAttr()->underline);
    EXPECT_EQ(shape->textDrawAttr()->paragraphStyle.textOption().alignment(), Qt::AlignRight);
}

TEST(VisioShapeLayer, TheOutlineBeforeTheRotation)
{
    const QRectF box(40, 10, 60, 20);
    auto shape = VisioShapeLayer::create();
    EXPECT_FALSE(shape->path_before_angleOfShape().has_value());
    BezierPath turned = BezierPath::bezierPathWithRect(box);
    platform::AffineTransform turn;
    turn.translateXBy(box.center().x(), box.center().y());
    turn.rotateByDegrees(30);
    turn.translateXBy(-box.center().x(), -box.center().y());
    turned.transformUsingAffineTransform(turn);
    shape->setPath(turned);
    shape->setAngleOfShape(30);
    const auto before = shape->path_before_angleOfShape();
    ASSERT_TRUE(before.has_value());
    const QRectF bounds = before->bounds();
    EXPECT_NEAR(bounds.x(), box.x(), 1e-6);
    EXPECT_NEAR(bounds.y(), box.y(), 1e-6);
    EXPECT_NEAR(bounds.width(), box.width(), 1e-6);
    EXPECT_NEAR(bounds.height(), box.height(), 1e-6);

    shape->setAngleOfShape(0.05);
    EXPECT_EQ(shape->path_before_angleOfShape()->bounds(), turned.bounds());
}

TEST(VisioShapeLayer, CopiesOpacityAndImageLinks)
{
    auto source = boxShape(VisioShapeLayer::create(), QRectF(0, 0, 10, 10));
    source->setText("copied");
    source->setFontSize(30);
    source->setTextBold(true);
    source->setVisio_AttachToShape2(7);
    source->setAngleOfShape(12);
    source->setOutputElementItem(QStringLiteral("out"));
    source->subs().append(MyShapeLayer::create());
    source->setImageFilePath("/nonexistent/picture.png");
    const auto copy = std::dynamic_pointer_cast<VisioShapeLayer>(source->copy());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->text(), "copied");
    EXPECT_EQ(copy->fontSize(), 30);
    EXPECT_TRUE(copy->textBold());
    EXPECT_EQ(copy->visio_AttachToShape2(), 7);
    EXPECT_EQ(copy->angleOfShape(), 12);
    EXPECT_TRUE(copy->subs().isEmpty());
    EXPECT_FALSE(copy->outputElementItem().isValid());
    EXPECT_EQ(copy->visio_BeginArrowSize(), 2);
    EXPECT_EQ(copy->imageFilePath(), source->imageFilePath());
    EXPECT_TRUE(copy->getImageFilePath().isNull());

    QTemporaryDir dir;
    const QString picture = dir.filePath("picture.png");
    QFile(picture).open(QIODevice::WriteOnly);
    copy->setImageFilePath(picture);
    EXPECT_EQ(copy->getImageFilePath(), picture);

    // Opacity: the fill, else the text's colour when there is text, else the stroke.
    copy->setStrokeColor(Color::calibratedRGB(0, 0, 0, 0.5));
    copy->setTextColor(Color::calibratedRGB(0, 0, 0, 0.25));
    EXPECT_NEAR(copy->getOpaque(), 0.25, 0.01);
    copy->setText(QString());
    EXPECT_NEAR(copy->getOpaque(), 0.5, 0.01);
    copy->setFillColor(Color::calibratedRGB(0, 0, 0, 0.75));
    EXPECT_NEAR(copy->getOpaque(), 0.75, 0.01);
}

TEST(VisioShapeLayer, AFailedTextLeavesTheDrawingStateAsItWas)
{
    Canvas canvas;
    const int depth = canvas.context().saveDepth();
    const QTransform before = canvas.painter().transform();
    auto shape = boxShape(std::make_shared<FailingTextShape>(), QRectF(10, 10, 50, 50));
    shape->setFillColor(Color::red());
    shape->setText("boom");
    shape->setAffineTransform(std::make_shared<platform::AffineTransform>(2, 0, 0, 2, 0, 0));
    {
        pelkotest::LogCapture capture;
        shape->draw(true);
        EXPECT_TRUE(capture.hasExceptionReport());
    }
    EXPECT_EQ(canvas.context().saveDepth(), depth);
    EXPECT_EQ(canvas.painter().transform(), before);
    // The shape itself was drawn, under its own transform.
    EXPECT_TRUE(layertest::near(canvas.pixel(100, 100), Qt::red));
}
