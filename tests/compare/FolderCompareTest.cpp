// The folder compare engine on real temporary trees.
#include "compare/FolderCompareJob.h"
#include "compare/FolderContentCompare.h"
#include "platform/Alerts.h"
#include "platform/LocalPath.h"
#include "services/AppSetting.h"
#include "support/OtherUser.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

struct Tree
{
    QString left, right;
};

Tree freshTrees(const char *hint)
{
    const QString base = pelkotest::freshDir(QString::fromLatin1(hint));
    Tree t{base + QStringLiteral("/L/"), base + QStringLiteral("/R/")};
    QDir().mkpath(t.left);
    QDir().mkpath(t.right);
    return t;
}

void setTime(const QString &path, qint64 seconds, long nanos = 0)
{
    struct timespec times[2] = {{seconds, nanos}, {seconds, nanos}};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

void write(const QString &path, const QByteArray &bytes, qint64 seconds = 1700000000)
{
    ASSERT_TRUE(pelkotest::writeFile(path, bytes));
    setTime(path, seconds);
}

std::shared_ptr<FileListCompareInfo> request(const Tree &t, int mode, bool ignoreEol = false)
{
    auto info = FileListCompareInfo::create();
    info->mFolder1 = t.left;
    info->mFolder2 = t.right;
    info->folder_compare_Mode = mode;
    info->folder_compare_ignore_EndLineDiff = ignoreEol;
    return info;
}

FolderCompareOutcome run(std::shared_ptr<FileListCompareInfo> info, bool hideDots = false)
{
    FolderCompareSettings s;
    s.request = std::move(info);
    s.textExtensions = {QStringLiteral("txt"), QStringLiteral("c")};
    s.hideDotNames = hideDots;
    return CompareFoldersAndWait(s);
}

// Verdicts by relative path.
std::map<QByteArray, int> verdicts(const FolderCompareOutcome &out)
{
    std::map<QByteArray, int> m;
    for (const COMP_ITEM &item : out.items)
        m[CompItems_RelativePath(out.items, item.ID)] = item.compareResult;
    return m;
}

} // namespace

TEST(FolderCompare, EachModeJudgesEachKindOfPair)
{
    struct Pair
    {
        const char *name;
        QByteArray left, right;
        qint64 leftTime, rightTime;
    };
    const qint64 t0 = 1700000000;
    const Pair pairs[] = {
        {"equal.txt", "abc\n", "abc\n", t0, t0},
        {"samesize.txt", "abc\n", "abd\n", t0, t0},
        {"othersize.txt", "abc\n", "abcd\n", t0, t0},
        {"othertime.txt", "abc\n", "abc\n", t0, t0 + 5},
        {"lineends.txt", "a\nb\n", "a\r\nb\r\n", t0, t0},
        {"lineends.bin", "a\nb\n", "a\r\nb\r\n", t0, t0},
        {"crlf_vs_cr.txt", "a\r\nb", "a\rb", t0, t0},
    };
    // Verdicts per mode: 0 size+date, 1 size, 2 date, 3 content, 3 with line ends ignored.
    const std::map<QByteArray, std::array<int, 5>> expected = {
        {"equal.txt", {0, 0, 0, 0, 0}},
        {"samesize.txt", {0, 0, 0, 1, 1}},
        {"othersize.txt", {1, 1, 0, 1, 1}},
        {"othertime.txt", {1, 0, 1, 0, 0}},
        {"lineends.txt", {1, 1, 0, 1, 0}},
        {"lineends.bin", {1, 1, 0, 1, 1}}, // not a text extension: byte for byte
        {"crlf_vs_cr.txt", {1, 1, 0, 1, 0}},
    };
    const Tree t = freshTrees("modes");
    for (const Pair &p : pairs) {
        write(t.left + QLatin1String(p.name), p.left, p.leftTime);
        write(t.right + QLatin1String(p.name), p.right, p.rightTime);
    }
    for (int column = 0; column < 5; ++column) {
        const int mode = column < 4 ? column : 3;
        SCOPED_TRACE(column);
        const auto out = run(request(t, mode, column == 4));
        const auto v = verdicts(out);
        for (const auto &[name, modes] : expected) {
            SCOPED_TRACE(name.constData());
            EXPECT_EQ(v.at(name), modes[size_t(column)]);
        }
    }
}

TEST(FolderCompare, TimesWithinOneSecondAreEqual)
{
    const Tree t = freshTrees("times");
    write(t.left + "a", "x");
    write(t.right + "a", "x");
    setTime(t.left + "a", 1700000000, 900000000);
    setTime(t.right + "a", 1700000001, 100000000);
    EXPECT_EQ(verdicts(run(request(t, 2))).at("a"), COMP_RESULT_SAME);
}

TEST(FolderCompare, NamesPairByExactNameAndFoldersSumUp)
{
    const Tree t = freshTrees("pairing");
    write(t.left + "a.txt", "1");
    write(t.right + "A.txt", "1");
    write(t.left + "same/x", "1");
    write(t.right + "same/x", "1");
    write(t.left + "diff/deep/y", "1");
    write(t.right + "diff/deep/y", "22");
    write(t.left + "onlyleft/z", "1");
    QDir().mkpath(t.right + "onlyright");
    QDir().mkpath(t.left + "empty");
    QDir().mkpath(t.right + "empty");
    write(t.left + "kind", "file");
    QDir().mkpath(t.right + "kind");
    const auto v = verdicts(run(request(t, 0)));
    EXPECT_EQ(v.at("a.txt"), COMP_RESULT_LEFT_ONLY);
    EXPECT_EQ(v.at("A.txt"), COMP_RESULT_RIGHT_ONLY);
    EXPECT_EQ(v.at("same"), COMP_RESULT_SAME);
    EXPECT_EQ(v.at("same/x"), COMP_RESULT_SAME);
    EXPECT_EQ(v.at("diff"), COMP_RESULT_DIFFERENT);
    EXPECT_EQ(v.at("diff/deep"), COMP_RESULT_DIFFERENT);
    EXPECT_EQ(v.at("onlyleft"), COMP_RESULT_LEFT_ONLY);
    EXPECT_EQ(v.at("onlyleft/z"), COMP_RESULT_LEFT_ONLY);
    EXPECT_EQ(v.at("onlyright"), COMP_RESULT_RIGHT_ONLY);
    EXPECT_EQ(v.at("empty"), COMP_RESULT_SAME);
    EXPECT_EQ(v.at("kind"), COMP_RESULT_DIFFERENT);
    EXPECT_EQ(v.size(), 12u);
}

