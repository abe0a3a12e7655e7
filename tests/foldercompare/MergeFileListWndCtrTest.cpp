// The folder compare window on the offscreen platform, driven through its actions and hooks.
#include "compare/Export_GenegatePatch_SettingView.h"
#include "compare/FolderCompareState.h"
#include "controls/CustomTableShortKey.h"
#include "controls/DraggingInfo.h"
#include "foldercompare/FolderCompareModel.h"
#include "foldercompare/MergeEditPreview.h"
#include "foldercompare/MergeFileListWndCtr.h"
#include "graphics/Contrast.h"
#include "platform/Alerts.h"
#include "platform/DecodeBudget.h"
#include "platform/PixelLimits.h"
#include "platform/Dispatch.h"
#include "platform/ImageReader.h"
#include "platform/NotificationCenter.h"
#include "platform/Panels.h"
#include "platform/PrivateFiles.h"
#include "platform/Trash.h"
#include "platform/Workspace.h"
#include "services/AppSetting.h"
#include "platform/LocalPath.h"
#include "services/WorkerFailure.h"
#include "shell/QuitWalk.h"
#include "support/AlertAnswers.h"
#include "support/LogCapture.h"
#include "textcompare/MyEditTextView.h"
#include "support/OtherUser.h"
#include "support/OpenWatch.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/MergeWindow.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTextCursor>
#include <QImage>
#include <QHeaderView>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>
#include <QToolBar>
#include <QToolTip>
#include <QTreeView>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <new>
#include <utility>

namespace {

template <class F> bool spinUntil(F done, int ms = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void setTime(const QString &path, qint64 seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

void write(const QString &path, const QByteArray &bytes, qint64 seconds = 1700000000)
{
    ASSERT_TRUE(pelkotest::writeFile(path, bytes));
    setTime(path, seconds);
}

class FolderWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        base = pelkotest::freshDir(QStringLiteral("folderwnd"));
        left = base + "/L/";
        right = base + "/R/";
        write(left + "same.txt", "same\n");
        write(right + "same.txt", "same\n");
        write(left + "diff.txt", "one\ntwo\n");
        write(right + "diff.txt", "one\nTWO\nthree\n", 1700000100);
        write(left + "onlyleft.txt", "l\n");
        write(right + "onlyright.txt", "r\n");
        write(left + "sub/inner.txt", "a\n");
        write(right + "sub/inner.txt", "b\n", 1700000100);
        gAppSetting.compare_folderViewMode = 0;
        gAppSetting.compareSubFolder = 1;
        gAppSetting.compare_sort_folder_tree_above_file = 1;
        gAppSetting.compare_showFolder = 1;
        gAppSetting.compare_deletesFilesToTrash = 1;
        gAppSetting.folder_compare_Mode = 0;
        gAppSetting.bIgnore_MacHiddenFile = 1;
        platform::setAlertHook([this](const platform::AlertRequest &r) {
            alerts.append(r);
            return alertAnswer;
        });
    }
    void TearDown() override
    {
        delete wnd;
        platform::setAlertHook(nullptr);
        platform::setTrashHook(nullptr);
        for (const auto &w : gOpenCompareWindowList)
            if (w)
                delete w.data();
        OpenCompareWindowList_Reset();
    }

    MergeFileListWndCtr *open(int mode = 0)
    {
        auto info = FileListCompareInfo_FromSettings(left, right);
        info->folder_compare_Mode = mode;
        wnd = new MergeFileListWndCtr();
        wnd->SetCompareInfoWith(info);
        QSignalSpy done(wnd, &MergeFileListWndCtr::compareFinished);
        wnd->showWindow();
        EXPECT_TRUE(spinUntil([&] { return done.count() > 0; }));
        return wnd;
    }

    int idOf(const QByteArray &relative) const
    {
        for (const COMP_ITEM &it : wnd->model()->items())
            if (wnd->model()->relativePath(it.ID) == relative)
                return it.ID;
        return -1;
    }
    int verdictOf(const QByteArray &relative) const
    {
        const COMP_ITEM *it = wnd->model()->item(idOf(relative));
        return it ? it->compareResult : -1;
    }
    void select(const QByteArray &relative)
    {
        const QModelIndex i = wnd->model()->indexForId(idOf(relative));
        ASSERT_TRUE(i.isValid());
        wnd->fileTableView()->selectionModel()->select(i, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    }
    QAction *action(const char *name) const
    {
        return wnd->mainWindow()->findChild<QAction *>(QLatin1String(name));
    }

    QString base, left, right;
    MergeFileListWndCtr *wnd = nullptr;
    QList<platform::AlertRequest> alerts;
    int alertAnswer = platform::AlertFirstButtonReturn;
};

// GNU patch applies the patch file inside the folder, as a user would apply it.
testing::AssertionResult appliesWithGnuPatch(const QString &folder, const QString &patchFile)
{
    QProcess patch;
    patch.setWorkingDirectory(folder);
    patch.start(QStringLiteral("patch"),
                {QStringLiteral("-p0"), QStringLiteral("-s"), QStringLiteral("-i"), patchFile});
    if (!patch.waitForFinished(20000))
        return testing::AssertionFailure() << "patch did not finish";
    if (patch.exitCode() != 0)
        return testing::AssertionFailure() << patch.readAllStandardError().toStdString();
    return testing::AssertionSuccess();
}

// Writes a file named by bytes, making the folders on its way.
void writeBytes(const QByteArray &path, const QByteArray &bytes, qint64 seconds = 1700000000)
{
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0700);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0) << path.constData();
    EXPECT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ::utimensat(AT_FDCWD, path.constData(), times, 0);
}

QByteArray readBytes(const QByteArray &path)
{
    QByteArray out;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "(missing)";
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    ::close(fd);
    return out;
}

