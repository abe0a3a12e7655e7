#pragma once
// One entry of a zip archive's central directory, as OUUnzipArchive lists it. Immutable.

#include <QDateTime>
#include <QString>
#include <memory>

// The file types an entry can have.
inline const QString NSFileTypeRegular = QStringLiteral("NSFileTypeRegular");
inline const QString NSFileTypeDirectory = QStringLiteral("NSFileTypeDirectory");
inline const QString NSFileTypeSymbolicLink = QStringLiteral("NSFileTypeSymbolicLink");

class OUUnzipEntry
{
public:
    // Null for an empty name or position 0 (no central-directory record lies there).
    static std::shared_ptr<const OUUnzipEntry>
    initWithName(const QString &name, const QString &fileType, const QDateTime &date,
                 quint64 positionInFile, quint64 fileNumber, quint64 compressionMethod,
                 quint64 compressedSize, quint64 uncompressedSize, quint64 crc);

    const QString &name() const { return _name; }
    const QString &fileType() const { return _fileType; }
    // Null when the stored date is impossible.
    const QDateTime &date() const { return _date; }
    quint64 positionInFile() const { return _positionInFile; }
    quint64 fileNumber() const { return _fileNumber; }
    quint64 compressionMethod() const { return _compressionMethod; }
    quint64 compressedSize() const { return _compressedSize; }
    quint64 uncompressedSize() const { return _uncompressedSize; }
    quint64 crc() const { return _crc; }

    // "<OUUnzipEntry:0x... 'name' offset:N file number:N>"
    QString shortDescription() const;

private:
    OUUnzipEntry() = default;

    QString _name;
    QString _fileType;
    QDateTime _date;
    quint64 _positionInFile = 0;
    quint64 _fileNumber = 0;
    quint64 _compressedSize = 0;
    quint64 _uncompressedSize = 0;
    quint64 _compressionMethod = 0;
    quint64 _crc = 0;
};

using OUUnzipEntryPtr = std::shared_ptr<const OUUnzipEntry>;
