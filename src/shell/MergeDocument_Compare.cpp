// The start window's compare decision: which window a pair opens, the checks of the folder
// filters, the buttons that follow the typed paths, and what the window stores.
#include "shell/MergeDocument.h"
#include "ui_MergeDocument.h"

#include "compare/FileKind.h"
#include "compare/FolderCompareState.h"
#include "compare/GeneratePatch.h"
#include "controls/MyTokenTextList.h"
#include "controls/PelkoNSOpenPanel.h"
#include "controls/ProcessModalDlg.h"
#include "controls/TokenFilterLists.h"
#include "foldercompare/MergeFileListWndCtr.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/LocalPath.h"
#include "services/Alerts.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"
#include "services/FileUtility.h"
#include "services/Localization.h"
#include "services/TextFile.h"
#include "services/WindowFrame.h"
#include "shell/MergeImageWindCtr.h"
#include "shell/MyApp.h"
#include "shell/OpenImageCompareWindow.h"
#include "shell/StartWindowFilters.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/OpenTextCompareWindow.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

QString lastComponentShown(const QString &path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return LocalPath_Shown(QFileInfo(p).fileName());
}

QString withSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

void showError(const QString &text, QWidget *focus)
{
    ShowMessage(L_(QStringLiteral("Error")), text);
    if (focus)
        focus->setFocus();
}

void beepAndSayInvalidFile()
{
    QApplication::beep();
    ShowMessage(L_(QStringLiteral("Error")), L_(QStringLiteral("Invalid file.")));
}

// The application delegate opens untitled text windows; without one (a window on its own, as in
// tests) the window is opened here.
void OpenBlankTextCompareWindow()
{
    if (gMyApp) {
        gMyApp->New_BlankEdit();
        return;
    }
    OpenTextCompareWindow(QString(), QString());
}

const QString kMatchAllList = QStringLiteral("%@, %@, %@, %@, %@");
const QStringList kMatchAllTokens = {QStringLiteral("*"), QStringLiteral("*.*"),
                                     QStringLiteral(".*"), QStringLiteral(".*"),
                                     QStringLiteral("(.*?)")};

} // namespace

// ---- buttons ----

void MergeDocument::connectControls()
{
    Ui::MergeDocument &ui = *mUi;
    connect(ui.mCompareButton, &QPushButton::clicked, this, [this] { ButtonCompare(); });
    connect(ui.mGeneratePatch, &QPushButton::clicked, this, [this] { Button_GeneratePatch(); });
    connect(ui.mNewBlankEdit, &QPushButton::clicked, this, [this] { New_BlankEdit(); });
    connect(ui.mSwapLeftRight, &QPushButton::clicked, this, [this] { SwapLeftRight(); });
    connect(ui.mBtn_1, &QPushButton::clicked, this, [this] { ButtonLeft(); });
    connect(ui.mBtn_2, &QPushButton::clicked, this, [this] { ButtonRight(); });
    connect(ui.mLeftSelectButton, &QToolButton::clicked, this,
            [this] { LeftSelect(mUi->mLeftSelectButton); });
    connect(ui.mRightSelectButton, &QToolButton::clicked, this,
            [this] { RightSelect(mUi->mRightSelectButton); });
    for (MyTextField *field : {ui.mLeftPathTxt, ui.mRightPathTxt}) {
        connect(field, &QLineEdit::textEdited, this, [this, field] { textDidChange(field); });
        connect(field, &QLineEdit::textChanged, this, [this] { UpdateButtonStatus(); });
        connect(field, &QLineEdit::editingFinished, this,
                [this, field] { textDidEndEditing(field); });
    }
    connect(ui.searchString_regex, &QCheckBox::toggled, this,
            [this] { UpdateButtonStatus_Controls_For_searchString(); });
    connect(ui.searchString_regex_matchWholeString, &QCheckBox::toggled, this,
            [this] { UpdateButtonStatus_Controls_For_searchString(); });
    auto *modes = new QButtonGroup(mWindow);
    modes->setObjectName(QStringLiteral("compareModeGroup"));
    modes->setExclusive(true);
    for (QAbstractButton *b : {ui.compare_quickCompare_size_date, ui.compare_quickCompare_size,
                               ui.compare_quickCompare_date, ui.compare_quickCompare_full})
        modes->addButton(b);
    connect(modes, &QButtonGroup::buttonClicked, this,
            [this](QAbstractButton *b) { compare_quickCompare_change(b); });
    connect(ui.folder_compare_ignore_EndLineDiff, &QCheckBox::toggled, this,
            [this] { UpdateButtonStatus_Controls_For_compare_quickCompare_full(); });
    connect(ui.popUp_PreferEncoding, &QComboBox::currentIndexChanged, this, [this] {
        if (!mIsClosing)
            gAppSetting.open_preferEncode = CurrentEncodingOfPopup(mUi->popUp_PreferEncoding);
    });
}

