#include "layers/OUUnzipArchive.h"

#include "platform/Guard.h"
#include "platform/Log.h"
#include "services/TextFile.h"
#include "services/ZipArchive.h"
#include "services/ZipEntryInfo.h"

#include <QFile>
#include <fcntl.h>
#include <minizip/unzip.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uLong kFlagEncrypted = 0x1;
constexpr uLong kMethodStored = 0;
constexpr uLong kMethodDeflated = 8;
constexpr qsizetype kReadChunk = qsizetype(1) << 20;

// Opens only a regular file. The open does not wait (a pipe with no writer would hold it
// forever), and the type is checked on the opened descriptor, so a file swapped for a pipe or a
// device after a first look is refused as well.
voidpf openRegularFile(voidpf, const void *filename, int mode)
{
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ || !filename)
        return nullptr;
    const char *path = static_cast<const char *>(filename);
    struct stat st;
    if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE *file = ::fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
}

// One open archive, closed on every way out.
class UnzHandle
{
public:
    explicit UnzHandle(const QString &path)
    {
        if (path.isEmpty())
            return;
        zlib_filefunc64_def functions;
        fill_fopen64_filefunc(&functions);
        functions.zopen64_file = openRegularFile;
        const QByteArray native = QFile::encodeName(path);
        mFile = unzOpen2_64(native.constData(), &functions);
    }
    ~UnzHandle()
    {
        if (mFile)
            unzClose(mFile);
    }
    UnzHandle(const UnzHandle &) = delete;
    UnzHandle &operator=(const UnzHandle &) = delete;
    explicit operator bool() const { return mFile != nullptr; }
    unzFile get() const { return mFile; }

private:
    unzFile mFile = nullptr;
};

// The entry opened for reading, closed on every way out; close() answers minizip's verdict
// (a CRC mismatch of a completely read entry shows there).
class CurrentEntry
{
public:
    CurrentEntry(unzFile file, bool raw) : mFile(file)
    {
        int method = 0;
        int level = 0;
        mOpen = unzOpenCurrentFile3(mFile, &method, &level, raw ? 1 : 0, nullptr) == UNZ_OK;
    }
    ~CurrentEntry()
    {
        if (mOpen)
            unzCloseCurrentFile(mFile);
    }
    CurrentEntry(const CurrentEntry &) = delete;
    CurrentEntry &operator=(const CurrentEntry &) = delete;
    bool isOpen() const { return mOpen; }
    int close()
    {
        mOpen = false;
        return unzCloseCurrentFile(mFile);
    }

private:
    unzFile mFile;
    bool mOpen = false;
};

