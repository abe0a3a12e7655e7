// The start window's folder-compare options: the filter fields' first entries, the regex twins,
// the compare mode group, the line-end option and the encoding.
#include "StartWindowFixture.h"

#include "compare/FileListCompareInfo.h"
#include "controls/MyTokenTextList.h"
#include "shell/StartWindowFilters.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QMenu>
#include <QRegularExpression>

using pelkotest::StartWindowTest;

TEST_F(StartWindowTest, FirstStartOffersDefaultsAndReadyMadeEntries)
{
    MergeDocument *doc = openWindow();
    const auto fields = doc->tokenFields();
    const QStringList firstShown = {QStringLiteral("*"),  QString(), QString(),
                                    QStringLiteral(".*"), QString(), QString()};
    const QStringList firstEntry = {QStringLiteral("*"),    QStringLiteral("none"),
                                    QStringLiteral("none"), QStringLiteral(".*"),
                                    QStringLiteral("none"), QStringLiteral("none")};
    const auto &table = StartWindowFilterFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        MyTokenTextList *f = fields[i];
        EXPECT_EQ(f->historyKey(), table[i].historyKey);
        EXPECT_EQ(f->stringValue(), firstShown[int(i)]) << i;
        ASSERT_EQ(f->arrayOfItem.size(), 10) << i;
        EXPECT_EQ(f->arrayOfItem[0], firstEntry[int(i)]) << i;
        EXPECT_EQ(f->MIDDLE_STR(), QStringLiteral(";"));
        EXPECT_EQ(f->prohibitedStrings, table[i].refused);
    }
    EXPECT_EQ(fields[0]->arrayOfItem[4],
              QStringLiteral(".txt;.html;.xml;.htm;.plist;.js;.jsx;.css;.php;.asp;.json;.svg"));
    EXPECT_EQ(fields[2]->arrayOfItem[1], QStringLiteral(".git"));
    EXPECT_EQ(fields[5]->arrayOfItem[1], QStringLiteral("\\.git"));
    EXPECT_EQ(fields[3]->arrayOfItem[6], QStringLiteral(".*\\.(txt|htm|html|xml|plist|css|js)"));
    EXPECT_EQ(fields[1]->tokenizingCharacterSet(), QStringLiteral(";,:\\/\n\r"));
    EXPECT_EQ(fields[4]->tokenizingCharacterSet(), QStringLiteral("\n\r"));

    // The history menu lists the default first and then the nine entries.
    fields[0]->Click_mDropDownButton();
    ASSERT_TRUE(fields[0]->historyMenu());
    int items = 0;
    for (QAction *a : fields[0]->historyMenu()->actions())
        items += a->isSeparator() ? 0 : 1;
    EXPECT_GE(items, 10);
    EXPECT_EQ(fields[0]->historyMenu()->actions().first()->text(), QStringLiteral("*"));
}

TEST(StartWindowFiltersTest, ReadyMadeExpressionsMatchTheFilesTheyName)
{
    // The C++ extensions hold "+", which must match itself.
    const QString listA = StartWindowReadyMadeEntries(StartWindowFilterKind::RegexExtensionList)[1];
    EXPECT_EQ(listA, QStringLiteral(".*\\.(txt|m|mm|h|hh|hxx|hpp|h\\+\\+|c|cl|cc|cxx|c\\+\\+|cp|cs|"
                                    "cpp|pch|swift)"));
    FilterList tokens = FilterListFromStrings({listA});
    EXPECT_TRUE(FixFilterArray_AddNSPredicate_IfNeed(tokens, true).isEmpty());
    for (const char *name : {"a.h++", "b.c++", "x.swift", "y.TXT"})
        EXPECT_TRUE(FilterList_Matches(tokens, QString::fromLatin1(name), true)) << name;
    for (const char *name : {"a.hhh", "b.cc+", "notes.md"})
        EXPECT_FALSE(FilterList_Matches(tokens, QString::fromLatin1(name), true)) << name;

    for (auto kind :
         {StartWindowFilterKind::RegexExtensionList, StartWindowFilterKind::RegexFolderNames}) {
        for (const QString &entry : StartWindowReadyMadeEntries(kind))
            EXPECT_TRUE(QRegularExpression(entry).isValid()) << entry.toStdString();
    }
    // Plain lists carry no blanks.
    for (const QString &entry : StartWindowReadyMadeEntries(StartWindowFilterKind::ExtensionList))
        EXPECT_FALSE(entry.contains(QLatin1Char(' '))) << entry.toStdString();
}

