#include "compare/PatchDiffRunner.h"

#include "compare/DiffInputs.h"
#include "platform/Guard.h"
#include "platform/LocalPath.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace {

constexpr int kDiffTimeoutMs = 10 * 60 * 1000;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// A byte of a name that needs quotes, as GNU patch reads it back inside them.
void appendEscaped(QByteArray *out, uchar byte)
{
    static constexpr char kNamed[] = {'a', 'b', 't', 'n', 'v', 'f', 'r'}; // bytes 7 to 13
    if (byte == ' ') {
        *out += ' '; // read as it is inside the quotes
    } else if (byte == '"' || byte == '\\') {
        *out += '\\';
        *out += char(byte);
    } else if (byte >= 7 && byte <= 13) {
        *out += '\\';
        *out += kNamed[byte - 7];
    } else {
        *out += '\\';
        *out += char('0' + (byte >> 6));
        *out += char('0' + ((byte >> 3) & 7));
        *out += char('0' + (byte & 7));
    }
}

// A byte that GNU patch would not read back from an unquoted name: it ends such a name at white
// space and reads quotes and backslashes as quoting.
bool needsQuotes(uchar byte)
{
    return byte <= ' ' || byte == 0x7f || byte == '"' || byte == '\\';
}

} // namespace

QByteArray PatchDiff_FileName(const QString &relativePath)
{
    // The file system's bytes: a name that is not UTF-8 goes in as the bytes it is made of,
    // which GNU patch reads back as they stand.
    const QByteArray raw = LocalPath_ToBytes(relativePath);
    if (std::none_of(raw.begin(), raw.end(), [](char c) { return needsQuotes(uchar(c)); }))
        return raw;
    QByteArray quoted = "\"";
    for (const char byte : raw) {
        if (needsQuotes(uchar(byte)))
            appendEscaped(&quoted, uchar(byte));
        else
            quoted += byte;
    }
    return quoted + '"';
}

namespace {

bool holdsLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

QStringList PatchDiff_Arguments(const PatchDiffOptions &options)
{
    QStringList args = LineCompare_Arguments(options.ignore);
    if (options.sideBySide)
        args << QStringLiteral("-y");
    return args;
}

namespace {

// diff run on inputs ready to hand over; see RunDiffForPatch.
std::optional<QByteArray> runDiff(const DiffInputs &inputs, const PatchDiffOptions &options,
                                  QString *error, const PatchCancelCheck &cancelled)
{
    const QString tool = GetDiffToolPath();
    if (tool.isEmpty()) {
        setError(error, QStringLiteral("diff was not found"));
        return std::nullopt;
    }
    QProcess diff;
    diff.setProgram(tool);
    diff.setArguments(PatchDiff_Arguments(options) + inputs.arguments());
    diff.setStandardInputFile(QProcess::nullDevice());
    inputs.handTo(diff);
    diff.start();
    if (!diff.waitForStarted()) {
        setError(error, QStringLiteral("diff did not start"));
        return std::nullopt;
    }
    // Waits in short slices so that a cancel stops diff at once.
    QElapsedTimer clock;
    clock.start();
    while (!diff.waitForFinished(100) && diff.state() != QProcess::NotRunning) {
        const bool stop = cancelled && cancelled();
        if (stop || clock.elapsed() > kDiffTimeoutMs) {
            diff.kill();
            diff.waitForFinished();
            setError(error,
                     stop ? QStringLiteral("cancelled") : QStringLiteral("diff did not finish"));
            return std::nullopt;
        }
    }
    if (diff.exitStatus() != QProcess::NormalExit || diff.exitCode() > 1) {
        setError(error, QString::fromLocal8Bit(diff.readAllStandardError()).trimmed());
        return std::nullopt;
    }
    if (diff.exitCode() == 0)
        return QByteArray();
    return diff.readAllStandardOutput();
}

// The side of a pair as its judgement says (see PatchPair), or none: *leftOut is set when the side
// is no longer what was judged, else *error says why it could not be opened.
platform::UniqueFd openJudged(const PatchPair &pair, int side, bool *leftOut, QString *error)
{
    const ComparedTreePtr &tree = side == 1 ? pair.tree1 : pair.tree2;
    const QString &named = side == 1 ? pair.file1 : pair.file2;
    const TreeRoute &route = side == 1 ? pair.route1 : pair.route2;
    TreeFailure why = TreeFailure::Gone;
    errno = ENOENT; // a top folder that could not be opened
    platform::UniqueFd fd = tree ? tree->openFile(route, &why)
                            : route.empty()
                                ? TreeFile_OpenAt(AT_FDCWD, LocalPath_ToBytes(named),
                                                  side == 1 ? pair.judged1 : pair.judged2, &why)
                                : platform::UniqueFd();
    if (fd.isOpen())
        return fd;
    const int cause = errno;
    if (why == TreeFailure::NotAsJudged || why == TreeFailure::NotRegular)
        *leftOut = true;
    else
        setError(error, LocalPath_Shown(named) + QStringLiteral(": ") +
                            QString::fromLocal8Bit(std::strerror(cause)));
    return platform::UniqueFd();
}

} // namespace

std::optional<QByteArray> RunDiffForPatch(const QString &file1, const QString &file2,
                                          const PatchDiffOptions &options, QString *error,
                                          const PatchCancelCheck &cancelled)
{
    GUARD_BEGIN
    DiffInputs inputs;
    if (!inputs.open(file1, file2, error))
        return std::nullopt;
    return runDiff(inputs, options, error, cancelled);
    GUARD_END(std::nullopt)
}

std::optional<QByteArray> RunDiffForOpenFiles(platform::UniqueFd file1, const QString &label1,
                                              platform::UniqueFd file2, const QString &label2,
                                              const PatchDiffOptions &options, QString *error,
                                              const PatchCancelCheck &cancelled)
{
    GUARD_BEGIN
    if (!file1.isOpen() || !file2.isOpen()) {
        setError(error, QStringLiteral("a file could not be opened"));
        return std::nullopt;
    }
    DiffInputs inputs;
    inputs.adopt(0, std::move(file1), label1);
    inputs.adopt(1, std::move(file2), label2);
    return runDiff(inputs, options, error, cancelled);
    GUARD_END(std::nullopt)
}

bool WriteTwoFilePatch(const QString &file1, const QString &file2, const PatchDiffOptions &options,
                       const QString &outputPath, QString *error, const PatchCancelCheck &cancelled)
{
    GUARD_BEGIN
    const auto text = RunDiffForPatch(file1, file2, options, error, cancelled);
    if (!text)
        return false;
    if (cancelled && cancelled()) {
        setError(error, QStringLiteral("cancelled"));
        return false;
    }
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(*text) != text->size()) {
        setError(error, out.errorString());
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        setError(error, out.errorString());
        return false;
    }
    return true;
    GUARD_END(false)
}

