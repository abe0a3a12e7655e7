// Copies from a source side whose names a second thread swaps, as another user's process would,
// for as long as a fixed number of copies run: whatever stands at a name when the copy looks at
// it is what the copy reads, or the copy refuses it and names the entry. No copy ever holds the
// bytes of a file behind a link swapped in.
#include "compare/FolderCopy.h"
#include "platform/PrivateFiles.h"
#include "platform/UniqueFd.h"
#include "support/OpenWatch.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cstdio> // renameat2
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

QByteArray bytes(const QString &path)
{
    return QFile::encodeName(path);
}

// All of one length, so that a swap for another file of the same size can be tried too.
const QByteArray kPublic("public bytes\n");
const QByteArray kSecret("SECRET bytes\n");
constexpr int kRounds = 200;

// Exchanges two names of a folder, over and over, from its own thread until it is stopped.
class NameSwapper
{
public:
    NameSwapper(const QString &folder, const QByteArray &a, const QByteArray &b)
        : mFolder(::open(bytes(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        std::promise<void> started;
        std::future<void> first = started.get_future();
        mThread = std::thread([this, a, b, started = std::move(started)]() mutable {
            bool told = false;
            while (!mStop.load()) {
                if (::renameat2(mFolder.get(), a.constData(), mFolder.get(), b.constData(),
                                RENAME_EXCHANGE) != 0)
                    break;
                ++mSwaps;
                if (!told) {
                    started.set_value();
                    told = true;
                }
            }
            if (!told)
                started.set_value();
        });
        first.wait();
    }
    ~NameSwapper() { stop(); }
    NameSwapper(const NameSwapper &) = delete;
    NameSwapper &operator=(const NameSwapper &) = delete;

    // The number of swaps made.
    int stop()
    {
        mStop = true;
        if (mThread.joinable())
            mThread.join();
        return mSwaps;
    }

private:
    platform::UniqueFd mFolder;
    std::thread mThread;
    std::atomic<bool> mStop{false};
    int mSwaps = 0;
};

struct stat lstatOf(const QString &path)
{
    struct stat st
    {
    };
    ::lstat(bytes(path).constData(), &st);
    return st;
}

// The regular files below folder, reached without following a link.
QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (S_ISREG(lstatOf(path).st_mode))
            files << path;
    }
    return files;
}

QByteArray contentNoFollow(const QString &path)
{
    const platform::UniqueFd fd(::open(bytes(path).constData(), O_RDONLY | O_NOFOLLOW));
    QByteArray content(64, Qt::Uninitialized);
    const ssize_t n = fd.isOpen() ? ::read(fd.get(), content.data(), size_t(content.size())) : -1;
    content.truncate(int(qMax<ssize_t>(n, 0)));
    return content;
}

