// Path entry of the start window: suggestions while typing and their keys, the history menus,
// the open panels, Swap, drops on the window and on a path field, and the mouse-forwarding view.
#include "StartWindowFixture.h"

#include "controls/DropWindow.h"
#include "platform/Dispatch.h"
#include "support/TestEnvironment.h"
#include "shell/MyTextField.h"
#include "shell/MyView.h"
#include "support/LogCapture.h"
#include "support/OddNames.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QHideEvent>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

using pelkotest::StartWindowTest;

namespace {

// Types text into the field as a user does (each key edits the text).
void typeInto(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->clear();
    QTest::keyClicks(field, text);
}

QMimeData *urlData(const QStringList &paths)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    return data;
}

QStringList menuTexts(const QMenu *menu)
{
    QStringList texts;
    for (QAction *a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("--") : a->text());
    return texts;
}

} // namespace

class StartWindowSuggestions : public StartWindowTest
{
protected:
    void SetUp() override
    {
        StartWindowTest::SetUp();
        mBase = folder(QStringLiteral("home"));
        for (const char *name : {"Documents", "Downloads", "mydocs", "Music", ".DS_STORE"})
            QDir().mkpath(mBase + QLatin1Char('/') + QString::fromLatin1(name));
        file(QStringLiteral("home/undock.txt"));
        mDoc = openWindow();
        // Activation moves the focus: let it settle before typing.
        ASSERT_TRUE(QTest::qWaitForWindowActive(mDoc->window()));
        QTest::qWait(20);
    }
    QListWidget *list() const { return mDoc->ui().mSuggestTableView; }
    QString mBase;
    MergeDocument *mDoc = nullptr;
};

TEST_F(StartWindowSuggestions, PrefixMatchesComeFirstThenNamesThatContainTheText)
{
    typeInto(mDoc->ui().mLeftPathTxt, mBase + QStringLiteral("/Doc"));
    ASSERT_TRUE(mDoc->isSuggestListShown()) << mDoc->ui().mLeftPathTxt->text().toStdString();
    const QStringList shown = mDoc->suggestFileList();
    ASSERT_EQ(shown.size(), 3) << shown.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(shown[0], mBase + QStringLiteral("/Documents"));
    EXPECT_EQ(
        QSet<QString>(shown.begin() + 1, shown.end()),
        (QSet<QString>{mBase + QStringLiteral("/mydocs"), mBase + QStringLiteral("/undock.txt")}));
    EXPECT_EQ(list()->count(), 3);
    EXPECT_EQ(list()->currentRow(), -1);
    // The list lies right under the field it belongs to.
    QLineEdit *field = mDoc->ui().mLeftPathTxt;
    EXPECT_EQ(list()->geometry().topLeft(),
              field->mapTo(mDoc->ui().mainView, QPoint(0, field->height())));
    EXPECT_EQ(mDoc->mCurrentEditText(), field);
}

TEST_F(StartWindowSuggestions, AFolderIsListedOnlyOnceItsSlashIsTyped)
{
    typeInto(mDoc->ui().mRightPathTxt, mBase);
    EXPECT_FALSE(mDoc->isSuggestListShown());
    QTest::keyClick(mDoc->ui().mRightPathTxt, Qt::Key_Slash);
    ASSERT_TRUE(mDoc->isSuggestListShown());
    EXPECT_EQ(mDoc->suggestFileList().size(), 5); // .DS_STORE is never offered
}

TEST_F(StartWindowSuggestions, ArrowsPagesReturnAndEscape)
{
    MyTextField *field = mDoc->ui().mLeftPathTxt;
    typeInto(field, mBase + QLatin1Char('/'));
    ASSERT_EQ(mDoc->suggestFileList().size(), 5);
    struct Step
    {
        Qt::Key key;
        int row;
    };
    // Down with no row selects the first; up with no row the last; pages stop at the ends.
    const Step steps[] = {{Qt::Key_Down, 0},     {Qt::Key_Down, 1},   {Qt::Key_PageDown, 4},
                          {Qt::Key_PageDown, 4}, {Qt::Key_PageUp, 0}, {Qt::Key_Up, 0}};
    for (const Step &s : steps) {
        QTest::keyClick(field, s.key);
        EXPECT_EQ(list()->currentRow(), s.row) << s.key;
    }
    list()->setCurrentRow(-1);
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(list()->currentRow(), 4);

    // Escape hides the list, leaves the text and keeps the window open.
    const QString typed = field->text();
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(mDoc->isSuggestListShown());
    EXPECT_EQ(field->text(), typed);
    EXPECT_FALSE(mDoc->isClosing());

    // Return takes the selected row.
    QTest::keyClick(field, Qt::Key_M);
    ASSERT_TRUE(mDoc->isSuggestListShown());
    QTest::keyClick(field, Qt::Key_Down);
    const QString chosen = mDoc->suggestFileList().at(0);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), chosen);
    EXPECT_FALSE(mDoc->isSuggestListShown());
}

