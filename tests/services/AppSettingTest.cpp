// The settings record: stored layout, tolerant loading, string fields, save and load.
#include <gtest/gtest.h>

#include <QtEndian>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/Log.h"
#include "platform/UserDefaults.h"
#include "services/AppSetting.h"

namespace {

class AppSettingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto &defaults = platform::UserDefaults::standard();
        for (const QString &key : defaults.dictionaryRepresentation().keys())
            defaults.removeObjectForKey(key);
        AppSetting_SetDefault(&gAppSetting);
    }
};

template <class T> T readAt(const QByteArray &bytes, int offset)
{
    T value;
    std::memcpy(&value, bytes.constData() + offset, sizeof(T));
    return qFromLittleEndian(value);
}

TEST_F(AppSettingTest, FieldsLieAtTheirStoredBytePositions)
{
    AppSetting s{};
    s.gridSize = 0x11223344;
    s.gridSnap = 7;
    s.textTabLen = 9;
    s.textSize = 13.5;
    s.folder_compare_Mode = 2;
    s.compare_COLOR_SAME = 0xAABBCCDDull;
    s.bIsDarkMode = 1;
    s.compare_folderViewMode = 1;
    APPSETTING_SET_STRING(s, languageCode, QStringLiteral("de"));
    APPSETTING_SET_STRING(s, fontName, QStringLiteral("Mono"));
    const QByteArray bytes = AppSetting_ToData(s);
    ASSERT_EQ(bytes.size(), 565);
    EXPECT_EQ(readAt<qint32>(bytes, 23), 0x11223344);
    EXPECT_EQ(bytes.at(27), 7);
    EXPECT_EQ(readAt<qint32>(bytes, 258), 9);
    EXPECT_EQ(readAt<double>(bytes, 301), 13.5);
    EXPECT_EQ(readAt<qint32>(bytes, 547), 2);
    EXPECT_EQ(readAt<quint64>(bytes, 476), 0xAABBCCDDull);
    EXPECT_EQ(bytes.at(539), 1);
    EXPECT_EQ(readAt<qint32>(bytes, 557), 1);
    EXPECT_EQ(bytes.mid(484, 3), QByteArray("de\0", 3));
    EXPECT_EQ(bytes.mid(317, 5), QByteArray("Mono\0", 5));
}

TEST_F(AppSettingTest, BlobOfAnyOtherSizeIsRefusedAndKeepsTheRecord)
{
    for (int size : {0, 1, 564, 566, 1130}) {
        AppSetting s;
        AppSetting_SetDefault(&s);
        const QByteArray before = AppSetting_ToData(s);
        EXPECT_FALSE(AppSetting_FromData(&s, QByteArray(size, '\x7f'))) << size;
        EXPECT_EQ(AppSetting_ToData(s), before) << size;
    }
}

TEST_F(AppSettingTest, LoadOfWrongSizeDataKeepsDefaultsAndLogs)
{
    QStringList lines;
    platform::setLogSink([&](const QString &line) { lines << line; });
    platform::UserDefaults::standard().setData(QByteArray(300, '\x05'),
                                               QString::fromLatin1(kAppSettingDataKey));
    // Whatever the record held before, a damaged stored one gives the defaults.
    gAppSetting.textTabLen = 9;
    APPSETTING_SET_STRING(gAppSetting, defaultSaveTextExtension, QStringLiteral("md"));
    AppSetting_Load();
    platform::setLogSink(nullptr);
    EXPECT_EQ(+gAppSetting.textTabLen, 4);
    EXPECT_EQ(APPSETTING_GET_STRING(gAppSetting, defaultSaveTextExtension), QStringLiteral("txt"));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("ERROR")));
}

TEST_F(AppSettingTest, UnterminatedStringFieldsAreTerminatedWithinTheField)
{
    QByteArray blob(565, 'A');
    AppSetting s;
    ASSERT_TRUE(AppSetting_FromData(&s, blob));
    struct Field
    {
        const char *name;
        QString value;
        qsizetype size;
    };
    const Field fields[] = {
        {"unitName", APPSETTING_GET_STRING(s, unitName), 101},
        {"defaultSaveTextExtension", APPSETTING_GET_STRING(s, defaultSaveTextExtension), 19},
        {"language", APPSETTING_GET_STRING(s, bAutoHightLightText_WithLanguage), 20},
        {"fontName", APPSETTING_GET_STRING(s, fontName), 101},
        {"languageCode", APPSETTING_GET_STRING(s, languageCode), 49},
    };
    for (const Field &f : fields)
        EXPECT_EQ(f.value, QString(f.size - 1, QLatin1Char('A'))) << f.name;
}

