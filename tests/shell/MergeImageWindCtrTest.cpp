#include "platform/DecodeBudget.h"
#include "platform/LocalPath.h"
#include "platform/NotificationCenter.h"
#include "platform/PixelLimits.h"
#include "platform/Dispatch.h"
#include "platform/PrivateFiles.h"
#include "platform/Workspace.h"
#include "services/AppSetting.h"
#include "services/WorkerFailure.h"
#include "shell/ImagePreviewView.h"
#include "shell/MergeImageWindCtr.h"
#include "shell/OpenImageCompareWindow.h"
#include "support/HostileImages.h"
#include "support/OtherUser.h"
#include "support/TestEnvironment.h"
#include "support/TwoFileWindowTest.h"
#include "ui_MergeImageWindCtr.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QThread>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <functional>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ImageWindowTest : public pelkotest::TwoFileWindowTest<MergeImageWindCtr>
{
protected:
    ImageWindowTest() : TwoFileWindowTest(QStringLiteral("imagewindow")) {}
    void SetUp() override
    {
        AppSetting_SetDefault(&gAppSetting);
        OpenCompareWindowList_Reset();
        ImagePreviewView::clearCache();
    }
    static QByteArray png(QColor colour, QSize size = {40, 30})
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }
    // A window on two files, shown, with its verdict in and both sides decoded.
    std::unique_ptr<MergeImageWindCtr> open(const QString &left, const QString &right)
    {
        auto w = showWindowOn(left, right);
        settle(*w);
        return w;
    }
    static void settle(MergeImageWindCtr &w)
    {
        QTRY_VERIFY_WITH_TIMEOUT(w.isEqual() >= 0, 5000);
        for (ImagePreviewView *v : {w.ui().mView1, w.ui().mView2})
            QTRY_VERIFY_WITH_TIMEOUT(v->state() != ImagePreviewView::State::Loading, 5000);
    }
    // Enabled state of Choose Left, Choose Right, Save and Restore.
    static std::array<bool, 4> buttons(MergeImageWindCtr &w)
    {
        return {w.ui().mButton_Choose_Left->isEnabled(), w.ui().mButton_Choose_Right->isEnabled(),
                w.ui().mButton_Save->isEnabled(), w.ui().mButton_Restore->isEnabled()};
    }
};

TEST_F(ImageWindowTest, VerdictIsByteEquality)
{
    struct Row
    {
        const char *name;
        QByteArray left, right;
        bool rightExists;
        int verdict;
    } rows[] = {
        {"same bytes", png(Qt::red), png(Qt::red), true, 1},
        {"different", png(Qt::red), png(Qt::blue), true, 0},
        {"both empty", QByteArray(), QByteArray(), true, 1},
        {"right missing", png(Qt::red), QByteArray(), false, 0},
    };
    for (const Row &row : rows) {
        const QString left = write(QStringLiteral("l_%1.png").arg(row.name), row.left);
        const QString right = dir + QStringLiteral("/r_%1.png").arg(row.name);
        if (row.rightExists)
            write(QFileInfo(right).fileName(), row.right);
        auto w = open(left, right);
        EXPECT_EQ(w->isEqual(), row.verdict) << row.name;
        // Equal pairs offer nothing to choose; unequal ones offer both choices.
        const std::array<bool, 4> expected = row.verdict == 1
                                                 ? std::array<bool, 4>{false, false, false, false}
                                                 : std::array<bool, 4>{true, true, false, false};
        EXPECT_EQ(buttons(*w), expected) << row.name;
        // Closing an equal or untouched pair asks nothing.
        w->window()->close();
        EXPECT_FALSE(w->window()->isVisible()) << row.name;
        EXPECT_EQ(w->closeQuestion(), nullptr);
    }
}

