// The one way below a compared top folder: from the top held since the compare, one name at a
// time, no link followed, each folder the one the listing found; files opened only once judged
// regular; delete and trash from the folder the walk holds. Another user who owns the compared
// tree swaps its names for links to a private folder, once or over and over.
#include "compare/ComparedTree.h"
#include "platform/Trash.h"
#include "support/NameSwapper.h"
#include "support/OpenWatch.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kPublic("public bytes\n");
const QByteArray kSecret("SECRET bytes\n");
constexpr int kRounds = 150;
constexpr int kMaxRounds = 1000000;

QByteArray bytes(const QString &path)
{
    return QFile::encodeName(path);
}

JudgedFile identityOf(const QString &path)
{
    struct stat st
    {
    };
    EXPECT_EQ(::stat(bytes(path).constData(), &st), 0) << qPrintable(path);
    return TreeIdentity_Of(st);
}

void linkTo(const QString &target, const QString &at)
{
    ASSERT_EQ(::symlink(bytes(target).constData(), bytes(at).constData()), 0);
}

QByteArray readAll(int fd)
{
    QByteArray out(64, Qt::Uninitialized);
    const ssize_t n = fd >= 0 ? ::read(fd, out.data(), size_t(out.size())) : -1;
    out.truncate(int(qMax<ssize_t>(n, 0)));
    return out;
}

// A compared tree "share" (sub/x, sub/dir/y) and a private folder of the same shape, 0700 with
// 0600 files, as another user's would be.
struct Trees
{
    QString base, share, secret;
};

Trees makeTrees(const char *hint)
{
    Trees t;
    t.base = QFileInfo(pelkotest::freshDir(QString::fromLatin1(hint))).canonicalFilePath();
    t.share = t.base + "/share";
    t.secret = t.base + "/secret";
    for (const QString &top : {t.share, t.secret}) {
        const QByteArray content = top == t.share ? kPublic : kSecret;
        EXPECT_TRUE(pelkotest::writeFile(top + "/sub/x", content));
        EXPECT_TRUE(pelkotest::writeFile(top + "/sub/dir/y", content));
    }
    EXPECT_EQ(::chmod(bytes(t.secret + "/sub/x").constData(), 0600), 0);
    EXPECT_EQ(::chmod(bytes(t.secret).constData(), 0700), 0);
    return t;
}

// The route to sub/NAME as the listing records it: sub's identity, then the entry.
TreeRoute routeTo(const Trees &t, const QByteArray &name, bool folder = false)
{
    TreeStep sub{"sub", identityOf(t.share + "/sub"), true};
    TreeStep entry{name, {}, folder};
    const QString path = t.share + "/sub/" + QString::fromUtf8(name);
    if (QFileInfo::exists(path))
        entry.judged = identityOf(path);
    return {sub, entry};
}

} // namespace

