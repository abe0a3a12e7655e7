// Entry point of pelkomerge.
#include <QApplication>
#include <cstdio>

#include "platform/Guard.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"
#include "compare/FileListCompareInfo.h"
#include "foldercompare/MergeFileListWndCtr.h"
#include "services/FileUtility.h"
#include "compare/FileKind.h"
#include "shell/AppCommands.h"
#include "shell/AppTermination.h"
#include "shell/OpenImageCompareWindow.h"
#include "textcompare/OpenTextCompareWindow.h"
#include "themes/DarkMode.h"
#include "themes/ThemeColor.h"

#ifndef PELKO_VERSION
#define PELKO_VERSION "0"
#endif

int main(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--version") == 0) {
            std::printf("Pelko Merge %s\n", PELKO_VERSION);
            return 0;
        }
    }
    // Before any thread starts: the ending signals are read by the event loop.
    AppTermination::BlockTerminationSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelkomerge"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pelko Merge"));
    QApplication::setApplicationVersion(QStringLiteral(PELKO_VERSION));

    [&app] {
        GUARD_BEGIN
        UseDarkModeDetection(&app);
        InitAppSetting();
        App_ApplyLanguageSetting();
        // Unpacks the bundle's template themes into the support folder when they are missing.
        GetApp_Color_ThemeTemplate_FilePaths_List();
        GUARD_END_VOID
    }();

    // Quitting keeps the untitled texts; the ones kept last time come back now.
    AppTermination::Install(&app);
    InstallAppCommands(&app);
    const int restored = AppTermination::RestoreUntitledTexts();

    // Two files given on the command line open their compare window at once.
    const QStringList args = QApplication::arguments();
    if (args.size() == 3 && IsFileExist(args[1]) && IsFileExist(args[2])) {
        const bool images = IsImageFile(args[1]) && IsImageFile(args[2]);
        if (images ? !OpenImageCompareWindowController(args[1], args[2])
                   : !OpenTextCompareWindow(args[1], args[2]))
            return 1;
        return QApplication::exec();
    }
    if (restored > 0 && args.size() == 1)
        return QApplication::exec();

    // Two folders open their folder compare window with the settings' mode and options.
    if (args.size() == 3 && IsFolderExist(args[1]) && IsFolderExist(args[2])) {
        auto *window = new MergeFileListWndCtr();
        window->SetCompareInfoWith(FileListCompareInfo_FromSettings(args[1], args[2]));
        window->setShouldCloseDocument(true);
        window->showWindow();
        const int code = QApplication::exec();
        AppSetting_Save();
        return code;
    }

    // The start window does not exist yet: store what start-up made of the settings and leave.
    AppSetting_Save();
    if (args.size() > 1)
        std::printf("Pelko Merge %s: give two existing text files or two folders to compare.\n",
                    PELKO_VERSION);
    else
        std::printf("Pelko Merge %s: no start window is built yet; run it with two text files.\n",
                    PELKO_VERSION);
    return args.size() > 1 ? 2 : 0;
}
