// The window opens in steps: its frame and file names first, the files read on workers, each
// pane given a document built off the main thread.
#include "TextCompareFixture.h"

#include "services/SupportFolder.h"
#include "services/TextFile.h"
#include "services/WorkerFailure.h"
#include "textcompare/PaneLoader.h"
#include "ui_MergeEditWndCtr.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMoveEvent>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <new>

namespace {

std::atomic<int> gReads{0};

// A reader that takes its time, as a slow disk or a network folder would.
void installSlowReader(int ms)
{
    SetPaneReaderHook(
        [ms](const QString &path, TextFileInfo *info, platform::StringEncoding preferred) {
            QThread::msleep(ms);
            ++gReads;
            return App_ReadTextFileContent(path, info, preferred);
        });
}

// After a window closed while loading: once the workers are done (their late signals find no
// window, documents built for nobody are deleted on this thread), none runs and no compare folder
// is left.
void expectNoWorkerAndNoCompareFolder()
{
    QThreadPool::globalInstance()->waitForDone();
    PaneBuildPool()->waitForDone();
    EXPECT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_EQ(QThreadPool::globalInstance()->activeThreadCount(), 0);
    EXPECT_EQ(PaneBuildPool()->activeThreadCount(), 0);
    const QStringList left_over =
        QDir(GetProcessTempFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    EXPECT_TRUE(left_over.filter(QStringLiteral("compare-")).isEmpty())
        << left_over.join(u' ').toStdString();
}

class SteppedLoadTest : public TextCompareTest
{
protected:
    void TearDown() override
    {
        SetPaneReaderHook(nullptr);
        TextCompareTest::TearDown();
    }
};

} // namespace

TEST_F(SteppedLoadTest, FrameAndNamesShowBeforeTheFilesAreRead)
{
    const QString left = write("left.txt", "one\ntwo\nthree\n");
    const QString right = write("right.txt", "one\n2\nthree\nfour\n");
    // The reads wait at a gate that opens only after the frame has been checked; a window that
    // waited for its files would see them read (the gate gives way after a long wait) first.
    auto gate = std::make_shared<QSemaphore>(0);
    SetPaneReaderHook(
        [gate](const QString &path, TextFileInfo *info, platform::StringEncoding preferred) {
            gate->tryAcquire(1, 30000);
            ++gReads;
            return App_ReadTextFileContent(path, info, preferred);
        });
    gReads = 0;
    auto w = std::make_unique<MergeEditWndCtr>();
    w->setMFile1(left);
    w->setMFile2(right);
    w->showWindow();
    EXPECT_EQ(gReads.load(), 0) << "showWindow() waited for the files";
    EXPECT_TRUE(w->window()->isVisible());
    EXPECT_TRUE(w->isLoading());
    EXPECT_EQ(w->ui().mResultLabel->text(), QStringLiteral("Loading…"));
    EXPECT_EQ(w->ui().mFilePathLabel1->text(), left);
    EXPECT_EQ(w->ui().mFilePathLabel2->text(), right);
    EXPECT_TRUE(w->textView(1)->isReadOnly()) << "typing now would be lost to the load";
    EXPECT_FALSE(w->ui().mButton_Next->isEnabled());
    EXPECT_FALSE(w->Menu_Reload());

    gate->release(2);
    settle(*w);
    EXPECT_EQ(gReads.load(), 2);
    EXPECT_FALSE(w->textView(1)->isReadOnly());
    EXPECT_EQ(w->GetTextInView1(), QStringLiteral("one\ntwo\nthree\n"));
    EXPECT_EQ(w->mergeBlocks(), (MergeBlockList{makeBlock(1, 1, 1, 1), makeBlock(3, 0, 3, 1)}));
    // A loaded text is no edit: nothing to undo, nothing to save.
    EXPECT_FALSE(w->canUndo());
    EXPECT_FALSE(w->WasEdit());
    EXPECT_FALSE(w->textView(2)->document()->isUndoAvailable());
    // The adopted documents are the panes' own: editing them is seen by the window.
    QTextCursor(w->textView(2)->document()).insertText(QStringLiteral("zero\n"));
    EXPECT_TRUE(w->mTextWasEdited(2));
    EXPECT_TRUE(w->blocksOutOfDate());
    EXPECT_TRUE(w->canUndo());
}

TEST_F(SteppedLoadTest, AdoptedDocumentGetsTheGutterForItsLineCount)
{
    QByteArray many;
    for (int i = 0; i < 12345; ++i)
        many += "line\n";
    auto w = open(write("many.txt", many), write("few.txt", "line\n"));
    MyEditTextView *view = w->textView(1);
    EXPECT_EQ(view->lineCount(), 12346);
    EXPECT_EQ(view->viewport()->geometry().left() - view->contentsRect().left(),
              view->lineNumberAreaWidth(12346));
    EXPECT_GT(view->lineNumberAreaWidth(12346), view->lineNumberAreaWidth(5));
    EXPECT_EQ(view->document()->defaultFont().family(), view->font().family());
}

TEST_F(SteppedLoadTest, ClosingDuringALoadLeavesNoWorkerAndNoFile)
{
    const QString left = write("left.txt", "a\n");
    const QString right = write("right.txt", "b\n");
    installSlowReader(300);
    auto w = std::make_unique<MergeEditWndCtr>();
    w->setMFile1(left);
    w->setMFile2(right);
    w->showWindow();
    ASSERT_TRUE(w->isLoading());
    w->window()->close();
    w.reset();
    expectNoWorkerAndNoCompareFolder();
    EXPECT_TRUE(alerts.empty());
}

TEST(PaneLoader, BuiltDocumentHoldsThePaneTextAndLivesOnTheAskedThread)
{
    QString text = QStringLiteral("a\r\nb\rc\n");
    EXPECT_TRUE(ToPaneLineEnds(text));
    EXPECT_EQ(text, QStringLiteral("a\nb\nc\n"));
    QString plain = QStringLiteral("x\ny");
    EXPECT_FALSE(ToPaneLineEnds(plain));

    QThread *mainThread = QThread::currentThread();
    QTextDocument *doc = nullptr;
    QThread worker;
    QObject::connect(&worker, &QThread::started, [&] {
        doc = BuildPaneDocument(QStringLiteral("one\ntwo\n"), mainThread);
        worker.quit();
    });
    worker.start();
    ASSERT_TRUE(worker.wait(10000));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->thread(), mainThread);
    EXPECT_EQ(doc->blockCount(), 3);
    EXPECT_FALSE(doc->isUndoAvailable());
    EXPECT_FALSE(doc->isModified());
    MyEditTextView view;
    view.adoptDocument(doc);
    EXPECT_EQ(view.document(), doc);
    EXPECT_EQ(doc->parent(), &view);
    EXPECT_EQ(view.plainText(), QStringLiteral("one\ntwo\n"));
}

