// The effects' side of the named filters, with stand-in filters that record what they are given:
// which filter each effect asks for, its inputs in order, and what a missing filter gives.
#include "graphics/FilterEffects.h"
#include "graphics/PelkoNSImage.h"
#include "services/SupportFolder.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using platform::FilterImage;
using platform::FilterValue;
using platform::FilterVector;
using platform::Image;
using platform::ImagePtr;

namespace {

using Effect = ImagePtr (*)(const Image *, CHANGE_SETTING);

struct Call
{
    QString filter;
    std::vector<std::pair<QString, FilterValue>> inputs; // after "inputImage", in order
};
std::vector<Call> gCalls;
QImage gGenerated; // what the stand-in generators make

class StandIn : public platform::Filter
{
public:
    explicit StandIn(QString name, bool generator) : mName(std::move(name)), mGenerator(generator)
    {}
    void setDefaults() override { mDefaultsSet = true; }
    void setValue(const QString &key, FilterValue value) override
    {
        if (!mDefaultsSet)
            ADD_FAILURE() << "inputs before the defaults";
        if (!mStarted) {
            if (!mGenerator && key != QStringLiteral("inputImage"))
                ADD_FAILURE() << "the image is not the first input";
            gCalls.push_back({mName, {}});
            mStarted = true;
        }
        if (key != QStringLiteral("inputImage"))
            gCalls.back().inputs.emplace_back(key, value);
        Filter::setValue(key, std::move(value));
    }
    FilterImage outputImage() const override
    {
        if (mGenerator)
            return FilterImage::fromImage(gGenerated);
        return image(QStringLiteral("inputImage"));
    }

private:
    QString mName;
    bool mGenerator;
    bool mDefaultsSet = false;
    bool mStarted = false;
};

const char *const kFilters[] = {
    "CICrystallize",        "CIGaussianBlur",      "CIGloom",
    "CIHexagonalPixellate", "CIMotionBlur",        "CIPointillize",
    "CISharpenLuminance",   "CIUnsharpMask",       "CIVibrance",
    "CIGlassDistortion",    "CIBumpDistortion",    "CIBumpDistortionLinear",
    "CICircularWrap",       "CIHoleDistortion",    "CIPinchDistortion",
    "CITwirlDistortion",    "CIVortexDistortion",  "CIZoomBlur",
    "CICMYKHalftone",       "CICircularScreen",    "CIHatchedScreen",
    "CIDotScreen",          "CILineScreen",        "CILineOverlay",
    "CIComicEffect",        "CISunbeamsGenerator", "CIStarShineGenerator"};

QImage solid(int w, int h, QRgb premultiplied)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            reinterpret_cast<quint32 *>(image.scanLine(y))[x] = premultiplied;
    return image;
}

class FilterEffectsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureImageFilters(); // so that the first effect does not put the real filters back
        gCalls.clear();
        gGenerated = solid(3, 3, 0xFFFFFFFFu);
        for (const char *name : kFilters) {
            const QString n = QString::fromLatin1(name);
            const bool generator = n.endsWith(QStringLiteral("Generator"));
            platform::Filter::registerFilter(
                n, [n, generator] { return std::make_unique<StandIn>(n, generator); });
        }
        mBundle = pelkotest::freshDir(QStringLiteral("bundle"));
        QDir().mkpath(mBundle + QStringLiteral("/images"));
        for (int n : {1, 2})
            ASSERT_TRUE(writeToPNG(Image::fromBitmap(solid(n + 2, n + 2, 0xFF808080u)).get(),
                                   mBundle + QStringLiteral("/images/glass-texture%1.png").arg(n)));
        SetBundleResourceFolder(mBundle);
        mSource = Image::fromBitmap(solid(8, 6, 0xFF2040C0u));
    }
    void TearDown() override
    {
        SetBundleResourceFolder(QString());
        RegisterImageFilters();
    }

    QString mBundle;
    ImagePtr mSource;
};

