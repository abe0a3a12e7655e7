// The start window's life and its compare decision: titles, closing, the buttons that follow
// the paths, what it stores, which window each pair opens and the filter alerts.
#include "StartWindowFixture.h"

#include "compare/Export_GenegatePatch_SettingView.h"
#include "compare/FolderCompareState.h"
#include "controls/MyTokenTextList.h"
#include "foldercompare/FolderCompareModel.h"
#include "foldercompare/MergeFileListWndCtr.h"
#include "services/AppInit.h"
#include "platform/LocalPath.h"
#include "shell/CommandLine.h"
#include "shell/MenuRouter.h"
#include "platform/Document.h"
#include "platform/Dispatch.h"
#include "platform/UserDefaults.h"
#include "platform/WindowController.h"
#include "shell/MergeImageWindCtr.h"
#include "textcompare/MergeEditWndCtr.h"

#include <QAction>
#include <QImage>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using pelkotest::StartWindowTest;

namespace {

QString pngFile(const QString &path, Qt::GlobalColor colour)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path, "PNG");
    return path;
}

} // namespace

TEST_F(StartWindowTest, TitleFollowsThePathNames)
{
    struct Row
    {
        const char *left, *right, *title;
    };
    const Row rows[] = {
        {"", "", "New Compare"},      {"/tmp/a/readme.txt", "/tmp/b/README.TXT", "readme.txt"},
        {"/p/x", "/q/y", "x  vs  y"}, {"", "/q/y", "y"},
        {"/p/x/", "", "x"},
    };
    MergeDocument *doc = openWindow();
    for (const Row &row : rows) {
        doc->SetLeftText(QString::fromUtf8(row.left));
        doc->SetRightText(QString::fromUtf8(row.right));
        EXPECT_EQ(doc->getWindowDisplayName(), QString::fromUtf8(row.title)) << row.left;
        EXPECT_EQ(doc->window()->windowTitle(), QString::fromUtf8(row.title)) << row.left;
    }
}

TEST_F(StartWindowTest, NewWindowShowsTheRecentPathsOrTheHandedOverOne)
{
    const QString a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt"));
    const QString c = file(QStringLiteral("c.txt"));
    *gAppSetting_compare_leftHistoryPaths = {a, c};
    *gAppSetting_compare_rightHistoryPaths = {b};
    MergeDocument *doc = openWindow();
    EXPECT_EQ(doc->getFullPath1(), a);
    EXPECT_EQ(doc->getFullPath2(), b);
    EXPECT_TRUE(doc->ui().mCompareButton->isEnabled());

    MergeDocument *handed = openWindow(c);
    EXPECT_EQ(handed->getFullPath1(), c);
    EXPECT_EQ(handed->getFullPath2(), b);
    EXPECT_EQ(handed->fileURL(), c);

    // Handed over after the window exists: still the left field.
    handed->readFromFile(a, QString());
    EXPECT_EQ(handed->getFullPath1(), a);
}

TEST_F(StartWindowTest, NewWindowSelectsTheRecentPathSoTypingReplacesIt)
{
    const QString gone = mDir + QStringLiteral("/gone/fr.po");
    const QString b = file(QStringLiteral("b.txt"));
    *gAppSetting_compare_leftHistoryPaths = {gone};
    *gAppSetting_compare_rightHistoryPaths = {b};
    MergeDocument *doc = openWindow();
    QWidget *w = doc->window();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    MyTextField *field = doc->ui().mLeftPathTxt;
    ASSERT_TRUE(field->hasFocus());
    EXPECT_EQ(field->selectedText(), gone);
    // A path that names nothing shows no icon, not the folder of the placeholder.
    DropFolderBox *box = doc->ui().mLeftDrop;
    EXPECT_TRUE(box->showsMissing());
    EXPECT_TRUE(box->pixmap().isNull());
    QTest::keyClicks(field, QStringLiteral("/new"));
    EXPECT_EQ(field->text(), QStringLiteral("/new"));
}

TEST_F(StartWindowTest, EscapeHidesAtOnceAndClosesLaterStoringPathsAndFrame)
{
    const QString a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt"));
    QPointer<MergeDocument> doc = openWindow();
    doc->SetLeftText(a);
    doc->SetRightText(b);
    QPointer<QWidget> window = doc->window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(doc->isClosing());
    EXPECT_FALSE(window->isVisible());
    ASSERT_TRUE(doc);
    QTRY_VERIFY_WITH_TIMEOUT(doc.isNull(), 20000);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(gAppSetting_compare_leftHistoryPaths->value(0), a);
    EXPECT_EQ(gAppSetting_compare_rightHistoryPaths->value(0), b);
    EXPECT_TRUE(
        platform::UserDefaults::standard().hasKey(QStringLiteral("winFrame_MergeDocument_w")));
}