TEST(PaneLoader, HeadHoldsWholeLinesUpToAScreenAndCutsALongLineSafely)
{
    struct Row
    {
        const char *name;
        QString text;
        qsizetype expected;
    };
    QString manyLines;
    for (int i = 0; i < 1000; ++i)
        manyLines += QStringLiteral("line\n");
    QString longLine(200000, u'x');
    QString surrogateAtCut(65535, u'y');
    surrogateAtCut += QString::fromUcs4(U"\U0001F600") + QStringLiteral("tail");
    const Row rows[] = {
        {"empty", QString(), 0},
        {"short, no final newline", QStringLiteral("a\nb"), 3},
        {"a screen's worth of lines", manyLines, 400 * 5},
        {"one long line", longLine, 64 * 1024},
        {"a pair across the cut", surrogateAtCut, 65535},
        {"short lines, then a long one", QStringLiteral("a\n") + longLine, 64 * 1024},
    };
    for (const Row &row : rows)
        EXPECT_EQ(PaneHeadLength(row.text), row.expected) << row.name;
}

namespace {

// Holds the building of whole documents back until released. The workers may still be in the
// hook when the gate goes, so what they read is shared with them.
struct BuildGate
{
    struct State
    {
        std::atomic<bool> open{false};
        std::atomic<int> waiting{0};
    };
    std::shared_ptr<State> state = std::make_shared<State>();
    BuildGate()
    {
        SetPaneBuildHook([s = state] {
            ++s->waiting;
            while (!s->open)
                QThread::msleep(5);
        });
    }
    ~BuildGate()
    {
        release();
        SetPaneBuildHook(nullptr);
    }
    void release() { state->open = true; }
    int waiting() const { return state->waiting; }
};

QByteArray numberedLines(int count, int changedLine)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += (i == changedLine ? "changed " : "line ") + QByteArray::number(i) + '\n';
    return out;
}

} // namespace

