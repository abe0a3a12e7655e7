#include "themes/MyLanguageFileTypeDlg.h"
#include "controls/PelkoNSOpenPanel.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QSaveFile>
#include <QTableWidget>
#include <QTemporaryFile>

#include "controls/DialogSetup.h"
#include "controls/DialogWindow.h"
#include "controls/InputDialog.h"
#include "controls/PelkoNSTableView.h"
#include "platform/Guard.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/ModalRun.h"
#include "platform/Sheets.h"
#include "platform/UserDefaults.h"
#include "services/Alerts.h"
#include "services/AppSetting.h"
#include "services/FileUtility.h"
#include "themes/LanguageList.h"
#include "services/Localization.h"
#include "services/SupportFolder.h"
#include "themes/MyLanguageInfo.h"
#include "ui_MyLanguageFileTypeDlg.h"

namespace {

const QString kTypeKeyPrefix = QStringLiteral("lang_for_type_");
const QString kDefinitionExtension = QStringLiteral("esy");
constexpr int kTypeColumn = 0;
constexpr int kLanguageColumn = 1;

// Set while a selection is shown in the pop-up, so that the pop-up's change is not taken for
// the user's choice.
bool gShowingSelection = false;

QString languageNameFor(const QString &type)
{
    if (auto language = MyLanguageInfo::languageWith_fileType(type, true))
        return language->nameShow();
    REPORT_FATAL();
    return QString();
}

// Copies source into folder under its own name without ever losing the file that was there:
// the copy goes to a temporary name beside it and replaces the old file only when complete.
bool copyIntoFolderReplacing(const QString &source, const QString &folder)
{
    const QString target = QDir(folder).filePath(QFileInfo(source).fileName());
    const QString canonicalSource = QFileInfo(source).canonicalFilePath();
    if (!canonicalSource.isEmpty() && canonicalSource == QFileInfo(target).canonicalFilePath())
        return true; // already there: nothing to copy
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return false;
        if (out.write(chunk) != chunk.size())
            return false;
    }
    return out.commit();
}

} // namespace

MyLanguageFileTypeDlg::MyLanguageFileTypeDlg()
    : platform::WindowController(QStringLiteral("MyLanguageFileTypeDlg")),
      mUi(std::make_unique<Ui::MyLanguageFileTypeDlg>())
{
    gShowingSelection = false;
}

MyLanguageFileTypeDlg::~MyLanguageFileTypeDlg() = default;

int MyLanguageFileTypeDlg::runModal()
{
    // One dialog at a time, whichever menu asks.
    static bool running = false;
    if (running)
        return 0;
    running = true;
    struct Clear
    {
        ~Clear() { running = false; }
    } clear;
    MyLanguageFileTypeDlg dialog;
    QWidget *w = dialog.window();
    if (!w)
        return 0;
    const int code = platform::runModalForWindow(w);
    if (auto *dialogWindow = qobject_cast<DialogWindow *>(w))
        dialogWindow->closeByCode();
    else
        w->close();
    return code;
}

QWidget *MyLanguageFileTypeDlg::makeWindow()
{
    auto *window = setupWindow<DialogWindow>(*mUi);
    window->setCloseRequestHandler([this] { cancelButtonClicked(); });
    return window;
}