void MergeDocument::ButtonCompare()
{
    startCompare(false);
}

void MergeDocument::Button_GeneratePatch()
{
    startCompare(true);
}

bool MergeDocument::validateNavigateForward() const
{
    return mWindow && mUi->mCompareButton->isEnabled();
}

void MergeDocument::validateMenuItem(QAction *item)
{
    if (!item)
        return;
    QByteArray command = item->property("pelkoRoutedCommand").toByteArray();
    if (command.isEmpty())
        command = item->objectName().toLatin1();
    if (command == "Navigate_Forward")
        item->setEnabled(validateNavigateForward() && !mIsClosing);
    else if (command == "Navigate_Back")
        item->setEnabled(validateNavigateBack());
}

bool MergeDocument::TryToCompareRightNow()
{
    if (!validateNavigateForward() || mIsClosing)
        return false;
    platform::performAfterDelay(this, 0.01, [this] { ButtonCompare(); });
    return true;
}

void MergeDocument::New_BlankEdit()
{
    OpenBlankTextCompareWindow();
}

void MergeDocument::UpdateButtonStatus()
{
    GUARD_BEGIN
    if (!mWindow || mIsClosing)
        return;
    Ui::MergeDocument &ui = *mUi;
    auto hasEntries = [](const QStringList *list) { return list && !list->isEmpty(); };
    ui.mLeftSelectButton->setEnabled(hasEntries(gAppSetting_compare_leftHistoryPaths));
    ui.mRightSelectButton->setEnabled(hasEntries(gAppSetting_compare_rightHistoryPaths));

    QString left = ui.mLeftPathTxt->text().trimmed();
    QString right = ui.mRightPathTxt->text().trimmed();
    // Paths are compared exactly: a.txt and A.txt are two files here.
    ui.mSwapLeftRight->setEnabled((!left.isEmpty() || !right.isEmpty()) &&
                                  !IsSamePath(left, right));
    const QString leftName = lastComponentShown(left), rightName = lastComponentShown(right);
    ui.mTxt_1->setText(leftName.isEmpty() ? L_(QStringLiteral("Left")) : leftName);
    ui.mTxt_2->setText(rightName.isEmpty() ? L_(QStringLiteral("Right")) : rightName);

    bool canCompare = !left.isEmpty() && !right.isEmpty() && !IsSamePath(left, right);
    if (canCompare) {
        for (MyTextField *field : {ui.mLeftPathTxt, ui.mRightPathTxt}) {
            const QString target = ResolveAliasPath(field->text().trimmed());
            if (!target.isEmpty())
                field->setText(target);
        }
        left = ui.mLeftPathTxt->text().trimmed();
        right = ui.mRightPathTxt->text().trimmed();
        const PairWindow window = CompareWindowForPaths(left, right);
        canCompare = window != PairWindow::None &&
                     !(window == PairWindow::Folder && withSlash(left) == withSlash(right));
    }
    ui.mCompareButton->setEnabled(canCompare);
    ui.mGeneratePatch->setEnabled(canCompare);

    if (IsPathExist(left) && fileURL() != left)
        setFileURL(left);
    mWindow->setWindowTitle(getWindowDisplayName());
    GUARD_END_VOID
}