TEST_F(SteppedLoadTest, HeadsAreShownAndComparedWhileTheWholeDocumentsAreBuilt)
{
    BuildGate gate;
    auto w = std::make_unique<MergeEditWndCtr>();
    w->setMFile1(write("left.txt", numberedLines(1000, -1)));
    w->setMFile2(write("right.txt", numberedLines(1000, 900)));
    QSignalSpy applied(w.get(), &MergeEditWndCtr::compareApplied);
    w->showWindow();
    // The blocks of the whole texts arrive before their documents are built.
    ASSERT_TRUE(QTest::qWaitFor([&] { return applied.count() == 1; }, 20000));
    EXPECT_TRUE(w->isLoading());
    EXPECT_EQ(gate.waiting(), 2);
    EXPECT_EQ(w->mergeBlocks(), (MergeBlockList{makeBlock(900, 1, 900, 1)}));
    MyEditTextView *view = w->textView(1);
    EXPECT_LT(view->lineCount(), 1000) << "the pane shows the head only";
    EXPECT_TRUE(view->plainText().startsWith(QStringLiteral("line 0\nline 1\n")));
    EXPECT_EQ(view->lineNumberAreaWidth(), view->lineNumberAreaWidth(1001))
        << "the gutter is sized for the whole text at once";
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_FALSE(w->ui().mButton_Next->isEnabled()) << "the block is not in the pane yet";
    EXPECT_EQ(w->ui().mResultLabel->text(), QStringLiteral("Loading…"));
    EXPECT_EQ(w->currentBlock(), -1);

    gate.release();
    settle(*w);
    EXPECT_EQ(applied.count(), 1) << "the whole documents need no second compare";
    EXPECT_EQ(view->lineCount(), 1001);
    EXPECT_EQ(w->GetTextInView2(), QString::fromLatin1(numberedLines(1000, 900)));
    EXPECT_FALSE(view->isReadOnly());
    EXPECT_FALSE(w->canUndo());
    EXPECT_FALSE(w->WasEdit());
    // The first block is selected once it is in the panes.
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->currentBlock() == 0; }, 20000));
    EXPECT_GE(view->lastVisibleLine(), 900);
    EXPECT_EQ(w->ui().mResultLabel->text(), QStringLiteral("Difference 1 of 1"));
}

TEST_F(SteppedLoadTest, ClosingWhileTheWholeDocumentsAreBuiltLeavesNothing)
{
    auto gate = std::make_unique<BuildGate>();
    auto w = std::make_unique<MergeEditWndCtr>();
    w->setMFile1(write("left.txt", numberedLines(1000, -1)));
    w->setMFile2(write("right.txt", numberedLines(1000, 10)));
    w->showWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate->waiting() == 2; }, 20000));
    w->window()->close();
    w.reset();
    gate.reset();
    expectNoWorkerAndNoCompareFolder();
    EXPECT_TRUE(alerts.empty());
}

namespace {

// Counts the times a widget's left edge moves.
struct LeftEdgeMoves : QObject
{
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Move) {
            const auto *move = static_cast<QMoveEvent *>(event);
            count += move->oldPos().x() != move->pos().x();
        }
        return false;
    }
};

} // namespace

TEST_F(SteppedLoadTest, FoldedDocumentIsAdoptedAtItsFinalGutterWidth)
{
    // One line of 1.2 M characters: 1,200 rows in the document, one line in the gutter.
    const QByteArray line(1'200'000, 'x');
    BuildGate gate;
    auto w = std::make_unique<MergeEditWndCtr>();
    w->setMFile1(write("long.txt", line + '\n'));
    w->setMFile2(write("short.txt", "x\n"));
    w->showWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate.waiting() == 1; }, 20000));
    MyEditTextView *view = w->textView(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->plainText().isEmpty(); }, 20000));
    // The gutter's width moves the viewport (a scroll bar coming only resizes it).
    LeftEdgeMoves moves;
    view->viewport()->installEventFilter(&moves);
    gate.release();
    settle(*w);
    view->viewport()->removeEventFilter(&moves);
    ASSERT_EQ(view->plainText().size(), line.size() + 1);
    EXPECT_GT(view->document()->blockCount(), 1000);
    EXPECT_EQ(view->lineCount(), 2);
    EXPECT_EQ(view->viewport()->geometry().left() - view->contentsRect().left(),
              view->lineNumberAreaWidth(2));
    EXPECT_EQ(moves.count, 0) << "the gutter was sized for the rows, then for the lines";
}