// The names in a folder, by their bytes.
QList<QByteArray> namesIn(const QByteArray &folder)
{
    QList<QByteArray> names;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const dirent *e = ::readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names << QByteArray(e->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray pngBytes(QColor colour)
{
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

// Two folders whose names, and the names inside them, hold a Latin-1 byte (not UTF-8).
class FolderWindowLatin1 : public FolderWindow
{
protected:
    void SetUp() override
    {
        FolderWindow::SetUp();
        root1 = QFile::encodeName(base) + "/top\xe9L/";
        root2 = QFile::encodeName(base) + "/top\xe9R/";
        writeBytes(root1 + "f\xe9.txt", "one\ntwo\n");
        writeBytes(root2 + "f\xe9.txt", "one\nTWO\nthree\n", 1700000100);
        writeBytes(root1 + "only\xe9.txt", "l\n");
        writeBytes(root1 + "sub\xe9/g.txt", "same\n");
        writeBytes(root2 + "sub\xe9/g.txt", "same\n");
        // The same picture on both sides: the patch is of texts only.
        writeBytes(root1 + "p\xe9.png", pngBytes(Qt::red));
        writeBytes(root2 + "p\xe9.png", pngBytes(Qt::red));
        left = LocalPath_FromBytes(root1);
        right = LocalPath_FromBytes(root2);
    }
    void TearDown() override
    {
        FolderWindow::TearDown();
        // Qt's own clean-up of the test's folder cannot name these bytes.
        for (const QByteArray &tree : {root1, root2, QFile::encodeName(base) + "/apply"})
            platform::RemoveTreeNoFollow(LocalPath_FromBytes(tree.chopped(tree.endsWith('/'))));
        const QByteArray trash = QFile::encodeName(platform::CurrentUserTrash().homeTrash);
        for (const QByteArray half : {"/files/", "/info/"})
            for (const QByteArray &name : namesIn(trash + half))
                if (name.contains('\xe9'))
                    platform::RemoveTreeNoFollow(LocalPath_FromBytes(trash + half + name));
    }
    MergeEditWndCtr *textWindow() const
    {
        for (const auto &w : gOpenCompareWindowList)
            if (auto *e = qobject_cast<MergeEditWndCtr *>(w.data()))
                return e;
        return nullptr;
    }
    QByteArray root1, root2;
};

TEST_F(FolderWindow, RowsColoursAndCountsInBothViews)
{
    open();
    auto *table = qobject_cast<CustomTableShortKey *>(wnd->fileTableView());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->mainController.data(), wnd);
    EXPECT_TRUE(table->uniformRowHeights());
    FolderCompareModel *m = wnd->model();
    // List: every entry, folders with their content.
    EXPECT_EQ(m->rowCount(), 6);
    EXPECT_EQ(verdictOf("same.txt"), COMP_RESULT_SAME);
    EXPECT_EQ(verdictOf("diff.txt"), COMP_RESULT_DIFFERENT);
    EXPECT_EQ(verdictOf("onlyleft.txt"), COMP_RESULT_LEFT_ONLY);
    EXPECT_EQ(verdictOf("onlyright.txt"), COMP_RESULT_RIGHT_ONLY);
    EXPECT_EQ(verdictOf("sub"), COMP_RESULT_DIFFERENT);
    const QLabel *counts = wnd->mainWindow()->findChild<QLabel *>(QStringLiteral("mCountsLabel"));
    EXPECT_TRUE(counts->text().contains(QStringLiteral("Different: 2")));
    EXPECT_TRUE(counts->text().contains(QStringLiteral("Left only: 1")));
    // Folders first, then names.
    EXPECT_EQ(m->index(0, 0).data().toString(), QStringLiteral("sub"));
    EXPECT_EQ(m->index(1, 0).data().toString(), QStringLiteral("sub/inner.txt"));

    const QColor base = QApplication::palette().color(QPalette::Base);
    const QModelIndex leftOnly = m->indexForId(idOf("onlyleft.txt"));
    EXPECT_EQ(
        leftOnly.data(Qt::ForegroundRole).value<QColor>(),
        FolderCompareModel::verdictColor(COMP_RESULT_LEFT_ONLY, base,
                                         QApplication::palette().color(QPalette::AlternateBase)));
    EXPECT_NE(FolderCompareModel::verdictColor(COMP_RESULT_LEFT_ONLY, base),
              FolderCompareModel::verdictColor(COMP_RESULT_RIGHT_ONLY, base));
    EXPECT_TRUE(m->indexForId(idOf("onlyleft.txt"), FolderCompareModel::ColName2)
                    .data()
                    .toString()
                    .isEmpty());

    action("actionTreeMode")->trigger();
    EXPECT_TRUE(m->treeMode());
    EXPECT_EQ(m->rowCount(), 5);
    const QModelIndex sub = m->index(0, 0);
    EXPECT_EQ(sub.data().toString(), QStringLiteral("sub"));
    EXPECT_EQ(m->rowCount(sub), 1);
    EXPECT_EQ(m->index(0, 0, sub).data().toString(), QStringLiteral("inner.txt"));
    const qint32 viewMode = gAppSetting.compare_folderViewMode;
    EXPECT_EQ(viewMode, 1);
}

TEST_F(FolderWindow, VerdictFiltersHideRowsInTheModel)
{
    open();
    FolderCompareModel *m = wnd->model();
    action("menuShowIdentical")->setChecked(false);
    action("menuShowLeftOnly")->setChecked(false);
    EXPECT_FALSE(m->indexForId(idOf("same.txt")).isValid());
    EXPECT_FALSE(m->indexForId(idOf("onlyleft.txt")).isValid());
    EXPECT_TRUE(m->indexForId(idOf("diff.txt")).isValid());
    action("menuShowFolder")->setChecked(false);
    EXPECT_FALSE(m->indexForId(idOf("sub")).isValid());
    EXPECT_TRUE(m->indexForId(idOf("sub/inner.txt")).isValid());
    EXPECT_EQ(m->rowCount(), 3);
}

TEST_F(FolderWindow, CopiesAreOfferedOnlyFromASideThatHoldsTheSelection)
{
    open();
    struct Row
    {
        std::vector<QByteArray> selected;
        bool toRight, toLeft;
    };
    const Row rows[] = {
        {{"onlyleft.txt"}, true, false},
        {{"onlyright.txt"}, false, true},
        {{"diff.txt"}, true, true},
        {{"onlyleft.txt", "onlyright.txt"}, true, true},
        {{}, false, false},
    };
    QItemSelectionModel *selection = wnd->fileTableView()->selectionModel();
    for (const Row &row : rows) {
        selection->clearSelection();
        for (const QByteArray &name : row.selected)
            selection->select(wnd->model()->indexForId(idOf(name)),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QString what = QString::fromLatin1(row.selected.empty() ? QByteArray("nothing")
                                                                      : row.selected.front()) +
                             QStringLiteral(" of %1").arg(row.selected.size());
        EXPECT_EQ(action("actionCopyToRight")->isEnabled(), row.toRight) << qPrintable(what);
        EXPECT_EQ(action("actionCopyToLeft")->isEnabled(), row.toLeft) << qPrintable(what);
    }
}

TEST_F(FolderWindow, TheDeleteKeysDeleteTheSelection)
{
    open();
    QStringList trashed;
    platform::setTrashHook([&](const QString &path) {
        trashed.append(path);
        return QFile::remove(path);
    });
    QMainWindow *w = wnd->mainWindow();
    QTreeView *view = wnd->fileTableView();
    // The keys go to the list of the active window, as a user presses them there.
    const auto press = [&](Qt::KeyboardModifiers modifiers) {
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Delete, modifiers);
    };
    QSignalSpy deleted(wnd, &MergeFileListWndCtr::deleteFinished);

    // Delete: both sides, to the Trash as the preferences say.
    select("onlyleft.txt");
    press(Qt::NoModifier);
    ASSERT_TRUE(spinUntil([&] { return deleted.count() == 1; }));
    ASSERT_FALSE(alerts.isEmpty());
    EXPECT_TRUE(alerts.last().text.startsWith(QStringLiteral("Move 1 item to the Trash?")))
        << qPrintable(alerts.last().text);
    EXPECT_EQ(trashed, QStringList{left + "onlyleft.txt"});

    // Shift+Delete: for good, after the warning that says so, whatever the preferences say.
    select("onlyright.txt");
    press(Qt::ShiftModifier);
    ASSERT_TRUE(spinUntil([&] { return deleted.count() == 2; }));
    EXPECT_TRUE(alerts.last().text.startsWith(QStringLiteral("Delete 1 item permanently?")))
        << qPrintable(alerts.last().text);
    EXPECT_EQ(trashed.size(), 1);
    EXPECT_FALSE(QFile::exists(right + "onlyright.txt"));

    // Cancelled, the key deletes nothing.
    alertAnswer = platform::AlertSecondButtonReturn;
    select("same.txt");
    press(Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_TRUE(QFile::exists(left + "same.txt"));
    EXPECT_TRUE(QFile::exists(right + "same.txt"));
}

TEST_F(FolderWindow, TheCountsSayHowManyHiddenEntriesWereLeftOut)
{
    write(left + ".hidden", "1");
    write(right + ".hidden", "2");
    write(left + ".leftonly", "1");
    write(right + "sub/.deep", "1");
    const QLabel *counts = nullptr;
    struct Row
    {
        quint8 ignoreHidden;
        const char *said; // nullptr: nothing said of hidden entries
    };
    for (const Row &row : {Row{1, "3 hidden entries not compared"}, Row{0, nullptr}}) {
        gAppSetting.bIgnore_MacHiddenFile = row.ignoreHidden;
        delete std::exchange(wnd, nullptr);
        open();
        counts = wnd->mainWindow()->findChild<QLabel *>(QStringLiteral("mCountsLabel"));
        ASSERT_TRUE(counts);
        if (row.said) {
            EXPECT_TRUE(counts->text().contains(QLatin1String(row.said)))
                << qPrintable(counts->text());
        } else {
            EXPECT_FALSE(counts->text().contains(QStringLiteral("hidden")))
                << qPrintable(counts->text());
        }
    }
    // A refresh counts anew.
    gAppSetting.bIgnore_MacHiddenFile = 1;
    QFile::remove(left + ".leftonly");
    QFile::remove(right + "sub/.deep");
    QSignalSpy compared(wnd, &MergeFileListWndCtr::compareFinished);
    action("actionRefresh")->trigger();
    ASSERT_TRUE(spinUntil([&] { return compared.count() == 1; }));
    EXPECT_TRUE(counts->text().contains(QStringLiteral("1 hidden entry not compared")))
        << qPrintable(counts->text());
}

TEST_F(FolderWindow, EntriesBelowAnUnreadableFolderAreListedNotJudgedWithItsPath)
{
    // A folder the left side may not list (mode 000; root lists it anyway), and one whose left
    // path is longer than the system takes, which no one can list.
    for (const bool longName : {false, true}) {
        SCOPED_TRACE(longName);
        if (!longName && ::geteuid() == 0)
            continue;
        QByteArray name("locked");
        int rightOnly = 1;
        if (longName) {
            base = pelkotest::freshDir(QStringLiteral("folderwnd-long"));
            left = base + "/L/";
            right = base + "/R/";
            while (left.size() < 3950)
                left += QString(std::min<qsizetype>(200, 3950 - left.size()), u'n') + u'/';
            ASSERT_TRUE(QDir().mkpath(left));
            QDir().mkpath(right);
            name = QByteArray(240, 'd');
            rightOnly = 0;
        }
        const QString folder = QString::fromLatin1(name);
        if (!longName) {
            QDir().mkpath(left + folder);
        } else {
            // Made beside an open folder: its whole path is too long to be named.
            const int fd = ::open(QFile::encodeName(left).constData(), O_RDONLY | O_DIRECTORY);
            ASSERT_GE(fd, 0);
            EXPECT_EQ(::mkdirat(fd, name.constData(), 0700), 0);
            ::close(fd);
        }
        write(right + folder + "/inner.txt", "r\n");
        write(right + folder + "/sub/inner2.txt", "r\n");
        const QByteArray lockedPath = QFile::encodeName(left + folder);
        if (!longName) {
            ASSERT_EQ(::chmod(lockedPath.constData(), 0), 0);
        }
        delete std::exchange(wnd, nullptr);
        open();
        if (!longName)
            ::chmod(lockedPath.constData(), 0700);
        const QString reason = QStringLiteral("Left folder unreadable: ") + left + folder;
        for (const QByteArray below : {"/inner.txt", "/sub", "/sub/inner2.txt"}) {
            const QModelIndex row = wnd->model()->indexForId(idOf(name + below));
            ASSERT_TRUE(row.isValid()) << below.constData();
            EXPECT_EQ(row.data(FolderCompareModel::VerdictRole), int(COMP_RESULT_NOT_JUDGED))
                << below.constData();
            EXPECT_EQ(row.data(Qt::ToolTipRole).toString(), reason) << below.constData();
        }
        const QModelIndex top = wnd->model()->indexForId(idOf(name));
        EXPECT_EQ(top.data(FolderCompareModel::VerdictRole), int(COMP_RESULT_NOT_JUDGED));
        EXPECT_EQ(top.data(Qt::ToolTipRole).toString(),
                  longName ? QStringLiteral("The name is too long") : reason);
        const QLabel *counts =
            wnd->mainWindow()->findChild<QLabel *>(QStringLiteral("mCountsLabel"));
        EXPECT_TRUE(counts->text().contains(QStringLiteral("Right only: %1").arg(rightOnly)))
            << qPrintable(counts->text());
        EXPECT_TRUE(counts->text().contains(QStringLiteral("Not judged: 2")))
            << qPrintable(counts->text());
        if (longName) {
            const int fd = ::open(QFile::encodeName(left).constData(), O_RDONLY | O_DIRECTORY);
            ::unlinkat(fd, name.constData(), AT_REMOVEDIR);
            ::close(fd);
        }
    }
}

TEST_F(FolderWindow, OpeningAPairOpensThenRaisesTheTextWindow)
{
    open();
    auto textWindows = [] {
        int n = 0;
        for (const auto &w : gOpenCompareWindowList)
            n += qobject_cast<MergeEditWndCtr *>(w.data()) != nullptr;
        return n;
    };
    const QModelIndex diff = wnd->model()->indexForId(idOf("diff.txt"));
    emit wnd->fileTableView()->activated(diff);
    EXPECT_EQ(textWindows(), 1);
    MergeEditWndCtr *editor = nullptr;
    for (const auto &w : gOpenCompareWindowList)
        if (auto *e = qobject_cast<MergeEditWndCtr *>(w.data()))
            editor = e;
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->GetFile1(), left + "diff.txt");
    EXPECT_EQ(editor->GetFile2(), right + "diff.txt");
    emit wnd->fileTableView()->activated(diff);
    EXPECT_EQ(textWindows(), 1);
    // A one-sided file opens against an empty side, titled with its own name.
    EXPECT_TRUE(wnd->OpenItem(idOf("onlyleft.txt")));
    EXPECT_EQ(textWindows(), 2);
    for (const auto &w : gOpenCompareWindowList) {
        if (w && w->GetFile1() == left + "onlyleft.txt") {
            EXPECT_EQ(w->window()->windowTitle().remove(QStringLiteral("[*]")),
                      QStringLiteral("onlyleft.txt"));
        }
    }
    // The folder window's title has the form of the others'.
    EXPECT_EQ(wnd->window()->windowTitle(),
              QStringLiteral("[%1] and [%2]").arg(QDir(left).dirName(), QDir(right).dirName()));
}

TEST_F(FolderWindow, ImagePairsOpenOnlyThroughTheRegisteredOpener)
{
    write(left + "pic.png", "not really an image");
    write(right + "pic.png", "not really an image either");
    open();
    select("pic.png");
    EXPECT_FALSE(action("actionOpenPair")->isEnabled());
    EXPECT_FALSE(wnd->OpenItem(idOf("pic.png")));
    QStringList opened;
    MergeFileListWndCtr::setImagePairOpener([&](const QString &a, const QString &b) {
        opened << a << b;
        return true;
    });
    select("diff.txt");
    select("pic.png");
    EXPECT_TRUE(action("actionOpenPair")->isEnabled());
    action("actionOpenPair")->trigger();
    EXPECT_EQ(opened, (QStringList{left + "pic.png", right + "pic.png"}));
    MergeFileListWndCtr::setImagePairOpener(nullptr);
}

TEST_F(FolderWindow, PreviewHoldsASlotAndShowsTheTexts)
{
    open();
    select("diff.txt");
    wnd->TogglePreview();
    MergeEditPreview *preview = wnd->preview();
    ASSERT_TRUE(preview);
    EXPECT_TRUE(gOpenCompareWindowList.contains(QPointer<MergeWindow>(preview)));
    EXPECT_TRUE(preview->IsPreviewMode());
    EXPECT_FALSE(preview->WasEdit());
    EXPECT_TRUE(spinUntil([&] { return preview->currentPage() == 1; }));
    EXPECT_EQ(preview->text(2), QStringLiteral("one\nTWO\nthree\n"));
    EXPECT_EQ(preview->blockCount(), 1);
    // The preview follows the settled selection.
    select("onlyright.txt");
    EXPECT_TRUE(spinUntil([&] { return preview->text(2) == QStringLiteral("r\n"); }));
    // Quitting neither asks about the preview nor keeps it as an untitled text.
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Now);
    EXPECT_TRUE(alerts.isEmpty());
    QPointer<MergeEditPreview> guard(preview);
    wnd->close();
    EXPECT_TRUE(spinUntil([&] { return guard.isNull(); }));
}

TEST_F(FolderWindow, PreviewShowsImagesAndSaysWhyOneIsNotShown)
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "PNG"));
    // After the picture, a chunk declaring nearly 2 GB that the file does not hold.
    const QByteArray hostile = png.chopped(12) + QByteArray::fromHex("7ffffff0") + "tEXt";
    write(left + "pic.png", hostile);
    write(right + "pic.png", png);
    open();
    select("pic.png");
    wnd->TogglePreview();
    MergeEditPreview *preview = wnd->preview();
    ASSERT_TRUE(preview);
    ASSERT_TRUE(spinUntil([&] { return preview->currentPage() == 2; }));
    EXPECT_EQ(preview->imageNote(1),
              QStringLiteral("The image cannot be read: the file is damaged or incomplete"));
    EXPECT_TRUE(preview->imageSize(1).isEmpty());
    EXPECT_TRUE(preview->imageNote(2).isEmpty());
    EXPECT_FALSE(preview->imageSize(2).isEmpty());
    EXPECT_EQ(preview->imageSize(2).width() * 3, preview->imageSize(2).height() * 4);
}

TEST_F(FolderWindow, CopiesBothWaysThenTheyAreTheSame)
{
    open();
    QSignalSpy copied(wnd, &MergeFileListWndCtr::copyFinished);
    select("diff.txt");
    action("actionCopyToRight")->trigger();
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 1; }));
    // One of each: the sentences take the singular.
    EXPECT_TRUE(alerts.last().text.contains(QStringLiteral("Copy 1 item to the right folder?")))
        << qPrintable(alerts.last().text);
    EXPECT_TRUE(alerts.last().text.contains(QStringLiteral("1 file there will be replaced.")));
    EXPECT_TRUE(spinUntil([&] { return verdictOf("diff.txt") == COMP_RESULT_SAME; }));
    EXPECT_EQ(pelkotest::readFile(right + "diff.txt"), QByteArray("one\ntwo\n"));

    select("onlyright.txt");
    action("actionCopyToLeft")->trigger();
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 2; }));
    EXPECT_TRUE(spinUntil([&] { return verdictOf("onlyright.txt") == COMP_RESULT_SAME; }));

    // A fresh compare by size and date agrees: the copies kept their times.
    QSignalSpy compared(wnd, &MergeFileListWndCtr::compareFinished);
    action("actionRefresh")->trigger();
    ASSERT_TRUE(spinUntil([&] { return compared.count() == 1; }));
    EXPECT_EQ(verdictOf("diff.txt"), COMP_RESULT_SAME);
    EXPECT_EQ(verdictOf("onlyright.txt"), COMP_RESULT_SAME);
    EXPECT_EQ(verdictOf("sub"), COMP_RESULT_DIFFERENT);

    // Answering Cancel copies nothing.
    alertAnswer = platform::AlertSecondButtonReturn;
    select("sub");
    action("actionCopyToRight")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(pelkotest::readFile(right + "sub/inner.txt"), QByteArray("b\n"));
}

// The question counts what stands on disk now, and the copy never writes through a link on the
// target side: a linked folder is named and nothing goes into it.
TEST_F(FolderWindow, CopyCountsWhatIsOnDiskAndNeverWritesThroughALink)
{
    write(left + "dir/x.txt", "left\n");
    write(base + "/outside/x.txt", "outside\n");
    ASSERT_EQ(::symlink(QFile::encodeName(base + "/outside").constData(),
                        QFile::encodeName(right + "dir").constData()),
              0);
    open();
    QSignalSpy copied(wnd, &MergeFileListWndCtr::copyFinished);
    // Made after the compare: the list still shows the left file alone.
    write(right + "onlyleft.txt", "made meanwhile\n");
    select("onlyleft.txt");
    action("actionCopyToRight")->trigger();
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 1; }));
    EXPECT_TRUE(alerts.last().text.contains(QStringLiteral("1 file there will be replaced.")))
        << qPrintable(alerts.last().text);
    EXPECT_EQ(pelkotest::readFile(right + "onlyleft.txt"), QByteArray("l\n"));

    alerts.clear();
    select("dir/x.txt");
    action("actionCopyToRight")->trigger();
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 2; }));
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_FALSE(alerts[0].text.contains(QStringLiteral("replaced"))) << qPrintable(alerts[0].text);
    EXPECT_EQ(alerts[1].title, QStringLiteral("The copy failed"));
    EXPECT_TRUE(alerts[1].text.contains(right + QStringLiteral("dir is a link; nothing was "
                                                               "copied into it")))
        << qPrintable(alerts[1].text);
    EXPECT_EQ(pelkotest::readFile(base + "/outside/x.txt"), QByteArray("outside\n"));
    EXPECT_EQ(
        QDir(base + "/outside").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{QStringLiteral("x.txt")});
}

