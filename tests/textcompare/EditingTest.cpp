// Editing in the text window as a user does it: keys, the shared undo history, the edited marks,
// saving the pane being edited, reloading, and texts that the panes must keep exactly.
#include "TextCompareFixture.h"

#include "platform/UserDefaults.h"
#include "ui_MergeEditWndCtr.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTextBlock>

namespace {

const QByteArray kLeft = "alpha\nbeta\ngamma\ndelta\nepsilon\nzeta\n";
const QByteArray kRight = "alpha\nBETA\ngamma\ndelta\nnew line\nepsilon\n";

// Shows the window for real, so that its shortcuts and focus work as on a desktop.
bool activate(MergeEditWndCtr &w)
{
    w.window()->show();
    w.window()->activateWindow();
    return QTest::qWaitForWindowActive(w.window());
}

void typeInto(MyEditTextView *view, const QString &text)
{
    view->setFocus();
    QTest::keyClicks(view, text);
}

} // namespace

TEST_F(TextCompareTest, UndoAndRedoFollowTheEditsAcrossBothPanes)
{
    auto w = open(write("a.txt", kLeft), write("b.txt", kRight));
    ASSERT_TRUE(activate(*w));
    MyEditTextView *left = w->textView(1);
    MyEditTextView *right = w->textView(2);

    // Take the left side into the right pane while typing in the left one.
    left->setFocus();
    QTest::keyClick(left, Qt::Key_Right, Qt::AltModifier);
    settle(*w);
    ASSERT_EQ(w->GetTextInView2(),
              QStringLiteral("alpha\nbeta\ngamma\ndelta\nnew line\nepsilon\n"));
    ASSERT_TRUE(w->mTextWasEdited(2));
    typeInto(left, QStringLiteral("XYZ"));
    ASSERT_TRUE(w->GetTextInView1().startsWith(u'X'));

    // Ctrl+Z in the left pane undoes the newest step first, then the block in the other pane.
    QTest::keyClick(left, Qt::Key_Z, Qt::ControlModifier);
    settle(*w);
    EXPECT_EQ(w->GetTextInView1(), QString::fromUtf8(kLeft));
    EXPECT_FALSE(w->mTextWasEdited(1));
    QTest::keyClick(left, Qt::Key_Z, Qt::ControlModifier);
    settle(*w);
    EXPECT_EQ(w->GetTextInView2(), QString::fromUtf8(kRight));
    // Back to what was read: nothing to save, and the block taken back is shown selected.
    EXPECT_FALSE(w->WasEdit());
    EXPECT_FALSE(w->isDocumentEdited());
    EXPECT_EQ(w->mergeBlocks().size(), 3u);
    EXPECT_EQ(w->currentBlock(), 0);
    EXPECT_FALSE(w->canUndo());

    // Redo from the menu, with the focus nowhere in a pane.
    w->ui().mButton_Compare->setFocus();
    ASSERT_TRUE(w->ui().actionRedo->isEnabled());
    w->ui().actionRedo->trigger();
    settle(*w);
    EXPECT_TRUE(w->GetTextInView2().contains(QStringLiteral("\nbeta\n")));
    EXPECT_EQ(w->mergeBlocks().size(), 2u);
    QTest::keyClick(right, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    settle(*w);
    EXPECT_TRUE(w->GetTextInView1().startsWith(u'X'));
    EXPECT_TRUE(w->WasEdit());

    // A new edit ends the redo history.
    w->Menu_Undo();
    settle(*w);
    typeInto(right, QStringLiteral("Y"));
    EXPECT_FALSE(w->canRedo());
    EXPECT_FALSE(w->Menu_Redo());
    settle(*w);

    // Reading the files again empties the history.
    answers = {1000};
    ASSERT_TRUE(w->Menu_Reload());
    settle(*w);
    EXPECT_FALSE(w->canUndo());
    EXPECT_EQ(w->GetTextInView2(), QString::fromUtf8(kRight));
    EXPECT_FALSE(w->WasEdit());
}

TEST_F(TextCompareTest, KeyboardStepsThroughTheBlocksAndTheMenusCarryShortcuts)
{
    auto w = open(write("a.txt", kLeft), write("b.txt", kRight));
    ASSERT_TRUE(activate(*w));
    MyEditTextView *left = w->textView(1);
    left->setFocus();
    ASSERT_EQ(w->currentBlock(), 0);
    QTest::keyClick(left, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(w->currentBlock(), 1);
    EXPECT_EQ(w->ui().mResultLabel->text(), QStringLiteral("Difference 2 of 3"));
    QTest::keyClick(left, Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(left, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(w->currentBlock(), 2);
    QTest::keyClick(left, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(w->currentBlock(), 1);
    // Right to left for the current block, from the keyboard.
    QTest::keyClick(left, Qt::Key_Left, Qt::AltModifier);
    settle(*w);
    EXPECT_EQ(w->GetTextInView1(),
              QStringLiteral("alpha\nbeta\ngamma\ndelta\nnew line\nepsilon\nzeta\n"));

    // Every command of the menus is reachable and the everyday ones carry their keys.
    QStringList titles;
    for (QAction *menu : w->ui().mMenuBar->actions())
        titles << menu->text();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"),
                                   QStringLiteral("&Merge"), QStringLiteral("&Text"),
                                   QStringLiteral("&View")}));
    const std::pair<QAction *, QKeySequence> keys[] = {
        {w->ui().actionSave, QKeySequence(QKeySequence::Save)},
        {w->ui().actionUndo, QKeySequence(QKeySequence::Undo)},
        {w->ui().actionRedo, QKeySequence(QKeySequence::Redo)},
        {w->ui().actionClose, QKeySequence(QStringLiteral("Ctrl+W"))},
        {w->ui().actionNext, QKeySequence(QStringLiteral("Alt+Down"))},
        {w->ui().actionCopyAllToRight, QKeySequence(QStringLiteral("Alt+Shift+Right"))},
    };
    for (const auto &[action, key] : keys)
        EXPECT_EQ(action->shortcut(), key) << action->text().toStdString();
}

TEST_F(TextCompareTest, IgnoreOptionsFromTheMenuAndTheBoxesStayInStep)
{
    auto w = open(write("a.txt", "a b\nsame\n"), write("b.txt", "a  b\nsame\n"));
    ASSERT_EQ(w->mergeBlocks().size(), 1u);
    w->ui().actionIgnoreSpaceChange->trigger();
    settle(*w);
    EXPECT_TRUE(w->ui().mCheck_IgnoreSpaceChange->isChecked());
    EXPECT_TRUE(w->mergeBlocks().empty());
    EXPECT_EQ(w->ui().mResultLabel->text(), QStringLiteral("No difference"));
    w->ui().mCheck_IgnoreSpaceChange->click();
    settle(*w);
    EXPECT_FALSE(w->ui().actionIgnoreSpaceChange->isChecked());
    EXPECT_EQ(w->mergeBlocks().size(), 1u);
    // The options are kept for the next window.
    w->ui().mCheck_IgnoreAllSpace->click();
    auto next = open(write("c.txt", "x y\n"), write("d.txt", "xy\n"));
    EXPECT_TRUE(next->compareOptions().ignoreAllSpace);
    EXPECT_TRUE(next->ui().actionIgnoreAllSpace->isChecked());
    EXPECT_TRUE(next->mergeBlocks().empty());
    next->setCompareOptions({});
    settle(*next);
}

TEST_F(TextCompareTest, SaveWritesThePaneBeingEdited)
{
    const QString leftPath = write("a.txt", kLeft), rightPath = write("b.txt", kRight);
    auto w = open(leftPath, rightPath);
    ASSERT_TRUE(activate(*w));
    // Nothing edited: Save writes nothing.
    EXPECT_FALSE(w->ui().actionSave->isEnabled());
    EXPECT_FALSE(w->Menu_Save());

    // A block taken into the right pane while the focus stays in the left one.
    w->textView(1)->setFocus();
    ASSERT_TRUE(w->Merge_CopyBlock(1, 0));
    settle(*w);
    QTest::keyClick(w->textView(1), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(pelkotest::readFile(rightPath), "alpha\nbeta\ngamma\ndelta\nnew line\nepsilon\n");
    EXPECT_EQ(pelkotest::readFile(leftPath), kLeft);
    EXPECT_FALSE(w->WasEdit());

    // Both edited: the focused pane is saved, the other stays edited.
    typeInto(w->textView(1), QStringLiteral("L"));
    typeInto(w->textView(2), QStringLiteral("R"));
    QTest::keyClick(w->textView(2), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(pelkotest::readFile(rightPath).startsWith("Ralpha"));
    EXPECT_EQ(pelkotest::readFile(leftPath), kLeft);
    EXPECT_TRUE(w->mTextWasEdited(1));
    EXPECT_FALSE(w->mTextWasEdited(2));
    // Undo after saving edits the saved text again.
    w->textView(2)->setFocus();
    QTest::keyClick(w->textView(2), Qt::Key_Z, Qt::ControlModifier);
    settle(*w);
    EXPECT_TRUE(w->mTextWasEdited(2));
}

TEST_F(TextCompareTest, PanesKeepNonBreakingSpacesAndLineSeparators)
{
    // U+00A0 and U+2028 are ordinary characters of a line: the blocks, a merge and a save must
    // keep them and keep every line where it is.
    const QByteArray left = "a\xC2\xA0"
                            "b\nc\xE2\x80\xA8"
                            "d\nx\ny\nend\n";
    const QByteArray right = "a\xC2\xA0"
                             "b\nc\xE2\x80\xA8"
                             "d\nx\nY\nend\n";
    const QString leftPath = write("a.txt", left), rightPath = write("b.txt", right);
    auto w = open(leftPath, rightPath);
    ASSERT_EQ(w->mergeBlocks(), (MergeBlockList{makeBlock(3, 1, 3, 1)}));
    ASSERT_TRUE(w->Merge_CopyBlock(2, 0));
    settle(*w);
    EXPECT_TRUE(w->mergeBlocks().empty());
    EXPECT_EQ(w->GetTextInView1(), QString::fromUtf8(right));
    ASSERT_TRUE(w->SaveSide(1));
    EXPECT_EQ(pelkotest::readFile(leftPath), right);
}

TEST_F(TextCompareTest, TextPutIntoAPaneIsWhatIsCompared)
{
    const QString leftPath = write("a.txt", "one\ntwo\n");
    auto w = open(leftPath, write("b.txt", "one\ntwo\n"));
    ASSERT_TRUE(w->mergeBlocks().empty());
    // The right pane now shows a text of its own, with Windows line ends.
    w->setCompareTextToView2(QStringLiteral("one\r\nTWO\r\n"));
    settle(*w);
    w->RefreshCompare();
    settle(*w);
    EXPECT_EQ(w->GetTextInView2(), QStringLiteral("one\nTWO\n"));
    EXPECT_EQ(w->mergeBlocks(), (MergeBlockList{makeBlock(1, 1, 1, 1)}));

    // An untitled side keeps its text when the files are read again in another encoding.
    auto u = std::make_unique<MergeEditWndCtr>();
    u->setMFile1(leftPath);
    u->showWindow();
    u->setCompareTextToView2(QStringLiteral("kept\n"));
    settle(*u);
    QAction *utf8 = nullptr;
    for (QAction *a : u->ui().mMenuReloadWithEncoding->actions())
        if (a->text().contains(QStringLiteral("UTF-8")))
            utf8 = a;
    ASSERT_NE(utf8, nullptr);
    u->Menu_ReloadWithEncoding(utf8);
    settle(*u);
    EXPECT_EQ(u->GetTextInView2(), QStringLiteral("kept\n"));
    EXPECT_EQ(u->GetTextInView1(), QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(u->mergeBlocks().size(), 1u);
}

TEST_F(TextCompareTest, DividerPositionIsKeptForTheNextWindow)
{
    auto &defaults = platform::UserDefaults::standard();
    defaults.setDouble(0.3, QStringLiteral("saveSplitViewPos"));
    auto share = [](MergeEditWndCtr &w) {
        const QList<int> sizes = w.ui().mSplitView->sizes();
        return double(sizes[0]) / (sizes[0] + sizes[2]);
    };
    auto w = open(write("a.txt", kLeft), write("b.txt", kRight));
    w->window()->resize(1000, 600);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_NEAR(share(*w), 0.3, 0.03);
    const QList<int> sizes = w->ui().mSplitView->sizes();
    const int panes = sizes[0] + sizes[2];
    w->ui().mSplitView->setSizes({panes * 7 / 10, sizes[1], panes - panes * 7 / 10});
    w->close();
    EXPECT_NEAR(defaults.doubleForKey(QStringLiteral("saveSplitViewPos")), 0.7, 0.01);
    auto next = open(write("c.txt", kLeft), write("d.txt", kRight));
    next->window()->resize(1000, 600);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_NEAR(share(*next), 0.7, 0.03);
    defaults.removeObjectForKey(QStringLiteral("saveSplitViewPos"));
}

TEST_F(TextCompareTest, SavingThroughASymbolicLinkWritesItsTarget)
{
    const QString target = write("target.txt", kLeft);
    const QString link = dir + QStringLiteral("/link.txt");
    ASSERT_TRUE(QFile::link(target, link));
    auto w = open(link, write("b.txt", kRight));
    ASSERT_TRUE(w->Merge_CopyBlock(2, 0));
    settle(*w);
    ASSERT_TRUE(w->SaveSide(1));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(pelkotest::readFile(target), "alpha\nBETA\ngamma\ndelta\nepsilon\nzeta\n");
    // The saved file is not taken for a change made by another application.
    w->windowWillBeKey();
    settle(*w);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(TextCompareTest, ContextMenuUndoUsesTheSharedHistory)
{
    auto w = open(write("a.txt", kLeft), write("b.txt", kRight));
    ASSERT_TRUE(activate(*w));
    ASSERT_TRUE(w->Merge_CopyBlock(1, 0));
    settle(*w);
    MyEditTextView *left = w->textView(1);
    bool undoEnabled = false;
    QTimer::singleShot(50, [&] {
        QWidget *popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        for (QAction *a : popup->actions()) {
            if (a->objectName() == QLatin1String("edit-undo")) {
                undoEnabled = a->isEnabled();
                a->trigger();
            }
        }
        popup->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                            left->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(left->viewport(), &event);
    // The left pane's own history is empty; its menu undoes the block taken into the right.
    EXPECT_TRUE(undoEnabled);
    EXPECT_EQ(w->GetTextInView2(), QString::fromUtf8(kRight));
    EXPECT_EQ(w->GetTextInView1(), QString::fromUtf8(kLeft));
}

// Return starts the new line with the white space its line starts with while the preference
// asks for it, as one step that one undo takes back; with it off, a line break is only that.
TEST_F(TextCompareTest, ReturnIndentsTheNewLineAsItsLineWhileThePreferenceSaysSo)
{
    struct Row
    {
        const char *name;
        bool autoIndent;
        int column; // where Return is pressed in "\t  if (x) {"
        QString expected;
    } rows[] = {
        {"at the end", true, -1, QStringLiteral("\t  if (x) {\n\t  y\n")},
        {"inside the indent", true, 1, QStringLiteral("\t\n\ty  if (x) {\n")},
        {"at the start", true, 0, QStringLiteral("\ny\t  if (x) {\n")},
        {"preference off", false, -1, QStringLiteral("\t  if (x) {\ny\n")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        gAppSetting.bAutoIndent = row.autoIndent;
        auto w = open(write("a.txt", "\t  if (x) {\n"), write("b.txt", "other\n"));
        MyEditTextView *pane = w->textView(1);
        QTextCursor at(pane->document());
        at.setPosition(row.column < 0 ? int(QStringLiteral("\t  if (x) {").size()) : row.column);
        pane->setTextCursor(at);
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_Return);
        QTest::keyClicks(pane, QStringLiteral("y"));
        EXPECT_EQ(w->GetTextInView1().toStdString(), row.expected.toStdString());
        // Undo takes the break back with its indent, never one without the other.
        const QString original = QStringLiteral("\t  if (x) {\n");
        ASSERT_TRUE(w->Menu_Undo());
        if (w->GetTextInView1() != original) {
            EXPECT_EQ(w->GetTextInView1(), QString(row.expected).remove(u'y'));
            ASSERT_TRUE(w->Menu_Undo());
        }
        settle(*w);
        EXPECT_EQ(w->GetTextInView1(), original);
        w->setDocumentEdited(false);
    }
}