// Fields 0 to 14 hold 0.5, 1.5, ... so that every input shows which field it came from.
CHANGE_SETTING numbered()
{
    CHANGE_SETTING s;
    for (int i = 0; i < 15; ++i)
        s.value[i] = float(i) + 0.5f;
    return s;
}

struct Row
{
    const char *name;
    Effect effect;
    const char *filter;
    std::vector<std::pair<const char *, int>> keys; // field -1: the centre
    bool missingGivesSource;
};

const std::vector<Row> &rows()
{
    static const std::vector<Row> table = {
        {"Crystallize", ApplyChange_Crystallize, "CICrystallize", {{"inputRadius", 0}}, false},
        {"GaussianBlur", ApplyChange_GaussianBlur, "CIGaussianBlur", {{"inputRadius", 0}}, false},
        {"Gloom", ApplyChange_Gloom, "CIGloom", {{"inputRadius", 0}, {"inputIntensity", 1}}, false},
        {"HexagonalPixellate",
         ApplyChange_HexagonalPixellate,
         "CIHexagonalPixellate",
         {{"inputScale", 0}},
         false},
        {"MotionBlur",
         ApplyChange_MotionBlur,
         "CIMotionBlur",
         {{"inputRadius", 0}, {"inputAngle", 1}},
         false},
        {"Pointillize", ApplyChange_Pointillize, "CIPointillize", {{"inputRadius", 0}}, false},
        {"SharpenLuminance",
         ApplyChange_SharpenLuminance,
         "CISharpenLuminance",
         {{"inputSharpness", 0}},
         false},
        {"UnsharpMask",
         ApplyChange_UnsharpMask,
         "CIUnsharpMask",
         {{"inputRadius", 0}, {"inputIntensity", 1}},
         false},
        {"Bloom",
         ApplyChange_Bloom,
         "CIUnsharpMask",
         {{"inputRadius", 0}, {"inputIntensity", 1}},
         false},
        {"Vibrance", ApplyChange_Vibrance, "CIVibrance", {{"inputAmount", 0}}, false},
        {"BumpDistortion",
         ApplyChange_BumpDistortion,
         "CIBumpDistortion",
         {{"inputRadius", 0}, {"inputScale", 1}, {"inputCenter", -1}},
         false},
        {"BumpDistortionLinear",
         ApplyChange_BumpDistortionLinear,
         "CIBumpDistortionLinear",
         {{"inputRadius", 0}, {"inputScale", 1}, {"inputAngle", 2}, {"inputCenter", -1}},
         false},
        {"CircularWrap",
         ApplyChange_CircularWrap,
         "CICircularWrap",
         {{"inputRadius", 0}, {"inputAngle", 2}, {"inputCenter", -1}},
         false},
        {"HoleDistortion",
         ApplyChange_HoleDistortion,
         "CIHoleDistortion",
         {{"inputRadius", 0}, {"inputCenter", -1}},
         false},
        {"PinchDistortion",
         ApplyChange_PinchDistortion,
         "CIPinchDistortion",
         {{"inputRadius", 0}, {"inputScale", 1}, {"inputCenter", -1}},
         false},
        {"TwirlDistortion",
         ApplyChange_TwirlDistortion,
         "CITwirlDistortion",
         {{"inputRadius", 0}, {"inputAngle", 2}, {"inputCenter", -1}},
         false},
        {"VortexDistortion",
         ApplyChange_VortexDistortion,
         "CIVortexDistortion",
         {{"inputRadius", 0}, {"inputAngle", 2}, {"inputCenter", -1}},
         false},
        {"ZoomBlur",
         ApplyChange_ZoomBlur,
         "CIZoomBlur",
         {{"inputAmount", 0}, {"inputCenter", -1}},
         false},
        {"CMYKHalftone",
         ApplyChange_CMYKHalftone,
         "CICMYKHalftone",
         {{"inputWidth", 0},
          {"inputAngle", 1},
          {"inputSharpness", 2},
          {"inputGCR", 3},
          {"inputUCR", 4}},
         true},
        {"CircularScreen",
         ApplyChange_CircularScreen,
         "CICircularScreen",
         {{"inputWidth", 0}, {"inputSharpness", 1}, {"inputCenter", -1}},
         true},
        {"HatchedScreen",
         ApplyChange_HatchedScreen,
         "CIHatchedScreen",
         {{"inputAngle", 0}, {"inputWidth", 1}, {"inputSharpness", 2}},
         true},
        {"DotScreen",
         ApplyChange_DotScreen,
         "CIDotScreen",
         {{"inputAngle", 0}, {"inputWidth", 1}, {"inputSharpness", 2}},
         true},
        {"LineScreen",
         ApplyChange_LineScreen,
         "CILineScreen",
         {{"inputAngle", 0}, {"inputWidth", 1}, {"inputSharpness", 2}},
         true},
        {"LineOverlay",
         ApplyChange_LineOverlay,
         "CILineOverlay",
         {{"inputNRNoiseLevel", 0},
          {"inputNRSharpness", 1},
          {"inputEdgeIntensity", 2},
          {"inputThreshold", 3},
          {"inputContrast", 4}},
         true},
        {"ComicEffect", ApplyChange_ComicEffect, "CIComicEffect", {}, false},
    };
    return table;
}