TEST_F(StartWindowTest, CloseBoxStoresLikeACompareAndEndsTheDocument)
{
    const QString a = file(QStringLiteral("a.txt"));
    QPointer<MergeDocument> doc = openWindow();
    doc->SetLeftText(a);
    doc->ui().searchString_regex->setChecked(true);
    doc->ui().compare_quickCompare_date->click();
    doc->window()->close();
    EXPECT_EQ(gAppSetting_compare_leftHistoryPaths->value(0), a);
    EXPECT_EQ(qint64(gAppSetting.searchString_regex), 1);
    EXPECT_EQ(qint64(gAppSetting.folder_compare_Mode), 2);
    QTRY_VERIFY_WITH_TIMEOUT(doc.isNull(), 20000);
}

TEST_F(StartWindowTest, ButtonsFollowThePathsComparedExactly)
{
    const QString lower = file(QStringLiteral("a.txt")), upper = file(QStringLiteral("A.txt"));
    const QString d1 = folder(QStringLiteral("dir1")), d2 = folder(QStringLiteral("Dir1"));
    struct Row
    {
        QString left, right;
        bool compare, swap;
    };
    const Row rows[] = {
        {lower, upper, true, true},                               // case twins are two files
        {lower, lower, false, false},                             // the same file
        {lower, lower + QStringLiteral("  "), false, false},      // white space is trimmed
        {d1, d1 + QLatin1Char('/'), false, false},                // one folder, trailing slash
        {d1, d2, true, true},                                     // case-twin folders
        {lower, d1, false, true},                                 // a file with a folder
        {lower, mDir + QStringLiteral("/gone.txt"), false, true}, // a missing file
        {QString(), upper, false, true},
        {QString(), QString(), false, false},
    };
    MergeDocument *doc = openWindow();
    for (const Row &row : rows) {
        doc->SetLeftText(row.left);
        doc->SetRightText(row.right);
        EXPECT_EQ(doc->ui().mCompareButton->isEnabled(), row.compare)
            << row.left.toStdString() << row.right.toStdString();
        EXPECT_EQ(doc->ui().mGeneratePatch->isEnabled(), row.compare) << row.left.toStdString();
        EXPECT_EQ(doc->ui().mSwapLeftRight->isEnabled(), row.swap)
            << row.left.toStdString() << row.right.toStdString();
        EXPECT_EQ(doc->validateNavigateForward(), row.compare);
    }
    EXPECT_FALSE(doc->validateNavigateBack());
    doc->SetLeftText(lower);
    doc->SetRightText(QString());
    EXPECT_EQ(doc->ui().mTxt_1->text(), QStringLiteral("a.txt"));
    EXPECT_EQ(doc->ui().mTxt_2->text(), QStringLiteral("Right"));
    EXPECT_EQ(doc->fileURL(), lower);
}

TEST_F(StartWindowTest, HistoryButtonsAreEnabledByTheirHistory)
{
    *gAppSetting_compare_leftHistoryPaths = {file(QStringLiteral("a.txt"))};
    gAppSetting_compare_rightHistoryPaths->clear();
    MergeDocument *doc = openWindow();
    EXPECT_TRUE(doc->ui().mLeftSelectButton->isEnabled());
    EXPECT_FALSE(doc->ui().mRightSelectButton->isEnabled());
}

