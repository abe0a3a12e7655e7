#pragma once
// A read-only view of a zip archive: listed once when made, entries read on request, decompressed
// or raw. The archive keeps no file open between calls; every read opens the file again, so one
// archive may be read from several threads at once.
//
// Hostile archives: no path is ever made from an entry name (a "../x", absolute or link entry is
// listed as stored and nothing is written); no read allocates more than ZipArchive::kMaxEntrySize,
// and the buffer grows only as bytes arrive; an entry that yields more or fewer bytes than it
// declares, fails its CRC, or no longer matches the listing (the file was replaced) reads as
// nothing. A pipe, device or folder in place of the file is refused without opening it for long.

#include "layers/OUUnzipEntry.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

class OUUnzipArchive
{
public:
    // Lists the archive. Null when it cannot be opened, holds no entry or its directory is
    // damaged (*error then says why). An entry name that no known encoding decodes stops the
    // listing: the archive is answered with hasError() set and no entries.
    static std::shared_ptr<OUUnzipArchive> initWithPath(const QString &path,
                                                        QString *error = nullptr);

    const QString &path() const { return _path; }
    // Every entry in central-directory order; nullopt when the listing stopped early.
    const std::optional<QList<OUUnzipEntryPtr>> &entries() const { return _entries; }
    bool hasError() const { return mHasError; }
    void setHasError(bool hasError) { mHasError = hasError; }

    // The first entry whose name equals name exactly (case counts); null when none.
    OUUnzipEntryPtr entryNamed(const QString &name) const;
    // Every entry whose name begins with prefix (case counts), in archive order; an empty prefix
    // matches nothing.
    QList<OUUnzipEntryPtr> entriesWithNamePrefix(const QString &prefix) const;

    // The entry's bytes: inflated, or with raw the stored (compressed) bytes. nullopt when the
    // entry is null or cannot be read completely and correctly (*error then says why). Only
    // stored and deflated entries are inflated; encrypted ones are read raw only.
    std::optional<QByteArray> dataForEntry(const OUUnzipEntryPtr &entry, bool raw,
                                           QString *error = nullptr) const;
    std::optional<QByteArray> dataForEntry(const OUUnzipEntryPtr &entry,
                                           QString *error = nullptr) const
    {
        return dataForEntry(entry, false, error);
    }

private:
    OUUnzipArchive() = default;

    QString _path;
    std::optional<QList<OUUnzipEntryPtr>> _entries;
    bool mHasError = true;
};
