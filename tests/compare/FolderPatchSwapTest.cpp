// Folder patches and content compares of trees whose names another user's process changes after
// the compare judged them: whatever is read is the file the compare judged, or nothing. A file
// behind a link swapped in (here a 0600 file in a 0700 folder, as another user's would be) never
// reaches a patch or a verdict.
#include "compare/FolderCompareJob.h"
#include "compare/PatchDiffRunner.h"
#include "support/NameSwapper.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// All of one length, so that size alone tells nothing apart.
const QByteArray kSecret("SECRET line\n");
const QByteArray kLeft("public left\n");
const QByteArray kRight("public rite\n");
constexpr int kRounds = 150;
constexpr qint64 kTime = 1700000000;

QByteArray bytes(const QString &path)
{
    return QFile::encodeName(path);
}

void write(const QString &path, const QByteArray &content, qint64 seconds = kTime)
{
    ASSERT_TRUE(pelkotest::writeFile(path, content));
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, bytes(path).constData(), times, 0), 0);
}

void linkTo(const QString &target, const QString &at)
{
    ASSERT_EQ(::symlink(bytes(target).constData(), bytes(at).constData()), 0);
}

struct Trees
{
    QString base, left, right, secret;
};

// Two trees to compare and a private folder holding the file "x" that only its owner may read.
Trees makeTrees(const char *hint, qint64 secretTime = kTime)
{
    Trees t;
    t.base = pelkotest::freshDir(QString::fromLatin1(hint));
    t.left = t.base + "/L/";
    t.right = t.base + "/R/";
    t.secret = t.base + "/secret/";
    EXPECT_TRUE(QDir().mkpath(t.left) && QDir().mkpath(t.right));
    write(t.secret + "x", kSecret, secretTime);
    EXPECT_EQ(::chmod(bytes(t.secret + "x").constData(), 0600), 0);
    EXPECT_EQ(::chmod(bytes(t.secret).constData(), 0700), 0);
    return t;
}

FolderCompareOutcome compare(const Trees &t, int mode)
{
    auto info = FileListCompareInfo::create();
    info->mFolder1 = t.left;
    info->mFolder2 = t.right;
    info->folder_compare_Mode = mode;
    FolderCompareSettings s;
    s.request = std::move(info);
    s.textExtensions = {QStringLiteral("txt")};
    return CompareFoldersAndWait(s);
}

const COMP_ITEM *entry(const FolderCompareOutcome &out, const QByteArray &relative)
{
    for (const COMP_ITEM &item : out.items)
        if (CompItems_RelativePath(out.items, item.ID) == relative)
            return &item;
    return nullptr;
}

// The pairs the folder window puts into a patch: files on both sides judged different.
std::vector<PatchPair> patchPairs(const FolderCompareOutcome &out, const Trees &t)
{
    std::vector<PatchPair> pairs;
    for (const COMP_ITEM &item : out.items)
        if (item.compareResult == COMP_RESULT_DIFFERENT && item.kind1 == Side_File &&
            item.kind2 == Side_File)
            pairs.push_back(PatchPair_FromEntry(item, CompItems_RelativePath(out.items, item.ID),
                                                t.left, t.right));
    std::sort(pairs.begin(), pairs.end(), [](const PatchPair &a, const PatchPair &b) {
        return a.relativePath < b.relativePath;
    });
    return pairs;
}

} // namespace

// Another user swaps the compared file "x" and a link to the private file, over and over, while
// the compare and the patch run: the patch holds the compared file's lines or leaves "x" out
// with its reason, never the private file's line.
TEST(FolderPatch, PatchesRacingASwappedLinkNeverHoldItsTarget)
{
    // The private file's time differs from the right side's, so a link seen by the compare is
    // judged different and offered to the patch too.
    const Trees t = makeTrees("patchswap", kTime + 200);
    write(t.left + "x", kLeft);
    write(t.right + "x", kRight, kTime + 100);
    write(t.left + "y", "y one\n");
    write(t.right + "y", "y two\n", kTime + 100);
    linkTo(t.secret + "x", t.left + "x.alt");
    const QString patchPath = t.base + "/out.patch";
    int leaked = 0, patched = 0, leftOut = 0;
    {
        pelkotest::NameSwapper swapper(t.left + "x", t.left + "x.alt", t.secret + "x");
        for (int round = 0; round < kRounds; ++round) {
            const FolderCompareOutcome out = compare(t, 0);
            std::vector<PatchLeftOut> notInPatch;
            QString error;
            ASSERT_TRUE(
                WriteFolderPatch(patchPairs(out, t), {}, patchPath, nullptr, &error, &notInPatch))
                << error.toStdString();
            const QByteArray text = pelkotest::readFile(patchPath);
            leaked += text.contains("SECRET") ? 1 : 0;
            patched += text.contains("Index: x\n") ? 1 : 0;
            leftOut += int(notInPatch.size());
            // The ordinary pair beside it is always there.
            ASSERT_TRUE(text.contains("Index: y\n1c1\n< y one\n---\n> y two\n")) << text.data();
            for (const PatchLeftOut &entry : notInPatch)
                EXPECT_EQ(entry.relativePath, QStringLiteral("x"));
        }
    }
    EXPECT_EQ(leaked, 0) << "patches holding the private file's line in " << kRounds << " rounds";
    EXPECT_GT(patched + leftOut, 0);
}

