// The token field and its history: typing, keys, paste, stored histories, the history menu and
// the filter lists read from fields.
#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "controls/MyTokenTextList.h"
#include "controls/TokenField.h"
#include "controls/TokenFilterLists.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace {

QStringList valueOf(const TokenField &field)
{
    return field.objectValue().toStringList();
}

struct FieldWindow
{
    QWidget window;
    MyTokenTextList *field = new MyTokenTextList(&window);
    QPushButton *dropDown = new QPushButton(QStringLiteral("v"), &window);
    QLineEdit *next = new QLineEdit(&window);
    FieldWindow()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(field);
        layout->addWidget(dropDown);
        layout->addWidget(next);
        field->setDropDownButton(dropDown);
        window.resize(300, 120);
        window.show();
        QApplication::setActiveWindow(&window);
        field->setFocus();
        QCoreApplication::processEvents();
    }
};

QString uniqueKey(const char *name)
{
    static int counter = 0;
    return QStringLiteral("%1.historyKey_%2").arg(QLatin1String(name)).arg(++counter);
}

} // namespace

TEST(TokenField, TypingMakesTokensAtTheSetReturnAndLeaving)
{
    FieldWindow w;
    QLineEdit *editor = w.field->editor();
    QTest::keyClicks(editor, QStringLiteral(" abc ,def"));
    EXPECT_EQ(w.field->tokens(), QStringList{QStringLiteral("abc")});
    // The value read while typing includes the pending text.
    EXPECT_EQ(valueOf(*w.field), (QStringList{"abc", "def"}));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(w.field->tokens(), (QStringList{"abc", "def"}));
    EXPECT_TRUE(editor->text().isEmpty());

    QTest::keyClicks(editor, QStringLiteral("ghi"));
    w.next->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.field->tokens(), (QStringList{"abc", "def", "ghi"}));

    // Another tokenizing set; empty pieces are dropped.
    w.field->setObjectValue(QStringList());
    w.field->setTokenizingCharacterSet(QStringLiteral(";"));
    w.field->setFocus();
    QTest::keyClicks(editor, QStringLiteral("a;;b,c;"));
    EXPECT_EQ(w.field->tokens(), (QStringList{"a", "b,c"}));
}

