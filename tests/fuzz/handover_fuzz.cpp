// Decodes arbitrary bytes as a message handed over by a second start. Besides not crashing: a
// message that decodes holds at most 1,000 absolute paths, and encoding them again gives the same
// bytes.
#include "shell/HandOver.h"

#include <QDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList paths;
    QString why;
    if (handover::decodeMessage(bytes, &paths, &why) != handover::Decode::Complete)
        return 0;
    if (paths.size() > handover::kMaxPaths)
        std::abort();
    for (const QString &path : paths)
        if (path.isEmpty() || !QDir::isAbsolutePath(path))
            std::abort();
    if (handover::encodeMessage(paths) != bytes)
        std::abort();
    return 0;
}
