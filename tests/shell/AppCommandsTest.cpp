#include "controls/LiveHelpDialog.h"
#include "platform/Dispatch.h"
#include "platform/ModalRun.h"
#include "platform/NotificationCenter.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"
#include "shell/AppBusyFlag.h"
#include "shell/AppCommands.h"
#include "shell/SettingDlg.h"
#include "support/TestEnvironment.h"
#include "support/AlertAnswers.h"
#include "support/InvisibleMarkPixels.h"
#include "support/WrappedPair.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/MyEditTextView.h"
#include "textcompare/CustomTextViewLineView.h"
#include "textcompare/ShortcutKeysHelp.h"
#include "ui_MergeEditWndCtr.h"
#include "ui_SettingDlg.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QTextCursor>
#include <QCursor>
#include <QTextBlock>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include <optional>

namespace {

class AppCommandsTest : public ::testing::Test, protected pelkotest::AlertAnswers
{
protected:
    void SetUp() override
    {
        AppSetting_SetDefault(&gAppSetting);
        OpenCompareWindowList_Reset();
        appCommandHooks() = AppCommandHooks();
        auto &center = platform::NotificationCenter::defaultCenter();
        mTokens.push_back(
            center.addObserver(QString::fromLatin1(kMergeUpdateFont), nullptr,
                               [this](const auto &) { posted += QStringLiteral("font"); }));
        mTokens.push_back(
            center.addObserver(QString::fromLatin1(kFuncChangeAppSetting), nullptr,
                               [this](const auto &) { posted += QStringLiteral("change"); }));
    }
    void TearDown() override
    {
        appCommandHooks() = AppCommandHooks();
        SetAppBusyFlag(false);
        gIsFirstRun = false;
    }
    // The preferences run answered by a function of the dialog.
    void answerPreferences(std::function<int(SettingDlg *)> answer)
    {
        appCommandHooks().runPreferences = [this, answer](SettingDlg *d) {
            ++runs;
            return answer(d);
        };
    }

    // A preferences run that lets change() alter the dialog, then presses OK.
    std::function<void()> okWith(std::function<void(SettingDlg *)> change)
    {
        return [this, change] {
            answerPreferences([change](SettingDlg *d) {
                change(d);
                d->okButtonClicked();
                return 1;
            });
            EXPECT_TRUE(Btn_Setting().accepted);
        };
    }
    // A text window on two new files, 1000 x 600, not yet read.
    static void showTextWindow(MergeEditWndCtr &w, const QString &hint, const QByteArray &left,
                               const QByteArray &right)
    {
        const QString folder = pelkotest::freshDir(hint);
        EXPECT_TRUE(pelkotest::writeFile(folder + QStringLiteral("/a.txt"), left));
        EXPECT_TRUE(pelkotest::writeFile(folder + QStringLiteral("/b.txt"), right));
        w.setMFile1(folder + QStringLiteral("/a.txt"));
        w.setMFile2(folder + QStringLiteral("/b.txt"));
        w.showWindow();
        w.window()->resize(1000, 600);
    }
    // Read, compared, the block to select selected and its characters compared.
    static bool settled(MergeEditWndCtr &w)
    {
        return QTest::qWaitFor(
            [&] { return !w.isLoading() && !w.isComparing() && !w.isBlockSelectionPending(); },
            20000);
    }