PatchPair PatchPair_FromEntry(const COMP_ITEM &item, const ComparedTreePtr &tree1,
                              const TreeRoute &route1, const ComparedTreePtr &tree2,
                              const TreeRoute &route2)
{
    PatchPair pair;
    pair.relativePath = LocalPath_FromBytes(TreeRoute_Path(route1));
    pair.file1 = tree1 ? LocalPath_FromBytes(tree1->pathOf(route1)) : pair.relativePath;
    pair.file2 = tree2 ? LocalPath_FromBytes(tree2->pathOf(route2)) : pair.relativePath;
    pair.judged1 = item.judged1;
    pair.judged2 = item.judged2;
    pair.tree1 = tree1;
    pair.tree2 = tree2;
    pair.route1 = route1;
    pair.route2 = route2;
    return pair;
}

PatchPair PatchPair_FromEntry(const COMP_ITEM &item, const QByteArray &relativePath,
                              const QString &top1, const QString &top2)
{
    const auto routeOf = [&](int side) {
        TreeRoute route = TreeRoute_FromPath(relativePath);
        if (!route.empty())
            route.back().judged = side == 1 ? item.judged1 : item.judged2;
        return route;
    };
    PatchPair pair =
        PatchPair_FromEntry(item, ComparedTree::open(LocalPath_ToBytes(top1)), routeOf(1),
                            ComparedTree::open(LocalPath_ToBytes(top2)), routeOf(2));
    const auto below = [&relativePath](const QString &top) {
        QByteArray path = LocalPath_ToBytes(top);
        if (!path.endsWith('/'))
            path += '/';
        return LocalPath_FromBytes(path + relativePath);
    };
    pair.file1 = below(top1);
    pair.file2 = below(top2);
    return pair;
}

bool WriteFolderPatch(const std::vector<PatchPair> &pairs, const PatchDiffOptions &options,
                      const QString &outputPath, const std::atomic<bool> *cancel, QString *error,
                      std::vector<PatchLeftOut> *leftOut,
                      const std::function<void(int, int)> &progress)
{
    GUARD_BEGIN
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly)) {
        setError(error, out.errorString());
        return false;
    }
    int done = 0;
    for (const PatchPair &pair : pairs) {
        if (cancel && cancel->load()) {
            out.cancelWriting();
            setError(error, QStringLiteral("cancelled"));
            return false;
        }
        const auto leaveOut = [&](PatchLeftOut::Reason reason) {
            if (leftOut)
                leftOut->push_back({pair.relativePath, reason});
            if (progress)
                progress(++done, int(pairs.size()));
        };
        if (holdsLineBreak(pair.relativePath) || holdsLineBreak(pair.file1) ||
            holdsLineBreak(pair.file2)) {
            leaveOut(PatchLeftOut::LineBreak);
            continue;
        }
        if (pair.judged1.viaLink || pair.judged2.viaLink) {
            leaveOut(PatchLeftOut::Link);
            continue;
        }
        // Each side is opened once, as the compare judged it, and diff reads that descriptor:
        // a name swapped for a link or another file since is never read.
        DiffInputs inputs;
        bool changed = false;
        for (int side : {1, 2}) {
            platform::UniqueFd fd = openJudged(pair, side, &changed, error);
            if (!fd.isOpen()) {
                if (changed)
                    break;
                out.cancelWriting();
                return false;
            }
            inputs.adopt(side - 1, std::move(fd),
                         LocalPath_Shown(side == 1 ? pair.file1 : pair.file2));
        }
        if (changed) {
            leaveOut(PatchLeftOut::NotAsJudged);
            continue;
        }
        const auto text =
            runDiff(inputs, options, error, [cancel] { return cancel && cancel->load(); });
        if (!text) {
            out.cancelWriting();
            return false;
        }
        if (!text->isEmpty()) {
            QByteArray block = "Index: " + PatchDiff_FileName(pair.relativePath) + '\n';
            block += *text;
            if (!block.endsWith('\n'))
                block += '\n';
            if (out.write(block) != block.size()) {
                setError(error, out.errorString());
                out.cancelWriting();
                return false;
            }
        }
        if (progress)
            progress(++done, int(pairs.size()));
    }
    if (!out.commit()) {
        setError(error, out.errorString());
        return false;
    }
    return true;
    GUARD_END(false)
}