TEST(FolderCompare, FiltersDotNamesAndSubFolders)
{
    const Tree t = freshTrees("filters");
    for (const QString &side : {t.left, t.right}) {
        write(side + "main.c", "1");
        write(side + "Notes.TXT", "1");
        write(side + "readme.md", "1");
        write(side + "Makefile", "1");
        write(side + ".hidden", "1");
        write(side + "bin/tool.c", "1");
        write(side + "src/bin2/x.c", "1");
        write(side + "src/lib.c", "1");
    }
    struct Row
    {
        const char *what;
        QStringList include, exclude, subDirs;
        bool regex, whole, hideDots, subFolders;
        std::vector<const char *> listed;
    };
    const std::vector<Row> rows = {
        {"no filter",
         {},
         {},
         {},
         false,
         false,
         false,
         true,
         {".hidden", "Makefile", "Notes.TXT", "bin", "bin/tool.c", "main.c", "readme.md", "src",
          "src/bin2", "src/bin2/x.c", "src/lib.c"}},
        {"dot names hidden",
         {},
         {},
         {},
         false,
         false,
         true,
         false,
         {"Makefile", "Notes.TXT", "main.c", "readme.md"}},
        {"wildcard include",
         {"*.c"},
         {},
         {},
         false,
         false,
         true,
         true,
         {"bin", "bin/tool.c", "main.c", "src", "src/bin2", "src/bin2/x.c", "src/lib.c"}},
        {"plain extension, any case", {".txt"}, {}, {}, false, false, true, false, {"Notes.TXT"}},
        {"plain name is whole",
         {"makefile", "main"},
         {},
         {},
         false,
         false,
         true,
         false,
         {"Makefile"}},
        {"exclude and excluded sub-folder",
         {},
         {"*.md", ".txt"},
         {"bin"},
         false,
         false,
         true,
         true,
         {"Makefile", "main.c", "src", "src/bin2", "src/bin2/x.c", "src/lib.c"}},
        {"regex anywhere", {"a.e"}, {}, {}, true, false, true, false, {"Makefile"}},
        {"regex whole name", {"a.e"}, {}, {}, true, true, true, false, {}},
        {"regex kept as typed", {"^\\S+\\.C$"}, {}, {}, true, false, true, false, {"main.c"}},
        {"regex sub-folder",
         {},
         {},
         {"^b.n$"},
         true,
         false,
         true,
         true,
         {"Makefile", "Notes.TXT", "main.c", "readme.md", "src", "src/bin2", "src/bin2/x.c",
          "src/lib.c"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        auto info = request(t, 1);
        info->bIsRegex = row.regex;
        info->bIsRegex_bMatchWholeString = row.whole;
        info->compareSubFolder = row.subFolders;
        info->filterIncludeExt = FilterListFromStrings(row.include);
        info->filterExcludeExt = FilterListFromStrings(row.exclude);
        info->exclude_SubDir = FilterListFromStrings(row.subDirs);
        for (FilterList *list :
             {&info->filterIncludeExt, &info->filterExcludeExt, &info->exclude_SubDir})
            EXPECT_TRUE(FixFilterArray_AddNSPredicate_IfNeed(*list, row.regex).isEmpty());
        std::vector<QByteArray> listed;
        for (const auto &[path, verdict] : verdicts(run(info, row.hideDots)))
            listed.push_back(path);
        std::vector<QByteArray> want(row.listed.begin(), row.listed.end());
        EXPECT_EQ(listed, want);
    }
}

// A file supplier may choose names like a copy's temporary files (".NAME.pelko-XXXXXX"): a walk
// lists them like any other entry and removes nothing, however old they are (what a killed copy
// left is removed at the next start, by its record).
TEST(FolderCompare, AWalkRemovesNothingThatLooksLikeACopyLeftover)
{
    const Tree t = freshTrees("leftovers");
    const QString names[] = {t.left + ".a.txt.pelko-Ab3dE9", t.left + "sub/.b.bin.pelko-Xy12Zq",
                             t.right + "sub/.b.bin.pelko-Xy12Zq", t.right + "keep.pelko-Ab3dE9",
                             t.right + ".theirs.pelko-Ab3dE9"};
    for (const QString &name : names) {
        write(name, "part");
        const qint64 twoDaysAgo = QDateTime::currentSecsSinceEpoch() - 2 * 24 * 3600;
        const struct timespec times[2] = {{twoDaysAgo, 0}, {twoDaysAgo, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(name).constData(), times, 0), 0);
    }
    FolderCompareSettings s;
    s.request = request(t, 1);
    std::vector<QByteArray> listed;
    for (const auto &[path, verdict] : verdicts(CompareFoldersAndWait(s)))
        listed.push_back(path);
    EXPECT_EQ(listed,
              (std::vector<QByteArray>{".a.txt.pelko-Ab3dE9", ".theirs.pelko-Ab3dE9",
                                       "keep.pelko-Ab3dE9", "sub", "sub/.b.bin.pelko-Xy12Zq"}));
    for (const QString &name : names)
        EXPECT_TRUE(QFileInfo::exists(name)) << qPrintable(name);
}

TEST(FolderCompare, InvalidRegexIsNamedAndMatchesNothing)
{
    FilterList list = FilterListFromStrings({QStringLiteral("([a-"), QStringLiteral("ok.*")});
    EXPECT_EQ(FixFilterArray_AddNSPredicate_IfNeed(list, true),
              QStringList{QStringLiteral("([a-")});
    EXPECT_FALSE(FilterList_Matches(list, QStringLiteral("([a-"), false));
    EXPECT_TRUE(FilterList_Matches(list, QStringLiteral("xok1"), false));

    // The checked form tells the user which expression is wrong.
    QList<platform::AlertRequest> shown;
    platform::setAlertHook([&](const platform::AlertRequest &r) {
        shown.append(r);
        return platform::AlertFirstButtonReturn;
    });
    FilterList again = FilterListFromStrings({QStringLiteral("a(b"), QStringLiteral("fine")});
    EXPECT_FALSE(FixFilterArray_AddNSPredicate_IfNeed_WithAlert(again, true));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("a(b")));
    EXPECT_FALSE(shown[0].text.contains(QStringLiteral("fine")));
    FilterList good = FilterListFromStrings({QStringLiteral("*.c")});
    EXPECT_TRUE(FixFilterArray_AddNSPredicate_IfNeed_WithAlert(good, false));
    EXPECT_EQ(shown.size(), 1);
    platform::setAlertHook(nullptr);
}

