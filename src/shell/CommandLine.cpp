#include "shell/CommandLine.h"

#include "platform/LocalPath.h"

#include <QCommandLineParser>
#include <cerrno>
#include <climits>
#include <unistd.h>

namespace {

struct Options
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Shows this help and quits.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Shows the version and quits.")};
};

LaunchRequest usageError(const QString &text)
{
    LaunchRequest request;
    request.kind = LaunchRequest::UsageError;
    request.errorText = text;
    return request;
}

bool startsAtRoot(const QString &path)
{
    return path.startsWith(u'/');
}

} // namespace

LaunchRequest ParseCommandLine(const QStringList &arguments, const QString &currentFolder)
{
    LaunchRequest request;
    Options o;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(o.help);
    parser.addOption(o.version);
    if (!parser.parse(arguments.isEmpty() ? QStringList{QStringLiteral("pelkomerge")}
                                          : arguments)) {
        request.kind = LaunchRequest::UsageError;
        request.errorText = parser.errorText();
        return request;
    }
    if (parser.isSet(o.help)) {
        request.kind = LaunchRequest::ShowHelp;
        return request;
    }
    if (parser.isSet(o.version)) {
        request.kind = LaunchRequest::ShowVersion;
        return request;
    }
    // Joined by hand: Qt's path helpers take a name beginning with ':' for a resource.
    const QString base = currentFolder.endsWith(u'/') ? currentFolder : currentFolder + u'/';
    for (const QString &path : parser.positionalArguments()) {
        if (path.isEmpty())
            return usageError(QStringLiteral("an empty path was given (an unset variable?)"));
        if (startsAtRoot(path)) {
            request.paths.append(path);
            continue;
        }
        if (!startsAtRoot(currentFolder))
            return usageError(QStringLiteral("the working folder cannot be found, so \"%1\" "
                                             "cannot be either; give the path from /")
                                  .arg(LocalPath_Shown(path)));
        request.paths.append(base + path);
    }
    return request;
}

QString CommandLineHelpText()
{
    return QStringLiteral(
        "Usage: pelkomerge [options] [path...]\n"
        "Compares and merges two text files, two folders or two images.\n"
        "\n"
        "  pelkomerge                 opens the start window\n"
        "  pelkomerge LEFT RIGHT      compares two files or two folders at once\n"
        "  pelkomerge PATH...         opens a start window for the paths\n"
        "\n"
        "When Pelko Merge is running already, the paths go to that window and this command\n"
        "returns at once.\n"
        "\n"
        "Options:\n"
        "  -h, --help      Shows this help and quits.\n"
        "  -v, --version   Shows the version and quits.\n"
        "  --              Ends the options: what follows are paths.\n");
}

QString CurrentFolderPath()
{
    QByteArray bytes(PATH_MAX, Qt::Uninitialized);
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (::getcwd(bytes.data(), size_t(bytes.size())))
            return LocalPath_FromBytes(QByteArray(bytes.constData()));
        if (errno != ERANGE)
            break;
        bytes.resize(bytes.size() * 2);
    }
    return {};
}