    std::vector<platform::ObserverToken> mTokens;
    QStringList posted;
    int runs = 0;
};

TEST_F(AppCommandsTest, PreferencesOutcomes)
{
    struct Row
    {
        const char *name;
        std::function<int(SettingDlg *)> answer;
        QStringList expected;
    } rows[] = {
        {"OK without change",
         [](SettingDlg *d) {
             d->okButtonClicked();
             return 1;
         },
         {QStringLiteral("font")}},
        {"Cancel without change", [](SettingDlg *) { return 0; }, {}},
        {"Cancel after switching tabs",
         [](SettingDlg *d) {
             d->ui().mTab->setCurrentIndex(3);
             d->cancelButtonClicked();
             return 0;
         },
         {}},
        {"quit key", [](SettingDlg *) { return 2; }, {}},
        {"OK with a change",
         [](SettingDlg *d) {
             d->ui().bWrapText->setChecked(!d->ui().bWrapText->isChecked());
             d->okButtonClicked();
             return 1;
         },
         {QStringLiteral("change"), QStringLiteral("font")}},
    };
    for (const Row &row : rows) {
        posted.clear();
        answerPreferences(row.answer);
        const PreferencesOutcome outcome = Btn_Setting();
        EXPECT_TRUE(outcome.shown) << row.name;
        EXPECT_EQ(posted, row.expected) << row.name;
    }
    // The tab shown last is remembered after Cancel.
    const qint32 tab = gAppSetting.settingDialogLastTabIndex;
    EXPECT_EQ(tab, 3);
}

TEST_F(AppCommandsTest, PreferencesWaitForAnotherModalWindow)
{
    answerPreferences([](SettingDlg *) { return 0; });
    QDialog other;
    other.setModal(true);
    other.show();
    const PreferencesOutcome outcome = Btn_Setting();
    EXPECT_FALSE(outcome.shown);
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(posted.isEmpty());

    // On a first start the dialog comes once the other one has closed, then the start window.
    gIsFirstRun = true;
    int startWindows = 0;
    appCommandHooks().hasOpenWindow = [&] { return startWindows > 0; };
    appCommandHooks().openStartWindow = [&] { ++startWindows; };
    Btn_Setting(true);
    EXPECT_EQ(runs, 0);
    other.hide();
    QTRY_COMPARE_WITH_TIMEOUT(runs, 1, 20000);
    EXPECT_EQ(startWindows, 1);
    EXPECT_FALSE(gIsFirstRun);
    // A later command never opens one.
    Btn_Setting(true);
    EXPECT_EQ(startWindows, 1);
}

TEST_F(AppCommandsTest, FirstStartOpensThePreferencesThenAStartWindow)
{
    answerPreferences([](SettingDlg *) { return 0; });
    gIsFirstRun = true;
    int startWindows = 0;
    ScheduleFirstRunPreferences([&] { return startWindows > 0; }, [&] { ++startWindows; });
    EXPECT_EQ(runs, 0); // not before the start has finished
    QTRY_COMPARE_WITH_TIMEOUT(runs, 1, 20000);
    EXPECT_EQ(startWindows, 1);
    EXPECT_FALSE(gIsFirstRun);
    // Nothing asks for them again.
    EXPECT_FALSE(platform::isPerformPending(qApp, "firstRunPreferences"));
    EXPECT_EQ(runs, 1);
}

TEST_F(AppCommandsTest, FirstRunOpensAStartWindowOnlyWhenNoneIsOpen)
{
    answerPreferences([](SettingDlg *) { return 1; });
    gIsFirstRun = true;
    int opened = 0;
    appCommandHooks().hasOpenWindow = [] { return true; };
    appCommandHooks().openStartWindow = [&] { ++opened; };
    Btn_Setting(true);
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(gIsFirstRun);
    // From the menu (a sender) on a first run: no start window either.
    gIsFirstRun = true;
    appCommandHooks().hasOpenWindow = [] { return false; };
    Btn_Setting(false);
    EXPECT_EQ(opened, 0);
}

TEST_F(AppCommandsTest, AQuitDuringTheFirstStartPreferencesEndsTheStartUp)
{
    // The quit key in the dialog, or a quit decided while it was up (a signal): the application
    // quits, and no start window opens after the dialog.
    enum class Quit { Key, Signal };
    for (Quit how : {Quit::Key, Quit::Signal}) {
        bool quitting = false;
        int quitRequests = 0;
        int opened = 0;
        answerPreferences([&](SettingDlg *d) {
            if (how == Quit::Key)
                return int(SettingDlg::CodeQuit);
            quitting = true;
            d->cancelButtonClicked();
            return int(SettingDlg::CodeCancel);
        });
        gIsFirstRun = true;
        appCommandHooks().hasOpenWindow = [] { return false; };
        appCommandHooks().openStartWindow = [&] { ++opened; };
        appCommandHooks().isQuitting = [&] { return quitting; };
        appCommandHooks().requestQuit = [&] {
            ++quitRequests;
            quitting = true;
        };
        EXPECT_TRUE(Btn_Setting(true).shown);
        EXPECT_EQ(opened, 0) << int(how);
        EXPECT_EQ(quitRequests, how == Quit::Key ? 1 : 0);
        EXPECT_FALSE(gIsFirstRun);
    }
}

TEST_F(AppCommandsTest, BusyFlagBlocksViewCommands)
{
    answerPreferences([](SettingDlg *) { return 1; });
    SetAppBusyFlag(true);
    EXPECT_FALSE(Btn_Setting().shown);
    Menu_ToggleViewMarks();
    EXPECT_EQ(+gAppSetting.bViewMarks, 0);
    QAction item;
    ValidateToggleViewMarksItem(&item);
    EXPECT_FALSE(item.isEnabled());
    SetAppBusyFlag(false);
    ValidateToggleViewMarksItem(&item);
    EXPECT_TRUE(item.isEnabled());
    EXPECT_TRUE(item.isCheckable());
}

TEST_F(AppCommandsTest, ViewMarksRule)
{
    AppSetting &s = gAppSetting;
    s.bViewMarks = 0;
    s.bViewMarks_showSpace = s.bViewMarks_showTab = s.bViewMarks_showEOL = 0;
    Menu_ToggleViewMarks();
    EXPECT_EQ(s.bViewMarks, 1);
    EXPECT_EQ(s.bViewMarks_showSpace, 0);
    EXPECT_EQ(s.bViewMarks_showTab, 1);
    EXPECT_EQ(s.bViewMarks_showEOL, 1);
    EXPECT_EQ(posted, QStringList{QStringLiteral("font")});
    QAction item;
    ValidateToggleViewMarksItem(&item);
    EXPECT_TRUE(item.isChecked());
    s.bViewMarks_showTab = 0;
    Menu_ToggleViewMarks();
    EXPECT_EQ(s.bViewMarks, 0);
    EXPECT_EQ(s.bViewMarks_showTab, 0);
    EXPECT_EQ(s.bViewMarks_showEOL, 1);
}

// The menu item follows the record, also when the record changed behind its back.
TEST_F(AppCommandsTest, ViewMarksItemInAMenu)
{
    gAppSetting.bViewMarks = 0;
    QMenu menu;
    QAction *item = menu.addAction(QStringLiteral("Show Invisibles"));
    AttachToggleViewMarksAction(item, &menu);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
    item->trigger();
    EXPECT_EQ(gAppSetting.bViewMarks, 1);
    EXPECT_TRUE(item->isChecked());
    gAppSetting.bViewMarks = 0;
    emit menu.aboutToShow();
    EXPECT_FALSE(item->isChecked());
    // While a dialog runs the command does nothing and the item is off.
    QDialog other;
    other.setModal(true);
    other.show();
    item->trigger();
    EXPECT_EQ(gAppSetting.bViewMarks, 0);
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(item->isEnabled());
}

TEST_F(AppCommandsTest, BigTextGuard)
{
    EXPECT_TRUE(allowToChangeViewSettingForBigSize_NoWrap_ShowLine_HighLight(11999999));
    EXPECT_TRUE(alerts.empty());
    answers = {1000};
    EXPECT_TRUE(allowToChangeViewSettingForBigSize_NoWrap_ShowLine_HighLight(12000000));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].title.contains(QStringLiteral("(12,000,000 chars)")))
        << alerts[0].title.toStdString();
    EXPECT_TRUE(alerts[0].title.contains(QStringLiteral("Are you sure you want")));
    EXPECT_TRUE(
        alerts[0].text.startsWith(QStringLiteral("For content bigger than 12,000,000 chars")));
    EXPECT_EQ(alerts[0].buttons, (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    answers = {1001};
    EXPECT_FALSE(allowToChangeViewSettingForBigSize_NoWrap_ShowLine_HighLight(50000000));
}

TEST_F(AppCommandsTest, FileTypeDialogIsNotEnteredTwice)
{
    int runsOfDialog = 0;
    appCommandHooks().runFileTypeDialog = [&] {
        ++runsOfDialog;
        EXPECT_TRUE(IsAssignFileTypeDialogRunning());
        Menu_AssignFileTypeToLanguage(); // a second request while it runs
    };
    Menu_AssignFileTypeToLanguage();
    EXPECT_EQ(runsOfDialog, 1);
    EXPECT_FALSE(IsAssignFileTypeDialogRunning());
    // An exception on the way out still clears the flag.
    appCommandHooks().runFileTypeDialog = [] { throw std::runtime_error("broken dialog"); };
    Menu_AssignFileTypeToLanguage();
    EXPECT_FALSE(IsAssignFileTypeDialogRunning());
}

TEST_F(AppCommandsTest, GutterToolTip)
{
    MergeEditWndCtr text;
    text.showWindow();
    QWidget *window = text.window();
    QLabel *tip = get_windowToolTipItem_For_Window(window);
    ASSERT_EQ(tip, text.windowToolTipItem());
    showToolTip(QStringLiteral("Line 12"), QPoint(), window);
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->text(), QStringLiteral("Line 12"));
    const QRect bounds = tip->fontMetrics().boundingRect(QRect(0, 0, 90000, 90000), Qt::AlignLeft,
                                                         QStringLiteral("Line 12"));
    EXPECT_EQ(tip->size(), bounds.size() + QSize(12, 6));
    EXPECT_GE(tip->x(), 0);
    EXPECT_GE(tip->y(), 0);
    showToolTip(QString(), QPoint(), window);
    EXPECT_FALSE(tip->isVisible());
    // Hidden windows and windows that are not text windows get no tip.
    window->hide();
    EXPECT_EQ(get_windowToolTipItem_For_Window(window), nullptr);
    QWidget other;
    other.show();
    EXPECT_EQ(get_windowToolTipItem_For_Window(&other), nullptr);
    EXPECT_EQ(get_windowToolTipItem_For_Window(nullptr), nullptr);
}

