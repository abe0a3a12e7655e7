// The window's compare runs in the background: the window reacts while it runs, and only the
// result of the newest compare is shown.
#include "TextCompareFixture.h"

#include "services/SupportFolder.h"
#include "ui_MergeEditWndCtr.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QThreadPool>

namespace {

QStringList jobFolders()
{
    return QDir(GetProcessTempFolder())
        .entryList({QStringLiteral("compare-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}

// Enough lines that diff is still running when the test looks.
QByteArray manyLines(int changedEvery)
{
    QByteArray out;
    for (int i = 0; i < 200000; ++i)
        out += (changedEvery && i % changedEvery == 0 ? "changed " : "line ") +
               QByteArray::number(i) + '\n';
    return out;
}

} // namespace

TEST_F(TextCompareTest, OnlyTheNewestOfTwoComparesIsShown)
{
    auto w = open(write("a.txt", "one\ntwo\n"), write("b.txt", "one\nTWO\n"));
    ASSERT_EQ(w->mergeBlocks().size(), 1u);
    QSignalSpy applied(w.get(), &MergeEditWndCtr::compareApplied);
    w->RefreshCompare();
    EXPECT_TRUE(w->isComparing());
    EXPECT_EQ(w->ui().mResultLabel->text(), QStringLiteral("Comparing…"));
    EXPECT_FALSE(w->ui().mButton_Next->isEnabled());
    EXPECT_FALSE(w->ui().mButton_CopyAllToLeft->isEnabled());
    // A second compare before the first is done: the texts have changed meanwhile.
    w->setCompareTextToView2(QStringLiteral("zero\none\nTWO\nthree\n"));
    w->RefreshCompare();
    settle(*w);
    // Every worker is done and what it sent has arrived: the first compare's blocks never come.
    QThreadPool::globalInstance()->waitForDone();
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_EQ(applied.count(), 1);
    EXPECT_EQ(w->mergeBlocks(), (MergeBlockList{makeBlock(0, 0, 0, 1), makeBlock(1, 1, 2, 2)}));
    EXPECT_TRUE(w->ui().mButton_CopyAllToLeft->isEnabled());
    EXPECT_NE(w->ui().mResultLabel->text(), QStringLiteral("Comparing…"));
}

TEST_F(TextCompareTest, TypingDuringACompareKeepsEveryKeyAndTheUndoHistory)
{
    const QByteArray left = manyLines(0);
    auto w = open(write("a.txt", left), write("b.txt", manyLines(997)));
    const size_t blocksBefore = w->mergeBlocks().size();
    ASSERT_GT(blocksBefore, 100u);
    MyEditTextView *view = w->textView(1);
    view->setFocus();
    view->moveCursor(QTextCursor::Start);
    w->RefreshCompare();
    ASSERT_TRUE(w->isComparing());
    QTest::keyClicks(view, QStringLiteral("typed"));
    // An edit cancels the compare of the old text; its blocks are never applied.
    EXPECT_FALSE(w->isComparing());
    EXPECT_TRUE(w->blocksOutOfDate());
    EXPECT_FALSE(w->Merge_CopyBlock(1, 0)) << "blocks of the old text are not taken";
    settle(*w);
    EXPECT_TRUE(view->plainText().startsWith(QStringLiteral("typedline 0\n")));
    // The compare after the edit comes, with the typed line as a block.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->blocksOutOfDate() && !w->isComparing(); }, 20000));
    EXPECT_EQ(w->mergeBlocks().front(), makeBlock(0, 1, 0, 1));
    // Every key is one undo step away, in order.
    for (int i = 0; i < 5 && w->canUndo(); ++i)
        w->Menu_Undo();
    settle(*w);
    EXPECT_TRUE(view->plainText().startsWith(QStringLiteral("line 0\n")));
}

TEST_F(TextCompareTest, ClosingDuringACompareLeavesNoWorkerAndNoFile)
{
    auto w = open(write("a.txt", manyLines(0)), write("b.txt", manyLines(501)));
    w->setCompareTextToView1(QString::fromLatin1(manyLines(3)));
    w->RefreshCompare();
    ASSERT_TRUE(w->isComparing());
    w->window()->close();
    EXPECT_FALSE(w->isComparing());
    w.reset();
    QThreadPool::globalInstance()->waitForDone();
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_TRUE(jobFolders().isEmpty()) << jobFolders().join(u' ').toStdString();
    EXPECT_EQ(QThreadPool::globalInstance()->activeThreadCount(), 0);
}
