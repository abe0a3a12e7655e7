#include "services/TextFile.h"

#include "FilePermissionDrop.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using platform::StringEncoding;
namespace Encoding = platform::Encoding;
using pelkotest::freshDir;
using pelkotest::readFile;
using pelkotest::writeFile;

template <size_t N> QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, qsizetype(N - 1));
}

int modeOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

struct CorpusRow
{
    const char *name;
    QByteArray bytes;
    StringEncoding encoding; // the file's real encoding
    QString text;            // its text, as read with that encoding
    StringEncoding detected; // what automatic detection answers
    bool hasBOM;
    END_LINE_TYPE endLine;
    bool mixed;
};

const QString kJapanese = QString::fromUtf8("日本語テキスト");
// Long enough for the detector to tell Japanese EUC from Chinese.
const QString kJapaneseParagraph =
    QString::fromUtf8("認証トークンはもはや有効ではありません。新しい認証トークンが必要です。\n"
                      "パスワードサービスによる予備チェックに失敗しました。\n"
                      "ファイル記述子をテキストモードに設定できませんでした。\n");

QList<CorpusRow> corpus()
{
    return {
        {"utf8", QString::fromUtf8("héllo\nwörld\n").toUtf8(), Encoding::UTF8,
         QString::fromUtf8("héllo\nwörld\n"), Encoding::UTF8, false, END_LINE_LF, false},
        {"utf8 mark", raw("\xEF\xBB\xBF") + QString::fromUtf8("ü\r\nx").toUtf8(), Encoding::UTF8,
         QString::fromUtf8("ü\r\nx"), Encoding::UTF8, true, END_LINE_CRLF, false},
        {"utf16le mark",
         raw("\xFF\xFE"
             "h\0i\0\r\0\n\0\xE5\x65"),
         Encoding::UTF16LE, QString::fromUtf8("hi\r\n日"), Encoding::UTF16LE, true, END_LINE_CRLF,
         false},
        {"utf16be mark", raw("\xFE\xFF\0h\0i\0\n\x65\xE5"), Encoding::UTF16BE,
         QString::fromUtf8("hi\n日"), Encoding::UTF16BE, true, END_LINE_LF, false},
        {"utf32le mark", raw("\xFF\xFE\0\0a\0\0\0\r\0\0\0\x00\xF6\x01\0"), Encoding::UTF32LE,
         QStringLiteral("a\r") + QString::fromUcs4(U"\U0001F600", 1), Encoding::UTF32LE, true,
         END_LINE_CR, false},
        {"utf32be mark", raw("\0\0\xFE\xFF\0\0\0z\0\0\0\n"), Encoding::UTF32BE,
         QStringLiteral("z\n"), Encoding::UTF32BE, true, END_LINE_LF, false},
        {"shift-jis",
         raw("\x93\xFA\x96\x7B\x8C\xEA\x83\x65\x83\x4C\x83\x58\x83\x67\x0D\x0A"
             "\x93\xF1\x8D\x73\x96\xDA\x0D\x0A"),
         Encoding::ShiftJIS, kJapanese + QString::fromUtf8("\r\n二行目\r\n"), Encoding::ShiftJIS,
         false, END_LINE_CRLF, false},
        {"euc-jp", platform::TextEncoding::encode(kJapaneseParagraph, Encoding::JapaneseEUC, false),
         Encoding::JapaneseEUC, kJapaneseParagraph, Encoding::JapaneseEUC, false, END_LINE_LF,
         false},
        // Seven-bit: valid UTF-8 too, which detection tries first.
        {"iso-2022-jp",
         raw("\x1B\x24\x42\x46\x7C\x4B\x5C\x38\x6C\x1B\x28\x42\x0A\x1B\x24\x42"
             "\x25\x46\x25\x2D\x25\x39\x25\x48\x1B\x28\x42\x0A"),
         Encoding::ISO2022JP, QString::fromUtf8("日本語\nテキスト\n"), Encoding::UTF8, false,
         END_LINE_LF, false},
        {"latin-1",
         raw("Gr\xFC\xDF"
             "e aus M\xFC"
             "nchen\n"),
         Encoding::ISOLatin1, QString::fromUtf8("Grüße aus München\n"), Encoding::ISOLatin1, false,
         END_LINE_LF, false},
        // Mac Roman is never guessed (it takes every byte): only the user chooses it.
        {"mac roman", raw("\x63\x61\x66\x8E\x20\x9F\x62\x65\x72\x0D"), Encoding::MacOSRoman,
         QString::fromUtf8("café über\r"), Encoding::WindowsCP1252, false, END_LINE_CR, false},
        {"mixed line ends", raw("a\r\nb\nc\rd"), Encoding::UTF8, QStringLiteral("a\r\nb\nc\rd"),
         Encoding::UTF8, false, END_LINE_CRLF, true},
        {"no line end", raw("single"), Encoding::UTF8, QStringLiteral("single"), Encoding::UTF8,
         false, END_LINE_LF, false},
        {"nul bytes", raw("a\0b\n\0"), Encoding::UTF8, QString::fromUtf8("a\0b\n\0", 5),
         Encoding::UTF8, false, END_LINE_LF, false},
    };
}

