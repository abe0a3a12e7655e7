// Unpacks arbitrary bytes as a zip archive. Besides not crashing, nothing may appear beside the
// target folder: every entry stays inside it.
#include "services/ZipArchive.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir root;
    static const bool quiet = [] {
        platform::setLogSink([](const QString &) {});
        return true;
    }();
    (void)quiet;
    if (!root.isValid())
        return 0;
    const QString archivePath = root.filePath(QStringLiteral("in.zip"));
    const QString outPath = root.filePath(QStringLiteral("out/inner"));
    {
        QFile file(archivePath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    ZipArchive archive;
    if (archive.UnzipOpenFile(archivePath)) {
        archive.UnzipFileTo(outPath, true);
        archive.UnzipCloseFile();
    }
    const QStringList beside =
        QDir(root.filePath(QStringLiteral("out")))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (!beside.isEmpty() && beside != QStringList{QStringLiteral("inner")})
        std::abort();
    QDir(root.filePath(QStringLiteral("out"))).removeRecursively();
    return 0;
}