TEST(TokenField, BackspaceDeleteArrowsAndClicks)
{
    FieldWindow w;
    QLineEdit *editor = w.field->editor();
    w.field->setObjectValue(QStringList{"one", "two", "three"});
    w.field->setFocus();
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(w.field->tokens(), (QStringList{"one", "two"}));

    // Left selects the token before the caret; Delete removes a selected token.
    QTest::keyClick(editor, Qt::Key_Left);
    EXPECT_EQ(w.field->selectedToken(), 1);
    QTest::keyClick(editor, Qt::Key_Left);
    EXPECT_EQ(w.field->selectedToken(), 0);
    QTest::keyClick(editor, Qt::Key_Delete);
    EXPECT_EQ(w.field->tokens(), QStringList{"two"});

    // A click selects a token, Backspace removes it; a double-click edits one.
    w.field->setObjectValue(QStringList{"alpha", "beta"});
    QTest::mouseClick(w.field, Qt::LeftButton, Qt::NoModifier, w.field->tokenRect(0).center());
    EXPECT_EQ(w.field->selectedToken(), 0);
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(w.field->tokens(), QStringList{"beta"});
    QTest::mouseDClick(w.field, Qt::LeftButton, Qt::NoModifier, w.field->tokenRect(0).center());
    EXPECT_TRUE(w.field->tokens().isEmpty());
    EXPECT_EQ(editor->text(), QStringLiteral("beta"));
    QTest::keyClicks(editor, QStringLiteral("gamma"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(w.field->tokens(), QStringList{"gamma"});
}

TEST(TokenField, PasteSplitsAtTheSetAndLineBreaks)
{
    FieldWindow w;
    QApplication::clipboard()->setText(QStringLiteral(" .txt, .h\n.c\r\n\n.md"));
    QTest::keyClick(w.field->editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(valueOf(*w.field), (QStringList{".txt", ".h", ".c", ".md"}));

    // 500 pasted tokens in one go.
    QStringList many;
    for (int i = 0; i < 500; ++i)
        many << QStringLiteral("token%1").arg(i);
    QApplication::clipboard()->setText(many.join(QLatin1Char(',')));
    w.field->setObjectValue(QStringList());
    QTest::keyClick(w.field->editor(), Qt::Key_V, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.field->tokens().size(), 500);
    // The caret stays in view at the end.
    EXPECT_LE(w.field->editor()->geometry().left(), w.field->width());
}

TEST(TokenField, GrowingFieldShowsItsFirstTokensAgain)
{
    FieldWindow w;
    w.field->setObjectValue(QStringList{QStringLiteral(".cpp"), QStringLiteral(".h"),
                                        QStringLiteral("build"), QStringLiteral("tests")});
    w.window.resize(90, 120);
    QCoreApplication::processEvents();
    ASSERT_LT(w.field->tokenRect(0).left(), w.field->contentsRect().left())
        << "a narrow field scrolls to its caret";
    w.window.resize(420, 120);
    QCoreApplication::processEvents();
    EXPECT_GE(w.field->tokenRect(0).left(), w.field->contentsRect().left());
    EXPECT_LE(w.field->tokenRect(3).right(), w.field->contentsRect().right());
}

TEST(MyTokenTextList, HistoryLoadsAtMost101AndSavesNewestFirst)
{
    FieldWindow w;
    const QString key = uniqueKey("mTokenFilter_Include");
    QStringList stored;
    for (int i = 0; i < 150; ++i)
        stored << QStringLiteral(".e%1").arg(i);
    stored.insert(3, stored.at(1)); // a duplicate is loaded once
    auto &defaults = platform::UserDefaults::standard();
    defaults.setString(stored.join(MyTokenTextList::kHistorySeparator), key);
    w.field->setHistoryKey(key);
    w.field->LoadOldData_BaseOn_historyKey();
    EXPECT_EQ(w.field->arrayOfItem.size(), 101);
    EXPECT_EQ(w.field->tokens(), QStringList{".e0"});
    EXPECT_TRUE(w.dropDown->isEnabled());

    w.field->setObjectValue(QStringList{".new"});
    w.field->SaveCurrentData_BaseOn_historyKey();
    const QStringList saved = defaults.stringForKey(key).split(MyTokenTextList::kHistorySeparator);
    EXPECT_EQ(saved.size(), 102);
    EXPECT_EQ(saved.first(), QStringLiteral(".new"));

    // A value of another type under the key is no history.
    defaults.setInteger(7, key);
    w.field->LoadOldData_BaseOn_historyKey();
    EXPECT_TRUE(w.field->arrayOfItem.isEmpty());
    EXPECT_FALSE(w.dropDown->isEnabled());
}

TEST(MyTokenTextList, EntriesAreTrimmedLowerCasedAndMovedToTheFront)
{
    FieldWindow w;
    w.field->setHistoryKey(uniqueKey("mTokenFilter_Exclude"));
    w.field->setMIDDLE_STR(QStringLiteral(" ; "));
    w.field->setObjectValue(QStringList{".TXT", "  .h "});
    w.field->SaveCurrentData_BaseOn_historyKey();
    w.field->setObjectValue(QStringList{"other"});
    w.field->SaveCurrentTo_arrayOfItem();
    w.field->setObjectValue(QStringList{".txt", ".H"});
    w.field->SaveCurrentTo_arrayOfItem();
    EXPECT_EQ(w.field->arrayOfItem, (QStringList{".txt ; .h", "other"}));

    // Showing an entry splits it into tokens; out of range empties the field.
    w.field->ShowItemAtIndex(0);
    EXPECT_EQ(w.field->tokens(), (QStringList{".txt", ".h"}));
    for (qint64 bad : {qint64(-1), qint64(2)}) {
        w.field->ShowItemAtIndex(0);
        w.field->ShowItemAtIndex(bad);
        EXPECT_TRUE(w.field->tokens().isEmpty()) << bad;
    }
}

TEST(MyTokenTextList, RegexFieldsKeepTheirLetterCase)
{
    FieldWindow w;
    w.field->setKeepCase(true);
    w.field->setObjectValue(QStringList{"\\S+Build", " (.*?) "});
    w.field->SaveCurrentTo_arrayOfItem();
    EXPECT_EQ(w.field->arrayOfItem, QStringList{"\\S+Build\n(.*?)"});

    bool none = true, all = false;
    EXPECT_EQ(GenExtensionListFrom_NSTokenField(w.field, true, true, &none, &all),
              (QStringList{"\\S+Build", "(.*?)"}));
    EXPECT_FALSE(none);
    EXPECT_TRUE(all);
}

TEST(MyTokenTextList, ProhibitedTokensKeepAnEntryOut)
{
    pelkotest::LogCapture log;
    FieldWindow w;
    w.field->prohibitedStrings = {QStringLiteral(" build ")};
    w.field->setObjectValue(QStringList{"Build", ".c"});
    EXPECT_EQ(w.field->isContaining_ProhibitedStrings(), QStringLiteral("build"));
    w.field->SaveCurrentTo_arrayOfItem();
    EXPECT_TRUE(w.field->arrayOfItem.isEmpty());
    EXPECT_TRUE(log.logged(QStringLiteral("can note save to history: build")));
    w.field->setObjectValue(QStringList{".c"});
    EXPECT_TRUE(w.field->isContaining_ProhibitedStrings().isNull());
}

TEST(MyTokenTextList, HistoryMenuListsNewestFirstAndFillsTheField)
{
    FieldWindow w;
    w.field->arrayOfItem = {QStringLiteral(".c\n.h"), QStringLiteral(".txt")};
    std::unique_ptr<QMenu> menu(w.field->makeHistoryMenu(nullptr));
    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions.at(0)->text(), QStringLiteral(".c ; .h"));
    EXPECT_EQ(actions.at(1)->text(), QStringLiteral(".txt"));
    EXPECT_TRUE(actions.at(2)->isSeparator());

    int posted = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("NSControlTextDidChangeNotification"), w.field,
        [&](const platform::Notification &) { ++posted; });
    actions.at(0)->trigger();
    EXPECT_EQ(w.field->tokens(), (QStringList{".c", ".h"}));
    EXPECT_EQ(posted, 1);

    // The drop-down button opens it just under itself.
    w.field->UpdateButtonStatus();
    QTest::mouseClick(w.dropDown, Qt::LeftButton);
    QMenu *open = w.field->historyMenu();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->pos(), w.dropDown->mapToGlobal(QPoint(0, w.dropDown->height())));
    open->close();

    // While closing the buttons do nothing.
    w.field->setMIsClosing(true);
    w.field->Click_mContenteResetButton();
    EXPECT_EQ(w.field->tokens(), (QStringList{".c", ".h"}));
}