TEST_F(ImageWindowTest, ChoicesMoveBetweenStates)
{
    const QString left = write(QStringLiteral("a.png"), png(Qt::red));
    const QString right = write(QStringLiteral("b.png"), png(Qt::blue));
    auto w = open(left, right);
    EXPECT_FALSE(w->WasEdit());

    QTest::mouseClick(w->ui().mButton_Choose_Left, Qt::LeftButton);
    settle(*w);
    EXPECT_EQ(w->mFileCurrent2Path(), left);
    EXPECT_EQ(w->ui().mView2->file(), left);
    EXPECT_EQ(w->ui().mView2->image().pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(buttons(*w), (std::array<bool, 4>{false, true, true, true}));
    EXPECT_TRUE(w->WasEdit());

    QTest::mouseClick(w->ui().mButton_Choose_Right, Qt::LeftButton);
    settle(*w);
    EXPECT_EQ(w->mFileCurrent1Path(), right);
    EXPECT_EQ(buttons(*w), (std::array<bool, 4>{true, false, true, true}));

    QTest::mouseClick(w->ui().mButton_Restore, Qt::LeftButton);
    settle(*w);
    EXPECT_EQ(buttons(*w), (std::array<bool, 4>{true, true, false, false}));
    EXPECT_FALSE(w->WasEdit());
    // Nothing was written by choosing.
    EXPECT_EQ(pelkotest::readFile(left), png(Qt::red));
    EXPECT_EQ(pelkotest::readFile(right), png(Qt::blue));
}

TEST_F(ImageWindowTest, SaveCopiesTheChosenFileAndCloses)
{
    const QString left = write(QStringLiteral("a.png"), png(Qt::red));
    const QString right = write(QStringLiteral("b.png"), png(Qt::blue));
    auto w = open(left, right);
    w->Merge_ChooseRight();
    ASSERT_TRUE(w->window()->isVisible());
    QTest::mouseClick(w->ui().mButton_Save, Qt::LeftButton);
    EXPECT_EQ(pelkotest::readFile(left), png(Qt::blue));
    EXPECT_EQ(pelkotest::readFile(right), png(Qt::blue));
    EXPECT_EQ(w->isEqual(), 1);
    EXPECT_FALSE(w->window()->isVisible());
    EXPECT_TRUE(alerts.empty());
}

TEST_F(ImageWindowTest, FailedSaveKeepsWindowAndVerdict)
{
    const QString left = write(QStringLiteral("a.png"), png(Qt::red));
    const QString right = write(QStringLiteral("b.png"), png(Qt::blue));
    auto w = open(left, right);
    w->Merge_ChooseLeft();
    // The right file vanished meanwhile.
    ASSERT_TRUE(QFile::remove(right));
    w->Merge_Save();
    EXPECT_TRUE(w->window()->isVisible());
    EXPECT_EQ(w->isEqual(), 0);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].text.contains(right));

    // A target that cannot be replaced: its folder is read-only.
    const QString roDir = pelkotest::freshDir(QStringLiteral("readonly"));
    const QString roRight = roDir + QStringLiteral("/b.png");
    ASSERT_TRUE(pelkotest::writeFile(roRight, png(Qt::blue)));
    auto w2 = open(left, roRight);
    w2->Merge_ChooseLeft();
    QFile::setPermissions(roDir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(roRight, QFileDevice::ReadOwner);
    w2->Merge_Save();
    QFile::setPermissions(roDir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (QFileInfo(roRight).isWritable())
        GTEST_SKIP() << "running with rights that ignore file permissions";
    EXPECT_TRUE(w2->window()->isVisible());
    EXPECT_EQ(w2->isEqual(), 0);
    EXPECT_EQ(pelkotest::readFile(roRight), png(Qt::blue));
    EXPECT_EQ(alerts.size(), 2u);
}

TEST_F(ImageWindowTest, CloseQuestionNamesTheFileASaveWouldOverwrite)
{
    const QString left = write(QStringLiteral("a.png"), png(Qt::red));
    const QString right = write(QStringLiteral("b.png"), png(Qt::blue));
    auto w = open(left, right);
    w->Merge_ChooseLeft();
    w->window()->close();
    ASSERT_NE(w->closeQuestion(), nullptr);
    EXPECT_TRUE(w->window()->isVisible());
    EXPECT_TRUE(w->closeQuestion()->informativeText().contains(QStringLiteral("Right file")));
    // Cancel: nothing happens.
    w->closeQuestion()->button(QMessageBox::Cancel);
    for (QAbstractButton *b : w->closeQuestion()->buttons())
        if (b->text() == QStringLiteral("Cancel"))
            b->click();
    // Nothing is set to save or to close it.
    EXPECT_FALSE(platform::isPerformPending(w.get(), QStringLiteral("save")));
    EXPECT_FALSE(platform::isPerformPending(w.get(), QStringLiteral("discard")));
    EXPECT_TRUE(w->window()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->closeQuestion(); }, 20000)); // it went away

    w->Merge_Restore();
    w->Merge_ChooseRight();
    w->closeTab();
    ASSERT_NE(w->closeQuestion(), nullptr);
    EXPECT_TRUE(w->closeQuestion()->informativeText().contains(QStringLiteral("Left file")));
    // Save: the right file is copied over the left one, and the window closes with no second
    // question.
    for (QAbstractButton *b : w->closeQuestion()->buttons())
        if (b->text() == QStringLiteral("Save"))
            b->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->window()->isVisible(), 20000);
    EXPECT_EQ(pelkotest::readFile(left), png(Qt::blue));
}