TEST(ComparedTree, WalksKeepToTheFoldersTheListingFound)
{
    struct Row
    {
        const char *name;
        // Changes the trees after the listing recorded the route.
        std::function<void(const Trees &)> change;
        TreeFailure failure;
    };
    const auto swapForLink = [](const Trees &t) {
        ASSERT_TRUE(QDir().rename(t.share + "/sub", t.share + "/sub.real"));
        linkTo(t.secret + "/sub", t.share + "/sub");
    };
    const Row rows[] = {
        {"nothing changed", [](const Trees &) {}, TreeFailure::None},
        {"a folder on the way swapped for a link", swapForLink, TreeFailure::NotAsJudged},
        {"a folder on the way replaced by another folder",
         [](const Trees &t) {
             ASSERT_TRUE(QDir().rename(t.share + "/sub", t.share + "/sub.old"));
             ASSERT_TRUE(pelkotest::writeFile(t.share + "/sub/x", kSecret));
         },
         TreeFailure::NotAsJudged},
        {"a file where a folder was",
         [](const Trees &t) {
             ASSERT_TRUE(QDir().rename(t.share + "/sub", t.share + "/sub.old"));
             ASSERT_TRUE(pelkotest::writeFile(t.share + "/sub", kSecret));
         },
         TreeFailure::NotAsJudged},
        {"a folder on the way gone",
         [](const Trees &t) { ASSERT_TRUE(QDir().rename(t.share + "/sub", t.share + "/sub.old")); },
         TreeFailure::Gone},
        // The top is held: its name leading elsewhere now changes nothing.
        {"the top's name swapped for a link",
         [](const Trees &t) {
             ASSERT_TRUE(QDir().rename(t.share, t.share + ".real"));
             linkTo(t.secret, t.share);
         },
         TreeFailure::None},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Trees t = makeTrees("walks");
        const ComparedTreePtr tree = ComparedTree::open(bytes(t.share));
        ASSERT_TRUE(tree);
        const TreeRoute route = routeTo(t, "x");
        row.change(t);
        TreeFailure why = TreeFailure::None;
        const platform::UniqueFd file = tree->openFile(route, &why);
        EXPECT_EQ(why, row.failure);
        EXPECT_EQ(readAll(file.get()), row.failure == TreeFailure::None ? kPublic : QByteArray());
        const platform::UniqueFd folder = tree->openFolderToList(route, 1, &why);
        EXPECT_EQ(folder.isOpen(), row.failure == TreeFailure::None);
    }

    // Without an identity recorded (a path given as text) only links are refused.
    const Trees t = makeTrees("walks-text");
    const ComparedTreePtr tree = ComparedTree::open(bytes(t.share));
    ASSERT_TRUE(QDir().rename(t.share + "/sub", t.share + "/sub.old"));
    ASSERT_TRUE(pelkotest::writeFile(t.share + "/sub/x", "another\n"));
    EXPECT_EQ(readAll(tree->openFile(TreeRoute_FromPath("sub/x")).get()), "another\n");
    ASSERT_TRUE(QDir().rename(t.share + "/sub", t.share + "/sub.another"));
    linkTo(t.secret + "/sub", t.share + "/sub");
    TreeFailure why = TreeFailure::None;
    EXPECT_FALSE(tree->openFile(TreeRoute_FromPath("sub/x"), &why).isOpen());
    EXPECT_EQ(why, TreeFailure::NotAsJudged);
    // A path longer than the system takes is refused as such, though a walk could reach it.
    TreeRoute deep;
    for (int k = 0; k < 20; ++k)
        deep.push_back({QByteArray(250, 'n'), {}, true});
    EXPECT_FALSE(tree->openFolder(deep, deep.size(), &why).isOpen());
    EXPECT_EQ(why, TreeFailure::NameTooLong);
    EXPECT_FALSE(ComparedTree::open(bytes(t.share + "/sub/x")));
}

TEST(ComparedTree, AFileIsOpenedOnlyAsTheFileJudged)
{
    const Trees t = makeTrees("files");
    const ComparedTreePtr tree = ComparedTree::open(bytes(t.share));
    ASSERT_TRUE(pelkotest::writeFile(t.share + "/sub/other", kPublic));
    linkTo(t.share + "/sub/x", t.share + "/sub/link-to-x");
    ASSERT_EQ(::mkfifo(bytes(t.share + "/sub/pipe").constData(), 0644), 0);

    struct Row
    {
        const char *name;
        QByteArray entry;
        JudgedFile judged;
        TreeFailure failure;
    };
    JudgedFile viaLink = identityOf(t.share + "/sub/x");
    viaLink.viaLink = true;
    const Row rows[] = {
        {"the file judged", "x", identityOf(t.share + "/sub/x"), TreeFailure::None},
        {"another file in its place", "other", identityOf(t.share + "/sub/x"),
         TreeFailure::NotAsJudged},
        {"a link the listing followed", "link-to-x", viaLink, TreeFailure::None},
        {"a link the listing did not see", "link-to-x", identityOf(t.share + "/sub/x"),
         TreeFailure::NotAsJudged},
        {"a pipe where a file was judged", "pipe", identityOf(t.share + "/sub/x"),
         TreeFailure::NotAsJudged},
        {"a pipe, nothing judged", "pipe", {}, TreeFailure::NotRegular},
    };
    pelkotest::OpenWatch pipeOpens(t.share + "/sub/pipe");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TreeRoute route = routeTo(t, row.entry);
        route.back().judged = row.judged;
        TreeFailure why = TreeFailure::None;
        const platform::UniqueFd file = tree->openFile(route, &why);
        EXPECT_EQ(why, row.failure);
        EXPECT_EQ(file.isOpen(), row.failure == TreeFailure::None);
    }
    EXPECT_EQ(pipeOpens.opens(), 0);
}