// The source side is walked from its top folder too: a folder swapped for a link after the
// compare is named, and nothing behind the link is copied.
TEST_F(FolderWindow, CopyNeverReadsThroughALinkSwappedInOnTheSourceSide)
{
    write(base + "/secret/inner.txt", "secret\n");
    open();
    QSignalSpy copied(wnd, &MergeFileListWndCtr::copyFinished);
    ASSERT_TRUE(QDir(left + "sub").removeRecursively());
    ASSERT_EQ(::symlink(QFile::encodeName(base + "/secret").constData(),
                        QFile::encodeName(left + "sub").constData()),
              0);
    select("sub/inner.txt");
    action("actionCopyToRight")->trigger();
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 1; }));
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_FALSE(alerts[0].text.contains(QStringLiteral("replaced"))) << qPrintable(alerts[0].text);
    EXPECT_EQ(alerts[1].title, QStringLiteral("The copy failed"));
    EXPECT_TRUE(alerts[1].text.contains(left + QStringLiteral("sub is a link; nothing was copied "
                                                              "from it")))
        << qPrintable(alerts[1].text);
    EXPECT_EQ(pelkotest::readFile(right + "sub/inner.txt"), QByteArray("b\n"));
}

TEST_F(FolderWindow, CopyIntoAFolderNamedWithoutUtf8KeepsItsBytes)
{
    const QByteArray folder("caf\xe9"); // Latin-1, not UTF-8
    const QByteArray leftFolder = QFile::encodeName(left) + folder;
    ASSERT_EQ(::mkdir(leftFolder.constData(), 0755), 0);
    FILE *f = std::fopen((leftFolder + "/inner.txt").constData(), "wb");
    ASSERT_TRUE(f);
    std::fputs("x\n", f);
    std::fclose(f);
    open();
    QSignalSpy copied(wnd, &MergeFileListWndCtr::copyFinished);
    // Only the file: its folder does not exist on the right yet.
    select(folder + "/inner.txt");
    action("actionCopyToRight")->trigger();
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 1; }));
    struct stat st
    {
    };
    EXPECT_EQ(::stat((QFile::encodeName(right) + folder + "/inner.txt").constData(), &st), 0);
    // No look-alike folder beside it.
    int entries = 0;
    if (DIR *d = ::opendir(QFile::encodeName(right).constData())) {
        while (const dirent *e = ::readdir(d))
            entries += std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0;
        ::closedir(d);
    }
    EXPECT_EQ(entries, 5);
    for (const auto &a : alerts)
        EXPECT_FALSE(a.buttons.contains(QStringLiteral("Skip"))) << a.text.toStdString();
    // Names Qt cannot spell are removed here, by their bytes.
    for (const QByteArray &side : {leftFolder, QFile::encodeName(right) + folder}) {
        ::unlink((side + "/inner.txt").constData());
        ::rmdir(side.constData());
    }
}

TEST_F(FolderWindow, ClosingWhileACopyAsksDoesNotWaitForTheUser)
{
    write(left + "clash", "a file");
    QDir().mkpath(right + "clash"); // a folder where the file would go: the copy fails and asks
    open();
    bool closedFromQuestion = false;
    platform::setAlertHook([&](const platform::AlertRequest &r) {
        alerts.append(r);
        if (r.buttons.contains(QStringLiteral("Stop")) && !closedFromQuestion) {
            closedFromQuestion = true;
            wnd->close(); // the user closes the window while the question is up
        }
        return platform::AlertFirstButtonReturn;
    });
    select("clash");
    action("actionCopyToRight")->trigger();
    ASSERT_TRUE(spinUntil([&] { return closedFromQuestion; }));
    // The copy ends without an answer from the user, and so does the window (a window that
    // waited for a worker waiting for the user would hang here).
    EXPECT_TRUE(spinUntil([&] { return !wnd->isCopyRunning(); }));
    delete wnd;
    wnd = nullptr;
    EXPECT_TRUE(QFileInfo(right + "clash").isDir());
}

TEST_F(FolderWindow, DeleteGoesToTheTrashAndStopsWhenAsked)
{
    open();
    QStringList trashed;
    bool trashWorks = true;
    bool cancelInDialog = false;
    platform::setTrashHook([&](const QString &path) {
        if (cancelInDialog) {
            // The user presses Cancel in the progress dialog while the first item goes.
            platform::performOnMainThread(
                [] {
                    for (QWidget *w : QApplication::topLevelWidgets())
                        if (w->objectName() == QStringLiteral("ProcessModalDlg") && w->isVisible())
                            if (auto *b =
                                    w->findChild<QPushButton *>(QStringLiteral("mCancelButton")))
                                b->click();
                },
                true);
        }
        if (!trashWorks)
            return false;
        trashed.append(path);
        return QFile::remove(path);
    });
    QSignalSpy deleted(wnd, &MergeFileListWndCtr::deleteFinished);

    // Cancel in the confirmation: nothing happens.
    alertAnswer = platform::AlertSecondButtonReturn;
    select("onlyleft.txt");
    action("actionDeleteLeft")->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(trashed.isEmpty());
    EXPECT_TRUE(QFile::exists(left + "onlyleft.txt"));

    // The question names what goes.
    ASSERT_FALSE(alerts.isEmpty());
    EXPECT_TRUE(alerts.last().text.startsWith(QStringLiteral("Move 1 item to the Trash?")))
        << qPrintable(alerts.last().text);
    EXPECT_TRUE(alerts.last().text.contains(QStringLiteral("onlyleft.txt (left)")));

    alertAnswer = platform::AlertFirstButtonReturn;
    const int rowsBefore = wnd->model()->rowCount();
    action("actionDeleteLeft")->trigger();
    ASSERT_TRUE(spinUntil([&] { return deleted.count() == 1; }));
    EXPECT_EQ(trashed, QStringList{left + "onlyleft.txt"});
    // Gone from both sides: its row leaves the list, nothing stays selected, the counts follow.
    EXPECT_TRUE(spinUntil([&] { return verdictOf("onlyleft.txt") == COMP_RESULT_GONE; }));
    EXPECT_FALSE(wnd->model()->indexForId(idOf("onlyleft.txt")).isValid());
    EXPECT_EQ(wnd->model()->rowCount(), rowsBefore - 1);
    EXPECT_TRUE(wnd->selectedIds().empty());
    const QLabel *counts = wnd->mainWindow()->findChild<QLabel *>(QStringLiteral("mCountsLabel"));
    EXPECT_TRUE(counts->text().contains(QStringLiteral("Left only: 0")));
    EXPECT_TRUE(counts->text().contains(QStringLiteral("Not judged: 0")))
        << qPrintable(counts->text());

    // Cancel in the progress dialog: the item under way goes, no other, and the job says why
    // it stopped.
    cancelInDialog = true;
    select("same.txt");
    {
        pelkotest::LogCapture log;
        action("actionDeleteBoth")->trigger();
        ASSERT_TRUE(spinUntil([&] { return deleted.count() == 2; }));
        EXPECT_EQ(log.lines().filter(QStringLiteral("user cancelled ")).size(), 1)
            << qPrintable(log.lines().join(u'\n'));
        EXPECT_TRUE(log.logged(QStringLiteral("**** USER CANCEL ****")));
    }
    EXPECT_EQ(trashed.size(), 2);
    EXPECT_FALSE(QFile::exists(left + "same.txt"));
    EXPECT_TRUE(QFile::exists(right + "same.txt"));
    cancelInDialog = false;

    // The trash fails: the worker asks; Stop keeps the files, never deleting them for good.
    trashWorks = false;
    select("diff.txt");
    int asked = 0;
    platform::setAlertHook([&](const platform::AlertRequest &r) {
        alerts.append(r);
        if (r.buttons.contains(QStringLiteral("Delete Permanently"))) {
            ++asked;
            return platform::AlertThirdButtonReturn; // Stop
        }
        return platform::AlertFirstButtonReturn;
    });
    action("actionDeleteBoth")->trigger();
    ASSERT_TRUE(spinUntil([&] { return deleted.count() == 3; }));
    EXPECT_EQ(asked, 1); // stopped after the first side
    EXPECT_TRUE(QFile::exists(left + "diff.txt"));
    EXPECT_TRUE(QFile::exists(right + "diff.txt"));
}

// A worker's failure question is a panel (Skip, [Delete Permanently,] Stop); the job goes on only
// on the button that says so, and an unanswered panel stops it.
TEST_F(FolderWindow, TheJobsFollowTheAnswerToTheirFailurePanels)
{
    write(left + "clash1", "file");
    write(left + "clash2", "file");
    QDir().mkpath(right + "clash1"); // a folder where the file would go: each copy fails
    QDir().mkpath(right + "clash2");
    open();
    const auto selectBoth = [&](const QByteArray &a, const QByteArray &b) {
        select(a);
        wnd->fileTableView()->selectionModel()->select(wnd->model()->indexForId(idOf(b)),
                                                       QItemSelectionModel::Select |
                                                           QItemSelectionModel::Rows);
    };
    constexpr int kUnanswered = 0;
    struct Row
    {
        const char *name;
        int answer;
        int panelsAsked;
    };
    QSignalSpy copied(wnd, &MergeFileListWndCtr::copyFinished);
    const Row copyRows[] = {
        {"Skip goes on to the next item", platform::AlertFirstButtonReturn, 2},
        {"Stop ends the copy", platform::AlertSecondButtonReturn, 1},
        {"no answer ends the copy", kUnanswered, 1},
    };
    for (const Row &row : copyRows) {
        SCOPED_TRACE(row.name);
        pelkotest::AlertAnswers answers;
        answers.answers = {platform::AlertFirstButtonReturn, row.answer, row.answer};
        selectBoth("clash1", "clash2");
        const int before = int(copied.count());
        action("actionCopyToRight")->trigger();
        ASSERT_TRUE(spinUntil([&] { return copied.count() == before + 1; }));
        ASSERT_EQ(int(answers.alerts.size()), 1 + row.panelsAsked);
        // Files are not put over folders, so the question names none as replaced.
        EXPECT_FALSE(answers.alerts[0].text.contains(QStringLiteral("replaced")))
            << qPrintable(answers.alerts[0].text);
        const platform::AlertRequest &panel = answers.alerts[1];
        EXPECT_EQ(panel.title, QStringLiteral("The copy failed"));
        EXPECT_TRUE(panel.text.contains(QStringLiteral("clash"))) << qPrintable(panel.text);
        EXPECT_EQ(panel.buttons, QStringList({QStringLiteral("Skip"), QStringLiteral("Stop")}));
    }
    EXPECT_TRUE(QFileInfo(right + "clash1").isDir());
    EXPECT_TRUE(QFileInfo(right + "clash2").isDir());

    // The trash fails for every item; Delete Permanently (the panel's alternate button) is the
    // only way an item goes for good.
    platform::setTrashHook([](const QString &) { return false; });
    QSignalSpy deleted(wnd, &MergeFileListWndCtr::deleteFinished);
    struct DeleteRow
    {
        Row row;
        bool filesGone;
    };
    const DeleteRow deleteRows[] = {
        {{"Skip keeps the item and goes on", platform::AlertFirstButtonReturn, 2}, false},
        {{"Stop ends the delete", platform::AlertThirdButtonReturn, 1}, false},
        {{"no answer ends the delete", kUnanswered, 1}, false},
        {{"Delete Permanently deletes each item", platform::AlertSecondButtonReturn, 2}, true},
    };
    for (const DeleteRow &d : deleteRows) {
        SCOPED_TRACE(d.row.name);
        pelkotest::AlertAnswers answers;
        answers.answers = {platform::AlertFirstButtonReturn, d.row.answer, d.row.answer};
        selectBoth("onlyleft.txt", "onlyright.txt");
        const int before = int(deleted.count());
        action("actionDeleteBoth")->trigger();
        ASSERT_TRUE(spinUntil([&] { return deleted.count() == before + 1; }));
        ASSERT_EQ(int(answers.alerts.size()), 1 + d.row.panelsAsked);
        const platform::AlertRequest &panel = answers.alerts[1];
        EXPECT_EQ(panel.title, QStringLiteral("The item cannot be moved to the Trash"));
        EXPECT_EQ(panel.buttons,
                  QStringList({QStringLiteral("Skip"), QStringLiteral("Delete Permanently"),
                               QStringLiteral("Stop")}));
        EXPECT_NE(QFile::exists(left + "onlyleft.txt"), d.filesGone);
        EXPECT_NE(QFile::exists(right + "onlyright.txt"), d.filesGone);
    }
}