TEST_F(ImageWindowTest, DiscardClosesWithoutWriting)
{
    const QString left = write(QStringLiteral("a.png"), png(Qt::red));
    const QString right = write(QStringLiteral("b.png"), png(Qt::blue));
    auto w = open(left, right);
    w->Merge_ChooseLeft();
    w->window()->close();
    ASSERT_NE(w->closeQuestion(), nullptr);
    for (QAbstractButton *b : w->closeQuestion()->buttons())
        if (b->text() == QStringLiteral("Discard and Close"))
            b->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->window()->isVisible(), 20000);
    EXPECT_EQ(pelkotest::readFile(right), png(Qt::blue));
}

TEST_F(ImageWindowTest, Titles)
{
    const QString left = write(QStringLiteral("a.png"), png(Qt::red));
    const QString right = write(QStringLiteral("b.png"), png(Qt::blue));
    auto w = open(left, right);
    EXPECT_EQ(w->window()->windowTitle(), QStringLiteral("[a.png] and [b.png]"));

    const QString other = pelkotest::freshDir(QStringLiteral("other")) + QStringLiteral("/a.png");
    ASSERT_TRUE(pelkotest::writeFile(other, QByteArray(1500, 'x')));
    auto same = open(left, other);
    const QString title = same->window()->windowTitle();
    EXPECT_TRUE(title.startsWith(QStringLiteral("[a.png] with size: "))) << title.toStdString();
    EXPECT_TRUE(title.endsWith(QLocale().formattedDataSize(1500, 2, QLocale::DataSizeSIFormat)))
        << title.toStdString();

    MergeImageWindCtr untitled;
    untitled.showWindow();
    EXPECT_EQ(untitled.window()->windowTitle(), QStringLiteral("Untitled"));
}

TEST_F(ImageWindowTest, ChangedFileIsAskedAboutAndReloadJudgesAgain)
{
    const QString left = write(QStringLiteral("a.png"), png(Qt::red));
    const QString right = write(QStringLiteral("b.png"), png(Qt::red));
    auto w = open(left, right);
    ASSERT_EQ(w->isEqual(), 1);

    write(QStringLiteral("b.png"), png(Qt::blue, {41, 30}));
    answers = {1001}; // Cancel
    w->windowWillBeKey();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(w->isEqual(), 1);
    // The question comes again on the next activation.
    answers = {1000}; // Reload
    w->windowWillBeKey();
    EXPECT_EQ(alerts.size(), 2u);
    settle(*w);
    EXPECT_EQ(w->isEqual(), 0);
    EXPECT_EQ(buttons(*w), (std::array<bool, 4>{true, true, false, false}));
    EXPECT_EQ(w->ui().mView2->image().pixelColor(5, 5), QColor(Qt::blue));
    // Nothing changed since: no question.
    w->windowWillBeKey();
    EXPECT_EQ(alerts.size(), 2u);

    // A change that keeps the size is seen through the modification time.
    QFile f(right);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
    f.close();
    w->windowWillBeKey();
    EXPECT_EQ(alerts.size(), 3u);
}