TEST(FolderCompare, LinksPipesAndUnreadableFoldersNeitherHangNorFail)
{
    const Tree t = freshTrees("special");
    for (const QString &side : {t.left, t.right}) {
        QDir().mkpath(side + "sub");
        ASSERT_EQ(::symlink("..", QFile::encodeName(side + "sub/loop").constData()), 0);
        ASSERT_EQ(::mkfifo(QFile::encodeName(side + "pipe").constData(), 0600), 0);
        write(side + "target.txt", "same");
        write(side + "locked/inner", "x");
    }
    // Links to devices are judged by their text and never read.
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(t.left + "device").constData()), 0);
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(t.right + "device").constData()), 0);
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(t.left + "otherdevice").constData()), 0);
    ASSERT_EQ(::symlink("/dev/null", QFile::encodeName(t.right + "otherdevice").constData()), 0);
    // A pipe against a file is not opened either.
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.left + "pipeorfile").constData(), 0600), 0);
    write(t.right + "pipeorfile", "data");
    ASSERT_EQ(::symlink("target.txt", QFile::encodeName(t.left + "filelink").constData()), 0);
    ASSERT_EQ(::symlink("target.txt", QFile::encodeName(t.right + "filelink").constData()), 0);
    write(t.left + "secret.txt", "1234");
    write(t.right + "secret.txt", "1234");
    ::chmod(QFile::encodeName(t.left + "locked").constData(), 0);
    ::chmod(QFile::encodeName(t.right + "secret.txt").constData(), 0);
    const auto out = run(request(t, 3));
    ::chmod(QFile::encodeName(t.left + "locked").constData(), 0700);
    const auto v = verdicts(out);
    EXPECT_EQ(v.at("sub/loop"), COMP_RESULT_SAME); // the same target text; never entered
    EXPECT_EQ(v.count("sub/loop/sub"), 0u);
    EXPECT_EQ(v.at("pipe"), COMP_RESULT_NOT_JUDGED);
    EXPECT_EQ(v.at("filelink"), COMP_RESULT_SAME);
    EXPECT_EQ(v.at("device"), COMP_RESULT_SAME);
    EXPECT_EQ(v.at("otherdevice"), COMP_RESULT_DIFFERENT);
    EXPECT_EQ(v.at("pipeorfile"), COMP_RESULT_DIFFERENT); // the kinds differ
    if (::geteuid() != 0) {
        EXPECT_EQ(v.at("locked"), COMP_RESULT_NOT_JUDGED);
        // What the right side holds is listed, but nothing is known of the left side.
        EXPECT_EQ(v.at("locked/inner"), COMP_RESULT_NOT_JUDGED);
        // An unreadable file stays listed, not judged, with its reason.
        EXPECT_EQ(v.at("secret.txt"), COMP_RESULT_NOT_JUDGED);
        for (const COMP_ITEM &item : out.items)
            if (item.name() == "secret.txt") {
                EXPECT_EQ(item.customMultiPurposeInfo, NotJudged_FileUnreadable);
            }
    }
}

TEST(FolderCompare, UnreadableTopFolderIsReported)
{
    const Tree t = freshTrees("toperr");
    QDir(t.right).removeRecursively();
    const auto out = run(request(t, 0));
    EXPECT_FALSE(out.rootError.isEmpty());
    EXPECT_TRUE(out.items.empty());
}

TEST(FolderCompare, TopFolderInsideTheOtherIsWalkedOnce)
{
    const Tree t = freshTrees("nested");
    write(t.left + "a", "1");
    write(t.left + "inner/a", "1");
    auto info = request(t, 1);
    info->mFolder2 = t.left + "inner/";
    const auto v = verdicts(run(info));
    EXPECT_EQ(v.at("a"), COMP_RESULT_SAME);
    EXPECT_EQ(v.count("inner/a"), 0u);
}

TEST(FolderCompare, EntryJudgedAgainAfterItChanged)
{
    const Tree t = freshTrees("again");
    write(t.left + "f.txt", "one");
    write(t.right + "f.txt", "one");
    FolderCompareSettings s;
    s.request = request(t, 3);
    auto out = CompareFoldersAndWait(s);
    ASSERT_EQ(out.items.size(), 1u);
    EXPECT_EQ(out.items[0].compareResult, COMP_RESULT_SAME);
    const QByteArray l = QFile::encodeName(t.left), r = QFile::encodeName(t.right);

    write(t.right + "f.txt", "two");
    EXPECT_EQ(FolderCompare_JudgeAgain(s, out.items[0], l, r, nullptr).compareResult,
              COMP_RESULT_DIFFERENT);
    QFile::remove(t.right + "f.txt");
    EXPECT_EQ(FolderCompare_JudgeAgain(s, out.items[0], l, r, nullptr).compareResult,
              COMP_RESULT_LEFT_ONLY);
    QFile::remove(t.left + "f.txt");
    const COMP_ITEM gone = FolderCompare_JudgeAgain(s, out.items[0], l, r, nullptr);
    EXPECT_EQ(gone.compareResult, COMP_RESULT_GONE);
    EXPECT_EQ(gone.name(), QByteArray("f.txt"));
}

