#include "compare/LineCompare.h"

#include "compare/DiffInputs.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "services/SupportFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

namespace {

// Long enough for very large files; a hung child must not block the window for ever.
constexpr int kDiffTimeoutMs = 10 * 60 * 1000;

// Null when this process has no temporary folder: never fall back to the working folder.
QString tempFile(const QString &name)
{
    const QString folder = GetProcessTempFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(name);
}

bool readNumber(const QByteArray &s, qsizetype &pos, qint64 &value)
{
    const qsizetype begin = pos;
    value = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
        if (value > (std::numeric_limits<qint64>::max() - 9) / 10)
            return false;
        value = value * 10 + (s[pos] - '0');
        ++pos;
    }
    return pos > begin;
}

// "N" or "N,M" (1-based, inclusive).
bool readLineRange(const QByteArray &s, qsizetype &pos, qint64 &first, qint64 &last)
{
    if (!readNumber(s, pos, first))
        return false;
    last = first;
    if (pos < s.size() && s[pos] == ',') {
        ++pos;
        if (!readNumber(s, pos, last) || last < first)
            return false;
    }
    return true;
}

std::optional<MERGE_BLOCK> parseHeader(const QByteArray &line)
{
    qsizetype pos = 0;
    qint64 l1 = 0, l2 = 0, r1 = 0, r2 = 0;
    if (!readLineRange(line, pos, l1, l2) || pos >= line.size())
        return std::nullopt;
    const char op = line[pos++];
    if (!readLineRange(line, pos, r1, r2) || pos != line.size())
        return std::nullopt;
    MERGE_BLOCK b;
    switch (op) {
    case 'a': // after left line l1, right lines r1..r2
        if (l1 != l2)
            return std::nullopt;
        b.startLine[1] = l1;
        b.lineCount[1] = 0;
        b.startLine[2] = r1 - 1;
        b.lineCount[2] = r2 - r1 + 1;
        break;
    case 'd': // left lines l1..l2, after right line r1
        if (r1 != r2)
            return std::nullopt;
        b.startLine[1] = l1 - 1;
        b.lineCount[1] = l2 - l1 + 1;
        b.startLine[2] = r1;
        b.lineCount[2] = 0;
        break;
    case 'c':
        b.startLine[1] = l1 - 1;
        b.lineCount[1] = l2 - l1 + 1;
        b.startLine[2] = r1 - 1;
        b.lineCount[2] = r2 - r1 + 1;
        break;
    default:
        return std::nullopt;
    }
    if (b.startLine[1] < 0 || b.startLine[2] < 0)
        return std::nullopt;
    return b;
}

bool isHeaderLine(const QByteArray &line)
{
    return !line.isEmpty() && line[0] >= '0' && line[0] <= '9';
}

QByteArray chomp(QByteArray line)
{
    while (!line.isEmpty() && (line.endsWith('\n') || line.endsWith('\r')))
        line.chop(1);
    return line;
}

bool writeUtf8(const QString &path, const QString &text)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    return f.write(bytes) == bytes.size() && f.commit();
}

void setError(QString *error, const QString &text)
{
    platform::LogWarning(lcCompare, QStringLiteral("ERROR line compare: ") + text);
    if (error)
        *error = text;
}

} // namespace

QString GetDiffToolPath()
{
    QString fixed = QStringLiteral("/usr/bin/diff");
    if (QFileInfo(fixed).isExecutable())
        return fixed;
    return QStandardPaths::findExecutable(QStringLiteral("diff"));
}

QStringList LineCompare_Arguments(const LineCompareOptions &options)
{
    QStringList args{QStringLiteral("-a")};
    if (options.ignoreCase)
        args << QStringLiteral("-i");
    if (options.ignoreTabExpansion)
        args << QStringLiteral("-E");
    if (options.ignoreSpaceChange)
        args << QStringLiteral("-b");
    if (options.ignoreAllSpace)
        args << QStringLiteral("-w");
    if (options.ignoreBlankLines)
        args << QStringLiteral("-B");
    return args;
}

QString LineCompare_SettingLogPath()
{
    return tempFile(QStringLiteral("setting.log"));
}

QString LineCompare_TextCopyPath(int side)
{
    return tempFile(side == 1 ? QStringLiteral("1.txt") : QStringLiteral("2.txt"));
}

