// The application delegate: paths handed over, gathered into batches and opening the windows
// they ask for; start windows for two folders; the end of the process with its last window.
#include "ShellFakes.h"

#include "compare/FileListCompareInfo.h"
#include "foldercompare/FolderCompareModel.h"
#include "foldercompare/MergeFileListWndCtr.h"
#include "platform/Alerts.h"
#include "platform/Dispatch.h"
#include "platform/Document.h"
#include "services/AppSetting.h"
#include "shell/AppCommands.h"
#include "shell/MyApp.h"
#include "support/TestEnvironment.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/MergeWindow.h"
#include "ui_MergeEditWndCtr.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <deque>
#include <gtest/gtest.h>

class SettingDlg;

namespace {

platform::DocumentController &controller()
{
    return platform::DocumentController::sharedDocumentController();
}

class MyAppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppSetting_SetDefault(&gAppSetting);
        // Launching has finished, unless a test says otherwise.
        gAppLaunchState = 1;
        gIsFirstRun = false;
        mOldLeft = gAppSetting_compare_leftHistoryPaths;
        mOldRight = gAppSetting_compare_rightHistoryPaths;
        gAppSetting_compare_leftHistoryPaths = &leftHistory;
        gAppSetting_compare_rightHistoryPaths = &rightHistory;
        qDeleteAll(controller().documents());
        controller().setDocumentFactory([] { return new FakeStartDocument(); });
        app = std::make_unique<MyApp>();
        app->setQuitHandler([this] { ++quits; });
        dir = pelkotest::freshDir(QStringLiteral("handover"));
        for (const char *name : {"a.txt", "b.txt", "c.txt", "x.png", "y.png"})
            ASSERT_TRUE(pelkotest::writeFile(path(name), "text\n"));
        ASSERT_TRUE(QDir().mkpath(path("d1")));
        ASSERT_TRUE(QDir().mkpath(path("d2")));
    }
    void TearDown() override
    {
        qDeleteAll(controller().documents());
        controller().setDocumentFactory(nullptr);
        app.reset();
        gAppSetting_compare_leftHistoryPaths = mOldLeft;
        gAppSetting_compare_rightHistoryPaths = mOldRight;
        gAppLaunchState = 0;
    }

    QString path(const QString &name) const { return name.isEmpty() ? name : dir + u'/' + name; }
    QStringList paths(const QStringList &names) const
    {
        QStringList out;
        for (const QString &n : names)
            out << path(n);
        return out;
    }
    // Names relative to the test folder make the expectations readable.
    QString shortName(const QString &p) const
    {
        return p.startsWith(dir + u'/') ? p.mid(dir.size() + 1) : p;
    }
    // "left|right" of each open start window, in opening order.
    QStringList startWindows() const
    {
        QStringList out;
        for (platform::Document *d : controller().documents())
            if (auto *s = qobject_cast<FakeStartDocument *>(d))
                out << shortName(s->left) + u'|' + shortName(s->right);
        return out;
    }
    QStringList compareWindows() const
    {
        QStringList out;
        for (const QString &w : factory.compareWindows()) {
            QStringList parts = w.split(u' ');
            for (QString &p : parts)
                p = shortName(p);
            out << parts.join(u' ');
        }
        return out;
    }
    int folderCompares() const
    {
        int n = 0;
        for (platform::Document *d : controller().documents())
            if (auto *s = qobject_cast<FakeStartDocument *>(d))
                n += s->compares;
        return n;
    }
    // Hands the paths over and waits for their batch.
    void handOver(const QStringList &names)
    {
        app->application_openFiles(paths(names));
        ASSERT_TRUE(QTest::qWaitFor([this] { return !app->hasPendingFiles(); }, 20000));
    }

    FakeWindowFactory factory;
    std::unique_ptr<MyApp> app;
    // A window hidden or closed has the application look for the last window a little later:
    // that look was scheduled and has run.
    bool lastWindowCheckDone()
    {
        const bool scheduled = platform::isPerformPending(app.get(), "lastWindow");
        return scheduled &&
               QTest::qWaitFor(
                   [this] { return !platform::isPerformPending(app.get(), "lastWindow"); }, 20000);
    }
    QString dir;
    QStringList leftHistory, rightHistory;
    int quits = 0;