// The delete job on the real trash: the item lands in the home trash with its origin; a trash
// whose folders were replaced by plain files is refused at once, and the job asks instead of
// putting the item anywhere else.
TEST_F(FolderWindow, DeleteUsesTheRealTrashAndAsksWhenItIsUnusable)
{
    open();
    QSignalSpy deleted(wnd, &MergeFileListWndCtr::deleteFinished);
    const QString trash = platform::CurrentUserTrash().homeTrash;
    ASSERT_FALSE(trash.isEmpty());
    const QString onlyLeft = QFileInfo(left + "onlyleft.txt").canonicalFilePath();
    {
        pelkotest::AlertAnswers answers;
        select("onlyleft.txt");
        action("actionDeleteLeft")->trigger();
        ASSERT_TRUE(spinUntil([&] { return deleted.count() == 1; }));
        EXPECT_EQ(answers.alerts.size(), 1u); // the confirmation only
    }
    EXPECT_FALSE(QFileInfo::exists(onlyLeft));
    QString infoFound;
    for (const QString &name : QDir(trash + "/info").entryList(QDir::Files)) {
        if (pelkotest::readFile(trash + "/info/" + name)
                .contains("\nPath=" + QFile::encodeName(onlyLeft).toPercentEncoding("/") + "\n"))
            infoFound = name;
    }
    ASSERT_FALSE(infoFound.isEmpty());
    infoFound.chop(QStringLiteral(".trashinfo").size());
    EXPECT_EQ(pelkotest::readFile(trash + "/files/" + infoFound), "l\n");

    // The trash swapped for one whose halves are plain files; put back afterwards for the other
    // tests of this run.
    const QString kept = trash + ".kept";
    ASSERT_TRUE(QDir().rename(trash, kept));
    ASSERT_TRUE(pelkotest::writeFile(trash + "/files", "planted"));
    ASSERT_TRUE(pelkotest::writeFile(trash + "/info", "planted"));
    const QString cwd = QDir::currentPath();
    const bool filesInCwd = QFileInfo::exists(cwd + "/files");
    {
        pelkotest::AlertAnswers answers;
        answers.answers = {platform::AlertFirstButtonReturn, platform::AlertFirstButtonReturn};
        select("onlyright.txt");
        action("actionDeleteRight")->trigger();
        ASSERT_TRUE(spinUntil([&] { return deleted.count() == 2; }));
        ASSERT_EQ(answers.alerts.size(), 2u);
        EXPECT_EQ(answers.alerts[1].title, QStringLiteral("The item cannot be moved to the Trash"));
    }
    EXPECT_EQ(pelkotest::readFile(right + "onlyright.txt"), "r\n");
    EXPECT_EQ(pelkotest::readFile(trash + "/files"), "planted");
    EXPECT_EQ(QFileInfo::exists(cwd + "/files"), filesInCwd);
    QFile::remove(trash + "/files");
    QFile::remove(trash + "/info");
    QDir().rmdir(trash);
    EXPECT_TRUE(QDir().rename(kept, trash));
}

TEST_F(FolderWindow, NotificationJudgesOneRowAgain)
{
    open(3);
    EXPECT_EQ(verdictOf("same.txt"), COMP_RESULT_SAME);
    EXPECT_EQ(verdictOf("sub"), COMP_RESULT_DIFFERENT);
    write(right + "same.txt", "changed\n");
    write(right + "sub/inner.txt", "a\n");
    // Only the posted entry is judged again, and its folder sums up anew.
    platform::NotificationCenter::defaultCenter().postNotification(
        QStringLiteral("NeedUpdateFileCompareResult"), nullptr,
        {{QStringLiteral("paths"), QStringList{left + "sub/inner.txt"}}});
    EXPECT_TRUE(spinUntil([&] { return verdictOf("sub/inner.txt") == COMP_RESULT_SAME; }));
    EXPECT_EQ(verdictOf("sub"), COMP_RESULT_SAME);
    EXPECT_EQ(verdictOf("same.txt"), COMP_RESULT_SAME);
    platform::NotificationCenter::defaultCenter().postNotification(
        QStringLiteral("NeedUpdateFileCompareResult"), nullptr,
        {{QStringLiteral("paths"), QStringList{left + "same.txt"}}});
    EXPECT_TRUE(spinUntil([&] { return verdictOf("same.txt") == COMP_RESULT_DIFFERENT; }));
    EXPECT_EQ(verdictOf("diff.txt"), COMP_RESULT_DIFFERENT);
}

TEST_F(FolderWindow, DropOfTwoFoldersComparesThem)
{
    open();
    const QString a = base + "/A", b = base + "/B";
    write(a + "/x", "1");
    write(b + "/x", "1");
    auto drag = [](QStringList paths, double x = 10) {
        return DraggingInfo{paths, Qt::CopyAction, QPointF(x, 10)};
    };
    EXPECT_FALSE(*wnd->get_AllowDrop(drag({a + "/x"}))); // files only: no
    EXPECT_TRUE(*wnd->get_AllowDrop(drag({a, b})));
    QSignalSpy done(wnd, &MergeFileListWndCtr::compareFinished);
    EXPECT_TRUE(*wnd->performDragOperation_Finish(drag({a, b})));
    ASSERT_TRUE(spinUntil([&] { return done.count() == 1; }));
    EXPECT_EQ(wnd->compareInfo()->mFolder1, a + "/");
    EXPECT_EQ(wnd->compareInfo()->mFolder2, b + "/");
    EXPECT_EQ(wnd->model()->items().size(), 1u);
    // One folder replaces the side it fell on.
    EXPECT_TRUE(*wnd->performDragOperation_Finish(drag({left}, wnd->window()->width() - 5)));
    ASSERT_TRUE(spinUntil([&] { return done.count() == 2; }));
    EXPECT_EQ(wnd->compareInfo()->mFolder2, left);
}

TEST_F(FolderWindow, DropsAreRefusedWhileItCompares)
{
    // Two equal sparse 2 GB files in content mode keep the compare reading until it is stopped.
    for (const QString &side : {left, right}) {
        const int fd = ::open(QFile::encodeName(side + "big.bin").constData(),
                              O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 2LL * 1024 * 1024 * 1024), 0);
        ::close(fd);
    }
    const QString a = base + "/A", b = base + "/B";
    write(a + "/x", "1");
    write(b + "/x", "1");
    const DraggingInfo twoFolders{{a, b}, Qt::CopyAction, QPointF(10, 10)};
    auto info = FileListCompareInfo_FromSettings(left, right);
    info->folder_compare_Mode = 3;
    wnd = new MergeFileListWndCtr();
    wnd->SetCompareInfoWith(info);
    QSignalSpy done(wnd, &MergeFileListWndCtr::compareFinished);
    wnd->showWindow();
    ASSERT_TRUE(spinUntil([&] { return idOf("big.bin") >= 0; }));
    ASSERT_TRUE(wnd->isCompareRunning());
    // A drop now would start a second compare over the running one.
    EXPECT_FALSE(*wnd->get_AllowDrop(twoFolders));
    EXPECT_FALSE(*wnd->performDragOperation_Finish(twoFolders));
    EXPECT_EQ(wnd->compareInfo()->mFolder1, left);
    EXPECT_EQ(wnd->compareInfo()->mFolder2, right);
    EXPECT_TRUE(wnd->isCompareRunning());

    wnd->mainWindow()->findChild<QPushButton *>(QStringLiteral("mStopButton"))->click();
    ASSERT_TRUE(spinUntil([&] { return done.count() == 1; }, 30000));
    EXPECT_TRUE(*wnd->get_AllowDrop(twoFolders));
}

TEST_F(FolderWindow, SecondCompareIsRefusedWithTheBusyAlert)
{
    QObject other;
    ASSERT_TRUE(FolderCompareState_BeginCompare(&other, nullptr, nullptr));
    wnd = new MergeFileListWndCtr();
    wnd->SetCompareInfoWith(FileListCompareInfo_FromSettings(left, right));
    wnd->window();
    EXPECT_FALSE(wnd->StartCompare());
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].title, QStringLiteral("Warning"));
    EXPECT_FALSE(wnd->isBusy());
    FolderCompareState_EndCompare(&other);
    EXPECT_TRUE(wnd->StartCompare());
    EXPECT_TRUE(spinUntil([&] { return !wnd->isCompareRunning(); }));
}

TEST_F(FolderWindow, SecondWindowIsRefusedAndStopActsWithinHalfASecond)
{
    // Two equal 2 GB files (sparse) keep the content compare busy for a long while.
    for (const QString &side : {left, right}) {
        const int fd = ::open(QFile::encodeName(side + "big.bin").constData(),
                              O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 2LL * 1024 * 1024 * 1024), 0);
        ::close(fd);
    }
    auto info = FileListCompareInfo_FromSettings(left, right);
    info->folder_compare_Mode = 3;
    wnd = new MergeFileListWndCtr();
    wnd->SetCompareInfoWith(info);
    QSignalSpy done(wnd, &MergeFileListWndCtr::compareFinished);
    wnd->showWindow();
    ASSERT_TRUE(spinUntil([&] { return idOf("big.bin") >= 0; }));
    ASSERT_TRUE(wnd->isCompareRunning());

    auto *second = new MergeFileListWndCtr();
    second->SetCompareInfoWith(FileListCompareInfo_FromSettings(right, left));
    second->showWindow();
    EXPECT_TRUE(spinUntil([&] { return !alerts.isEmpty(); }, 20000));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].title, QStringLiteral("Warning"));
    EXPECT_TRUE(alerts[0].text.contains(QStringLiteral("is busy")));
    EXPECT_FALSE(second->isCompareRunning());
    delete second;

    ASSERT_TRUE(wnd->isCompareRunning());
    auto *stop = wnd->mainWindow()->findChild<QPushButton *>(QStringLiteral("mStopButton"));
    ASSERT_TRUE(stop && stop->isVisible() && stop->isEnabled());
    stop->click();
    ASSERT_TRUE(spinUntil([&] { return done.count() == 1; }, 30000));
    EXPECT_TRUE(done[0][0].toBool());
    // Read to their end, the two would have been judged the same: the stop acted between blocks.
    EXPECT_EQ(verdictOf("big.bin"), COMP_RESULT_NOT_JUDGED);
    EXPECT_FALSE(stop->isVisible());
    // The stopped compare wrote no patch: that needs a compare run to its end.
    EXPECT_FALSE(action("actionGeneratePatch")->isEnabled());
}

TEST_F(FolderWindow, PatchOfTwoTreesAppliesWithPatch)
{
    write(left + "spaces.txt", "a b\n");
    write(right + "spaces.txt", "ab\n");
    open(3);
    EXPECT_EQ(verdictOf("spaces.txt"), COMP_RESULT_DIFFERENT);
    const QString out = base + "/tree.patch";
    QSignalSpy done(wnd, &MergeFileListWndCtr::patchFinished);
    // The save panel carries the patch options; ignoring all blanks, the change of blanks only
    // makes no hunk.
    bool oneFileHidden = false, sideBySideSaid = false, normalQuiet = false;
    platform::setSavePanelHook([&](const platform::SavePanelRequest &r) {
        auto *view = qobject_cast<Export_GenegatePatch_SettingView *>(r.accessory);
        if (!view)
            return QString();
        oneFileHidden = view->isOneFileOptionHidden();
        // Side by side, remembered from an earlier patch, is said to be for reading only.
        view->mOutputSideBySide->setChecked(true);
        sideBySideSaid = view->mSideBySideNote->isVisibleTo(view) &&
                         view->mSideBySideNote->text().contains(QStringLiteral("cannot apply"));
        view->mOutputNormal->setChecked(true);
        normalQuiet = !view->mSideBySideNote->isVisibleTo(view);
        view->mIgnoreAllSpace->setChecked(true);
        return out;
    });
    QStringList revealed;
    platform::setRevealHook([&](const QString &path) {
        revealed << path;
        return true;
    });
    action("actionGeneratePatch")->trigger();
    ASSERT_TRUE(spinUntil([&] { return done.count() == 1; }));
    platform::setSavePanelHook(nullptr);
    platform::setRevealHook(nullptr);
    EXPECT_TRUE(done[0][0].toBool());
    EXPECT_TRUE(oneFileHidden);
    EXPECT_TRUE(sideBySideSaid);
    EXPECT_TRUE(normalQuiet);
    EXPECT_TRUE(wnd->patchOptions().ignore.ignoreAllSpace);
    EXPECT_EQ(revealed.size(), 1);
    // The choice is remembered for the next patch.
    EXPECT_TRUE(Export_GenegatePatch_SettingView().options().ignore.ignoreAllSpace);
    EXPECT_TRUE(appliesWithGnuPatch(left, out));
    EXPECT_EQ(pelkotest::readFile(left + "diff.txt"), pelkotest::readFile(right + "diff.txt"));
    EXPECT_EQ(pelkotest::readFile(left + "sub/inner.txt"), QByteArray("b\n"));
    EXPECT_FALSE(pelkotest::readFile(out).contains("spaces.txt"));
    EXPECT_EQ(pelkotest::readFile(left + "spaces.txt"), QByteArray("a b\n"));
}

// A name holding a line break would put lines of its choosing into the patch ("Index:" of
// another file): such entries stay out of it, and the window names them.
TEST_F(FolderWindow, PatchLeavesOutNamesWithLineBreaks)
{
    write(left + "victim.txt", "keep\n");
    write(right + "victim.txt", "keep\n");
    for (const char *name : {"evil\nIndex:victim.txt", "cr\rname.txt"}) {
        write(left + QString::fromUtf8(name), "keep\n");
        write(right + QString::fromUtf8(name), "changed\n");
    }
    open(3);
    EXPECT_EQ(verdictOf("evil\nIndex:victim.txt"), COMP_RESULT_DIFFERENT);
    const QString out = base + "/names.patch";
    QSignalSpy done(wnd, &MergeFileListWndCtr::patchFinished);
    platform::setSavePanelHook([&](const platform::SavePanelRequest &) { return out; });
    platform::setRevealHook([](const QString &) { return true; });
    action("actionGeneratePatch")->trigger();
    ASSERT_TRUE(spinUntil([&] { return done.count() == 1; }));
    platform::setSavePanelHook(nullptr);
    platform::setRevealHook(nullptr);
    EXPECT_TRUE(done[0][0].toBool());
    EXPECT_EQ(alerts.isEmpty() ? QString() : alerts.last().text,
              QStringLiteral("not in the patch: names with line breaks\ncr\\rname.txt\n"
                             "evil\\nIndex:victim.txt"));
    EXPECT_TRUE(appliesWithGnuPatch(left, out));
    EXPECT_EQ(pelkotest::readFile(left + "victim.txt"), QByteArray("keep\n"));
    EXPECT_EQ(pelkotest::readFile(left + "diff.txt"), pelkotest::readFile(right + "diff.txt"));
}

