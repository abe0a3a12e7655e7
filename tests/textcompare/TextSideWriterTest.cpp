// The writer behind the text window's Save, without a window: how a side is written, where it may
// be written, and what it is afterwards.
#include "textcompare/TextSideWriter.h"

#include "platform/TextEncoding.h"
#include "services/AppSetting.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace platform::Encoding;

int modeOf(const QString &path)
{
    struct stat sb;
    if (::stat(QFile::encodeName(path).constData(), &sb) != 0)
        return -1;
    return int(sb.st_mode & 07777);
}

TextFileInfo shown(platform::StringEncoding encoding, bool bom, END_LINE_TYPE endLine)
{
    TextFileInfo info;
    info.encoding = encoding;
    info.hasBOM = bom;
    info.endLine = endLine;
    return info;
}

AppSetting defaults()
{
    AppSetting s;
    AppSetting_SetDefault(&s);
    return s;
}

// The fixed save format of the record, and its permissions when given.
AppSetting fixedFormat(platform::StringEncoding encoding, int endLine, bool bom, int mode = -1)
{
    AppSetting s = defaults();
    s.bSave_IgnoreCoding_UseCustomCoding = 1;
    s.save_Coding_preferEncode = encoding;
    s.save_Coding_EndLine = endLine;
    s.save_Coding_BOM = bom;
    if (mode >= 0) {
        s.bSave_IgnorePermission_UseCustomPermission = 1;
        quint8 *bits[9] = {
            &s.save_Permission_Owner_R,  &s.save_Permission_Owner_W,  &s.save_Permission_Owner_X,
            &s.save_Permission_Group_R,  &s.save_Permission_Group_W,  &s.save_Permission_Group_X,
            &s.save_Permission_Others_R, &s.save_Permission_Others_W, &s.save_Permission_Others_X};
        for (int i = 0; i < 9; ++i)
            *bits[i] = (mode & (0400 >> i)) ? 1 : 0;
    }
    return s;
}

} // namespace

TEST(TextSideWriter, WritesTheSidesOwnFormatOrTheFixedOneOfTheRecord)
{
    const QString text = QStringLiteral("caf\u00e9\nzwei\n");
    struct Row
    {
        const char *name;
        TextFileInfo shownAs;
        AppSetting settings;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"its own Latin-1 with CRLF", shown(ISOLatin1, false, END_LINE_CRLF), defaults(),
         "caf\xe9\r\nzwei\r\n"},
        {"its own UTF-16LE with a mark and CR", shown(UTF16LE, true, END_LINE_CR), defaults(),
         QByteArray("\xff\xfe"
                    "c\0a\0f\0\xe9\0\r\0z\0w\0e\0i\0\r\0",
                    22)},
        {"an unknown encoding is written as UTF-8", shown(0, false, END_LINE_LF), defaults(),
         "caf\xc3\xa9\nzwei\n"},
        {"the record's UTF-8 with a mark over the side's Latin-1",
         shown(ISOLatin1, false, END_LINE_LF), fixedFormat(UTF8, END_LINE_CRLF, true),
         "\xef\xbb\xbf"
         "caf\xc3\xa9\r\nzwei\r\n"},
    };
    const QString dir = pelkotest::freshDir(QStringLiteral("writer-format"));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir + QStringLiteral("/") + QString::fromLatin1(row.name);
        const TextSideWriter writer(row.shownAs, row.settings);
        ASSERT_TRUE(writer.canEncode(text));
        ASSERT_TRUE(writer.write(text, path));
        EXPECT_EQ(pelkotest::readFile(path), row.bytes);
        // The side is now what was written.
        const TextFileInfo after = writer.writtenInfo(path);
        EXPECT_EQ(after.encoding, writer.options().encoding);
        EXPECT_EQ(after.hasBOM, writer.options().writeBOM);
        EXPECT_EQ(after.endLine, writer.options().endLine);
        EXPECT_FALSE(after.hasNulChar);
    }
}