TEST(ToolTipPlacement, BesideThePointerNeverUnderIt)
{
    const QRect area(0, 0, 400, 300);
    const QSize size(60, 20);
    struct Row
    {
        const char *name;
        QPoint pointer;
    };
    const Row rows[] = {
        {"middle", {100, 100}},       {"right edge", {395, 100}}, {"bottom edge", {100, 298}},
        {"bottom right", {399, 299}}, {"top left", {0, 0}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QRect r = ToolTipPlacement(row.pointer, size, area);
        EXPECT_EQ(r.size(), size);
        EXPECT_TRUE(area.contains(r));
        EXPECT_FALSE(r.contains(row.pointer));
        // Clear of the arrow drawn right of and below the pointer's tip.
        EXPECT_FALSE(r.intersects(QRect(row.pointer, QSize(12, 4))));
    }
}

// The tip follows the pointer over the gutter; a click through the window where the gutter is
// reaches the gutter, as a user's does, not the tip.
TEST_F(AppCommandsTest, TheGutterTipLetsTheMouseThroughAndLeavesWithIt)
{
    InstallAppCommands(qApp);
    MergeEditWndCtr text;
    text.showWindow();
    text.setCompareTextToView1(QStringLiteral("one\ntwo\nthree\nfour\nfive\n"));
    text.setCompareTextToView2(QStringLiteral("one\n"));
    QWidget *window = text.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !text.isLoading() && !text.isComparing(); }, 20000));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    MyEditTextView *view = text.textView(1);
    QWidget *gutter = view->lineNumberView();
    QLabel *tip = text.windowToolTipItem();
    // The window's point in the middle of a line's number.
    const auto at = [&](int line) {
        QTextCursor c(view->document()->findBlockByNumber(line));
        const QPoint inViewport(0, view->cursorRect(c).center().y());
        const QPoint inGutter(gutter->width() / 2,
                              gutter->mapFrom(view, view->viewport()->mapTo(view, inViewport)).y());
        return gutter->mapTo(window, inGutter);
    };
    QWindow *handle = window->windowHandle();
    const auto hover = [&](int line) {
        QCursor::setPos(window->mapToGlobal(at(line)));
        QTest::mouseMove(handle, at(line));
    };
    const auto selected = [&] {
        return view->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
    };
    const auto tipBesidePointer = [&](int line) {
        const QRect shown(tip->mapTo(window, QPoint()), tip->size());
        return tip->isVisible() && !shown.contains(at(line));
    };

    hover(1);
    // The widget a press there goes to, as the window routes it.
    ASSERT_EQ(window->childAt(at(1)), gutter);
    EXPECT_EQ(tip->text(), QStringLiteral("Line 2"));
    EXPECT_TRUE(tipBesidePointer(1));
    QTest::mouseClick(handle, Qt::LeftButton, {}, at(1));
    EXPECT_EQ(selected(), QStringLiteral("two\n"));
    EXPECT_TRUE(tipBesidePointer(1));

    hover(3);
    QTest::mouseClick(handle, Qt::LeftButton, Qt::ShiftModifier, at(3));
    EXPECT_EQ(selected(), QStringLiteral("two\nthree\nfour\n"));
    EXPECT_EQ(tip->text(), QStringLiteral("Lines 2 - 4"));

    hover(4);
    QTest::mousePress(handle, Qt::LeftButton, {}, at(4));
    QTest::mouseMove(handle, at(2));
    QTest::mouseMove(handle, at(0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, at(0));
    EXPECT_EQ(selected(), QStringLiteral("one\ntwo\nthree\nfour\nfive\n"));
    EXPECT_TRUE(tipBesidePointer(0));

    // Into the text beside the gutter: the tip goes.
    const QPoint inText = view->viewport()->mapTo(window, QPoint(20, 5));
    QTest::mouseMove(handle, inText);
    EXPECT_FALSE(tip->isVisible());

    // Another window made active: the tip goes too.
    hover(2);
    ASSERT_TRUE(tip->isVisible());
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(tip->isVisible());
}

} // namespace

