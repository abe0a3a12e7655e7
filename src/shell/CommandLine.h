#pragma once
// The command line: options and the paths handed to the application, made absolute against the
// folder the command was started in.

#include <QString>
#include <QStringList>

struct LaunchRequest
{
    enum Kind { Run, ShowVersion, ShowHelp, UsageError };
    Kind kind = Run;
    QStringList paths; // absolute (their first byte is "/"), in the order given
    QString errorText; // for UsageError
};

// arguments[0] is the program. Needs no application object, so "--version" and "--help" work
// without a display. A path that does not begin with "/" is joined to currentFolder as it is
// (no ".", ".." or resource names read into it); an empty path, or a relative one when
// currentFolder is not an absolute path, is a usage error.
LaunchRequest ParseCommandLine(const QStringList &arguments, const QString &currentFolder);
QString CommandLineHelpText();
inline constexpr int kUsageErrorExitCode = 2;

// The working folder by its own bytes (platform/LocalPath), also when its name is not UTF-8;
// null when it cannot be had (it was removed, or is longer than the system tells).
QString CurrentFolderPath();