TEST(MyTokenTextList, ResetButtonShowsForContentAndClears)
{
    FieldWindow w;
    QToolButton *reset = w.field->mContenteResetButton();
    EXPECT_TRUE(reset->isHidden());
    w.field->setObjectValue(QStringList{"x"});
    EXPECT_FALSE(reset->isHidden());
    EXPECT_TRUE(w.field->rect().contains(reset->geometry()));
    int posted = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("NSControlTextDidChangeNotification"), w.field,
        [&](const platform::Notification &) { ++posted; });
    QTest::mouseClick(reset, Qt::LeftButton);
    EXPECT_TRUE(w.field->tokens().isEmpty());
    EXPECT_TRUE(reset->isHidden());
    EXPECT_EQ(posted, 1);

    // Hiding the field hides its drop-down button.
    w.field->setObjectValue(QStringList{"y"});
    w.field->setHidden(true);
    EXPECT_TRUE(w.dropDown->isHidden());
    EXPECT_TRUE(reset->isHidden());
}

TEST(TokenFilterLists, PatternsAndSpecialTokens)
{
    TokenField field;
    struct Row
    {
        QStringList tokens;
        bool split;
        QStringList expected;
        bool none, all;
    } rows[] = {
        {{".txt,.h\t.c"}, true, {".txt", ".h", ".c"}, false, false},
        {{".txt,.h"}, false, {".txt,.h"}, false, false},
        {{"*.*", ".C"}, true, {"*.*", ".c"}, false, true},
        {{"NONE"}, true, {"none"}, true, false},
        {{"  "}, true, {}, false, false},
    };
    for (const Row &row : rows) {
        field.setObjectValue(row.tokens);
        bool none = true, all = true;
        EXPECT_EQ(GenExtensionListFrom_NSTokenField(&field, row.split, false, &none, &all),
                  row.expected)
            << row.tokens.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(none, row.none);
        EXPECT_EQ(all, row.all);
    }
    EXPECT_TRUE(
        GenExtensionListFrom_NSTokenField(nullptr, true, false, nullptr, nullptr).isEmpty());
}

TEST(TokenFilterLists, TokensInBothFields)
{
    TokenField a, b;
    a.setObjectValue(QStringList{".txt", ".h"});
    b.setObjectValue(QStringList{".TXT"});
    EXPECT_EQ(Get_Same_String_In_Two_NSTokenField(&a, &b, QStringLiteral("\n  + ")),
              QStringLiteral("\n  + .txt"));
    EXPECT_EQ(Get_Same_String_In_Two_NSTokenField(&a, &b, QString()), QStringLiteral("\n.txt"));
    b.setObjectValue(QStringList{".md"});
    EXPECT_TRUE(Get_Same_String_In_Two_NSTokenField(&a, &b, QString()).isNull());
    pelkotest::LogCapture log;
    EXPECT_TRUE(Get_Same_String_In_Two_NSTokenField(&a, nullptr, QString()).isNull());
    EXPECT_TRUE(log.hasFatalReport());
}