TEST_F(AppSettingTest, StoredStringEndingInHalfACharacterLosesThePartialCharacter)
{
    AppSetting s;
    AppSetting_SetDefault(&s);
    QByteArray blob = AppSetting_ToData(s);
    // "ab" then the first two bytes of a three-byte character, then the field's last byte.
    blob.replace(209, 19, QByteArray("abcdefghijklmnop\xE2\x82\xAC", 19));
    ASSERT_TRUE(AppSetting_FromData(&s, blob));
    EXPECT_EQ(APPSETTING_GET_STRING(s, defaultSaveTextExtension),
              QStringLiteral("abcdefghijklmnop"));
}

TEST_F(AppSettingTest, OutOfRangeValuesAreHeldToTheirRanges)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row
    {
        const char *name;
        std::function<void(AppSetting &)> set;
        std::function<bool(const AppSetting &)> check;
    };
    const Row rows[] = {
        {"tab width low", [](AppSetting &s) { s.textTabLen = -5; },
         [](const AppSetting &s) { return s.textTabLen == 2; }},
        {"tab width high", [](AppSetting &s) { s.textTabLen = 1000; },
         [](const AppSetting &s) { return s.textTabLen == 30; }},
        {"text size NaN", [&](AppSetting &s) { s.textSize = nan; },
         [](const AppSetting &s) { return s.textSize == 12.0; }},
        {"text size high", [](AppSetting &s) { s.textSize = 1e300; },
         [](const AppSetting &s) { return s.textSize == 50.0; }},
        {"text size low", [](AppSetting &s) { s.textSize = -3; },
         [](const AppSetting &s) { return s.textSize == 6.0; }},
        {"line end", [](AppSetting &s) { s.save_Coding_EndLine = 7; },
         [](const AppSetting &s) { return s.save_Coding_EndLine == 2; }},
        {"line end negative", [](AppSetting &s) { s.save_Coding_EndLine = -1; },
         [](const AppSetting &s) { return s.save_Coding_EndLine == 0; }},
        {"compare mode", [](AppSetting &s) { s.folder_compare_Mode = 9; },
         [](const AppSetting &s) { return s.folder_compare_Mode == 3; }},
        {"compare mode negative", [](AppSetting &s) { s.folder_compare_Mode = -4; },
         [](const AppSetting &s) { return s.folder_compare_Mode == 0; }},
        {"view mode", [](AppSetting &s) { s.compare_folderViewMode = 5; },
         [](const AppSetting &s) { return s.compare_folderViewMode == 1; }},
        {"unit factor",
         [](AppSetting &s) { s.unitFactor = std::numeric_limits<float>::infinity(); },
         [](const AppSetting &s) { return s.unitFactor == 1.0f; }},
        {"open encoding unknown", [](AppSetting &s) { s.open_preferEncode = 0xDEADBEEF; },
         [](const AppSetting &s) { return s.open_preferEncode == 0; }},
        {"open encoding wide", [](AppSetting &s) { s.open_preferEncode = 1ull << 40; },
         [](const AppSetting &s) { return s.open_preferEncode == 0; }},
        {"open encoding known", [](AppSetting &s) { s.open_preferEncode = 8; },
         [](const AppSetting &s) { return s.open_preferEncode == 8; }},
        {"save encoding unknown", [](AppSetting &s) { s.save_Coding_preferEncode = 0x7777; },
         [](const AppSetting &s) { return s.save_Coding_preferEncode == 4; }},
        {"save encoding zero", [](AppSetting &s) { s.save_Coding_preferEncode = 0; },
         [](const AppSetting &s) { return s.save_Coding_preferEncode == 4; }},
        {"feet display cleared",
         [](AppSetting &s) {
             s.bFeetDisplayOff = 1;
             s.bDecimalInches = 1;
         },
         [](const AppSetting &s) { return s.bFeetDisplayOff == 0 && s.bDecimalInches == 0; }},
    };
    for (const Row &row : rows) {
        AppSetting s;
        AppSetting_SetDefault(&s);
        row.set(s);
        AppSetting loaded{};
        ASSERT_TRUE(AppSetting_FromData(&loaded, AppSetting_ToData(s))) << row.name;
        EXPECT_TRUE(row.check(loaded)) << row.name;
    }
}