TEST(FolderCompare, FilesChangingBetweenListingAndJudgingAreJudgedAgain)
{
    const Tree t = freshTrees("midway");
    write(t.left + "gone.txt", "same");
    write(t.right + "gone.txt", "same");
    write(t.left + "grows.txt", "abcd");
    write(t.right + "grows.txt", "abcx");
    FolderCompareSettings s;
    s.request = request(t, 3);
    bool first = true;
    // The first batch holds the listed top folder and goes out before any content is read.
    const auto out = CompareFoldersAndWait(s, [&] {
        if (std::exchange(first, false)) {
            QFile::remove(t.right + "gone.txt");
            write(t.right + "grows.txt", "abcdef", 1700000100);
        }
        return false;
    });
    const auto v = verdicts(out);
    EXPECT_EQ(v.at("gone.txt"), COMP_RESULT_LEFT_ONLY);
    EXPECT_EQ(v.at("grows.txt"), COMP_RESULT_DIFFERENT);
    for (const COMP_ITEM &item : out.items) {
        if (item.name() == "grows.txt") {
            EXPECT_EQ(item.size2, 6); // what is on disk now, not what was listed
            EXPECT_EQ(item.date2, 1700000100LL * 1000000000LL);
        } else {
            EXPECT_EQ(item.size2, -1);
        }
    }
}

namespace {

// The read position of this process's open file at path, or -1 when none is open there.
qint64 readPosition(const QByteArray &path)
{
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System)) {
        char target[4096];
        const QByteArray link = QFile::encodeName(fds.filePath(fd));
        const ssize_t n = ::readlink(link.constData(), target, sizeof target);
        if (n <= 0 || QByteArray(target, int(n)) != path)
            continue;
        QFile info(QStringLiteral("/proc/self/fdinfo/") + fd);
        if (!info.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = info.readAll();
        const qsizetype at = text.indexOf("pos:");
        if (at >= 0)
            return text.mid(at + 4, text.indexOf('\n', at) - at - 4).trimmed().toLongLong();
    }
    return -1;
}

// Waits until the job has read past the start of the file at path (false when the job ended
// first, or after a minute: a hang).
bool waitForReadingBegun(const QByteArray &path, const FolderCompareJob &job)
{
    QElapsedTimer clock;
    clock.start();
    while (readPosition(path) <= 0) {
        if (job.isFinished() || clock.elapsed() > 60000)
            return false;
        QThread::yieldCurrentThread();
    }
    return true;
}

} // namespace

TEST(FolderCompare, StopInsideTwoLargeFilesEndsTheirReadUnjudged)
{
    const Tree t = freshTrees("large");
    // Two equal 16 GB files, sparse: every block must be read before they count as the same,
    // which takes seconds even where reading a hole costs nothing.
    for (const QString &side : {t.left, t.right}) {
        const int fd = ::open(QFile::encodeName(side + "big.bin").constData(),
                              O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 16LL * 1024 * 1024 * 1024), 0);
        ::close(fd);
    }
    FolderCompareSettings s;
    s.request = request(t, 3);
    std::vector<COMP_ITEM> items;
    std::mutex m;
    FolderCompareJob job(s, [&](FolderCompareBatch &&batch) {
        std::lock_guard lock(m);
        items.insert(items.end(), batch.items.begin(), batch.items.end());
        for (const COMP_ITEM &u : batch.updates)
            ApplyFolderCompareUpdate(items, u);
    });
    job.start();
    // Stopped once the reading has begun, as the worker's open file of the left side shows.
    const QByteArray left = QFile::encodeName(QFileInfo(t.left + "big.bin").canonicalFilePath());
    ASSERT_TRUE(waitForReadingBegun(left, job));
    ASSERT_FALSE(job.isFinished()) << "the content compare should still be reading";
    job.cancel();
    job.waitForFinished();
    // Read to their end, the two would have been judged the same: the stop acted between blocks.
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].compareResult, COMP_RESULT_NOT_JUDGED);
    EXPECT_EQ(items[0].customMultiPurposeInfo, NotJudged_Cancelled);
}

TEST(FolderCompare, CancelEndsTheJobEarly)
{
    const Tree t = freshTrees("cancel");
    for (int d = 0; d < 40; ++d)
        for (int f = 0; f < 20; ++f)
            for (const QString &side : {t.left, t.right})
                write(side + QStringLiteral("d%1/f%2").arg(d).arg(f), "x");
    FolderCompareSettings s;
    s.request = request(t, 3);
    const auto out = CompareFoldersAndWait(s, [] { return true; });
    EXPECT_TRUE(out.cancelled);
    EXPECT_LT(out.items.size(), size_t(40 * 21));
}

TEST(FolderContentCompare, LineEndsAcrossBlockEdgesAndCancel)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("content"));
    const int block = 256 * 1024;
    // A CRLF split over the edge of two read blocks is one line end.
    QByteArray crlf(block - 1, 'a');
    crlf += "\r\nb";
    QByteArray lf(block - 1, 'a');
    lf += "\nb";
    ASSERT_TRUE(pelkotest::writeFile(dir + "/crlf", crlf));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/lf", lf));
    const QByteArray a = QFile::encodeName(dir + "/crlf"), b = QFile::encodeName(dir + "/lf");
    EXPECT_EQ(CompareFileContents(a, b, true, nullptr), ContentVerdict::Same);
    EXPECT_EQ(CompareFileContents(a, b, false, nullptr), ContentVerdict::Different);
    // Two CRs are two line ends, not one.
    ASSERT_TRUE(pelkotest::writeFile(dir + "/crcr", "x\r\ry"));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/lflf", "x\n\ny"));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/lf1", "x\ny"));
    EXPECT_EQ(CompareFileContents(QFile::encodeName(dir + "/crcr"),
                                  QFile::encodeName(dir + "/lflf"), true, nullptr),
              ContentVerdict::Same);
    EXPECT_EQ(CompareFileContents(QFile::encodeName(dir + "/crcr"), QFile::encodeName(dir + "/lf1"),
                                  true, nullptr),
              ContentVerdict::Different);
    std::atomic<bool> stop{true};
    EXPECT_EQ(CompareFileContents(a, a, false, &stop), ContentVerdict::Cancelled);
    EXPECT_EQ(CompareFileContents(a, QFile::encodeName(dir + "/missing"), false, nullptr),
              ContentVerdict::Vanished);
}

