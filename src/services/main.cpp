// Entry point of pelkomerge.
#include <QApplication>
#include <QTextStream>
#include <cstdio>

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
    std::printf("Pelko Merge %s: no window is built yet.\n", PELKO_VERSION);
    return 0;
}
