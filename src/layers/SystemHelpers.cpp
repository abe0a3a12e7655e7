#include "layers/SystemHelpers.h"

#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "platform/UniqueFd.h"
#include "services/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxEntryBytes = 64 * 1024;

bool existsNoFollow(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QString autostartFolder()
{
    const QString base = platform::TrustedBaseFolder("XDG_CONFIG_HOME",
                                                     QFile::decodeName(qgetenv("XDG_CONFIG_HOME")),
                                                     QStringLiteral(".config"));
    return base + QStringLiteral("/autostart");
}

// An entry's value with the escapes of the format's strings read (\s, \n, \t, \r, \\); any
// other backslash stays as it is.
QString unescapedValue(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const QChar next = i + 1 < value.size() ? value.at(i + 1) : QChar();
        const qsizetype known = QStringView(u"sntr\\").indexOf(next);
        if (c != u'\\' || next.isNull() || known < 0) {
            out += c;
            continue;
        }
        out += QStringView(u" \n\t\r\\").at(known);
        ++i;
    }
    return out;
}

// The program of a desktop entry's Exec line, as a session reads it: the value's escapes, then
// the first word with its quotes and escapes taken off (inside quotes a backslash escapes '"',
// '`', '$' and '\', and stands for itself before anything else), then "%%" as one percent sign.
QString execProgram(const QString &value)
{
    const QString line = unescapedValue(value);
    QString program;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"') {
            quoted = !quoted;
        } else if (c == u'\\' && quoted && i + 1 < line.size() &&
                   QStringView(u"\"`$\\").contains(line.at(i + 1))) {
            program += line.at(++i);
        } else if (c.isSpace() && !quoted) {
            if (!program.isEmpty())
                break;
        } else if (c == u'%' && i + 1 < line.size() && line.at(i + 1) == u'%') {
            program += c;
            ++i;
        } else {
            program += c;
        }
    }
    return program;
}

// The path as an Exec line's first word that a session reads back as that path: quoted, with
// '"', '`', '$' and '\' escaped, a percent sign doubled (one alone starts a field code), and
// every backslash escaped once more, since the line is a string value whose escapes go first.
QString quotedForExec(const QString &path)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        else if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    quoted += u'"';
    return quoted.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
}

// The content of the user's own regular entry file at path (a link is not followed, and what is
// read is the file that was judged); nothing for anything else.
std::optional<QByteArray> readOwnEntry(const QString &path)
{
    const platform::UniqueFd fd(::open(QFile::encodeName(path).constData(),
                                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid() || st.st_size > kMaxEntryBytes)
        return std::nullopt;
    QByteArray bytes;
    if (ReadBytesAt(fd.get(), 0, st.st_size, &bytes) != 0)
        return std::nullopt;
    return bytes;
}

// The user's own regular entry files (links are not followed) whose Exec runs program.
QStringList entriesFor(const QString &program)
{
    QStringList found;
    const QString folder = autostartFolder();
    // Hidden ones too: a session starts those as well.
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("*.desktop")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const QString path = folder + u'/' + name;
        const std::optional<QByteArray> entry = readOwnEntry(path);
        if (!entry)
            continue;
        bool inEntry = false;
        for (const QByteArray &raw : entry->split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(u'['))
                inEntry = line == QStringLiteral("[Desktop Entry]");
            else if (inEntry && line.startsWith(QStringLiteral("Exec=")) &&
                     execProgram(line.mid(5)) == program) {
                found << path;
                break;
            }
        }
    }
    return found;
}

// The name of a new entry file: the program's, not hidden, cut to leave room for a number and
// ".desktop" within the 255 bytes a file name may have (entries are found by their Exec).
QString entryBaseName(const QString &program)
{
    QString base = QFileInfo(program).completeBaseName();
    while (base.startsWith(u'.'))
        base.remove(0, 1); // shown in the folder like any other entry
    if (base.isEmpty())
        base = QStringLiteral("program");
    while (base.toUtf8().size() > 200)
        base.chop(base.size() > 1 && base.back().isLowSurrogate() ? 2 : 1);
    return base;
}

// The local path of the URL; null for another URL or a path that an entry's line cannot hold.
QString programOf(const QUrl &url)
{
    if (!url.isLocalFile())
        return QString();
    const QString path = QDir::cleanPath(url.toLocalFile());
    for (const QChar c : path) {
        if (c.unicode() < 32 || c.unicode() == 127)
            return QString();
    }
    return path;
}

} // namespace

bool FileIsAlias(const QString &path, QString *target)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.isSymLink())
        return false;
    if (target) {
        // Resolving fails for a link whose target is gone.
        const QString resolved = info.symLinkTarget();
        if (resolved.isEmpty() || !info.exists())
            return false;
        *target = resolved;
    }
    return true;
    GUARD_END(false)
}

QString NormalizePathThroughFileSystem(const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return QString();
    // Only ASCII has a single spelling; Latin-1 letters such as "\u00e9" have a decomposed one.
    bool ascii = true;
    for (const QChar c : path)
        ascii = ascii && c.unicode() < 128;
    if (ascii)
        return path;
    bool latin1 = true;
    for (const QChar c : path)
        latin1 = latin1 && c.unicode() < 256;
    for (const QString &form : {path, path.normalized(QString::NormalizationForm_C),
                                path.normalized(QString::NormalizationForm_D)}) {
        if (existsNoFollow(form))
            return form;
    }
    // A Latin-1 path is its own answer when no spelling of it is on disk; another is unknown.
    return latin1 ? path : QString();
    GUARD_END(QString())
}

bool IsPathInMacOSFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(QFileInfo(path).path())
               .fileName()
               .compare(QStringLiteral("MacOS"), Qt::CaseInsensitive) == 0;
}

void SetStickyGroupWritablePermission(const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st;
    // Folders too: the sticky bit means most there.
    if (::fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        ::fchmod(fd, 01774);
    ::close(fd);
    GUARD_END_VOID
}

bool IsInLoginItems(const QUrl &url)
{
    GUARD_BEGIN
    const QString program = programOf(url);
    return !program.isEmpty() && !entriesFor(program).isEmpty();
    GUARD_END(false)
}

void SetInLoginItems(const QUrl &url, bool on)
{
    GUARD_BEGIN
    const QString program = programOf(url);
    if (program.isEmpty())
        return;
    const QStringList entries = entriesFor(program);
    if (!on) {
        for (const QString &entry : entries)
            QFile::remove(entry);
        return;
    }
    if (!entries.isEmpty())
        return;
    const QString folder = autostartFolder();
    if (!QDir().mkpath(folder))
        return;
    const QString base = entryBaseName(program);
    QString path = folder + u'/' + base + QStringLiteral(".desktop");
    for (int n = 2; existsNoFollow(path); ++n)
        path = folder + u'/' + base + QStringLiteral("-%1.desktop").arg(n);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        platform::Log(QStringLiteral("ERROR autostart entry not written: %1: %2")
                          .arg(path, file.errorString()));
        return;
    }
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n")
                             .arg(QFileInfo(program).fileName(), quotedForExec(program));
    file.write(text.toUtf8());
    if (!file.commit())
        platform::Log(QStringLiteral("ERROR autostart entry not written: %1").arg(path));
    GUARD_END_VOID
}