private:
    QStringList *mOldLeft = nullptr;
    QStringList *mOldRight = nullptr;
};

struct BatchRow
{
    const char *name;
    QStringList handed;
    QStringList compareWindows; // "kind left right"
    QStringList startWindows;   // "left|right"
    int folderCompares;
};

TEST_F(MyAppTest, EachBatchOpensTheWindowsItsPathsAskFor)
{
    const BatchRow rows[] = {
        {"two texts", {"a.txt", "b.txt"}, {"text a.txt b.txt"}, {}, 0},
        {"two images", {"x.png", "y.png"}, {"image x.png y.png"}, {}, 0},
        {"an image and a text", {"x.png", "a.txt"}, {"text x.png a.txt"}, {}, 0},
        {"a file and a folder", {"a.txt", "d1"}, {}, {"a.txt|d1"}, 0},
        // Two folders are compared at once (pressing the start window's Compare).
        {"two folders", {"d1", "d2"}, {}, {"d1|d2"}, 1},
        {"three files", {"a.txt", "b.txt", "c.txt"}, {}, {"a.txt|b.txt", "c.txt|"}, 0},
        {"one path", {"a.txt"}, {}, {"a.txt|"}, 0},
        {"the second missing", {"a.txt", "missing.txt"}, {}, {"a.txt|missing.txt"}, 0},
        {"an empty path skipped", {"", "a.txt", "b.txt"}, {}, {"a.txt|", "b.txt|"}, 0},
        {"a folder and a missing path", {"d1", "gone"}, {}, {"d1|gone"}, 0},
    };
    for (const BatchRow &row : rows) {
        SCOPED_TRACE(row.name);
        qDeleteAll(controller().documents());
        for (const auto &w : factory.opened)
            delete w.data();
        factory.opened.clear();
        handOver(row.handed);
        EXPECT_EQ(compareWindows(), row.compareWindows);
        EXPECT_EQ(startWindows(), row.startWindows);
        EXPECT_EQ(folderCompares(), row.folderCompares);
    }
}

TEST_F(MyAppTest, RepeatedPathsOpenOneWindowAndManyWindowsAreAskedFor)
{
    std::vector<platform::AlertRequest> alerts;
    std::deque<int> answers;
    platform::setAlertHook([&](const platform::AlertRequest &r) {
        alerts.push_back(r);
        const int a = answers.empty() ? 1001 : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a;
    });
    // A thousand copies of one path: the first two make one pair, the rest one window.
    QStringList copies;
    for (int i = 0; i < 1000; ++i)
        copies << QStringLiteral("a.txt");
    handOver(copies);
    EXPECT_EQ(startWindows(),
              QStringList({QStringLiteral("a.txt|a.txt"), QStringLiteral("a.txt|")}));
    EXPECT_TRUE(alerts.empty());

    // More windows than a handful: asked first, and none opened on Cancel.
    qDeleteAll(controller().documents());
    const QStringList many{"a.txt", "b.txt", "c.txt", "x.png", "y.png", "d1", "d2", "gone"};
    answers = {1001};
    handOver(many);
    EXPECT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(startWindows().isEmpty());
    answers = {1000};
    handOver(many);
    EXPECT_EQ(alerts.size(), 2u);
    EXPECT_EQ(startWindows().size(), 7);
    platform::setAlertHook(nullptr);
}