namespace {

TEST_F(AppCommandsTest, PreferencesKeyFromAnyWindow)
{
    InstallAppCommands(qApp);
    answerPreferences([](SettingDlg *) { return 0; });
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(runs, 1, 20000);
}

// Choosing a highlight language asks first; a refusal keeps the panes as they are.
TEST_F(AppCommandsTest, TextWindowAsksBeforeHighlighting)
{
    MergeEditWndCtr text;
    text.showWindow();
    text.setCompareTextToView1(QStringLiteral("int a;\n"));
    qint64 asked = -1;
    MergeEditWndCtr::setViewSettingGuard([&](qint64 length) {
        asked = length;
        return false;
    });
    const auto before = text.textView(1)->language();
    QAction none(QStringLiteral("(none)"));
    QAction cpp(QStringLiteral("C++"));
    text.Menu_Change_HightLightWithLanguage(&cpp);
    EXPECT_GE(asked, 7);
    EXPECT_EQ(text.textView(1)->language(), before);
    // Turning highlighting off is never asked about.
    asked = -1;
    text.Menu_Change_HightLightWithLanguage(&none);
    EXPECT_EQ(asked, -1);
    MergeEditWndCtr::setViewSettingGuard(nullptr);
}

} // namespace

TEST_F(AppCommandsTest, ShowInvisibleCharactersDrawsTheMarksInEveryOpenTextWindow)
{
    const QString folder = pelkotest::freshDir(QStringLiteral("marks"));
    const QByteArray left = "a\tb  \r\nsecond line \r\n\tthird\t\tend\r\n";
    const QByteArray right = "a\tb \r\nsecond  line\r\n\tthird\tend\r\n";
    auto file = [&](const char *name, const QByteArray &bytes) {
        const QString path = folder + QLatin1Char('/') + QString::fromLatin1(name);
        EXPECT_TRUE(pelkotest::writeFile(path, bytes));
        return path;
    };
    std::vector<std::unique_ptr<MergeEditWndCtr>> windows;
    for (const char *name : {"one", "two"}) {
        auto w = std::make_unique<MergeEditWndCtr>();
        w->setMFile1(file((std::string(name) + "-left.txt").c_str(), left));
        w->setMFile2(file((std::string(name) + "-right.txt").c_str(), right));
        w->showWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isLoading() && !w->isComparing(); }, 20000));
        windows.push_back(std::move(w));
    }
    auto panes = [&] {
        std::vector<MyEditTextView *> out;
        for (auto &w : windows)
            for (int side : {1, 2})
                out.push_back(w->textView(side));
        return out;
    };
    auto clickInPreferences = [&](auto box) {
        answerPreferences([box](SettingDlg *d) {
            // As a click does; clicks in quick succession would be taken for double clicks.
            (d->ui().*box)->click();
            d->okButtonClicked();
            return 1;
        });
        Btn_Setting();
    };
    struct Row
    {
        const char *name;
        std::function<void()> act;
        InvisibleMarks expected;
        std::optional<bool> itemChecked = {}; // the menu item, when not as the marks show
    } rows[] = {
        {"menu on: tabs and line ends", [] { Menu_ToggleViewMarks(); }, {false, true, true}},
        {"preferences: spaces on",
         [&] { clickInPreferences(&Ui::SettingDlg::bViewMarks_showSpace); },
         {true, true, true}},
        {"preferences: tabs off",
         [&] { clickInPreferences(&Ui::SettingDlg::bViewMarks_showTab); },
         {true, false, true}},
        {"preferences: line ends off",
         [&] { clickInPreferences(&Ui::SettingDlg::bViewMarks_showEOL); },
         {true, false, false}},
        {"menu off", [] { Menu_ToggleViewMarks(); }, {}},
        {"menu on: the kinds chosen before", [] { Menu_ToggleViewMarks(); }, {true, false, false}},
        {"preferences: marks off", [&] { clickInPreferences(&Ui::SettingDlg::bViewMarks); }, {}},
        {"preferences: marks on",
         [&] { clickInPreferences(&Ui::SettingDlg::bViewMarks); },
         {true, false, false}},
        // The editor's end-of-line mark is the line-end mark, whether the others show or not.
        {"preferences: end-of-line mark on",
         [&] { clickInPreferences(&Ui::SettingDlg::bShowEndOfLineMark); },
         {true, false, true}},
        {"menu off: the end-of-line mark stays",
         [] { Menu_ToggleViewMarks(); },
         {false, false, true},
         false},
        {"preferences: end-of-line mark off",
         [&] { clickInPreferences(&Ui::SettingDlg::bShowEndOfLineMark); },
         {},
         false},
    };
    QAction item;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        row.act();
        ValidateToggleViewMarksItem(&item);
        EXPECT_EQ(item.isChecked(), row.itemChecked.value_or(row.expected.any()));
        for (MyEditTextView *pane : panes()) {
            // Every window follows at once.
            EXPECT_TRUE(pane->invisibleMarks() == row.expected);
            pane->clearFocus();
            const QImage shown = pane->viewport()->grab().toImage();
            pane->setInvisibleMarks({});
            const QImage bare = pane->viewport()->grab().toImage();
            pane->setInvisibleMarks(row.expected);
            EXPECT_EQ(pelkotest::checkMarks(pelkotest::changedPixels(bare, shown),
                                            pelkotest::markBoxesInView(*pane), row.expected.spaces,
                                            row.expected.tabs, row.expected.lineEnds),
                      "");
        }
    }

    // Drawn only: an edit saved with marks on writes the text's own bytes.
    gAppSetting.bViewMarks = gAppSetting.bViewMarks_showSpace = 1;
    gAppSetting.bViewMarks_showTab = gAppSetting.bViewMarks_showEOL = 1;
    RefreshAllOpenDoc();
    MergeEditWndCtr &w = *windows.front();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isComparing(); }, 20000));
    EXPECT_EQ(w.GetTextInView1(), QString::fromLatin1(left).remove(QLatin1Char('\r')));
    QTextCursor start(w.textView(1)->document());
    w.textView(1)->setTextCursor(start);
    w.textView(1)->setFocus();
    QTest::keyClicks(w.textView(1), QStringLiteral("X"));
    ASSERT_TRUE(w.SaveSide(1));
    EXPECT_EQ(pelkotest::readFile(w.GetFile1()), "X" + left);
}