TEST(FolderCompare, NamesThatAreNotTextAreListedAndShownEscaped)
{
    const Tree t = freshTrees("names");
    const QByteArray bad("caf\xe9.txt"); // Latin-1, not UTF-8
    for (const QString &side : {t.left, t.right}) {
        const QByteArray path = QFile::encodeName(side) + bad;
        FILE *f = std::fopen(path.constData(), "wb");
        ASSERT_TRUE(f);
        std::fputs("same", f);
        std::fclose(f);
    }
    write(t.left + QString::fromUtf8("caf\xc3\xa9.txt"), "other");
    const auto out = run(request(t, 3));
    ASSERT_EQ(out.items.size(), 2u);
    const auto v = verdicts(out);
    EXPECT_EQ(v.at(bad), COMP_RESULT_SAME); // read through its own bytes, not a look-alike
    EXPECT_EQ(v.at(QByteArray("caf\xc3\xa9.txt")), COMP_RESULT_LEFT_ONLY);
    EXPECT_FALSE(CompItem_NameIsText(bad));
    EXPECT_TRUE(CompItem_NameIsText(QByteArray("caf\xc3\xa9.txt")));
    EXPECT_EQ(CompItem_DisplayName(bad), QStringLiteral("caf\\xe9.txt"));
    // A sequence cut short by the end of the name loses none of its bytes.
    EXPECT_EQ(CompItem_DisplayName("caf\xe9"), QStringLiteral("caf\\xe9"));
    EXPECT_EQ(CompItem_DisplayName("ab\xe6\x97"), QStringLiteral("ab\\xe6\\x97"));
    EXPECT_EQ(CompItem_DisplayName("x\xf0\x9f\x98"), QStringLiteral("x\\xf0\\x9f\\x98"));
    // A backslash of such a name is escaped too, so a name that spells an escape out is not
    // taken for another; a name that is text is shown as it is.
    EXPECT_EQ(CompItem_DisplayName("\xe9\\xff"), QStringLiteral("\\xe9\\\\xff"));
    EXPECT_EQ(CompItem_DisplayName("\xe9\xff"), QStringLiteral("\\xe9\\xff"));
    EXPECT_EQ(CompItem_DisplayName("a\\xe9"), QStringLiteral("a\\xe9"));
    for (const QString &side : {t.left, t.right}) // Qt's own clean-up cannot name these bytes
        ::unlink((QFile::encodeName(side) + bad).constData());
}

namespace {

// A socket file at path (binding through the folder, as socket paths are short).
void makeSocket(const QString &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());
    const int back = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(back, 0);
    ASSERT_EQ(::chdir(folder.constData()), 0);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, name.constData(), sizeof(address.sun_path) - 1);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address));
    ::close(fd);
    EXPECT_EQ(::fchdir(back), 0);
    ::close(back);
    ASSERT_EQ(bound, 0);
}

void makeLink(const char *target, const QString &path)
{
    ASSERT_EQ(::symlink(target, QFile::encodeName(path).constData()), 0);
}

// Removes a tree through folder descriptors, as paths deeper than the system takes cannot be
// named whole.
void removeTree(int parentFd, const char *name)
{
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        DIR *dir = ::fdopendir(fd);
        std::vector<std::pair<QByteArray, bool>> entries;
        while (const dirent *e = dir ? ::readdir(dir) : nullptr)
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                entries.emplace_back(QByteArray(e->d_name), e->d_type == DT_DIR);
        for (const auto &[child, folder] : entries) {
            if (folder)
                removeTree(fd, child.constData());
            else
                ::unlinkat(fd, child.constData(), 0);
        }
        if (dir)
            ::closedir(dir);
        else
            ::close(fd);
    }
    ::unlinkat(parentFd, name, AT_REMOVEDIR);
}

const COMP_ITEM *itemAt(const FolderCompareOutcome &out, const QByteArray &relative)
{
    for (const COMP_ITEM &item : out.items)
        if (CompItems_RelativePath(out.items, item.ID) == relative)
            return &item;
    return nullptr;
}

} // namespace

TEST(FolderCompare, SpecialFilesAndLinksToNoFileAreJudgedAlikeInEveryMode)
{
    const Tree t = freshTrees("kinds");
    const qint64 t0 = 1700000000;
    for (const QString &side : {t.left, t.right})
        QDir().mkpath(side + "folder");
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.left + "pipe").constData(), 0600), 0);
    write(t.right + "pipe", "data");
    makeSocket(t.left + "sock");
    write(t.right + "sock", "data");
    write(t.left + "filevspipe", "data");
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.right + "filevspipe").constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.left + "twopipes").constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.right + "twopipes").constData(), 0600), 0);
    // Links that lead to no file: the same target text at other times, and other texts of the
    // same length at the same time.
    makeLink("folder", t.left + "tofolder");
    makeLink("folder", t.right + "tofolder");
    setTime(t.left + "tofolder", t0);
    setTime(t.right + "tofolder", t0 + 100);
    makeLink("nowhere1", t.left + "dangling");
    makeLink("nowhere2", t.right + "dangling");
    setTime(t.left + "dangling", t0);
    setTime(t.right + "dangling", t0);
    makeLink("loop", t.left + "loop");
    makeLink("loop", t.right + "loop");
    makeLink("folder", t.left + "linkvsfile");
    write(t.right + "linkvsfile", "folder");

    struct Row
    {
        QByteArray name;
        int verdict;
        qint32 reason;
        const char *kinds; // the reason's text names them
    };
    const Row rows[] = {
        {"pipe", COMP_RESULT_DIFFERENT, NotJudged_KindDiffers, "pipe/file"},
        {"sock", COMP_RESULT_DIFFERENT, NotJudged_KindDiffers, "socket/file"},
        {"filevspipe", COMP_RESULT_DIFFERENT, NotJudged_KindDiffers, "file/pipe"},
        {"twopipes", COMP_RESULT_NOT_JUDGED, NotJudged_SpecialFile, nullptr},
        {"tofolder", COMP_RESULT_SAME, NotJudged_None, nullptr},
        {"dangling", COMP_RESULT_DIFFERENT, NotJudged_None, nullptr},
        {"loop", COMP_RESULT_SAME, NotJudged_None, nullptr},
        {"linkvsfile", COMP_RESULT_DIFFERENT, NotJudged_KindDiffers, "link/file"},
    };
    for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(mode);
        const auto out = run(request(t, mode));
        for (const Row &row : rows) {
            SCOPED_TRACE(row.name.constData());
            const COMP_ITEM *item = itemAt(out, row.name);
            ASSERT_TRUE(item);
            EXPECT_EQ(item->compareResult, row.verdict);
            EXPECT_EQ(item->customMultiPurposeInfo, row.reason);
            if (row.kinds) {
                EXPECT_EQ(CompItem_KindName(*item, 1) + '/' + CompItem_KindName(*item, 2),
                          QLatin1String(row.kinds));
            }
        }
    }
}