void MergeDocument::SaveSetting()
{
    GUARD_BEGIN
    if (!mWindow)
        return;
    Ui::MergeDocument &ui = *mUi;
    gAppSetting.compareSubFolder = ui.mSubFolderChecker->isChecked() ? 1 : 0;
    gAppSetting.searchString_regex = ui.searchString_regex->isChecked() ? 1 : 0;
    gAppSetting.searchString_regex_matchWholeString =
        ui.searchString_regex_matchWholeString->isChecked() ? 1 : 0;
    const QList<QAbstractButton *> modes = {
        ui.compare_quickCompare_size_date, ui.compare_quickCompare_size,
        ui.compare_quickCompare_date, ui.compare_quickCompare_full};
    for (int i = 0; i < modes.size(); ++i) {
        if (modes[i]->isChecked()) {
            gAppSetting.folder_compare_Mode = i;
            break;
        }
    }
    gAppSetting.folder_compare_ignore_EndLineDiff =
        ui.folder_compare_ignore_EndLineDiff->isChecked() ? 1 : 0;
    gAppSetting.compare_folderViewMode = ui.mTreeModeChecker->isChecked() ? 1 : 0;
    gAppSetting.open_preferEncode = CurrentEncodingOfPopup(ui.popUp_PreferEncoding);

    AddPathToRecentList(ui.mLeftPathTxt->text().trimmed(), gAppSetting_compare_leftHistoryPaths,
                        true);
    AddPathToRecentList(ui.mRightPathTxt->text().trimmed(), gAppSetting_compare_rightHistoryPaths,
                        true);

    const auto fields = tokenFields();
    const auto &table = StartWindowFilterFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        MyTokenTextList *field = fields[i];
        if (!field)
            continue;
        const bool empty = field->stringValue().trimmed().isEmpty();
        if (empty)
            field->setObjectValue(QStringList{table[i].defaultText});
        field->SaveCurrentData_BaseOn_historyKey();
        // An empty exclude field is stored as "none" but stays empty, as at start: the window
        // stays open after a patch of two files, and a "none" chip would read like a filter.
        if (empty && table[i].defaultText == QLatin1String("none"))
            field->setObjectValue(QStringList());
    }
    Save_Window_Frame(mWindow, this);
    AppSetting_Save();
    GUARD_END_VOID
}

// ---- the decision ----

bool MergeDocument::askForSandboxedPath(bool left, QString *path)
{
    if (IsPathExist(*path) && SandBox_CheckCanAccessPath(*path))
        return true;
    const QString title =
        FillFormat(L_(left ? QStringLiteral("Left file{++}: {++}Select %@{++}?")
                           : QStringLiteral("Right file{++}: {++}Select %@{++}?")),
                   {LocalPath_Shown(*path)});
    const QString chosen = requestUserToSelectFileFolder(title, *path, L_(QStringLiteral("Open")),
                                                         true, true, false, false, {});
    if (chosen.isEmpty())
        return false;
    if (left)
        SetLeftText(chosen);
    else
        SetRightText(chosen);
    *path = chosen;
    return true;
}

