#pragma once
// Short help texts in an alert that the user can silence: one help at a time with the alert's
// check box, or every help with its second button or from the preferences. What is silenced lives
// in "liveHelpSetting.plist" of the support folder:
//   "hideall"  -> true when every help is off
//   "<h1>_<h2>" -> true for each help silenced by itself; h1 and h2 are LiveHelpStringHash of the
//                 help's untranslated title and text, in decimal.
// Main thread only.

#include "platform/Alerts.h"

#include <QString>
#include <QtGlobal>

class LiveHelpDialog
{
public:
    LiveHelpDialog() = delete;

    // Shows the help unless it or every help is off. Title and text are untranslated: they are
    // translated for the alert and name the help in the settings as they are. While another
    // modal dialog runs, the help waits for it to close.
    // style: the alert's icon; a help that only informs passes Informational.
    static void ShowHelp(const QString &title, const QString &helpText,
                         platform::AlertRequest::Style style = platform::AlertRequest::Warning);
    // false turns every help off; true turns them all on again and forgets each single one
    // silenced. Saves the file.
    static void setShowHideAllLiveHelpDialog(bool show);
    // false only when every help is off.
    static bool isShowingLiveHelp();
    // A help waits for another dialog to close.
    static bool isWaiting();

    // The settings key of a help.
    static QString helpKey(const QString &title, const QString &helpText);
    // Where the settings live; empty before the support folder is known.
    static QString settingPath();

    // A quiet process shows no help at all, whatever is stored (test runs, scripted runs).
    static void setQuietInThisProcess(bool quiet);
    static bool isQuietInThisProcess();
};

// Loads the settings once per process (an empty set when the file is missing or damaged) and
// creates the file when it is missing.
void LiveHelpDialogSetting_Init();
// Writes the settings when their path and the settings exist; false when it could not (the old
// file stays as it was).
bool LiveHelpDialogSetting_Save();
// Forgets the loaded settings and their path; the next call loads them again (tests).
void LiveHelpDialogSetting_Forget();

// FNV-1a (64 bits) over the UTF-16 code units: the same number in every run, unlike qHash.
quint64 LiveHelpStringHash(const QString &text);
