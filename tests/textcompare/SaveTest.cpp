// Saving a side keeps its encoding, byte-order mark, line ends and permissions, or uses the fixed
// save settings of the record.
#include "TextCompareFixture.h"

#include "platform/Panels.h"
#include "platform/TextEncoding.h"
#include "platform/PrivateFiles.h"
#include "services/FilePermissionDrop.h"
#include "support/NameSwapper.h"
#include "support/OddNames.h"
#include "support/OtherUser.h"
#include "textcompare/MergeWindow.h"
#include "ui_MergeEditWndCtr.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <fcntl.h>
#include <functional>
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

namespace {

struct UnreadFile
{
    const char *name;
    std::function<bool(const QString &)> make; // false: this machine cannot make it
};

bool makeHugeFile(const QString &path)
{
    // Sparse: over the reader's limit without using the disk.
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.resize(qint64(600) << 20);
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

bool makeUnreadable(const QString &path)
{
    return pelkotest::writeFile(path, "secret content\n") &&
           ::chmod(QFile::encodeName(path).constData(), 0200) == 0;
}

struct EntryState
{
    qint64 size;
    bool regular;
    bool operator==(const EntryState &) const = default;
};

EntryState identityOf(const QString &path)
{
    struct stat sb;
    if (::lstat(QFile::encodeName(path).constData(), &sb) != 0)
        return {-1, false};
    return {qint64(sb.st_size), S_ISREG(sb.st_mode)};
}

} // namespace

TEST_F(TextCompareTest, ASideThatWasNotReadIsWrittenOnlyWhereTheUserChooses)
{
    pelkotest::FilePermissionDrop drop; // as root, mode 0200 would not stop the reader
    const UnreadFile rows[] = {
        {"huge.txt", makeHugeFile},
        {"fifo", makeFifo},
        {"unreadable.txt", makeUnreadable},
    };
    const QString right = write("right.txt", "kept text\n");
    for (const UnreadFile &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir + u'/' + QString::fromLatin1(row.name);
        ASSERT_TRUE(row.make(path));
        const EntryState before = identityOf(path);
        alerts.clear();
        auto w = open(path, right);
        if (alerts.empty() && before.size < 1000)
            continue;                 // permission bits do not stop the thread that reads
        ASSERT_EQ(alerts.size(), 1u); // "Cannot read the file"
        ASSERT_TRUE(w->Merge_CopyAll(2));
        ASSERT_TRUE(w->mTextWasEdited(1));

        // Declined: nothing written, the edits stay.
        int panels = 0;
        platform::setSavePanelHook([&](const platform::SavePanelRequest &) {
            ++panels;
            return QString();
        });
        alerts.clear();
        answers = {1001};
        EXPECT_FALSE(w->SaveSide(1));
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_TRUE(alerts[0].text.contains(path));
        EXPECT_EQ(panels, 0);
        // Save from the menu, and a save panel closed without a choice.
        answers = {1000};
        EXPECT_FALSE(w->Menu_Save());
        EXPECT_EQ(panels, 1);
        EXPECT_EQ(identityOf(path), before);
        EXPECT_TRUE(w->mTextWasEdited(1));
        EXPECT_EQ(w->GetTextInView1(), QStringLiteral("kept text\n"));

        // Choosing the path where it is not a regular file is refused too.
        if (!before.regular) {
            platform::setSavePanelHook([&](const platform::SavePanelRequest &) { return path; });
            answers = {1000};
            EXPECT_FALSE(w->SaveSide(1));
            EXPECT_EQ(identityOf(path), before);
        }

        // Save As to a file of the user's own.
        const QString chosen = dir + QStringLiteral("/chosen-") + QString::fromLatin1(row.name);
        platform::setSavePanelHook([&](const platform::SavePanelRequest &r) {
            EXPECT_EQ(r.directory, QFileInfo(path).absolutePath());
            return chosen;
        });
        answers = {1000};
        EXPECT_TRUE(w->SaveSide(1));
        platform::setSavePanelHook(nullptr);
        EXPECT_EQ(pelkotest::readFile(chosen), "kept text\n");
        EXPECT_EQ(w->mFile1Path(), chosen);
        EXPECT_FALSE(w->mTextWasEdited(1));
        EXPECT_EQ(identityOf(path), before);
        w->setDocumentEdited(false);
    }
}

TEST_F(TextCompareTest, AFileChangedOnDiskSinceItWasReadIsReplacedOnlyWhenTheUserSaysSo)
{
    const QString right = write("b.txt", "x\nY\n");
    auto w = open(write("a.txt", "x\ny\n"), right);
    ASSERT_TRUE(w->Merge_CopyAll(1));
    ASSERT_TRUE(w->mTextWasEdited(2));
    // Rewritten by another program while the window stayed in front: no key change told it.
    const QByteArray theirs = "x\nY\ntheir line\n";
    ASSERT_TRUE(pelkotest::writeFile(right, theirs));
    alerts.clear();
    answers = {1001};
    EXPECT_FALSE(w->SaveSide(2));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].text.contains(right));
    EXPECT_EQ(pelkotest::readFile(right), theirs);
    EXPECT_TRUE(w->mTextWasEdited(2));

    answers = {1000};
    EXPECT_TRUE(w->SaveSide(2));
    EXPECT_EQ(pelkotest::readFile(right), "x\ny\n");
    EXPECT_FALSE(w->mTextWasEdited(2));

    // Saved again with nothing changed on disk, or after the user kept the window's text over a
    // change when the window came to the front: no question.
    alerts.clear();
    QTextCursor(w->textView(2)->document()).insertText(QStringLiteral("z"));
    EXPECT_TRUE(w->SaveSide(2));
    EXPECT_TRUE(alerts.empty());
    QTextCursor(w->textView(2)->document()).insertText(QStringLiteral("w"));
    ASSERT_TRUE(pelkotest::writeFile(right, theirs));
    answers = {1001}; // keep the edits instead of reading the file again
    w->windowWillBeKey();
    settle(*w);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(w->SaveSide(2));
    EXPECT_EQ(alerts.size(), 1u);
    EXPECT_EQ(pelkotest::readFile(right), "wzx\ny\n");
}

