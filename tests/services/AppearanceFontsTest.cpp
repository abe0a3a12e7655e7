// Appearance, spelling flags, event modifiers and the font lists.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "platform/UserDefaults.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"
#include "services/Appearance.h"
#include "services/Fonts.h"

namespace {

// Sets the application palette's window colour for one test.
class PaletteScope
{
public:
    explicit PaletteScope(const QColor &window) : mOld(QApplication::palette())
    {
        QPalette p = mOld;
        p.setColor(QPalette::Window, window);
        QApplication::setPalette(p);
    }
    ~PaletteScope() { QApplication::setPalette(mOld); }

private:
    QPalette mOld;
};

TEST(Appearance, DarkStateFollowsThePaletteIntoTheRecord)
{
    {
        PaletteScope dark(QColor(30, 30, 30));
        EXPECT_TRUE(IsApplicationPaletteDark());
        gAppSetting.bIsDarkMode = 0;
        EXPECT_TRUE(AppSetting_RefreshDarkMode());
        EXPECT_EQ(gAppSetting.bIsDarkMode, 1);
    }
    PaletteScope light(QColor(236, 236, 236));
    EXPECT_FALSE(AppSetting_RefreshDarkMode());
    EXPECT_EQ(gAppSetting.bIsDarkMode, 0);
    EXPECT_TRUE(IsDarkModeSupported());
    // The themes' detection, once set, decides instead of the palette.
    SetAppearanceProbe([] { return true; });
    EXPECT_TRUE(AppSetting_RefreshDarkMode());
    SetAppearanceProbe(nullptr);
    EXPECT_FALSE(AppSetting_RefreshDarkMode());
}

TEST(Appearance, BeamCursorDependsOnTheBackground)
{
    using platform::Color;
    EXPECT_EQ(GetTextBeamCursorBaseOnBackGroundColor(Color::white()).shape(), Qt::IBeamCursor);
    EXPECT_EQ(GetTextBeamCursorBaseOnBackGroundColor(Color::calibratedRGB(0.9, 0.9, 0.8)).shape(),
              Qt::IBeamCursor);
    const QCursor dark =
        GetTextBeamCursorBaseOnBackGroundColor(Color::calibratedRGB(0.1, 0.1, 0.1));
    EXPECT_EQ(dark.shape(), Qt::BitmapCursor);
    EXPECT_FALSE(dark.pixmap().isNull());
}

TEST(Appearance, SpellingFlagsTravelWithTheEditor)
{
    AppSetting_SetDefault(&gAppSetting);
    gAppSetting.spelling_ContinuousSpellCheckingEnabled = 1;
    gAppSetting.spelling_AutomaticSpellingCorrectionEnabled = 1;
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *editor = new QPlainTextEdit;
    layout->addWidget(editor);
    editor->setFocus();
    UpdateCurrentTextSpellingSettingForWindowOrControl(&window);
    if (window.focusWidget() == editor) {
        EXPECT_TRUE(editor->property("continuousSpellChecking").toBool());
        EXPECT_FALSE(editor->property("grammarChecking").toBool());
        EXPECT_TRUE(editor->property("automaticSpellingCorrection").toBool());
    }
    QPlainTextEdit direct;
    UpdateCurrentTextSpellingSettingForWindowOrControl(&direct);
    EXPECT_TRUE(direct.property("continuousSpellChecking").toBool());
    UpdateCurrentTextSpellingSettingForWindowOrControl(nullptr);
    AppSetting_SetDefault(&gAppSetting);
}

TEST(Appearance, ModifiersAreRecordedInTheStoredBitNumbers)
{
    QKeyEvent shifted(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier | Qt::AltModifier);
    SaveCurrentEventModifiers(&shifted);
    EXPECT_EQ(gCurrentEventModifiers, kEventModifierShift | kEventModifierOption);
    QKeyEvent plain(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    SaveCurrentEventModifiers(&plain);
    EXPECT_EQ(gCurrentEventModifiers, 0u);
    EXPECT_EQ(ModifierFlagsFromQt(Qt::ControlModifier | Qt::MetaModifier),
              kEventModifierControl | kEventModifierCommand);
}

TEST(Fonts, FavouritesFirstAndEveryNameOffered)
{
    const QStringList all = GetAllFont();
    ASSERT_FALSE(all.isEmpty());
    EXPECT_FALSE(gFallbackFontName.isEmpty());
    const QString favourite = all.last();
    platform::UserDefaults::standard().setArray({favourite, QStringLiteral("No Such Font 123")},
                                                QStringLiteral("gFontFavorite"));
    const QStringList withFavourite = GetAllFont();
    platform::UserDefaults::standard().removeObjectForKey(QStringLiteral("gFontFavorite"));
    EXPECT_EQ(withFavourite.first(), favourite);
    EXPECT_EQ(withFavourite.size(), all.size()) << "no duplicates, no missing fonts";
    EXPECT_FALSE(withFavourite.contains(QStringLiteral("No Such Font 123")));

    QComboBox combo;
    combo.addItem(QStringLiteral("stale"));
    SetupFontComboBox(&combo, false);
    EXPECT_EQ(combo.count(), all.size());
    EXPECT_EQ(combo.findText(QStringLiteral("stale")), -1);
    SetupFontComboBox(nullptr, true);

    const QString fixed = GetDefaultFixedFontName();
    EXPECT_FALSE(fixed.isEmpty());
    EXPECT_EQ(GetDefaultFixedFontName(), fixed);
}

} // namespace
