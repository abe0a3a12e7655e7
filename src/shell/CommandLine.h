#pragma once
// The command line: options and the paths handed to the application, made absolute against the
// folder the command was started in.

#include <QString>
#include <QStringList>

struct LaunchRequest
{
    enum Kind { Run, ShowVersion, ShowHelp, UsageError };
    Kind kind = Run;
    QStringList paths; // absolute, in the order given
    QString errorText; // for UsageError
};

// arguments[0] is the program. Needs no application object, so "--version" and "--help" work
// without a display.
LaunchRequest ParseCommandLine(const QStringList &arguments, const QString &currentFolder);
QString CommandLineHelpText();
inline constexpr int kUsageErrorExitCode = 2;
