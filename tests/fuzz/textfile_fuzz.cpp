// The text file reader over arbitrary bytes: detection only names an encoding that decodes the
// bytes, the reader always shows some text for a non-empty file, and reading the file gives what
// decoding its bytes gives.
#include "FuzzQuiet.h"
#include "services/EncodingDetection.h"
#include "services/TextFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace Encoding = platform::Encoding;

namespace {

void checkDetected(const QByteArray &bytes, platform::StringEncoding detected)
{
    if (detected != 0 && !platform::TextEncoding::decodeStrict(bytes, detected))
        __builtin_trap(); // a guess that does not decode the bytes
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size > 1 << 20)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkDetected(bytes, DetectTextEncodingWithICU(bytes));
    checkDetected(bytes, DetectUnmarkedUTF16(bytes));

    TextFileInfo decoded;
    const QString text = App_DecodeTextBytes(bytes, &decoded);
    // Latin 1 takes every byte: no file is ever shown as unreadable for its content.
    if (text.isNull() || (!bytes.isEmpty() && decoded.encoding == 0))
        __builtin_trap();

    // An asked-for encoding the bytes are not in falls back to detection, never to nothing.
    static const platform::StringEncoding asked[] = {Encoding::UTF8,    Encoding::ShiftJIS,
                                                     Encoding::UTF16LE, Encoding::Big5,
                                                     Encoding::KOI8R,   Encoding::ISO2022JP};
    TextFileInfo withAsked;
    withAsked.encoding = asked[size % (sizeof(asked) / sizeof(asked[0]))];
    if (App_DecodeTextBytes(bytes, &withAsked, Encoding::GB18030).isNull())
        __builtin_trap();

    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();
    TextFileInfo read;
    if (App_ReadTextFileContent(path, &read) != text || read.encoding != decoded.encoding ||
        read.hasBOM != decoded.hasBOM || read.endLine != decoded.endLine)
        __builtin_trap(); // the file reads otherwise than its bytes decode
    return 0;
}