namespace {

// Adds the block of a header line; other lines (the quoted text) are passed over. False for a
// header that does not parse.
bool takeLine(const QByteArray &line, MergeBlockList &blocks)
{
    if (!isHeaderLine(line))
        return true;
    const auto block = parseHeader(line);
    if (!block) {
        platform::LogWarning(lcCompare, QStringLiteral("ERROR line compare: bad header: ") +
                                            QString::fromLatin1(line.left(80)));
        return false;
    }
    blocks.push_back(*block);
    return true;
}

} // namespace

bool ParseDiffNormalOutputLine(const QByteArray &line, MergeBlockList &blocks)
{
    return takeLine(chomp(line), blocks);
}

std::optional<MergeBlockList> ParseDiffNormalOutput(const QByteArray &output)
{
    MergeBlockList blocks;
    qsizetype pos = 0;
    while (pos < output.size()) {
        qsizetype end = output.indexOf('\n', pos);
        if (end < 0)
            end = output.size();
        const QByteArray line = chomp(output.mid(pos, end - pos));
        pos = end + 1;
        if (!takeLine(line, blocks))
            return std::nullopt;
    }
    return blocks;
}

std::optional<MergeBlockList> ParseDiffNormalOutputFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        platform::LogWarning(lcCompare, QStringLiteral("ERROR line compare: cannot read ") + path);
        return std::nullopt;
    }
    MergeBlockList blocks;
    // Read line by line: the quoted lines of a large file need not be held at once.
    while (!f.atEnd()) {
        const QByteArray line = chomp(f.readLine());
        if (!takeLine(line, blocks))
            return std::nullopt;
    }
    return blocks;
}

std::optional<MergeBlockList> LineCompare_Files(const QString &path1, const QString &path2,
                                                const LineCompareOptions &options, QString *error)
{
    GUARD_BEGIN
    const QString tool = GetDiffToolPath();
    if (tool.isEmpty()) {
        setError(error, QStringLiteral("the diff program is missing"));
        return std::nullopt;
    }
    const QString log = LineCompare_SettingLogPath();
    if (log.isEmpty()) {
        setError(error, QStringLiteral("no temporary folder"));
        return std::nullopt;
    }
    DeleteTempSettingLog();

    DiffInputs inputs;
    if (!inputs.open(path1, path2, error))
        return std::nullopt;
    QProcess diff;
    diff.setProgram(tool);
    diff.setArguments(LineCompare_Arguments(options) + inputs.arguments());
    diff.setStandardOutputFile(log);
    diff.setStandardInputFile(QProcess::nullDevice());
    inputs.handTo(diff);
    diff.start();
    if (!diff.waitForStarted()) {
        setError(error, QStringLiteral("diff did not start"));
        return std::nullopt;
    }
    if (!diff.waitForFinished(kDiffTimeoutMs)) {
        diff.kill();
        diff.waitForFinished();
        setError(error, QStringLiteral("diff did not finish"));
        return std::nullopt;
    }
    // 0: the same, 1: different; only 2 (or a crash) is trouble.
    if (diff.exitStatus() != QProcess::NormalExit || diff.exitCode() > 1) {
        setError(error, QString::fromLocal8Bit(diff.readAllStandardError()).trimmed());
        return std::nullopt;
    }
    if (diff.exitCode() == 0)
        return MergeBlockList{};
    auto blocks = ParseDiffNormalOutputFile(log);
    if (!blocks)
        setError(error, QStringLiteral("the output of diff cannot be read"));
    return blocks;
    GUARD_END(std::nullopt)
}

std::optional<MergeBlockList> LineCompare_Texts(const QString &text1, const QString &text2,
                                                const LineCompareOptions &options, QString *error)
{
    const QString p1 = LineCompare_TextCopyPath(1);
    const QString p2 = LineCompare_TextCopyPath(2);
    if (p1.isEmpty() || p2.isEmpty() || !writeUtf8(p1, text1) || !writeUtf8(p2, text2)) {
        setError(error, QStringLiteral("cannot write the texts to compare"));
        return std::nullopt;
    }
    return LineCompare_Files(p1, p2, options, error);
}

void DeleteTempSettingLog()
{
    GUARD_BEGIN
    const QString log = LineCompare_SettingLogPath();
    if (log.isEmpty())
        return;
    for (int i = 0; i < 100 && QFileInfo::exists(log); ++i) {
        if (QFile::remove(log))
            break;
        QThread::msleep(1);
    }
    GUARD_END_VOID
}
