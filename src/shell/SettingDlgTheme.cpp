// The theme and font page of the preferences: the editor font and size, whether the theme is the
// user's own, the template themes, the 19 colours and a sample text showing them. Edits change a
// private copy of the theme; the process-wide theme changes only on OK.

#include "shell/SettingDlg.h"
#include "ui_SettingDlg.h"

#include "controls/PelkoNSTextField.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "services/AppSetting.h"
#include "services/Fonts.h"
#include "services/Localization.h"
#include "shell/AppCommands.h"
#include "themes/MyColorWell.h"
#include "themes/ThemeColor.h"

#include <QFontDatabase>
#include <QLabel>
#include <QTextCharFormat>
#include <QTextCursor>

namespace {

const char *const kStatusWellNames[5] = {"compare_COLOR_DIFF", "compare_COLOR_UNKNOWN",
                                         "compare_COLOR_ONLY1", "compare_COLOR_ONLY2",
                                         "compare_COLOR_SAME"};
const QString kSampleLink = QStringLiteral("https://www.example.com/pelko-sample");

} // namespace

MyColorWell *SettingDlg::themeWell(int slot) const
{
    if (!isWindowLoaded() || slot < 0 || slot >= ThemeColor::SlotCount)
        return nullptr;
    return const_cast<SettingDlg *>(this)->window()->findChild<MyColorWell *>(
        ThemeColor::propertyName(slot));
}

MyColorWell *SettingDlg::statusWell(int status) const
{
    if (!isWindowLoaded() || status < 0 || status >= 5)
        return nullptr;
    return const_cast<SettingDlg *>(this)->window()->findChild<MyColorWell *>(
        QString::fromLatin1(kStatusWellNames[status]));
}

void SettingDlg::applyThemeControls()
{
    mUi->bThemeIsCustomByUser->setChecked(gAppSetting.bThemeIsCustomByUser != 0);
    ApplyThemeFontColorToUI();
    action_Change_bThemeIsCustomByUser();
}

void SettingDlg::saveTheme()
{
    gAppSetting.bThemeIsCustomByUser = mUi->bThemeIsCustomByUser->isChecked() ? 1 : 0;
    const auto current = ThemeColor::getCurrent();
    if (mCurrentTheme && !mCurrentTheme->isEqual(current.get()))
        ThemeColor::setCurrentTheme(mCurrentTheme->copy());
    if (!gAppSetting.bThemeIsCustomByUser) {
        if (const auto &validate = appCommandHooks().validateThemeForAppearance)
            validate();
    }
}

void SettingDlg::action_Change_bThemeIsCustomByUser()
{
    const bool on = mUi->bThemeIsCustomByUser->isChecked();
    mUi->mCmb_ThemeList->setEnabled(on);
    for (int slot = 0; slot < ThemeColor::SlotCount; ++slot) {
        if (MyColorWell *well = themeWell(slot))
            well->setEnabled(on);
        if (auto *label = window()->findChild<QLabel *>(QStringLiteral("label_") +
                                                        ThemeColor::propertyName(slot)))
            setLableEnable(label, on);
    }
}

void SettingDlg::action_ChangeSyntax_Color(QObject *sender)
{
    GUARD_BEGIN
    if (!sender)
        return;
    if (sender == mUi->mCmb_ThemeList) {
        // The "Custom" item carries no theme: choosing it keeps the colours as they are.
        if (!mUi->mCmb_ThemeList->currentData().value<std::shared_ptr<ThemeColor>>())
            return;
        const auto theme = GetSelectedTheme_From_ComboBox(mUi->mCmb_ThemeList);
        if (!theme)
            return;
        setCurrentTheme(theme);
        ApplyThemeFontColorToUI();
        return;
    }
    for (int slot = 0; slot < ThemeColor::SlotCount; ++slot) {
        if (themeWell(slot) != sender)
            continue;
        const platform::Color color = themeWell(slot)->color();
        if (!mCurrentTheme || !color.isValid()) {
            REPORT_FATAL();
            return;
        }
        mCurrentTheme->setColorAt(slot, color);
        ApplyThemeFontColorToUI();
        return;
    }
    GUARD_END_VOID
}

void SettingDlg::Change_FontSetting()
{
    ApplyThemeFontColorToUI();
}

