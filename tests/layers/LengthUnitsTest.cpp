#include "layers/LengthUnits.h"
#include "services/AppSetting.h"

#include <QLocale>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

// Sets the global record's unit for one test and restores the record afterwards. Every test runs
// under the C locale and again under a German one, whose decimal comma must change nothing.
class LengthUnitsTest : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        mSaved = gAppSetting;
        mSavedLocale = QLocale();
        mSavedCLocale = std::setlocale(LC_NUMERIC, nullptr);
        const QLocale locale(QString::fromLatin1(GetParam()));
        QLocale::setDefault(locale);
        // The C library's German numbers exist only where that locale is installed.
        std::setlocale(LC_NUMERIC, (QByteArray(GetParam()) + ".UTF-8").constData());
        setUnit("pt");
    }
    void TearDown() override
    {
        std::setlocale(LC_NUMERIC, mSavedCLocale.c_str());
        QLocale::setDefault(mSavedLocale);
        gAppSetting = mSaved;
        ResetFeetUnitCache();
    }
    static void setUnit(const char *name, float factor = 1.0f)
    {
        APPSETTING_SET_STRING(gAppSetting, unitName, QString::fromUtf8(name));
        gAppSetting.unitFactor = factor;
        gAppSetting.bFeetDisplayOff = 0;
        gAppSetting.bDecimalInches = 0;
        ResetFeetUnitCache();
    }
    AppSetting mSaved;
    QLocale mSavedLocale;
    std::string mSavedCLocale;
};

const QString kFeet = QStringLiteral("'");
const QString kInch = QStringLiteral("\"");

TEST_P(LengthUnitsTest, TypedFeetAndInchesInEveryWriting)
{
    setUnit("'");
    struct Row
    {
        QString text;
        double feet;
    } rows[] = {
        {QStringLiteral("5 feet 6 inches"), 5.5},
        {QStringLiteral("5ft 6in"), 5.5},
        {QStringLiteral("5'6"), 5.5},
        {QStringLiteral("5'-6\""), 5.5},
        {QString::fromUtf8("5\u2019 6\u201D"), 5.5},
        {QString::fromUtf8("5\u2018-6\u201C"), 5.5},
        {QStringLiteral("5 - 6"), -1.0}, // a sum of 5 and -6
        {QStringLiteral("6\""), 0.5},
        {QStringLiteral("-1'"), -1.0},
        {QStringLiteral("  -  5' 6 1/2\"  "), -(5.0 + 6.5 / 12.0)},
        {QStringLiteral("3 1/2"), 3.5},
        {QStringLiteral("-"), 0.0},
        {QStringLiteral("   "), 0.0},
        {QString(), 0.0},
        {QStringLiteral("abc"), 0.0},
    };
    for (const Row &row : rows) {
        EXPECT_NEAR(FeetInchStringParse_to_FeetDecima(row.text), row.feet, 1e-9)
            << row.text.toStdString();
        EXPECT_NEAR(InputStringToLenValue(row.text), row.feet, 1e-6) << row.text.toStdString();
    }
}

TEST_P(LengthUnitsTest, SumsOfFractions)
{
    struct Row
    {
        const char *text;
        double value;
    } rows[] = {
        {"1 1/2", 1.5}, {"3/4", 0.75},     {"-2 1/4", -2.25},    {"1/0", 1.0},
        {"1/", 1.0},    {"1/2/9", 0.5},    {"\t1\n\n1/4", 1.25}, {"x 2", 2.0},
        {"\"'", 0.0},   {"1/0.0001", 1.0}, {"2e2", 200.0},       {"-", 0.0},
    };
    for (const Row &row : rows)
        EXPECT_NEAR(ParseStringToFloatWithDivideChar(QString::fromUtf8(row.text)), row.value, 1e-6)
            << row.text;
}

TEST_P(LengthUnitsTest, FeetShownWithMarks)
{
    setUnit("'");
    EXPECT_EQ(LenValueToShowString(5.5, true), QStringLiteral("5' 6\""));
    EXPECT_EQ(LenValueToShowString(0.5, true), QStringLiteral("6\""));
    EXPECT_EQ(LenValueToShowString(5.0, true), QStringLiteral("5'"));
    EXPECT_EQ(FeetDecimal_to_FeetInchStringParse(5.99999), QStringLiteral("6'"));
    EXPECT_EQ(FeetDecimal_to_FeetInchStringParse(-5.5), QStringLiteral("-5' 6\""));
    EXPECT_EQ(FeetDecimal_to_FeetInchStringParse(5.0 + 6.5 / 12), QStringLiteral("5' 6 1/2\""));
    gAppSetting.bDecimalInches = 1;
    EXPECT_EQ(FeetDecimal_to_FeetInchStringParse(5.0 + 6.25 / 12), QStringLiteral("5' 6.25\""));
}