void MergeDocument::startCompare(bool generatePatch)
{
    GUARD_BEGIN
    if (mIsClosing || !mWindow)
        return;
    if (!CheckCompareNotBusyAndWarn(this))
        return;
    SaveSetting();
    QString left = mUi->mLeftPathTxt->text().trimmed();
    QString right = mUi->mRightPathTxt->text().trimmed();
    if (left.isEmpty() || right.isEmpty() || IsSamePath(left, right))
        return;
    if (gAppHasSandbox) {
        if (!askForSandboxedPath(true, &left) || !askForSandboxedPath(false, &right))
            return;
        if (IsSamePath(left, right))
            return;
    }
    const bool regex = mUi->searchString_regex->isChecked();
    const auto all = tokenFields();
    const std::array<MyTokenTextList *, 3> fields =
        regex ? std::array<MyTokenTextList *, 3>{all[3], all[4], all[5]}
              : std::array<MyTokenTextList *, 3>{all[0], all[1], all[2]};

    const PairWindow window = CompareWindowForPaths(left, right);
    if (window == PairWindow::Folder) {
        gAppSetting.compareSubFolder = mUi->mSubFolderChecker->isChecked() ? 1 : 0;
        gAppSetting.compare_folderViewMode = mUi->mTreeModeChecker->isChecked() ? 1 : 0;
        std::array<FilterList, 3> lists;
        if (!validateFolderFilters(fields, regex, &lists))
            return;
        openFolderCompare(left, right, generatePatch, std::move(lists), regex);
        return;
    }
    if (window != PairWindow::None) {
        if (openFileCompare(left, right, generatePatch))
            closeAfterCompareWindowOpened();
    }
    // Anything else (a missing path, a folder with a file) opens nothing.
    GUARD_END_VOID
}

bool MergeDocument::validateFolderFilters(const std::array<MyTokenTextList *, 3> &fields,
                                          bool regex, std::array<FilterList, 3> *lists)
{
    Ui::MergeDocument &ui = *mUi;
    const QString includeLabel = ui.mTxt_Filter->text();
    const QString excludeLabel = ui.mTxt_ExcludeFilter->text();
    const QString shouldNot = L_(QStringLiteral("[%1$@] should not contains [%2$@]"));
    MyTokenTextList *include = fields[0], *exclude = fields[1], *subFolders = fields[2];
    auto refused = [](MyTokenTextList *f) {
        return f ? f->isContaining_ProhibitedStrings() : QString();
    };

    if (const QString r = refused(include); !r.isEmpty())
        return showError(FillFormat(shouldNot, {includeLabel, r}), include), false;
    if (const QString r = refused(exclude); !r.isEmpty())
        return showError(FillFormat(shouldNot, {excludeLabel, r}), exclude), false;
    if (const QString r = refused(subFolders); !r.isEmpty()) {
        const QString text =
            FillFormat(L_(QStringLiteral("The field [%@] is invalid.")), {excludeLabel}) +
            QStringLiteral("\n") +
            FillFormat(L_(QStringLiteral("Exclude filter should not contain following "
                                         "string:\n\n   %@")),
                       {r});
        return showError(text, subFolders), false;
    }
    const QString same =
        Get_Same_String_In_Two_NSTokenField(include, exclude, QStringLiteral("\n  + "));
    if (!same.isEmpty()) {
        const QString text = FillFormat(
            QStringLiteral("[%@] and [%@] should not contain identical string items:\n%@"),
            {includeLabel, excludeLabel, same});
        return showError(text, include), false;
    }

    bool hasNone[3] = {}, hasAll[3] = {};
    const bool fileNames[3] = {true, true, false};
    QStringList tokens[3];
    for (int i = 0; i < 3; ++i)
        tokens[i] = GenExtensionListFrom_NSTokenField(fields[i], fileNames[i], regex, &hasNone[i],
                                                      &hasAll[i]);
    const QString matchAll = FillFormat(kMatchAllList, kMatchAllTokens);
    if (hasNone[0])
        return showError(FillFormat(shouldNot, {includeLabel, QStringLiteral("none")}), include),
               false;
    if (hasAll[1])
        return showError(FillFormat(shouldNot, {excludeLabel, matchAll}), exclude), false;
    if (hasAll[2]) {
        const QString text =
            FillFormat(L_(QStringLiteral("The field [%@] is invalid.")), {excludeLabel}) +
            QStringLiteral("\n") +
            FillFormat(L_(QStringLiteral("Exclude filter should not contain \n[%@] or [%@] or "
                                         "[%@] or [%@] or [%@]\n strings!")),
                       kMatchAllTokens);
        return showError(text, subFolders), false;
    }
    // No include filter for a match-all token; no exclude filter for "none".
    if (hasAll[0])
        tokens[0].clear();
    if (hasNone[1])
        tokens[1].clear();
    if (hasNone[2])
        tokens[2].clear();

    // A pattern that does not compile would silently match nothing: it is refused here.
    const QString labels[3] = {includeLabel, excludeLabel, ui.mTxt_SubFolderFilter->text()};
    for (int i = 0; i < 3; ++i) {
        (*lists)[i] = FilterListFromStrings(tokens[i]);
        const QStringList invalid = FixFilterArray_AddNSPredicate_IfNeed((*lists)[i], regex);
        if (invalid.isEmpty())
            continue;
        const QString pattern =
            regex ? invalid.first()
                  : QRegularExpression::wildcardToRegularExpression(
                        invalid.first(), QRegularExpression::UnanchoredWildcardConversion);
        const QString error = QRegularExpression(pattern).errorString();
        const QString text =
            FillFormat(L_(QStringLiteral("[%1$@] holds an invalid regular expression "
                                         "[%2$@]:\n%3$@")),
                       {labels[i], invalid.first(), error});
        return showError(text, fields[i]), false;
    }
    return true;
}

