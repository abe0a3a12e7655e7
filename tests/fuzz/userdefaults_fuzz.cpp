// User-defaults store over any file content: a damaged file is put aside, and whatever was read
// is saved and read back unchanged.
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const bool quiet = [] {
        platform::setLogSink([](const QString &) {});
        return true;
    }();
    (void)quiet;
    if (!dir.isValid())
        return 0;
    QDir folder(dir.path());
    for (const QString &name : folder.entryList(QDir::Files))
        folder.remove(name);
    const QString path = folder.filePath(QStringLiteral("defaults.plist"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    platform::UserDefaults store(path);
    store.setInteger(1, QStringLiteral("fuzz.marker"));
    if (!store.synchronize())
        std::abort();
    const QByteArray saved = platform::dataFromPropertyList(store.dictionaryRepresentation());
    platform::UserDefaults again(path);
    if (platform::dataFromPropertyList(again.dictionaryRepresentation()) != saved)
        std::abort();
    return 0;
}
