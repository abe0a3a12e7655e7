// Lists and reads arbitrary bytes as a zip archive: every entry read inflated has the CRC and the
// size its record declares, and nothing is written anywhere.
#include "FuzzQuiet.h"
#include "layers/OUUnzipArchive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <zlib.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    static QTemporaryDir root;
    if (!root.isValid())
        return 0;
    const QString path = root.filePath(QStringLiteral("in.zip"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const auto archive = OUUnzipArchive::initWithPath(path);
    if (archive && archive->entries()) {
        int read = 0;
        for (const OUUnzipEntryPtr &entry : *archive->entries()) {
            // Large declared entries are the bound's business; the fuzzer looks for wrong bytes.
            if (++read > 64 || entry->uncompressedSize() > (quint64(8) << 20))
                continue;
            archive->dataForEntry(entry, true);
            const std::optional<QByteArray> bytes = archive->dataForEntry(entry);
            if (!bytes)
                continue;
            const uLong crc =
                crc32(0, reinterpret_cast<const Bytef *>(bytes->constData()), uInt(bytes->size()));
            if (crc != entry->crc() || quint64(bytes->size()) != entry->uncompressedSize())
                std::abort();
        }
        archive->entryNamed(QStringLiteral("a"));
        archive->entriesWithNamePrefix(QStringLiteral("a"));
    }
    if (QDir(root.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot) !=
        QStringList{QStringLiteral("in.zip")})
        std::abort();
    return 0;
}