// What a user was looking at in a text window stays: the preferences and the marks command only
// change how texts look, and an ignore option that compares again keeps the block shown, or the
// block that holds its lines now.
TEST_F(AppCommandsTest, TheTextWindowsKeepTheirPlaceThroughSettingsAndCompareOptions)
{
    // 65 one-line differences, one every 10 lines; the first 10 differ in case only.
    QByteArray left, right;
    for (int i = 0; i < 650; ++i) {
        const QByteArray line = "line " + QByteArray::number(i);
        left += line + "\n";
        if (i % 10 != 5)
            right += line + "\n";
        else if (i < 100)
            right += line.toUpper() + "\n";
        else
            right += line + " changed\n";
    }
    MergeEditWndCtr w;
    showTextWindow(w, QStringLiteral("place"), left, right);
    ASSERT_TRUE(settled(w));
    ASSERT_EQ(w.mergeBlocks().size(), 65u);
    for (int i = 0; i < 20; ++i)
        w.Merge_Next();
    ASSERT_EQ(w.currentBlock(), 20);
    MyEditTextView *pane = w.textView(1);
    // A selection in the left pane, and the right pane scrolled a little beyond the block.
    QTextCursor selection(pane->document()->findBlockByNumber(207));
    selection.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    pane->setTextCursor(selection);
    w.textView(2)->scrollToLine(w.textView(2)->firstVisibleLine() + 3);
    ASSERT_TRUE(settled(w));
    const qint64 top1 = pane->firstVisibleLine(), top2 = w.textView(2)->firstVisibleLine();

    struct Row
    {
        const char *name;
        std::function<void()> act;
        int block;         // the block selected afterwards
        size_t blockCount; // and how many there are
    } rows[] = {
        {"preferences OK without a change", okWith([](SettingDlg *) {}), 20, 65},
        {"show invisible characters", [] { Menu_ToggleViewMarks(); }, 20, 65},
        {"hide them again", [] { Menu_ToggleViewMarks(); }, 20, 65},
        {"preferences: another text size",
         okWith([](SettingDlg *d) { d->ui().mSlider_textSize->setValue(15); }), 20, 65},
        // The ten blocks before it are equal now: the same lines are the 11th block.
        {"ignore case", [&] { w.ui().actionIgnoreCase->trigger(); }, 10, 55},
        {"preferences OK after an edit far below", okWith([&](SettingDlg *) {
             QTextCursor(w.textView(2)->document()->findBlockByNumber(600))
                 .insertText(QStringLiteral("typed "));
         }),
         10, 56},
        {"case again", [&] { w.ui().actionIgnoreCase->trigger(); }, 20, 66},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        row.act();
        ASSERT_TRUE(settled(w));
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        EXPECT_EQ(w.mergeBlocks().size(), row.blockCount);
        EXPECT_EQ(w.currentBlock(), row.block);
        EXPECT_EQ(w.ui().mResultLabel->text().toStdString(), QStringLiteral("Difference %1 of %2")
                                                                 .arg(row.block + 1)
                                                                 .arg(row.blockCount)
                                                                 .toStdString());
        EXPECT_EQ(pane->firstVisibleLine(), top1);
        EXPECT_EQ(w.textView(2)->firstVisibleLine(), top2);
        EXPECT_EQ(pane->textCursor().selectedText(), QStringLiteral("line 207\u2029"))
            << pane->textCursor().selectedText().toStdString();
    }
    w.setCompareOptions({});
    w.setDocumentEdited(false);
}