void MyLanguageFileTypeDlg::windowDidLoad()
{
    GUARD_BEGIN
    QWidget *w = window();
    SetupDialogWindow(w, this, mUi->mCloseButton1, mUi->mCloseButton2);
    // Escape and the close keys stay; the dialog itself shows only OK.
    MoveButtonOutOfSight(mUi->mCancelButton);
    connect(mUi->mCloseButton1, &QAbstractButton::clicked, this,
            [this] { closeWindowWithCode(0); });
    connect(mUi->mCloseButton2, &QAbstractButton::clicked, this,
            [this] { closeWindowWithCode(0); });
    connect(mUi->mCancelButton, &QAbstractButton::clicked, this, [this] { cancelButtonClicked(); });
    connect(mUi->mOKButton, &QAbstractButton::clicked, this, [this] { okButtonClicked(); });
    connect(mUi->mAddButton, &QAbstractButton::clicked, this, [this] { addType(); });
    connect(mUi->mResetButton, &QAbstractButton::clicked, this, [this] { toDefault(); });
    connect(mUi->mImportButton, &QAbstractButton::clicked, this, [this] { importLanguage(); });

    SetupLanguageListFromSetting(mUi->mLanguageList, &gAppSetting, false);
    const int none = mUi->mLanguageList->findText(QStringLiteral("(none)"), Qt::MatchFixedString);
    if (none >= 0)
        mUi->mLanguageList->removeItem(none);
    // Only the user's own choice changes a language; showing a selection sets the pop-up too.
    connect(mUi->mLanguageList, &QComboBox::activated, this, [this] { changeLanguage(); });

    QTableWidget *t = mUi->mSelectListTable;
    t->horizontalHeader()->setSectionResizeMode(kTypeColumn, QHeaderView::Interactive);
    t->setColumnWidth(kTypeColumn, 140);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 8);
    connect(t, &QTableWidget::itemSelectionChanged, this,
            [this] { tableViewSelectionDidChange(); });
    connect(t, &QTableWidget::cellDoubleClicked, this, [this] { MouseDoubleClick(); });
    setup_mSelectListTable();
    GUARD_END_VOID
}

QTableWidget *MyLanguageFileTypeDlg::table() const
{
    return mUi->mSelectListTable;
}

QComboBox *MyLanguageFileTypeDlg::languageList() const
{
    return mUi->mLanguageList;
}

void MyLanguageFileTypeDlg::setMListTypes(const QStringList &types)
{
    mTypes = types;
    mHasTypes = true;
}

void MyLanguageFileTypeDlg::okButtonClicked()
{
    closeWindowWithCode(1);
}

void MyLanguageFileTypeDlg::cancelButtonClicked()
{
    closeWindowWithCode(0);
}

void MyLanguageFileTypeDlg::closeWindowWithCode(int code)
{
    GUARD_BEGIN
    mTypes.clear();
    mHasTypes = false;
    reloadTable();
    // The run ends on this window; no frame is stored.
    if (QWidget *w = window())
        platform::stopModalWithCode(w, code);
    GUARD_END_VOID
}

void MyLanguageFileTypeDlg::MouseDoubleClick()
{
    ShowMessage(L_(QStringLiteral("Please change highlight language for selected file type by "
                                  "using control [Use highlight language] below the table list.")),
                L_(QStringLiteral("You could add new file type by press button [+]")));
}

void MyLanguageFileTypeDlg::setup_mSelectListTable()
{
    GUARD_BEGIN
    mTypes.clear();
    mHasTypes = true;
    // Every extension a language names gets a stored choice (the first language wins).
    for (const auto &language : std::as_const(gAppLanguageInfoList)) {
        if (!language)
            continue;
        for (const QString &item : language->supportFileTypes()) {
            const QString type = item.trimmed().toLower();
            if (type.isEmpty())
                continue;
            if (!MyLanguageInfo::languageWith_fileType(type, true))
                language->forceUseThisLanguageForFileType(type);
        }
    }
    const QVariantMap all = platform::UserDefaults::standard().dictionaryRepresentation();
    if (all.isEmpty()) {
        REPORT_FATAL();
        reloadTable();
        return;
    }
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        if (it.key().startsWith(kTypeKeyPrefix)) {
            const QString type = it.key().mid(kTypeKeyPrefix.size());
            if (!type.isEmpty())
                mTypes << type;
        }
    }
    if (mTypes.size() >= 2)
        std::sort(mTypes.begin(), mTypes.end(), [](const QString &a, const QString &b) {
            return QString::localeAwareCompare(a.toLower(), b.toLower()) < 0;
        });
    reloadTable();
    GUARD_END_VOID
}