TEST_P(LengthUnitsTest, UnitStringMarksFollowTheName)
{
    AppSetting record = gAppSetting;
    auto withName = [&](const char *name) {
        APPSETTING_SET_STRING(record, unitName, QString::fromUtf8(name));
        return LenValueToUnitString_WithSetting(&record, 5.5);
    };
    EXPECT_EQ(withName("ft"), QStringLiteral("5ft 6in"));
    EXPECT_EQ(withName("feet"), QStringLiteral("5feet 6inches"));
    EXPECT_EQ(withName("'"), QStringLiteral("5' 6\""));
    EXPECT_EQ(withName("cm"), QStringLiteral("5.5 cm"));
    record.bFeetDisplayOff = 1;
    EXPECT_EQ(withName("ft"), QStringLiteral("5.5 ft"));
}

TEST_P(LengthUnitsTest, DecimalUnits)
{
    setUnit("cm");
    EXPECT_EQ(LenValueToShowString(12.5, true), QStringLiteral("12.5cm"));
    EXPECT_EQ(LenValueToShowString(12.5, false), QStringLiteral("12.5"));
    EXPECT_EQ(LenValueToShowString(0.999, false), QStringLiteral("1"));
    EXPECT_EQ(LenValueToShowString(2.495, false), QStringLiteral("2.5"));
    setUnit("cm", 2.0f);
    EXPECT_DOUBLE_EQ(InputStringToLenValue(QStringLiteral(" 3.5cm")), 7.0);
    EXPECT_EQ(LenValueToShowString(7.0, true), QStringLiteral("3.5cm"));
    // A unit factor of nothing is replaced by 1 instead of dividing by zero.
    setUnit("cm", 0.0f);
    EXPECT_EQ(LenValueToShowString(7.0, false), QStringLiteral("7"));
    EXPECT_FLOAT_EQ(gAppSetting.unitFactor, 1.0f);
}

TEST_P(LengthUnitsTest, FeetVerdictIsCachedUntilReset)
{
    setUnit("ft");
    EXPECT_TRUE(IsFeetUnit());
    APPSETTING_SET_STRING(gAppSetting, unitName, QStringLiteral("cm"));
    EXPECT_TRUE(IsFeetUnit());
    ResetFeetUnitCache();
    EXPECT_FALSE(IsFeetUnit());
    setUnit("Feet"); // the verdict is case-sensitive; the name test is not
    EXPECT_FALSE(IsFeetUnit());
    EXPECT_TRUE(IsFeetUnitName(QStringLiteral("Feet")));
    setUnit("feet");
    gAppSetting.bFeetDisplayOff = 1;
    EXPECT_FALSE(IsFeetUnit());
    EXPECT_FALSE(IsFeetUnitName(QString()));
    EXPECT_TRUE(IsFeetUnitName(QStringLiteral("FOo")));
    EXPECT_FALSE(IsFeetUnitName(QStringLiteral("m")));
}

TEST_P(LengthUnitsTest, Fractions)
{
    EXPECT_EQ(GetFractionString(0.3), QStringLiteral("19/64"));
    EXPECT_EQ(GetFractionString(1.5), QStringLiteral("1 1/2"));
    EXPECT_EQ(GetFractionString(5.375), QStringLiteral("5 3/8"));
    EXPECT_EQ(GetFractionString(0.01), QStringLiteral("0"));
    EXPECT_EQ(GetFractionString(-3.5), QStringLiteral("0"));
    EXPECT_EQ(GetFractionString(7.01), QStringLiteral("7"));
    EXPECT_EQ(GetFractionString(std::nan("")), QStringLiteral("0"));
}

TEST_P(LengthUnitsTest, TrimmedNumbers)
{
    EXPECT_EQ(FloatToTrimmedString(QString(), 2.5), QStringLiteral("2.5"));
    EXPECT_EQ(FloatToTrimmedString(QString(), 10.0), QStringLiteral("10"));
    EXPECT_EQ(FloatToTrimmedString(QString(), -0.00001), QStringLiteral("0"));
    EXPECT_EQ(FloatToTrimmedString(QStringLiteral("%3.2f"), 100.0), QStringLiteral("100"));
    EXPECT_EQ(FloatToTrimmedString(QStringLiteral("%.1lf mm"), 2.24), QStringLiteral("2.2 mm"));
    EXPECT_EQ(FloatToShortString(1.0 / 3.0), QStringLiteral("0.33"));
    // Formats that would read something other than one double fall back to the default.
    for (const char *bad : {"%s", "%d", "%3.2f %f", "%*f", "%n", "plain", "%Lq"})
        EXPECT_EQ(FloatToTrimmedString(QString::fromLatin1(bad), 2.5), QStringLiteral("2.5"))
            << bad;
    EXPECT_EQ(FloatToTrimmedString(QStringLiteral("100%% %3.2f"), 2.5), QStringLiteral("100% 2.5"));
}

