// Saving a side keeps its encoding, byte-order mark, line ends and permissions, or uses the fixed
// save settings of the record.
#include "TextCompareFixture.h"

#include "platform/TextEncoding.h"

#include <QFile>
#include <sys/stat.h>

namespace {

int modeOf(const QString &path)
{
    struct stat sb;
    if (::stat(QFile::encodeName(path).constData(), &sb) != 0)
        return -1;
    return int(sb.st_mode & 07777);
}

QByteArray utf16le(const QString &s)
{
    QByteArray out;
    for (QChar c : s) {
        out.append(char(c.unicode() & 0xff));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

QByteArray shiftJis(const QString &s)
{
    return platform::TextEncoding::encode(s, platform::Encoding::ShiftJIS, false);
}

void typeAtStart(MergeEditWndCtr &w, int side, const QString &text)
{
    QTextCursor c(w.textView(side)->document());
    c.insertText(text);
}

} // namespace

TEST_F(TextCompareTest, SaveWritesTheBytesOfEachFilesOwnFormat)
{
    struct Row
    {
        const char *name;
        QByteArray original, expected;
    };
    const Row rows[] = {
        {"utf8-bom.txt",
         "\xEF\xBB\xBF"
         "alpha\n\xCE\xB2\n",
         "\xEF\xBB\xBF"
         "Xalpha\n\xCE\xB2\n"},
        {"utf16.txt", "\xFF\xFE" + utf16le(QStringLiteral("a\nb\n")),
         "\xFF\xFE" + utf16le(QStringLiteral("Xa\nb\n"))},
        {"sjis.txt", shiftJis(QStringLiteral("日本語\nテキスト\n")),
         shiftJis(QStringLiteral("X日本語\nテキスト\n"))},
        {"crlf.txt", "a\r\nb\r\n", "Xa\r\nb\r\n"},
        {"cr.txt", "a\rb\r", "Xa\rb\r"},
    };
    const QString right = write("right.txt", "zzz\n");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(row.original.isEmpty());
        const QString path = write(QString::fromLatin1(row.name), row.original);
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
        auto w = open(path, right);
        EXPECT_FALSE(w->lastCompareUsedFiles() && row.original.startsWith("\xEF"));
        typeAtStart(*w, 1, QStringLiteral("X"));
        ASSERT_TRUE(w->WasEdit());
        ASSERT_TRUE(w->SaveSide(1));
        EXPECT_EQ(pelkotest::readFile(path), row.expected);
        EXPECT_EQ(modeOf(path), 0640);
        EXPECT_FALSE(w->WasEdit());
        EXPECT_FALSE(w->isDocumentEdited());
        // The saved file is not taken for a change by another application.
        w->windowWillBeKey();
        settle(*w);
        EXPECT_TRUE(w->GetTextInView1().startsWith(u'X'));
    }
    EXPECT_TRUE(alerts.empty());
}

TEST_F(TextCompareTest, FixedSaveSettingsOfTheRecordWin)
{
    gAppSetting.bSave_IgnoreCoding_UseCustomCoding = 1;
    gAppSetting.save_Coding_preferEncode = platform::Encoding::UTF8;
    gAppSetting.save_Coding_EndLine = 2;
    gAppSetting.save_Coding_BOM = 1;
    gAppSetting.bSave_IgnorePermission_UseCustomPermission = 1;
    gAppSetting.save_Permission_Owner_R = 1;
    gAppSetting.save_Permission_Owner_W = 1;
    gAppSetting.save_Permission_Owner_X = 0;
    gAppSetting.save_Permission_Group_R = 0;
    gAppSetting.save_Permission_Group_W = 0;
    gAppSetting.save_Permission_Group_X = 0;
    gAppSetting.save_Permission_Others_R = 0;
    gAppSetting.save_Permission_Others_W = 0;
    gAppSetting.save_Permission_Others_X = 0;
    const QString path = write("plain.txt", "a\nb\n");
    auto w = open(path, write("r.txt", "a\n"));
    typeAtStart(*w, 1, QStringLiteral("X"));
    ASSERT_TRUE(w->SaveSide(1));
    EXPECT_EQ(pelkotest::readFile(path), "\xEF\xBB\xBF"
                                         "Xa\r\nb\r\n");
    EXPECT_EQ(modeOf(path), 0600);
}

TEST_F(TextCompareTest, TextThatTheEncodingCannotHoldIsNeverWrittenLossy)
{
    const QString path = write("latin.txt", "caf\xE9\n"); // Latin-1, not UTF-8
    auto w = open(path, write("r.txt", "x\n"));
    typeAtStart(*w, 1, QStringLiteral("日"));
    answers = {1001}; // Cancel
    EXPECT_FALSE(w->SaveSide(1));
    EXPECT_EQ(pelkotest::readFile(path), "caf\xE9\n");
    EXPECT_TRUE(w->WasEdit());
    ASSERT_EQ(alerts.size(), 1u);
    answers = {1000}; // Save as UTF-8
    EXPECT_TRUE(w->SaveSide(1));
    // The byte was read in the detected single-byte encoding; it stays that character.
    EXPECT_EQ(pelkotest::readFile(path), w->GetTextInView1().toUtf8());
    EXPECT_TRUE(w->GetTextInView1().startsWith(QStringLiteral("日caf")));
}