// After the compare, names are swapped for links or other files, and a folder on the way for a
// link: each such pair is left out and said why, while a file edited in place (the same file) and
// the untouched pairs are patched as ever.
TEST(FolderPatch, EntriesNoLongerAsTheCompareJudgedThemAreLeftOutWithTheirReason)
{
    const Trees t = makeTrees("patchjudged");
    struct Row
    {
        const char *name;
        const char *left, *right; // relative paths of the pair
        // Run after the compare; nullptr leaves the pair as it was.
        void (*change)(const Trees &);
        bool inPatch;
        PatchLeftOut::Reason reason;
    };
    const Row rows[] = {
        {"left name swapped for a link", "a.txt", "a.txt",
         [](const Trees &t) {
             ASSERT_EQ(::unlink(bytes(t.left + "a.txt").constData()), 0);
             linkTo(t.secret + "x", t.left + "a.txt");
         },
         false, PatchLeftOut::NotAsJudged},
        {"left file replaced by another file", "b.txt", "b.txt",
         [](const Trees &t) {
             write(t.left + "b.new", "another\n");
             ASSERT_EQ(
                 ::rename(bytes(t.left + "b.new").constData(), bytes(t.left + "b.txt").constData()),
                 0);
         },
         false, PatchLeftOut::NotAsJudged},
        {"folder on the way swapped for a link", "dir/c.txt", "dir/c.txt",
         [](const Trees &t) {
             ASSERT_TRUE(QDir().mkpath(t.base + "/other"));
             write(t.base + "/other/c.txt", kSecret);
             ASSERT_EQ(
                 ::rename(bytes(t.left + "dir").constData(), bytes(t.left + "dir.old").constData()),
                 0);
             linkTo(t.base + "/other", t.left + "dir");
         },
         false, PatchLeftOut::NotAsJudged},
        {"a link when compared", "e.txt", "e.txt", nullptr, false, PatchLeftOut::Link},
        {"edited in place since", "f.txt", "f.txt",
         [](const Trees &t) {
             QFile file(t.left + "f.txt");
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write("f edited\n");
         },
         true, PatchLeftOut::LineBreak},
        {"untouched", "g.txt", "g.txt", nullptr, true, PatchLeftOut::LineBreak},
        {"right name swapped for a link", "h.txt", "h.txt",
         [](const Trees &t) {
             ASSERT_EQ(::unlink(bytes(t.right + "h.txt").constData()), 0);
             linkTo(t.secret + "x", t.right + "h.txt");
         },
         false, PatchLeftOut::NotAsJudged},
    };
    for (const Row &row : rows) {
        const QString rel = QString::fromLatin1(row.left);
        write(t.left + rel, rel.toLatin1() + " left\n");
        write(t.right + rel, rel.toLatin1() + " right\n", kTime + 100);
    }
    // e.txt on the left is a link to a file of the left tree.
    ASSERT_EQ(::rename(bytes(t.left + "e.txt").constData(), bytes(t.left + "e.target").constData()),
              0);
    linkTo(t.left + "e.target", t.left + "e.txt");

    const FolderCompareOutcome out = compare(t, 0);
    for (const Row &row : rows) {
        const COMP_ITEM *item = entry(out, row.left);
        ASSERT_TRUE(item) << row.name;
        ASSERT_EQ(item->compareResult, COMP_RESULT_DIFFERENT) << row.name;
    }
    for (const Row &row : rows)
        if (row.change)
            row.change(t);

    const QString patchPath = t.base + "/out.patch";
    std::vector<PatchLeftOut> notInPatch;
    QString error;
    ASSERT_TRUE(WriteFolderPatch(patchPairs(out, t), {}, patchPath, nullptr, &error, &notInPatch))
        << error.toStdString();
    const QByteArray text = pelkotest::readFile(patchPath);
    EXPECT_FALSE(text.contains("SECRET")) << text.data();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString rel = QString::fromLatin1(row.left);
        EXPECT_EQ(text.contains("Index: " + rel.toLatin1() + '\n'), row.inPatch);
        const auto found =
            std::find_if(notInPatch.begin(), notInPatch.end(),
                         [&](const PatchLeftOut &entry) { return entry.relativePath == rel; });
        ASSERT_EQ(found != notInPatch.end(), !row.inPatch);
        if (!row.inPatch) {
            EXPECT_EQ(found->reason, row.reason);
        }
    }
    EXPECT_TRUE(text.contains("Index: f.txt\n1c1\n< f edited\n---\n> f.txt right\n"))
        << text.data();
}