TEST_F(TextCompareTest, ARefusedSaveSaysWhyAndOffersSaveAs)
{
    const QString right = write("b.txt", "x\n");
    const QString locked = pelkotest::freshDir(QStringLiteral("locked"));
    const QString path = locked + QStringLiteral("/a.txt");
    ASSERT_TRUE(pelkotest::writeFile(path, "x\n"));
    // Neither the file nor its folder takes writing (made so before the file is read: a change of
    // mode after the read is a change on disk the save asks about first).
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    auto w = open(path, right);
    typeAtStart(*w, 1, QStringLiteral("edit "));
    pelkotest::FilePermissionDrop drop;
    if (!drop.folderRefusesWrites(locked))
        GTEST_SKIP() << "permission bits do not stop this thread";
    const QString chosen = dir + QStringLiteral("/chosen.txt");
    int panels = 0;
    platform::setSavePanelHook([&](const platform::SavePanelRequest &) {
        ++panels;
        return chosen;
    });
    alerts.clear();
    answers = {1000};
    EXPECT_TRUE(w->SaveSide(1));
    platform::setSavePanelHook(nullptr);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].text.contains(path));
    EXPECT_TRUE(alerts[0].text.contains(FileWriteFailureText(FileWriteFailure::ReadOnlyFile)));
    EXPECT_GE(alerts[0].buttons.size(), 2);
    EXPECT_EQ(panels, 1);
    EXPECT_EQ(pelkotest::readFile(path), "x\n");
    EXPECT_EQ(pelkotest::readFile(chosen), "edit x\n");
    EXPECT_EQ(w->mFile1Path(), chosen);
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

namespace {

// Gives path the times of model, as `touch -r` does.
void copyTimes(const QString &model, const QString &path)
{
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(model).constData(), &st), 0);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

} // namespace