TEST_F(StartWindowTest, SaveSettingStoresDefaultsOptionsAndExistingPathsOnly)
{
    const QString a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt"));
    *gAppSetting_compare_leftHistoryPaths = {b, a};
    MergeDocument *doc = openWindow();
    for (MyTokenTextList *field : doc->tokenFields())
        field->setObjectValue(QStringList());
    doc->SetLeftText(QStringLiteral("  ") + a + QStringLiteral("\n"));
    doc->SetRightText(mDir + QStringLiteral("/missing.txt"));
    doc->ui().mSubFolderChecker->setChecked(false);
    doc->ui().mTreeModeChecker->setChecked(true);
    doc->ui().compare_quickCompare_full->click();
    doc->ui().folder_compare_ignore_EndLineDiff->setChecked(true);
    doc->SaveSetting();

    EXPECT_EQ(*gAppSetting_compare_leftHistoryPaths, (QStringList{a, b}));
    EXPECT_FALSE(
        gAppSetting_compare_rightHistoryPaths->contains(mDir + QStringLiteral("/missing.txt")));
    EXPECT_EQ(qint64(gAppSetting.compareSubFolder), 0);
    EXPECT_EQ(qint64(gAppSetting.compare_folderViewMode), 1);
    EXPECT_EQ(qint64(gAppSetting.folder_compare_Mode), 3);
    EXPECT_EQ(qint64(gAppSetting.folder_compare_ignore_EndLineDiff), 1);

    const QStringList expected = {QStringLiteral("*"),    QStringLiteral("none"),
                                  QStringLiteral("none"), QStringLiteral(".*"),
                                  QStringLiteral("none"), QStringLiteral("none")};
    auto &defaults = platform::UserDefaults::standard();
    const QStringList keys = {QStringLiteral("mTokenFilter_Include.historyKey_3"),
                              QStringLiteral("mTokenFilter_Exclude.historyKey_3"),
                              QStringLiteral("mTokenSubFolder_Exclude.historyKey_3"),
                              QStringLiteral("regex_mTokenFilter_Include.historyKey_3"),
                              QStringLiteral("regex_mTokenFilter_Exclude.historyKey_3"),
                              QStringLiteral("regex_mTokenSubFolder_Exclude.historyKey_3")};
    for (int i = 0; i < keys.size(); ++i) {
        const QStringList stored = defaults.stringForKey(keys[i]).split(QStringLiteral("_{??}_"));
        EXPECT_EQ(stored.value(0), expected[i]) << keys[i].toStdString();
        EXPECT_EQ(stored.size(), 10)
            << keys[i].toStdString(); // the default and nine ready-made entries
    }
    // A new window shows what was stored.
    MergeDocument *again = openWindow();
    EXPECT_EQ(again->ui().mTokenFilter_Include->stringValue(), QStringLiteral("*"));
    EXPECT_TRUE(again->ui().mTokenFilter_Exclude->stringValue().isEmpty());
    EXPECT_TRUE(again->ui().compare_quickCompare_full->isChecked());
    EXPECT_TRUE(again->ui().mTreeModeChecker->isChecked());
}

TEST_F(StartWindowTest, TwoTextFilesOpenTheTextWindowAndTheStartWindowCloses)
{
    const QString a = file(QStringLiteral("a.txt"), "one\n"),
                  b = file(QStringLiteral("A.txt"), "two\n");
    QPointer<MergeDocument> doc = openWindow();
    QSignalSpy opened(doc.data(), &MergeDocument::compareWindowOpened);
    gAppSetting.open_preferEncode = 5;
    doc->SetLeftText(a);
    doc->SetRightText(b);
    doc->ButtonCompare();
    ASSERT_EQ(opened.size(), 1);
    auto *text = qobject_cast<MergeEditWndCtr *>(opened[0][0].value<QObject *>());
    ASSERT_TRUE(text);
    EXPECT_EQ(text->mFile1Path(), a);
    EXPECT_EQ(text->GetFile2(), b);
    EXPECT_TRUE(doc->isClosing());
    EXPECT_FALSE(doc->window()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(doc.isNull(), 20000);
}

TEST_F(StartWindowTest, TwoImagesOpenTheImageWindowButRefuseAPatch)
{
    const QString a = pngFile(mDir + QStringLiteral("/a.png"), Qt::red);
    const QString b = pngFile(mDir + QStringLiteral("/b.png"), Qt::blue);
    MergeDocument *doc = openWindow();
    QSignalSpy opened(doc, &MergeDocument::compareWindowOpened);
    doc->SetLeftText(a);
    doc->SetRightText(b);
    doc->Button_GeneratePatch();
    EXPECT_EQ(opened.size(), 0);
    ASSERT_EQ(mAlerts.size(), 1);
    EXPECT_EQ(mAlerts[0].text, QStringLiteral("Invalid file."));
    EXPECT_FALSE(doc->isClosing());
    EXPECT_TRUE(mSaveRequests.isEmpty());

    doc->ButtonCompare();
    ASSERT_EQ(opened.size(), 1);
    auto *image = qobject_cast<MergeImageWindCtr *>(opened[0][0].value<QObject *>());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mFile1Path(), a);
    EXPECT_EQ(image->mFile2Path(), b);
    EXPECT_TRUE(doc->isClosing());
}