// A chosen file is copied from, and written over, only as each was read for the verdict shown.
// In a folder anyone may write, another user swaps one of the two files, after the window read
// it, for a link to a file of this user's: Save writes nothing and asks whether to show the
// files as they are now. Reloading judges them again and drops the choice.
TEST_F(ImageWindowTest, SaveWritesOnlyTheFilesAsTheyWereRead)
{
    struct Row
    {
        const char *name;
        const char *swapped;
        bool reload;
    };
    for (const Row row :
         {Row{"the file saved over", "b.png", false}, Row{"the file chosen", "a.png", true}}) {
        SCOPED_TRACE(row.name);
        const QString shared = pelkotest::stickySharedFolder();
        const QByteArray secretBytes("[config]\nroot-only=1\n");
        const QString secret = pelkotest::privateFileInOpenFolder(secretBytes);
        ASSERT_FALSE(shared.isEmpty() || secret.isEmpty());
        const QString left = shared + QStringLiteral("/a.png"), right = shared + "/b.png";
        for (const auto &[path, colour] : {std::pair{left, Qt::red}, std::pair{right, Qt::blue}}) {
            ASSERT_TRUE(pelkotest::writeFile(path, png(colour)));
            ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
            if (pelkotest::canSwitchToOrdinaryUser()) {
                ASSERT_EQ(::chown(QFile::encodeName(path).constData(), pelkotest::kOrdinaryUid,
                                  pelkotest::kOrdinaryGid),
                          0);
            }
        }
        auto w = open(left, right);
        w->Merge_ChooseLeft();
        ASSERT_EQ(pelkotest::runShellAsOtherUser(
                      QStringLiteral("cd \"$1\" && rm \"$2\" && ln -s \"$3\" \"$2\""),
                      {shared, QString::fromLatin1(row.swapped), secret}),
                  0);
        alerts.clear();
        answers = {row.reload ? 1000 : 1001};
        w->Merge_Save();
        EXPECT_TRUE(w->window()->isVisible());
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].buttons.value(0), QStringLiteral("Reload"));
        EXPECT_EQ(pelkotest::readFile(secret), secretBytes);
        EXPECT_TRUE(QFileInfo(shared + u'/' + QLatin1String(row.swapped)).isSymLink());
        if (QLatin1String(row.swapped) != QLatin1String("b.png")) {
            EXPECT_EQ(pelkotest::readFile(right), png(Qt::blue));
        }
        if (row.reload) {
            settle(*w);
            EXPECT_FALSE(w->WasEdit());
            EXPECT_FALSE(w->ui().mButton_Save->isEnabled());
        } else {
            EXPECT_TRUE(w->WasEdit());
        }
        w->Merge_Restore();
        w->window()->close();
        platform::RemoveTreeNoFollow(shared);
        platform::RemoveTreeNoFollow(QFileInfo(secret).absolutePath());
    }
}

// Another user exchanges the folder above both files with a look-alike folder again and again
// (RENAME_EXCHANGE, pausing a moment of its own choosing between exchanges) while the window is
// opened, judged and saved, a fixed number of rounds. Whatever each lookup met, a save writes the
// bytes of the picture the chosen side showed, over the very file the other side showed, or
// writes nothing: never a file the window did not show, never over one it did not show.
TEST_F(ImageWindowTest, SaveCopiesWhatTheViewsShowedWhileFoldersAreSwapped)
{
    const QString top = pelkotest::freshDir(QStringLiteral("swapped"));
    const QString x = top + QStringLiteral("/x"), y = top + QStringLiteral("/y");
    ASSERT_TRUE(QDir().mkpath(x) && QDir().mkpath(y));
    // x holds what the user means to compare; y the look-alikes another user put beside them.
    const QColor leftColour[2] = {Qt::red, Qt::green};
    const QColor rightColour[2] = {Qt::blue, Qt::yellow};
    const auto reset = [&] {
        for (int k = 0; k < 2; ++k) {
            const QString folder = k == 0 ? x : y;
            ASSERT_TRUE(
                pelkotest::writeFile(folder + QStringLiteral("/a.png"), png(leftColour[k])));
            ASSERT_TRUE(
                pelkotest::writeFile(folder + QStringLiteral("/b.png"), png(rightColour[k])));
        }
    };
    // The colour a file's picture has; invalid when it is none of the four.
    const auto colourOf = [&](const QByteArray &bytes) {
        for (const QColor &c :
             {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue), QColor(Qt::yellow)})
            if (bytes == png(c))
                return c;
        return QColor();
    };
    int saved = 0, refused = 0, wrong = 0;
    constexpr int kRounds = 250;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        reset();
        ImagePreviewView::clearCache();
        QColor shownLeft, shownRight;
        bool ok = false;
        {
            std::atomic<bool> done{false};
            std::thread swapper([&, seed = quint32(round * 7919 + 1)]() mutable {
                const QByteArray a = QFile::encodeName(x), b = QFile::encodeName(y);
                while (!done.load()) {
                    ::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE);
                    seed = seed * 1103515245u + 12345u;
                    std::this_thread::sleep_for(std::chrono::microseconds((seed >> 16) % 400));
                }
            });
            auto w = open(x + QStringLiteral("/a.png"), x + QStringLiteral("/b.png"));
            shownLeft = w->ui().mView1->image().pixelColor(5, 5);
            shownRight = w->ui().mView2->image().pixelColor(5, 5);
            w->Merge_ChooseLeft();
            answers = {1001}; // a changed file: keep the window as it is
            ok = w->SaveFile();
            done = true;
            swapper.join();
            w->Merge_Restore();
            w->window()->close();
        }
        const QColor left[2] = {colourOf(pelkotest::readFile(x + QStringLiteral("/a.png"))),
                                colourOf(pelkotest::readFile(y + QStringLiteral("/a.png")))};
        const QColor right[2] = {colourOf(pelkotest::readFile(x + QStringLiteral("/b.png"))),
                                 colourOf(pelkotest::readFile(y + QStringLiteral("/b.png")))};
        // The left files are never written.
        EXPECT_TRUE((left[0] == leftColour[0] && left[1] == leftColour[1]) ||
                    (left[0] == leftColour[1] && left[1] == leftColour[0]));
        if (!ok) {
            ++refused;
            EXPECT_TRUE(QSet<QRgb>({right[0].rgb(), right[1].rgb()}) ==
                        QSet<QRgb>({rightColour[0].rgb(), rightColour[1].rgb()}));
            continue;
        }
        ++saved;
        // The right file shown now holds the left picture shown; the other right file is as it was.
        const QColor notShown = shownRight == rightColour[0] ? rightColour[1] : rightColour[0];
        const bool asShown = QSet<QRgb>({right[0].rgb(), right[1].rgb()}) ==
                             QSet<QRgb>({shownLeft.rgb(), notShown.rgb()});
        wrong += asShown ? 0 : 1;
    }
    EXPECT_EQ(wrong, 0) << "of " << saved << " saves (" << refused << " refused)";
    std::printf("[ swaps ] %d saves, %d refused, %d wrote what was not shown\n", saved, refused,
                wrong);
}

