// The template themes shipped in the bundle, the theme pop-up, and applying a theme to a view.

#include "themes/ThemeColor.h"

#include "platform/Guard.h"
#include "services/Appearance.h"
#include "services/FileUtility.h"
#include "services/BundleArchive.h"
#include "services/SupportFolder.h"

#include <QCollator>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

QStringList gTemplatePaths;
QList<std::shared_ptr<ThemeColor>> gTemplateThemes;
QStringList gTemplateNames;

void sortLikeFileNames(QStringList &paths)
{
    if (paths.size() < 2)
        return;
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(paths.begin(), paths.end(),
              [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
}

void rebuildTemplateThemes()
{
    gTemplateThemes.clear();
    gTemplateNames.clear();
    for (const QString &path : GetApp_Color_ThemeTemplate_FilePaths_List()) {
        if (path.isEmpty()) {
            REPORT_FATAL();
            continue;
        }
        if (!IsFileExist(path))
            continue;
        const QString name = QFileInfo(path).completeBaseName();
        if (name.isEmpty()) {
            REPORT_FATAL();
            continue;
        }
        if (name.startsWith(QLatin1Char('_')) || name.startsWith(QLatin1Char('.')))
            continue;
        auto theme = ThemeColor::createThemeFromFile(path);
        if (!theme) {
            REPORT_FATAL();
            continue;
        }
        gTemplateThemes.append(theme);
        gTemplateNames.append(name);
    }
}

template <class View> void applyThemeToView(View *view)
{
    if (!view) {
        REPORT_FATAL();
        return;
    }
    const platform::Color text = GetApp_Color_DefaultText();
    if (!text.isValid()) {
        REPORT_FATAL();
        return;
    }
    QPalette palette = view->palette();
    const QColor background = GetApp_Color_Background().toQColor();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::Text, text.toQColor());
        palette.setColor(group, QPalette::Highlight,
                         GetApp_Color_Text_Default_WithIndex(SYNTAX_COLOR_SELECTION).toQColor());
        palette.setColor(group, QPalette::HighlightedText, text.toQColor());
        palette.setColor(group, QPalette::Link, GetApp_Color_URL().toQColor());
    }
    view->setPalette(palette);
    // Qt has no insertion-point colour of its own: the views that draw their caret read it here.
    view->setProperty("insertionPointColor",
                      GetApp_Color_Text_Default_WithIndex(SYNTAX_COLOR_INSERTION_POINT).toQColor());
    // The editor of the compare window shows an I-beam that stands out from its background.
    if (view->inherits("MyEditTextView"))
        view->viewport()->setCursor(
            GetTextBeamCursorBaseOnBackGroundColor(GetApp_Color_Background()));
    view->viewport()->update();
}

} // namespace

QStringList GetApp_Color_ThemeTemplate_FilePaths_List()
{
    GUARD_BEGIN
    if (!gTemplatePaths.isEmpty())
        return gTemplatePaths;
    if (gSupportFolder.isEmpty() || !IsFolderExist(gSupportFolder)) {
        REPORT_FATAL();
        return {};
    }
    const QString folder = QDir(gSupportFolder).filePath(QStringLiteral("colorThemes"));
    if (!IsFolderExist(folder))
        CreateFolder(folder);
    if (!IsFolderExist(folder)) {
        REPORT_FATAL();
        return {};
    }
    const QString archive = GetBundleResourcePath(QStringLiteral("themes_color.zip"));
    if (archive.isEmpty())
        REPORT_FATAL();
    if (!InstallBundleArchiveIntoFolder(archive, folder)) {
        REPORT_FATAL();
        return {};
    }
    QStringList paths = GetFileListInFolder_Names(folder);
    if (paths.isEmpty()) {
        REPORT_FATAL();
        return {};
    }
    sortLikeFileNames(paths);
    gTemplatePaths = paths;
    return gTemplatePaths;
    GUARD_END({})
}

bool GetApp_Color_ThemeTemplate_ThemeColor_List(QList<std::shared_ptr<ThemeColor>> *themes,
                                                QStringList *names)
{
    GUARD_BEGIN
    if (!themes || !names) {
        REPORT_FATAL();
        return false;
    }
    const bool cached = !gTemplateThemes.isEmpty() && !gTemplateNames.isEmpty();
    if (!cached || gTemplateThemes.size() != gTemplateNames.size()) {
        if (cached)
            REPORT_FATAL();
        rebuildTemplateThemes();
    }
    if (gTemplateThemes.isEmpty() || gTemplateThemes.size() != gTemplateNames.size()) {
        REPORT_FATAL();
        return false;
    }
    themes->append(gTemplateThemes);
    names->append(gTemplateNames);
    return true;
    GUARD_END(false)
}

void ResetThemeTemplateCache()
{
    gTemplatePaths.clear();
    gTemplateThemes.clear();
    gTemplateNames.clear();
}

void Setup_ThemeTemplateList_ComboBox(QComboBox *popup)
{
    GUARD_BEGIN
    if (!popup) {
        REPORT_FATAL();
        return;
    }
    popup->clear();
    QList<std::shared_ptr<ThemeColor>> themes;
    QStringList names;
    if (!GetApp_Color_ThemeTemplate_ThemeColor_List(&themes, &names) ||
        themes.size() != names.size()) {
        REPORT_FATAL();
        return;
    }
    for (qsizetype i = 0; i < themes.size(); ++i) {
        if (!themes[i] || names[i].isEmpty()) {
            REPORT_FATAL();
            continue;
        }
        popup->addItem(names[i], QVariant::fromValue(themes[i]));
    }
    GUARD_END_VOID
}

void Select_ItemBaseOnThemeColor_ThemeTemplateList_ComboBox(
    QComboBox *popup, const std::shared_ptr<ThemeColor> &theme, const QString &title)
{
    GUARD_BEGIN
    if (!popup || popup->count() == 0) {
        REPORT_FATAL();
        return;
    }
    const int titled = title.isEmpty() ? -1 : popup->findText(title, Qt::MatchExactly);
    if (titled < 0)
        REPORT_FATAL();
    if (theme) {
        for (int i = 0; i < popup->count(); ++i) {
            const auto item = popup->itemData(i).value<std::shared_ptr<ThemeColor>>();
            if (item && item->isEqual(theme.get())) {
                popup->setCurrentIndex(i);
                return;
            }
        }
    }
    if (titled >= 0)
        popup->setCurrentIndex(titled);
    GUARD_END_VOID
}

std::shared_ptr<ThemeColor> GetSelectedTheme_From_ComboBox(QComboBox *popup)
{
    GUARD_BEGIN
    if (!popup) {
        REPORT_FATAL();
        return nullptr;
    }
    const auto theme = popup->currentData().value<std::shared_ptr<ThemeColor>>();
    if (!theme)
        REPORT_FATAL();
    return theme;
    GUARD_END(nullptr)
}

void SetTextViewColorMode(QPlainTextEdit *view)
{
    applyThemeToView(view);
}

void SetTextViewColorMode(QTextEdit *view)
{
    applyThemeToView(view);
}
