#include "layers/SaveItemNames.h"

#include "layers/LengthUnits.h"
#include "platform/Guard.h"
#include "platform/UserDefaults.h"
#include "services/SupportFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxContent = 64 * 1024;
constexpr int kMaxDepth = 256;

bool lstatPath(const QString &path, struct stat *st)
{
    return ::lstat(QFile::encodeName(path).constData(), st) == 0;
}

// The path a saved item's file holds; null when it is not a regular file, larger than any path,
// unreadable or not UTF-8.
QString contentPath(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return QString();
    QByteArray bytes;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxContent) {
        bytes.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
    }
    ::close(fd);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString() : text;
}

// The kind letter of an older item's file, 0 when its content names nothing.
char16_t fileKind(const QString &path)
{
    const QString target = contentPath(path);
    if (target.isEmpty() || target.contains(QChar(0)))
        return 0;
    const QFileInfo info(target);
    if (info.isDir())
        return target.endsWith(QStringLiteral(".app"), Qt::CaseInsensitive) ? u'A' : u'E';
    if (info.exists())
        return u'F';
    return 0;
}

// "007 Notes" becomes "007" + letter + "Notes" beside it, unless that name is taken.
void rename(const QString &path, char16_t letter)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.size() < 5 || name.at(3) != u' ')
        return;
    const QString target = info.path() + u'/' + name.left(3) + QChar(letter) + name.mid(4);
    ::renameat2(AT_FDCWD, QFile::encodeName(path).constData(), AT_FDCWD,
                QFile::encodeName(target).constData(), RENAME_NOREPLACE);
}

QString saveFolder()
{
    return QDir::cleanPath(gSupportFolder + QStringLiteral("/save"));
}

void refix(const QString &path, int depth)
{
    struct stat st;
    if (depth > kMaxDepth || !lstatPath(path, &st))
        return;
    if (S_ISDIR(st.st_mode)) {
        const QStringList names = QDir(path).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &name : names) {
            if (!name.startsWith(u'.'))
                refix(path + u'/' + name, depth + 1);
        }
        if (QDir::cleanPath(path) != saveFolder())
            rename(path, u'G');
        return;
    }
    if (!S_ISREG(st.st_mode))
        return; // links, pipes and devices are left as they are
    if (const char16_t letter = fileKind(path))
        rename(path, letter);
}

} // namespace

void RefixSaveItemNames()
{
    GUARD_BEGIN
    platform::UserDefaults &defaults = platform::UserDefaults::standard();
    const QString key = QStringLiteral("RefixSaveItemNameInSaveFolderV11");
    if (defaults.integerForKey(key) != 0)
        return;
    defaults.setInteger(1, key);
    defaults.synchronize();
    if (!gSupportFolder.isEmpty())
        RefixSaveItemName(saveFolder());
    GUARD_END_VOID
}

void RefixSaveItemName(const QString &path)
{
    GUARD_BEGIN
    if (!path.isEmpty())
        refix(path, 0);
    GUARD_END_VOID
}

QString GetSaveItemDisplayName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.size() < 5)
        return QString();
    for (int i = 0; i < 3; ++i) {
        if (name.at(i) < u'0' || name.at(i) > u'9')
            return QString();
    }
    return name.mid(4);
}

int GetSaveItemOrder(const QString &name)
{
    if (name.size() < 5)
        return -1;
    return int(LeadingLongLongValue(name.left(3)));
}

char16_t GetSaveItemKindLetter(const QString &path)
{
    if (path.isEmpty())
        return u'?';
    const QString name = QFileInfo(path).fileName();
    return name.size() < 5 ? u'?' : name.at(3).unicode();
}