TEST_F(StartWindowSuggestions, EscapeClosesThePopUpNotTheWindow)
{
    // Escape with the encoding pop-up open closes the pop-up; the window stays for the keys
    // after it.
    QComboBox *encoding = mDoc->ui().popUp_PreferEncoding;
    encoding->showPopup();
    QWidget *popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(mDoc->isClosing());
    EXPECT_TRUE(mDoc->window()->isVisible());
}

TEST_F(StartWindowSuggestions, TheEscapeThatClosedAPopUpDoesNotCloseTheWindow)
{
    // Some window systems close the pop-up first and give the window's shortcut the same
    // Escape next, in the same turn of the event loop: that Escape was the pop-up's.
    mDoc->ui().mLeftPathTxt->setFocus();
    QWidget closingPopup(nullptr, Qt::Popup);
    QHideEvent hidden;
    QCoreApplication::sendEvent(&closingPopup, &hidden);
    QTest::keyClick(mDoc->ui().mLeftPathTxt, Qt::Key_Escape);
    EXPECT_FALSE(mDoc->isClosing());
    // A later Escape, with nothing open, closes the window.
    QCoreApplication::processEvents();
    QTest::keyClick(mDoc->ui().mLeftPathTxt, Qt::Key_Escape);
    EXPECT_TRUE(mDoc->isClosing());
}

TEST_F(StartWindowSuggestions, EscapeClosesOnlyWhatIsOpen)
{
    MyTextField *field = mDoc->ui().mLeftPathTxt;
    // The list hid itself (the typed text matches nothing any more): the Escape the user meant
    // for it closes nothing.
    typeInto(field, mBase + QLatin1Char('/'));
    ASSERT_TRUE(mDoc->isSuggestListShown());
    QTest::keyClicks(field, QStringLiteral("zzz"));
    ASSERT_FALSE(mDoc->isSuggestListShown());
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(mDoc->isClosing());
    // The same after the list hid itself when editing ended.
    typeInto(field, mBase + QLatin1Char('/'));
    ASSERT_TRUE(mDoc->isSuggestListShown());
    emit field->editingFinished();
    QTRY_VERIFY_WITH_TIMEOUT(!mDoc->isSuggestListShown(), 20000);
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(mDoc->isClosing());

    // With the list shown while another control has the focus, Escape hides the list.
    typeInto(field, mBase + QLatin1Char('/'));
    ASSERT_TRUE(mDoc->isSuggestListShown());
    mDoc->ui().searchString_regex->setFocus();
    QTest::keyClick(mDoc->ui().searchString_regex, Qt::Key_Escape);
    EXPECT_FALSE(mDoc->isClosing());
    EXPECT_FALSE(mDoc->isSuggestListShown());

    // Nothing open: Escape closes the window.
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(mDoc->isClosing());
}

TEST_F(StartWindowSuggestions, ReturnWithoutARowOnlyHidesAndAClickTakesTheRow)
{
    MyTextField *field = mDoc->ui().mRightPathTxt;
    typeInto(field, mBase + QStringLiteral("/D"));
    const QString typed = field->text();
    ASSERT_TRUE(mDoc->isSuggestListShown());
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), typed);
    EXPECT_FALSE(mDoc->isSuggestListShown());

    QTest::keyClick(field, Qt::Key_O);
    ASSERT_TRUE(mDoc->isSuggestListShown());
    const QString second = mDoc->suggestFileList().at(1);
    const QRect rowRect = list()->visualItemRect(list()->item(1));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowRect.center());
    EXPECT_EQ(field->text(), second);
    EXPECT_FALSE(mDoc->isSuggestListShown());
}