TEST(TextSideWriter, KeepsTheFilesPermissionsUnlessTheRecordGivesThem)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("writer-mode"));
    struct Row
    {
        const char *name;
        int before;
        AppSetting settings;
        int after;
    };
    const Row rows[] = {
        {"kept", 0750, defaults(), 0750},
        {"kept, read-only for others", 0604, defaults(), 0604},
        {"from the record", 0644, fixedFormat(UTF8, 0, false, 0600), 0600},
        {"from the record, executable", 0600, fixedFormat(UTF8, 0, false, 0755), 0755},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir + QStringLiteral("/") + QString::fromLatin1(row.name);
        ASSERT_TRUE(pelkotest::writeFile(path, "old\n"));
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode_t(row.before)), 0);
        TextFileInfo info = shown(UTF8, false, END_LINE_LF);
        info.hasNulChar = true; // the spaces that stood for NULs are written as spaces
        const TextSideWriter writer(info, row.settings);
        ASSERT_TRUE(writer.write(QStringLiteral("new\n"), path));
        EXPECT_EQ(pelkotest::readFile(path), "new\n");
        EXPECT_EQ(modeOf(path), row.after);
        EXPECT_EQ(writer.writtenInfo(path).permissions, row.after);
        EXPECT_FALSE(writer.writtenInfo(path).hasNulChar);
    }
}

TEST(TextSideWriter, TextTheEncodingCannotHoldIsWrittenOnlyAsUtf8)
{
    const QString path = pelkotest::freshDir(QStringLiteral("writer-lossy")) + "/latin.txt";
    ASSERT_TRUE(pelkotest::writeFile(path, "caf\xe9\n"));
    const QString text = QStringLiteral("\u65e5\u672c caf\u00e9\n");
    TextSideWriter writer(shown(ISOLatin1, false, END_LINE_LF), defaults());
    EXPECT_FALSE(writer.canEncode(text));
    // Nothing is written lossy: the file stays as it was, and the caller learns why.
    FileWriteFailure failure = FileWriteFailure::None;
    EXPECT_FALSE(writer.write(text, path, &failure));
    EXPECT_EQ(failure, FileWriteFailure::CannotEncode);
    EXPECT_EQ(pelkotest::readFile(path), "caf\xe9\n");
    writer.useUtf8();
    EXPECT_TRUE(writer.canEncode(text));
    ASSERT_TRUE(writer.write(text, path));
    EXPECT_EQ(pelkotest::readFile(path), text.toUtf8());
    EXPECT_EQ(writer.writtenInfo(path).encoding, UTF8);
    EXPECT_FALSE(writer.writtenInfo(path).hasBOM);
    // A mark asked for with the old encoding is not carried over to UTF-8.
    TextSideWriter marked(shown(UTF16LE, true, END_LINE_LF), defaults());
    marked.useUtf8();
    EXPECT_FALSE(marked.options().writeBOM);
}

TEST(TextSideWriter, WritesOnlyToRegularFilesAndFilesItRead)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("writer-target"));
    const QString file = dir + QStringLiteral("/file.txt");
    ASSERT_TRUE(pelkotest::writeFile(file, "x\n"));
    const QString fifo = dir + QStringLiteral("/fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = dir + QStringLiteral("/link.txt");
    ASSERT_TRUE(QFile::link(file, link));
    struct Row
    {
        const char *name;
        QString path;
        bool writable;
    };
    const Row rows[] = {
        {"a regular file", file, true},
        {"a file that does not exist yet", dir + QStringLiteral("/new.txt"), true},
        {"a link to a regular file", link, true},
        {"a folder", dir, false},
        {"a FIFO", fifo, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(TextSideWriter::whyNotWritableTarget(row.path).isEmpty(), row.writable);
        EXPECT_EQ(TextSideWriter::whyNotWritableInPlace(true, row.path).isEmpty(), row.writable);
        // A side whose file was not read is never written under its own path.
        EXPECT_FALSE(TextSideWriter::whyNotWritableInPlace(false, row.path).isEmpty());
    }
}