TEST_P(LengthUnitsTest, Snapping)
{
    struct Row
    {
        double in, tolerance, out;
    } rows[] = {
        {0.999, 0.02, 1.0}, {2.495, 0.02, 2.5},   {2.3, 0.02, 2.3},
        {0.5, 0.02, 0.5},   {-1.005, 0.02, -1.0}, {0.89, 0.5, 0.89},
    };
    for (const Row &row : rows) {
        double v = row.in;
        SnapToWholeOrHalf(&v, float(row.tolerance));
        EXPECT_DOUBLE_EQ(v, row.out) << row.in;
    }
    SnapToWholeOrHalf(nullptr, 0.02f);
}

TEST_P(LengthUnitsTest, ByteSizes)
{
    QString display;
    EXPECT_EQ(ParseByteSizeString(QStringLiteral("1.5 MB"), &display), 1500000);
    EXPECT_EQ(display, QStringLiteral("1.5 MB"));
    EXPECT_EQ(ParseByteSizeString(QStringLiteral("2048"), &display), 2048);
    EXPECT_EQ(display, QStringLiteral("2048 B"));
    EXPECT_EQ(ParseByteSizeString(QStringLiteral(" 3kb "), &display), 3000);
    EXPECT_EQ(display, QStringLiteral("3 KB"));
    EXPECT_EQ(ParseByteSizeString(QStringLiteral("2 TB"), nullptr), 2000000000000LL);
    EXPECT_EQ(ParseByteSizeString(QStringLiteral("  "), &display), 0);
    EXPECT_EQ(display, QStringLiteral("0 B"));
    EXPECT_EQ(ParseByteSizeString(QStringLiteral("nothing"), &display), 0);
}

TEST_P(LengthUnitsTest, HugeValuesSaturate)
{
    const double huge = 1e300;
    EXPECT_EQ(ParseByteSizeString(QStringLiteral("1e300 tb"), nullptr),
              std::numeric_limits<qint64>::max());
    EXPECT_EQ(ParseByteSizeString(QStringLiteral("-1e300 tb"), nullptr),
              std::numeric_limits<qint64>::min());
    EXPECT_EQ(ParseByteSizeString(QStringLiteral("99999999999999999999999"), nullptr),
              std::numeric_limits<qint64>::max());
    EXPECT_TRUE(GetFractionString(huge).startsWith(QStringLiteral("2147483647")));
    EXPECT_TRUE(
        FeetDecimal_to_FeetInchStringParse(-huge).startsWith(QStringLiteral("-2147483647")));
    EXPECT_FLOAT_EQ(LeadingFloatValue(QStringLiteral("1e60")), std::numeric_limits<float>::max());
    EXPECT_EQ(LeadingDoubleValue(QStringLiteral("1e-999")), 0.0);
    EXPECT_EQ(FeetDecimal_to_FeetInchStringParse(std::nan("")), QStringLiteral("0\""));
}

// A decimal comma is not a decimal point: lengths and sizes read and write the point.
TEST_P(LengthUnitsTest, DecimalCommaIsNoPoint)
{
    setUnit("cm");
    EXPECT_EQ(LenValueToShowString(12.5, true), QStringLiteral("12.5cm"));
    EXPECT_DOUBLE_EQ(InputStringToLenValue(QStringLiteral("12.5")), 12.5);
    EXPECT_DOUBLE_EQ(InputStringToLenValue(QStringLiteral("12,5")), 12.0);
    QString display;
    EXPECT_EQ(ParseByteSizeString(QStringLiteral("1.5 MB"), &display), 1500000);
    EXPECT_EQ(display, QStringLiteral("1.5 MB"));
    EXPECT_EQ(FloatToTrimmedString(QString(), 1234.5), QStringLiteral("1234.5"));
}

TEST_P(LengthUnitsTest, LeadingNumbers)
{
    EXPECT_FLOAT_EQ(LeadingFloatValue(QStringLiteral("  +3.5e1x")), 35.0f);
    EXPECT_FLOAT_EQ(LeadingFloatValue(QStringLiteral(".5")), 0.5f);
    EXPECT_FLOAT_EQ(LeadingFloatValue(QStringLiteral("5.")), 5.0f);
    EXPECT_FLOAT_EQ(LeadingFloatValue(QStringLiteral("1e")), 1.0f);
    EXPECT_FLOAT_EQ(LeadingFloatValue(QStringLiteral("inf")), 0.0f);
    EXPECT_FLOAT_EQ(LeadingFloatValue(QStringLiteral("-.")), 0.0f);
    EXPECT_EQ(LeadingLongLongValue(QStringLiteral("-42.9")), -42);
    EXPECT_EQ(GetSuperscriptTwoString(), QString(QChar(0x00B2)));
}

INSTANTIATE_TEST_SUITE_P(Locales, LengthUnitsTest, ::testing::Values("C", "de_DE"),
                         [](const auto &info) {
                             return std::string(info.param == std::string("C") ? "C" : "German");
                         });

} // namespace
