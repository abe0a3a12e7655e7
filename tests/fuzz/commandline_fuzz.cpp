// The command line as a shell hands it over: the working folder and the arguments, as bytes
// (separated by NUL bytes here, which no argument can hold). Besides not crashing: a run gets
// every argument back, in order, byte for byte, and absolute by its first byte, an argument that
// does not begin with "/" joined to the working folder; an empty argument, or a relative one
// without a working folder, is a usage error. What is expected is worked out on the bytes alone,
// without the parser's own helpers.
#include "FuzzQuiet.h"
#include "platform/LocalPath.h"
#include "shell/CommandLine.h"

#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

QStringList asArguments(const QList<QByteArray> &arguments, bool endOptions)
{
    QStringList out{QStringLiteral("pelkomerge")};
    if (endOptions)
        out << QStringLiteral("--");
    for (const QByteArray &argument : arguments)
        out << LocalPath_FromBytes(argument);
    return out;
}

// The paths a run must answer; nothing when the arguments are a usage error.
std::optional<QList<QByteArray>> expectedPaths(const QByteArray &folder,
                                               const QList<QByteArray> &arguments)
{
    QList<QByteArray> paths;
    for (const QByteArray &argument : arguments) {
        if (argument.isEmpty())
            return std::nullopt;
        if (argument[0] == '/') {
            paths << argument;
            continue;
        }
        if (folder.isEmpty() || folder[0] != '/')
            return std::nullopt;
        paths << (folder.endsWith('/') ? folder : folder + '/') + argument;
    }
    return paths;
}

void check(const LaunchRequest &request, const std::optional<QList<QByteArray>> &expected)
{
    if (!expected) {
        if (request.kind != LaunchRequest::UsageError || request.errorText.isEmpty())
            __builtin_trap();
        return;
    }
    if (request.kind != LaunchRequest::Run || request.paths.size() != expected->size())
        __builtin_trap();
    for (qsizetype k = 0; k < expected->size(); ++k) {
        const QByteArray got = LocalPath_ToBytes(request.paths[k]);
        if (got.isEmpty() || got[0] != '/' || got != expected->at(k))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size > 64 * 1024)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArray> fields = bytes.split('\0');
    const QByteArray folder = fields.takeFirst();
    const QList<QByteArray> arguments = fields;
    const std::optional<QList<QByteArray>> expected = expectedPaths(folder, arguments);
    const QString workingFolder = folder.isEmpty() ? QString() : LocalPath_FromBytes(folder);
    check(ParseCommandLine(asArguments(arguments, true), workingFolder), expected);
    // Without "--" the same, as long as nothing can be read as an option.
    for (const QByteArray &argument : arguments)
        if (argument.startsWith('-'))
            return 0;
    check(ParseCommandLine(asArguments(arguments, false), workingFolder), expected);
    return 0;
}