TEST_F(MyAppTest, DirectComparesEnterThePathHistoriesAndFailuresFallBackToAStartWindow)
{
    leftHistory = QStringList{path("b.txt")};
    handOver({"a.txt", "b.txt"});
    EXPECT_EQ(leftHistory, paths({"a.txt", "b.txt"}));
    EXPECT_EQ(rightHistory, paths({"b.txt"}));

    // A compare window that cannot be made: the pair opens a start window instead.
    factory.failCompareWindows = true;
    handOver({"b.txt", "c.txt"});
    EXPECT_EQ(startWindows(), QStringList{QStringLiteral("b.txt|c.txt")});
    // A missing path enters no history.
    handOver({"a.txt", "missing.txt"});
    EXPECT_FALSE(rightHistory.contains(path("missing.txt")));
}

TEST_F(MyAppTest, DeliveriesCloseTogetherFormOneBatch)
{
    // Each arrival restarts the 0.15 s wait.
    QElapsedTimer gap;
    gap.start();
    bool tight = true;
    for (const char *name : {"a.txt", "b.txt", "c.txt"}) {
        tight = tight && gap.restart() < 140;
        app->application_openFiles({path(name)});
        QTest::qWait(60);
    }
    tight = tight && gap.elapsed() < 140;
    ASSERT_TRUE(QTest::qWaitFor([this] { return !app->hasPendingFiles(); }, 20000));
    if (!tight)
        GTEST_SKIP() << "the machine was too slow to deliver within the wait";
    EXPECT_EQ(startWindows(),
              QStringList({QStringLiteral("a.txt|b.txt"), QStringLiteral("c.txt|")}));
}

TEST_F(MyAppTest, ACompleteBatchIsHandledAtOnceWithWhatWasGatheredBeforeIt)
{
    // Two paths of one request: their window opens without the wait for more deliveries.
    app->application_openFiles(paths({"a.txt", "b.txt"}), true);
    EXPECT_FALSE(app->hasPendingFiles());
    EXPECT_EQ(compareWindows(), QStringList{QStringLiteral("text a.txt b.txt")});

    // A single path waiting for company joins the complete batch that follows it.
    app->application_openFiles({path("c.txt")});
    EXPECT_TRUE(app->hasPendingFiles());
    app->application_openFiles(paths({"d1", "d2"}), true);
    EXPECT_FALSE(app->hasPendingFiles());
    EXPECT_EQ(startWindows(), (QStringList{QStringLiteral("c.txt|d1"), QStringLiteral("d2|")}));
}

TEST_F(MyAppTest, DeliveriesFarApartAreTwoBatches)
{
    app->application_openFiles({path("a.txt")});
    // The first delivery's wait ends before the second arrives.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !app->hasPendingFiles(); }, 20000));
    app->application_openFiles({path("b.txt")});
    ASSERT_TRUE(QTest::qWaitFor([this] { return !app->hasPendingFiles(); }, 20000));
    // Two batches of one: no text window for the pair.
    EXPECT_EQ(startWindows(), QStringList({QStringLiteral("a.txt|"), QStringLiteral("b.txt|")}));
    EXPECT_TRUE(compareWindows().isEmpty());
}

TEST_F(MyAppTest, TheStartWindowOfAnEarlyBatchTakesLaterPathsOnlyWhileItIsOpen)
{
    // Before launching finished: the batch's start window is remembered.
    gAppLaunchState = 0;
    handOver({"a.txt"});
    ASSERT_EQ(startWindows(), QStringList{QStringLiteral("a.txt|")});
    platform::Document *first = app->rememberedStartWindow();
    ASSERT_TRUE(first);
    app->applicationDidFinishLaunching();

    // The first two paths of a later batch go to its right field in turn.
    handOver({"missing1", "missing2", "c.txt"});
    EXPECT_EQ(startWindows(),
              QStringList({QStringLiteral("a.txt|missing2"), QStringLiteral("c.txt|")}));

    // A start window that is closing takes nothing.
    qobject_cast<FakeStartDocument *>(first)->closing = true;
    EXPECT_EQ(app->rememberedStartWindow(), nullptr);
    qobject_cast<FakeStartDocument *>(first)->closing = false;

    // Once it has closed, a later batch opens its own window and never writes into the old one.
    first->close();
    ASSERT_FALSE(controller().documents().contains(first));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app->rememberedStartWindow(), nullptr);
    handOver({"b.txt"});
    EXPECT_EQ(startWindows(), QStringList({QStringLiteral("c.txt|"), QStringLiteral("b.txt|")}));
    EXPECT_EQ(gAppLaunchState, 1);
}