TEST_F(StartWindowSuggestions, ListHidesShortlyAfterEditingEndsOrOnAClick)
{
    typeInto(mDoc->ui().mLeftPathTxt, mBase + QLatin1Char('/'));
    ASSERT_TRUE(mDoc->isSuggestListShown());
    emit mDoc->ui().mLeftPathTxt->editingFinished();
    EXPECT_TRUE(mDoc->isSuggestListShown());
    QTRY_VERIFY_WITH_TIMEOUT(!mDoc->isSuggestListShown(), 20000);

    typeInto(mDoc->ui().mLeftPathTxt, mBase + QLatin1Char('/'));
    ASSERT_TRUE(mDoc->isSuggestListShown());
    QTest::mouseClick(mDoc->ui().mainView, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(mDoc->isSuggestListShown());
}

TEST_F(StartWindowTest, HistoryMenuListsNewestFirstAndPutsTheChoiceInItsField)
{
    const QString a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt"));
    // A name that would add lines or a shortcut column is listed on one line, and chosen as it is.
    const QString odd = LocalPath_FromBytes("/p/" + pelkotest::kOddName);
    *gAppSetting_compare_leftHistoryPaths = {b, a, odd};
    MergeDocument *doc = openWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(doc->window()));
    doc->ui().mLeftSelectButton->click();
    QMenu *menu = doc->historyMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menuTexts(menu),
              (QStringList{b, a, QStringLiteral("/p/") + pelkotest::kOddNameShown,
                           QStringLiteral("--"), QStringLiteral("Clear History")}));
    menu->actions().at(2)->trigger();
    EXPECT_EQ(doc->getFullPath1(), odd);
    doc->ui().mLeftSelectButton->click();
    menu = doc->historyMenu();
    ASSERT_TRUE(menu);
    // It opens under its button.
    QAbstractButton *button = doc->ui().mLeftSelectButton;
    EXPECT_NEAR(menu->pos().y(), button->mapToGlobal(QPoint(0, button->height())).y(), 2);
    menu->actions().at(1)->trigger();
    EXPECT_EQ(doc->getFullPath1(), a);
    EXPECT_EQ(doc->window()->focusWidget(), doc->ui().mLeftPathTxt);
}

TEST_F(StartWindowTest, ClearHistoryHasItsOwnMarkerSoNoEntryEmptiesIt)
{
    QStringList many;
    for (int i = 0; i < 10001; ++i)
        many << QStringLiteral("/p/%1").arg(i);
    *gAppSetting_compare_rightHistoryPaths = many;
    MergeDocument *doc = openWindow();
    doc->RightSelect();
    QMenu *menu = doc->historyMenu();
    ASSERT_TRUE(menu);
    // Entry 10,000 is an entry like any other.
    QAction *entry = nullptr;
    for (QAction *a : menu->actions())
        if (a->data().toInt() == 10000 && a->text() == QStringLiteral("/p/10000"))
            entry = a;
    ASSERT_TRUE(entry);
    entry->trigger();
    EXPECT_EQ(doc->getFullPath2(), QStringLiteral("/p/10000"));
    EXPECT_EQ(gAppSetting_compare_rightHistoryPaths->size(), 10001);

    doc->RightSelect();
    QAction *clear = doc->historyMenu()->actions().constLast();
    EXPECT_EQ(clear->data().toInt(), MergeDocument::kClearHistoryMarker);
    clear->trigger();
    EXPECT_TRUE(gAppSetting_compare_rightHistoryPaths->isEmpty());
    EXPECT_FALSE(doc->ui().mRightSelectButton->isEnabled());
}

TEST_F(StartWindowTest, UpArrowAtTheStartOpensTheHistoryShortlyAfter)
{
    *gAppSetting_compare_leftHistoryPaths = {file(QStringLiteral("a.txt"))};
    MergeDocument *doc = openWindow();
    MyTextField *field = doc->ui().mLeftPathTxt;
    field->setCursorPosition(3);
    EXPECT_FALSE(doc->doCommandBySelector(field, QStringLiteral("moveUp:")));
    // Nothing is set to open it a moment later.
    EXPECT_FALSE(platform::isPerformPending(doc, QString()));
    EXPECT_FALSE(doc->historyMenu());
    field->setCursorPosition(0);
    EXPECT_FALSE(doc->doCommandBySelector(field, QStringLiteral("moveUp:")));
    EXPECT_FALSE(doc->historyMenu());
    QTRY_VERIFY_WITH_TIMEOUT(doc->historyMenu(), 20000);
}