TEST_F(StartWindowTest, RegexSwitchShowsTheTwinsInTheSameCellsWithRegexLabels)
{
    MergeDocument *doc = openWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(doc->window()));
    Ui::MergeDocument &ui = doc->ui();
    const auto fields = doc->tokenFields();
    auto *grid = qobject_cast<QGridLayout *>(ui.mOptionsBox->layout());
    ASSERT_TRUE(grid);
    for (int i = 0; i < 3; ++i) {
        int r1, c1, rs1, cs1, r2, c2, rs2, cs2;
        grid->getItemPosition(grid->indexOf(fields[i]), &r1, &c1, &rs1, &cs1);
        grid->getItemPosition(grid->indexOf(fields[i + 3]), &r2, &c2, &rs2, &cs2);
        EXPECT_EQ(QPoint(r1, c1), QPoint(r2, c2)) << i;
        EXPECT_FALSE(fields[i]->isHidden());
        EXPECT_TRUE(fields[i + 3]->isHidden());
        EXPECT_TRUE(fields[i + 3]->mDropDownButton()->isHidden());
    }
    EXPECT_EQ(ui.mTxt_Filter->text(), QStringLiteral("Include (e.g.: *.c)"));
    EXPECT_TRUE(ui.searchString_regex_matchWholeString->isHidden());

    ui.searchString_regex->click();
    QTest::qWait(10);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(fields[i]->isHidden());
        EXPECT_TRUE(fields[i]->mDropDownButton()->isHidden());
        EXPECT_FALSE(fields[i + 3]->isHidden());
        EXPECT_EQ(fields[i + 3]->geometry(), fields[i]->geometry());
    }
    EXPECT_EQ(ui.mTxt_Filter->text(), QStringLiteral("Include (regex)"));
    EXPECT_EQ(ui.mTxt_ExcludeFilter->text(), QStringLiteral("Exclude (regex)"));
    EXPECT_TRUE(ui.searchString_regex_matchWholeString->isHidden());
}

TEST_F(StartWindowTest, ModeButtonsAreOneGroupAndFullContentShowsTheLineEndOption)
{
    gAppSetting.folder_compare_Mode = 7; // out of range: shown as full content
    MergeDocument *doc = openWindow();
    Ui::MergeDocument &ui = doc->ui();
    EXPECT_TRUE(ui.compare_quickCompare_full->isChecked());
    auto *group = doc->window()->findChild<QButtonGroup *>(QStringLiteral("compareModeGroup"));
    ASSERT_TRUE(group);
    EXPECT_TRUE(group->exclusive());
    EXPECT_EQ(group->buttons().size(), 4);

    ui.folder_compare_ignore_EndLineDiff->setChecked(false);
    EXPECT_FALSE(ui.folder_compare_ignore_EndLineDiff->isHidden());
    EXPECT_TRUE(ui.folder_compare_ignore_EndLineDiff_Warning_Title->isHidden());
    ui.folder_compare_ignore_EndLineDiff->setChecked(true);
    EXPECT_FALSE(ui.folder_compare_ignore_EndLineDiff_Warning_Title->isHidden());

    ui.compare_quickCompare_date->click();
    EXPECT_FALSE(ui.compare_quickCompare_full->isChecked());
    EXPECT_FALSE(ui.compare_quickCompare_size->isChecked());
    EXPECT_FALSE(ui.compare_quickCompare_size_date->isChecked());
    EXPECT_TRUE(ui.folder_compare_ignore_EndLineDiff->isHidden());
    EXPECT_TRUE(ui.folder_compare_ignore_EndLineDiff_Warning_Title->isHidden());
}

TEST_F(StartWindowTest, EncodingPopupIsTheSettingForOpeningTexts)
{
    gAppSetting.open_preferEncode = 4;
    MergeDocument *doc = openWindow();
    QComboBox *popup = doc->ui().popUp_PreferEncoding;
    EXPECT_EQ(popup->currentData().toLongLong(), 4);
    const int automatic = popup->findData(QVariant(qint64(0)));
    ASSERT_GE(automatic, 0);
    popup->setCurrentIndex(automatic);
    EXPECT_EQ(qint64(gAppSetting.open_preferEncode), 0u);
}