// Every file of the corpus reads with its own encoding and with detection, and writes back
// byte for byte with what the read reported.
TEST(TextFileTest, CorpusReadsAndWritesBackByteForByte)
{
    const QString dir = freshDir();
    for (const CorpusRow &row : corpus()) {
        SCOPED_TRACE(row.name);
        const QString path = dir + u'/' + QLatin1String(row.name);
        ASSERT_TRUE(writeFile(path, row.bytes));

        TextFileInfo asked;
        asked.encoding = row.encoding;
        const QString text = App_ReadTextFileContent(path, &asked);
        EXPECT_EQ(text, row.text);
        EXPECT_EQ(asked.encoding, row.encoding);
        EXPECT_EQ(asked.hasBOM, row.hasBOM);
        EXPECT_EQ(asked.endLine, row.endLine);
        EXPECT_EQ(asked.mixedLineEnds, row.mixed);
        EXPECT_EQ(asked.hasNulChar, row.text.contains(QChar(0)));

        TextFileInfo detected;
        const QString detectedText = App_ReadTextFileContent(path, &detected);
        EXPECT_EQ(detected.encoding, row.detected);
        EXPECT_EQ(detected.hasBOM, row.hasBOM);
        if (row.detected == row.encoding) {
            EXPECT_EQ(detectedText, row.text);
        }

        for (const auto &[info, content] :
             {std::pair{asked, text}, std::pair{detected, detectedText}}) {
            TextSaveOptions options;
            options.encoding = info.encoding;
            options.writeBOM = info.hasBOM;
            options.convertLineEnds = false;
            const QString copy = path + QStringLiteral(".copy");
            ASSERT_TRUE(App_WriteStringToFile(content, copy, options));
            EXPECT_EQ(readFile(copy), row.bytes);
        }
    }
}