void MyLanguageFileTypeDlg::reloadTable()
{
    QTableWidget *t = mUi->mSelectListTable;
    if (!t)
        return;
    const QSignalBlocker block(t);
    t->clearContents();
    t->setRowCount(mHasTypes ? int(mTypes.size()) : 0);
    for (int row = 0; row < t->rowCount(); ++row) {
        t->setItem(row, kTypeColumn, new QTableWidgetItem(mTypes[row]));
        t->setItem(row, kLanguageColumn, new QTableWidgetItem(languageNameFor(mTypes[row])));
    }
}

QList<int> MyLanguageFileTypeDlg::selectedRows() const
{
    QList<int> rows;
    const auto *model = mUi->mSelectListTable->selectionModel();
    if (!model)
        return rows;
    for (const QModelIndex &index : model->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MyLanguageFileTypeDlg::tableViewSelectionDidChange()
{
    gShowingSelection = true;
    struct Clear
    {
        ~Clear() { gShowingSelection = false; }
    } clear;
    GUARD_BEGIN
    platform::Log(lcThemes, QStringLiteral("tableViewSelectionDidChange"));
    const int row = mUi->mSelectListTable->currentRow();
    const QList<int> rows = selectedRows();
    const int shown = rows.contains(row) ? row : (rows.isEmpty() ? -1 : rows.first());
    if (shown < 0 || shown >= mTypes.size() || mTypes[shown].isEmpty())
        return;
    auto language = MyLanguageInfo::languageWith_fileType(mTypes[shown], true);
    if (!language) {
        REPORT_FATAL();
        return;
    }
    const int item = mUi->mLanguageList->findText(language->nameShow(), Qt::MatchFixedString);
    if (item >= 0)
        mUi->mLanguageList->setCurrentIndex(item);
    GUARD_END_VOID
}

void MyLanguageFileTypeDlg::changeLanguage()
{
    if (gShowingSelection)
        return;
    GUARD_BEGIN
    platform::Log(lcThemes, QStringLiteral("changeLanguage"));
    const QList<int> rows = selectedRows();
    if (rows.isEmpty() || rows.first() >= mTypes.size())
        return;
    auto language = MyLanguageInfo::languageWith_nameShow(mUi->mLanguageList->currentText());
    if (!language) {
        REPORT_FATAL();
        return;
    }
    for (int row : rows)
        if (row < mTypes.size())
            language->forceUseThisLanguageForFileType(mTypes[row]);
    const QList<int> keep = rows;
    reloadTable();
    setSelectionIndexes(mUi->mSelectListTable, QList<qint64>(keep.cbegin(), keep.cend()));
    GUARD_END_VOID
}

void MyLanguageFileTypeDlg::addType(const QString &text)
{
    GUARD_BEGIN
    if (text.isEmpty()) {
        QWidget *w = window();
        if (!w) {
            QApplication::beep();
            return;
        }
        auto setting = InputDialogSetting::create();
        setting->winTitle = L_(QStringLiteral("Add new file types"));
        setting->txtTitle =
            L_(QStringLiteral("Add new multiple file types separated by semicolon or space:"));
        setting->defaultTxt = QStringLiteral("");
        setting->unallowed_InputChars = QStringLiteral("\r\n");
        setting->bUnAllowEmptyString = true;
        setting->bUnAllowEmptyStringAfterTrim = true;
        setting->bShowCancel = true;
        mInputSheet = InputDialog::initWindowForSheet_GetInputStringWinTitle(setting);
        if (!mInputSheet)
            return;
        platform::beginSheet(w, mInputSheet->window(), [this, setting](int code) {
            const QString value = mInputSheet ? mInputSheet->mValue : QString();
            // The sheet's controller goes once its completion has run.
            if (mInputSheet)
                mInputSheet.release()->deleteLater();
            if (code == 1 && setting->outPressOK && !value.trimmed().isEmpty())
                addType(value);
        });
        return;
    }

    QString items = text.trimmed().toLower();
    if (items.isEmpty())
        return;
    items.replace(QLatin1Char(';'), QLatin1Char(' ')).replace(QLatin1Char(','), QLatin1Char(' '));
    QStringList marked;
    for (const QString &item : items.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!mTypes.contains(item)) {
            auto language =
                MyLanguageInfo::languageWith_nameShow(Get_HIGH_LIGHT_DEFAULT_LANGUAGE());
            if (!language && !gAppLanguageInfoList.isEmpty())
                language = gAppLanguageInfoList.first();
            if (!language) {
                REPORT_FATAL();
                continue;
            }
            language->forceUseThisLanguageForFileType(item);
        }
        if (!marked.contains(item))
            marked << item;
    }
    for (const QString &item : marked)
        if (!mTypes.contains(item))
            mTypes << item;
    mHasTypes = true;
    reloadTable();
    QTableWidget *t = mUi->mSelectListTable;
    t->clearSelection();
    QList<qint64> rows;
    for (int row = 0; row < mTypes.size(); ++row)
        if (marked.contains(mTypes[row]))
            rows << row;
    setSelectionIndexes(t, rows);
    if (!rows.isEmpty()) {
        // The view lays out new rows later; without that its scroll range still ends at the old
        // last row and the appended one stays half hidden.
        t->doItemsLayout();
        t->scrollToItem(t->item(int(rows.last()), kTypeColumn));
    }
    GUARD_END_VOID
}

void MyLanguageFileTypeDlg::toDefault()
{
    GUARD_BEGIN
    if (!AskBeforeUndoable(
            L_(QStringLiteral(
                "Are you sure you want to reset language setting for all file types?")),
            QStringLiteral(" "), L_(QStringLiteral("OK"))))
        return;
    auto &defaults = platform::UserDefaults::standard();
    const QVariantMap all = defaults.dictionaryRepresentation();
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        if (it.key().startsWith(kTypeKeyPrefix))
            defaults.removeObjectForKey(it.key());
    defaults.synchronize();
    setup_mSelectListTable();
    GUARD_END_VOID
}

void MyLanguageFileTypeDlg::importLanguage()
{
    GUARD_BEGIN
    const QString folder = GetSupportSubFolder(QStringLiteral("languages"));
    if (folder.isEmpty() || !IsFolderExist(folder) || !window()) {
        QApplication::beep();
        REPORT_FATAL();
        return;
    }
    ShowMessage(L_(QStringLiteral("The application support third party [%@] syntax format."))
                    .replace(QStringLiteral("%@"), kDefinitionExtension),
                QString());
    QStringList paths;
    requestUserToSelectFileFolder(
        L_(QStringLiteral("Import from %@")).replace(QStringLiteral("%@"), kDefinitionExtension),
        QString(), QString(), false, true, true, false, {kDefinitionExtension}, &paths);

    QString report;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (path.isEmpty() || !info.isFile() ||
            info.suffix().compare(kDefinitionExtension, Qt::CaseInsensitive) != 0)
            continue;
        if (!MyLanguageInfo::createFromFile(path, false)) {
            ShowMessage(
                QStringLiteral("%1\n%2").arg(L_(QStringLiteral("The file format is invalid.")),
                                             LocalPath_Shown(info.fileName())),
                QString());
            continue;
        }
        if (copyIntoFolderReplacing(path, folder) &&
            QFileInfo::exists(QDir(folder).filePath(info.fileName())))
            report += LocalPath_Shown(info.fileName()) + QLatin1Char('\n');
    }
    if (!report.isEmpty())
        ShowMessage(L_(QStringLiteral("Following files were imported (*):\n\n")) + report,
                    L_(QStringLiteral("(*) You must restart the application to use new imported "
                                      "languages")));
    else
        ShowMessage(L_(QStringLiteral("No file imported. Please select a valid file: [%@]"))
                        .replace(QStringLiteral("%@"), kDefinitionExtension),
                    QString());
    GUARD_END_VOID
}