// A window's own View choices stand through the preferences and the marks command, and the block
// shown stays on its rows of the screen: OK with nothing changed, the marks, another text size.
// A preference the dialog changes reaches the window.
TEST_F(AppCommandsTest, TheWindowsOwnViewChoicesStandThroughThePreferences)
{
    gAppSetting.bWrapText = 0;
    gAppSetting.bShowLineNumber = 1;
    const auto [left, right] = pelkotest::wrappedPairTexts();
    MergeEditWndCtr w;
    showTextWindow(w, QStringLiteral("viewchoices"), left, right);
    ASSERT_TRUE(settled(w));
    ASSERT_TRUE(w.Menu_SetWrapLines(true));
    ASSERT_TRUE(w.Menu_SetShowLineNumbers(false));
    w.selectBlock(7);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    const MERGE_BLOCK block = w.mergeBlocks()[7];
    const auto rowsOfBlock = [&] {
        return std::pair{w.textView(1)->viewRowOfLinePosition(double(block.startLine[1])),
                         w.textView(2)->viewRowOfLinePosition(double(block.startLine[2]))};
    };
    const auto shown = rowsOfBlock();
    ASSERT_EQ(shown.first, shown.second);
    ASSERT_GT(shown.first, 0);

    struct Row
    {
        const char *name;
        std::function<void()> act;
        bool wrap, lineNumbers; // as the window shows them afterwards
    } rows[] = {
        {"preferences OK without a change", okWith([](SettingDlg *) {}), true, false},
        {"show invisible characters", [] { Menu_ToggleViewMarks(); }, true, false},
        {"hide them again", [] { Menu_ToggleViewMarks(); }, true, false},
        {"preferences: another text size",
         okWith([](SettingDlg *d) { d->ui().mSlider_textSize->setValue(27); }), true, false},
        {"preferences: line numbers turned off",
         okWith([](SettingDlg *d) { d->ui().bShowLineNumber->setChecked(false); }), true, false},
        {"preferences: line numbers turned on",
         okWith([](SettingDlg *d) { d->ui().bShowLineNumber->setChecked(true); }), true, true},
        {"preferences: wrapping turned on",
         okWith([](SettingDlg *d) { d->ui().bWrapText->setChecked(true); }), true, true},
        {"preferences: wrapping turned off",
         okWith([](SettingDlg *d) { d->ui().bWrapText->setChecked(false); }), false, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        row.act();
        ASSERT_TRUE(settled(w));
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        EXPECT_EQ(w.currentBlock(), 7);
        for (int side : {1, 2}) {
            EXPECT_EQ(w.textView(side)->lineWrapMode() != QPlainTextEdit::NoWrap, row.wrap);
            EXPECT_EQ(w.textView(side)->showLineNumbers(), row.lineNumbers);
        }
        EXPECT_EQ(w.ui().actionWrapLines->isChecked(), row.wrap);
        EXPECT_EQ(w.ui().actionShowLineNumbers->isChecked(), row.lineNumbers);
        const auto rows = rowsOfBlock();
        EXPECT_EQ(rows.first, shown.first);
        EXPECT_EQ(rows.second, shown.second);
    }
}

// A first start with two files: the compare window, the preferences over it, and the window's
// keys help come one at a time; the help waits for the preferences to close.
TEST_F(AppCommandsTest, AtAFirstStartThePreferencesAndTheKeysHelpComeOneAtATime)
{
    const QString savedSupport = gSupportFolder;
    ASSERT_TRUE(PrepareSupportFolder(pelkotest::freshDir(QStringLiteral("firststart"))));
    LiveHelpDialogSetting_Forget();
    ShortcutKeysHelp_ForgetOffered();
    LiveHelpDialog::setQuietInThisProcess(false);
    std::vector<bool> overDialog; // one entry per alert: was a modal window up?
    platform::setAlertHook([&](const platform::AlertRequest &) {
        overDialog.push_back(platform::currentModalWindow() != nullptr ||
                             QApplication::activeModalWidget() != nullptr);
        return int(platform::AlertFirstButtonReturn);
    });
    const QString folder = pelkotest::freshDir(QStringLiteral("firststart-files"));
    ASSERT_TRUE(pelkotest::writeFile(folder + QStringLiteral("/a.txt"), "one\ntwo\n"));
    ASSERT_TRUE(pelkotest::writeFile(folder + QStringLiteral("/b.txt"), "one\n2\n"));
    MergeEditWndCtr w;
    w.setMFile1(folder + QStringLiteral("/a.txt"));
    w.setMFile2(folder + QStringLiteral("/b.txt"));
    w.showWindow();
    // The preferences run modally as a user's do, and stay until the window has offered its help.
    bool offeredWhileOpen = false;
    answerPreferences([&](SettingDlg *d) {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, d, [&] {
            if (w.isLoading() || platform::isPerformPending(&w, "shortcutKeysHelp"))
                return;
            offeredWhileOpen = true;
            poll.stop();
            d->okButtonClicked();
        });
        poll.start(10);
        return platform::runModalForWindow(d->window());
    });
    gIsFirstRun = true;
    ScheduleFirstRunPreferences([] { return true; }, [] {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs == 1 && !overDialog.empty(); }, 20000));
    EXPECT_TRUE(offeredWhileOpen);
    EXPECT_FALSE(LiveHelpDialog::isWaiting());
    EXPECT_EQ(overDialog, std::vector<bool>{false});

    platform::setAlertHook(nullptr);
    LiveHelpDialog::setQuietInThisProcess(true);
    LiveHelpDialogSetting_Forget();
    ShortcutKeysHelp_ForgetOffered();
    gSupportFolder = savedSupport;
}
