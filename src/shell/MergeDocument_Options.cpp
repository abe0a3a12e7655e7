// The start window's folder-compare options: the six filter fields, the regex switch, the compare
// mode buttons, the line-end option and the text encoding.
#include "shell/MergeDocument.h"
#include "ui_MergeDocument.h"

#include "controls/MyTokenTextList.h"
#include "platform/Guard.h"
#include "services/AppSetting.h"
#include "services/Localization.h"
#include "services/TextFile.h"
#include "shell/StartWindowFilters.h"

#include <QButtonGroup>
#include <QGridLayout>

std::array<MyTokenTextList *, 6> MergeDocument::tokenFields() const
{
    if (!mWindow)
        return {};
    return {mUi->mTokenFilter_Include,       mUi->mTokenFilter_Exclude,
            mUi->mTokenSubFolder_Exclude,    mUi->regex_mTokenFilter_Include,
            mUi->regex_mTokenFilter_Exclude, mUi->regex_mTokenSubFolder_Exclude};
}

void MergeDocument::setUpFilterFields()
{
    GUARD_BEGIN
    const auto fields = tokenFields();
    const auto &table = StartWindowFilterFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        MyTokenTextList *field = fields[i];
        const StartWindowFilterField &entry = table[i];
        if (!field) {
            REPORT_FATAL();
            continue;
        }
        auto *button = mWindow->findChild<QAbstractButton *>(QString::fromLatin1(entry.outlet) +
                                                             QStringLiteral("_DropDown"));
        if (!button)
            REPORT_FATAL();
        field->setDropDownButton(button);
        field->setHistoryKey(entry.historyKey);
        field->prohibitedStrings << entry.refused;
        field->setMIDDLE_STR(kStartWindowFilterMiddleStr);
        field->setTokenizingCharacterSet(entry.separators);
        // A regular expression's letter case is part of it.
        field->setKeepCase(entry.regex);
        field->LoadOldData_BaseOn_historyKey();
        if (field->arrayOfItem.isEmpty()) {
            field->arrayOfItem << entry.defaultText;
            field->arrayOfItem << StartWindowReadyMadeEntries(entry.kind);
        }
        field->UpdateButtonStatus();
        field->ShowItemAtIndex(0);
    }
    // "none" is what an empty exclude field stands for; it is never shown at start.
    for (MyTokenTextList *field : {fields[1], fields[2], fields[4], fields[5]}) {
        if (field && field->stringValue().compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
            field->setObjectValue(QStringList());
    }
    SetupEncodingList(mUi->popUp_PreferEncoding,
                      platform::StringEncoding(gAppSetting.open_preferEncode));
    GUARD_END_VOID
}

void MergeDocument::layRegexFieldsOverTwins()
{
    const auto fields = tokenFields();
    for (size_t i = 0; i < 3; ++i) {
        MyTokenTextList *plain = fields[i];
        MyTokenTextList *regex = fields[i + 3];
        if (!plain || !regex)
            continue;
        auto *grid = qobject_cast<QGridLayout *>(
            plain->parentWidget() ? plain->parentWidget()->layout() : nullptr);
        const int at = grid ? grid->indexOf(plain) : -1;
        if (at < 0)
            continue;
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(at, &row, &column, &rowSpan, &columnSpan);
        // The twins take turns in one cell; only one of them is ever shown.
        if (grid->indexOf(regex) < 0)
            grid->addWidget(regex, row, column, rowSpan, columnSpan);
        QAbstractButton *plainButton = plain->mDropDownButton();
        QAbstractButton *regexButton = regex->mDropDownButton();
        const int buttonAt = plainButton ? grid->indexOf(plainButton) : -1;
        if (regexButton && buttonAt >= 0 && grid->indexOf(regexButton) < 0) {
            grid->getItemPosition(buttonAt, &row, &column, &rowSpan, &columnSpan);
            grid->addWidget(regexButton, row, column, rowSpan, columnSpan);
        }
        regex->hide();
    }
}

void MergeDocument::setUpOptionsFromSettings()
{
    GUARD_BEGIN
    Ui::MergeDocument &ui = *mUi;
    ui.mSubFolderChecker->setChecked(gAppSetting.compareSubFolder != 0);
    AppSetting_RefreshDarkMode(); // also holds the compare mode to at most 3
    ui.searchString_regex->setChecked(gAppSetting.searchString_regex != 0);
    ui.searchString_regex_matchWholeString->setChecked(
        gAppSetting.searchString_regex_matchWholeString != 0);
    layRegexFieldsOverTwins();
    UpdateButtonStatus_Controls_For_searchString();

    const int mode = std::clamp(int(gAppSetting.folder_compare_Mode), 0, 3);
    ui.compare_quickCompare_size_date->setChecked(mode == 0);
    ui.compare_quickCompare_size->setChecked(mode == 1);
    ui.compare_quickCompare_date->setChecked(mode == 2);
    ui.compare_quickCompare_full->setChecked(mode == 3);
    ui.folder_compare_ignore_EndLineDiff->setChecked(
        gAppSetting.folder_compare_ignore_EndLineDiff != 0);
    UpdateButtonStatus_Controls_For_compare_quickCompare_full();
    ui.mTreeModeChecker->setChecked(gAppSetting.compare_folderViewMode == 1);
    GUARD_END_VOID
}

void MergeDocument::UpdateButtonStatus_Controls_For_searchString()
{
    GUARD_BEGIN
    if (!mWindow)
        return;
    Ui::MergeDocument &ui = *mUi;
    // The whole-name switch stays out of sight; its stored value still goes with every request.
    ui.searchString_regex_matchWholeString->hide();
    const bool regex = ui.searchString_regex->isChecked();
    ui.mTxt_Filter->setText(regex ? L_(QStringLiteral("Include{++} ({++}regex{++})"))
                                  : L_(QStringLiteral("Include{++} (e.g.: *.c)")));
    ui.mTxt_ExcludeFilter->setText(regex ? L_(QStringLiteral("Exclude{++} ({++}regex{++})"))
                                         : L_(QStringLiteral("Exclude{++} (e.g.: *.h)")));
    const auto fields = tokenFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i])
            fields[i]->setVisible(i < 3 ? !regex : regex);
    }
    GUARD_END_VOID
}

void MergeDocument::compare_quickCompare_change(QAbstractButton *sender)
{
    GUARD_BEGIN
    if (!sender) {
        REPORT_FATAL();
        return;
    }
    Ui::MergeDocument &ui = *mUi;
    const QList<QAbstractButton *> modes = {
        ui.compare_quickCompare_size_date, ui.compare_quickCompare_size,
        ui.compare_quickCompare_date, ui.compare_quickCompare_full};
    if (!modes.contains(sender))
        REPORT_FATAL();
    else
        sender->setChecked(true); // the exclusive group turns the other three off
    UpdateButtonStatus_Controls_For_compare_quickCompare_full();
    GUARD_END_VOID
}

void MergeDocument::UpdateButtonStatus_Controls_For_compare_quickCompare_full()
{
    if (!mWindow)
        return;
    Ui::MergeDocument &ui = *mUi;
    const bool full = ui.compare_quickCompare_full->isChecked();
    ui.folder_compare_ignore_EndLineDiff->setVisible(full);
    ui.folder_compare_ignore_EndLineDiff_Warning_Title->setVisible(
        full && ui.folder_compare_ignore_EndLineDiff->isChecked());
}