TEST(FolderCompare, ContentBelowAClashOrAnUnlistableFolderIsListedOnOneSide)
{
    const Tree t = freshTrees("onesided");
    write(t.left + "clash/inner.txt", "a");
    write(t.left + "clash/deep/x", "b");
    write(t.right + "clash", "a file");
    write(t.left + "reverse", "a file");
    write(t.right + "reverse/y", "c");
    // A folder whose path on the left is longer than the system takes, while the right one is
    // short: the right side's content is listed, the folder says why it is not judged.
    int fd = ::open(QFile::encodeName(t.left).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    QByteArray leftRoot = QFile::encodeName(t.left);
    while (leftRoot.size() < 3950) {
        const QByteArray longName(std::min<qsizetype>(250, 3950 - leftRoot.size()), 'n');
        ASSERT_EQ(::mkdirat(fd, longName.constData(), 0700), 0);
        const int next = ::openat(fd, longName.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
        leftRoot += longName + '/';
    }
    const QByteArray deepName = QByteArray(240, 'd');
    ASSERT_EQ(::mkdirat(fd, deepName.constData(), 0700), 0);
    ::close(fd);
    const QString rightRoot = pelkotest::freshDir(QStringLiteral("onesided-short")) + "/";
    write(rightRoot + QString::fromLatin1(deepName) + "/inside.txt", "r");
    write(rightRoot + QString::fromLatin1(deepName) + "/below/more.txt", "r");

    const auto v = verdicts(run(request(t, 3)));
    EXPECT_EQ(v.at("clash"), COMP_RESULT_DIFFERENT);
    EXPECT_EQ(v.at("clash/inner.txt"), COMP_RESULT_LEFT_ONLY);
    EXPECT_EQ(v.at("clash/deep"), COMP_RESULT_LEFT_ONLY);
    EXPECT_EQ(v.at("clash/deep/x"), COMP_RESULT_LEFT_ONLY);
    EXPECT_EQ(v.at("reverse"), COMP_RESULT_DIFFERENT);
    EXPECT_EQ(v.at("reverse/y"), COMP_RESULT_RIGHT_ONLY);

    auto info = FileListCompareInfo::create();
    info->mFolder1 = QString::fromLatin1(leftRoot);
    info->mFolder2 = rightRoot;
    const auto out = run(info);
    const COMP_ITEM *deep = itemAt(out, deepName);
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->compareResult, COMP_RESULT_NOT_JUDGED);
    EXPECT_EQ(deep->customMultiPurposeInfo, NotJudged_NameTooLong);
    // The left side of what lies below cannot be known: listed, not judged.
    for (const QByteArray below : {"/inside.txt", "/below", "/below/more.txt"}) {
        const COMP_ITEM *item = itemAt(out, deepName + below);
        ASSERT_TRUE(item) << below.constData();
        EXPECT_EQ(item->compareResult, COMP_RESULT_NOT_JUDGED) << below.constData();
        EXPECT_EQ(item->customMultiPurposeInfo, NotJudged_LeftFolderUnreadable);
    }
    // Judged again, the left side still cannot be looked up: still not judged.
    FolderCompareSettings settings;
    settings.request = info;
    const COMP_ITEM again = FolderCompare_JudgeAgain(
        settings, *itemAt(out, deepName + "/inside.txt"), leftRoot + deepName + '/',
        QFile::encodeName(rightRoot) + deepName + '/', nullptr);
    EXPECT_EQ(again.compareResult, COMP_RESULT_NOT_JUDGED);
    EXPECT_EQ(again.customMultiPurposeInfo, NotJudged_LeftFolderUnreadable);
    removeTree(AT_FDCWD, QFile::encodeName(t.left).constData());
}

TEST(FolderCompare, EntriesBelowAFolderOneSideCannotListAreNotJudged)
{
    // Root lists any folder: it runs the rows as the ordinary user.
    if (pelkotest::runningAsRoot()) {
        if (!pelkotest::canSwitchToOrdinaryUser())
            GTEST_SKIP() << "root lists any folder, and setpriv is missing";
        QByteArray output;
        EXPECT_TRUE(pelkotest::passesAsOrdinaryUser(
            QStringLiteral("FolderCompare.EntriesBelowAFolderOneSideCannotListAreNotJudged"),
            &output))
            << output.constData();
        return;
    }
    struct Row
    {
        const char *what;
        bool leftLocked;
        int mode;
    };
    const Row rows[] = {{"left locked, size and date", true, 0}, {"left locked, size", true, 1},
                        {"left locked, date", true, 2},          {"left locked, content", true, 3},
                        {"right locked, content", false, 3},     {"right locked, size", false, 1}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const Tree t = freshTrees("unseen");
        const QString locked = (row.leftLocked ? t.left : t.right) + "d";
        const QString seen = (row.leftLocked ? t.right : t.left) + "d/";
        QDir().mkpath(locked);
        write(locked + "/inner.txt", "hidden from us");
        write(seen + "inner.txt", "seen");
        write(seen + "sub/inner2.txt", "seen");
        write(t.left + "plain.txt", "1");
        write(t.right + "plain.txt", "1");
        ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
        const auto out = run(request(t, row.mode));
        const qint32 reason =
            row.leftLocked ? NotJudged_LeftFolderUnreadable : NotJudged_RightFolderUnreadable;
        for (const QByteArray path : {"d", "d/inner.txt", "d/sub", "d/sub/inner2.txt"}) {
            const COMP_ITEM *item = itemAt(out, path);
            ASSERT_TRUE(item) << path.constData();
            EXPECT_EQ(item->compareResult, COMP_RESULT_NOT_JUDGED) << path.constData();
            EXPECT_EQ(item->customMultiPurposeInfo, reason) << path.constData();
        }
        EXPECT_EQ(itemAt(out, "plain.txt")->compareResult, COMP_RESULT_SAME);
        EXPECT_EQ(CompItem_UnseenReasonText(reason, "/top/d"),
                  row.leftLocked ? QStringLiteral("Left folder unreadable: /top/d")
                                 : QStringLiteral("Right folder unreadable: /top/d"));

        // Judged again while the folder is still locked, the entry stays not judged; once it
        // opens, what is there decides.
        FolderCompareSettings s;
        s.request = request(t, row.mode);
        const COMP_ITEM *inner = itemAt(out, "d/inner.txt");
        const QByteArray l = QFile::encodeName(t.left + "d/"),
                         r = QFile::encodeName(t.right + "d/");
        const COMP_ITEM still = FolderCompare_JudgeAgain(s, *inner, l, r, nullptr);
        EXPECT_EQ(still.compareResult, COMP_RESULT_NOT_JUDGED);
        EXPECT_EQ(still.customMultiPurposeInfo, reason);
        ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0700), 0);
        const COMP_ITEM *sub = itemAt(out, "d/sub/inner2.txt");
        const COMP_ITEM opened = FolderCompare_JudgeAgain(s, *sub, l + "sub/", r + "sub/", nullptr);
        EXPECT_EQ(opened.compareResult,
                  row.leftLocked ? COMP_RESULT_RIGHT_ONLY : COMP_RESULT_LEFT_ONLY);
    }
}

