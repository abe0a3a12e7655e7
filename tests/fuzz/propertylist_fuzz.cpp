// Property-list reader: any input parses or is refused; what parses can be written again in both
// formats and read back to the same value.
#include "platform/Log.h"
#include "platform/PropertyList.h"

#include <cstddef>
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
    const auto value = platform::propertyListFromData(bytes);
    if (!value)
        return 0;
    const QByteArray binary = platform::dataFromPropertyList(*value, platform::PlistFormat::Binary);
    if (!binary.isEmpty()) {
        const auto again = platform::propertyListFromData(binary);
        if (!again)
            std::abort();
    }
    (void)platform::dataFromPropertyList(*value, platform::PlistFormat::Xml);
    return 0;
}