// Handing a document to a pane lays out and paints its first screen; two sides ready at once
// still take one event-loop turn each, so the window never holds still for both.
TEST_F(SteppedLoadTest, EachPaneGetsItsDocumentInATurnOfItsOwn)
{
    auto readGate = std::make_shared<BuildGate::State>();
    SetPaneReaderHook(
        [readGate](const QString &path, TextFileInfo *info, platform::StringEncoding preferred) {
            ++readGate->waiting;
            while (!readGate->open)
                QThread::msleep(5);
            return App_ReadTextFileContent(path, info, preferred);
        });
    BuildGate buildGate;
    auto w = std::make_unique<MergeEditWndCtr>();
    w->setMFile1(write("left.txt", numberedLines(2000, -1)));
    w->setMFile2(write("right.txt", numberedLines(2000, 1500)));
    std::vector<int> adoptedInTurn;
    int adopted = 0;
    // Both sides arrive together: each worker is done before the next turn runs.
    const auto turnsUntil = [&](const std::function<bool()> &done, bool building) {
        while (!done()) {
            QThreadPool::globalInstance()->waitForDone();
            if (building)
                PaneBuildPool()->waitForDone();
            adopted = 0;
            QCoreApplication::processEvents();
            adoptedInTurn.push_back(adopted);
            if (adoptedInTurn.size() > 100000)
                break;
        }
    };
    w->showWindow();
    for (int side : {1, 2})
        QObject::connect(w->textView(side), &MyEditTextView::documentReplaced, w.get(),
                         [&] { ++adopted; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return readGate->waiting == 2; }, 20000));
    readGate->open = true;
    turnsUntil([&] { return buildGate.waiting() == 2; }, false);
    buildGate.release();
    turnsUntil([&] { return !w->isLoading(); }, true);
    settle(*w);
    EXPECT_EQ(std::count(adoptedInTurn.begin(), adoptedInTurn.end(), 1), 4)
        << "two heads and two whole documents";
    EXPECT_EQ(*std::max_element(adoptedInTurn.begin(), adoptedInTurn.end()), 1);
    EXPECT_EQ(w->textView(1)->lineCount(), 2001);
    EXPECT_EQ(w->mergeBlocks(), (MergeBlockList{makeBlock(1500, 1, 1500, 1)}));
}

// A reader, a builder or the compare that stops on an exception ends like any failure: a side
// that could not be read whole is empty and named (so nothing passes for the whole file), and the
// window is neither loading nor comparing afterwards.
TEST_F(SteppedLoadTest, AWorkerThatThrowsEndsTheLoadWithAMessage)
{
    const QString left = write("left.txt", numberedLines(1000, -1));
    const QString right = write("right.txt", numberedLines(1000, 900));
    const auto outOfMemory = [] { throw std::bad_alloc(); };
    struct Row
    {
        const char *name;
        std::function<void()> install;
        bool leftRead, rightRead;
        QString result; // what the result line says, when it says why
    };
    const Row rows[] = {
        {"the left reader",
         [&] {
             SetPaneReaderHook([left, outOfMemory](const QString &path, TextFileInfo *info,
                                                   platform::StringEncoding preferred) {
                 if (path == left)
                     outOfMemory();
                 return App_ReadTextFileContent(path, info, preferred);
             });
         },
         false,
         true,
         {}},
        {"the builders of whole documents",
         [&] { SetPaneBuildHook(outOfMemory); },
         false,
         false,
         {}},
        {"the line compare",
         [] {
             SetWorkerFaultHook([](const char *worker) {
                 if (std::strcmp(worker, "compare") == 0)
                     throw std::bad_alloc();
             });
         },
         true, true, QStringLiteral("Compare failed: There was not enough memory.")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        alerts.clear();
        row.install();
        auto w = showWindowOn(left, right);
        settle(*w);
        SetPaneReaderHook(nullptr);
        SetPaneBuildHook(nullptr);
        SetWorkerFaultHook(nullptr);
        EXPECT_FALSE(w->isLoading());
        EXPECT_FALSE(w->isComparing());
        const bool read[2] = {row.leftRead, row.rightRead};
        const QString paths[2] = {left, right};
        for (int side : {1, 2}) {
            const QString said = QStringLiteral("Cannot read the file \"%1\".\nThere was not "
                                                "enough memory.")
                                     .arg(paths[side - 1]);
            const bool named = std::any_of(alerts.begin(), alerts.end(),
                                           [&](const auto &a) { return a.text == said; });
            EXPECT_EQ(named, !read[side - 1]) << side;
            const QString shown = side == 1 ? w->GetTextInView1() : w->GetTextInView2();
            EXPECT_EQ(shown.isEmpty(), !read[side - 1]) << side;
        }
        if (!row.result.isEmpty()) {
            EXPECT_EQ(w->ui().mResultLabel->text(), row.result);
        }
    }
}