// Another user swaps a compared file for a link to a file only this user may read after the
// compare: the patch leaves that pair out, says why, and never holds the linked file's lines.
TEST_F(FolderWindow, PatchNeverReadsThroughALinkSwappedInAfterTheCompare)
{
    const QString secret = base + "/secret/";
    write(secret + "key", "SECRET line\n");
    ASSERT_EQ(::chmod(QFile::encodeName(secret + "key").constData(), 0600), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(secret).constData(), 0700), 0);
    open(3);
    ASSERT_EQ(verdictOf("diff.txt"), COMP_RESULT_DIFFERENT);
    ASSERT_EQ(verdictOf("sub/inner.txt"), COMP_RESULT_DIFFERENT);
    ASSERT_EQ(::unlink(QFile::encodeName(left + "diff.txt").constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(secret + "key").constData(),
                        QFile::encodeName(left + "diff.txt").constData()),
              0);
    const QString out = base + "/swapped.patch";
    bool finished = false, written = false;
    wnd->GeneratePatchTo(out, [&](bool ok) {
        finished = true;
        written = ok;
    });
    ASSERT_TRUE(spinUntil([&] { return finished; }));
    EXPECT_TRUE(written);
    const QByteArray text = pelkotest::readFile(out);
    EXPECT_FALSE(text.contains("SECRET")) << text.constData();
    EXPECT_FALSE(text.contains("Index: diff.txt\n")) << text.constData();
    EXPECT_TRUE(text.contains("Index: sub/inner.txt\n")) << text.constData();
    EXPECT_EQ(alerts.isEmpty() ? QString() : alerts.last().text,
              QStringLiteral("not in the patch: links, and files changed since the compare\n"
                             "diff.txt (changed since the compare)"));
}

// Another user who owns the compared folder swaps a folder below the top for a link to a folder
// only this user may read, after the compare: deleting and trashing what the list shows below
// that folder reaches nothing behind the link. The entries are refused and named instead.
TEST_F(FolderWindow, DeleteAndTrashNeverReachThroughAFolderSwappedForALink)
{
    const QString secret = base + "/secret/";
    for (const QString &top : {left + "sub/", secret}) {
        write(top + "victim.txt", "victim\n");
        write(top + "victimdir/a.txt", "a\n");
        write(top + "trashme.txt", "trash me\n");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(secret).constData(), 0700), 0);
    open();
    ASSERT_TRUE(QDir().rename(left + "sub", left + "sub.real"));
    ASSERT_EQ(::symlink(QFile::encodeName(secret).constData(),
                        QFile::encodeName(left + "sub").constData()),
              0);
    QSignalSpy deleted(wnd, &MergeFileListWndCtr::deleteFinished);
    const auto failurePanels = [&] {
        int panels = 0;
        for (const platform::AlertRequest &alert : alerts)
            panels += alert.title.startsWith(QStringLiteral("The item cannot be")) ? 1 : 0;
        return panels;
    };
    // Moved to the trash: refused, and Skip deletes nothing for good.
    select("sub/trashme.txt");
    wnd->DeleteSelection(1, false);
    ASSERT_TRUE(spinUntil([&] { return deleted.count() == 1; }));
    EXPECT_EQ(failurePanels(), 1);
    // Deleted for good: both refused (Skip, the first button, goes on to the next).
    select("sub/victim.txt");
    wnd->fileTableView()->selectionModel()->select(wnd->model()->indexForId(idOf("sub/victimdir")),
                                                   QItemSelectionModel::Select |
                                                       QItemSelectionModel::Rows);
    wnd->DeleteSelection(1, true);
    ASSERT_TRUE(spinUntil([&] { return deleted.count() == 2; }));
    EXPECT_EQ(failurePanels(), 3);
    for (const QString &top : {secret, left + "sub.real/"}) {
        EXPECT_EQ(pelkotest::readFile(top + "victim.txt"), "victim\n") << qPrintable(top);
        EXPECT_EQ(pelkotest::readFile(top + "victimdir/a.txt"), "a\n") << qPrintable(top);
        EXPECT_EQ(pelkotest::readFile(top + "trashme.txt"), "trash me\n") << qPrintable(top);
    }
    const QString trash = platform::CurrentUserTrash().homeTrash;
    EXPECT_TRUE(QDir(trash + "/files").entryList({QStringLiteral("trashme*")}).isEmpty());
}

// After the compare, the right top folder's name is swapped for a link to a folder only this user
// may read: the patch, Quick Preview and a copy keep to the folder that was compared, which the
// list shows, and nothing of the other folder is read or written.
TEST_F(FolderWindow, ActionsKeepToTheTopFolderCompared)
{
    const QString secret = base + "/secret/";
    write(secret + "diff.txt", "SECRET line\n");
    ASSERT_EQ(::chmod(QFile::encodeName(secret + "diff.txt").constData(), 0600), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(secret).constData(), 0700), 0);
    open(3);
    ASSERT_EQ(verdictOf("diff.txt"), COMP_RESULT_DIFFERENT);
    const QString compared = base + "/R.compared/";
    ASSERT_TRUE(QDir().rename(base + "/R", base + "/R.compared"));
    ASSERT_EQ(::symlink(QFile::encodeName(secret).constData(),
                        QFile::encodeName(base + "/R").constData()),
              0);

    const QString out = base + "/top.patch";
    bool finished = false;
    wnd->GeneratePatchTo(out, [&](bool) { finished = true; });
    ASSERT_TRUE(spinUntil([&] { return finished; }));
    const QByteArray patch = pelkotest::readFile(out);
    EXPECT_TRUE(patch.contains("Index: diff.txt\n")) << patch.constData();
    EXPECT_TRUE(patch.contains("> TWO\n")) << patch.constData();
    EXPECT_FALSE(patch.contains("SECRET")) << patch.constData();

    select("diff.txt");
    wnd->TogglePreview();
    ASSERT_TRUE(wnd->preview());
    ASSERT_TRUE(spinUntil([&] { return wnd->preview()->currentPage() == 1; }));
    EXPECT_EQ(wnd->preview()->text(2), QStringLiteral("one\nTWO\nthree\n"));
    wnd->TogglePreview();

    QSignalSpy copied(wnd, &MergeFileListWndCtr::copyFinished);
    action("actionCopyToRight")->trigger();
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 1; }));
    EXPECT_EQ(pelkotest::readFile(compared + "diff.txt"), "one\ntwo\n");
    EXPECT_EQ(pelkotest::readFile(secret + "diff.txt"), "SECRET line\n");
    EXPECT_EQ(QDir(secret).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("diff.txt")});
}

// A file of the list swapped for a pipe (whose writer waits for a reader), or for a link to a
// device, after the compare: Quick Preview opens neither, whether it shows texts or images.
TEST_F(FolderWindow, QuickPreviewNeverOpensAPipeOrDeviceSwappedIn)
{
    write(left + "p.png", pngBytes(Qt::red));
    write(right + "p.png", pngBytes(Qt::blue));
    write(left + "t.txt", "left\n");
    write(right + "t.txt", "right\n");
    // A device node like /dev/null, which only root may make.
    const QByteArray device = QFile::encodeName(base + "/device");
    const bool haveDevice = ::mknod(device.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    open();
    struct Row
    {
        const char *name;
        QByteArray entry;
        bool toDevice;
        int page;
    };
    const Row rows[] = {
        {"a picture swapped for a pipe", "p.png", false, 2},
        {"a text swapped for a pipe", "t.txt", false, 1},
        {"a picture swapped for a link to a device", "p.png", true, 2},
        {"a text swapped for a link to a device", "t.txt", true, 1},
    };
    wnd->TogglePreview();
    MergeEditPreview *preview = wnd->preview();
    ASSERT_TRUE(preview);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.toDevice && !haveDevice)
            continue;
        const QByteArray entry = QFile::encodeName(left) + row.entry;
        ::unlink(entry.constData());
        if (row.toDevice)
            ASSERT_EQ(::symlink(device.constData(), entry.constData()), 0);
        else
            ASSERT_EQ(::mkfifo(entry.constData(), 0644), 0);
        pelkotest::OpenWatch watch(row.toDevice ? QFile::decodeName(device)
                                                : QFile::decodeName(entry));
        ASSERT_TRUE(watch.isWatching());
        QSignalSpy shown(preview, &MergeEditPreview::contentShown);
        select("diff.txt");
        select(row.entry);
        ASSERT_TRUE(spinUntil([&] {
            return shown.count() > 0 && preview->title(1) == QString::fromLatin1(row.entry) &&
                   preview->currentPage() == row.page;
        }));
        QThreadPool::globalInstance()->waitForDone();
        platform::imagePreviewPool()->waitForDone();
        EXPECT_EQ(watch.opens(), 0);
        ::unlink(entry.constData());
    }
}

// Names of Latin-1 and Shift_JIS times are written into the patch as their bytes, and GNU patch
// finds those very files.
TEST_F(FolderWindow, PatchCarriesNamesThatAreNotUtf8)
{
    const QList<QByteArray> names{"caf\xe9.txt", "\x83\x65\x83\x4c.txt", "dir\xff/inner \xe9.txt"};
    for (const QByteArray &name : names) {
        for (const QString &side : {left, right}) {
            const QByteArray path = QFile::encodeName(side) + name;
            ::mkdir(path.left(path.lastIndexOf('/')).constData(), 0755);
            FILE *f = std::fopen(path.constData(), "wb");
            ASSERT_TRUE(f);
            std::fputs(side == left ? "old\n" : "new\n", f);
            std::fclose(f);
        }
    }
    open(3);
    for (const QByteArray &name : names)
        EXPECT_EQ(verdictOf(name), COMP_RESULT_DIFFERENT) << name.toHex().constData();
    const QString out = base + "/bytes.patch";
    QSignalSpy done(wnd, &MergeFileListWndCtr::patchFinished);
    platform::setSavePanelHook([&](const platform::SavePanelRequest &) { return out; });
    platform::setRevealHook([](const QString &) { return true; });
    action("actionGeneratePatch")->trigger();
    ASSERT_TRUE(spinUntil([&] { return done.count() == 1; }));
    platform::setSavePanelHook(nullptr);
    platform::setRevealHook(nullptr);
    EXPECT_TRUE(done[0][0].toBool());
    EXPECT_TRUE(alerts.isEmpty()) << alerts.last().text.toStdString();
    EXPECT_TRUE(appliesWithGnuPatch(left, out));
    for (const QByteArray &name : names) {
        FILE *f = std::fopen((QFile::encodeName(left) + name).constData(), "rb");
        ASSERT_TRUE(f) << name.toHex().constData();
        char line[16] = {};
        EXPECT_TRUE(std::fgets(line, sizeof line, f));
        std::fclose(f);
        EXPECT_STREQ(line, "new\n") << name.toHex().constData();
    }
    EXPECT_EQ(pelkotest::readFile(left + "diff.txt"), pelkotest::readFile(right + "diff.txt"));
    // Names Qt cannot spell are removed here, by their bytes.
    for (const QString &side : {left, right})
        platform::RemoveTreeNoFollow(side);
}

TEST(FolderCompareModelColours, EveryVerdictReadsOnBothRowBackgrounds)
{
    struct Backgrounds
    {
        const char *what;
        QColor base, alternate;
    };
    const Backgrounds rows[] = {
        {"light", QColor(255, 255, 255), QColor(247, 247, 247)},
        {"light grey", QColor(230, 230, 230), QColor(210, 210, 210)},
        {"dark", QColor(30, 30, 30), QColor(60, 60, 60)},
        {"dark, lighter alternate", QColor(42, 42, 42), QColor(80, 80, 80)},
    };
    for (const Backgrounds &row : rows)
        for (int verdict = 0; verdict <= COMP_RESULT_GONE; ++verdict) {
            SCOPED_TRACE(std::string(row.what) + " verdict " + std::to_string(verdict));
            const QColor c = FolderCompareModel::verdictColor(verdict, row.base, row.alternate);
            EXPECT_GE(ContrastRatio(c, row.base), 4.5);
            EXPECT_GE(ContrastRatio(c, row.alternate), 4.5);
        }
}