// The copy runs on a worker behind a progress dialog whose Cancel stops it, the file as it was;
// a copy that stops on an exception says why and writes nothing.
TEST_F(ImageWindowTest, SaveCopiesOnAWorkerThatCancelStops)
{
    QByteArray big = png(Qt::red);
    big += QByteArray(24 << 20, 'x'); // bytes after the picture: still a picture, and long
    const QString left = write(QStringLiteral("a.png"), big);
    const QString right = write(QStringLiteral("b.png"), png(Qt::blue));
    const auto clickCancel = [] {
        platform::performOnMainThread(
            [] {
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (w->objectName() == QStringLiteral("ProcessModalDlg") && w->isVisible())
                        if (auto *b = w->findChild<QPushButton *>(QStringLiteral("mCancelButton")))
                            b->click();
            },
            true);
    };
    struct Row
    {
        const char *name;
        std::function<void()> atStart; // on the worker, as the copy starts
        bool written;
        QString error;
    };
    const QThread *mainThread = QThread::currentThread();
    bool onWorker = false;
    const Row rows[] = {
        {"cancelled", clickCancel, false, QString()},
        {"stopped by an exception", [] { throw std::bad_alloc(); }, false,
         QStringLiteral("There was not enough memory.")},
        {"copied", [&] { onWorker = QThread::currentThread() != mainThread; }, true, QString()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto w = open(left, right);
        w->Merge_ChooseLeft();
        SetWorkerFaultHook([&row](const char *name) {
            if (std::strcmp(name, "image save") == 0)
                row.atStart();
        });
        EXPECT_EQ(w->SaveFile(), row.written);
        SetWorkerFaultHook(nullptr);
        EXPECT_EQ(pelkotest::readFile(right), row.written ? big : png(Qt::blue));
        if (row.error.isEmpty()) {
            EXPECT_TRUE(w->lastSaveError().isEmpty()) << qPrintable(w->lastSaveError());
        } else {
            EXPECT_TRUE(w->lastSaveError().contains(row.error)) << qPrintable(w->lastSaveError());
        }
        EXPECT_EQ(w->isEqual(), row.written ? 1 : 0);
        EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 2);
        w->Merge_Restore();
        w->window()->close();
    }
    EXPECT_TRUE(onWorker);
}

TEST_F(ImageWindowTest, ClosingPostsTheLeftPath)
{
    const QString left = write(QStringLiteral("a.png"), png(Qt::red));
    const QString right = write(QStringLiteral("b.png"), png(Qt::blue));
    QStringList posted;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(kNeedUpdateFileCompareResult), nullptr,
        [&](const platform::Notification &n) {
            posted += n.userInfo.value(QStringLiteral("paths")).toStringList();
        });
    auto w = open(left, right);
    EXPECT_EQ(gOpenCompareWindowList[0].data(), w.get());
    w->window()->close();
    EXPECT_EQ(posted, QStringList{left});
    EXPECT_TRUE(gOpenCompareWindowList[0].isNull());
}

TEST_F(ImageWindowTest, FiftyFirstWindowIsListed)
{
    std::vector<std::unique_ptr<MergeImageWindCtr>> windows;
    for (int i = 0; i < 51; ++i)
        windows.push_back(std::make_unique<MergeImageWindCtr>());
    EXPECT_EQ(gOpenCompareWindowList.size(), 51);
    EXPECT_EQ(gOpenCompareWindowList[50].data(), windows[50].get());
}