TEST_F(FilterEffectsTest, EachEffectSetsItsFilterInputsInOrder)
{
    const CHANGE_SETTING s = numbered();
    for (const Row &row : rows()) {
        SCOPED_TRACE(row.name);
        gCalls.clear();
        ASSERT_TRUE(row.effect(mSource.get(), s));
        ASSERT_EQ(gCalls.size(), 1u);
        EXPECT_EQ(gCalls[0].filter, QString::fromLatin1(row.filter));
        ASSERT_EQ(gCalls[0].inputs.size(), row.keys.size());
        for (size_t i = 0; i < row.keys.size(); ++i) {
            const auto &[key, value] = gCalls[0].inputs[i];
            EXPECT_EQ(key, QString::fromLatin1(row.keys[i].first));
            if (row.keys[i].second < 0)
                EXPECT_EQ(std::get<FilterVector>(value), (FilterVector{10.5, 11.5}));
            else
                EXPECT_EQ(std::get<double>(value), row.keys[i].second + 0.5);
        }
    }
}

TEST_F(FilterEffectsTest, AMissingFilterGivesNothingOrTheSource)
{
    for (const Row &row : rows()) {
        SCOPED_TRACE(row.name);
        platform::Filter::unregisterFilter(QString::fromLatin1(row.filter));
        const ImagePtr out = row.effect(mSource.get(), numbered());
        if (row.missingGivesSource)
            EXPECT_EQ(out, mSource);
        else
            EXPECT_FALSE(out);
        // A null source gives nothing in every case.
        EXPECT_FALSE(row.effect(nullptr, numbered()));
        RegisterImageFilters();
        EXPECT_FALSE(row.effect(nullptr, numbered()));
    }
    EXPECT_FALSE(ApplyChange_GlassDistortion(nullptr, numbered()));
    EXPECT_FALSE(ApplyChange_SunbeamsGenerator(nullptr, numbered()));
}

TEST_F(FilterEffectsTest, GlassTakesTheTextureOfTheRoundedNumber)
{
    const struct
    {
        float number;
        int side; // of the texture the filter is given; 0 for none
    } cases[] = {{1.4f, 3}, {1.5f, 4}, {0.6f, 3}, {2.49f, 4}, {2.5f, 0}, {0.49f, 0}, {NAN, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.number);
        gCalls.clear();
        CHANGE_SETTING s = numbered();
        s.value[1] = c.number;
        const ImagePtr out = ApplyChange_GlassDistortion(mSource.get(), s);
        if (c.side == 0) {
            EXPECT_FALSE(out);
            EXPECT_TRUE(gCalls.empty());
            continue;
        }
        ASSERT_TRUE(out);
        ASSERT_EQ(gCalls.size(), 1u);
        ASSERT_EQ(gCalls[0].inputs.size(), 2u);
        EXPECT_EQ(gCalls[0].inputs[0].first, QStringLiteral("inputTexture"));
        EXPECT_EQ(std::get<FilterImage>(gCalls[0].inputs[0].second).pixels().width(), c.side);
        EXPECT_EQ(gCalls[0].inputs[1].first, QStringLiteral("inputScale"));
        EXPECT_EQ(std::get<double>(gCalls[0].inputs[1].second), 0.5);
    }
}

