// The ignore options (boxes, menu items and their stored keys), the view settings of the panes
// (font, tabs, wrapping, line numbers, colours, syntax language) and the window's menus.
#include "textcompare/MergeEditWndCtr.h"

#include "controls/PelkoNSTextView.h"
#include "platform/Guard.h"
#include "platform/UserDefaults.h"
#include "services/Alerts.h"
#include "services/AppSetting.h"
#include "services/Colors.h"
#include "services/Fonts.h"
#include "themes/LanguageList.h"
#include "services/Localization.h"
#include "textcompare/MyEditTextView.h"
#include "textcompare/PaneScrollSync.h"
#include "themes/MyLanguageFileTypeDlg.h"
#include "themes/MyLanguageInfo.h"
#include "themes/ThemeColor.h"
#include "textcompare/CenterLinkView.h"
#include "textcompare/DiffResultView.h"
#include "ui_MergeEditWndCtr.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMenu>

namespace {

const QString kNoLanguage = QStringLiteral("(none)");

const QString kOptionKeys[5] = {
    QStringLiteral("MergeEditWndCtr.mCheck_IgnoreCase"),
    QStringLiteral("MergeEditWndCtr.mCheck_IgnoreTabExpansion"),
    QStringLiteral("MergeEditWndCtr.mCheck_IgnoreSpaceChange"),
    QStringLiteral("MergeEditWndCtr.mCheck_IgnoreAllSpace"),
    QStringLiteral("MergeEditWndCtr.mCheck_IgnoreBlankLines"),
};

std::function<bool(qint64)> gViewSettingGuard;
std::function<void(const QString &, const QPoint &, QWidget *)> gToolTipShower;
std::function<void(const QString &, const QString &, bool)> gFolderPairOpener;

QString folderOfFile(const QString &path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

} // namespace

void MergeEditWndCtr::fillMenus()
{
    QMenu *encodings = mUi->mMenuReloadWithEncoding;
    encodings->clear();
    for (const QVariantList &entry : GetAllAvailableStringEncodings_Array_Name_Code()) {
        if (entry.size() < 2)
            continue;
        QAction *a = encodings->addAction(entry[0].toString());
        connect(a, &QAction::triggered, this, [this, a] { Menu_ReloadWithEncoding(a); });
    }
    // The file-type dialog, once, after the language list.
    const QString fileTypesName = QStringLiteral("actionAssignFileTypeToLanguage");
    bool hasFileTypes = false;
    for (const QAction *a : mUi->mMenuText->actions())
        hasFileTypes = hasFileTypes || a->objectName() == fileTypesName;
    if (!hasFileTypes) {
        QAction *fileTypes =
            mUi->mMenuText->addAction(L_(QStringLiteral("File Types and Languages{++}...")));
        fileTypes->setObjectName(fileTypesName);
        connect(fileTypes, &QAction::triggered, this, [] { MyLanguageFileTypeDlg::runModal(); });
    }
    QMenu *languages = mUi->mMenuHighlightWithLanguage;
    languages->clear();
    QAction *none = languages->addAction(kNoLanguage);
    connect(none, &QAction::triggered, this,
            [this, none] { Menu_Change_HightLightWithLanguage(none); });
    for (const auto &info : gAppLanguageInfoList) {
        if (!info)
            continue;
        QAction *a = languages->addAction(info->nameShow());
        connect(a, &QAction::triggered, this, [this, a] { Menu_Change_HightLightWithLanguage(a); });
    }
}

void MergeEditWndCtr::setCompareOptions(const LineCompareOptions &options)
{
    if (options == mOptions)
        return;
    mOptions = options;
    storeOptions();
    if (isWindowLoaded()) {
        syncOptionControls();
        if (!mIsClosing)
            compareKeepingPlace();
    }
}

std::vector<MergeEditWndCtr::OptionControl> MergeEditWndCtr::optionControls() const
{
    const auto &ui = *mUi;
    return {
        {ui.mCheck_IgnoreCase, ui.actionIgnoreCase, &LineCompareOptions::ignoreCase},
        {ui.mCheck_IgnoreTabExpansion, ui.actionIgnoreTabExpansion,
         &LineCompareOptions::ignoreTabExpansion},
        {ui.mCheck_IgnoreSpaceChange, ui.actionIgnoreSpaceChange,
         &LineCompareOptions::ignoreSpaceChange},
        {ui.mCheck_IgnoreAllSpace, ui.actionIgnoreAllSpace, &LineCompareOptions::ignoreAllSpace},
        {ui.mCheck_IgnoreBlankLines, ui.actionIgnoreBlankLines,
         &LineCompareOptions::ignoreBlankLines},
    };
}

void MergeEditWndCtr::syncOptionControls()
{
    for (const OptionControl &c : optionControls()) {
        const QSignalBlocker blockBox(c.box), blockAction(c.action);
        c.box->setChecked(mOptions.*(c.field));
        c.action->setChecked(mOptions.*(c.field));
    }
}

void MergeEditWndCtr::loadOptions()
{
    auto &d = platform::UserDefaults::standard();
    mOptions.ignoreCase = d.boolForKey(kOptionKeys[0]);
    mOptions.ignoreTabExpansion = d.boolForKey(kOptionKeys[1]);
    mOptions.ignoreSpaceChange = d.boolForKey(kOptionKeys[2]);
    mOptions.ignoreAllSpace = d.boolForKey(kOptionKeys[3]);
    mOptions.ignoreBlankLines = d.boolForKey(kOptionKeys[4]);
}

void MergeEditWndCtr::storeOptions()
{
    auto &d = platform::UserDefaults::standard();
    d.setBool(mOptions.ignoreCase, kOptionKeys[0]);
    d.setBool(mOptions.ignoreTabExpansion, kOptionKeys[1]);
    d.setBool(mOptions.ignoreSpaceChange, kOptionKeys[2]);
    d.setBool(mOptions.ignoreAllSpace, kOptionKeys[3]);
    d.setBool(mOptions.ignoreBlankLines, kOptionKeys[4]);
}

void MergeEditWndCtr::settingsChanged()
{
    GUARD_BEGIN
    applyLook(lookFromSettings(), false);
    // The blocks depend on the texts and the ignore options only; a look changed leaves them be.
    if (!mLoadingFiles && !mCompare->isRunning() &&
        (mCompare->isOutOfDate() || mCompare->failed() || mCompare->options() != mOptions))
        compareKeepingPlace();
    GUARD_END_VOID
}

const MERGE_BLOCK *MergeEditWndCtr::shownBlock() const
{
    if (mCurrentBlock < 0 || mCurrentBlock >= int(mergeBlocks().size()))
        return nullptr;
    const MERGE_BLOCK &b = mergeBlocks()[size_t(mCurrentBlock)];
    return mScrollSync->showsBlock(b) ? &b : nullptr;
}

MergeEditWndCtr::PanePlace MergeEditWndCtr::panePlace() const
{
    PanePlace place;
    const MERGE_BLOCK *block = shownBlock();
    for (int side : {1, 2}) {
        const MyEditTextView *view = textView(side);
        place.at[side] = block ? double(block->startLine[side]) : view->linePositionAtRow(0);
        place.row[side] = block ? view->viewRowOfLinePosition(place.at[side]) : 0;
    }
    return place;
}

void MergeEditWndCtr::restorePanePlace(const PanePlace &place)
{
    for (int side : {1, 2})
        textView(side)->scrollLinePositionToRow(place.at[side], place.row[side]);
}

MergeEditWndCtr::ViewLook MergeEditWndCtr::lookFromSettings() const
{
    ViewLook look;
    QString family = APPSETTING_GET_STRING(gAppSetting, fontName);
    if (family.isEmpty())
        family = GetDefaultFixedFontName();
    const double size =
        gAppSetting.textSize >= 6 && gAppSetting.textSize <= 50 ? gAppSetting.textSize : 12.0;
    // A stored font that is not installed (another machine's) gives the system's fixed-width
    // font, by the installed family it stands for: how a missing family is matched differs from
    // one desktop to the next and is often a proportional font.
    look.font = QFont(family);
    if (!QFontDatabase::hasFamily(family)) {
        look.font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        look.font.setFamily(QFontInfo(look.font).family());
    }
    look.font.setPointSizeF(size);
    look.font.setStyleHint(QFont::Monospace);
    look.font.setFixedPitch(true);
    const int tab = std::clamp(int(gAppSetting.textTabLen), 1, 30);
    look.tabStop = tab * QFontMetricsF(look.font).horizontalAdvance(u' ');
    look.wrap = gAppSetting.bWrapText != 0;
    look.lineNumbers = gAppSetting.bShowLineNumber != 0;
    look.autoIndent = gAppSetting.bAutoIndent != 0;
    look.marks = InvisibleMarksFromSetting(gAppSetting);
    if (const auto theme = ThemeColor::getCurrent())
        for (int slot = 0; slot < ThemeColor::SlotCount; ++slot)
            look.colours << theme->colorAt(slot).toQColor();
    for (const platform::Color &c :
         {GetColor_DiffChanged(), GetColor_DiffStatus3(), GetColor_DiffStatus4()})
        look.colours << c.toQColor();
    return look;
}

void MergeEditWndCtr::applyViewSettings()
{
    GUARD_BEGIN
    applyLook(lookFromSettings(), true);
    GUARD_END_VOID
}

void MergeEditWndCtr::applyLook(const ViewLook &look, bool everything)
{
    const bool fontChanged = everything || look.font != mLook.font || look.tabStop != mLook.tabStop;
    const bool coloursChanged = everything || look.colours != mLook.colours;
    // A preference changed in the dialog reaches the window; one left as it was keeps the
    // window's own choice.
    if (!everything && look.wrap != mLook.wrap)
        mWrapWanted = look.wrap;
    if (!everything && look.lineNumbers != mLook.lineNumbers)
        mLineNumbersWanted = look.lineNumbers;
    mLook = look;
    const bool wrap = mWrapWanted && !mLargeText;
    MyEditTextView *first = textView(1);
    const bool rowsChange = fontChanged || (!everything && coloursChanged) ||
                            (first->lineWrapMode() != QPlainTextEdit::NoWrap) != wrap ||
                            first->showLineNumbers() != mLineNumbersWanted;
    {
        // New rows under both panes: each keeps its place, which the other must not move while
        // its own rows change.
        const PanePlace place = panePlace();
        const PaneScrollSync::Hold hold(*mScrollSync);
        for (int side : {1, 2}) {
            MyEditTextView *view = textView(side);
            if (fontChanged) {
                view->setFont(look.font);
                view->setTabStopDistance(look.tabStop);
            }
            if ((view->lineWrapMode() != QPlainTextEdit::NoWrap) != wrap)
                setWrapSetting(view, wrap);
            if (view->showLineNumbers() != mLineNumbersWanted)
                view->setShowLineNumbers(mLineNumbersWanted);
            view->setInvisibleMarks(look.marks);
            view->setAutoIndent(look.autoIndent);
            if (coloursChanged)
                SetTextViewColorMode(view);
            // Colour runs are made in the theme's colours: painted again in the new ones.
            if (coloursChanged && !everything)
                view->themeChanged();
        }
        if (rowsChange)
            restorePanePlace(place);
    }
    if (coloursChanged) {
        // The connector strip and the overview strip are drawn in the panes' theme colours,
        // not the desktop's.
        for (QWidget *strip : {static_cast<QWidget *>(mUi->mCenterLinkView),
                               static_cast<QWidget *>(mUi->mDiffResultView)}) {
            strip->setPalette(textView(1)->palette());
            strip->update();
        }
    }
    syncViewMenu();
    applyLanguage();
}

std::shared_ptr<MyLanguageInfo> MergeEditWndCtr::languageForFile(const QString &path) const
{
    if (!gAppSetting.bAutoHightLightText)
        return nullptr;
    std::shared_ptr<MyLanguageInfo> language;
    const QString ext = QFileInfo(path).suffix();
    if (!ext.isEmpty())
        language = MyLanguageInfo::languageWith_fileType(ext, false);
    if (!language)
        language = MyLanguageInfo::languageWith_Setting(&gAppSetting);
    return language;
}

void MergeEditWndCtr::applyLanguage()
{
    GUARD_BEGIN
    if (!isWindowLoaded())
        return;
    for (int side : {1, 2}) {
        auto language = mLargeText        ? nullptr
                        : mLanguageChosen ? mChosenLanguage
                                          : languageForFile(file(side));
        if (textView(side)->language() != language)
            textView(side)->setLanguage(language);
    }
    GUARD_END_VOID
}

void MergeEditWndCtr::Menu_ReloadWithEncoding(QAction *item)
{
    GUARD_BEGIN
    if (!item || mLoadingFiles || !isWindowLoaded())
        return;
    const QString title = item->text();
    platform::StringEncoding encoding = 0;
    bool found = false;
    for (const QVariantList &entry : GetAllAvailableStringEncodings_Array_Name_Code()) {
        if (entry.size() >= 2 && entry[0].toString() == title) {
            encoding = platform::StringEncoding(entry[1].toULongLong());
            found = true;
            break;
        }
    }
    if (!found) {
        REPORT_FATAL();
        return;
    }
    if (encoding != 0) {
        for (int side : {1, 2}) {
            if (file(side).isEmpty() || fileFitsEncoding(file(side), encoding))
                continue;
            ShowMessage(L_("Error"),
                        FillFormat(L_("The file \"%@\" is not valid in the encoding \"%@\". "
                                      "The text stays as it was."),
                                   {file(side), platform::TextEncoding::localizedName(encoding)}));
            return;
        }
    }
    if (WasEdit()) {
        if (!AskBeforeUndoable(L_("Warning"),
                               L_("You’ll lose your changes if you reload the document."),
                               L_("Reload")))
            return;
    }
    ReadFromFiles(encoding);
    GUARD_END_VOID
}

bool MergeEditWndCtr::viewSettingAllowed() const
{
    if (!gViewSettingGuard || !textView(1))
        return true;
    // A pane may still show only the head of a text being read.
    const qint64 length = std::max({qint64(textView(1)->document()->characterCount()),
                                    qint64(textView(2)->document()->characterCount()),
                                    qint64(mLoadedText1.size()), qint64(mLoadedText2.size())});
    return gViewSettingGuard(length);
}

void MergeEditWndCtr::syncViewMenu()
{
    if (!isWindowLoaded())
        return;
    const QSignalBlocker blockWrap(mUi->actionWrapLines), blockNumbers(mUi->actionShowLineNumbers);
    mUi->actionWrapLines->setChecked(textView(1)->lineWrapMode() != QPlainTextEdit::NoWrap);
    mUi->actionShowLineNumbers->setChecked(textView(1)->showLineNumbers());
}

bool MergeEditWndCtr::Menu_SetWrapLines(bool wrap)
{
    GUARD_BEGIN
    if (!isWindowLoaded())
        return false;
    bool changed = false;
    const bool wrapped = textView(1)->lineWrapMode() != QPlainTextEdit::NoWrap;
    if (wrap != wrapped && (wrap || viewSettingAllowed())) {
        mWrapWanted = wrap;
        // The rows change under the panes: the block shown keeps its rows of the screen, else
        // each pane the line at its top (the other pane does not follow it meanwhile, as its own
        // rows are changing too). A selected block the user has scrolled away from stays away.
        const MERGE_BLOCK *block = shownBlock();
        const PanePlace place = panePlace();
        const PaneScrollSync::Hold hold(*mScrollSync);
        for (int side : {1, 2})
            setWrapSetting(textView(side), wrap);
        restorePanePlace(place);
        if (block)
            mScrollSync->revealBlock(*block);
        changed = true;
    }
    syncViewMenu();
    return changed;
    GUARD_END(false)
}

bool MergeEditWndCtr::Menu_SetShowLineNumbers(bool show)
{
    GUARD_BEGIN
    if (!isWindowLoaded())
        return false;
    bool changed = false;
    if (show != textView(1)->showLineNumbers() && (!show || viewSettingAllowed())) {
        mLineNumbersWanted = show;
        // The gutter takes width from the text, which wraps anew.
        const PanePlace place = panePlace();
        const PaneScrollSync::Hold hold(*mScrollSync);
        for (int side : {1, 2})
            textView(side)->setShowLineNumbers(show);
        restorePanePlace(place);
        changed = true;
    }
    syncViewMenu();
    return changed;
    GUARD_END(false)
}

bool MergeEditWndCtr::canCompareFolders() const
{
    const QString folder1 = folderOfFile(mFile1), folder2 = folderOfFile(mFile2);
    return !folder1.isEmpty() && !folder2.isEmpty() && folder1 != folder2;
}

void MergeEditWndCtr::setFolderPairOpener(
    std::function<void(const QString &, const QString &, bool)> opener)
{
    gFolderPairOpener = std::move(opener);
}

void MergeEditWndCtr::Merge_Compare_two_subdirectories(bool bRunNow)
{
    GUARD_BEGIN
    if (!gFolderPairOpener || mIsClosing || !canCompareFolders())
        return;
    gFolderPairOpener(folderOfFile(mFile1), folderOfFile(mFile2), bRunNow);
    GUARD_END_VOID
}

void MergeEditWndCtr::setToolTipShower(
    std::function<void(const QString &, const QPoint &, QWidget *)> shower)
{
    gToolTipShower = std::move(shower);
}

void MergeEditWndCtr::showGutterToolTip(const QString &text, const QPoint &globalPos)
{
    GUARD_BEGIN
    if (gToolTipShower && !mIsClosing && isWindowLoaded())
        gToolTipShower(text, globalPos, window());
    GUARD_END_VOID
}

void MergeEditWndCtr::setViewSettingGuard(std::function<bool(qint64)> guard)
{
    gViewSettingGuard = std::move(guard);
}

bool MergeEditWndCtr::fileFitsEncoding(const QString &path, platform::StringEncoding encoding)
{
    using namespace platform::Encoding;
    TextFileInfo info;
    info.encoding = encoding;
    // A file that cannot be read at all is reported by the reload itself.
    if (App_ReadTextFileContent(path, &info).isNull())
        return true;
    const platform::StringEncoding got = info.encoding;
    if (encoding == UTF16)
        return got == UTF16BE || got == UTF16LE;
    if (encoding == UTF32)
        return got == UTF32BE || got == UTF32LE;
    return got == encoding;
}

void MergeEditWndCtr::Menu_Change_HightLightWithLanguage(QAction *item)
{
    GUARD_BEGIN
    if (!item)
        return;
    const QString title = item->text();
    const bool turningOn = title.compare(kNoLanguage, Qt::CaseInsensitive) != 0;
    if (turningOn && !viewSettingAllowed())
        return;
    mLanguageChosen = true;
    mChosenLanguage = title.compare(kNoLanguage, Qt::CaseInsensitive) == 0
                          ? nullptr
                          : MyLanguageInfo::languageWith_nameShow(title);
    applyLanguage();
    GUARD_END_VOID
}
