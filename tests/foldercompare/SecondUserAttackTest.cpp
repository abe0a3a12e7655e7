// The folder window against a second local user: the compared tree (or a top folder) belongs to
// that user, whose process exchanges two names over and over (renameat2 RENAME_EXCHANGE): a
// folder with a link to a folder only this user may read, a file with a pipe or a link to a
// device. This user deletes, trashes, copies and previews what the list shows, many entries in
// one job. Nothing behind a link is removed, written or read, and no pipe or device is opened.
// Run as root, the other user is an ordinary one (setpriv); otherwise it is a second process of
// this user.
#include "foldercompare/FolderCompareModel.h"
#include "foldercompare/MergeEditPreview.h"
#include "foldercompare/MergeFileListWndCtr.h"
#include "platform/Alerts.h"
#include "platform/ImageReader.h"
#include "platform/PrivateFiles.h"
#include "platform/Trash.h"
#include "platform/Workspace.h"
#include "services/AppSetting.h"
#include "support/OpenWatch.h"
#include "support/OtherUser.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThreadPool>
#include <QTreeView>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr int kEntries = 100;
const QByteArray kSecret("SECRET bytes\n");

// The other user's process: exchanges each pair of names until the stop file appears, says when
// its first exchanges were made, and prints how many it made.
const char kSwapper[] = R"(
import ctypes, os, sys
libc = ctypes.CDLL(None, use_errno=True)
stop, started = sys.argv[1], sys.argv[2]
pairs = [(sys.argv[k].encode(), sys.argv[k + 1].encode()) for k in range(3, len(sys.argv), 2)]
count = 0
while not os.path.exists(stop):
    for a, b in pairs:
        if libc.renameat2(-100, a, -100, b, 2) == 0:
            count += 1
    if count and not os.path.exists(started):
        open(started, "w").close()
print("SWAPS", count, flush=True)
)";

QByteArray bytes(const QString &path)
{
    return QFile::encodeName(path);
}

QString python()
{
    return QStandardPaths::findExecutable(QStringLiteral("python3"),
                                          {QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
}

// Gives an entry the other user made (as root does for this test) to that user.
void giveToOtherUser(const QString &path)
{
    if (!pelkotest::canSwitchToOrdinaryUser())
        return;
    ASSERT_EQ(::lchown(bytes(path).constData(), pelkotest::kOrdinaryUid, pelkotest::kOrdinaryGid),
              0);
}

QByteArray png(QColor colour)
{
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

class SecondUserAttack : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (python().isEmpty())
            GTEST_SKIP() << "needs python3 to run the other user's process";
        base = pelkotest::folderForOrdinaryUser(pelkotest::canSwitchToOrdinaryUser());
        ASSERT_FALSE(base.isEmpty());
        privateFolder = base + "/private/";
        ASSERT_TRUE(QDir().mkpath(privateFolder));
        ASSERT_EQ(::chmod(bytes(privateFolder).constData(), 0700), 0);
        gAppSetting.compareSubFolder = 1;
        gAppSetting.compare_showFolder = 1;
        gAppSetting.compare_deletesFilesToTrash = 1;
        gAppSetting.bIgnore_MacHiddenFile = 1;
        platform::setAlertHook([this](const platform::AlertRequest &r) {
            ++alerts;
            refusals += r.title.startsWith(QStringLiteral("The item cannot be")) ||
                                r.title == QStringLiteral("The copy failed")
                            ? 1
                            : 0;
            return platform::AlertFirstButtonReturn; // go ahead, then Skip
        });
    }
    void TearDown() override
    {
        stopSwapper();
        delete wnd;
        platform::setAlertHook(nullptr);
        if (!base.isEmpty())
            platform::RemoveTreeNoFollow(base);
    }

    // A folder or file of the other user's, made here as that user would make it.
    void makeOwned(const QString &path, bool folder)
    {
        if (folder)
            ASSERT_TRUE(QDir().mkpath(path));
        else
            ASSERT_TRUE(pelkotest::writeFile(path, "theirs\n"));
        giveToOtherUser(path);
    }
    void linkOwned(const QString &target, const QString &at)
    {
        ASSERT_EQ(::symlink(bytes(target).constData(), bytes(at).constData()), 0);
        giveToOtherUser(at);
    }

    void openWindow(const QString &left, const QString &right)
    {
        auto info = FileListCompareInfo_FromSettings(left, right);
        info->folder_compare_Mode = 3;
        wnd = new MergeFileListWndCtr();
        wnd->SetCompareInfoWith(info);
        QSignalSpy done(wnd, &MergeFileListWndCtr::compareFinished);
        wnd->showWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() > 0; }, 60000));
    }
    int idOf(const QByteArray &relative) const
    {
        for (const COMP_ITEM &it : wnd->model()->items())
            if (wnd->model()->relativePath(it.ID) == relative)
                return it.ID;
        return -1;
    }
    void selectAll(const std::function<bool(const QByteArray &)> &wanted)
    {
        QItemSelectionModel *selection = wnd->fileTableView()->selectionModel();
        selection->clear();
        for (const COMP_ITEM &it : wnd->model()->items()) {
            if (!wanted(wnd->model()->relativePath(it.ID)))
                continue;
            const QModelIndex index = wnd->model()->indexForId(it.ID);
            ASSERT_TRUE(index.isValid());
            selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    // Starts the other user's process exchanging the pairs of names; returns once it has.
    void startSwapper(const QStringList &pairs)
    {
        const QStringList args = QStringList{QStringLiteral("-c"), QString::fromUtf8(kSwapper),
                                             base + "/stop", base + "/started"} +
                                 pairs;
        swapper.setProcessChannelMode(QProcess::MergedChannels);
        if (pelkotest::canSwitchToOrdinaryUser())
            swapper.start(pelkotest::setprivPath(),
                          pelkotest::ordinaryUserArguments(python(), args));
        else
            swapper.start(python(), args);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return QFile::exists(base + "/started") || swapper.state() == QProcess::NotRunning;
            },
            60000));
        ASSERT_EQ(swapper.state(), QProcess::Running) << swapper.readAll().constData();
    }
    // Stops it; answers how many exchanges it made.
    long stopSwapper()
    {
        if (swapper.state() == QProcess::NotRunning)
            return 0;
        pelkotest::writeFile(base + "/stop", "");
        swapper.waitForFinished(-1);
        const QByteArray output = swapper.readAll();
        const qsizetype at = output.indexOf("SWAPS ");
        return at < 0 ? -1 : output.mid(at + 6).trimmed().toLong();
    }

    QString base, privateFolder;
    MergeFileListWndCtr *wnd = nullptr;
    QProcess swapper;
    int alerts = 0, refusals = 0;
};