TEST_F(StartWindowTest, TwoFoldersOpenTheFolderWindowWithTheWholeRequest)
{
    const QString d1 = folder(QStringLiteral("left")), d2 = folder(QStringLiteral("right"));
    MergeDocument *doc = openWindow();
    QSignalSpy opened(doc, &MergeDocument::compareWindowOpened);
    Ui::MergeDocument &ui = doc->ui();
    ui.mTokenFilter_Include->setObjectValue(
        QStringList{QStringLiteral(".C"), QStringLiteral("*.h")});
    ui.mTokenFilter_Exclude->setObjectValue(QStringList{QStringLiteral("old*")});
    ui.mTokenSubFolder_Exclude->setObjectValue(QStringList{QStringLiteral(".git")});
    ui.compare_quickCompare_full->click();
    ui.folder_compare_ignore_EndLineDiff->setChecked(true);
    ui.mSubFolderChecker->setChecked(false);
    ui.mTreeModeChecker->setChecked(true);
    ui.searchString_regex_matchWholeString->setChecked(true);
    const int latin1 = ui.popUp_PreferEncoding->findData(QVariant(qint64(5)));
    ASSERT_GE(latin1, 0);
    ui.popUp_PreferEncoding->setCurrentIndex(latin1);
    doc->SetLeftText(d1);
    doc->SetRightText(d2 + QLatin1Char('/'));
    doc->Button_GeneratePatch();
    ASSERT_EQ(opened.size(), 1) << (mAlerts.isEmpty() ? QString() : mAlerts[0].text).toStdString();
    auto *win = qobject_cast<MergeFileListWndCtr *>(opened[0][0].value<QObject *>());
    ASSERT_TRUE(win);
    EXPECT_TRUE(win->bRequestExport_Generate_patch_later());
    const auto info = win->compareInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->mFolder1, d1 + QLatin1Char('/'));
    EXPECT_EQ(info->mFolder2, d2 + QLatin1Char('/'));
    EXPECT_EQ(info->folder_compare_Mode, 3);
    EXPECT_TRUE(info->folder_compare_ignore_EndLineDiff);
    EXPECT_FALSE(info->compareSubFolder);
    EXPECT_FALSE(info->bIsRegex);
    EXPECT_TRUE(info->bIsRegex_bMatchWholeString);
    ASSERT_EQ(info->filterIncludeExt.size(), 2);
    EXPECT_EQ(info->filterIncludeExt[0].text, QStringLiteral(".c"));
    EXPECT_FALSE(info->filterIncludeExt[0].isPredicate());
    EXPECT_TRUE(info->filterIncludeExt[1].isPredicate()); // "*.h" is a wildcard
    EXPECT_TRUE(info->acceptsFile(QStringLiteral("x.h")));
    EXPECT_FALSE(info->acceptsFile(QStringLiteral("old.c")));
    EXPECT_FALSE(info->acceptsSubFolder(QStringLiteral(".git")));
    EXPECT_EQ(info->preferEncoding, 5u);
    EXPECT_EQ(qint64(gAppSetting.compare_folderViewMode), 1);
    EXPECT_TRUE(doc->isClosing());
}

TEST_F(StartWindowTest, MatchAllIncludeAndNoneExcludeMeanNoFilters)
{
    const QString d1 = folder(QStringLiteral("l")), d2 = folder(QStringLiteral("r"));
    MergeDocument *doc = openWindow();
    QSignalSpy opened(doc, &MergeDocument::compareWindowOpened);
    doc->ui().mTokenFilter_Include->setObjectValue(QStringList());
    doc->ui().mTokenFilter_Exclude->setObjectValue(QStringList());
    doc->SetLeftText(d1);
    doc->SetRightText(d2);
    doc->ButtonCompare();
    ASSERT_EQ(opened.size(), 1);
    const auto info =
        qobject_cast<MergeFileListWndCtr *>(opened[0][0].value<QObject *>())->compareInfo();
    EXPECT_TRUE(info->filterIncludeExt.isEmpty());
    EXPECT_TRUE(info->filterExcludeExt.isEmpty());
    EXPECT_EQ(doc->ui().mTokenFilter_Include->stringValue(), QStringLiteral("*"));
}

TEST_F(StartWindowTest, PairsThatOpenNothingLeaveTheWindowOpenAndSilent)
{
    const QString a = file(QStringLiteral("a.txt")), d = folder(QStringLiteral("d"));
    const QStringList lefts = {a, a, QString(), mDir + QStringLiteral("/gone")};
    const QStringList rights = {a + QLatin1Char('/'), d, a, a};
    MergeDocument *doc = openWindow();
    QSignalSpy opened(doc, &MergeDocument::compareWindowOpened);
    for (int i = 0; i < lefts.size(); ++i) {
        doc->SetLeftText(lefts[i]);
        doc->SetRightText(rights[i]);
        doc->ButtonCompare();
    }
    EXPECT_EQ(opened.size(), 0);
    EXPECT_TRUE(mAlerts.isEmpty());
    EXPECT_FALSE(doc->isClosing());
}