// A folder this user may not list is judged by what the other side has there: nothing there
// makes it one-sided whatever it holds; only a folder on both sides needs its content.
TEST(FolderCompare, FoldersThisUserCannotListAreJudgedByWhatTheOtherSideHas)
{
    if (pelkotest::runningAsRoot()) {
        if (!pelkotest::canSwitchToOrdinaryUser())
            GTEST_SKIP() << "root lists any folder, and setpriv is missing";
        QByteArray output;
        EXPECT_TRUE(pelkotest::passesAsOrdinaryUser(
            QStringLiteral("FolderCompare.FoldersThisUserCannotListAreJudgedByWhatTheOtherSideHas"),
            &output))
            << output.constData();
        return;
    }
    struct Row
    {
        const char *what;
        int mode;
        bool locksLeft, locksRight; // of sub/only
        bool onLeft, onRight;       // where sub/only is
        int verdict;                // of sub/only
        qint32 reason;
        int sub; // the verdict of sub, which also holds a file judged the same
    };
    const Row rows[] = {
        {"right only, size and date", 0, false, true, false, true, COMP_RESULT_RIGHT_ONLY,
         NotJudged_FolderUnreadable, COMP_RESULT_DIFFERENT},
        {"right only, content", 3, false, true, false, true, COMP_RESULT_RIGHT_ONLY,
         NotJudged_FolderUnreadable, COMP_RESULT_DIFFERENT},
        {"left only, size", 1, true, false, true, false, COMP_RESULT_LEFT_ONLY,
         NotJudged_FolderUnreadable, COMP_RESULT_DIFFERENT},
        {"left only, date", 2, true, false, true, false, COMP_RESULT_LEFT_ONLY,
         NotJudged_FolderUnreadable, COMP_RESULT_DIFFERENT},
        {"both sides, both locked", 3, true, true, true, true, COMP_RESULT_NOT_JUDGED,
         NotJudged_BothFoldersUnreadable, COMP_RESULT_NOT_JUDGED},
        {"both sides, right locked", 0, false, true, true, true, COMP_RESULT_NOT_JUDGED,
         NotJudged_RightFolderUnreadable, COMP_RESULT_NOT_JUDGED},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const Tree t = freshTrees("onesidedlocked");
        write(t.left + "sub/same.txt", "1");
        write(t.right + "sub/same.txt", "1");
        if (row.onLeft)
            write(t.left + "sub/only/inner.txt", "l");
        if (row.onRight)
            write(t.right + "sub/only/inner.txt", "r");
        const QByteArray lockedLeft = QFile::encodeName(t.left + "sub/only");
        const QByteArray lockedRight = QFile::encodeName(t.right + "sub/only");
        if (row.locksLeft) {
            ASSERT_EQ(::chmod(lockedLeft.constData(), 0), 0);
        }
        if (row.locksRight) {
            ASSERT_EQ(::chmod(lockedRight.constData(), 0), 0);
        }
        const auto out = run(request(t, row.mode));
        const COMP_ITEM *only = itemAt(out, "sub/only");
        ASSERT_TRUE(only);
        EXPECT_EQ(only->compareResult, row.verdict);
        EXPECT_EQ(only->customMultiPurposeInfo, row.reason);
        EXPECT_EQ(itemAt(out, "sub/same.txt")->compareResult, COMP_RESULT_SAME);
        EXPECT_EQ(itemAt(out, "sub")->compareResult, row.sub);
        // Only a side that could be listed shows what it holds.
        const bool listed = (row.onLeft && !row.locksLeft) || (row.onRight && !row.locksRight);
        EXPECT_EQ(itemAt(out, "sub/only/inner.txt") != nullptr, listed);

        // Judged again while still locked, the row keeps its verdict and says the same.
        FolderCompareSettings s;
        s.request = request(t, row.mode);
        const COMP_ITEM again =
            FolderCompare_JudgeAgain(s, *only, QFile::encodeName(t.left + "sub/"),
                                     QFile::encodeName(t.right + "sub/"), nullptr);
        EXPECT_EQ(again.compareResult, row.verdict);
        EXPECT_EQ(again.customMultiPurposeInfo, row.reason);
        std::vector<COMP_ITEM> summed = out.items;
        ApplyFolderCompareUpdate(summed, again);
        CompItems_SumUpFolders(summed);
        EXPECT_EQ(summed[size_t(only->ID)].compareResult, row.verdict);
        ::chmod(lockedLeft.constData(), 0700);
        ::chmod(lockedRight.constData(), 0700);
    }
    EXPECT_EQ(CompItem_BothUnreadableText("/l/d", "/r/d"),
              QStringLiteral("Left and right folders unreadable: /l/d and /r/d"));

    // Below a folder the left side cannot list, a folder only the right lists is not known to
    // be one-sided, even when the right cannot list it either.
    const Tree t = freshTrees("unseenlocked");
    QDir().mkpath(t.left + "d");
    write(t.right + "d/deeper/x", "r");
    const QByteArray leftD = QFile::encodeName(t.left + "d"),
                     rightDeeper = QFile::encodeName(t.right + "d/deeper");
    ASSERT_EQ(::chmod(leftD.constData(), 0), 0);
    ASSERT_EQ(::chmod(rightDeeper.constData(), 0), 0);
    const auto out = run(request(t, 3));
    ::chmod(leftD.constData(), 0700);
    ::chmod(rightDeeper.constData(), 0700);
    for (const QByteArray path : {"d", "d/deeper"}) {
        const COMP_ITEM *item = itemAt(out, path);
        ASSERT_TRUE(item) << path.constData();
        EXPECT_EQ(item->compareResult, COMP_RESULT_NOT_JUDGED) << path.constData();
        EXPECT_EQ(item->customMultiPurposeInfo, NotJudged_LeftFolderUnreadable) << path.constData();
    }
}

