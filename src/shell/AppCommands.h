#pragma once
// Commands that concern the whole application: the preferences and what follows when they
// close, the invisible-character marks, the file-type dialog, the guard before a view setting
// slows down a very large text, and the tool tip of a text window's line-number gutter.
//
// The application delegate installs the hooks for what only it can do; without them those steps
// are skipped.

#include <QRect>
#include <QString>
#include <functional>

class QAction;
class QApplication;
class QLabel;
class QMenu;
class QPoint;
class QWidget;

struct AppCommandHooks
{
    // Matches the theme to the appearance and redraws the windows.
    std::function<void()> validateDarkModeChanged;
    // Replaces a built-in theme that does not suit the light or dark appearance.
    std::function<void()> validateThemeForAppearance;
    // Whether any window is open, and opening an untitled start window.
    std::function<bool()> hasOpenWindow;
    std::function<void()> openStartWindow;
    // Whether the application is quitting, and asking it to quit (the Quit command).
    std::function<bool()> isQuitting;
    std::function<void()> requestQuit;
    // Runs the file-type dialog modally (the default runs the real dialog when there is one).
    std::function<void()> runFileTypeDialog;
    // Replaces the preferences dialog's modal run (tests): answers the run's code.
    std::function<int(class SettingDlg *)> runPreferences;
};
AppCommandHooks &appCommandHooks();

// Puts the commands where the windows reach them: the preferences key (Ctrl+,) in every window
// that runs no dialog, the big-text question of the text windows, the image window for the image
// pairs of the folder window, and the main-thread side of the workers' questions. Once per
// process.
void InstallAppCommands(QApplication *app);

inline constexpr const char *kMergeUpdateFont = "Merge_UpdateFont";
inline constexpr const char *kFuncChangeAppSetting = "func_CHANGE_gAppSetting";

struct PreferencesOutcome
{
    bool shown = false;    // the dialog ran
    bool accepted = false; // it ended with OK
    bool changed = false;  // the settings record changed (beyond the tab shown last)
};
// The preferences command. fromFirstRun: scheduled at the first start (no sender); then a start
// window is opened afterwards when no window is open and the application is not quitting (the
// quit key in the dialog quits it), and a dialog that cannot run now because another modal window
// is up runs once that window has closed.
PreferencesOutcome Btn_Setting(bool fromFirstRun = false);
// The first start (gIsFirstRun): the preferences open 0.1 s after the start, or once another
// dialog that is up then has closed; when they close, a start window is opened unless a window is
// open. The two functions become the hooks of the same names.
void ScheduleFirstRunPreferences(std::function<bool()> hasOpenWindow,
                                 std::function<void()> openStartWindow);
inline constexpr double kFirstRunPreferencesDelay = 0.1;

// Tells every text compare window to apply fonts, colours and view settings again.
void RefreshAllOpenDoc();

// Inverts the show-marks flag (turning tab and line-end marks on when it comes on with no kind
// chosen), then refreshes the windows. Nothing while a modal window runs.
void Menu_ToggleViewMarks();
// Check state and enabled state of the marks item.
void ValidateToggleViewMarksItem(QAction *item);
// Makes item the marks command of menu: checkable, validated each time the menu opens and again
// after the command ran.
void AttachToggleViewMarksAction(QAction *item, QMenu *menu);

// The dialog that maps file types to syntax languages; a second request while it runs does
// nothing.
void Menu_AssignFileTypeToLanguage();
bool IsAssignFileTypeDialogRunning();

// Texts below 12,000,000 characters are allowed at once; longer ones ask first.
inline constexpr qint64 kBigTextLength = 12000000;
bool allowToChangeViewSettingForBigSize_NoWrap_ShowLine_HighLight(qint64 length);

// The gutter's tool tip: the text window's tip label, shown with the text beside the mouse (at
// positionOnScreen, or where the pointer is when that is null). The label lets the mouse through.
void showToolTip(const QString &text, const QPoint &positionOnScreen, QWidget *window);
QLabel *get_windowToolTipItem_For_Window(QWidget *window);
// Where a tip of the size goes for a pointer inside area (both in one widget's coordinates).
QRect ToolTipPlacement(const QPoint &pointer, const QSize &size, const QRect &area);

// A copy of the settings record's bytes without those that change by merely opening the
// preferences (the tab shown last and the dark-appearance byte).
QByteArray SettingsRecordForComparison();

// For the preferences' Restore Defaults.
void AppCommand_ValidateDarkModeChanged();