TEST_F(AppSettingTest, StringFieldsAreCutAtACharacterBoundary)
{
    struct Row
    {
        QString value;
        qsizetype maxBytes;
        QString expected;
    };
    const QString euro = QStringLiteral("\u20AC");      // 3 bytes
    const QString umlaut = QStringLiteral("\u00E4");    // 2 bytes
    const QString emoji = QStringLiteral("\U0001F600"); // 4 bytes
    const Row rows[] = {
        {umlaut.repeated(12), -1, umlaut.repeated(9)}, // 18 of 18 bytes
        {euro.repeated(7), -1, euro.repeated(6)},      // 18 of 18 bytes
        {euro.repeated(7), 17, euro.repeated(5)},      // 15 of 17 bytes
        {QStringLiteral("a") + emoji.repeated(5), -1, QStringLiteral("a") + emoji.repeated(4)},
        {QStringLiteral("txt"), 17, QStringLiteral("txt")},
        {QString(), -1, QStringLiteral("")},
    };
    for (const Row &row : rows) {
        AppSetting s;
        std::memset(&s, 0x55, sizeof s);
        AppSetting_SetString(s.defaultSaveTextExtension, sizeof s.defaultSaveTextExtension,
                             row.value, row.maxBytes);
        EXPECT_EQ(APPSETTING_GET_STRING(s, defaultSaveTextExtension), row.expected)
            << qPrintable(row.value);
        EXPECT_EQ(s.defaultSaveTextExtension[18], 0);
        EXPECT_EQ(s.reserved_228, 0x55) << "wrote past the field";
    }
}

TEST_F(AppSettingTest, SaveAndLoadRoundTripTheRecordAndItsLists)
{
    AppSetting_Load(); // makes the lists
    *gAppSetting_compare_leftHistoryPaths = {QStringLiteral("/a/B"), QStringLiteral("/a/b"),
                                             QStringLiteral("/x y/")};
    *gAppSetting_compare_rightHistoryPaths = {QStringLiteral("/r")};
    *gAppSetting_compare_listOfTextSupportFileExt = {QStringLiteral(" TXT "), QStringLiteral("md"),
                                                     QStringLiteral("txt")};
    gAppSetting.textTabLen = 8;
    gAppSetting.textSize = 17.25;
    gAppSetting.folder_compare_Mode = 3;
    gAppSetting.compare_COLOR_DIFF = 0x12345678;
    gAppSetting.searchString_regex = 1;
    APPSETTING_SET_STRING(gAppSetting, fontName, QStringLiteral("Dejå Mono"));
    APPSETTING_SET_STRING(gAppSetting, bAutoHightLightText_WithLanguage, QStringLiteral("C++"));
    ASSERT_TRUE(AppSetting_Save());
    const QByteArray saved = AppSetting_ToData(gAppSetting);

    AppSetting_SetDefault(&gAppSetting);
    platform::UserDefaults::standard().reload();
    AppSetting_Load();
    EXPECT_EQ(AppSetting_ToData(gAppSetting), saved);
    EXPECT_EQ(
        *gAppSetting_compare_leftHistoryPaths,
        (QStringList{QStringLiteral("/a/B"), QStringLiteral("/a/b"), QStringLiteral("/x y/")}));
    EXPECT_EQ(*gAppSetting_compare_rightHistoryPaths, QStringList{QStringLiteral("/r")});
    EXPECT_EQ(*gAppSetting_compare_listOfTextSupportFileExt,
              (QStringList{QStringLiteral("txt"), QStringLiteral("md")}));
}

TEST_F(AppSettingTest, FolderCompareModeIsHeldBySaveAndRefresh)
{
    gAppSetting.folder_compare_Mode = 12;
    AppSetting_RefreshDarkMode();
    EXPECT_EQ(+gAppSetting.folder_compare_Mode, 3);
}

TEST_F(AppSettingTest, NewVersionResetRunsOncePerVersion)
{
    AppSetting_Load();
    gAppSetting.compare_showFolder = 0;
    gAppSetting.settingDialogLastTabIndex = 4;
    gAppSetting.textTabLen = 7;
    EXPECT_TRUE(AppSetting_ApplyNewVersionReset(QStringLiteral("9.1")));
    EXPECT_EQ(gAppSetting.compare_showFolder, 1);
    EXPECT_EQ(+gAppSetting.settingDialogLastTabIndex, 0);
    EXPECT_EQ(+gAppSetting.textTabLen, 7) << "other settings are kept";
    EXPECT_EQ(platform::UserDefaults::standard().stringForKey(
                  QString::fromLatin1(kAppFirstTimeWithVersionKey)),
              QStringLiteral("9.1"));
    gAppSetting.compare_showFolder = 0;
    EXPECT_FALSE(AppSetting_ApplyNewVersionReset(QStringLiteral("9.1")));
    EXPECT_EQ(gAppSetting.compare_showFolder, 0);
}

} // namespace