// In a folder anyone may write (sticky, as /tmp), another user's file is read into the window;
// that user then puts a link to a file of this user's in its place, after giving their file the
// same size and modification time. The save asks first, and even when told to go on never writes
// through the link: the link's target keeps its bytes, and the text is offered for another file.
TEST_F(TextCompareTest, ALinkSwappedInAfterTheReadIsNeverWrittenThrough)
{
    const QString shared = pelkotest::stickySharedFolder();
    ASSERT_FALSE(shared.isEmpty());
    const QByteArray secretBytes("password=only-mine\n");
    const QString secret = pelkotest::privateFileInOpenFolder(secretBytes);
    ASSERT_FALSE(secret.isEmpty());
    const QString x = shared + QStringLiteral("/x.txt");
    const QByteArray theirs = QByteArray(secretBytes.size() - 1, 'a') + '\n';
    ASSERT_EQ(pelkotest::runShellAsOtherUser(
                  QStringLiteral("cd \"$1\" && printf '%s' \"$2\" > x.txt && chmod 0666 x.txt && "
                                 "touch -r \"$3\" x.txt"),
                  {shared, QString::fromLatin1(theirs), secret}),
              0);
    auto w = open(x, write("y.txt", "other side\n"));
    ASSERT_EQ(w->GetTextInView1(), QString::fromLatin1(theirs));
    typeAtStart(*w, 1, QStringLiteral("E"));
    ASSERT_EQ(pelkotest::runShellAsOtherUser(
                  QStringLiteral("cd \"$1\" && rm x.txt && ln -s \"$2\" x.txt"), {shared, secret}),
              0);
    // What a check of size and time through the link would see is unchanged.
    ASSERT_EQ(QFileInfo(x).size(), theirs.size());

    alerts.clear();
    answers = {1001}; // Cancel
    EXPECT_FALSE(w->SaveSide(1));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].text.contains(x));
    EXPECT_EQ(pelkotest::readFile(secret), secretBytes);

    int panels = 0;
    platform::setSavePanelHook([&](const platform::SavePanelRequest &) {
        ++panels;
        return QString();
    });
    answers = {1000, 1000}; // Save Anyway, then Save As… (the panel is closed)
    EXPECT_FALSE(w->SaveSide(1));
    platform::setSavePanelHook(nullptr);
    ASSERT_EQ(alerts.size(), 3u);
    EXPECT_TRUE(alerts[2].text.contains(FileWriteFailureText(FileWriteFailure::NotRegularFile)));
    EXPECT_EQ(panels, 1);
    EXPECT_EQ(pelkotest::readFile(secret), secretBytes);
    EXPECT_TRUE(QFileInfo(x).isSymLink());
    EXPECT_TRUE(w->mTextWasEdited(1));
    w->setDocumentEdited(false);
    platform::RemoveTreeNoFollow(shared);
    platform::RemoveTreeNoFollow(QFileInfo(secret).absolutePath());
}

// A link the user named is followed while it leads where it led when the side was read; once
// re-pointed (to a file of the same size and time), the save asks first and says where the link
// leads now.
TEST_F(TextCompareTest, ALinkTheUserNamedIsFollowedOnlyWhileItLeadsWhereItLed)
{
    const QString target = write("target.txt", "abc\n");
    const QString named = dir + QStringLiteral("/named.txt");
    ASSERT_TRUE(QFile::link(target, named));
    auto w = open(named, write("y.txt", "abc\nd\n"));
    typeAtStart(*w, 1, QStringLiteral("X"));
    alerts.clear();
    ASSERT_TRUE(w->SaveSide(1));
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(pelkotest::readFile(target), "Xabc\n");
    EXPECT_TRUE(QFileInfo(named).isSymLink());

    const QString elsewhere = write("elsewhere.txt", "Yabc\n");
    copyTimes(target, elsewhere);
    ASSERT_TRUE(QFile::remove(named));
    ASSERT_TRUE(QFile::link(elsewhere, named));
    typeAtStart(*w, 1, QStringLiteral("Z"));
    answers = {1001}; // Cancel
    EXPECT_FALSE(w->SaveSide(1));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].text.contains(QFileInfo(elsewhere).canonicalFilePath()));
    EXPECT_EQ(pelkotest::readFile(elsewhere), "Yabc\n");
    EXPECT_EQ(pelkotest::readFile(target), "Xabc\n");
    w->setDocumentEdited(false);
}