TEST_F(FolderWindow, ScreenshotShowsColouredRows)
{
    const QPalette saved = QApplication::palette();
    // A dark palette too: every verdict colour must stay readable on it.
    QPalette dark = saved;
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::AlternateBase, QColor(60, 60, 60));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(50, 50, 50));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    open();
    QMainWindow *w = wnd->mainWindow();
    w->resize(1000, 420);
    QApplication::processEvents();
    ASSERT_TRUE(w->grab().toImage().save(
        pelkotest::screenshotPath(QStringLiteral("foldercompare-dark.png"))));
    QApplication::setPalette(saved);
    QApplication::processEvents();
    const QImage shot = w->grab().toImage();
    ASSERT_TRUE(shot.save(pelkotest::screenshotPath(QStringLiteral("foldercompare.png"))));
    // Some pixel of the rows carries the left-only colour.
    const QColor want = FolderCompareModel::verdictColor(
        COMP_RESULT_LEFT_ONLY, QApplication::palette().color(QPalette::Base),
        QApplication::palette().color(QPalette::AlternateBase));
    bool found = false;
    for (int y = 0; y < shot.height() && !found; ++y)
        for (int x = 0; x < shot.width() && !found; ++x) {
            const QColor c = shot.pixelColor(x, y);
            found = std::abs(c.red() - want.red()) < 30 &&
                    std::abs(c.green() - want.green()) < 30 &&
                    std::abs(c.blue() - want.blue()) < 30 && c != QColor(Qt::black) &&
                    c.red() + c.green() + c.blue() > 60;
        }
    EXPECT_TRUE(found);
}

TEST_F(FolderWindow, EveryFolderGetsTheVerdictOfItsContentEmptyOnesToo)
{
    // Identical trees whose only folders hold nothing or only folders.
    base = pelkotest::freshDir(QStringLiteral("folderwnd-empty"));
    left = base + "/L/";
    right = base + "/R/";
    for (const QString &side : {left, right}) {
        write(side + "same.txt", "same\n");
        QDir().mkpath(side + "empty");
        QDir().mkpath(side + "outer/middle/inner");
    }
    for (bool tree : {false, true}) {
        SCOPED_TRACE(tree);
        gAppSetting.compare_folderViewMode = tree ? 1 : 0;
        delete std::exchange(wnd, nullptr);
        open();
        for (const char *folder : {"empty", "outer", "outer/middle", "outer/middle/inner"}) {
            EXPECT_EQ(verdictOf(folder), COMP_RESULT_SAME) << folder;
            EXPECT_EQ(wnd->model()->indexForId(idOf(folder)).data(FolderCompareModel::VerdictRole),
                      int(COMP_RESULT_SAME))
                << folder;
        }
    }
}

TEST_F(FolderWindow, KindsThatDifferAreNamedAndAClashShowsItsContent)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(left + "pipe").constData(), 0600), 0);
    write(right + "pipe", "data");
    write(left + "clash", "a file");
    write(right + "clash/inside.txt", "x");
    gAppSetting.compare_folderViewMode = 1;
    open();
    FolderCompareModel *m = wnd->model();
    const QModelIndex pipe = m->indexForId(idOf("pipe"));
    EXPECT_EQ(pipe.data(FolderCompareModel::VerdictRole), int(COMP_RESULT_DIFFERENT));
    EXPECT_EQ(pipe.data(Qt::ToolTipRole).toString(),
              QStringLiteral("A pipe on the left, a file on the right"));
    // The folder's content hangs below the file it clashes with, on the right only.
    const QModelIndex clash = m->indexForId(idOf("clash"));
    ASSERT_TRUE(clash.isValid());
    ASSERT_EQ(m->rowCount(clash), 1);
    const QModelIndex inside = m->index(0, FolderCompareModel::ColName2, clash);
    EXPECT_EQ(inside.data().toString(), QStringLiteral("inside.txt"));
    EXPECT_EQ(inside.data(FolderCompareModel::VerdictRole), int(COMP_RESULT_RIGHT_ONLY));
    // Each side of the clash shows the icon of what it holds.
    const auto iconKey = [](const QModelIndex &i) {
        return i.data(Qt::DecorationRole).value<QIcon>().cacheKey();
    };
    const qint64 folderIcon = iconKey(m->indexForId(idOf("sub")));
    EXPECT_EQ(iconKey(m->indexForId(idOf("clash"), FolderCompareModel::ColName2)), folderIcon);
    EXPECT_NE(iconKey(m->indexForId(idOf("clash"), FolderCompareModel::ColName1)), folderIcon);
    EXPECT_NE(iconKey(m->indexForId(idOf("clash"), FolderCompareModel::ColName1)), 0);
}

TEST_F(FolderWindow, ToolbarActionsCarryIconsAndText)
{
    open();
    auto *bar = wnd->mainWindow()->findChild<QToolBar *>(QStringLiteral("toolBar"));
    ASSERT_TRUE(bar);
    EXPECT_NE(bar->toolButtonStyle(), Qt::ToolButtonTextOnly);
    EXPECT_NE(bar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    int actions = 0;
    for (QAction *a : bar->actions()) {
        if (a->isSeparator())
            continue;
        ++actions;
        EXPECT_FALSE(a->icon().isNull()) << qPrintable(a->objectName());
        EXPECT_FALSE(a->text().isEmpty()) << qPrintable(a->objectName());
    }
    EXPECT_GE(actions, 5);
}

TEST(PreviewPlacement, StaysInsideTheScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(720, 520);
    struct Row
    {
        const char *name;
        QRect window;
        QRect expected;
    };
    const Row rows[] = {
        {"room on the right", QRect(0, 100, 800, 600), QRect(808, 100, 720, 520)},
        {"room on the left only", QRect(1000, 100, 900, 600), QRect(272, 100, 720, 520)},
        {"no room beside", QRect(100, 100, 1700, 900), QRect(1200, 100, 720, 520)},
        {"low on the screen", QRect(0, 800, 800, 600), QRect(808, 560, 720, 520)},
        {"partly off the top", QRect(0, -50, 800, 600), QRect(808, 0, 720, 520)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QRect r = PreviewPlacement(row.window, size, screen);
        EXPECT_EQ(r, row.expected);
        EXPECT_TRUE(screen.contains(r));
    }
    // A screen smaller than the preview: it shrinks to the screen.
    EXPECT_EQ(PreviewPlacement(QRect(0, 0, 300, 300), size, QRect(0, 0, 640, 480)),
              QRect(0, 0, 640, 480));
}

TEST_F(FolderWindow, PreviewOpensOnTheWindowsScreenWithTheNamesAboveItsPanes)
{
    open();
    QWidget *w = wnd->window();
    const QRect available = w->screen()->availableGeometry();
    // The folder window against the screen's right edge.
    w->resize(std::min(600, available.width() / 2), std::min(400, available.height() / 2));
    w->move(available.right() - w->frameGeometry().width() + 1, available.top());
    select("diff.txt");
    wnd->TogglePreview();
    MergeEditPreview *preview = wnd->preview();
    ASSERT_TRUE(preview);
    EXPECT_TRUE(available.contains(preview->window()->frameGeometry()))
        << "preview " << preview->window()->frameGeometry().x() << ","
        << preview->window()->frameGeometry().y() << " "
        << preview->window()->frameGeometry().width() << "x"
        << preview->window()->frameGeometry().height() << " screen " << available.width() << "x"
        << available.height();
    EXPECT_TRUE(spinUntil([&] { return preview->currentPage() == 1; }));
    EXPECT_EQ(preview->title(1), QStringLiteral("diff.txt"));
    EXPECT_EQ(preview->title(2), QStringLiteral("diff.txt"));
    select("onlyright.txt");
    EXPECT_TRUE(spinUntil([&] { return preview->title(2) == QStringLiteral("onlyright.txt"); }));
    EXPECT_EQ(preview->title(1), QStringLiteral("missing"));
    EXPECT_TRUE(preview->window()->windowTitle().contains(QStringLiteral("onlyright.txt")));
}

TEST_F(FolderWindow, TopFoldersNamedWithoutUtf8AreComparedAndShownEscaped)
{
    const QByteArray bytes = QFile::encodeName(base) + "/caf\xe9/";
    ASSERT_EQ(::mkdir(bytes.constData(), 0700), 0);
    const int fd = ::open((bytes + "same.txt").constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::write(fd, "same\n", 5), 5);
    ::close(fd);
    const struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    ::utimensat(AT_FDCWD, (bytes + "same.txt").constData(), times, 0);
    left = LocalPath_FromBytes(bytes);
    open();
    EXPECT_TRUE(alerts.isEmpty()) << qPrintable(alerts.isEmpty() ? QString() : alerts[0].text);
    EXPECT_EQ(verdictOf("same.txt"), COMP_RESULT_SAME);
    EXPECT_EQ(verdictOf("diff.txt"), COMP_RESULT_RIGHT_ONLY);
    const auto *label = wnd->mainWindow()->findChild<QLabel *>(QStringLiteral("mPathLabel1"));
    EXPECT_TRUE(label->text().endsWith(QStringLiteral("/caf\\xe9/"))) << qPrintable(label->text());
    // Its files' paths keep every byte, as text and as bytes.
    EXPECT_EQ(LocalPath_ToBytes(wnd->fullPath(idOf("same.txt"), 1)), bytes + "same.txt");
    EXPECT_EQ(wnd->fullPathBytes(idOf("same.txt"), 1), bytes + "same.txt");
    // Qt's own clean-up cannot name these bytes.
    ::unlink((bytes + "same.txt").constData());
    ::rmdir(bytes.constData());
}

TEST_F(FolderWindowLatin1, PairsOpenInTheTextWindowAndSaveUnderTheirOwnNames)
{
    open(3);
    ASSERT_EQ(verdictOf("f\xe9.txt"), COMP_RESULT_DIFFERENT);
    EXPECT_EQ(verdictOf("sub\xe9"), COMP_RESULT_SAME);
    // Return on the selected row, as a user opens it.
    QTreeView *view = wnd->fileTableView();
    select("f\xe9.txt");
    view->setCurrentIndex(wnd->model()->indexForId(idOf("f\xe9.txt")));
    QTest::keyClick(view, Qt::Key_Return);
    MergeEditWndCtr *editor = textWindow();
    ASSERT_TRUE(editor) << "nothing opened";
    EXPECT_EQ(LocalPath_ToBytes(editor->GetFile1()), root1 + "f\xe9.txt");
    EXPECT_EQ(LocalPath_ToBytes(editor->GetFile2()), root2 + "f\xe9.txt");
    ASSERT_TRUE(spinUntil([&] { return !editor->isLoading() && !editor->isComparing(); }));
    EXPECT_EQ(editor->GetTextInView1(), QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(editor->GetTextInView2(), QStringLiteral("one\nTWO\nthree\n"));
    // diff compared the files themselves.
    EXPECT_TRUE(editor->lastCompareError().isEmpty()) << qPrintable(editor->lastCompareError());
    EXPECT_EQ(editor->mergeBlocks().size(), 1u);
    // Shown readable, byte by byte.
    EXPECT_TRUE(editor->window()->windowTitle().contains(QStringLiteral("f\\xe9.txt")))
        << qPrintable(editor->window()->windowTitle());

    // Saved, the file itself changes; no look-alike name appears beside it.
    QTextCursor(editor->textView(1)->document()).insertText(QStringLiteral("new "));
    ASSERT_TRUE(editor->SaveSide(1));
    EXPECT_EQ(readBytes(root1 + "f\xe9.txt"), "new one\ntwo\n");
    EXPECT_EQ(namesIn(root1),
              (QList<QByteArray>{"f\xe9.txt", "only\xe9.txt", "p\xe9.png", "sub\xe9"}));
    // A change made elsewhere is seen when the window comes forward again.
    writeBytes(root2 + "f\xe9.txt", "changed\n", 1700000200);
    editor->windowWillBeKey();
    ASSERT_TRUE(spinUntil([&] { return !editor->isLoading() && !editor->isComparing(); }));
    EXPECT_EQ(editor->GetTextInView2(), QStringLiteral("changed\n"));
}

TEST_F(FolderWindowLatin1, QuickPreviewShowsTextsTheirDifferencesAndImages)
{
    open(3);
    select("f\xe9.txt");
    wnd->TogglePreview();
    MergeEditPreview *preview = wnd->preview();
    ASSERT_TRUE(preview);
    ASSERT_TRUE(spinUntil([&] { return preview->currentPage() == 1; }));
    EXPECT_EQ(preview->text(1), QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(preview->text(2), QStringLiteral("one\nTWO\nthree\n"));
    EXPECT_EQ(preview->blockCount(), 1); // diff read both files
    EXPECT_EQ(preview->title(1), QStringLiteral("f\\xe9.txt"));
    select("p\xe9.png");
    ASSERT_TRUE(spinUntil([&] { return preview->currentPage() == 2; }));
    EXPECT_FALSE(preview->imageSize(1).isEmpty()) << qPrintable(preview->imageNote(1));
    EXPECT_FALSE(preview->imageSize(2).isEmpty()) << qPrintable(preview->imageNote(2));
}

TEST_F(FolderWindowLatin1, CopyDeleteAndPatchWorkOnTheNamesBytes)
{
    open(3);
    QSignalSpy copied(wnd, &MergeFileListWndCtr::copyFinished);
    QSignalSpy deleted(wnd, &MergeFileListWndCtr::deleteFinished);
    select("only\xe9.txt");
    wnd->CopySelection(2);
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 1; }));
    EXPECT_EQ(readBytes(root2 + "only\xe9.txt"), "l\n");

    // A patch that GNU patch applies to a copy of the left file under its own name.
    const QString patchFile = base + "/names.patch";
    bool written = false;
    wnd->GeneratePatchTo(patchFile, [&](bool ok) { written = ok; });
    ASSERT_TRUE(spinUntil([&] { return written; }));
    const QByteArray patch = pelkotest::readFile(patchFile);
    EXPECT_TRUE(patch.contains("Index: f\xe9.txt\n")) << patch.constData();
    const QString target = base + "/apply";
    writeBytes(QFile::encodeName(target) + "/f\xe9.txt", "one\ntwo\n");
    EXPECT_TRUE(appliesWithGnuPatch(target, patchFile));
    EXPECT_EQ(readBytes(QFile::encodeName(target) + "/f\xe9.txt"), "one\nTWO\nthree\n");

    // To the real Trash, which records where it came from by those bytes.
    const QString trash = platform::CurrentUserTrash().homeTrash;
    ASSERT_FALSE(trash.isEmpty());
    select("only\xe9.txt");
    action("actionDeleteLeft")->trigger();
    ASSERT_TRUE(spinUntil([&] { return deleted.count() == 1; }));
    EXPECT_EQ(readBytes(root1 + "only\xe9.txt"), "(missing)");
    QByteArray infos;
    for (const QByteArray &name : namesIn(QFile::encodeName(trash) + "/info"))
        infos += readBytes(QFile::encodeName(trash) + "/info/" + name);
    EXPECT_TRUE(infos.contains("\nPath=" + root1.toPercentEncoding("/") + "only%E9.txt\n"))
        << infos.constData();
    // For good.
    alerts.clear();
    select("only\xe9.txt");
    wnd->DeleteSelection(2, true);
    ASSERT_TRUE(spinUntil([&] { return deleted.count() == 2; }));
    EXPECT_EQ(readBytes(root2 + "only\xe9.txt"), "(missing)");
    ASSERT_FALSE(alerts.isEmpty());
    EXPECT_TRUE(alerts.first().text.contains(QStringLiteral("only\\xe9.txt (right)")))
        << qPrintable(alerts.first().text);
}

TEST_F(FolderWindowLatin1, SubfoldersCompareInTheirOwnWindowAndPathsAreRevealed)
{
    open(3);
    QStringList asked;
    MergeFileListWndCtr::setFolderPairOpener(
        [&](const QString &a, const QString &b, bool) { asked << a << b; });
    select("sub\xe9");
    EXPECT_TRUE(action("actionCompareFolders")->isEnabled());
    action("actionCompareFolders")->trigger();
    MergeFileListWndCtr::setFolderPairOpener(nullptr);
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(LocalPath_ToBytes(asked[0]), root1 + "sub\xe9");
    EXPECT_EQ(LocalPath_ToBytes(asked[1]), root2 + "sub\xe9");

    QStringList revealed;
    platform::setRevealHook([&](const QString &folder) {
        revealed << folder;
        return true;
    });
    EXPECT_TRUE(platform::revealInFileManager(wnd->fullPath(idOf("f\xe9.txt"), 1)));
    platform::setRevealHook(nullptr);
    ASSERT_EQ(revealed.size(), 1);
    EXPECT_EQ(LocalPath_ToBytes(revealed[0]) + '/', root1);
}

// What this user may not list (root lists anything): the rows run as the ordinary user.
TEST_F(FolderWindow, AFolderOnOneSideThatCannotBeListedIsOneSided)
{
    if (pelkotest::runningAsRoot()) {
        if (!pelkotest::canSwitchToOrdinaryUser())
            GTEST_SKIP() << "root lists any folder, and setpriv is missing";
        QByteArray output;
        EXPECT_TRUE(pelkotest::passesAsOrdinaryUser(
            QStringLiteral("FolderWindow.AFolderOnOneSideThatCannotBeListedIsOneSided"), &output))
            << output.constData();
        return;
    }
    write(right + "sub/only/inner.txt", "r\n");
    write(left + "sub/both/inner.txt", "l\n");
    write(right + "sub/both/inner.txt", "r\n");
    const QByteArray only = QFile::encodeName(right + "sub/only");
    const QByteArray both1 = QFile::encodeName(left + "sub/both"),
                     both2 = QFile::encodeName(right + "sub/both");
    for (const QByteArray &locked : {only, both1, both2})
        ASSERT_EQ(::chmod(locked.constData(), 0), 0);
    open(0);
    EXPECT_EQ(verdictOf("sub/only"), COMP_RESULT_RIGHT_ONLY);
    EXPECT_EQ(verdictOf("sub/both"), COMP_RESULT_NOT_JUDGED);
    EXPECT_EQ(verdictOf("sub/inner.txt"), COMP_RESULT_DIFFERENT);
    // A real difference is not hidden: its folders say so.
    EXPECT_EQ(verdictOf("sub"), COMP_RESULT_DIFFERENT);
    const auto tip = [&](const QByteArray &path) {
        return wnd->model()->indexForId(idOf(path)).data(Qt::ToolTipRole).toString();
    };
    EXPECT_EQ(tip("sub/only"), QStringLiteral("The folder cannot be read"));
    const QString bothReason = QStringLiteral("Left and right folders unreadable: ") + left +
                               "sub/both and " + right + "sub/both";
    EXPECT_EQ(tip("sub/both"), bothReason);

    // Judged again, each row keeps its verdict and says the same.
    QSignalSpy changed(wnd->model(), &QAbstractItemModel::dataChanged);
    wnd->UpdateCompareResultForPaths({left + "sub/only", left + "sub/both"});
    ASSERT_TRUE(spinUntil([&] { return changed.count() > 0; }));
    EXPECT_EQ(verdictOf("sub/only"), COMP_RESULT_RIGHT_ONLY);
    EXPECT_EQ(tip("sub/only"), QStringLiteral("The folder cannot be read"));
    EXPECT_EQ(tip("sub/both"), bothReason);
    EXPECT_EQ(verdictOf("sub"), COMP_RESULT_DIFFERENT);
    for (const QByteArray &locked : {only, both1, both2})
        ::chmod(locked.constData(), 0700);
}

TEST_F(FolderWindow, QuickPreviewSaysWhatAPairWasJudgedByAndClosesOnEscape)
{
    struct Row
    {
        int mode;
        const char *entry;
        const char *note;
    };
    const Row rows[] = {
        {0, "same.txt", "Same by size and date: the contents were not compared"},
        {1, "same.txt", "Same by size: the contents were not compared"},
        {2, "diff.txt", "Different by date: the contents were not compared"},
        {3, "same.txt", "Same"},
        {0, "onlyleft.txt", "Left only"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.entry);
        delete std::exchange(wnd, nullptr);
        open(row.mode);
        select(row.entry);
        wnd->TogglePreview();
        MergeEditPreview *preview = wnd->preview();
        ASSERT_TRUE(preview);
        EXPECT_TRUE(spinUntil([&] { return preview->currentPage() == 1; }));
        EXPECT_EQ(preview->note(), QString::fromUtf8(row.note));
        wnd->TogglePreview();
    }

    // Escape and Space in the list, which keeps the keyboard while the preview shows, close it;
    // so do Escape and Space in the preview itself, whose read-only panes would page down on
    // Space.
    QTreeView *view = wnd->fileTableView();
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Space}) {
        for (const bool inPreview : {false, true}) {
            SCOPED_TRACE(QStringLiteral("%1 %2")
                             .arg(key == Qt::Key_Space ? "Space" : "Escape")
                             .arg(inPreview ? "in the preview" : "in the list")
                             .toStdString());
            wnd->TogglePreview();
            QPointer<MergeEditPreview> preview(wnd->preview());
            ASSERT_TRUE(preview);
            ASSERT_TRUE(spinUntil([&] { return preview->currentPage() == 1; }));
            // In the preview, the key reaches a pane first.
            QWidget *target =
                inPreview ? static_cast<QWidget *>(preview->window()->findChild<QPlainTextEdit *>())
                          : view;
            ASSERT_TRUE(target);
            QApplication::setActiveWindow(target->window());
            target->setFocus();
            QTest::keyClick(target, key);
            EXPECT_TRUE(spinUntil([&] { return preview.isNull(); }));
            EXPECT_FALSE(action("actionPreview")->isChecked());
        }
    }
    // Without a preview, Escape in the list leaves the window open.
    QApplication::setActiveWindow(wnd->mainWindow());
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_TRUE(wnd->mainWindow()->isVisible());
    EXPECT_FALSE(wnd->preview());
}

