#pragma once
// The syntax languages the application knows: the definitions unpacked from the bundle's
// "languages" archive into the support folder (plus the user's imported ones), loaded at start.

#include <QList>
#include <QString>
#include <memory>

class MyLanguageInfo;
class QComboBox;
struct AppSetting;

// Every definition loaded at start-up, in the order of their file names ignoring case.
extern QList<std::shared_ptr<MyLanguageInfo>> gAppLanguageInfoList;

// Start-up: fills the support folder's "languages" from the bundle archive when it holds 5
// entries or fewer, then loads every ".myrsctx" (enciphered) and ".esy" (plain) definition that
// parses into gAppLanguageInfoList. Answers the number of languages loaded.
qsizetype Setup_gAppLanguageInfoList();

// The shown name of the settings record's default highlight language; "java" when none is set.
QString Get_HIGH_LIGHT_DEFAULT_LANGUAGE();

// Fills the pop-up with "(none)" and the shown name of every language; with bSelectSetting the
// record's default highlight language is selected ("(none)" when it names no language).
void SetupLanguageListFromSetting(QComboBox *popup, const AppSetting *setting, bool bSelectSetting);
// Stores the pop-up's choice as the record's default highlight language ("" for "(none)").
void ReadLanguageListToSetting(QComboBox *popup, AppSetting *setting);