TEST_F(MyAppTest, EarlyPathsPrepareTheWindowTableOnce)
{
    gAppLaunchState = 0;
    handOver({"a.txt", "b.txt"});
    // A window registered after the batch stays listed through the end of launching.
    MergeWindow listed(QStringLiteral("MergeEditWndCtr"));
    OpenCompareWindowList_Add(&listed);
    app->applicationDidFinishLaunching();
    EXPECT_TRUE(gOpenCompareWindowList.contains(QPointer<MergeWindow>(&listed)));
    EXPECT_EQ(gAppLaunchState, 1);
}

TEST_F(MyAppTest, AStartWindowOfTwoFoldersIsFoundWhateverTheOrderButCaseCounts)
{
    ASSERT_TRUE(QDir().mkpath(path("D1")));
    app->Merge_Compare_two_subdirectories(path("d1"), path("d2"));
    ASSERT_EQ(startWindows(), QStringList{QStringLiteral("d1|d2")});

    struct Row
    {
        const char *name;
        QString folder1, folder2;
        int windowsAfter;
    };
    const Row rows[] = {
        {"same order", path("d1"), path("d2"), 1},
        {"swapped, with a trailing slash", path("d2"), path("d1") + u'/', 1},
        // On Linux D1 is another folder: a new start window.
        {"other letter case", path("D1"), path("d2"), 2},
        {"the same folder twice", path("d1"), path("d1/"), 2},
        {"a missing folder", path("d1"), path("gone"), 2},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        app->Merge_Compare_two_subdirectories(row.folder1, row.folder2);
        EXPECT_EQ(startWindows().size(), row.windowsAfter);
    }
    EXPECT_EQ(startWindows().last(), QStringLiteral("D1|d2"));
}

TEST_F(MyAppTest, TheTextWindowsCompareFoldersOpensTheStartWindowOfItsFilesFolders)
{
    app->awakeFromNib();
    ASSERT_TRUE(pelkotest::writeFile(path("d1/a.txt"), "a\n"));
    ASSERT_TRUE(pelkotest::writeFile(path("d2/b.txt"), "b\n"));
    struct Row
    {
        const char *name;
        QString left, right;
        QStringList windowsAfter;
        int comparesAfter;
    };
    const Row rows[] = {
        // Files of one folder, or an untitled side, give no folder pair: the item is off.
        {"one folder", path("a.txt"), path("b.txt"), {}, 0},
        {"untitled side", path("d1/a.txt"), QString(), {}, 0},
        {"two folders", path("d1/a.txt"), path("d2/b.txt"), {QStringLiteral("d1|d2")}, 1},
        // The open start window is brought forward and compared again, in either order.
        {"the same pair again", path("d2/b.txt"), path("d1/a.txt"), {QStringLiteral("d1|d2")}, 2},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        MergeEditWndCtr window;
        window.setMFile1(row.left);
        window.setMFile2(row.right);
        window.showWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isLoading(); }, 20000));
        QAction *item = window.ui().actionCompareFolders;
        EXPECT_EQ(item->isEnabled(), row.comparesAfter > folderCompares());
        item->trigger();
        EXPECT_EQ(startWindows(), row.windowsAfter);
        EXPECT_EQ(folderCompares(), row.comparesAfter);
        window.close();
    }
    // Without the delegate the item does nothing.
    app.reset();
    MergeEditWndCtr window;
    window.setMFile1(path("d1/a.txt"));
    window.setMFile2(path("d2/b.txt"));
    window.showWindow();
    window.Merge_Compare_two_subdirectories(true);
    EXPECT_EQ(folderCompares(), 2);
    window.close();
}