TEST_F(ImageWindowTest, FormatsWithoutDecoderSayNoPreview)
{
    const QString pdf1 = write(QStringLiteral("a.pdf"), "%PDF-1.4\n1 0 obj <<>> endobj\n%%EOF\n");
    const QString pdf2 = write(QStringLiteral("b.pdf"), "%PDF-1.4\n2 0 obj <<>> endobj\n%%EOF\n");
    auto w = open(pdf1, pdf2);
    EXPECT_EQ(w->isEqual(), 0);
    EXPECT_EQ(w->ui().mView1->state(), ImagePreviewView::State::NoPreview);
    EXPECT_EQ(w->ui().mView1->noteText(), QStringLiteral("Preview not available for this format"));
    // They still choose and save by bytes.
    w->Merge_ChooseLeft();
    w->Merge_Save();
    EXPECT_EQ(pelkotest::readFile(pdf2), pelkotest::readFile(pdf1));

    const QString broken = write(QStringLiteral("c.png"), png(Qt::red).left(60));
    auto w2 = open(broken, pdf1);
    EXPECT_EQ(w2->ui().mView1->state(), ImagePreviewView::State::Unreadable);
    EXPECT_TRUE(w2->ui().mView1->image().isNull());

    // A chunk after the picture declaring nearly 2 GB that the file does not hold: refused
    // before the decoder would allocate it.
    QByteArray hostile = png(Qt::red).chopped(12); // without its end chunk
    hostile += QByteArray::fromHex("7ffffff0") + "tEXt";
    const QString damaged = write(QStringLiteral("d.png"), hostile);
    auto w3 = open(damaged, pdf1);
    EXPECT_EQ(w3->ui().mView1->state(), ImagePreviewView::State::Unreadable);
    EXPECT_EQ(w3->ui().mView1->noteText(),
              QStringLiteral("The image cannot be read: the file is damaged or incomplete"));
}

TEST_F(ImageWindowTest, AFifoIsNotWaitedOnAndNotReplacedBySave)
{
    const QString fifo = dir + QStringLiteral("/pipe.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString right = write(QStringLiteral("b.png"), png(Qt::blue));
    auto w = open(fifo, right);
    EXPECT_EQ(w->isEqual(), 0);
    EXPECT_EQ(w->ui().mView1->state(), ImagePreviewView::State::Unreadable);

    w->Merge_ChooseRight();
    w->Merge_Save();
    EXPECT_TRUE(w->window()->isVisible());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].text.contains(fifo));
    const QFileInfo after(fifo);
    EXPECT_TRUE(after.exists() && !after.isFile()); // still the FIFO

    // Should a reader still wait on the FIFO, let it go so the test run can end.
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
}

TEST_F(ImageWindowTest, ImagesBeyondTheAllocationLimitSaySo)
{
    const int savedLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1); // megabytes
    QImage image(1200, 1000, QImage::Format_RGB32);
    image.fill(Qt::green);
    // A bitmap has no reduced decoding: the whole picture would have to be allocated.
    const QString big = dir + QStringLiteral("/big.bmp");
    ASSERT_TRUE(image.save(big, "BMP"));
    auto w = open(big, big);
    EXPECT_EQ(w->ui().mView1->state(), ImagePreviewView::State::TooLarge);
    EXPECT_EQ(w->ui().mView1->noteText(),
              QStringLiteral("The image is too large to preview (1200 \u00d7 1000)"));
    EXPECT_EQ(w->isEqual(), 1);
    QImageReader::setAllocationLimit(savedLimit);
}

// A file of a few bytes that declares hundreds of megapixels is not decoded; it is still
// compared, chosen and saved by its bytes.
TEST_F(ImageWindowTest, AnImageTooLargeToPreviewIsStillComparedAndSaved)
{
    for (const auto &hostile : pelkotest::hostileImages()) {
        if (QByteArray(hostile.name) == "entries.ico")
            continue; // shown: one entry within the budget
        SCOPED_TRACE(hostile.name);
        const QString left = write(QString::fromLatin1(hostile.name), hostile.bytes);
        const QString right = write(QStringLiteral("small.png"), png(Qt::blue));
        auto w = open(left, right);
        ImagePreviewView *view = w->ui().mView1;
        EXPECT_EQ(view->state(), ImagePreviewView::State::TooLarge);
        EXPECT_EQ(view->noteText(),
                  QStringLiteral("The image is too large to preview (%1 \u00d7 %2)")
                      .arg(hostile.declared.width())
                      .arg(hostile.declared.height()));
        EXPECT_EQ(w->ui().mView2->state(), ImagePreviewView::State::Shown);
        EXPECT_EQ(w->isEqual(), 0);
        w->Merge_ChooseLeft();
        settle(*w);
        EXPECT_EQ(w->ui().mView2->state(), ImagePreviewView::State::TooLarge);
        ASSERT_TRUE(w->SaveFile()) << w->lastSaveError().toStdString();
        EXPECT_EQ(pelkotest::readFile(right), hostile.bytes);
        EXPECT_EQ(w->isEqual(), 1);
    }
}

