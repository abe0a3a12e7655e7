// Theme files and colour texts from arbitrary bytes.
#include "themes/ThemeColor.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ThemeFile_GetColor_FromText(QString::fromUtf8(bytes));

    static QTemporaryDir dir;
    if (!dir.isValid())
        return 0;
    const QString path = dir.filePath(QStringLiteral("theme.plist"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();
    if (auto theme = ThemeColor::createThemeFromFile(path)) {
        if (!theme->validate())
            __builtin_trap(); // a theme is never handed out incomplete
    }
    return 0;
}