TEST_F(MyAppTest, TheFolderWindowGoesBackToTheStartWindowOfItsFolders)
{
    app->awakeFromNib();
    MergeFileListWndCtr folders;
    folders.SetCompareInfoWith(FileListCompareInfo_FromSettings(path("d1"), path("d2")));
    ASSERT_TRUE(QMetaObject::invokeMethod(&folders, "Navigate_Back"));
    EXPECT_EQ(startWindows(), QStringList{QStringLiteral("d1/|d2/")});
    // Once the delegate is gone, Go Back opens nothing.
    app.reset();
    folders.Navigate_Back();
    EXPECT_EQ(startWindows().size(), 1);
}

TEST_F(MyAppTest, TheFolderWindowComparesTheSelectedFolderPair)
{
    app->awakeFromNib();
    gAppSetting.compareSubFolder = 1;
    for (const char *name : {"L/sub/a.txt", "R/sub/a.txt", "L/a.txt", "R/a.txt", "L/lonely/x"})
        ASSERT_TRUE(pelkotest::writeFile(path(name), "a\n"));
    MergeFileListWndCtr folders;
    folders.SetCompareInfoWith(FileListCompareInfo_FromSettings(path("L"), path("R")));
    QSignalSpy compared(&folders, &MergeFileListWndCtr::compareFinished);
    folders.showWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return compared.count() > 0; }, 20000));
    QTreeView *view = folders.fileTableView();
    QAction *item =
        folders.mainWindow()->findChild<QAction *>(QStringLiteral("actionCompareFolders"));
    ASSERT_TRUE(item);
    // The same item under the right button.
    EXPECT_EQ(view->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_TRUE(view->actions().contains(item));
    const auto select = [&](const QByteArray &relative) {
        for (const COMP_ITEM &it : folders.model()->items())
            if (folders.model()->relativePath(it.ID) == relative)
                view->selectionModel()->select(folders.model()->indexForId(it.ID),
                                               QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
    };
    struct Row
    {
        const char *name;
        QByteArray selected;
        QStringList windowsAfter;
        int comparesAfter;
    };
    const Row rows[] = {
        // A pair of files, or a folder on one side only, is no folder pair: the item is off.
        {"a file pair", "a.txt", {}, 0},
        {"a one-sided folder", "lonely", {}, 0},
        {"a folder pair", "sub", {QStringLiteral("L/sub|R/sub")}, 1},
        // Again: the open start window comes forward and compares once more.
        {"the same pair again", "sub", {QStringLiteral("L/sub|R/sub")}, 2},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        select(row.selected);
        EXPECT_EQ(item->isEnabled(), row.comparesAfter > folderCompares());
        item->trigger();
        EXPECT_EQ(startWindows(), row.windowsAfter);
        EXPECT_EQ(folderCompares(), row.comparesAfter);
    }
    // Without the delegate the item is off and the command does nothing.
    app.reset();
    select("a.txt");
    select("sub");
    EXPECT_FALSE(item->isEnabled());
    folders.Merge_Compare_two_subdirectories(true);
    EXPECT_EQ(folderCompares(), 2);
    folders.close();
}

TEST_F(MyAppTest, BlankTextWindowsAndStartWindowsForTwoPaths)
{
    EXPECT_TRUE(app->create_New_BlankEdit());
    app->New_BlankEdit();
    EXPECT_EQ(compareWindows(),
              QStringList({QStringLiteral("blank  "), QStringLiteral("blank  ")}));
    factory.failCompareWindows = true;
    EXPECT_EQ(app->create_New_BlankEdit(), nullptr);

    platform::Document *d = app->openDocument_withPath1_withPath2(QString(), path("b.txt"));
    ASSERT_TRUE(d);
    EXPECT_EQ(startWindows(), QStringList{QStringLiteral("|b.txt")});
    EXPECT_FALSE(qobject_cast<FakeStartDocument *>(d)->left.isNull());
}

TEST_F(MyAppTest, TheProcessEndsWithItsLastWindowOnly)
{
    gAppLaunchState = 0;
    app->applicationDidFinishLaunching(); // opens an untitled start window
    ASSERT_EQ(startWindows().size(), 1);
    QWidget *start = factory.startWindow(controller().documents().first());
    start->show();
    QWidget compare;
    compare.show();
    // The start window hides once its compare window is open: the process goes on.
    start->hide();
    EXPECT_TRUE(lastWindowCheckDone());
    EXPECT_EQ(quits, 0);
    // A dialog that closes while a window stays open ends nothing either.
    {
        QWidget dialog(&compare, Qt::Dialog);
        dialog.show();
        dialog.close();
    }
    EXPECT_TRUE(lastWindowCheckDone());
    EXPECT_EQ(quits, 0);
    // Paths still being gathered keep the process alive.
    app->application_openFiles({path("a.txt"), path("b.txt")});
    compare.close();
    EXPECT_TRUE(QTest::qWaitFor([this] { return quits == 1; }, 20000));
    EXPECT_EQ(compareWindows().size(), 1);
}

TEST_F(MyAppTest, AFirstRunOpensNoStartWindowBeforeThePreferences)
{
    gIsFirstRun = true;
    gAppLaunchState = 0;
    EXPECT_FALSE(app->applicationShouldOpenUntitledFile());
    app->applicationDidFinishLaunching();
    EXPECT_TRUE(startWindows().isEmpty());
    gIsFirstRun = false;
    EXPECT_TRUE(app->applicationShouldOpenUntitledFile());
}

TEST_F(MyAppTest, AfterTheFirstStartPreferencesAStartWindowOpensOnlyWhenNoWindowIs)
{
    // Two files on the command line of a first start: their compare window is open when the
    // preferences close, so no start window joins it. Without any window, one opens.
    for (bool compareWindowOpen : {true, false}) {
        SCOPED_TRACE(compareWindowOpen ? "compare window open" : "no window");
        qDeleteAll(controller().documents());
        gIsFirstRun = true;
        int runs = 0;
        app->awakeFromNib();
        appCommandHooks().runPreferences = [&](SettingDlg *) {
            ++runs;
            return 0;
        };
        QWidget compare;
        if (compareWindowOpen)
            compare.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, 20000));
        EXPECT_EQ(startWindows().size(), compareWindowOpen ? 0 : 1);
        EXPECT_FALSE(gIsFirstRun);
        appCommandHooks().runPreferences = nullptr;
    }
}

TEST_F(MyAppTest, EachAppearanceChangeReadsTheAppearanceAgainLater)
{
    static QStringList *lines = nullptr;
    QStringList captured;
    lines = &captured;
    QLoggingCategory::setFilterRules(QStringLiteral("pelko.shell.info=true"));
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &m) {
            if (lines && qstrcmp(context.category, "pelko.shell") == 0)
                lines->append(m);
        });
    gAppSetting.bIsDarkMode = 7;
    // Two changes 0.1 s apart: each is read again 0.2 s after it arrived.
    app->validateDarkModeChanged(true);
    QTest::qWait(100);
    app->validateDarkModeChanged(true);
    const bool both = QTest::qWaitFor(
        [&] { return captured.filter(QStringLiteral("DarkMode changed")).size() == 2; }, 20000);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    lines = nullptr;
    EXPECT_TRUE(both) << captured.join(u'\n').toStdString();
    EXPECT_EQ(captured.filter(QStringLiteral("validateDarkModeChanged START ****")).size(), 2);
    EXPECT_LE(gAppSetting.bIsDarkMode, 1);
}

} // namespace
