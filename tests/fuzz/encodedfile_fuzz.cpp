// Fuzz target: reading the application's enciphered files and the translation table.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

#include "platform/Log.h"

#include "platform/PropertyList.h"
#include "services/EncodedFile.h"
#include "services/Localization.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = [] {
        platform::setLogSink([](const QString &) {});
        return true;
    }();
    (void)quiet;
    static QTemporaryDir dir;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    if (const auto plain = App_DecodeData(bytes))
        (void)platform::propertyListFromData(*plain);
    // The same bytes behind a valid header reach the cipher's padding check.
    (void)App_DecodeData(QByteArray("PKMENC\x01\x00", 8) + bytes);

    const QString path = dir.path() + QStringLiteral("/input");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
        file.close();
        (void)App_MyEncodeFile_Read(path);
        (void)LoadLocalizationTable(path);
    }
    return 0;
}