TEST(ComparedTree, DeleteTakesOnlyWhatTheListingFound)
{
    struct Row
    {
        const char *name;
        QByteArray entry;
        bool folder;
        std::function<void(const Trees &)> change;
        TreeFailure failure;
    };
    const auto none = [](const Trees &) {};
    const Row rows[] = {
        {"a file", "x", false, none, TreeFailure::None},
        {"a folder with a link inside to the private folder", "dir", true,
         [](const Trees &t) { linkTo(t.secret + "/sub", t.share + "/sub/dir/link"); },
         TreeFailure::None},
        {"a file whose folder was swapped for a link", "x", false,
         [](const Trees &t) {
             ASSERT_TRUE(QDir().rename(t.share + "/sub", t.share + "/sub.real"));
             linkTo(t.secret + "/sub", t.share + "/sub");
         },
         TreeFailure::NotAsJudged},
        {"a folder swapped for a link", "dir", true,
         [](const Trees &t) {
             ASSERT_TRUE(QDir().rename(t.share + "/sub/dir", t.share + "/sub/dir.real"));
             linkTo(t.secret + "/sub/dir", t.share + "/sub/dir");
         },
         TreeFailure::NotAsJudged},
        {"a folder replaced by another", "dir", true,
         [](const Trees &t) {
             ASSERT_TRUE(QDir().rename(t.share + "/sub/dir", t.share + "/sub/dir.real"));
             ASSERT_TRUE(pelkotest::writeFile(t.share + "/sub/dir/y", kPublic));
         },
         TreeFailure::NotAsJudged},
        {"a folder where a file was", "x", false,
         [](const Trees &t) {
             ASSERT_TRUE(QFile::remove(t.share + "/sub/x"));
             ASSERT_TRUE(pelkotest::writeFile(t.share + "/sub/x/z", kPublic));
         },
         TreeFailure::NotAsJudged},
        {"gone", "x", false, [](const Trees &t) { QFile::remove(t.share + "/sub/x"); },
         TreeFailure::Gone},
    };
    for (const bool trash : {false, true}) {
        for (const Row &row : rows) {
            SCOPED_TRACE(std::string(row.name) + (trash ? " (trash)" : " (delete)"));
            const Trees t = makeTrees("delete");
            const ComparedTreePtr tree = ComparedTree::open(bytes(t.share));
            const TreeRoute route = routeTo(t, row.entry, row.folder);
            row.change(t);
            const QString path = t.share + "/sub/" + QString::fromUtf8(row.entry);
            struct stat before
            {
            };
            const bool there = ::lstat(bytes(path).constData(), &before) == 0;
            TreeFailure why = TreeFailure::None;
            const bool done = trash ? tree->moveToTrash(route, &why) : tree->remove(route, &why);
            EXPECT_EQ(done, row.failure == TreeFailure::None);
            EXPECT_EQ(why, row.failure);
            struct stat after
            {
            };
            const bool still = ::lstat(bytes(path).constData(), &after) == 0;
            EXPECT_EQ(still, there && !done);
            // The private folder keeps everything, whatever stood in the way.
            EXPECT_EQ(pelkotest::readFile(t.secret + "/sub/x"), kSecret);
            EXPECT_EQ(pelkotest::readFile(t.secret + "/sub/dir/y"), kSecret);
        }
    }
}

// Another user exchanges the compared folder "sub" with a link to the private folder, over and
// over, while the files below it are deleted and trashed one by one: nothing of the private
// folder goes, and the files of the compared folder go whenever the name is in place.
TEST(ComparedTreeSwaps, DeleteAndTrashNeverReachThroughAFolderSwappedForALink)
{
    for (const bool trash : {false, true}) {
        SCOPED_TRACE(trash ? "trash" : "delete");
        const Trees t = makeTrees(trash ? "swaptrash" : "swapdelete");
        const ComparedTreePtr tree = ComparedTree::open(bytes(t.share));
        linkTo(t.secret + "/sub", t.share + "/sub.alt");
        const TreeRoute route = routeTo(t, "x");
        const platform::UniqueFd sub(::open(bytes(t.share + "/sub").constData(), O_PATH));
        const platform::UniqueFd secret(::open(bytes(t.secret + "/sub").constData(), O_PATH));
        int removed = 0, refused = 0, leaked = 0;
        {
            pelkotest::NameSwapper swapper(t.share + "/sub", t.share + "/sub.alt",
                                           t.secret + "/sub");
            // The fixed rounds, then on until both names were met in place (the swapper's thread
            // may have been held up by a busy machine).
            for (int round = 0;
                 round < kRounds || ((removed == 0 || refused == 0) && round < kMaxRounds);
                 ++round) {
                // The compared file is made again where the compared folder is now.
                const platform::UniqueFd made(
                    ::openat(sub.get(), "x", O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
                const bool done = trash ? tree->moveToTrash(route) : tree->remove(route);
                removed += done ? 1 : 0;
                refused += done ? 0 : 1;
                struct stat st
                {
                };
                if (::fstatat(secret.get(), "x", &st, AT_SYMLINK_NOFOLLOW) != 0) {
                    ++leaked;
                    ASSERT_TRUE(pelkotest::writeFile(t.secret + "/sub/x", kSecret));
                }
            }
        }
        EXPECT_EQ(leaked, 0) << "private files removed in " << kRounds << " rounds";
        EXPECT_GT(removed, 0);
        EXPECT_GT(refused, 0);
    }
}