TEST_F(StartWindowTest, OpenPanelStartsBesideTheFieldAndFillsIt)
{
    const QString a = file(QStringLiteral("sub/a.txt")), b = file(QStringLiteral("b.txt"));
    MergeDocument *doc = openWindow();
    doc->SetLeftText(a);
    mOpenAnswers << QStringList{b};
    doc->ui().mBtn_1->click();
    ASSERT_EQ(mOpenRequests.size(), 1);
    EXPECT_EQ(mOpenRequests[0].directory, mDir + QStringLiteral("/sub"));
    EXPECT_EQ(mOpenRequests[0].title, QStringLiteral("Select Left"));
    EXPECT_TRUE(mOpenRequests[0].allowFiles && mOpenRequests[0].allowFolders);
    EXPECT_FALSE(mOpenRequests[0].allowMulti);
    EXPECT_EQ(doc->getFullPath1(), b);
    // Cancelled: the field stays.
    doc->ui().mBtn_2->click();
    EXPECT_EQ(mOpenRequests.size(), 2);
    EXPECT_TRUE(doc->getFullPath2().isEmpty());
}

TEST_F(StartWindowTest, SwapExchangesTheTrimmedTexts)
{
    MergeDocument *doc = openWindow();
    doc->SetLeftText(QStringLiteral(" /x/left "));
    doc->SetRightText(QString());
    doc->ui().mSwapLeftRight->click();
    EXPECT_EQ(doc->getFullPath1(), QString());
    EXPECT_EQ(doc->getFullPath2(), QStringLiteral("/x/left"));
}

TEST_F(StartWindowTest, DropsFillTheFieldsByTheHalfUnderThePointer)
{
    const QString a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt"));
    const QString c = file(QStringLiteral("c.txt"));
    const QString gone = mDir + QStringLiteral("/gone.txt");
    MergeDocument *doc = openWindow();
    const double w = doc->window()->width();
    const QPointF leftHalf(w / 4, 50), rightHalf(w * 3 / 4, 50);
    struct Row
    {
        QStringList paths;
        QPointF at;
        bool taken;
        QString left, right;
    };
    const Row rows[] = {
        {{a}, rightHalf, true, QStringLiteral("L"), a},
        {{a, b}, leftHalf, true, a, b},
        {{a, b, c}, rightHalf, true, b, a},
        {{gone}, leftHalf, false, QStringLiteral("L"), QStringLiteral("R")},
        {{gone, a}, leftHalf, true, a, QStringLiteral("R")},
    };
    for (const Row &row : rows) {
        doc->SetLeftText(QStringLiteral("L"));
        doc->SetRightText(QStringLiteral("R"));
        DraggingInfo info{row.paths, Qt::CopyAction | Qt::LinkAction, row.at};
        EXPECT_EQ(doc->performDragOperation_Finish(info).value_or(true), row.taken);
        EXPECT_EQ(doc->getFullPath1(), row.left) << row.paths.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(doc->getFullPath2(), row.right) << row.paths.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_EQ(doc->mousePositionIsOnSideIndex(leftHalf), 1);
    EXPECT_EQ(doc->mousePositionIsOnSideIndex(rightHalf), 2);
    doc->setMIsClosing(true);
    EXPECT_EQ(doc->mousePositionIsOnSideIndex(leftHalf), -1);
    EXPECT_FALSE(doc->get_AllowDrop(DraggingInfo{{a}, Qt::CopyAction, leftHalf}).value_or(true));
    EXPECT_FALSE(doc->performDragOperation_Finish(DraggingInfo{{a}, Qt::CopyAction, leftHalf})
                     .value_or(true));
}

TEST_F(StartWindowTest, DragOverTheWindowShowsTwoHalvesInPlaceOfTheStartArea)
{
    const QString a = file(QStringLiteral("a.txt"));
    MergeDocument *doc = openWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(doc->window()));
    Ui::MergeDocument &ui = doc->ui();
    const QRect area = ui.mView_BeforeDropFile->geometry();
    const int optionsTop = ui.mOptionsBox->geometry().top();
    const DraggingInfo info{{a}, Qt::CopyAction, QPointF(10, 10)};
    doc->draggingEntered(info);
    EXPECT_TRUE(ui.mView_BeforeDropFile->isHidden());
    EXPECT_FALSE(ui.mView_WhenDropFile1->isHidden());
    EXPECT_EQ(ui.mView_WhenDropFile1->geometry().left(), area.left());
    EXPECT_EQ(ui.mView_WhenDropFile1->width(), area.width() / 2);
    EXPECT_EQ(ui.mView_WhenDropFile2->geometry().right(), area.right());
    // The rest of the window keeps its place while the start area is hidden.
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_EQ(ui.mOptionsBox->geometry().top(), optionsTop);
    doc->draggingExited(info);
    EXPECT_FALSE(ui.mView_BeforeDropFile->isHidden());
    EXPECT_TRUE(ui.mView_WhenDropFile1->isHidden() && ui.mView_WhenDropFile2->isHidden());
}

