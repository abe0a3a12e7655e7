// The dark-appearance answer: its sources in order, its cache and the cache reset.
#include <gtest/gtest.h>

#include "platform/Guard.h"
#include "platform/SystemColors.h"
#include "platform/UserDefaults.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"
#include "services/Appearance.h"
#include "themes/DarkMode.h"

#include <QApplication>
#include <QPalette>
#include <thread>

namespace {

const QString kStyleKey = QStringLiteral("AppleInterfaceStyle");

// Puts the dark-mode state back and silences reports for one test.
class DarkModeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mPalette = QApplication::palette();
        mMinor = gOSVersionMinor;
        platform::setReportSink([this](const QByteArray &) { ++reports; });
        ResetDarkModeCache();
    }
    void TearDown() override
    {
        platform::setAppearanceNameHook(nullptr);
        platform::setReportSink(nullptr);
        platform::UserDefaults::standard().removeObjectForKey(kStyleKey);
        QApplication::setPalette(mPalette);
        gOSVersionMinor = mMinor;
        ResetDarkModeCache();
    }

    // The application gives an appearance name (null: none), counting the questions.
    void appearanceNamed(const QString &name)
    {
        platform::setAppearanceNameHook([this, name] {
            ++asked;
            return name;
        });
    }
    void textColour(int r, int g, int b)
    {
        QPalette p = mPalette;
        p.setColor(QPalette::Text, QColor(r, g, b));
        QApplication::setPalette(p);
    }

    int asked = 0;
    int reports = 0;

private:
    QPalette mPalette;
    int mMinor = 0;
};

} // namespace

TEST_F(DarkModeTest, AnswerIsCachedUntilReset)
{
    appearanceNamed(platform::AppearanceNameDark);
    EXPECT_EQ(DarkModeCacheValue(), -1);
    EXPECT_TRUE(GetIsDarkMode());
    EXPECT_TRUE(GetIsDarkMode());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(DarkModeCacheValue(), 1);

    appearanceNamed(platform::AppearanceNameLight);
    EXPECT_TRUE(GetIsDarkMode()); // still the cached answer
    ResetDarkModeCache();
    EXPECT_EQ(DarkModeCacheValue(), -1);
    EXPECT_FALSE(GetIsDarkMode());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(DarkModeCacheValue(), 0);
}

TEST_F(DarkModeTest, OnlyTheDarkNameCountsAndSkipsTheFallbacks)
{
    platform::UserDefaults::standard().setString(QStringLiteral("Dark"), kStyleKey);
    for (const QString &name : {QStringLiteral("DarkHighContrast"), QStringLiteral("dark"),
                                platform::AppearanceNameLight}) {
        ResetDarkModeCache();
        appearanceNamed(name);
        EXPECT_FALSE(GetIsDarkMode()) << name.toStdString();
    }
    EXPECT_EQ(reports, 0);
}

TEST_F(DarkModeTest, PaletteDecidesWithoutHooks)
{
    QPalette dark = QApplication::palette();
    dark.setColor(QPalette::Window, QColor(40, 40, 40));
    QApplication::setPalette(dark);
    EXPECT_TRUE(GetIsDarkMode());
    QPalette light = dark;
    light.setColor(QPalette::Window, QColor(240, 240, 240));
    QApplication::setPalette(light);
    EXPECT_TRUE(GetIsDarkMode()); // cached until the change is announced
    ResetDarkModeCache();
    EXPECT_FALSE(GetIsDarkMode());
}

TEST_F(DarkModeTest, ProbeDecidesByTheTextColourSum)
{
    appearanceNamed(QString());
    const quint8 recordBefore = gAppSetting.bIsDarkMode;
    const struct
    {
        int r, g, b, dark;
    } rows[] = {{128, 128, 127, 1}, {128, 127, 127, 0}, {255, 255, 255, 1}, {0, 0, 0, 0}};
    for (const auto &row : rows) {
        ResetDarkModeCache();
        textColour(row.r, row.g, row.b);
        int out = 7;
        ASSERT_TRUE(GetIsDarkModeViaDialog(&out));
        EXPECT_EQ(out, row.dark) << row.r + row.g + row.b;
        // Painting off screen changes neither the cache nor the record.
        EXPECT_EQ(DarkModeCacheValue(), -1);
        EXPECT_EQ(gAppSetting.bIsDarkMode, recordBefore);
        EXPECT_EQ(GetIsDarkMode(), row.dark == 1);
    }
    EXPECT_FALSE(GetIsDarkModeViaDialog(nullptr));

    // A worker may not build or paint the probe: no answer, and the user defaults decide.
    int fromWorker = 7;
    bool answered = true;
    std::thread worker([&] { answered = GetIsDarkModeViaDialog(&fromWorker); });
    worker.join();
    EXPECT_FALSE(answered);
    EXPECT_EQ(fromWorker, -1);
}

TEST_F(DarkModeTest, UserDefaultsAreTheLastSource)
{
    appearanceNamed(QString());
    gOSVersionMinor = 14; // no probe below 15
    auto &defaults = platform::UserDefaults::standard();
    defaults.setString(QStringLiteral("  dark\n"), kStyleKey);
    EXPECT_TRUE(GetIsDarkMode());
    ResetDarkModeCache();
    defaults.setString(QStringLiteral("Light"), kStyleKey);
    EXPECT_FALSE(GetIsDarkMode());
    ResetDarkModeCache();
    defaults.removeObjectForKey(kStyleKey);
    EXPECT_FALSE(GetIsDarkMode());
    EXPECT_EQ(DarkModeCacheValue(), 0);
}

TEST_F(DarkModeTest, PaletteChangeIsAnnouncedOnce)
{
    QObject context;
    int changes = 0;
    ObserveAppearanceChange(&context, [&changes] {
        ++changes;
        ResetDarkModeCache();
    });
    GetIsDarkMode(); // fills the cache
    EXPECT_NE(DarkModeCacheValue(), -1);
    QPalette dark = QApplication::palette();
    dark.setColor(QPalette::Window, QColor(20, 20, 20));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(DarkModeCacheValue(), -1);
    EXPECT_TRUE(GetIsDarkMode());
}

TEST_F(DarkModeTest, TheServicesAndTheThemesGiveOneAnswer)
{
    QObject context;
    UseDarkModeDetection(&context);
    appearanceNamed(platform::AppearanceNameDark);
    EXPECT_TRUE(CurrentAppearanceIsDark());
    EXPECT_TRUE(AppSetting_RefreshDarkMode());
    EXPECT_EQ(gAppSetting.bIsDarkMode, 1);
    EXPECT_EQ(asked, 1) << "asked once, then answered from the one cache";

    // An appearance change forgets the answer and stores the new one in the record.
    appearanceNamed(platform::AppearanceNameLight);
    EXPECT_TRUE(CurrentAppearanceIsDark());
    QPalette light = QApplication::palette();
    light.setColor(QPalette::Window, QColor(240, 240, 240));
    QApplication::setPalette(light);
    QCoreApplication::processEvents();
    EXPECT_EQ(gAppSetting.bIsDarkMode, 0);
    EXPECT_FALSE(CurrentAppearanceIsDark());
    EXPECT_FALSE(GetIsDarkMode());
    SetAppearanceProbe(nullptr);
}