QString numbered(const char *prefix, int k)
{
    return QString::asprintf("%s%03d", prefix, k);
}

} // namespace

// The compared folder's "sub" is exchanged with a link to the private folder while a delete for
// good, then a move to the trash, runs over 100 entries of it each.
TEST_F(SecondUserAttack, DeleteAndTrashThroughASwappedFolder)
{
    const QString share = base + "/share/", right = base + "/R/";
    makeOwned(share, true);
    ASSERT_TRUE(QDir().mkpath(right));
    for (int k = 0; k < kEntries; ++k) {
        for (const char *prefix : {"v", "t"}) {
            ASSERT_TRUE(pelkotest::writeFile(share + "sub/" + numbered(prefix, k), "victim\n"));
            ASSERT_TRUE(pelkotest::writeFile(privateFolder + numbered(prefix, k), kSecret));
        }
    }
    linkOwned(privateFolder, share + "sub.alt");
    openWindow(share, right);
    startSwapper({share + "sub", share + "sub.alt"});

    QSignalSpy deleted(wnd, &MergeFileListWndCtr::deleteFinished);
    selectAll([](const QByteArray &path) { return path.startsWith("sub/v"); });
    wnd->DeleteSelection(1, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return deleted.count() == 1; }, 120000));
    const int deleteRefusals = refusals;
    selectAll([](const QByteArray &path) { return path.startsWith("sub/t"); });
    wnd->DeleteSelection(1, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return deleted.count() == 2; }, 120000));
    const long swaps = stopSwapper();

    int privateGone = 0, comparedGone = 0;
    const QString real = QFileInfo(share + "sub").isSymLink() ? share + "sub.alt/" : share + "sub/";
    for (int k = 0; k < kEntries; ++k) {
        for (const char *prefix : {"v", "t"}) {
            privateGone +=
                pelkotest::readFile(privateFolder + numbered(prefix, k)) == kSecret ? 0 : 1;
            comparedGone += QFileInfo::exists(real + numbered(prefix, k)) ? 0 : 1;
        }
    }
    std::printf("[ attack ] delete and trash of %d entries under %ld exchanges: %d of the "
                "compared folder's entries went, %d refused, %d private files went\n",
                2 * kEntries, swaps, comparedGone, refusals, privateGone);
    EXPECT_GT(swaps, 0);
    EXPECT_EQ(privateGone, 0);
    EXPECT_EQ(comparedGone + refusals, 2 * kEntries);
    EXPECT_LE(deleteRefusals, kEntries);
}

