#include "layers/OUUnzipEntry.h"

std::shared_ptr<const OUUnzipEntry>
OUUnzipEntry::initWithName(const QString &name, const QString &fileType, const QDateTime &date,
                           quint64 positionInFile, quint64 fileNumber, quint64 compressionMethod,
                           quint64 compressedSize, quint64 uncompressedSize, quint64 crc)
{
    if (name.isEmpty() || positionInFile == 0)
        return nullptr;
    std::shared_ptr<OUUnzipEntry> entry(new OUUnzipEntry);
    entry->_name = name;
    entry->_fileType = fileType;
    entry->_date = date;
    entry->_positionInFile = positionInFile;
    entry->_fileNumber = fileNumber;
    entry->_compressionMethod = compressionMethod;
    entry->_compressedSize = compressedSize;
    entry->_uncompressedSize = uncompressedSize;
    entry->_crc = crc;
    return entry;
}

QString OUUnzipEntry::shortDescription() const
{
    // One pass over the format, so a "%" in the name is never taken for a place holder.
    return QStringLiteral("<OUUnzipEntry:0x%1 '%2' offset:%3 file number:%4>")
        .arg(QString::number(quintptr(this), 16), _name, QString::number(_positionInFile),
             QString::number(_fileNumber));
}