void makeSocket(const QString &path)
{
    const platform::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = bytes(path);
    ASSERT_LT(size_t(name.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    ASSERT_EQ(::bind(fd.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
}

} // namespace

TEST(FolderCopySwaps, NoCopyHoldsWhatALinkSwappedInLeadsTo)
{
    struct Row
    {
        const char *name;
        // Given the source folder and the secret folder: makes the names to swap.
        std::function<void(const QString &, const QString &)> prepare;
        const char *swapIn; // the folder below the source whose names are swapped
        const char *a, *b;
        const char *entry; // what is copied, below the source and the target alike
    };
    const auto linkTo = [](const QString &target, const QString &at) {
        ASSERT_EQ(::symlink(bytes(target).constData(), bytes(at).constData()), 0);
    };
    const Row rows[] = {
        {"a file swapped for a link to a file",
         [&](const QString &src, const QString &secret) {
             ASSERT_TRUE(pelkotest::writeFile(src + "/x", kPublic));
             linkTo(secret + "/x", src + "/x.alt");
         },
         "", "x", "x.alt", "x"},
        {"a folder on the way swapped for a link to a folder",
         [&](const QString &src, const QString &secret) {
             ASSERT_TRUE(pelkotest::writeFile(src + "/dir/x", kPublic));
             linkTo(secret, src + "/dir.alt");
         },
         "", "dir", "dir.alt", "dir/x"},
        {"the copied folder swapped for a link to a folder",
         [&](const QString &src, const QString &secret) {
             ASSERT_TRUE(pelkotest::writeFile(src + "/dir/x", kPublic));
             linkTo(secret, src + "/dir.alt");
         },
         "", "dir", "dir.alt", "dir"},
        {"a sub-folder swapped for a link while its folder is walked",
         [&](const QString &src, const QString &secret) {
             ASSERT_TRUE(pelkotest::writeFile(src + "/top/a", kPublic));
             ASSERT_TRUE(pelkotest::writeFile(src + "/top/sub/x", kPublic));
             linkTo(secret, src + "/top/sub.alt");
         },
         "top", "sub", "sub.alt", "top"},
        {"a file swapped for a pipe",
         [&](const QString &src, const QString &) {
             ASSERT_TRUE(pelkotest::writeFile(src + "/x", kPublic));
             ASSERT_EQ(::mkfifo(bytes(src + "/x.alt").constData(), 0644), 0);
         },
         "", "x", "x.alt", "x"},
        {"a file swapped for a socket",
         [&](const QString &src, const QString &) {
             ASSERT_TRUE(pelkotest::writeFile(src + "/x", kPublic));
             makeSocket(src + "/x.alt");
         },
         "", "x", "x.alt", "x"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString base = pelkotest::freshDir(QStringLiteral("swaps"));
        const QString src = base + "/src", dst = base + "/dst", secret = base + "/secret";
        ASSERT_TRUE(QDir().mkpath(src) && QDir().mkpath(dst));
        ASSERT_TRUE(pelkotest::writeFile(secret + "/x", kSecret));
        ASSERT_EQ(::chmod(bytes(secret + "/x").constData(), 0600), 0);
        ASSERT_EQ(::chmod(bytes(secret).constData(), 0700), 0);
        row.prepare(src, secret);

        QStringList refused;
        const auto collect = [&](const QByteArray &path, const QString &reason) {
            refused << QFile::decodeName(path) + QStringLiteral(": ") + reason;
            return true;
        };
        int leaked = 0;
        // What is swapped in (a pipe, or the file behind a link) is never even opened.
        pelkotest::OpenWatch swappedIn(src + '/' + row.swapIn + '/' + row.b);
        NameSwapper swapper(src + '/' + row.swapIn, row.a, row.b);
        for (int round = 0; round < kRounds; ++round) {
            // A link copied as a link in one round would be refused as a target in the next.
            ASSERT_TRUE(platform::RemoveTreeNoFollow(dst) && QDir().mkpath(dst));
            const CopyOutcome outcome =
                CopyEntry(FolderEntry{bytes(src), row.entry}, FolderEntry{bytes(dst), row.entry},
                          nullptr, collect);
            ASSERT_NE(outcome, CopyOutcome::Cancelled);
            const QStringList copied = filesBelow(dst);
            leaked += int(std::count_if(copied.begin(), copied.end(), [](const QString &file) {
                return contentNoFollow(file) == kSecret;
            }));
        }
        EXPECT_GT(swapper.stop(), 0);
        EXPECT_EQ(leaked, 0) << "copies holding the linked file's bytes in " << kRounds
                             << " rounds";
        if (swappedIn.isWatching()) {
            EXPECT_EQ(swappedIn.opens(), 0) << "opens of what was swapped in";
        }
        // Every refusal names an entry of the source.
        for (const QString &line : refused)
            EXPECT_TRUE(line.startsWith(src + '/')) << qPrintable(line);
    }
}

// A file swapped for another regular file (here a second name of the secret one, of the same size
// and with its own mode and time): a copy holds one file whole, with that file's own mode and time,
// never one file's bytes under the other's mode.
TEST(FolderCopySwaps, AFileSwappedForAnotherOfTheSameSizeIsCopiedWholeOrRefused)
{
    const QString base = pelkotest::freshDir(QStringLiteral("sameswap"));
    const QString src = base + "/src", dst = base + "/dst", secret = base + "/secret";
    ASSERT_TRUE(QDir().mkpath(src) && QDir().mkpath(dst));
    ASSERT_TRUE(pelkotest::writeFile(src + "/x", kPublic));
    ASSERT_TRUE(pelkotest::writeFile(secret + "/x", kSecret));
    ASSERT_EQ(::chmod(bytes(src + "/x").constData(), 0644), 0);
    ASSERT_EQ(::chmod(bytes(secret + "/x").constData(), 0600), 0);
    const struct timespec publicTime[2] = {{1600000000, 0}, {1600000000, 0}};
    const struct timespec secretTime[2] = {{1700000000, 0}, {1700000000, 0}};
    ::utimensat(AT_FDCWD, bytes(src + "/x").constData(), publicTime, 0);
    ::utimensat(AT_FDCWD, bytes(secret + "/x").constData(), secretTime, 0);
    if (::link(bytes(secret + "/x").constData(), bytes(src + "/x.alt").constData()) != 0)
        GTEST_SKIP() << "this user may not give another user's file a second name";

    NameSwapper swapper(src, "x", "x.alt");
    for (int round = 0; round < kRounds; ++round) {
        ::unlink(bytes(dst + "/x").constData());
        const CopyOutcome outcome =
            CopyEntry(FolderEntry{bytes(src), "x"}, FolderEntry{bytes(dst), "x"}, nullptr,
                      [](const QByteArray &, const QString &) { return true; });
        ASSERT_NE(outcome, CopyOutcome::Cancelled);
        if (outcome != CopyOutcome::Copied)
            continue;
        const QByteArray content = contentNoFollow(dst + "/x");
        const struct stat st = lstatOf(dst + "/x");
        ASSERT_TRUE(content == kPublic || content == kSecret) << content.constData();
        const bool secretOne = content == kSecret;
        EXPECT_EQ(st.st_mode & 07777, secretOne ? 0600u : 0644u) << "round " << round;
        EXPECT_EQ(st.st_mtim.tv_sec, secretOne ? 1700000000 : 1600000000) << "round " << round;
    }
    EXPECT_GT(swapper.stop(), 0);
}

// Another user exchanges the target's top folder name with a link to a private folder, over and
// over, while copies run: a copy goes into the top folder held since the compare, or nowhere,
// never into the private folder. The same for the source's top: nothing of the private folder is
// read.
TEST(FolderCopySwaps, ACopyKeepsToTheTopFoldersHeldSinceTheCompare)
{
    for (const bool targetSide : {true, false}) {
        SCOPED_TRACE(targetSide ? "the target's top swapped" : "the source's top swapped");
        const QString base = pelkotest::freshDir(QStringLiteral("topswap"));
        const QString src = base + "/src", dst = base + "/dst", secret = base + "/secret";
        ASSERT_TRUE(pelkotest::writeFile(src + "/x", kPublic));
        ASSERT_TRUE(QDir().mkpath(dst));
        ASSERT_TRUE(pelkotest::writeFile(secret + "/x", kSecret));
        ASSERT_EQ(::chmod(bytes(secret + "/x").constData(), 0600), 0);
        ASSERT_EQ(::chmod(bytes(secret).constData(), 0700), 0);
        const TreeEntry source{ComparedTree::open(bytes(src)), TreeRoute_FromPath("x")};
        const TreeEntry target{ComparedTree::open(bytes(dst)), TreeRoute_FromPath("x")};
        ASSERT_TRUE(source.tree && target.tree);
        const QString swapped = targetSide ? dst : src;
        ASSERT_EQ(::symlink(bytes(secret).constData(), bytes(swapped + ".alt").constData()), 0);
        const platform::UniqueFd held(::open(bytes(dst).constData(), O_PATH | O_DIRECTORY));
        int copied = 0;
        {
            NameSwapper swapper(base, QFileInfo(swapped).fileName().toUtf8(),
                                QFileInfo(swapped).fileName().toUtf8() + ".alt");
            for (int round = 0; round < kRounds; ++round) {
                ::unlinkat(held.get(), "x", 0);
                const CopyOutcome outcome =
                    CopyEntry(source, target, nullptr,
                              [](const QByteArray &, const QString &) { return true; });
                ASSERT_NE(outcome, CopyOutcome::Cancelled);
                copied += outcome == CopyOutcome::Copied ? 1 : 0;
            }
            EXPECT_GT(swapper.stop(), 0);
        }
        EXPECT_EQ(copied, kRounds);
        EXPECT_EQ(pelkotest::readFile(secret + "/x"), kSecret);
        const platform::UniqueFd copy(::openat(held.get(), "x", O_RDONLY | O_NOFOLLOW));
        QByteArray content(64, Qt::Uninitialized);
        content.truncate(int(qMax<ssize_t>(::read(copy.get(), content.data(), 64), 0)));
        EXPECT_EQ(content, kPublic);
        EXPECT_EQ(QDir(secret).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("x")});
    }
}