TEST_F(StartWindowTest, RealDropOnTheWindowGoesThroughItsDropHandling)
{
    const QString a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt"));
    MergeDocument *doc = openWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(doc->window()));
    QWidget *target = doc->ui().mOptionsBox;
    const QPoint at(target->width() - 5, 5); // right half of the window
    std::unique_ptr<QMimeData> data(urlData({a, b}));
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    EXPECT_EQ(doc->getFullPath1(), b);
    EXPECT_EQ(doc->getFullPath2(), a);
}

TEST(MyTextFieldTest, DragBlanksTheFieldAndBringsTheTextBackUnlessAPathIsDropped)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("field"));
    const QString a = dir + QStringLiteral("/a.txt"), b = dir + QStringLiteral("/b.txt");
    pelkotest::writeFile(a, "a");
    pelkotest::writeFile(b, "b");
    MyTextField field;
    field.setText(QStringLiteral("/old/path"));
    std::unique_ptr<QMimeData> files(urlData({a, b, dir}));

    // Entering and leaving: blank while over it, the old text afterwards.
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction | Qt::LinkAction, files.get(),
                          Qt::LeftButton, {});
    QApplication::sendEvent(&field, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::LinkAction);
    EXPECT_TRUE(field.text().isEmpty());
    QDragLeaveEvent leave;
    QApplication::sendEvent(&field, &leave);
    EXPECT_EQ(field.text(), QStringLiteral("/old/path"));

    // Copy only: answered with copy; the drop puts the first path only.
    EXPECT_EQ(field.draggingEntered(files.get(), Qt::CopyAction), Qt::CopyAction);
    EXPECT_TRUE(field.performDragOperation(files.get()));
    field.draggingEnded();
    EXPECT_EQ(field.text(), a);

    // A colour is taken and ignored: the text comes back.
    QMimeData colour;
    colour.setColorData(QColor(Qt::red));
    EXPECT_EQ(field.draggingEntered(&colour, Qt::CopyAction), Qt::CopyAction);
    EXPECT_TRUE(field.text().isEmpty());
    EXPECT_TRUE(field.performDragOperation(&colour));
    field.draggingEnded();
    EXPECT_EQ(field.text(), a);

    // Nothing usable: refused, and the text is back at once.
    QMimeData plain;
    plain.setText(QStringLiteral("words"));
    QDragEnterEvent refused(QPoint(2, 2), Qt::CopyAction, &plain, Qt::LeftButton, {});
    QApplication::sendEvent(&field, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_EQ(field.text(), a);
}

namespace {

struct ReleaseOnlyDelegate : MyViewDelegate
{
    int releases = 0;
    void withView_mouseUp(MyView *, QMouseEvent *) override { ++releases; }
};

struct ClickCounter : QWidget
{
    int presses = 0, releases = 0;
    void mousePressEvent(QMouseEvent *) override { ++presses; }
    void mouseReleaseEvent(QMouseEvent *) override { ++releases; }
};

struct ThrowingDelegate : MyViewDelegate
{
    void withView_mouseDown(MyView *, QMouseEvent *) override { throw std::runtime_error("x"); }
};

} // namespace

TEST(MyViewTest, DelegateHearsWhatItAnswersAndTheBaseViewStillGetsEveryEvent)
{
    ClickCounter parent;
    parent.resize(60, 60);
    auto *view = new MyView(&parent);
    view->resize(40, 40);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    ReleaseOnlyDelegate delegate;
    view->setDelegate(&delegate);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(delegate.releases, 1);
    // The base view passes both events on to the parent.
    EXPECT_EQ(parent.presses, 1);
    EXPECT_EQ(parent.releases, 1);

    pelkotest::LogCapture capture;
    ThrowingDelegate thrower;
    view->setDelegate(&thrower);
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(parent.presses, 2);
    EXPECT_TRUE(capture.hasExceptionReport());
}
