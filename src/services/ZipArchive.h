#pragma once
// Unpacks zip archives (the bundle's resource archives) into a folder.

#include <QString>
#include <QStringList>

class ZipArchive
{
public:
    ZipArchive();
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    // Opens the archive (closing any open one); NO when it is missing or not a zip archive.
    bool UnzipOpenFile(const QString &path);
    // Unpacks every entry into the folder (made when missing); existing files are replaced only
    // with overWrite, else kept. Entries that would land outside the folder (absolute names,
    // ".." components), links, special files, encrypted or oversized entries are refused and
    // logged. Each file is written under a temporary name and renamed into place, so a damaged
    // entry leaves nothing half-written. NO when any entry was refused or failed.
    bool UnzipFileTo(const QString &folder, bool overWrite);
    // Closes the archive; NO when none was open or the archive reported an error.
    bool UnzipCloseFile();

    // The names refused by the last UnzipFileTo.
    const QStringList &refusedEntries() const { return mRefused; }

    // Upper bounds of one entry and of one whole unpacking.
    static constexpr quint64 kMaxEntrySize = quint64(512) << 20;
    static constexpr quint64 kMaxTotalSize = quint64(2) << 30;

private:
    struct Entry;
    bool readEntryInfo(Entry *entry);
    bool unpackEntry(const QString &folder, const Entry &entry, bool overWrite, quint64 *total);
    bool writeCurrentFile(const QString &target, const Entry &entry, quint64 *total);
    void refuse(const QString &name, const QString &why);

    void *mUnzFile = nullptr;
    QStringList mRefused;
};
