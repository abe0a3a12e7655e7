// An opened text on its way into a pane: read and decoded, line ends made the pane's, its head cut
// for the first screen, its document built with long lines folded into rows, and text inserted
// into that document. Whatever the bytes: the pane's text holds no CR and no other break, its
// head ends on a line or a whole character, a document gives back exactly the text it was built
// from (the breaks before fold rows are no text), and the fold map finds every position again.
#include "FuzzQuiet.h"
#include "textcompare/FoldedLines.h"
#include "textcompare/PaneLoader.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace Encoding = platform::Encoding;

namespace {

bool hasOtherBreak(const QString &text)
{
    for (const QChar c : text)
        if (c == u'\r' || c == QChar(0) || c == QChar(QChar::ParagraphSeparator) ||
            c.unicode() == 0xfdd0 || c.unicode() == 0xfdd1)
            return true;
    return false;
}

void checkHead(const QString &text)
{
    const qsizetype head = PaneHeadLength(text);
    if (head < 0 || head > text.size() || (head == 0 && !text.isEmpty()))
        __builtin_trap();
    if (head < text.size() && text.at(head - 1).isHighSurrogate() && text.at(head).isLowSurrogate())
        __builtin_trap(); // the head cut a character in two
}

void checkFolds(const QString &text, bool fold)
{
    // Rows of every line: in order, none empty, none longer than a row, no pair cut.
    for (const QStringView line : QStringView(text).split(u'\n')) {
        const std::vector<qsizetype> starts = FoldRowStarts(line, FoldLengthLimit(fold));
        if (starts.empty() || starts.front() != 0)
            __builtin_trap();
        for (size_t i = 1; i < starts.size(); ++i) {
            const qsizetype s = starts[i];
            if (s <= starts[i - 1] || s - starts[i - 1] > kFoldRowLength || s >= line.size())
                __builtin_trap();
            if (line.at(s - 1).isHighSurrogate() && line.at(s).isLowSurrogate())
                __builtin_trap();
        }
    }
}

void checkDocument(const QString &text, bool fold, QStringView insert, qsizetype at)
{
    std::unique_ptr<QTextDocument> doc(BuildPaneDocument(text, nullptr, fold));
    if (PaneText(doc.get()) != text)
        __builtin_trap(); // the document is not the text it was built from
    FoldMap map;
    map.rebuild(doc.get());
    if (map.empty() == HasLineLongerThan(text, FoldLengthLimit(fold)))
        __builtin_trap(); // rows without a long line, or a long line without rows
    const qint64 lines = text.count(u'\n') + 1;
    if (doc->blockCount() != lines + map.foldRowCount())
        __builtin_trap();
    for (qint64 line = 0; line < lines; line += 1 + line / 4) {
        if (map.lineOfBlock(map.firstBlockOfLine(line)) != line)
            __builtin_trap();
    }
    for (qint64 p = 0; p <= text.size(); p += 1 + p / 3) {
        const qint64 d = map.toDocument(p);
        if (map.toText(d) != p || d < p || d >= doc->characterCount())
            __builtin_trap();
    }
    // Text inserted at a text position reads back in its place.
    QTextCursor cursor(doc.get());
    cursor.setPosition(int(map.toDocument(at)));
    InsertPaneText(cursor, insert, fold);
    QString inserted = insert.toString();
    ToPaneLineEnds(inserted);
    QString expected = text;
    expected.insert(at, inserted);
    if (PaneText(doc.get()) != expected)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Documents measure text, which takes a GUI application; the screen is none.
    static int argc = 1;
    static char name[] = "panetext_fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: destroyed among the statics, it would outlive the storage of its
    // thread's font cache, which the leak check would then report at the replay's exit.
    static QGuiApplication *app = new QGuiApplication(argc, argv);
    (void)app;
    // The fonts are loaded before the first input, so that their caches are not taken for what
    // that input leaked.
    delete BuildPaneDocument(QStringLiteral("a"), nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    static QTemporaryDir dir;
    if (!dir.isValid() || size < 3 || size > 2048)
        return 0;
    // Byte 0: the encoding asked for and whether to fold; byte 1: how often the rest is repeated
    // (long lines); byte 2: where the insertion goes.
    static const platform::StringEncoding asked[] = {0, Encoding::UTF8, Encoding::UTF16LE,
                                                     Encoding::ShiftJIS, Encoding::ISOLatin1};
    const platform::StringEncoding forced = asked[data[0] % 5];
    const bool fold = data[0] & 0x80;
    const int repeat = 1 + data[1] % 12;
    const QByteArray rest(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3));
    const QByteArray bytes = rest.repeated(repeat);

    const QString path = dir.filePath(QStringLiteral("pane.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();
    const LoadedPane pane = ReadPaneText(path, forced, Encoding::UTF8);
    const QString &text = pane.text;
    if (!pane.readOk || text.isNull() || hasOtherBreak(text))
        __builtin_trap();
    // The lines a gutter numbers: none after a last line break, one for an empty text.
    if (pane.lineCount !=
        std::max<qsizetype>(1, text.count(u'\n') + (text.endsWith(u'\n') ? 0 : 1)))
        __builtin_trap();
    checkHead(text);
    checkFolds(text, fold);

    const qsizetype at = text.isEmpty() ? 0 : qsizetype(data[2]) * text.size() / 255;
    const QString insert = QString::fromUtf8(rest.left(64));
    checkDocument(text, fold, insert, at);
    return 0;
}
