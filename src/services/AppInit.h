#pragma once
// Start-up of the application and the process-wide state it sets.

#include <QColor>
#include <QFont>
#include <QString>
#include <QtGlobal>
#include <Qt>
#include <functional>

class QFileSystemModel;
class QInputEvent;

// Set once at start-up, read-only afterwards.
extern bool gAppHasSandbox;  // the environment holds "APP_SANDBOX_CONTAINER_ID"
extern int gOSVersionMinor;  // high enough to pass every system-version check
extern bool gIsRetinaScreen; // main screen's device pixel ratio of 1.5 or more

// Stand-ins for the shared file manager and workspace of the original platform: the services
// that use them are free functions (FileUtility.h, platform/Workspace.h), so these only mark that
// start-up made them.
struct FileManager
{
};
struct SharedWorkspace
{
};
extern FileManager *gFileManager;
extern SharedWorkspace *gSharedWorkspace;

// Centred label text in the system font of 12 points, for the drawing helpers.
struct DrawTextAttributes
{
    QFont font;
    QColor foreground;
    Qt::Alignment alignment = Qt::AlignCenter;
};
extern DrawTextAttributes gDrawTextAttr_Black;
extern DrawTextAttributes gDrawTextAttr_Red;
extern DrawTextAttributes gDrawTextAttr_Blue;
extern DrawTextAttributes gDrawTextAttr_White;
extern QFont gLabelFont;     // system font, 12 points
extern QFont gLabelFontBold; // bold system font, 12 points
void InitDrawTextAttributes();

// Modifier bits of the last recorded event, in the original platform's numbering.
inline constexpr quint64 kEventModifierShift = 1ull << 17;
inline constexpr quint64 kEventModifierControl = 1ull << 18;
inline constexpr quint64 kEventModifierOption = 1ull << 19;
inline constexpr quint64 kEventModifierCommand = 1ull << 20;
extern quint64 gCurrentEventModifiers;
// Records the modifiers of the event, or the keyboard's current ones for a null event.
void SaveCurrentEventModifiers(const QInputEvent *event = nullptr);
quint64 ModifierFlagsFromQt(Qt::KeyboardModifiers modifiers);

// Runs once per process (later calls do nothing): seeds the random generators, zeroes the record,
// prepares the support folder and the first-run marker, fills the defaults, runs the added steps
// (the start-up adds the syntax-language list), loads the stored settings, and on the first run of
// a new version resets a few settings and saves.
void InitAppSetting();
// Steps of areas above this one that InitAppSetting runs after filling the defaults, before
// loading the stored settings (the syntax-language list of the themes), in the order added.
void AddInitAppSettingLoader(std::function<void()> step);
// Writes "AppleLanguages" as [interface-language code], or removes it when the code is empty.
void App_ApplyLanguageSetting();

// The version stored by the new-version reset: the application version.
QString AppBundleVersion();
