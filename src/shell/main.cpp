// Entry point of pelkomerge: the command line, the hand-over to a running process, start-up and
// the event loop.
#include <QApplication>
#include <cstdio>

#include "graphics/DarkModeImages.h"
#include "platform/Document.h"
#include "platform/Guard.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"
#include "services/FileReplace.h"
#include "services/InterruptedSaves.h"
#include "services/TemporaryRecord.h"
#include "platform/LocalPath.h"
#include "services/SupportFolder.h"
#include "shell/AppCommands.h"
#include "shell/AppTermination.h"
#include "shell/ApplicationIcon.h"
#include "shell/CommandLine.h"
#include "shell/DesktopWindowFactory.h"
#include "shell/HandOver.h"
#include "shell/MyApp.h"
#include "shell/ShellLog.h"
#include "themes/DarkMode.h"
#include "themes/LanguageList.h"
#include "themes/ThemeColor.h"

#ifndef PELKO_VERSION
#define PELKO_VERSION "0"
#endif

namespace {

QStringList argumentList(int argc, char *argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(LocalPath_FromBytes(QByteArray(argv[i]))); // every byte of a path kept
    return args;
}

// Settings, languages and themes; the first of the start-up steps the log times.
void initialiseServices(QApplication *app)
{
    GUARD_BEGIN
    // One dark-appearance answer for the whole process, before the settings are read.
    UseDarkModeDetection(app);
    // The syntax languages load before the stored settings, which may name one of them.
    AddInitAppSettingLoader([] { Setup_gAppLanguageInfoList(); });
    InitAppSetting();
    Set_Template_ForResourceImages();
    App_ApplyLanguageSetting();
    // Unpacks the bundle's template themes into the support folder when they are missing.
    GetApp_Color_ThemeTemplate_FilePaths_List();
    GUARD_END_VOID
}

} // namespace

int main(int argc, char *argv[])
{
    const LaunchRequest request = ParseCommandLine(argumentList(argc, argv), CurrentFolderPath());
    switch (request.kind) {
    case LaunchRequest::ShowVersion:
        std::printf("Pelko Merge %s\n", PELKO_VERSION);
        return 0;
    case LaunchRequest::ShowHelp:
        std::fputs(CommandLineHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case LaunchRequest::UsageError:
        std::fprintf(stderr, "pelkomerge: %s\n\n%s", request.errorText.toLocal8Bit().constData(),
                     CommandLineHelpText().toLocal8Bit().constData());
        return kUsageErrorExitCode;
    case LaunchRequest::Run:
        break;
    }

    // Before any thread starts: the ending signals are read by the event loop.
    AppTermination::BlockTerminationSignals();
    // A write over the file-size limit fails with EFBIG instead of ending the process.
    IgnoreFileSizeSignal();
    millisecondsSinceLaunch(); // starts the clock of the start-up log
    // Qt reads its own options (-platform, -platformpluginpath, -style, ...) wherever they stand,
    // also after "--", where they are the user's paths; the parser has refused every option but
    // ours, so Qt gets the program's name alone.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("pelkomerge"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pelko Merge"));
    QApplication::setApplicationVersion(QStringLiteral(PELKO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("pelkomerge"));
    // The delegate ends the process once its last window has gone; a start window that hides
    // while its compare window opens does not.
    QApplication::setQuitOnLastWindowClosed(false);
    const auto step = [](const char *name) {
        shellLog(QStringLiteral("Start-up step %1: %2 ms")
                     .arg(QLatin1String(name))
                     .arg(millisecondsSinceLaunch()));
    };
    step("application");

    // A running process for this support folder takes the paths, and this one is done.
    HandOverServer handOver;
    const QString serverName = handover::serverNameFor(DefaultSupportFolderPath());
    if (handOver.handOverOrListen(serverName, request.paths) == HandOverServer::Start::HandedOver)
        return 0;
    step("hand-over check");

    initialiseServices(&app);
    QApplication::setWindowIcon(ApplicationIcon());
    step("settings");

    DesktopWindowFactory factory;
    setWindowFactory(&factory);
    DesktopWindowFactory::installStartWindows();
    MyApp delegate;
    AppTermination::Hooks hooks;
    hooks.willTerminate = [&delegate] { delegate.applicationWillTerminate(); };
    AppTermination::Install(&app, hooks);
    InstallAppCommands(&app);
    delegate.awakeFromNib();
    step("delegate");

    QObject::connect(&handOver, &HandOverServer::pathsReceived, &delegate,
                     [&delegate](const QStringList &paths) {
                         if (paths.isEmpty())
                             delegate.newDocument();
                         else
                             delegate.application_openFiles(paths, paths.size() >= 2);
                     });
    // Saves that a crash cut short are offered back before any window reads their files.
    OfferInterruptedSaves();
    RemoveLeftTemporaries();
    // Two or more paths are a whole request; a single one may be joined by the next start's.
    delegate.application_openFiles(request.paths, request.paths.size() >= 2);
    QMetaObject::invokeMethod(
        &delegate,
        [&delegate, step] {
            delegate.applicationDidFinishLaunching();
            step("launched");
        },
        Qt::QueuedConnection);
    const int code = QApplication::exec();
    setWindowFactory(nullptr);
    return code;
}