// The right top folder belongs to the other user, who exchanges its name with a link to the
// private folder while 100 files are copied into it.
TEST_F(SecondUserAttack, CopyIntoASwappedTopFolder)
{
    const QString left = base + "/L/", right = base + "/R/";
    ASSERT_TRUE(QDir().mkpath(left));
    makeOwned(right, true);
    for (int k = 0; k < kEntries; ++k) {
        ASSERT_TRUE(pelkotest::writeFile(left + numbered("c", k), "public\n"));
        ASSERT_TRUE(pelkotest::writeFile(privateFolder + numbered("c", k), kSecret));
    }
    linkOwned(privateFolder, base + "/R.alt");
    openWindow(left, right);
    const platform::UniqueFd compared(::open(bytes(right).constData(), O_PATH | O_DIRECTORY));
    startSwapper({base + "/R", base + "/R.alt"});

    QSignalSpy copied(wnd, &MergeFileListWndCtr::copyFinished);
    selectAll([](const QByteArray &path) { return path.startsWith("c"); });
    wnd->CopySelection(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return copied.count() == 1; }, 120000));
    const long swaps = stopSwapper();

    int privateChanged = 0, landed = 0;
    for (int k = 0; k < kEntries; ++k) {
        privateChanged += pelkotest::readFile(privateFolder + numbered("c", k)) == kSecret ? 0 : 1;
        struct stat st
        {
        };
        landed +=
            ::fstatat(compared.get(), bytes(numbered("c", k)).constData(), &st, 0) == 0 ? 1 : 0;
    }
    const int privateEntries =
        int(QDir(privateFolder)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                .size());
    std::printf("[ attack ] copy of %d files into a top folder under %ld exchanges: %d landed in "
                "the folder compared, %d private files changed, %d entries in the private "
                "folder\n",
                kEntries, swaps, landed, privateChanged, privateEntries);
    EXPECT_GT(swaps, 0);
    EXPECT_EQ(privateChanged, 0);
    EXPECT_EQ(privateEntries, kEntries);
    EXPECT_EQ(landed, kEntries);
}

// A picture and a text of the compared folder are exchanged with a pipe and with a link to a
// device while Quick Preview shows them again and again.
TEST_F(SecondUserAttack, PreviewOfFilesSwappedForAPipeOrADevice)
{
    const QString share = base + "/share/", right = base + "/R/";
    makeOwned(share, true);
    ASSERT_TRUE(pelkotest::writeFile(share + "p.png", png(Qt::red)));
    ASSERT_TRUE(pelkotest::writeFile(right + "p.png", png(Qt::blue)));
    ASSERT_TRUE(pelkotest::writeFile(share + "t.txt", "left\n"));
    ASSERT_TRUE(pelkotest::writeFile(right + "t.txt", "right\n"));
    ASSERT_EQ(::mkfifo(bytes(share + "p.png.alt").constData(), 0666), 0);
    giveToOtherUser(share + "p.png.alt");
    // A device only root may make; another user links to one that exists.
    const QString device = base + "/device";
    const bool haveDevice = ::mknod(bytes(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (haveDevice)
        linkOwned(device, share + "t.txt.alt");
    openWindow(share, right);
    pelkotest::OpenWatch pipeOpens(share + "p.png.alt"), deviceOpens(device);
    startSwapper(haveDevice ? QStringList{share + "p.png", share + "p.png.alt", share + "t.txt",
                                          share + "t.txt.alt"}
                            : QStringList{share + "p.png", share + "p.png.alt"});

    wnd->TogglePreview();
    MergeEditPreview *preview = wnd->preview();
    ASSERT_TRUE(preview);
    constexpr int kShows = 40;
    for (int k = 0; k < kShows; ++k) {
        const QByteArray entry = k % 2 ? "t.txt" : "p.png";
        QSignalSpy shown(preview, &MergeEditPreview::contentShown);
        const QModelIndex index = wnd->model()->indexForId(idOf(entry));
        ASSERT_TRUE(index.isValid());
        wnd->fileTableView()->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect |
                                                                  QItemSelectionModel::Rows);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return preview->title(1) == QString::fromLatin1(entry) && shown.count() > 0; },
            60000));
    }
    platform::imagePreviewPool()->waitForDone();
    const long swaps = stopSwapper();
    const int opens = pipeOpens.opens() + (haveDevice ? deviceOpens.opens() : 0);
    std::printf("[ attack ] %d previews under %ld exchanges: the pipe and the device were opened "
                "%d times\n",
                kShows, swaps, opens);
    EXPECT_GT(swaps, 0);
    EXPECT_EQ(opens, 0);
}
