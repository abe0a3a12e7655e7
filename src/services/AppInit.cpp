#include "services/AppInit.h"

#include "foundation/FoundationServices.h"
#include "platform/Guard.h"
#include "platform/Image.h"
#include "platform/PixelLimits.h"
#include "platform/Log.h"
#include "platform/UserDefaults.h"
#include "services/AppSetting.h"
#include "services/FileUtility.h"
#include "services/Localization.h"
#include "services/SupportFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QInputEvent>
#include <QScreen>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

bool gAppHasSandbox = false;
int gOSVersionMinor = 15;
bool gIsRetinaScreen = false;
FileManager *gFileManager = nullptr;
SharedWorkspace *gSharedWorkspace = nullptr;
DrawTextAttributes gDrawTextAttr_Black;
DrawTextAttributes gDrawTextAttr_Red;
DrawTextAttributes gDrawTextAttr_Blue;
DrawTextAttributes gDrawTextAttr_White;
QFont gLabelFont;
QFont gLabelFontBold;
quint64 gCurrentEventModifiers = 0;

namespace {

std::vector<std::function<void()>> &loaders()
{
    static std::vector<std::function<void()>> steps;
    return steps;
}

bool hasGui()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

void seedRandomGenerators()
{
    const auto seed =
        static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch() ^ (quint64(::getpid()) << 16));
    ::srandom(seed);
    std::srand(seed);
}

void prepareSupportFolderAndMarker()
{
    PrepareSupportFolder();
    const QString marker = gSupportFolder + QStringLiteral("/FirstChk2");
    if (!QFileInfo(marker).isDir()) {
        gIsFirstRun = true;
        if (!QDir().mkpath(marker))
            platform::LogWarning(
                lcServices,
                QStringLiteral("ERROR the first-run marker %1 could not be made").arg(marker));
    }
}

} // namespace

void AddInitAppSettingLoader(std::function<void()> step)
{
    if (step)
        loaders().push_back(std::move(step));
}

quint64 ModifierFlagsFromQt(Qt::KeyboardModifiers m)
{
    quint64 flags = 0;
    if (m & Qt::ShiftModifier)
        flags |= kEventModifierShift;
    if (m & Qt::ControlModifier)
        flags |= kEventModifierControl;
    if (m & Qt::AltModifier)
        flags |= kEventModifierOption;
    if (m & Qt::MetaModifier)
        flags |= kEventModifierCommand;
    return flags;
}

void SaveCurrentEventModifiers(const QInputEvent *event)
{
    if (event)
        gCurrentEventModifiers = ModifierFlagsFromQt(event->modifiers());
    else if (hasGui())
        gCurrentEventModifiers = ModifierFlagsFromQt(QGuiApplication::queryKeyboardModifiers());
}

void InitDrawTextAttributes()
{
    if (!hasGui())
        return;
    gLabelFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    gLabelFont.setPointSizeF(12);
    gLabelFontBold = gLabelFont;
    gLabelFontBold.setBold(true);
    gDrawTextAttr_Black = {gLabelFont, QColor(Qt::black), Qt::AlignCenter};
    gDrawTextAttr_Red = {gLabelFont, QColor(Qt::red), Qt::AlignCenter};
    gDrawTextAttr_Blue = {gLabelFont, QColor(Qt::blue), Qt::AlignCenter};
    gDrawTextAttr_White = {gLabelFont, QColor(Qt::white), Qt::AlignCenter};
}

QString AppBundleVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("0") : version;
}

void InitAppSetting()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    InstallFoundationServices({&L_, &IsFileExist, &IsFolderExist});
    seedRandomGenerators();
    std::memset(&gAppSetting, 0, sizeof(gAppSetting));
    gOSVersionMinor = 15;
    static FileManager fileManager;
    static SharedWorkspace workspace;
    gFileManager = &fileManager;
    gSharedWorkspace = &workspace;
    gAppHasSandbox = qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID");
    if (hasGui()) {
        QScreen *screen = QGuiApplication::primaryScreen();
        gIsRetinaScreen = screen && screen->devicePixelRatio() >= 1.5;
    }
    InitDrawTextAttributes();
    platform::installImageAllocationLimit();
    platform::Image::setBundleImageFolder(GetBundleResourceFolder() + QStringLiteral("/images"));
    prepareSupportFolderAndMarker();
    AppSetting_SetDefault(&gAppSetting);
    for (const auto &step : loaders()) {
        GUARD_BEGIN
        step();
        GUARD_END_VOID
    }
    AppSetting_Load();
    AppSetting_ApplyNewVersionReset(AppBundleVersion());
    // The interface language is the one of the loaded settings, until the next start.
    SetLocalizationLanguage(QString());
}

void App_ApplyLanguageSetting()
{
    GUARD_BEGIN
    auto &defaults = platform::UserDefaults::standard();
    const QString code = APPSETTING_GET_STRING(gAppSetting, languageCode);
    const QString key = QStringLiteral("AppleLanguages");
    if (code.isEmpty())
        defaults.removeObjectForKey(key);
    else
        defaults.setArray(QVariantList{code}, key);
    defaults.synchronize();
    GUARD_END_VOID
}
