// Archived colour data comes from the user defaults, which anyone can edit: any bytes must give
// either an invalid colour or one that archives back to the same bytes.
#include "platform/Color.h"
#include "platform/Log.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = [] {
        platform::setLogSink([](const QString &) {});
        return true;
    }();
    (void)quiet;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const platform::Color c = platform::Color::unarchive(bytes);
    if (!c.isValid())
        return 0;
    if (c.archive() != bytes)
        std::abort();
    const double parts[] = {c.redComponent(), c.greenComponent(), c.blueComponent(),
                            c.whiteComponent(), c.alphaComponent()};
    for (double v : parts)
        if (!(v >= 0.0 && v <= 1.0))
            std::abort();
    (void)c.usingColorSpace(platform::ColorSpace::DeviceWhite);
    (void)c.toQColor();
    return 0;
}