void SettingDlg::ApplyThemeFontColorToUI()
{
    GUARD_BEGIN
    if (!mCurrentTheme) {
        REPORT_FATAL();
        return;
    }
    mCurrentTheme->validate();
    for (int slot = 0; slot < ThemeColor::SlotCount; ++slot) {
        if (MyColorWell *well = themeWell(slot))
            well->setColor(mCurrentTheme->colorAt(slot));
    }
    if (!mUi->mtxt_TextSample) {
        REPORT_FATAL();
        return;
    }
    showTextSample();

    const double size = sliderTextSize();
    QString name = mUi->mCmb_FontName->currentText();
    if (name.isEmpty())
        name = GetDefaultFixedFontName();
    // The default fixed font may be known only by an alias ("monospace"); the text windows use
    // it the same way, so the sample shows what they will.
    if (name == GetDefaultFixedFontName() || QFontDatabase::families().contains(name)) {
        QFont font(name);
        font.setPointSizeF(size);
        font.setStyleHint(QFont::Monospace);
        mUi->mtxt_TextSample->setFont(font);
        mUi->mtxt_TextSample->document()->setDefaultFont(font);
    }
    if (mUi->title_mSlider_textSize)
        mUi->title_mSlider_textSize->setText(
            QStringLiteral("%1 (%2):")
                .arg(L_(QStringLiteral("Text Size")), QString::asprintf("%2.1f", size)));
    GUARD_END_VOID
}

void SettingDlg::showTextSample()
{
    const ThemeColor &t = *mCurrentTheme;
    struct Piece
    {
        QString text;
        int foreground;
        int background; // -1: none
        bool underline;
        bool link;
    };
    const Piece pieces[] = {
        {QStringLiteral("Normal text; "), ThemeColor::DefaultText, -1, false, false},
        {QStringLiteral("Selected text; "), ThemeColor::DefaultText, ThemeColor::Selection, false,
         false},
        {QStringLiteral("//Comment text\n"), ThemeColor::Comment, -1, false, false},
        {kSampleLink, ThemeColor::URL, -1, true, true},
        {QStringLiteral("\n"), ThemeColor::DefaultText, -1, false, false},
        {QStringLiteral("[find mark text];"), ThemeColor::DefaultText, ThemeColor::FindMark, true,
         false},
        {QStringLiteral(" 'c'(char); "), ThemeColor::Char, -1, false, false},
        {QStringLiteral("\"string\"; "), ThemeColor::String, -1, false, false},
        {QStringLiteral("0123456789(number);\n"), ThemeColor::Number, -1, false, false},
        {QStringLiteral("syntax 1; "), ThemeColor::Syntax1, -1, false, false},
        {QStringLiteral("syntax 2; "), ThemeColor::Syntax2, -1, false, false},
        {QStringLiteral("syntax 3; \n"), ThemeColor::Syntax3, -1, false, false},
        {QStringLiteral("syntax 4; "), ThemeColor::Syntax4, -1, false, false},
        {QStringLiteral("syntax 5; "), ThemeColor::Syntax5, -1, false, false},
        {QStringLiteral("syntax 6 \n"), ThemeColor::Syntax6, -1, false, false},
        {QStringLiteral("syntax 7; "), ThemeColor::Syntax7, -1, false, false},
        {QStringLiteral("syntax 8; "), ThemeColor::Syntax8, -1, false, false},
        {QStringLiteral("syntax 9; \n"), ThemeColor::Syntax9, -1, false, false},
    };
    QTextEdit *view = mUi->mtxt_TextSample;
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, t.colorAt(ThemeColor::Background).toQColor());
    palette.setColor(QPalette::Text, t.colorAt(ThemeColor::DefaultText).toQColor());
    palette.setColor(QPalette::Highlight, t.colorAt(ThemeColor::Selection).toQColor());
    palette.setColor(QPalette::HighlightedText, t.colorAt(ThemeColor::DefaultText).toQColor());
    view->setPalette(palette);
    view->clear();
    QTextCursor cursor(view->document());
    for (const Piece &piece : pieces) {
        QTextCharFormat format;
        format.setForeground(t.colorAt(piece.foreground).toQColor());
        if (piece.background >= 0)
            format.setBackground(t.colorAt(piece.background).toQColor());
        format.setFontUnderline(piece.underline);
        if (piece.link) {
            format.setAnchor(true);
            format.setAnchorHref(piece.text);
        }
        cursor.insertText(piece.text, format);
    }
}
