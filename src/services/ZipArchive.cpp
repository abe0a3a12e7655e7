#include "services/ZipArchive.h"

#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/TextEncoding.h"
#include "services/ZipEntryInfo.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <minizip/unzip.h>
#include <sys/stat.h>

namespace {

constexpr uLong kFlagEncrypted = 0x1;
constexpr uLong kFlagUtf8Name = 0x800;
constexpr uLong kDosDirectory = 0x10;
constexpr int kReadChunk = 64 * 1024;

unzFile handle(void *p)
{
    return static_cast<unzFile>(p);
}

// Entry names are UTF-8 when flagged, and in practice often without the flag; old tools wrote
// the DOS code page.
QString decodeName(const QByteArray &raw, uLong flags)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString name = utf8(raw);
    if (!utf8.hasError() || (flags & kFlagUtf8Name))
        return name;
    if (auto dos = platform::TextEncoding::decodeStrict(raw, platform::Encoding::DOSLatinUS))
        return *dos;
    return QString::fromLatin1(raw);
}

// The entry's relative path inside the target folder, or a null string with the reason.
QString safeRelativePath(const QString &name, QString *why)
{
    if (name.contains(QChar(0))) {
        *why = QStringLiteral("NUL character in name");
        return QString();
    }
    if (name.startsWith(u'/') || name.startsWith(u'\\') ||
        (name.size() >= 2 && name.at(1) == u':' && name.at(0).isLetter())) {
        *why = QStringLiteral("absolute name");
        return QString();
    }
    // Archives made on other systems may separate with "\": no component may climb either way.
    const QStringList loose = name.split(QRegularExpression(QStringLiteral("[/\\\\]")));
    if (loose.contains(QStringLiteral(".."))) {
        *why = QStringLiteral("\"..\" in name");
        return QString();
    }
    QStringList parts;
    for (const QString &part : name.split(u'/')) {
        if (!part.isEmpty() && part != QStringLiteral("."))
            parts.append(part);
    }
    if (parts.isEmpty()) {
        *why = QStringLiteral("empty name");
        return QString();
    }
    return parts.join(u'/');
}

// A link already in the folder must not carry an entry elsewhere.
bool linkOnTheWay(const QString &folder, const QString &relative)
{
    QString path = folder;
    for (const QString &part : relative.split(u'/')) {
        path += u'/' + part;
        QFileInfo info(path);
        if (info.isSymLink())
            return true;
        if (!info.exists())
            return false;
    }
    return false;
}

} // namespace

struct ZipArchive::Entry
{
    QString name;
    bool isFolder = false;
    bool isLink = false;
    bool isSpecial = false;
    bool encrypted = false;
    quint64 size = 0;
    QDateTime modified;
};

ZipArchive::ZipArchive() = default;

ZipArchive::~ZipArchive()
{
    if (mUnzFile)
        unzClose(handle(mUnzFile));
}

bool ZipArchive::UnzipOpenFile(const QString &path)
{
    GUARD_BEGIN
    if (mUnzFile)
        UnzipCloseFile();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    mUnzFile = unzOpen64(QFile::encodeName(path).constData());
    if (!mUnzFile)
        platform::LogWarning(lcServices, QStringLiteral("ERROR not a zip archive: %1").arg(path));
    return mUnzFile != nullptr;
    GUARD_END(false)
}

bool ZipArchive::UnzipCloseFile()
{
    GUARD_BEGIN
    if (!mUnzFile)
        return false;
    const int rc = unzClose(handle(mUnzFile));
    mUnzFile = nullptr;
    return rc == UNZ_OK;
    GUARD_END(false)
}

void ZipArchive::refuse(const QString &name, const QString &why)
{
    mRefused.append(name);
    platform::LogWarning(lcServices,
                         QStringLiteral("ERROR zip entry refused (%1): %2").arg(why, name));
}