TEST_F(FilterEffectsTest, TheLineOverlayTurnsCoverageIntoBlackOnWhite)
{
    // The stand-in answers its input: coverage 255 becomes black, 0 white, 64 grey 191.
    QImage lines(3, 1, QImage::Format_RGBA8888_Premultiplied);
    auto *row = reinterpret_cast<quint32 *>(lines.scanLine(0));
    row[0] = 0xFF000000u;
    row[1] = 0x00000000u;
    row[2] = 0x40101010u;
    const ImagePtr out = ApplyChange_LineOverlay(Image::fromBitmap(lines).get(), numbered());
    ASSERT_TRUE(out);
    const QImage bytes = out->representations()[0].bitmap;
    const auto *o = reinterpret_cast<const quint32 *>(bytes.constScanLine(0));
    EXPECT_EQ(o[0], 0xFF000000u);
    EXPECT_EQ(o[1], 0xFFFFFFFFu);
    EXPECT_EQ(o[2], 0xFFBFBFBFu);
}

struct Sun
{
    float mode;
    const char *filter;
};

TEST_F(FilterEffectsTest, SunbeamsOrStarShineBySizeOfTheFirstField)
{
    for (const Sun &c : {Sun{0.05f, "CISunbeamsGenerator"}, Sun{-0.05f, "CISunbeamsGenerator"},
                         Sun{0.0999f, "CISunbeamsGenerator"}, Sun{0.1f, "CIStarShineGenerator"},
                         Sun{-0.1f, "CIStarShineGenerator"}, Sun{NAN, "CIStarShineGenerator"}}) {
        SCOPED_TRACE(c.mode);
        gCalls.clear();
        CHANGE_SETTING s = numbered();
        s.value[0] = c.mode;
        ASSERT_TRUE(ApplyChange_SunbeamsGenerator(mSource.get(), s));
        ASSERT_EQ(gCalls.size(), 1u);
        EXPECT_EQ(gCalls[0].filter, QString::fromLatin1(c.filter));
        const auto &inputs = gCalls[0].inputs;
        const bool sunbeams = QString::fromLatin1(c.filter).startsWith(QStringLiteral("CISun"));
        const std::vector<QString> keys =
            sunbeams
                ? std::vector<QString>{"inputColor",
                                       "inputSunRadius",
                                       "inputMaxStriationRadius",
                                       "inputStriationStrength",
                                       "inputStriationContrast",
                                       "inputTime",
                                       "inputCenter"}
                : std::vector<QString>{"inputColor",      "inputRadius",       "inputCrossScale",
                                       "inputCrossAngle", "inputCrossOpacity", "inputCrossWidth",
                                       "inputEpsilon",    "inputCenter"};
        ASSERT_EQ(inputs.size(), keys.size());
        for (size_t i = 0; i < keys.size(); ++i)
            EXPECT_EQ(inputs[i].first, keys[i]);
        for (size_t i = 1; i + 1 < keys.size(); ++i)
            EXPECT_EQ(std::get<double>(inputs[i].second), double(i) + 0.5);
        EXPECT_EQ(std::get<FilterVector>(inputs.back().second), (FilterVector{0, 0}));
    }
    platform::Filter::unregisterFilter(QStringLiteral("CIStarShineGenerator"));
    EXPECT_FALSE(ApplyChange_SunbeamsGenerator(mSource.get(), numbered()));
}

