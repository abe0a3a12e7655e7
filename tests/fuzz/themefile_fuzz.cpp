// Theme files and colour texts from arbitrary bytes: a theme that is read is complete, every
// component lies in 0..1, and writing it and reading it back gives the same theme.
#include "FuzzQuiet.h"
#include "services/SupportFolder.h"
#include "themes/ThemeColor.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

bool inUnitRange(double v)
{
    return !std::isnan(v) && v >= 0.0 && v <= 1.0;
}

void checkColour(const platform::Color &c)
{
    if (!c.isValid())
        __builtin_trap(); // a theme is never handed out incomplete
    if (!inUnitRange(c.redComponent()) || !inUnitRange(c.greenComponent()) ||
        !inUnitRange(c.blueComponent()) || !inUnitRange(c.alphaComponent()))
        __builtin_trap(); // components outside 0..1 reach the painter
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    static QTemporaryDir dir;
    static const bool ready = dir.isValid() && PrepareSupportFolder(dir.filePath("support"));
    if (!ready)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const platform::Color fromText = ThemeFile_GetColor_FromText(QString::fromUtf8(bytes));
    if (fromText.isValid())
        checkColour(fromText);

    const QString path = dir.filePath(QStringLiteral("theme.plist"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();
    const auto theme = ThemeColor::createThemeFromFile(path);
    if (!theme)
        return 0;
    for (int slot = 0; slot < ThemeColor::SlotCount; ++slot)
        checkColour(theme->colorAt(slot));
    const QString again = dir.filePath(QStringLiteral("again.plist"));
    if (!theme->writeToFile(again))
        __builtin_trap(); // a theme that was read can always be written
    const auto reread = ThemeColor::createThemeFromFile(again);
    if (!reread || !reread->isEqual(theme.get()))
        __builtin_trap(); // what was written reads back as another theme
    return 0;
}
