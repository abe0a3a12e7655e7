// Quick Preview's reading of a compared file's head, over any content. What it shows holds one
// line per line diff counts (a "\n" ends a line), in the pane's own document, so that the lines
// diff names are the lines marked; a file that is UTF-8 is shown exactly; a NUL byte near the
// start marks it as no text; nothing beyond the head is read.
#include "FuzzQuiet.h"
#include "foldercompare/PreviewHead.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The document the pane shows lays out text, which takes a GUI application.
    static int argc = 1;
    static char name[] = "previewhead_fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    static QTemporaryDir dir;
    if (!dir.isValid() || size > 64 * 1024)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = dir.filePath(QStringLiteral("head.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            return 0;
    }
    const PreviewHead head = ReadPreviewHead(path);
    if (!head.read)
        __builtin_trap();
    if (head.binary != bytes.left(8192).contains('\0'))
        __builtin_trap();
    const QString decoded = QString::fromUtf8(bytes);
    if (decoded.toUtf8() == bytes && !bytes.contains('\r') && head.text != decoded &&
        !decoded.contains(QChar(QChar::ParagraphSeparator)) && !decoded.contains(QChar(0xfdd0)) &&
        !decoded.contains(QChar(0xfdd1)))
        __builtin_trap(); // a text changed on its way to the pane
    QTextDocument document;
    document.setPlainText(head.text);
    if (document.blockCount() != bytes.count('\n') + 1)
        __builtin_trap(); // the lines shown are not the lines diff counts
    return 0;
}