TEST(TextFileTest, ReadFailsLoudlyAndEmptyIsEmpty)
{
    const QString dir = freshDir();
    const QString empty = dir + QStringLiteral("/empty.txt");
    ASSERT_TRUE(writeFile(empty, QByteArray()));

    StringEncoding encoding = 0;
    bool sure = true, bom = true;
    int permissions = 0;
    const QString text = ReadTextFileContent(empty, &encoding, &sure, &bom, &permissions);
    EXPECT_FALSE(text.isNull());
    EXPECT_TRUE(text.isEmpty());
    EXPECT_FALSE(bom);
    EXPECT_EQ(permissions, modeOf(empty));

    for (const QString &bad : {dir + QStringLiteral("/missing.txt"), dir, QString()})
        EXPECT_TRUE(ReadTextFileContent(bad, &encoding, &sure, &bom, &permissions).isNull());

    // A file that may not be read is not an empty one: a later save must not empty it.
    const QString locked = dir + QStringLiteral("/locked.txt");
    ASSERT_TRUE(writeFile(locked, "content"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    pelkotest::FilePermissionDrop drop;
    if (drop.active()) {
        EXPECT_TRUE(ReadTextFileContent(locked, &encoding, &sure, &bom, &permissions).isNull());
    }
}

// A file that another program appends to while it is read is read as it was judged: never more
// than the size its identity records, however fast it grows (fixed rounds against a writer that
// never stops). A kernel file that says it is empty is still read to its end.
TEST(TextFileTest, AGrowingFileIsReadNoFurtherThanItWasJudged)
{
    const QString path = freshDir() + QStringLiteral("/growing.log");
    const QByteArray line(63, 'a');
    ASSERT_TRUE(writeFile(path, line.repeated(1024) + '\n'));
    std::atomic<bool> done{false};
    std::thread writer([&] {
        const QByteArray block = (line + '\n').repeated(64);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND);
        for (int k = 0; fd >= 0 && !done.load(); ++k) {
            if (::write(fd, block.constData(), size_t(block.size())) != block.size())
                break;
            if (k % 256 == 255) // a few megabytes at most
                ::ftruncate(fd, 65536);
        }
        if (fd >= 0)
            ::close(fd);
    });
    int grown = 0, longer = 0;
    for (int round = 0; round < 300; ++round) {
        TextFileInfo info;
        const QString text = App_ReadTextFileContent(path, &info);
        ASSERT_FALSE(text.isNull());
        longer += text.size() > info.identity.file.size ? 1 : 0;
        grown += QFileInfo(path).size() != info.identity.file.size ? 1 : 0;
    }
    done = true;
    writer.join();
    EXPECT_EQ(longer, 0) << "of 300 reads; the file had changed after " << grown;

    const QString kernel = QStringLiteral("/proc/self/status");
    if (QFileInfo(kernel).size() == 0) {
        TextFileInfo info;
        EXPECT_TRUE(App_ReadTextFileContent(kernel, &info).contains(QStringLiteral("Pid:")));
    }
}

TEST(TextFileTest, AskedEncodingAndPreferredEncoding)
{
    const QString dir = freshDir();
    const QString latin = dir + QStringLiteral("/latin.txt");
    ASSERT_TRUE(writeFile(latin, raw("Caf\xE9 cr\xE8me br\xFBl\xE9"
                                     "e\n")));

    // The preferred encoding comes before detection, even where the detector would say
    // otherwise.
    TextFileInfo info;
    EXPECT_EQ(App_ReadTextFileContent(latin, &info, Encoding::ISOLatin2),
              QString::fromUtf8("Café crčme brűlée\n"));
    EXPECT_EQ(info.encoding, Encoding::ISOLatin2);

    // An asked-for encoding that does not fit falls back to detection.
    StringEncoding encoding = Encoding::UTF8;
    bool sure = true;
    EXPECT_EQ(ReadTextFileContent(latin, &encoding, &sure, nullptr, nullptr),
              QString::fromUtf8("Café crème brûlée\n"));
    EXPECT_EQ(encoding, Encoding::ISOLatin1);
    EXPECT_FALSE(sure);

    // The generic UTF-16 takes the byte order of the mark.
    const QString utf16 = dir + QStringLiteral("/utf16.txt");
    ASSERT_TRUE(writeFile(utf16, raw("\xFF\xFEo\0k\0")));
    encoding = Encoding::UTF16;
    bool bom = false;
    EXPECT_EQ(ReadTextFileContent(utf16, &encoding, &sure, &bom, nullptr), QStringLiteral("ok"));
    EXPECT_EQ(encoding, Encoding::UTF16LE);
    EXPECT_TRUE(bom);
}

TEST(TextFileTest, WriteConvertsLineEndsAndEncodes)
{
    const QString dir = freshDir();
    const QString path = dir + QStringLiteral("/out.txt");
    const QString text = QStringLiteral("a\nb\r\nc\rd");
    struct Row
    {
        END_LINE_TYPE endLine;
        QByteArray expected;
    };
    for (const Row &row : {Row{END_LINE_LF, "a\nb\nc\nd"}, Row{END_LINE_CR, "a\rb\rc\rd"},
                           Row{END_LINE_CRLF, "a\r\nb\r\nc\r\nd"}}) {
        TextSaveOptions options;
        options.endLine = row.endLine;
        ASSERT_TRUE(App_WriteStringToFile(text, path, options));
        EXPECT_EQ(readFile(path), row.expected);
    }

    TextSaveOptions utf16;
    utf16.encoding = Encoding::UTF16;
    utf16.writeBOM = true;
    EXPECT_EQ(App_EncodeTextBytes(QStringLiteral("A"), utf16), raw("\xFE\xFF\0A"));
    utf16.writeBOM = false;
    utf16.encoding = Encoding::UTF16LE;
    EXPECT_EQ(App_EncodeTextBytes(QStringLiteral("A"), utf16), raw("A\0"));
    TextSaveOptions mark;
    mark.writeBOM = true;
    EXPECT_EQ(App_EncodeTextBytes(QString(""), mark), raw("\xEF\xBB\xBF"));
}

// A text the encoding cannot hold, or a place that cannot be written, answers NO and leaves
// the old file untouched.
TEST(TextFileTest, WriteFailureKeepsOldFile)
{
    const QString dir = freshDir();
    const QString path = dir + QStringLiteral("/keep.txt");
    ASSERT_TRUE(writeFile(path, "old"));

    TextSaveOptions latin;
    latin.encoding = Encoding::ISOLatin1;
    EXPECT_FALSE(App_WriteStringToFile(kJapanese, path, latin));
    EXPECT_EQ(readFile(path), QByteArray("old"));
    EXPECT_FALSE(App_WriteStringToFile(QStringLiteral("x"), path + QStringLiteral("/below"),
                                       TextSaveOptions{}));
    EXPECT_FALSE(App_WriteStringToFile(QString(), path, TextSaveOptions{}));
    EXPECT_EQ(readFile(path), QByteArray("old"));

    // A folder that refuses new files cannot take a temporary copy: the file itself is
    // rewritten; a new file there is refused, and the reason told.
    const QString lockedDir = freshDir();
    const QString inLocked = lockedDir + QStringLiteral("/keep.txt");
    ASSERT_TRUE(writeFile(inLocked, "old"));
    ASSERT_TRUE(QFile::setPermissions(lockedDir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    {
        pelkotest::FilePermissionDrop drop;
        if (drop.folderRefusesWrites(lockedDir)) {
            EXPECT_TRUE(App_WriteStringToFile(QStringLiteral("new"), inLocked, TextSaveOptions{}));
            EXPECT_EQ(readFile(inLocked), QByteArray("new"));
            FileWriteFailure failure = FileWriteFailure::None;
            EXPECT_FALSE(App_WriteStringToFile(QStringLiteral("new"),
                                               lockedDir + QStringLiteral("/new.txt"),
                                               TextSaveOptions{}, &failure));
            EXPECT_EQ(failure, FileWriteFailure::FolderNotWritable);
        }
    }
    QFile::setPermissions(lockedDir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    latin.allowLossy = true;
    EXPECT_TRUE(App_WriteStringToFile(QStringLiteral("a") + kJapanese.left(2), path, latin));
    EXPECT_EQ(readFile(path), QByteArray("a??"));
}

TEST(TextFileTest, WriteKeepsOrSetsPermissions)
{
    const QString dir = freshDir();
    const QString path = dir + QStringLiteral("/script.sh");
    ASSERT_TRUE(writeFile(path, "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0750), 0);

    EXPECT_TRUE(App_WriteStringToFile(QStringLiteral("new"), path, TextSaveOptions{}));
    EXPECT_EQ(modeOf(path), 0750);
    TextSaveOptions fixed;
    fixed.permissions = 0604;
    EXPECT_TRUE(App_WriteStringToFile(QStringLiteral("new"), path, fixed));
    EXPECT_EQ(modeOf(path), 0604);

    const QString fresh = dir + QStringLiteral("/fresh.txt");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_TRUE(App_WriteStringToFile(QStringLiteral("x"), fresh, TextSaveOptions{}));
    EXPECT_EQ(modeOf(fresh), int(0666 & ~mask));
}

TEST(TextFileTest, TryEncodingsOrder)
{
    StringEncoding used = 0;
    EXPECT_TRUE(StringFromBytesTryEncodings(QByteArray(), &used).isNull());
    EXPECT_EQ(StringFromBytesTryEncodings("plain", &used), QStringLiteral("plain"));
    EXPECT_EQ(used, Encoding::UTF8);
    EXPECT_EQ(StringFromBytesTryEncodings(raw("\x93\xFA\x96\x7B"), &used),
              QString::fromUtf8("日本"));
    EXPECT_EQ(used, Encoding::ShiftJIS);
}

TEST(TextFileTest, EncodingPopup)
{
    const auto &list = GetAllAvailableStringEncodings_Array_Name_Code();
    ASSERT_GT(list.size(), 10);
    EXPECT_EQ(&list, &GetAllAvailableStringEncodings_Array_Name_Code());
    EXPECT_EQ(list.first(), (QVariantList{QStringLiteral("Auto"), QVariant(qint64(0))}));

    QComboBox popup;
    SetupEncodingList(&popup, Encoding::ShiftJIS);
    EXPECT_EQ(popup.count(), list.size());
    EXPECT_EQ(CurrentEncodingOfPopup(&popup), Encoding::ShiftJIS);
    SetupEncodingList(&popup, 0);
    EXPECT_EQ(popup.count(), list.size());
    EXPECT_EQ(popup.currentText(), QStringLiteral("Auto"));
    EXPECT_EQ(CurrentEncodingOfPopup(&popup), 0u);
    SetupEncodingList(&popup, 0x7777);
    EXPECT_EQ(CurrentEncodingOfPopup(&popup), 0u);
    EXPECT_EQ(CurrentEncodingOfPopup(nullptr), 0u);
}

} // namespace