TEST_F(StartWindowTest, BusyFolderCompareElsewhereIsRefusedBeforeAnythingIsStored)
{
    const QString a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt"));
    QObject other;
    ASSERT_TRUE(FolderCompareState_BeginCompare(&other, nullptr, nullptr));
    MergeDocument *doc = openWindow();
    QSignalSpy opened(doc, &MergeDocument::compareWindowOpened);
    doc->SetLeftText(a);
    doc->SetRightText(b);
    doc->ButtonCompare();
    FolderCompareState_EndCompare(&other);
    EXPECT_EQ(opened.size(), 0);
    ASSERT_EQ(mAlerts.size(), 1);
    EXPECT_EQ(mAlerts[0].title, QStringLiteral("Warning"));
    EXPECT_FALSE(gAppSetting_compare_leftHistoryPaths->contains(a));
}

TEST_F(StartWindowTest, TryToCompareRightNowPressesCompareOnlyWhenEnabled)
{
    const QString a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt"));
    QPointer<MergeDocument> doc = openWindow();
    QSignalSpy opened(doc.data(), &MergeDocument::compareWindowOpened);
    doc->SetLeftText(a);
    EXPECT_FALSE(doc->TryToCompareRightNow());
    doc->SetRightText(b);
    EXPECT_TRUE(doc->TryToCompareRightNow());
    EXPECT_EQ(opened.size(), 0); // pressed a moment later
    QTRY_COMPARE_WITH_TIMEOUT(opened.size(), 1, 20000);
}