// The current entry's header and its whole name (up to 65,535 bytes), decoded; a null name when
// no encoding decodes it. False when the header cannot be read.
bool readCurrentInfo(unzFile file, unz_file_info64 *info, QString *name)
{
    if (unzGetCurrentFileInfo64(file, info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    QByteArray raw(qsizetype(info->size_filename), '\0');
    if (!raw.isEmpty() && unzGetCurrentFileInfo64(file, info, raw.data(), uLong(raw.size()),
                                                  nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    *name = StringFromBytesTryEncodings(raw);
    return true;
}

QString fileTypeOf(quint64 externalAttributes)
{
    switch (unixFileType(externalAttributes)) {
    case S_IFLNK:
        return NSFileTypeSymbolicLink;
    case S_IFDIR:
        return NSFileTypeDirectory;
    default:
        return NSFileTypeRegular;
    }
}

// Reads the open entry: the buffer grows as bytes arrive, never beyond the declared count, so a
// forged size costs nothing until the bytes are really there.
std::optional<QByteArray> readDeclared(unzFile file, quint64 declared, QString *why)
{
    QByteArray data;
    qsizetype total = 0;
    for (;;) {
        // One byte beyond the declared count is asked for, so that a longer entry shows.
        const qsizetype want =
            qsizetype(qMin<quint64>(quint64(kReadChunk), declared - quint64(total) + 1));
        const qsizetype needed = total + want;
        if (data.capacity() < needed) {
            // reserve allocates exactly what is asked, where resize would round up.
            data.reserve(qMax(needed, qMin(data.capacity() * 2, qsizetype(declared) + 1)));
        }
        data.resize(needed);
        const int n = unzReadCurrentFile(file, data.data() + total, unsigned(want));
        if (n < 0) {
            *why = QStringLiteral("damaged entry data");
            return std::nullopt;
        }
        if (n == 0)
            break;
        total += n;
        if (quint64(total) > declared) {
            *why = QStringLiteral("more bytes than declared");
            return std::nullopt;
        }
    }
    if (quint64(total) != declared) {
        *why = QStringLiteral("fewer bytes than declared");
        return std::nullopt;
    }
    data.resize(total);
    return data;
}

} // namespace

std::shared_ptr<OUUnzipArchive> OUUnzipArchive::initWithPath(const QString &path, QString *error)
{
    GUARD_BEGIN
    const auto fail = [&](const QString &why) -> std::shared_ptr<OUUnzipArchive> {
        platform::Log(QStringLiteral("ERROR zip archive refused (%1): %2").arg(why, path));
        if (error)
            *error = why;
        return nullptr;
    };
    std::shared_ptr<OUUnzipArchive> archive(new OUUnzipArchive);
    archive->_path = path;
    UnzHandle zip(path);
    if (!zip)
        return fail(QStringLiteral("not a readable zip archive"));
    QList<OUUnzipEntryPtr> list;
    for (;;) {
        unz_file_info64 info;
        QString name;
        if (!readCurrentInfo(zip.get(), &info, &name))
            return fail(QStringLiteral("damaged central directory"));
        if (name.isNull()) {
            // The listing stops here; the archive is answered, marked as failed.
            if (error)
                *error = QStringLiteral("entry name in no known encoding");
            return archive;
        }
        unz64_file_pos position = {0, 0};
        if (unzGetFilePos64(zip.get(), &position) != UNZ_OK)
            return fail(QStringLiteral("damaged central directory"));
        const OUUnzipEntryPtr entry = OUUnzipEntry::initWithName(
            name, fileTypeOf(info.external_fa), entryTime(info.tmu_date),
            position.pos_in_zip_directory, position.num_of_file, info.compression_method,
            info.compressed_size, info.uncompressed_size, info.crc);
        if (!entry)
            return fail(QStringLiteral("entry record at position 0"));
        list.append(entry);
        const int rc = unzGoToNextFile(zip.get());
        if (rc == UNZ_END_OF_LIST_OF_FILE)
            break;
        if (rc != UNZ_OK)
            return fail(QStringLiteral("damaged central directory"));
    }
    archive->_entries = std::move(list);
    archive->mHasError = false;
    return archive;
    GUARD_END(nullptr)
}

OUUnzipEntryPtr OUUnzipArchive::entryNamed(const QString &name) const
{
    if (!_entries)
        return nullptr;
    for (const OUUnzipEntryPtr &entry : *_entries) {
        if (entry->name() == name)
            return entry;
    }
    return nullptr;
}

QList<OUUnzipEntryPtr> OUUnzipArchive::entriesWithNamePrefix(const QString &prefix) const
{
    QList<OUUnzipEntryPtr> found;
    if (!_entries || prefix.isEmpty())
        return found;
    for (const OUUnzipEntryPtr &entry : *_entries) {
        if (entry->name().startsWith(prefix))
            found.append(entry);
    }
    return found;
}

std::optional<QByteArray> OUUnzipArchive::dataForEntry(const OUUnzipEntryPtr &entry, bool raw,
                                                       QString *error) const
{
    GUARD_BEGIN
    const auto fail = [&](const QString &why) -> std::optional<QByteArray> {
        if (entry)
            platform::Log(QStringLiteral("ERROR zip entry not read (%1): %2").arg(why, _path));
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (!entry)
        return fail(QStringLiteral("no entry"));
    UnzHandle zip(_path);
    if (!zip)
        return fail(QStringLiteral("not a readable zip archive"));
    const unz64_file_pos position = {entry->positionInFile(), entry->fileNumber()};
    if (unzGoToFilePos64(zip.get(), &position) != UNZ_OK)
        return fail(QStringLiteral("entry not found"));
    unz_file_info64 info;
    QString name;
    if (!readCurrentInfo(zip.get(), &info, &name))
        return fail(QStringLiteral("damaged central directory"));
    // The archive is opened afresh for every read: what stands at the position now must be the
    // entry that was listed there.
    if (name != entry->name() || info.crc != entry->crc() ||
        info.compression_method != entry->compressionMethod() ||
        info.compressed_size != entry->compressedSize() ||
        info.uncompressed_size != entry->uncompressedSize())
        return fail(QStringLiteral("archive changed since it was listed"));
    if (!raw && (info.flag & kFlagEncrypted))
        return fail(QStringLiteral("encrypted entry"));
    // Other methods would come back as their compressed bytes, unchecked.
    if (!raw && info.compression_method != kMethodStored &&
        info.compression_method != kMethodDeflated)
        return fail(
            QStringLiteral("unsupported compression method %1").arg(info.compression_method));
    const quint64 declared = raw ? info.compressed_size : info.uncompressed_size;
    if (declared > ZipArchive::kMaxEntrySize)
        return fail(QStringLiteral("entry too large"));
    CurrentEntry current(zip.get(), raw);
    if (!current.isOpen())
        return fail(QStringLiteral("entry cannot be opened"));
    QString why;
    std::optional<QByteArray> data = readDeclared(zip.get(), declared, &why);
    if (!data)
        return fail(why);
    if (current.close() != UNZ_OK)
        return fail(QStringLiteral("CRC mismatch"));
    return data;
    GUARD_END(std::nullopt)
}