bool ZipArchive::readEntryInfo(Entry *entry)
{
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(handle(mUnzFile), &info, nullptr, 0, nullptr, 0, nullptr, 0) !=
        UNZ_OK)
        return false;
    QByteArray raw(qsizetype(info.size_filename), '\0');
    if (unzGetCurrentFileInfo64(handle(mUnzFile), &info, raw.data(), uLong(raw.size()), nullptr, 0,
                                nullptr, 0) != UNZ_OK)
        return false;
    entry->name = decodeName(raw, info.flag);
    const unsigned type = unixFileType(info.external_fa);
    entry->isLink = type == S_IFLNK;
    entry->isSpecial = type != 0 && type != S_IFREG && type != S_IFDIR && !entry->isLink;
    entry->isFolder =
        type == S_IFDIR || (info.external_fa & kDosDirectory) || entry->name.endsWith(u'/');
    entry->encrypted = info.flag & kFlagEncrypted;
    entry->size = info.uncompressed_size;
    entry->modified = entryTime(info.tmu_date);
    return true;
}

bool ZipArchive::UnzipFileTo(const QString &folder, bool overWrite)
{
    GUARD_BEGIN
    mRefused.clear();
    if (!mUnzFile || folder.isEmpty())
        return false;
    if (!QDir().mkpath(folder)) {
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR cannot make folder: %1").arg(folder));
        return false;
    }
    const QString root = QFileInfo(folder).absoluteFilePath();
    bool allDone = true;
    quint64 total = 0;
    int rc = unzGoToFirstFile(handle(mUnzFile));
    while (rc == UNZ_OK) {
        Entry entry;
        if (!readEntryInfo(&entry)) {
            platform::LogWarning(lcServices, QStringLiteral("ERROR damaged zip directory"));
            return false;
        }
        if (!unpackEntry(root, entry, overWrite, &total))
            allDone = false;
        rc = unzGoToNextFile(handle(mUnzFile));
    }
    if (rc != UNZ_END_OF_LIST_OF_FILE) {
        platform::LogWarning(lcServices, QStringLiteral("ERROR damaged zip directory"));
        return false;
    }
    return allDone;
    GUARD_END(false)
}

bool ZipArchive::unpackEntry(const QString &folder, const Entry &entry, bool overWrite,
                             quint64 *total)
{
    QString why;
    const QString relative = safeRelativePath(entry.name, &why);
    if (relative.isNull()) {
        refuse(entry.name, why);
        return false;
    }
    if (entry.isLink || entry.isSpecial) {
        refuse(entry.name, entry.isLink ? QStringLiteral("link") : QStringLiteral("special file"));
        return false;
    }
    if (entry.encrypted) {
        refuse(entry.name, QStringLiteral("encrypted"));
        return false;
    }
    if (entry.size > kMaxEntrySize || *total + entry.size > kMaxTotalSize) {
        refuse(entry.name, QStringLiteral("too large"));
        return false;
    }
    if (linkOnTheWay(folder, relative)) {
        refuse(entry.name, QStringLiteral("link in the way"));
        return false;
    }
    const QString target = folder + u'/' + relative;
    if (entry.isFolder) {
        if (QDir().mkpath(target))
            return true;
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR cannot make folder: %1").arg(target));
        return false;
    }
    if (QFileInfo::exists(target) && !overWrite)
        return true;
    if (!QDir().mkpath(QFileInfo(target).path())) {
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR cannot make folder for: %1").arg(target));
        return false;
    }
    return writeCurrentFile(target, entry, total);
}

bool ZipArchive::writeCurrentFile(const QString &target, const Entry &entry, quint64 *total)
{
    if (unzOpenCurrentFile(handle(mUnzFile)) != UNZ_OK) {
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR cannot read zip entry: %1").arg(entry.name));
        return false;
    }
    QSaveFile out(target);
    bool ok = out.open(QIODevice::WriteOnly);
    quint64 written = 0;
    QByteArray buffer(kReadChunk, '\0');
    while (ok) {
        const int n = unzReadCurrentFile(handle(mUnzFile), buffer.data(), unsigned(buffer.size()));
        if (n == 0)
            break;
        // The declared size bounds what we accept, whatever the stream inflates to.
        if (n < 0 || written + quint64(n) > entry.size) {
            ok = false;
            break;
        }
        written += quint64(n);
        ok = out.write(buffer.constData(), n) == n;
    }
    const bool crcOk = unzCloseCurrentFile(handle(mUnzFile)) == UNZ_OK;
    ok = ok && crcOk && written == entry.size;
    if (!ok || !out.commit()) {
        out.cancelWriting();
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR damaged zip entry: %1").arg(entry.name));
        return false;
    }
    *total += written;
    if (entry.modified.isValid()) {
        QFile file(target);
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(entry.modified, QFileDevice::FileModificationTime);
    }
    return true;
}