TEST_F(StartWindowTest, ReturnInAPathFieldWithoutSuggestionsPressesCompare)
{
    const QString a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt"));
    QPointer<MergeDocument> doc = openWindow();
    QSignalSpy opened(doc.data(), &MergeDocument::compareWindowOpened);
    doc->SetLeftText(a);
    MyTextField *right = doc->ui().mRightPathTxt;
    // With Compare disabled, Return changes nothing.
    QTest::keyClick(right, Qt::Key_Return);
    // Nothing is set to press Compare a moment later.
    EXPECT_FALSE(platform::isPerformPending(doc.data(), QString()));
    EXPECT_FALSE(doc->ui().mCompareButton->isDown());
    EXPECT_EQ(opened.size(), 0);
    EXPECT_FALSE(doc->isClosing());

    doc->SetRightText(b);
    ASSERT_FALSE(doc->isSuggestListShown());
    QTest::keyClick(right, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(opened.size(), 1, 20000);
}

// Each row: the regex switch, the include, exclude and sub-folder tokens, what the alert says
// and which field gets the focus (0 include, 1 exclude, 2 sub-folders).
struct FilterAlertRow
{
    const char *name;
    bool regex;
    QStringList include, exclude, subFolders;
    QString text;
    int focus;
};

class StartWindowFilterAlerts : public StartWindowTest,
                                public ::testing::WithParamInterface<FilterAlertRow>
{
};

TEST_P(StartWindowFilterAlerts, FirstFaultIsShownFocusedAndNothingOpens)
{
    const FilterAlertRow &row = GetParam();
    const QString d1 = folder(QStringLiteral("l")), d2 = folder(QStringLiteral("r"));
    MergeDocument *doc = openWindow();
    QSignalSpy opened(doc, &MergeDocument::compareWindowOpened);
    doc->ui().searchString_regex->setChecked(row.regex);
    const auto all = doc->tokenFields();
    const int base = row.regex ? 3 : 0;
    all[base]->setObjectValue(row.include);
    all[base + 1]->setObjectValue(row.exclude);
    all[base + 2]->setObjectValue(row.subFolders);
    doc->SetLeftText(d1);
    doc->SetRightText(d2);
    doc->ButtonCompare();
    EXPECT_EQ(opened.size(), 0);
    ASSERT_EQ(mAlerts.size(), 1);
    EXPECT_EQ(mAlerts[0].title, QStringLiteral("Error"));
    EXPECT_TRUE(mAlerts[0].text.startsWith(row.text)) << mAlerts[0].text.toStdString();
    QWidget *focused = doc->window()->focusWidget();
    ASSERT_TRUE(focused);
    EXPECT_TRUE(focused == all[base + row.focus] || all[base + row.focus]->isAncestorOf(focused));
    EXPECT_FALSE(doc->isClosing());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StartWindowFilterAlerts,
    ::testing::Values(
        FilterAlertRow{"RefusedInclude",
                       false,
                       {QStringLiteral("none")},
                       {},
                       {},
                       QStringLiteral("[Include (e.g.: *.c)] should not contains [none]"),
                       0},
        FilterAlertRow{"RefusedExclude",
                       false,
                       {},
                       {QStringLiteral("*.*")},
                       {},
                       QStringLiteral("[Exclude (e.g.: *.h)] should not contains [*.*]"),
                       1},
        FilterAlertRow{"RefusedSubFolder",
                       false,
                       {},
                       {},
                       {QStringLiteral("*")},
                       QStringLiteral("The field [Exclude (e.g.: *.h)] is invalid.\nExclude "
                                      "filter should not contain following string:\n\n   *"),
                       2},
        FilterAlertRow{"SharedTokens",
                       false,
                       {QStringLiteral(".txt"), QStringLiteral(".c")},
                       {QStringLiteral(".TXT")},
                       {},
                       QStringLiteral("[Include (e.g.: *.c)] and [Exclude (e.g.: *.h)] should "
                                      "not contain identical string items:\n\n  + .txt"),
                       0},
        FilterAlertRow{"MatchAllSubFolder",
                       false,
                       {},
                       {},
                       {QStringLiteral("*.*")},
                       QStringLiteral("The field [Exclude (e.g.: *.h)] is invalid.\nExclude "
                                      "filter should not contain \n[*] or [*.*] or [.*] or [.*] "
                                      "or [(.*?)]\n strings!"),
                       2},
        FilterAlertRow{"RegexRefusedExclude",
                       true,
                       {},
                       {QStringLiteral("(.*?)")},
                       {},
                       QStringLiteral("[Exclude (regex)] should not contains [(.*?)]"),
                       1},
        FilterAlertRow{"BrokenRegexInclude",
                       true,
                       {QStringLiteral("a(b")},
                       {},
                       {},
                       QStringLiteral("[Include (regex)] holds an invalid regular expression "
                                      "[a(b]:\n"),
                       0},
        FilterAlertRow{"BrokenRegexSubFolder",
                       true,
                       {},
                       {},
                       {QStringLiteral("[z")},
                       QStringLiteral("[Exclude sub-folders] holds an invalid regular "
                                      "expression [[z]:\n"),
                       2}),
    [](const ::testing::TestParamInfo<FilterAlertRow> &info) { return info.param.name; });

TEST_F(StartWindowTest, GoForwardFollowsCompareAndGoBackIsNeverOffered)
{
    const QString a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt"));
    MergeDocument *doc = openWindow();
    QAction forward, back, other;
    forward.setProperty("pelkoRoutedCommand", QByteArray("Navigate_Forward"));
    back.setProperty("pelkoRoutedCommand", QByteArray("Navigate_Back"));
    other.setProperty("pelkoRoutedCommand", QByteArray("Menu_Preferences"));
    doc->SetLeftText(a);
    doc->validateMenuItem(&forward);
    doc->validateMenuItem(&back);
    doc->validateMenuItem(&other);
    EXPECT_FALSE(forward.isEnabled());
    EXPECT_FALSE(back.isEnabled());
    EXPECT_TRUE(other.isEnabled());
    doc->SetRightText(b);
    doc->validateMenuItem(&forward);
    EXPECT_TRUE(forward.isEnabled());
    // The menus reach the commands by name.
    QSignalSpy opened(doc, &MergeDocument::compareWindowOpened);
    EXPECT_TRUE(QMetaObject::invokeMethod(doc, "Navigate_Forward"));
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(StartWindowTest, SandboxedRunAsksForAPathItCannotRead)
{
    const QString b = file(QStringLiteral("b.txt")), c = file(QStringLiteral("c.txt"));
    const QString gone = mDir + QStringLiteral("/gone.txt");
    gAppHasSandbox = true;
    MergeDocument *doc = openWindow();
    QSignalSpy opened(doc, &MergeDocument::compareWindowOpened);
    doc->SetLeftText(gone);
    doc->SetRightText(b);
    doc->ButtonCompare(); // cancelled: nothing changes
    ASSERT_EQ(mOpenRequests.size(), 1);
    EXPECT_EQ(mOpenRequests[0].title,
              QStringLiteral("Left file: Select ") + gone + QStringLiteral("?"));
    EXPECT_EQ(mOpenRequests[0].prompt, QStringLiteral("Open"));
    EXPECT_EQ(doc->getFullPath1(), gone);
    mOpenAnswers << QStringList{c};
    doc->ButtonCompare();
    gAppHasSandbox = false;
    EXPECT_EQ(doc->getFullPath1(), c);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(qobject_cast<MergeEditWndCtr *>(opened[0][0].value<QObject *>())->mFile1Path(), c);
}

TEST_F(StartWindowTest, PatchOfTwoTextFilesKeepsTheStartWindowOpen)
{
    const QString a = file(QStringLiteral("a.txt"), "one\ntwo\n");
    const QString b = file(QStringLiteral("b.txt"), "one\nthree\n");
    MergeDocument *doc = openWindow();
    QSignalSpy opened(doc, &MergeDocument::compareWindowOpened);
    QSignalSpy finished(doc, &MergeDocument::patchFinished);
    doc->SetLeftText(a);
    doc->SetRightText(b);

    // Cancelled in the save panel: no failure, nothing written, the window stays.
    doc->Button_GeneratePatch();
    ASSERT_EQ(mSaveRequests.size(), 1);
    EXPECT_EQ(mSaveRequests[0].accessory, static_cast<QWidget *>(doc->exportGeneratePatchView()));
    ASSERT_EQ(finished.size(), 1);
    EXPECT_TRUE(finished[0][0].toBool());

    // Written: the patch holds the change, and the window still stays.
    mSaveAnswer = mDir + QStringLiteral("/out.patch");
    doc->Button_GeneratePatch();
    ASSERT_EQ(finished.size(), 2);
    EXPECT_TRUE(finished[1][0].toBool());
    EXPECT_TRUE(pelkotest::readFile(mSaveAnswer).contains("> three"));
    EXPECT_TRUE(mAlerts.isEmpty());
    EXPECT_EQ(opened.size(), 0);
    EXPECT_FALSE(doc->isClosing());
    // The empty exclude fields stay empty: no "none" chip that reads like a filter.
    const auto fields = doc->tokenFields();
    for (MyTokenTextList *exclude : {fields[1], fields[2], fields[4], fields[5]})
        EXPECT_TRUE(exclude->stringValue().isEmpty())
            << qPrintable(exclude->objectName() + QStringLiteral(": ") + exclude->stringValue());

    // The right file goes while the panel is open: "Invalid file." and the old patch stays.
    const QByteArray before = pelkotest::readFile(mSaveAnswer);
    platform::setSavePanelHook([this, b](const platform::SavePanelRequest &) {
        QFile::remove(b);
        return mSaveAnswer;
    });
    doc->Button_GeneratePatch();
    ASSERT_EQ(finished.size(), 3);
    EXPECT_FALSE(finished[2][0].toBool());
    ASSERT_EQ(mAlerts.size(), 1);
    EXPECT_EQ(mAlerts[0].text, QStringLiteral("Invalid file."));
    EXPECT_EQ(pelkotest::readFile(mSaveAnswer), before);
    EXPECT_FALSE(doc->isClosing());
}

TEST_F(StartWindowTest, AfterAPatchTheWindowsTakeMouseClicksAgain)
{
    const QString a = file(QStringLiteral("a.txt"), "one\ntwo\n");
    const QString b = file(QStringLiteral("b.txt"), "one\nthree\n");
    QPushButton before(QStringLiteral("A window open before"));
    before.show();
    int clicks = 0;
    QObject::connect(&before, &QPushButton::clicked, [&] { ++clicks; });
    MergeDocument *doc = openWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(doc->window()));
    doc->SetLeftText(a);
    doc->SetRightText(b);
    mSaveAnswer = mDir + QStringLiteral("/out.patch");
    QSignalSpy finished(doc, &MergeDocument::patchFinished);
    doc->Button_GeneratePatch();
    ASSERT_EQ(finished.size(), 1);
    ASSERT_TRUE(finished[0][0].toBool());

    // Real clicks: through the window system, where a modal window would hold them back.
    const auto click = [](QWidget *widget) {
        QWidget *window = widget->window();
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                          widget->mapTo(window, widget->rect().center()));
    };
    click(doc->ui().mSwapLeftRight);
    EXPECT_EQ(doc->getFullPath1(), b);
    EXPECT_EQ(doc->getFullPath2(), a);
    click(&before);
    EXPECT_EQ(clicks, 1);
}