void MergeDocument::openFolderCompare(const QString &left, const QString &right, bool generatePatch,
                                      std::array<FilterList, 3> lists, bool regex)
{
    auto *controller = new MergeFileListWndCtr();
    controller->setBRequestExport_Generate_patch_later(generatePatch);
    auto info = FileListCompareInfo::create();
    info->mFolder1 = withSlash(left);
    info->mFolder2 = withSlash(right);
    info->folder_compare_ignore_EndLineDiff = gAppSetting.folder_compare_ignore_EndLineDiff != 0;
    info->folder_compare_Mode = gAppSetting.folder_compare_Mode;
    info->compareSubFolder = gAppSetting.compareSubFolder != 0;
    info->bIsRegex = regex;
    info->bIsRegex_bMatchWholeString = mUi->searchString_regex_matchWholeString->isChecked();
    info->filterIncludeExt = std::move(lists[0]);
    info->filterExcludeExt = std::move(lists[1]);
    info->exclude_SubDir = std::move(lists[2]);
    info->preferEncoding = platform::StringEncoding(gAppSetting.open_preferEncode);
    controller->SetCompareInfoWith(info);
    controller->setShouldCascadeWindows(true);
    controller->setShouldCloseDocument(true);
    controller->showWindow();
    emit compareWindowOpened(controller);
    closeAfterCompareWindowOpened();
}

bool MergeDocument::openFileCompare(const QString &left, const QString &right, bool generatePatch)
{
    if (CompareWindowForPaths(left, right) == PairWindow::Image) {
        if (generatePatch) {
            beepAndSayInvalidFile();
            return false;
        }
        MergeImageWindCtr *image = OpenImageCompareWindowController(left, right);
        if (image)
            emit compareWindowOpened(image);
        return image != nullptr;
    }
    if (generatePatch) {
        // diff runs on a worker behind the progress dialog, so big files never freeze the window.
        const auto runner = [](const std::function<void(const PatchCancelCheck &)> &write) {
            return ProcessModalDlg::runJob(
                L_(QStringLiteral("Generate Patch")), 0, [&write](ProcessModalChannel &) {
                    write([] {
                        return ProcessModalChannel::sub_thread_checkIf_userRequestCancelled();
                    });
                });
        };
        const bool ok = GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(
            left, right, mPatchView, runner);
        if (!ok)
            beepAndSayInvalidFile();
        emit patchFinished(ok);
        return false; // the start window stays for a patch of two files
    }
    MergeEditWndCtr *text = OpenTextCompareWindowController(left, right);
    if (text)
        emit compareWindowOpened(text);
    return text != nullptr;
}