// After Copy to Right the preview shows the pair as the list does, without being asked: both
// names, the copied text on both sides, and the new verdict.
TEST_F(FolderWindow, QuickPreviewFollowsItsRowWhenTheRowChanges)
{
    open(3);
    select("onlyleft.txt");
    // The selection has settled: nothing but the row's change can show it again.
    ASSERT_TRUE(spinUntil(
        [&] { return !platform::isPerformPending(wnd, QStringLiteral("selectionSettled")); }));
    wnd->TogglePreview();
    MergeEditPreview *preview = wnd->preview();
    ASSERT_TRUE(preview);
    ASSERT_TRUE(spinUntil([&] { return preview->currentPage() == 1; }));
    EXPECT_EQ(preview->title(2), QStringLiteral("missing"));
    EXPECT_EQ(preview->note(), QStringLiteral("Left only"));
    QSignalSpy copied(wnd, &MergeFileListWndCtr::copyFinished);
    action("actionCopyToRight")->trigger();
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 1; }));
    ASSERT_TRUE(spinUntil([&] { return verdictOf("onlyleft.txt") == COMP_RESULT_SAME; }));
    EXPECT_TRUE(spinUntil([&] { return preview->note() == QStringLiteral("Same"); }))
        << qPrintable(preview->note());
    EXPECT_EQ(preview->title(2), QStringLiteral("onlyleft.txt"));
    EXPECT_TRUE(spinUntil([&] { return preview->text(2) == QStringLiteral("l\n"); }));
    EXPECT_EQ(preview->text(1), QStringLiteral("l\n"));

    // A fresh compare empties the list and its selection: the preview shows nothing.
    QSignalSpy compared(wnd, &MergeFileListWndCtr::compareFinished);
    action("actionRefresh")->trigger();
    ASSERT_TRUE(spinUntil([&] { return compared.count() == 1; }));
    EXPECT_TRUE(spinUntil([&] { return preview->title(1).isEmpty(); }));
    EXPECT_TRUE(preview->note().isEmpty());
}

// Pictures the user has moved past are never decoded: while the decode budget is taken, the
// preview is asked for several pairs in turn; once the budget is free only the last decodes. The
// picture held while the other side decodes, and the larger copy of a small one, are counted in
// the budget, and given back once shown.
TEST_F(FolderWindow, QuickPreviewDecodesOnlyTheLastSelectionAndCountsWhatItHolds)
{
    const char *names[] = {"a.png", "b.png", "c.png", "d.png", "e.png"};
    for (const char *name : names) {
        write(left + name, pngBytes(Qt::red));
        write(right + name, pngBytes(Qt::blue));
    }
    open(3);
    select("e.png");
    wnd->TogglePreview();
    MergeEditPreview *preview = wnd->preview();
    ASSERT_TRUE(preview);
    ASSERT_TRUE(spinUntil([&] { return preview->currentPage() == 2; }));
    ASSERT_TRUE(spinUntil([] { return platform::decodeMemoryInUse() == 0; }));
    const QSize shown[2] = {preview->imageSize(1), preview->imageSize(2)};
    ASSERT_GT(shown[0].width(), 16) << "a small picture fills its side";
    // Both sides' pictures were counted at once, each at the size shown.
    platform::resetDecodeMemoryPeak();
    select("d.png");
    ASSERT_TRUE(spinUntil([&] { return preview->title(1) == QStringLiteral("d.png"); }));
    ASSERT_TRUE(spinUntil([&] { return preview->currentPage() == 2; }));
    EXPECT_GE(platform::decodeMemoryPeak(), 4 * qint64(shown[0].width() * shown[0].height() +
                                                       shown[1].width() * shown[1].height()));
    EXPECT_TRUE(spinUntil([] { return platform::decodeMemoryInUse() == 0; }));

    const quint64 madeBefore = platform::decodeReservationsMade();
    select("e.png");
    ASSERT_TRUE(spinUntil([&] { return preview->title(1) == QStringLiteral("e.png"); }));
    ASSERT_TRUE(spinUntil([&] { return preview->currentPage() == 2; }));
    const quint64 madeForOne = platform::decodeReservationsMade() - madeBefore;

    auto taken = std::make_unique<platform::DecodeReservation>(
        platform::reserveDecodeMemory(platform::kViewDecodeBytes));
    ASSERT_TRUE(taken->isValid());
    const quint64 madeWhileTaken = platform::decodeReservationsMade();
    for (const char *name : names) {
        select(name);
        ASSERT_TRUE(spinUntil([&] { return preview->title(1) == QString::fromLatin1(name); }));
        if (name == names[0]) {
            ASSERT_TRUE(spinUntil([] { return platform::decodeReservationsWaiting() == 1; }));
        }
    }
    // The earlier requests left the line; the last waits alone.
    EXPECT_TRUE(spinUntil([] { return platform::decodeReservationsWaiting() == 1; }));
    taken.reset();
    ASSERT_TRUE(spinUntil([&] { return preview->currentPage() == 2; }));
    EXPECT_EQ(preview->title(1), QStringLiteral("e.png"));
    EXPECT_EQ(platform::decodeReservationsMade() - madeWhileTaken, madeForOne);
    EXPECT_EQ(platform::decodeReservationsWaiting(), 0);
}