// The content compare reads the file the listing judged: a name swapped for a link to a private
// file of the very content of the other side after it was listed as a file is never read through
// (it would make the pair "same"). A link the compare saw there and followed is judged by its
// target, as any link to a file.
TEST(FolderContentCompare, ALinkSwappedInAfterTheListingIsNeverRead)
{
    const Trees t = makeTrees("contentswap");
    write(t.left + "x", kLeft);
    write(t.right + "x", kSecret); // what the private file holds; size and time alike
    linkTo(t.secret + "x", t.left + "x.alt");
    int readThroughSwap = 0, sameAsLink = 0, different = 0;
    {
        pelkotest::NameSwapper swapper(t.left + "x", t.left + "x.alt", t.secret + "x");
        for (int round = 0; round < kRounds; ++round) {
            const FolderCompareOutcome out = compare(t, 3);
            const COMP_ITEM *item = entry(out, "x");
            ASSERT_TRUE(item);
            if (item->compareResult == COMP_RESULT_SAME && !item->judged1.viaLink)
                ++readThroughSwap;
            else if (item->compareResult == COMP_RESULT_SAME)
                ++sameAsLink;
            else if (item->compareResult == COMP_RESULT_DIFFERENT)
                ++different;
        }
    }
    EXPECT_EQ(readThroughSwap, 0) << "files judged by a link's target in " << kRounds
                                  << " rounds (same " << sameAsLink << ", different " << different
                                  << ")";
    EXPECT_GT(different, 0);
}

// A folder of the compared tree swapped for a link to a private folder while the compare walks
// below it: nothing of the private folder is listed (its folder is not the one judged), and the
// entries below the real folder are listed or reported as not read.
TEST(FolderCompareSwaps, AFolderOnTheWaySwappedForALinkIsNeverListed)
{
    const Trees t = makeTrees("folderswap");
    for (const QString &side : {t.left, t.right})
        write(side + "a/b/x", kLeft);
    const QString hidden = t.secret + "a/";
    write(hidden + "b/private-name", kSecret);
    ASSERT_EQ(::chmod(bytes(hidden + "b").constData(), 0700), 0);
    linkTo(hidden, t.left + "a.alt");
    int listed = 0, seen = 0;
    {
        pelkotest::NameSwapper swapper(t.left + "a", t.left + "a.alt", hidden);
        for (int round = 0; round < kRounds; ++round) {
            const FolderCompareOutcome out = compare(t, 3);
            listed += entry(out, "a/b/private-name") || entry(out, "a.alt/b/private-name") ? 1 : 0;
            seen += entry(out, "a/b/x") ? 1 : 0;
        }
    }
    EXPECT_EQ(listed, 0) << "compares listing the private folder in " << kRounds << " rounds";
    EXPECT_GT(seen, 0);
}

// An entry judged again (after a copy, or when a window says it changed) whose folder was swapped
// for a link to a private folder since the compare: nothing there is looked at or read.
TEST(FolderCompareSwaps, JudgingAgainNeverLooksThroughAFolderSwappedForALink)
{
    const Trees t = makeTrees("judgeagainswap");
    write(t.left + "a/x", kLeft);
    write(t.right + "a/x", kSecret); // what the private file holds, size and time alike
    const FolderCompareOutcome out = compare(t, 3);
    const COMP_ITEM *item = entry(out, "a/x");
    ASSERT_TRUE(item);
    ASSERT_EQ(item->compareResult, COMP_RESULT_DIFFERENT);

    const QString hidden = t.secret + "a/";
    write(hidden + "x", kSecret);
    ASSERT_EQ(::chmod(bytes(hidden).constData(), 0700), 0);
    ASSERT_EQ(::rename(bytes(t.left + "a").constData(), bytes(t.left + "a.old").constData()), 0);
    linkTo(hidden, t.left + "a");

    FolderCompareSettings s;
    auto info = FileListCompareInfo::create();
    info->mFolder1 = t.left;
    info->mFolder2 = t.right;
    info->folder_compare_Mode = 3;
    s.request = info;
    const COMP_ITEM again =
        FolderCompare_JudgeAgain(s, *item, bytes(t.left + "a/"), bytes(t.right + "a/"), nullptr);
    EXPECT_NE(again.compareResult, COMP_RESULT_SAME);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(bytes(hidden + "x").constData(), &st), 0);
    EXPECT_FALSE(again.judged1.known && again.judged1.ino == quint64(st.st_ino));
    EXPECT_EQ(again.customMultiPurposeInfo, NotJudged_ChangedWhileRead);
}
