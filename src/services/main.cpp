// Entry point of pelkomerge.
#include <QApplication>
#include <cstdio>

#include "platform/Guard.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"

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
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelkomerge"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pelko Merge"));
    QApplication::setApplicationVersion(QStringLiteral(PELKO_VERSION));

    [] {
        GUARD_BEGIN
        InitAppSetting();
        App_ApplyLanguageSetting();
        GUARD_END_VOID
    }();

    // No window exists yet: store what start-up made of the settings and leave.
    AppSetting_Save();
    std::printf("Pelko Merge %s: no window is built yet.\n", PELKO_VERSION);
    return 0;
}