// A newcomer can tell how the rows were judged: the status line names the mode, a pair judged
// without its contents says so in its tool tip, and the legend says what each colour means.
TEST_F(FolderWindow, TheStatusLineTheToolTipsAndTheLegendSayHowRowsWereJudged)
{
    struct Row
    {
        int mode;
        const char *status;
        const char *sameTip, *diffTip;
    };
    const Row rows[] = {
        {0, "Compared by size and date", "Same by size and date: the contents were not compared",
         "Different by size and date: the contents were not compared"},
        {1, "Compared by size", "Same by size: the contents were not compared",
         "Different by size: the contents were not compared"},
        {2, "Compared by date", "Same by date: the contents were not compared",
         "Different by date: the contents were not compared"},
        {3, "Compared by content", "", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.status);
        delete std::exchange(wnd, nullptr);
        open(row.mode);
        const auto *status = wnd->mainWindow()->findChild<QLabel *>(QStringLiteral("mModeLabel"));
        ASSERT_TRUE(status);
        EXPECT_EQ(status->text(), QString::fromUtf8(row.status));
        EXPECT_TRUE(status->isVisible());
        EXPECT_FALSE(status->toolTip().isEmpty());
        const auto tip = [&](const QByteArray &entry) {
            return wnd->model()->indexForId(idOf(entry)).data(Qt::ToolTipRole).toString();
        };
        EXPECT_EQ(tip("same.txt"), QString::fromUtf8(row.sameTip));
        EXPECT_EQ(tip("diff.txt"), QString::fromUtf8(row.diffTip));
        EXPECT_EQ(tip("onlyleft.txt"), QString());
    }
    // Content compared, ignoring line ends: said too.
    delete std::exchange(wnd, nullptr);
    auto info = FileListCompareInfo_FromSettings(left, right);
    info->folder_compare_Mode = 3;
    info->folder_compare_ignore_EndLineDiff = true;
    wnd = new MergeFileListWndCtr();
    wnd->SetCompareInfoWith(info);
    wnd->showWindow();
    EXPECT_EQ(wnd->mainWindow()->findChild<QLabel *>(QStringLiteral("mModeLabel"))->text(),
              QStringLiteral("Compared by content, ignoring line ends"));

    // The legend: each verdict's name in the colour of its rows, and what it means; in the
    // counts' tool tip and in View > Legend.
    const QPalette palette = wnd->fileTableView()->palette();
    const QString legend = wnd->legendText();
    for (const int verdict : {COMP_RESULT_DIFFERENT, COMP_RESULT_SAME, COMP_RESULT_LEFT_ONLY,
                              COMP_RESULT_RIGHT_ONLY, COMP_RESULT_NOT_JUDGED}) {
        const QColor colour = FolderCompareModel::verdictColor(
            verdict, palette.color(QPalette::Base), palette.color(QPalette::AlternateBase));
        EXPECT_TRUE(legend.contains(QStringLiteral("color:") + colour.name()))
            << verdict << qPrintable(legend);
    }
    // On the list's background, which a tool tip's own is not.
    EXPECT_TRUE(legend.contains(
        QStringLiteral("bgcolor=\"%1\"").arg(palette.color(QPalette::Base).name())));
    for (const char *words : {"Different", "Same", "Left only", "Right only", "Not judged"})
        EXPECT_TRUE(legend.contains(QLatin1String(words))) << words;
    QLabel *counts = wnd->mainWindow()->findChild<QLabel *>(QStringLiteral("mCountsLabel"));
    QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), counts->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(counts, &hover);
    EXPECT_EQ(QToolTip::text(), legend);
    QToolTip::hideText();
    QAction *legendItem = action("actionLegend");
    ASSERT_TRUE(legendItem);
    legendItem->trigger();
    QWidget *shownLegend = wnd->legendWindow();
    ASSERT_TRUE(shownLegend);
    EXPECT_TRUE(shownLegend->isVisible());
    EXPECT_EQ(shownLegend->findChild<QLabel *>()->text(), legend);
    legendItem->trigger(); // raised again, not a second window
    EXPECT_EQ(wnd->legendWindow(), shownLegend);
    ASSERT_TRUE(shownLegend->grab().save(
        pelkotest::screenshotPath(QStringLiteral("foldercompare-legend.png"))));
}

// The list's keys are shown on their menu items, and pressing them in the list does what the
// item does; Return still opens a folder of the tree.
TEST_F(FolderWindow, TheListsKeysAreShownOnTheirMenuItemsAndWork)
{
    open();
    EXPECT_EQ(action("actionOpenPair")->shortcut(), QKeySequence(Qt::Key_Return));
    EXPECT_EQ(action("actionPreview")->shortcut(), QKeySequence(Qt::Key_Space));
    EXPECT_EQ(action("actionCopyToRight")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Right));
    EXPECT_EQ(action("actionCopyToLeft")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Left));
    QTreeView *view = wnd->fileTableView();
    QApplication::setActiveWindow(wnd->mainWindow());
    view->setFocus();
    const auto press = [&](const QByteArray &entry, QKeyCombination key) {
        select(entry);
        view->setCurrentIndex(wnd->model()->indexForId(idOf(entry)));
        QTest::keyClick(view, key.key(), key.keyboardModifiers());
    };

    QSignalSpy copied(wnd, &MergeFileListWndCtr::copyFinished);
    press("onlyleft.txt", Qt::ALT | Qt::Key_Right);
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 1; }));
    EXPECT_EQ(pelkotest::readFile(right + "onlyleft.txt"), QByteArray("l\n"));
    press("onlyright.txt", Qt::ALT | Qt::Key_Left);
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 2; }));
    EXPECT_EQ(pelkotest::readFile(left + "onlyright.txt"), QByteArray("r\n"));

    press("diff.txt", Qt::Key_Space);
    EXPECT_TRUE(wnd->preview());
    QApplication::setActiveWindow(wnd->mainWindow());
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_TRUE(spinUntil([&] { return !wnd->preview(); }));

    const auto textWindows = [] {
        int n = 0;
        for (const auto &w : gOpenCompareWindowList)
            n += qobject_cast<MergeEditWndCtr *>(w.data()) != nullptr;
        return n;
    };
    QApplication::setActiveWindow(wnd->mainWindow());
    press("diff.txt", Qt::Key_Return);
    EXPECT_EQ(textWindows(), 1);

    action("actionTreeMode")->setChecked(true);
    QApplication::setActiveWindow(wnd->mainWindow());
    view->setFocus();
    const QModelIndex sub = wnd->model()->indexForId(idOf("sub"));
    ASSERT_FALSE(view->isExpanded(sub));
    press("sub", Qt::Key_Return);
    EXPECT_TRUE(view->isExpanded(wnd->model()->indexForId(idOf("sub"))));
    EXPECT_EQ(textWindows(), 1);
}

// A folder on both sides that holds a folder one side cannot list is not judged; its tool tip
// says so and names the reason found below it.
TEST_F(FolderWindow, AFolderNotJudgedForWhatItHoldsSaysWhy)
{
    base = pelkotest::freshDir(QStringLiteral("folderwnd-parent"));
    left = base + "/L/";
    right = base + "/R/";
    // The left path so long that a folder of a long name below "top" cannot be named.
    while (left.size() < 3950)
        left += QString(std::min<qsizetype>(200, 3950 - left.size()), u'n') + u'/';
    ASSERT_TRUE(QDir().mkpath(left + "top"));
    const QByteArray name(240, 'd');
    const int fd = ::open(QFile::encodeName(left + "top").constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::mkdirat(fd, name.constData(), 0700), 0);
    write(right + "top/" + QString::fromLatin1(name) + "/inner.txt", "r\n");
    open();
    const QModelIndex top = wnd->model()->indexForId(idOf("top"));
    EXPECT_EQ(top.data(FolderCompareModel::VerdictRole), int(COMP_RESULT_NOT_JUDGED));
    EXPECT_EQ(top.data(Qt::ToolTipRole).toString(),
              QStringLiteral("Holds entries that were not judged: The name is too long"));
    ::unlinkat(fd, name.constData(), AT_REMOVEDIR);
    ::close(fd);
}

TEST_F(FolderWindow, TheFirstSizeShowsEveryColumnInsideTheScreen)
{
    // No frame or column widths stored yet: the first size.
    auto &defaults = platform::UserDefaults::standard();
    const QVariantMap all = defaults.dictionaryRepresentation();
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        if (it.key().startsWith(QStringLiteral("winFrame_MergeFileListWndCtr")) ||
            it.key().startsWith(QStringLiteral("fileTableView_")) ||
            it.key().startsWith(QStringLiteral("treeView_")))
            defaults.removeObjectForKey(it.key());
    open();
    QMainWindow *w = wnd->mainWindow();
    QApplication::processEvents();
    const QRect area = w->screen()->availableGeometry();
    const QRect frame = w->frameGeometry();
    EXPECT_TRUE(area.contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height() << " on "
        << area.x() << "," << area.y() << " " << area.width() << "x" << area.height();
    QTreeView *view = wnd->fileTableView();
    QHeaderView *header = view->header();
    const QModelIndex dated =
        wnd->model()->indexForId(idOf("same.txt"), FolderCompareModel::ColDate1);
    const int dateText = view->fontMetrics().horizontalAdvance(dated.data().toString());
    for (int c = 0; c < FolderCompareModel::ColumnCount; ++c) {
        SCOPED_TRACE(c);
        EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSize(c),
                  view->viewport()->width());
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c));
        if (c == FolderCompareModel::ColDate1 || c == FolderCompareModel::ColDate2) {
            EXPECT_GT(header->sectionSize(c), dateText);
        }
    }
}

// A worker that stops on an exception (here: no memory at the start of its work) ends like any
// failure: the window says why, leaves its busy state, and the next copy runs.
TEST_F(FolderWindow, AWorkerThatThrowsEndsInAMessage)
{
    open();
    QSignalSpy copied(wnd, &MergeFileListWndCtr::copyFinished);
    QSignalSpy deleted(wnd, &MergeFileListWndCtr::deleteFinished);
    QSignalSpy patched(wnd, &MergeFileListWndCtr::patchFinished);
    QSignalSpy compared(wnd, &MergeFileListWndCtr::compareFinished);
    platform::setTrashHook([](const QString &path) { return QFile::remove(path); });
    platform::setSavePanelHook(
        [this](const platform::SavePanelRequest &) { return base + "/stopped.patch"; });
    platform::setRevealHook([](const QString &) { return true; });
    const auto said = [this](const QString &text) {
        for (const platform::AlertRequest &a : alerts)
            if (a.text.contains(text) &&
                a.text.contains(QStringLiteral("There was not enough memory.")))
                return true;
        return false;
    };
    struct Row
    {
        const char *worker;
        std::function<void()> start;
        std::function<bool()> ended;
        QString message;
    };
    const Row rows[] = {
        {"count replaced",
         [&] {
             select("diff.txt");
             action("actionCopyToRight")->trigger();
         },
         [&] { return said(QStringLiteral("Nothing was copied.")); },
         QStringLiteral("Nothing was copied.")},
        {"copy",
         [&] {
             select("diff.txt");
             action("actionCopyToRight")->trigger();
         },
         [&] { return copied.count() == 1; }, QStringLiteral("The copy stopped.")},
        {"delete",
         [&] {
             select("onlyleft.txt");
             action("actionDeleteLeft")->trigger();
         },
         [&] { return deleted.count() == 1; }, QStringLiteral("The delete stopped.")},
        {"patch", [&] { action("actionGeneratePatch")->trigger(); },
         [&] { return patched.count() == 1; }, QStringLiteral("The patch could not be written.")},
        {"judge again", [&] { wnd->UpdateCompareResultForPaths({left + "diff.txt"}); },
         [&] { return said(QStringLiteral("The files could not be judged again.")); },
         QStringLiteral("The files could not be judged again.")},
        {"folder compare", [&] { action("actionRefresh")->trigger(); },
         [&] {
             return !wnd->isBusy() && said(QStringLiteral("The compare stopped before its end."));
         },
         QStringLiteral("The compare stopped before its end.")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.worker);
        ASSERT_TRUE(spinUntil([&] { return !wnd->isBusy(); }));
        alerts.clear();
        SetWorkerFaultHook([worker = row.worker](const char *name) {
            if (std::strcmp(name, worker) == 0)
                throw std::bad_alloc();
        });
        row.start();
        EXPECT_TRUE(spinUntil(row.ended));
        SetWorkerFaultHook(nullptr);
        EXPECT_TRUE(spinUntil([&] { return !wnd->isBusy(); }));
        EXPECT_TRUE(said(row.message))
            << qPrintable(alerts.isEmpty() ? QString() : alerts.back().text);
    }
    EXPECT_TRUE(QFile::exists(left + "onlyleft.txt"));
    EXPECT_FALSE(QFile::exists(base + "/stopped.patch"));
    EXPECT_EQ(pelkotest::readFile(right + "diff.txt"), QByteArray("one\nTWO\nthree\n"));
    // Nothing is left stuck: the compare and a copy run to their ends.
    compared.clear();
    action("actionRefresh")->trigger();
    ASSERT_TRUE(spinUntil([&] { return compared.count() == 1; }));
    select("diff.txt");
    action("actionCopyToRight")->trigger();
    ASSERT_TRUE(spinUntil([&] { return copied.count() == 2; }));
    EXPECT_EQ(pelkotest::readFile(right + "diff.txt"), QByteArray("one\ntwo\n"));
    platform::setSavePanelHook(nullptr);
    platform::setRevealHook(nullptr);
}

// Quick Preview whose reader stops on an exception keeps the sizes and the verdict, and says
// why.
TEST_F(FolderWindow, APreviewThatThrowsSaysSo)
{
    open();
    select("diff.txt");
    SetWorkerFaultHook([](const char *name) {
        if (std::strcmp(name, "preview") == 0)
            throw std::bad_alloc();
    });
    wnd->TogglePreview();
    MergeEditPreview *preview = wnd->preview();
    ASSERT_TRUE(preview);
    QSignalSpy shown(preview, &MergeEditPreview::contentShown);
    const auto stoppedSaid = [&] {
        for (const QLabel *label : preview->window()->findChildren<QLabel *>())
            if (label->text().contains(QStringLiteral("The preview stopped.\nThere was not "
                                                      "enough memory.")))
                return true;
        return false;
    };
    EXPECT_TRUE(spinUntil([&] { return stoppedSaid(); }));
    SetWorkerFaultHook(nullptr);
    EXPECT_EQ(preview->currentPage(), 0);
}
