#pragma once
// The 19-colour theme of the text panes, the one current theme of the process (kept in the user
// defaults under "gCurrentTheme.<property>"), theme files and the template themes.
//
// SYNTAX_COLOR_INDEX: 0 default text, 1..9 keyword groups, 996 number, 997 single-quoted text,
// 998 double-quoted text, 999 comment, 1990 background, 1991 tab/return marks, 1992 find mark,
// 1993 link, 1994 selection, 1995 insertion point.

#include "platform/Color.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

class QComboBox;
class QPlainTextEdit;
class QTextEdit;

enum SYNTAX_COLOR_INDEX : int {
    SYNTAX_COLOR_DEFAULT = 0,
    SYNTAX_COLOR_NUMBER = 996,
    SYNTAX_COLOR_SINGLE_QUOTE = 997,
    SYNTAX_COLOR_DOUBLE_QUOTE = 998,
    SYNTAX_COLOR_COMMENT = 999,
    SYNTAX_COLOR_BACKGROUND = 1990,
    SYNTAX_COLOR_MARK = 1991,
    SYNTAX_COLOR_FIND_MARK = 1992,
    SYNTAX_COLOR_URL = 1993,
    SYNTAX_COLOR_SELECTION = 1994,
    SYNTAX_COLOR_INSERTION_POINT = 1995,
};

class ThemeColor
{
public:
    // The 19 colours in their fixed order (defaults, copy, comparison, storage, lookup).
    enum Slot {
        Background,
        InsertionPoint,
        Selection,
        DefaultText,
        Comment,
        URL,
        Char,
        String,
        Number,
        FindMark,
        Syntax1,
        Syntax2,
        Syntax3,
        Syntax4,
        Syntax5,
        Syntax6,
        Syntax7,
        Syntax8,
        Syntax9,
        SlotCount
    };
    // The property name of a slot ("PelkoSourceTextBackground", ..., "mColor_Syntax9").
    static QString propertyName(int slot);

    ThemeColor(); // the defaults
    void setupAsDefault();
    // True when all 19 colours are set; otherwise the defaults are restored and false answered.
    bool validate();
    // A new theme with the same colours (after validating both).
    std::shared_ptr<ThemeColor> copy();
    // Every colour similar to the other theme's within 0.01.
    bool isEqual(const ThemeColor *other) const;
    // Stores the colours as the current theme's user defaults.
    void saveToHistory();

    static std::shared_ptr<ThemeColor> create();
    static std::shared_ptr<ThemeColor> createThemeFromFile(const QString &path);
    static std::shared_ptr<ThemeColor> loadFromHistory();
    static std::shared_ptr<ThemeColor> getCurrent();
    static void restoreToDefault();
    static void setCurrentTheme(const std::shared_ptr<ThemeColor> &theme);

    // Writes the theme as a plain theme file (property list text); false on failure.
    bool writeToFile(const QString &path) const;

    const platform::Color &colorAt(int slot) const;
    void setColorAt(int slot, const platform::Color &color);

