// Decodes arbitrary bytes as a message handed over by a second start. Besides not crashing: a
// message that decodes holds at most 1,000 absolute paths, and encoding them again gives the same
// bytes.
#include "shell/HandOver.h"

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
    // Absolute by its first byte, as the system reads a path: not by the check the code under
    // test uses, which also takes Qt's resource paths (":name") for absolute.
    for (const QString &path : paths)
        if (!path.startsWith(QLatin1Char('/')))
            std::abort();
    if (handover::encodeMessage(paths) != bytes)
        std::abort();
    return 0;
}
