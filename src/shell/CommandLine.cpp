#include "shell/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>

namespace {

struct Options
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Shows this help and quits.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Shows the version and quits.")};
};

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
    const QDir base(currentFolder);
    for (const QString &path : parser.positionalArguments())
        request.paths.append(path.isEmpty() ? path : base.absoluteFilePath(path));
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