    platform::Color PelkoSourceTextBackground() const { return mColors[Background]; }
    void setPelkoSourceTextBackground(const platform::Color &c) { mColors[Background] = c; }
    platform::Color PelkoSourceTextInsertionPointColor() const { return mColors[InsertionPoint]; }
    void setPelkoSourceTextInsertionPointColor(const platform::Color &c)
    {
        mColors[InsertionPoint] = c;
    }
    platform::Color PelkoSourceTextSelectionColor() const { return mColors[Selection]; }
    void setPelkoSourceTextSelectionColor(const platform::Color &c) { mColors[Selection] = c; }
    platform::Color mColor_DefaultText() const { return mColors[DefaultText]; }
    void setMColor_DefaultText(const platform::Color &c) { mColors[DefaultText] = c; }
    platform::Color mColor_Comment() const { return mColors[Comment]; }
    void setMColor_Comment(const platform::Color &c) { mColors[Comment] = c; }
    platform::Color mColor_URL() const { return mColors[URL]; }
    void setMColor_URL(const platform::Color &c) { mColors[URL] = c; }
    platform::Color mColor_Char() const { return mColors[Char]; }
    void setMColor_Char(const platform::Color &c) { mColors[Char] = c; }
    platform::Color mColor_String() const { return mColors[String]; }
    void setMColor_String(const platform::Color &c) { mColors[String] = c; }
    platform::Color mColor_Number() const { return mColors[Number]; }
    void setMColor_Number(const platform::Color &c) { mColors[Number] = c; }
    platform::Color mColor_FindMark() const { return mColors[FindMark]; }
    void setMColor_FindMark(const platform::Color &c) { mColors[FindMark] = c; }
    platform::Color mColor_Syntax1() const { return mColors[Syntax1]; }
    void setMColor_Syntax1(const platform::Color &c) { mColors[Syntax1] = c; }
    platform::Color mColor_Syntax2() const { return mColors[Syntax2]; }
    void setMColor_Syntax2(const platform::Color &c) { mColors[Syntax2] = c; }
    platform::Color mColor_Syntax3() const { return mColors[Syntax3]; }
    void setMColor_Syntax3(const platform::Color &c) { mColors[Syntax3] = c; }
    platform::Color mColor_Syntax4() const { return mColors[Syntax4]; }
    void setMColor_Syntax4(const platform::Color &c) { mColors[Syntax4] = c; }
    platform::Color mColor_Syntax5() const { return mColors[Syntax5]; }
    void setMColor_Syntax5(const platform::Color &c) { mColors[Syntax5] = c; }
    platform::Color mColor_Syntax6() const { return mColors[Syntax6]; }
    void setMColor_Syntax6(const platform::Color &c) { mColors[Syntax6] = c; }
    platform::Color mColor_Syntax7() const { return mColors[Syntax7]; }
    void setMColor_Syntax7(const platform::Color &c) { mColors[Syntax7] = c; }
    platform::Color mColor_Syntax8() const { return mColors[Syntax8]; }
    void setMColor_Syntax8(const platform::Color &c) { mColors[Syntax8] = c; }
    platform::Color mColor_Syntax9() const { return mColors[Syntax9]; }
    void setMColor_Syntax9(const platform::Color &c) { mColors[Syntax9] = c; }

private:
    std::array<platform::Color, SlotCount> mColors;
};

Q_DECLARE_METATYPE(std::shared_ptr<ThemeColor>)

// A colour text of a theme file ("r g b [a]", numbers from 0 to 1); an invalid colour when the
// text is not one.
platform::Color ThemeFile_GetColor_FromText(const QString &text);
// The current theme's colour of a SYNTAX_COLOR_INDEX; never invalid.
platform::Color GetApp_Color_Text_Default_WithIndex(int index);
// Background, text, insertion point, link and selection colours of a text view from the theme.
void SetTextViewColorMode(QPlainTextEdit *view);
void SetTextViewColorMode(QTextEdit *view);

platform::Color GetApp_Color_Background();
platform::Color GetApp_Color_Mark();
platform::Color GetApp_Color_FindMark();
platform::Color GetApp_Color_URL();
platform::Color GetApp_Color_DefaultText();

// Full paths of the template theme files in the support folder's "colorThemes" (refilled from
// the bundle's "themes_color" archive when it holds 5 entries or fewer); empty on failure.
QStringList GetApp_Color_ThemeTemplate_FilePaths_List();
// Appends the template themes and their display names; false when there are none.
bool GetApp_Color_ThemeTemplate_ThemeColor_List(QList<std::shared_ptr<ThemeColor>> *themes,
                                                QStringList *names);
// Forgets the cached template lists (tests, and after the folder was refilled).
void ResetThemeTemplateCache();
// Forgets the current theme so that the next getCurrent() reads the user defaults again.
void ResetCurrentThemeCache();

void Setup_ThemeTemplateList_ComboBox(QComboBox *popup);
void Select_ItemBaseOnThemeColor_ThemeTemplateList_ComboBox(
    QComboBox *popup, const std::shared_ptr<ThemeColor> &theme, const QString &title);
std::shared_ptr<ThemeColor> GetSelectedTheme_From_ComboBox(QComboBox *popup);
