// The user's autostart entries, which any program or a hand may have written, read to learn
// whether this program starts with the session, and the entry written to make it so. The input's
// first line is the program's path, the rest another entry already in the folder. Whatever it
// holds: an entry written for the program is found again, and its Exec line, read as the
// desktop entry format says a session reads it, starts that very program; switched off, none is
// found; an entry that does not start the program is never changed or removed.
#include "FuzzQuiet.h"
#include "layers/SystemHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(gone)");
}

// A string value with the format's escapes taken off (\s, \n, \t, \r, \\).
QString unescapeValue(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(++i);
        if (next == u's')
            out += u' ';
        else if (next == u'n')
            out += u'\n';
        else if (next == u't')
            out += u'\t';
        else if (next == u'r')
            out += u'\r';
        else if (next == u'\\')
            out += u'\\';
        else
            out += QString(c) + next; // not an escape of the format: kept as it stands
    }
    return out;
}

// The program an Exec value starts, read as a session does: the value's escapes, then the first
// argument's quoting (inside quotes a backslash escapes '"', '`', '$' and '\'), then "%%" is a
// percent sign and any other field code makes the line unusable. Nothing when it is malformed.
std::optional<QString> sessionProgram(const QString &execValue)
{
    const QString line = unescapeValue(execValue);
    QString argument;
    qsizetype i = 0;
    if (line.startsWith(u'"')) {
        for (i = 1;; ++i) {
            if (i == line.size())
                return std::nullopt; // no closing quote
            const QChar c = line.at(i);
            if (c == u'"')
                break;
            if (c == u'\\') {
                if (i + 1 == line.size())
                    return std::nullopt;
                const QChar next = line.at(++i);
                if (next != u'"' && next != u'`' && next != u'$' && next != u'\\')
                    return std::nullopt;
                argument += next;
                continue;
            }
            argument += c;
        }
    } else {
        static const QString kReserved = QStringLiteral("\t\n\"'\\><~|&;$*?#()`");
        for (; i < line.size() && line.at(i) != u' '; ++i) {
            if (kReserved.contains(line.at(i)))
                return std::nullopt;
            argument += line.at(i);
        }
    }
    QString program;
    for (qsizetype k = 0; k < argument.size(); ++k) {
        if (argument.at(k) != u'%') {
            program += argument.at(k);
            continue;
        }
        if (k + 1 == argument.size() || argument.at(k + 1) != u'%')
            return std::nullopt; // a field code
        program += u'%';
        ++k;
    }
    return program;
}

// The Exec value of the entry file's main group.
QString execValueOf(const QByteArray &entry)
{
    bool inEntry = false;
    for (const QByteArray &raw : entry.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(u'['))
            inEntry = line == QStringLiteral("[Desktop Entry]");
        else if (inEntry && line.startsWith(QStringLiteral("Exec=")))
            return line.mid(5);
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    static QTemporaryDir config;
    static const bool prepared = [] {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        return config.isValid() && QDir().mkpath(config.filePath(QStringLiteral("autostart")));
    }();
    if (!prepared || size > 16 * 1024)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype lineEnd = input.indexOf('\n');
    const QString named = QString::fromUtf8(lineEnd < 0 ? input : input.left(lineEnd));
    const QByteArray other = lineEnd < 0 ? QByteArray() : input.mid(lineEnd + 1);

    QDir folder(config.filePath(QStringLiteral("autostart")));
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden))
        QFile::remove(folder.path() + u'/' + name);
    // Joined by hand: QDir takes a name starting with ':' for a resource.
    const QString otherPath = folder.path() + QStringLiteral("/other.desktop");
    {
        QFile file(otherPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(other) != other.size())
            return 0;
    }
    const QString path = named.startsWith(u'/') ? named : u'/' + named;
    const QUrl url = QUrl::fromLocalFile(path);
    const QString program = QDir::cleanPath(url.toLocalFile());
    bool usable = url.isLocalFile() && !program.isEmpty();
    for (const QChar c : program)
        usable = usable && c.unicode() >= 32 && c.unicode() != 127;

    const bool before = IsInLoginItems(url);
    SetInLoginItems(url, true);
    if (!usable) {
        if (IsInLoginItems(url) || folder.entryList(QDir::Files | QDir::Hidden).size() != 1)
            __builtin_trap(); // a path an entry cannot hold was written
        return 0;
    }
    if (!IsInLoginItems(url))
        __builtin_trap(); // the entry just written is not found
    if (!before) {
        if (readFile(otherPath) != other)
            __builtin_trap();
        // The new entry starts the program when the session reads it.
        for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
            if (name == QStringLiteral("other.desktop"))
                continue;
            const std::optional<QString> started =
                sessionProgram(execValueOf(readFile(folder.path() + u'/' + name)));
            if (!started || *started != program)
                __builtin_trap();
        }
    }
    SetInLoginItems(url, false);
    if (IsInLoginItems(url))
        __builtin_trap();
    if (!before && readFile(otherPath) != other)
        __builtin_trap(); // an entry of another program was touched
    return 0;
}