// A side shown another file before its decode ran drops that decode, also one waiting for the
// decode budget: only the file shown now is decoded, and nothing of the dropped one is cached.
TEST_F(ImageWindowTest, AViewDecodesOnlyTheFileItShowsNow)
{
    const QString first = write(QStringLiteral("first.png"), png(Qt::red));
    const QString second = write(QStringLiteral("second.png"), png(Qt::blue));
    ImagePreviewView view;
    view.resize(200, 150);
    auto taken = std::make_unique<platform::DecodeReservation>(
        platform::reserveDecodeMemory(platform::kViewDecodeBytes));
    const quint64 made = platform::decodeReservationsMade();
    view.setFile(HeldFile::open(first));
    QTRY_COMPARE_WITH_TIMEOUT(platform::decodeReservationsWaiting(), 1, 5000);
    view.setFile(HeldFile::open(second));
    QSignalSpy loaded(&view, &ImagePreviewView::loaded);
    taken.reset();
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 5000);
    EXPECT_EQ(view.state(), ImagePreviewView::State::Shown);
    EXPECT_EQ(view.image().pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(platform::decodeReservationsMade() - made, 1u);
    view.setFile(HeldFile::open(first));
    EXPECT_EQ(view.state(), ImagePreviewView::State::Loading);
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 2, 5000);
    EXPECT_EQ(view.state(), ImagePreviewView::State::Shown);
    EXPECT_EQ(view.image().pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(ImageWindowTest, LargeImageIsDecodedAtViewSize)
{
    const QString big = dir + QStringLiteral("/big.jpg");
    QImage image(3000, 2000, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    ASSERT_TRUE(image.save(big, "JPEG"));
    auto w = open(big, big);
    const QImage &shown = w->ui().mView1->image();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(w->ui().mView1->sourceSize(), QSize(3000, 2000));
    EXPECT_LE(shown.width(), w->ui().mView1->width() * w->ui().mView1->devicePixelRatioF() + 1);
    // Growing the window brings a sharper image.
    const int before = shown.width();
    w->window()->resize(w->window()->width() + 600, w->window()->height() + 300);
    QTRY_VERIFY_WITH_TIMEOUT(w->ui().mView1->image().width() > before, 5000);
}

// A photograph stored wide but marked to be shown turned a quarter (as cameras held upright
// write them) is shown tall, undistorted, at view size.
TEST_F(ImageWindowTest, TurnedPhotographIsShownUpright)
{
    QImage image(3000, 1500, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(image.save(&buffer, "JPEG"));
    }
    // An EXIF block whose only entry is the orientation 6 (turn a quarter clockwise).
    const QByteArray exif = QByteArray::fromHex("FFE10022"
                                                "457869660000"
                                                "49492A0008000000"
                                                "0100"
                                                "120103000100000006000000"
                                                "00000000");
    jpeg.insert(2, exif);
    const QString path = write(QStringLiteral("upright.jpg"), jpeg);
    auto w = open(path, path);
    ImagePreviewView *view = w->ui().mView1;
    ASSERT_EQ(view->state(), ImagePreviewView::State::Shown);
    EXPECT_EQ(view->sourceSize(), QSize(1500, 3000));
    const QImage &shown = view->image();
    EXPECT_GT(shown.height(), shown.width());
    EXPECT_NEAR(double(shown.height()) / shown.width(), 2.0, 0.05);
    EXPECT_LE(shown.height(), view->height() * view->devicePixelRatioF() + 1);
    // And painted tall: the blue area on the view is twice as high as it is wide.
    const QImage painted = view->grab().toImage();
    QRect blue;
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            if (QColor(painted.pixel(x, y)).blue() > 100 && QColor(painted.pixel(x, y)).red() < 60)
                blue |= QRect(x, y, 1, 1);
    ASSERT_FALSE(blue.isEmpty());
    EXPECT_NEAR(double(blue.height()) / blue.width(), 2.0, 0.1);
}

TEST_F(ImageWindowTest, OpenerFreesTheControllerOnClose)
{
    const QString left = write(QStringLiteral("a.png"), png(Qt::red));
    QPointer<MergeImageWindCtr> w = OpenImageCompareWindowController(left, left);
    ASSERT_TRUE(w);
    QTRY_VERIFY_WITH_TIMEOUT(w->isEqual() == 1, 5000);
    w->window()->close();
    QTRY_VERIFY_WITH_TIMEOUT(w.isNull(), 20000);
}

// The byte compare or a decoder that stops on an exception ends like any failure: the verdict
// line says why, and the side shows as unreadable rather than loading for ever.
TEST_F(ImageWindowTest, AWorkerThatThrowsSaysSo)
{
    const QString left = write(QStringLiteral("a.png"), png(Qt::red));
    const QString right = write(QStringLiteral("b.png"), png(Qt::blue));
    for (const char *worker : {"image compare", "preview"}) {
        SCOPED_TRACE(worker);
        ImagePreviewView::clearCache();
        SetWorkerFaultHook([worker](const char *name) {
            if (std::strcmp(name, worker) == 0)
                throw std::bad_alloc();
        });
        auto w = showWindowOn(left, right);
        QSignalSpy verdict(w.get(), &MergeImageWindCtr::verdictChanged);
        QTRY_VERIFY_WITH_TIMEOUT(verdict.count() > 0, 5000);
        for (ImagePreviewView *v : {w->ui().mView1, w->ui().mView2})
            QTRY_VERIFY_WITH_TIMEOUT(v->state() != ImagePreviewView::State::Loading, 5000);
        SetWorkerFaultHook(nullptr);
        const bool compareStopped = std::strcmp(worker, "image compare") == 0;
        EXPECT_EQ(w->isEqual(), compareStopped ? -1 : 0);
        if (compareStopped) {
            EXPECT_EQ(w->ui().mResultLabel->text(),
                      QStringLiteral("The files could not be compared. There was not enough "
                                     "memory."));
        }
        EXPECT_EQ(w->ui().mView1->state(), compareStopped ? ImagePreviewView::State::Shown
                                                          : ImagePreviewView::State::Unreadable);
    }
}

} // namespace

// Files named with a byte that is not UTF-8 (as a folder pair hands them over): shown, judged,
// saved under their own names and revealed.
TEST_F(ImageWindowTest, NamesWithoutUtf8AreShownSavedAndRevealedByTheirBytes)
{
    const QByteArray folder = QFile::encodeName(dir) + "/caf\xe9";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const auto writeBytes = [](const QByteArray &path, const QByteArray &bytes) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
    };
    const QByteArray a = folder + "/a\xe9.png", b = folder + "/b\xe9.png";
    writeBytes(a, png(Qt::red));
    writeBytes(b, png(Qt::blue));
    auto w = open(LocalPath_FromBytes(a), LocalPath_FromBytes(b));
    EXPECT_EQ(w->isEqual(), 0);
    EXPECT_EQ(w->ui().mView1->image().pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(w->ui().mView2->image().pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_EQ(w->ui().mFilePathLabel1->text(), LocalPath_Shown(LocalPath_FromBytes(a)));
    EXPECT_TRUE(w->ui().mFilePathLabel1->text().endsWith(QStringLiteral("caf\\xe9/a\\xe9.png")));

    QStringList revealed;
    platform::setRevealHook([&](const QString &path) {
        revealed << path;
        return true;
    });
    QTest::mouseClick(w->ui().mFilePathLabel1, Qt::LeftButton);
    platform::setRevealHook(nullptr);
    ASSERT_EQ(revealed.size(), 1);
    EXPECT_EQ(LocalPath_ToBytes(revealed[0]), folder);

    w->Merge_ChooseRight();
    QTest::mouseClick(w->ui().mButton_Save, Qt::LeftButton);
    QFile copy;
    const int fd = ::open(a.constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(copy.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    EXPECT_EQ(copy.readAll(), png(Qt::blue));
    EXPECT_EQ(w->isEqual(), 1);
    // Nothing was written under a look-alike name.
    QList<QByteArray> names;
    if (DIR *listing = ::opendir(folder.constData())) {
        while (const dirent *e = ::readdir(listing))
            if (e->d_name[0] != '.')
                names << QByteArray(e->d_name);
        ::closedir(listing);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (QList<QByteArray>{"a\xe9.png", "b\xe9.png"}));
    ::unlink(a.constData());
    ::unlink(b.constData());
    ::rmdir(folder.constData());
}