TEST(FolderCompare, HiddenNamesLeftOutAreCountedOncePerName)
{
    const Tree t = freshTrees("hiddencount");
    write(t.left + ".both", "1");
    write(t.right + ".both", "2");
    write(t.left + ".leftonly", "1");
    write(t.right + ".folder/x", "1"); // its content is not walked: one entry
    write(t.left + "sub/.deep", "1");
    write(t.right + "sub/.deep", "1");
    write(t.left + "shown.txt", "1");
    write(t.right + "shown.txt", "1");
    const auto hidden = run(request(t, 3), true);
    EXPECT_EQ(hidden.hiddenLeftOut, 4);
    EXPECT_EQ(verdicts(hidden).size(), 2u); // shown.txt and sub
    const auto all = run(request(t, 3), false);
    EXPECT_EQ(all.hiddenLeftOut, 0);
    EXPECT_EQ(verdicts(all).size(), 7u);
}

TEST(FolderCompare, TopFoldersNamedWithoutUtf8AreCompared)
{
    const QByteArray base = QFile::encodeName(pelkotest::freshDir(QStringLiteral("bytes")));
    const QByteArray left = base + "/L\xe9"
                                   "ft/",
                     right = base + "/R\xff\xfe/";
    for (const QByteArray &side : {left, right}) {
        ASSERT_EQ(::mkdir(side.constData(), 0700), 0);
        const int fd = ::open((side + "a.txt").constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::write(fd, "same", 4), 4);
        ::close(fd);
        const struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
        ::utimensat(AT_FDCWD, (side + "a.txt").constData(), times, 0);
    }
    auto info = FileListCompareInfo::create();
    info->mFolder1 = LocalPath_FromBytes(left);
    info->mFolder2 = LocalPath_FromBytes(right);
    const auto out = run(info);
    EXPECT_TRUE(out.rootError.isEmpty()) << qPrintable(out.rootError);
    EXPECT_EQ(verdicts(out).at("a.txt"), COMP_RESULT_SAME);
    for (const QByteArray &side : {left, right}) // Qt's own clean-up cannot name these bytes
        removeTree(AT_FDCWD, side.constData());
}

TEST(LocalPath, EveryByteComesBackAndUtf8StaysText)
{
    struct Row
    {
        QByteArray bytes;
        bool text; // decodes to the same text as UTF-8 would
    };
    const Row rows[] = {
        {"/plain/ascii", true},
        {"/caf\xc3\xa9/\xe6\x97\xa5\xe6\x9c\xac", true},
        {"/emoji/\xf0\x9f\x98\x80", true},
        {"/latin1/caf\xe9", false},
        {"/cut/\xe6\x97", false},
        {"/overlong/\xc0\xaf", false},
        {"/surrogate/\xed\xa0\x80", false},
        {"/past/\xf4\x90\x80\x80", false},
        {"/mixed/\xff\xc3\xa9\x80\xf0\x9f\x98\x80\xfe", false},
        {"\x80\x81\xdc\x80", false},
        // A name may begin with the bytes of a byte-order mark; they stay its first character.
        {"\xef\xbb\xbf/bom", false},
        {"/after-escape/\xff\xef\xbb\xbfx", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.bytes.toHex().constData());
        const QString text = LocalPath_FromBytes(row.bytes);
        EXPECT_EQ(LocalPath_ToBytes(text), row.bytes);
        EXPECT_EQ(text == QString::fromUtf8(row.bytes), row.text);
    }
    // A real character written with a surrogate pair is never taken for an escaped byte.
    const QString pair = QString::fromUtf8("\xf0\x90\x80\x80");
    EXPECT_EQ(LocalPath_ToBytes(pair), QByteArray("\xf0\x90\x80\x80"));
}