// A second thread swaps the side's file with a link to a file of this user's, pausing a moment
// of its own choosing between swaps, while the window saves a fixed number of times, told every
// time to save anyway: no save ever writes into the link's target.
TEST_F(TextCompareTest, SavesRacingASwappedLinkNeverWriteItsTarget)
{
    const QString secret = pelkotest::freshDir(QStringLiteral("secret")) + "/secret.conf";
    const QByteArray secretBytes("password=only-mine\n");
    ASSERT_TRUE(pelkotest::writeFile(secret, secretBytes));
    const QString named = write("x.txt", "line\n");
    const QString alternate = dir + QStringLiteral("/x.alt");
    ASSERT_TRUE(QFile::link(secret, alternate));
    auto w = open(named, write("y.txt", "other\n"));
    platform::setSavePanelHook([](const platform::SavePanelRequest &) { return QString(); });

    int saved = 0;
    {
        const pelkotest::NameSwapper swapper(named, alternate, secret);
        for (int round = 0; round < 150; ++round) {
            typeAtStart(*w, 1, QStringLiteral("e"));
            alerts.clear(); // every question is answered with its first button
            saved += w->SaveSide(1) ? 1 : 0;
        }
    }
    platform::setSavePanelHook(nullptr);
    EXPECT_EQ(pelkotest::readFile(secret), secretBytes);
    RecordProperty("saved", saved);
    w->setDocumentEdited(false);
}

// A file name with line breaks, a tab, a direction override and a byte that is not UTF-8 stays on
// its line in every text the window shows it in: the title, the path label, the warning about
// NUL characters, the encoding refusal, the save, reload and close questions, and the messages
// about a file it could not read or write.
TEST_F(TextCompareTest, NamesInTheWindowsTextsStayOnTheirLines)
{
    using pelkotest::showsOddNameOnItsLine;
    const QString folder = pelkotest::freshDir(QStringLiteral("oddnames"));
    const auto removeOdd = qScopeGuard([&] { pelkotest::removeTree(folder); });
    const QString odd = pelkotest::oddPath(folder);
    ASSERT_TRUE(pelkotest::writeOddFile(odd, QByteArray("caf\xE9\0\n", 6)));
    const QString right = write("right.txt", "right\n");
    alerts.clear();
    auto w = open(odd, right);
    std::vector<std::pair<std::string, QString>> texts;
    const auto asked = [&](const char *what) {
        ASSERT_EQ(alerts.size(), 1u) << what;
        texts.emplace_back(what, alerts[0].title + u'\n' + alerts[0].text);
        alerts.clear();
    };
    asked("NUL characters");
    texts.emplace_back("title", w->window()->windowTitle());
    texts.emplace_back("path label", w->ui().mFilePathLabel1->toolTip());
    EXPECT_EQ(w->ui().mFilePathLabel1->textFormat(), Qt::PlainText);

    QAction utf8(platform::TextEncoding::localizedName(platform::Encoding::UTF8));
    w->Menu_ReloadWithEncoding(&utf8); // Latin-1 bytes are not UTF-8
    asked("encoding");

    typeAtStart(*w, 1, QStringLiteral("typed "));
    ASSERT_TRUE(pelkotest::writeOddFile(odd, "changed elsewhere\n"));
    answers = {1001};
    EXPECT_FALSE(w->SaveSide(1));
    asked("save over a change");
    answers = {1001};
    w->windowWillBeKey();
    settle(*w);
    asked("reload over edits");
    answers = {1002};
    EXPECT_FALSE(static_cast<MergeWindow &>(*w).windowShouldClose());
    asked("close with edits");
    w->setDocumentEdited(false);

    // A pipe under that name cannot be read; its text is saved elsewhere only.
    const QString pipe = pelkotest::oddPath(folder, pelkotest::kOddName + ".fifo");
    ASSERT_EQ(::mkfifo(LocalPath_ToBytes(pipe).constData(), 0600), 0);
    const QString oddFolder = pelkotest::oddPath(folder, pelkotest::kOddName + ".folder");
    ASSERT_EQ(::mkdir(LocalPath_ToBytes(oddFolder).constData(), 0700), 0);
    auto unread = open(pipe, right);
    asked("cannot read");
    typeAtStart(*unread, 1, QStringLiteral("typed "));
    platform::setSavePanelHook([&](const platform::SavePanelRequest &) { return oddFolder; });
    answers = {1000};
    EXPECT_FALSE(unread->SaveSide(1));
    platform::setSavePanelHook(nullptr);
    ASSERT_EQ(alerts.size(), 2u);
    texts.emplace_back("not saved there", alerts[0].text);
    texts.emplace_back("cannot save", alerts[1].text);
    alerts.clear();
    unread->setDocumentEdited(false);

    for (const auto &[what, text] : texts)
        EXPECT_TRUE(showsOddNameOnItsLine(text)) << what;
}