TEST_F(FilterEffectsTest, SunbeamColourFieldsAreHeldToZeroAndOne)
{
    CHANGE_SETTING s = numbered();
    s.value[0] = 0;
    const float fields[][3] = {{1.7f, -0.3f, 0.25f}, {NAN, 1.0f, 0.0f}};
    const double expected[][3] = {{1, 0, 0.25}, {0, 1, 0}};
    for (int i = 0; i < 2; ++i) {
        gCalls.clear();
        std::copy_n(fields[i], 3, s.value + 10);
        ASSERT_TRUE(ApplyChange_SunbeamsGenerator(mSource.get(), s));
        const auto colour = std::get<platform::Color>(gCalls.at(0).inputs.at(0).second);
        EXPECT_DOUBLE_EQ(colour.redComponent(), expected[i][0]);
        EXPECT_DOUBLE_EQ(colour.greenComponent(), expected[i][1]);
        EXPECT_DOUBLE_EQ(colour.blueComponent(), expected[i][2]);
    }
}

// The light laid with its middle on (field 13, field 14): rows and columns truncated.
TEST_F(FilterEffectsTest, TheLightIsBlendedWhereItLies)
{
    // A 3 x 3 light: white in the middle, black around it, half grey top left.
    gGenerated = solid(3, 3, 0xFF000000u);
    reinterpret_cast<quint32 *>(gGenerated.scanLine(1))[1] = 0xFFFFFFFFu;
    reinterpret_cast<quint32 *>(gGenerated.scanLine(0))[0] = 0xFF808080u;
    QImage picture = solid(8, 6, 0xFF204060u);
    reinterpret_cast<quint32 *>(picture.scanLine(3))[5] = 0x80102030u; // half transparent
    const ImagePtr source = Image::fromBitmap(picture);
    CHANGE_SETTING s = numbered();
    s.value[0] = 0;
    s.value[10] = 1;   // red 255
    s.value[11] = 0.5; // green 127 (truncated)
    s.value[12] = 0;
    s.value[13] = 5.7f; // the middle lands on column 5 (1 + (x - 5.7) truncated toward zero)
    s.value[14] = 3.2f;
    const ImagePtr out = ApplyChange_SunbeamsGenerator(source.get(), s);
    ASSERT_TRUE(out);
    const QImage bytes = out->representations()[0].bitmap;
    auto at = [&](int x, int y) {
        return reinterpret_cast<const quint32 *>(bytes.constScanLine(y))[x];
    };
    // gx = 1 + (x - 5.7) truncated: x = 5 gives 0.3 -> 0, x = 6 gives 1.3 -> 1; gy likewise.
    // The white middle falls on (6, 4): the colour replaces the pixel.
    EXPECT_EQ(at(6, 4), 0xFF007FFFu);
    // Black light leaves pixels as they were.
    EXPECT_EQ(at(7, 4), 0xFF204060u);
    EXPECT_EQ(at(6, 5), 0xFF204060u);
    // The half-grey corner of the light on the half-transparent pixel (5, 3): the straight
    // colour (96, 64, 32) moves halfway to the colour, and is premultiplied again.
    const double a = (128.0 * 3) / 765;
    const int r = int(255 * a + 96 * (1 - a));
    const int g = int(127 * a + 64 * (1 - a));
    const int b = int(0 * a + 32 * (1 - a));
    const quint32 p = at(5, 3);
    EXPECT_EQ(p >> 24, 0x80u);
    EXPECT_NEAR(int(p & 0xFF), (r * 128 + 127) / 255, 1);
    EXPECT_NEAR(int((p >> 8) & 0xFF), (g * 128 + 127) / 255, 1);
    EXPECT_NEAR(int((p >> 16) & 0xFF), (b * 128 + 127) / 255, 1);
    // Truncation toward zero lays column 4 (-0.7) and row 2 (-0.2) on the light's first too;
    // column 3 and row 1 fall before it.
    EXPECT_NE(at(4, 3), 0xFF204060u);
    EXPECT_NE(at(5, 2), 0xFF204060u);
    EXPECT_EQ(at(3, 3), 0xFF204060u);
    EXPECT_EQ(at(5, 1), 0xFF204060u);
    // A light that makes no image leaves the source itself.
    gGenerated = QImage();
    EXPECT_EQ(ApplyChange_SunbeamsGenerator(source.get(), s), source);
}

} // namespace