TEST_F(StartWindowTest, NewTextCompareOpensAnUntitledTextWindowBesideTheStartWindow)
{
    MergeDocument *doc = openWindow();
    const auto textWindows = [] {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            n += (w->isVisible() && w->objectName() == QStringLiteral("MergeEditWndCtr")) ? 1 : 0;
        return n;
    };
    const int before = textWindows();
    doc->ui().mNewBlankEdit->click();
    EXPECT_EQ(textWindows(), before + 1);
    EXPECT_FALSE(doc->isClosing());
}

TEST_F(StartWindowTest, SharedMenuItemsReachTheActiveStartWindow)
{
    const QString a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt"));
    MergeDocument *doc = openWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(doc->window()));
    QMenu menu;
    QAction *forward = addRoutedAction(&menu, QStringLiteral("Go Forward"), "Navigate_Forward");
    QAction *back = addRoutedAction(&menu, QStringLiteral("Go Back"), "Navigate_Back");
    EXPECT_EQ(targetForCommand("Navigate_Forward"), doc);
    doc->SetLeftText(a);
    validateRoutedItems(&menu);
    EXPECT_FALSE(forward->isEnabled());
    EXPECT_FALSE(back->isEnabled());
    doc->SetRightText(b);
    validateRoutedItems(&menu);
    EXPECT_TRUE(forward->isEnabled());
    EXPECT_FALSE(back->isEnabled());
    QSignalSpy opened(doc, &MergeDocument::compareWindowOpened);
    EXPECT_TRUE(routeAction(forward));
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(StartWindowTest, FoldersNamedWithoutUtf8AreComparedByTheirOwnBytes)
{
    // Two folders whose names hold Latin-1 bytes, given as the command line gives them.
    const QByteArray base = QFile::encodeName(mDir);
    const QByteArray leftBytes = base + "/L\xe9", rightBytes = base + "/R\xe9";
    for (const QByteArray &side : {leftBytes, rightBytes}) {
        ASSERT_EQ(::mkdir(side.constData(), 0700), 0);
        const int fd = ::open((side + "/a.txt").constData(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    const LaunchRequest request =
        ParseCommandLine({QStringLiteral("pelkomerge"), LocalPath_FromBytes(leftBytes),
                          LocalPath_FromBytes(rightBytes)},
                         mDir);
    ASSERT_EQ(request.paths.size(), 2);
    EXPECT_EQ(LocalPath_ToBytes(request.paths[0]), leftBytes);
    MergeDocument *doc = openWindow();
    QSignalSpy opened(doc, &MergeDocument::compareWindowOpened);
    doc->SetLeftText(request.paths[0]);
    doc->SetRightText(request.paths[1]);
    EXPECT_TRUE(doc->ui().mCompareButton->isEnabled());
    doc->ButtonCompare();
    ASSERT_EQ(opened.size(), 1);
    auto *folders = qobject_cast<MergeFileListWndCtr *>(opened[0][0].value<QObject *>());
    ASSERT_TRUE(folders);
    QSignalSpy finished(folders, &MergeFileListWndCtr::compareFinished);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(mAlerts.isEmpty()) << qPrintable(mAlerts.isEmpty() ? QString() : mAlerts[0].text);
    ASSERT_EQ(folders->model()->items().size(), 1u);
    EXPECT_EQ(folders->model()->items()[0].compareResult, COMP_RESULT_SAME);
    for (const QByteArray &side : {leftBytes, rightBytes}) { // Qt cannot name these bytes
        ::unlink((side + "/a.txt").constData());
        ::rmdir(side.constData());
    }
}

TEST_F(StartWindowTest, NewStartWindowsStepDownFromTheLastOneInsideTheScreen)
{
    MergeDocument *first = openWindow();
    MergeDocument *second = openWindow();
    MergeDocument *third = openWindow();
    QWidget *w1 = first->window(), *w2 = second->window(), *w3 = third->window();
    const QRect area = w1->screen()->availableGeometry();
    EXPECT_NE(w2->frameGeometry().topLeft(), w1->frameGeometry().topLeft());
    EXPECT_EQ(w2->frameGeometry().topLeft(),
              platform::WindowController::cascadedPosition(w1->frameGeometry().topLeft(),
                                                           w2->frameGeometry().size(), area));
    EXPECT_EQ(w3->frameGeometry().topLeft(),
              platform::WindowController::cascadedPosition(w2->frameGeometry().topLeft(),
                                                           w3->frameGeometry().size(), area));
    for (QWidget *w : {w1, w2, w3})
        EXPECT_TRUE(area.contains(w->frameGeometry().topLeft()));
}
