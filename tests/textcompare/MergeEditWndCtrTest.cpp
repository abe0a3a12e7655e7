// The text compare window: compare, step, merge with undo, reload, close.
#include "TextCompareFixture.h"

#include "platform/NotificationCenter.h"
#include "themes/LanguageList.h"
#include "themes/ThemeColor.h"
#include "services/SupportFolder.h"
#include "support/LogCapture.h"
#include "textcompare/CustomTextViewLineView.h"
#include "textcompare/DiffResultView.h"
#include "textcompare/FoldedLines.h"
#include "textcompare/MergeWindow.h"
#include "textcompare/OpenTextCompareWindow.h"
#include "ui_MergeEditWndCtr.h"

#include <QApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QScrollBar>
#include <QThreadPool>
#include <QTextBlock>
#include <QToolButton>

namespace {
const QByteArray kLeft = "alpha\nbeta\ngamma\ndelta\nepsilon\nzeta\n";
const QByteArray kRight = "alpha\nBETA\ngamma\ndelta\nnew line\nepsilon\n";
} // namespace

TEST_F(TextCompareTest, ShowsTheBlocksOfTwoFilesAndSelectsTheFirst)
{
    auto w = open(write("a.txt", kLeft), write("b.txt", kRight));
    const MergeBlockList expected{makeBlock(1, 1, 1, 1), makeBlock(4, 0, 4, 1),
                                  makeBlock(5, 1, 6, 0)};
    EXPECT_EQ(w->mergeBlocks(), expected);
    EXPECT_TRUE(w->lastCompareUsedFiles());
    EXPECT_EQ(w->currentBlock(), 0);
    // The changed characters of the first block are highlighted on both sides.
    const auto sel1 = w->textView(1)->extraSelections();
    const auto sel2 = w->textView(2)->extraSelections();
    ASSERT_FALSE(sel1.isEmpty());
    ASSERT_FALSE(sel2.isEmpty());
    EXPECT_EQ(sel1.first().cursor.selectedText(), QStringLiteral("beta"));
    EXPECT_EQ(sel2.first().cursor.selectedText(), QStringLiteral("BETA"));
    EXPECT_TRUE(alerts.empty());

    w->Merge_Next();
    EXPECT_EQ(w->currentBlock(), 1);
    w->Merge_Next();
    w->Merge_Next();
    EXPECT_EQ(w->currentBlock(), 2);
    w->Merge_Previous();
    EXPECT_EQ(w->currentBlock(), 1);

    LineCompareOptions icase;
    icase.ignoreCase = true;
    w->setCompareOptions(icase);
    settle(*w);
    EXPECT_EQ(w->mergeBlocks().size(), 2u);
    w->setCompareOptions({});
    settle(*w);
}

TEST_F(TextCompareTest, TheStripsBesideThePanesFollowTheTheme)
{
    // A dark theme under the light desktop of the tests.
    auto theme = ThemeColor::create();
    theme->setPelkoSourceTextBackground(platform::Color::calibratedRGB(0.08, 0.1, 0.18));
    theme->setMColor_DefaultText(platform::Color::calibratedRGB(0.9, 0.9, 0.9));
    ThemeColor::setCurrentTheme(theme);
    struct Restore
    {
        ~Restore() { ThemeColor::restoreToDefault(); }
    } restore;
    auto w = open(write("a.txt", kLeft), write("b.txt", kRight));
    const QColor background = GetApp_Color_Background().toQColor();
    const auto near = [](const QColor &a, const QColor &b) {
        return std::abs(a.red() - b.red()) <= 1 && std::abs(a.green() - b.green()) <= 1 &&
               std::abs(a.blue() - b.blue()) <= 1;
    };
    QWidget *center = w->window()->findChild<QWidget *>(QStringLiteral("mCenterLinkView"));
    ASSERT_TRUE(center);
    const QImage strip = center->grab().toImage();
    // Beside the file names, where no block is drawn, the strip shows the panes' background.
    const QColor top = strip.pixelColor(strip.width() / 2, 1);
    EXPECT_TRUE(near(top, background)) << qPrintable(top.name() + " " + background.name());
    QWidget *overview = w->window()->findChild<QWidget *>(QStringLiteral("mDiffResultView"));
    ASSERT_TRUE(overview);
    EXPECT_TRUE(near(overview->palette().color(QPalette::Base), background));
}

// The links between the panes stand beside the text: a block reaching below the panes (or
// above them) leaves the strip beside the file names and the status rows bare.
TEST_F(TextCompareTest, TheConnectorStripPaintsBesideTheTextOnly)
{
    QByteArray left, right;
    for (int i = 0; i < 300; ++i) {
        left += "line " + QByteArray::number(i) + "\n";
        right += (i < 20 ? "line " : "changed ") + QByteArray::number(i) + "\n";
    }
    auto w = open(write("a.txt", left), write("b.txt", right));
    w->window()->resize(900, 500);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    QWidget *center = w->ui().mCenterLinkView;
    const QColor bare = center->palette().color(QPalette::Window);
    // The block starting in view and reaching far below it; the block filling the view.
    for (qint64 top : {10, 150}) {
        SCOPED_TRACE("top line " + std::to_string(top));
        w->textView(1)->scrollToLine(top);
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        int textTop = 0, textBottom = center->height();
        for (int side : {1, 2}) {
            QWidget *viewport = w->textView(side)->viewport();
            textTop = std::max(textTop, center->mapFromGlobal(viewport->mapToGlobal(QPoint())).y());
            textBottom = std::min(
                textBottom,
                center->mapFromGlobal(viewport->mapToGlobal(QPoint(0, viewport->height()))).y());
        }
        ASSERT_LT(textTop, textBottom);
        const QImage strip = center->grab().toImage();
        int tinted = 0, outside = 0;
        for (int y = 0; y < strip.height(); ++y) {
            for (int x = 0; x < strip.width(); ++x) {
                if (strip.pixelColor(x, y).rgb() == bare.rgb())
                    continue;
                (y < textTop || y >= textBottom ? outside : tinted) += 1;
            }
        }
        EXPECT_GT(tinted, 0) << "the block is linked beside the text";
        EXPECT_EQ(outside, 0) << "painted beside the names or the status rows";
    }
}

// Opened from the start window on two names, from a folder compare on one name in two folders or
// on a file found on one side only, or blank: the title has one form, the form of the image and
// folder windows' too.
TEST_F(TextCompareTest, TheTitleNamesThePairInOneForm)
{
    const QString api1 = dir + QStringLiteral("/one/api.py"),
                  api2 = dir + QStringLiteral("/two/api.py");
    ASSERT_TRUE(pelkotest::writeFile(api1, "print(1)\n"));
    ASSERT_TRUE(pelkotest::writeFile(api2, "print(1)\nprint(2)\n"));
    const auto size = [](qint64 n) {
        return QLocale().formattedDataSize(n, 2, QLocale::DataSizeSIFormat);
    };
    const QString left = write("L.py", "a\n"), right = write("R.py", "b\n");
    struct Row
    {
        const char *name;
        QString left, right, title;
    } rows[] = {
        {"two names", left, right, QStringLiteral("[L.py] and [R.py]")},
        {"one name in two folders", api1, api2,
         QStringLiteral("[api.py] with size: ") + size(9) + QStringLiteral(" - ") + size(18)},
        {"a file on the left only", left, QString(), QStringLiteral("L.py")},
        {"a file on the right only", QString(), right, QStringLiteral("R.py")},
        {"blank", QString(), QString(), QStringLiteral("Untitled")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto w = open(row.left, row.right);
        EXPECT_EQ(w->window()->windowTitle().remove(QStringLiteral("[*]")).toStdString(),
                  row.title.toStdString());
    }
}

// A text that ends with a line break has as many numbered lines as lines: the empty row after
// the last break, where the cursor may still go, carries no number. What is compared and saved
// keeps every byte.
TEST_F(TextCompareTest, TheGutterNumbersTheLinesOfTheTextAndNoMore)
{
    struct Row
    {
        const char *name;
        QByteArray bytes;
        int numbered;
    } rows[] = {
        {"ends with a line break", "a\nb\nc\nd\n", 4},
        {"ends without one", "a\nb\nc\nd", 4},
        {"an empty last line", "a\nb\nc\n\n", 4},
        {"one line break", "\n", 1},
        {"empty", "", 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = write("numbered.txt", row.bytes);
        auto w = open(path, write("other.txt", "x\n"));
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        MyEditTextView *view = w->textView(1);
        EXPECT_EQ(view->numberedLineCount(), row.numbered);
        // The rows the gutter paints a number on.
        CustomTextViewLineView *gutter = view->lineNumberView();
        const QImage image = gutter->grab().toImage();
        const QRgb background = image.pixel(1, image.height() - 1);
        const int offset = view->viewport()->geometry().top() - gutter->geometry().top();
        int inked = 0;
        for (int line = 0; line < view->document()->blockCount(); ++line) {
            const int top = int(view->lineTopY(line)) + offset;
            const int bottom = int(view->lineTopY(line + 1)) + offset;
            bool ink = false;
            for (int y = std::max(0, top); y < std::min(bottom, image.height()) && !ink; ++y)
                for (int x = 0; x < image.width() - 6 && !ink; ++x)
                    ink = image.pixel(x, y) != background;
            inked += ink;
        }
        EXPECT_EQ(inked, row.numbered);
        EXPECT_EQ(w->GetTextInView1().toUtf8(), row.bytes);
        QTextCursor(view->document()).insertText(QStringLiteral("z"));
        ASSERT_TRUE(w->SaveSide(1));
        EXPECT_EQ(pelkotest::readFile(path), "z" + row.bytes);
    }
}

// A block is shown at once; its changed characters are compared on a worker and marked when
// they arrive, only while the block and the texts they were computed on are still those shown.
TEST_F(TextCompareTest, ChangedCharactersFollowTheBlockTheyWereComputedFor)
{
    auto w = open(write("a.txt", kLeft), write("b.txt", kRight));
    const auto marked = [&](int side) {
        QStringList out;
        for (const auto &sel : w->textView(side)->extraSelections())
            out << sel.cursor.selectedText().replace(QChar::ParagraphSeparator, u'\n');
        return out.join(u'|');
    };
    ASSERT_EQ(marked(2), QStringLiteral("BETA"));

    // Stepping: the marks of the block left go at once, those of the new one follow.
    w->selectBlock(1);
    EXPECT_EQ(w->currentBlock(), 1);
    EXPECT_EQ(marked(1), QString());
    EXPECT_EQ(marked(2), QString());
    EXPECT_TRUE(w->isComparing());
    settle(*w);
    EXPECT_EQ(marked(2), QStringLiteral("new line\n"));

    // Stepping on before the marks arrive: only the last block's are shown.
    w->selectBlock(1);
    w->selectBlock(0);
    settle(*w);
    EXPECT_EQ(marked(1), QStringLiteral("beta"));
    EXPECT_EQ(marked(2), QStringLiteral("BETA"));

    // An edit before they arrive: the texts they were computed on are gone.
    w->selectBlock(1);
    QTextCursor c(w->textView(2)->document());
    c.insertText(QStringLiteral("typed "));
    settle(*w);
    // Every character compare has finished and its answer has been delivered.
    QThreadPool::globalInstance()->waitForDone();
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_EQ(marked(1), QString());
    EXPECT_EQ(marked(2), QString());
}

TEST_F(TextCompareTest, CopyABlockBothWaysUndoAndCompareAgain)
{
    auto w = open(write("a.txt", kLeft), write("b.txt", kRight));
    const MergeBlockList original = w->mergeBlocks();

    // Left to right for the changed line.
    ASSERT_TRUE(w->Merge_CopyBlock(1, 0));
    settle(*w);
    EXPECT_EQ(w->GetTextInView2(),
              QStringLiteral("alpha\nbeta\ngamma\ndelta\nnew line\nepsilon\n"));
    EXPECT_EQ(w->mergeBlocks().size(), 2u);
    EXPECT_TRUE(w->mTextWasEdited(2));
    EXPECT_FALSE(w->mTextWasEdited(1));
    EXPECT_TRUE(w->WasEdit());

    // Right to left for the inserted line.
    ASSERT_TRUE(w->Merge_CopyBlock(2, 0));
    settle(*w);
    EXPECT_EQ(w->GetTextInView1(),
              QStringLiteral("alpha\nbeta\ngamma\ndelta\nnew line\nepsilon\nzeta\n"));
    ASSERT_EQ(w->mergeBlocks().size(), 1u);

    // The last block deletes "zeta" on the right side's behalf: take the right (nothing).
    ASSERT_TRUE(w->Merge_CopyBlock(2, 0));
    settle(*w);
    EXPECT_TRUE(w->mergeBlocks().empty());
    EXPECT_EQ(w->GetTextInView1(), w->GetTextInView2());

    // Undo brings both texts back; comparing again gives the original blocks.
    w->textView(1)->undo();
    w->textView(1)->undo();
    w->textView(2)->undo();
    EXPECT_EQ(w->GetTextInView1(), QString::fromUtf8(kLeft));
    EXPECT_EQ(w->GetTextInView2(), QString::fromUtf8(kRight));
    w->RefreshCompare();
    settle(*w);
    EXPECT_EQ(w->mergeBlocks(), original);
    // Back where they were read, the panes are no longer edited and match their files again.
    EXPECT_FALSE(w->WasEdit());
    EXPECT_TRUE(w->lastCompareUsedFiles());
}

TEST_F(TextCompareTest, MergeAtTheEndOfTextsWithoutFinalLineEnd)
{
    struct Row
    {
        const char *name;
        QByteArray left, right;
        int from;
    };
    const Row rows[] = {
        {"changed last line", "a\nb", "a\nc", 1},
        {"append after unterminated line", "a\nb\nc", "a\nb", 1},
        {"last line taken into the middle", "x\ny", "x\nz\nw\n", 1},
        {"remove trailing lines", "a\n", "a\nb\nc", 1},
        {"to an empty text", "one\ntwo\n", "", 1},
        {"from an empty text", "", "one\ntwo", 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto w = open(write("l.txt", row.left), write("r.txt", row.right));
        // Taking every block from one side must give that side's text exactly.
        for (int guard = 0; !w->mergeBlocks().empty() && guard < 10; ++guard) {
            ASSERT_TRUE(w->Merge_CopyBlock(row.from, 0));
            settle(*w);
        }
        EXPECT_EQ(w->GetTextInView1(), w->GetTextInView2());
    }
}

TEST_F(TextCompareTest, CopyAllAndTheMoveToNextSetting)
{
    gAppSetting.compare_autoMoveToNextDiffAfterMerge = 1;
    auto w = open(write("a.txt", kLeft), write("b.txt", kRight));
    ASSERT_TRUE(w->Merge_CopyBlock(1, 0));
    settleSelection(*w);
    EXPECT_EQ(w->currentBlock(), 0); // the next block now sits where the merged one was
    EXPECT_EQ(w->mergeBlocks()[0], makeBlock(4, 0, 4, 1));

    ASSERT_TRUE(w->Merge_CopyAll(2));
    settle(*w);
    EXPECT_EQ(w->GetTextInView1(), w->GetTextInView2());
    EXPECT_TRUE(w->mergeBlocks().empty());
    w->textView(1)->undo();
    EXPECT_EQ(w->GetTextInView1(), QString::fromUtf8(kLeft));
    EXPECT_FALSE(w->Merge_CopyBlock(1, 7)); // no such block
}

TEST_F(TextCompareTest, FileChangedOnDiskIsReadAgain)
{
    const QString right = write("b.txt", kRight);
    auto w = open(write("a.txt", kLeft), right);
    ASSERT_TRUE(pelkotest::writeFile(right, kLeft + "more\n"));
    w->windowWillBeKey();
    settle(*w);
    EXPECT_TRUE(alerts.empty()); // an unedited side is read again without a question
    EXPECT_EQ(w->GetTextInView2(), QString::fromUtf8(kLeft + "more\n"));
    EXPECT_EQ(w->mergeBlocks(), (MergeBlockList{makeBlock(6, 0, 6, 1)}));

    // An edited side is asked about: Cancel keeps the edit, Reload reads the file.
    QTextCursor c(w->textView(2)->document());
    c.insertText(QStringLiteral("edit "));
    ASSERT_TRUE(w->mTextWasEdited(2));
    ASSERT_TRUE(pelkotest::writeFile(right, "fresh\n"));
    answers = {1001};
    w->windowWillBeKey();
    settle(*w);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title,
              QStringLiteral("This document was changed in another application. Reload content?"));
    EXPECT_TRUE(w->GetTextInView2().startsWith(QStringLiteral("edit ")));
    w->windowWillBeKey(); // the declined change is not asked about again
    EXPECT_EQ(alerts.size(), 1u);
    settle(*w);
    ASSERT_TRUE(pelkotest::writeFile(right, "fresh text\n"));
    answers = {1000};
    w->windowWillBeKey();
    settle(*w);
    EXPECT_EQ(alerts.size(), 2u);
    EXPECT_EQ(w->GetTextInView2(), QStringLiteral("fresh text\n"));
    EXPECT_FALSE(w->WasEdit());
    w->windowWillBeKey();
    settle(*w);
    EXPECT_EQ(alerts.size(), 2u); // nothing changed since
}

TEST_F(TextCompareTest, NulCharactersAreReportedAndShownAsSpaces)
{
    auto w = open(write("a.txt", QByteArray("one\0two\nx\n", 10)), write("b.txt", "one two\ny\n"));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].text.contains(QStringLiteral("NUL")));
    EXPECT_TRUE(alerts[0].text.contains(QStringLiteral("a.txt")));
    EXPECT_EQ(w->GetTextInView1(), QStringLiteral("one two\nx\n"));
    EXPECT_FALSE(w->lastCompareUsedFiles());
    EXPECT_EQ(w->mergeBlocks(), (MergeBlockList{makeBlock(1, 1, 1, 1)}));
}

TEST_F(TextCompareTest, ClosingPostsTheUpdateForSameNamedFiles)
{
    const QString other = pelkotest::freshDir(QStringLiteral("other"));
    ASSERT_TRUE(pelkotest::writeFile(other + QStringLiteral("/A.TXT"), kRight));
    QStringList posted;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("NeedUpdateFileCompareResult"), nullptr,
        [&](const platform::Notification &n) {
            posted << n.userInfo.value(QStringLiteral("paths")).toStringList();
        });
    const QString left = write("a.txt", kLeft);
    auto w = open(left, other + QStringLiteral("/A.TXT"));
    w->close();
    EXPECT_EQ(posted, QStringList{left});

    posted.clear();
    auto w2 = open(left, write("b.txt", kRight));
    w2->close();
    EXPECT_TRUE(posted.isEmpty());
}

TEST_F(TextCompareTest, ClosingWithEditsAsksToSaveDiscardOrCancel)
{
    const QString left = write("a.txt", kLeft);
    auto w = open(left, write("b.txt", kRight));
    ASSERT_TRUE(w->Merge_CopyBlock(2, 0));
    settle(*w);
    ASSERT_TRUE(w->isDocumentEdited());

    answers = {1002}; // Cancel
    w->close();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].buttons.size(), 3);
    EXPECT_TRUE(w->window()->isVisible());
    EXPECT_FALSE(w->mIsClosing);

    answers = {1000}; // Save
    w->close();
    EXPECT_FALSE(w->window()->isVisible());
    EXPECT_EQ(pelkotest::readFile(left), "alpha\nBETA\ngamma\ndelta\nepsilon\nzeta\n");
    EXPECT_FALSE(w->WasEdit());
}

// The close question comes only for text a close would lose, and names each side once: an
// untitled side left empty (nothing typed, or all of it taken back) holds nothing to save.
TEST_F(TextCompareTest, TheCloseQuestionNamesEachSideWithTextOnce)
{
    // With the syntax languages, as the application has them: a blank pane is coloured too.
    ASSERT_TRUE(PrepareSupportFolder(dir + QStringLiteral("/support")));
    SetBundleResourceFolder(pelkotest::binaryDir() + QStringLiteral("/Resources"));
    ASSERT_GT(Setup_gAppLanguageInfoList(), 0);
    const QString other = pelkotest::freshDir(QStringLiteral("othername"));
    ASSERT_TRUE(pelkotest::writeFile(other + QStringLiteral("/a.txt"), kRight));
    struct Row
    {
        const char *name;
        bool named;     // two files named a.txt, else a blank window
        QString typed1; // typed into each pane ("\b" erases a character)
        QString typed2;
        QStringList asked; // the names the question gives, none for no question
    } rows[] = {
        {"blank, nothing typed", false, {}, {}, {}},
        {"blank, typed and erased", false, QStringLiteral("x\b"), {}, {}},
        {"blank, typed on the left", false, QStringLiteral("x"), {}, {QStringLiteral("Untitled")}},
        {"blank, typed on both sides",
         false,
         QStringLiteral("x"),
         QStringLiteral("y"),
         {QStringLiteral("Untitled (left)"), QStringLiteral("Untitled (right)")}},
        {"one name, edited on one side", true, {}, QStringLiteral("y"), {QStringLiteral("a.txt")}},
        {"one name, edited on both sides",
         true,
         QStringLiteral("x"),
         QStringLiteral("y"),
         {QStringLiteral("a.txt (left)"), QStringLiteral("a.txt (right)")}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto w = row.named ? open(write("a.txt", kLeft), other + QStringLiteral("/a.txt"))
                           : std::make_unique<MergeEditWndCtr>();
        if (!row.named) {
            w->showWindow();
            settle(*w);
        }
        for (int side : {1, 2}) {
            const QString &typed = side == 1 ? row.typed1 : row.typed2;
            for (QChar c : typed) {
                if (c == u'\b')
                    QTest::keyClick(w->textView(side), Qt::Key_Backspace);
                else
                    QTest::keyClicks(w->textView(side), QString(c));
            }
        }
        alerts.clear();
        answers = {1001}; // Discard and Close
        w->close();
        EXPECT_FALSE(w->window()->isVisible());
        if (row.asked.isEmpty()) {
            EXPECT_TRUE(alerts.empty());
            continue;
        }
        ASSERT_EQ(alerts.size(), 1u);
        const QString text = alerts[0].text;
        for (const QString &name : row.asked)
            EXPECT_EQ(text.count(u'"' + name + u'"'), 1) << text.toStdString();
        EXPECT_EQ(text.count(u'"'), 2 * row.asked.size()) << text.toStdString();
    }
}

TEST_F(TextCompareTest, OpenWindowTableKeepsFirstFreeOrderAndGrows)
{
    OpenCompareWindowList_Reset();
    std::vector<std::unique_ptr<MergeWindow>> windows;
    for (int i = 0; i < 51; ++i)
        windows.push_back(std::make_unique<MergeWindow>(QStringLiteral("MergeWindow")));
    // Plain bases do not list themselves; the compare windows do.
    for (const auto &slot : gOpenCompareWindowList)
        EXPECT_TRUE(slot.isNull());
    OpenCompareWindowList_Reset();
    for (auto &w : windows)
        OpenCompareWindowList_Add(w.get());
    EXPECT_EQ(gOpenCompareWindowList.size(), 51);
    EXPECT_EQ(gOpenCompareWindowList[50].data(), windows[50].get());
    windows[3].reset(); // clears its slot when it goes
    EXPECT_TRUE(gOpenCompareWindowList[3].isNull());
    auto text = std::make_unique<MergeEditWndCtr>();
    EXPECT_EQ(gOpenCompareWindowList[3].data(), text.get());
    text.reset();
    windows.clear();
    OpenCompareWindowList_Reset();
}

TEST_F(TextCompareTest, UntitledTextsAndTheMergeWindowQueries)
{
    auto w = std::make_unique<MergeEditWndCtr>();
    w->showWindow();
    w->setCompareTextToView1(QStringLiteral("abc\n"));
    settle(*w);
    w->setCompareTextToView2(QString());
    settle(*w);
    w->RefreshCompare();
    settle(*w);
    EXPECT_EQ(w->mergeBlocks(), (MergeBlockList{makeBlock(0, 1, 0, 0)}));
    EXPECT_TRUE(w->GetFile1().isEmpty());
    EXPECT_EQ(w->GetTextInView1(), QStringLiteral("abc\n"));
    EXPECT_FALSE(w->WasEdit());
    EXPECT_FALSE(w->IsPreviewMode());
    w->setMTextWasEdited1(true);
    EXPECT_TRUE(w->WasEdit());
    w->setMTextWasEdited1(false);
    ASSERT_NE(w->windowToolTipItem(), nullptr);
    EXPECT_FALSE(w->windowToolTipItem()->isVisible());
}

TEST_F(TextCompareTest, OpenTextCompareWindowShowsThePairAndFreesItselfOnClose)
{
    const QString left = write("a.txt", kLeft), right = write("b.txt", kRight);
    QPointer<MergeEditWndCtr> w = OpenTextCompareWindowController(left, right);
    ASSERT_TRUE(w);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w && !w->isLoading() && !w->isComparing(); }, 20000));
    EXPECT_TRUE(w->window()->isVisible());
    EXPECT_EQ(w->GetFile1(), left);
    EXPECT_EQ(w->mergeBlocks().size(), 3u);
    EXPECT_TRUE(gOpenCompareWindowList.contains(w.data()));
    w->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.isNull(); }, 20000));
    for (const auto &slot : gOpenCompareWindowList)
        EXPECT_TRUE(slot.isNull());
}

TEST_F(TextCompareTest, ClickInTheOverviewGoesToThatBlock)
{
    auto w = open(write("a.txt", kLeft), write("b.txt", kRight));
    w->window()->resize(900, 600);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    DiffResultView *overview = w->ui().mDiffResultView;
    int y = 0;
    while (y < overview->height() && overview->blockAt(QPointF(overview->width() - 3, y)) != 2)
        ++y;
    ASSERT_LT(y, overview->height());
    QTest::mouseClick(overview, Qt::LeftButton, {}, QPoint(overview->width() - 3, y));
    EXPECT_EQ(w->currentBlock(), 2);
    // Far below every block the click scrolls instead and keeps the selection.
    QTest::mouseClick(overview, Qt::LeftButton, {}, QPoint(3, overview->height() - 2));
    EXPECT_EQ(w->currentBlock(), 2);
}

TEST_F(TextCompareTest, TypingComparesAgainWithoutJumpingAway)
{
    QByteArray many;
    for (int i = 0; i < 300; ++i)
        many += "line " + QByteArray::number(i) + "\n";
    QByteArray changed = many;
    changed.replace("line 5\n", "line five\n");
    auto w = open(write("a.txt", many), write("b.txt", changed));
    ASSERT_EQ(w->currentBlock(), 0);
    MyEditTextView *view = w->textView(1);
    view->scrollToLine(250);
    QTextCursor c(view->document()->findBlockByNumber(250));
    view->setTextCursor(c);
    c.insertText(QStringLiteral("typed "));
    // The compare after the edit is in, and no block is about to be selected.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !w->blocksOutOfDate() && !w->isComparing() && !w->isBlockSelectionPending(); },
        20000));
    EXPECT_EQ(w->mergeBlocks().size(), 2u);
    EXPECT_EQ(w->currentBlock(), -1);
    EXPECT_GE(view->firstVisibleLine(), 240);
    w->Merge_Next(); // the block being typed in
    EXPECT_EQ(w->currentBlock(), 1);
}

TEST_F(TextCompareTest, ParagraphSeparatorInAFileIsComparedAsThePaneShowsIt)
{
    // U+2029 splits a pane line; the blocks must follow the pane, not the file's lines.
    auto w =
        open(write("a.txt", "one\xE2\x80\xA9two\nthree\n"), write("b.txt", "one\ntwo\nTHREE\n"));
    EXPECT_FALSE(w->lastCompareUsedFiles());
    EXPECT_EQ(w->mergeBlocks(), (MergeBlockList{makeBlock(2, 1, 2, 1)}));
}

TEST_F(TextCompareTest, IgnoreCaseSeesChangedCharactersWhoseTrailByteIsAnAsciiLetter)
{
    // Two characters whose encodings differ only in a trail byte 'A' (0x41) against 'a' (0x61).
    struct Row
    {
        const char *name;
        platform::StringEncoding encoding;
        QByteArray before, after;
    };
    const Row rows[] = {
        {"shift_jis", platform::Encoding::ShiftJIS, "\x83\x41", "\x83\x61"},
        {"big5", platform::Encoding::Big5, "\xA4\x41", "\xA4\x61"},
    };
    LineCompareOptions icase;
    icase.ignoreCase = true;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto c1 = platform::TextEncoding::decodeStrict(row.before, row.encoding);
        const auto c2 = platform::TextEncoding::decodeStrict(row.after, row.encoding);
        ASSERT_TRUE(c1 && c2);
        ASSERT_NE(*c1, *c2);
        ASSERT_NE(c1->toLower(), c2->toLower());
        const QString name = QString::fromLatin1(row.name);
        const QString left = write(name + QStringLiteral("-1.txt"), "x\n" + row.before + "\nz\n");
        const QString right = write(name + QStringLiteral("-2.txt"), "x\n" + row.after + "\nz\n");
        auto w = std::make_unique<MergeEditWndCtr>();
        w->setMFile1(left);
        w->setMFile2(right);
        w->setPreferEncoding1(row.encoding);
        w->setPreferEncoding2(row.encoding);
        w->showWindow();
        settle(*w);
        ASSERT_EQ(w->fileInfo(1).encoding, row.encoding);
        w->setCompareOptions(icase);
        settle(*w);
        EXPECT_EQ(w->mergeBlocks(), (MergeBlockList{makeBlock(1, 1, 1, 1)}));
        EXPECT_FALSE(w->lastCompareUsedFiles());
    }
    // Where every byte below 0x80 is its ASCII character, the files themselves are compared.
    auto w = open(write("latin-1.txt", "caf\xE9\nA\n"), write("latin-2.txt", "caf\xE9\na\n"));
    w->setCompareOptions(icase);
    settle(*w);
    EXPECT_TRUE(w->mergeBlocks().empty());
    EXPECT_TRUE(w->lastCompareUsedFiles());
}

TEST_F(TextCompareTest, OpeningAWindowOnSourceFilesWritesNothingToTheLog)
{
    ASSERT_TRUE(PrepareSupportFolder(dir + QStringLiteral("/support")));
    SetBundleResourceFolder(pelkotest::binaryDir() + QStringLiteral("/Resources"));
    ASSERT_GT(Setup_gAppLanguageInfoList(), 0);
    pelkotest::LogCapture capture;
    auto w = open(write("one.c", "int main(void)\n{\n    return 0; /* done */\n}\n"),
                  write("two.c", "int main(void)\n{\n    return 1; /* done */\n}\n"));
    ASSERT_TRUE(w->textView(1)->language());
    EXPECT_TRUE(capture.lines().isEmpty()) << capture.lines().join(u'\n').toStdString();
    EXPECT_EQ(capture.reportCount(), 0) << capture.reports().toStdString();
}

TEST_F(TextCompareTest, KeysThatScrollOnePaneKeepTheOtherInStep)
{
    QByteArray left, right;
    for (int i = 0; i < 400; ++i) {
        left += "line " + QByteArray::number(i) + "\n";
        right += (i == 200 ? QByteArray("changed") : "line " + QByteArray::number(i)) + "\n";
    }
    auto w = open(write("long-1.txt", left), write("long-2.txt", right));
    w->window()->resize(700, 400);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    MyEditTextView *one = w->textView(1);
    MyEditTextView *two = w->textView(2);
    one->setFocus();
    struct Step
    {
        const char *name;
        int key;
        Qt::KeyboardModifiers modifiers;
        int times;
    };
    const Step steps[] = {
        {"page down", Qt::Key_PageDown, Qt::NoModifier, 3},
        {"page up", Qt::Key_PageUp, Qt::NoModifier, 1},
        {"ctrl+end", Qt::Key_End, Qt::ControlModifier, 1},
        {"ctrl+home", Qt::Key_Home, Qt::ControlModifier, 1},
        {"down arrow", Qt::Key_Down, Qt::NoModifier, 60},
        {"up arrow", Qt::Key_Up, Qt::NoModifier, 60},
    };
    for (MyEditTextView *pane : {one, two}) {
        MyEditTextView *other = pane == one ? two : one;
        for (const Step &step : steps) {
            SCOPED_TRACE(std::string(step.name) +
                         (pane == one ? " in the left pane" : " in the right pane"));
            const qint64 before = pane->firstVisibleLine();
            for (int i = 0; i < step.times; ++i)
                QTest::keyClick(pane, Qt::Key(step.key), step.modifiers);
            QCoreApplication::processEvents();
            EXPECT_NE(pane->firstVisibleLine(), before);
            EXPECT_EQ(other->firstVisibleLine(), pane->firstVisibleLine());
        }
    }
}

TEST_F(TextCompareTest, ToolbarButtonsShowIconTextAndTheirKey)
{
    auto w = open(write("a.txt", "one\n"), write("b.txt", "two\n"));
    auto &ui = w->ui();
    const std::pair<QToolButton *, QAction *> buttons[] = {
        {ui.mButton_Previous, ui.actionPrevious},
        {ui.mButton_Next, ui.actionNext},
        {ui.mButton_CopyToRight, ui.actionCopyToRight},
        {ui.mButton_CopyToLeft, ui.actionCopyToLeft},
        {ui.mButton_CopyAllToRight, ui.actionCopyAllToRight},
        {ui.mButton_CopyAllToLeft, ui.actionCopyAllToLeft},
        {ui.mButton_Compare, ui.actionCompare},
    };
    for (const auto &[button, action] : buttons) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_FALSE(button->text().isEmpty());
        EXPECT_NE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        EXPECT_NE(button->toolButtonStyle(), Qt::ToolButtonTextOnly);
        const QString key = action->shortcut().toString(QKeySequence::NativeText);
        ASSERT_FALSE(key.isEmpty());
        EXPECT_TRUE(button->toolTip().contains(key)) << button->toolTip().toStdString();
    }
    // The buttons still act.
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->currentBlock() == 0; }, 20000));
    ui.mButton_CopyToLeft->click();
    EXPECT_EQ(w->GetTextInView1(), QStringLiteral("two\n"));
}

TEST_F(TextCompareTest, TheGutterSelectsWholeLinesAndShowsTheirNumbersInTheWindowsTip)
{
    auto w = open(write("a.txt", "one\ntwo\nthree\nfour\n"), write("b.txt", "one\n"));
    std::vector<std::pair<QString, QWidget *>> tips;
    MergeEditWndCtr::setToolTipShower([&](const QString &text, const QPoint &, QWidget *window) {
        tips.emplace_back(text, window);
    });
    MyEditTextView *view = w->textView(1);
    CustomTextViewLineView *gutter = view->lineNumberView();
    // The gutter's y of the middle of a line (from 0).
    const auto yOf = [&](int line) {
        QTextCursor c(view->document()->findBlockByNumber(line));
        return view->cursorRect(c).center().y() + view->viewport()->geometry().top() -
               gutter->geometry().top();
    };
    const auto at = [&](int line) { return QPoint(gutter->width() / 2, yOf(line)); };
    struct Step
    {
        const char *name;
        std::function<void()> act;
        QString selected;
        bool caretAtEnd;
        QString tip;
    };
    const Step steps[] = {
        {"click", [&] { QTest::mouseClick(gutter, Qt::LeftButton, {}, at(1)); },
         QStringLiteral("two\n"), true, QStringLiteral("Line 2")},
        {"shift+click below",
         [&] { QTest::mouseClick(gutter, Qt::LeftButton, Qt::ShiftModifier, at(3)); },
         QStringLiteral("two\nthree\nfour\n"), true, QStringLiteral("Lines 2 - 4")},
        // Above the selection, the lines it held stay selected.
        {"shift+click above",
         [&] { QTest::mouseClick(gutter, Qt::LeftButton, Qt::ShiftModifier, at(0)); },
         QStringLiteral("one\ntwo\nthree\nfour\n"), false, QStringLiteral("Lines 1 - 4")},
        {"drag upwards",
         [&] {
             QTest::mousePress(gutter, Qt::LeftButton, {}, at(2));
             QMouseEvent move(QEvent::MouseMove, at(0), gutter->mapToGlobal(at(0)), Qt::NoButton,
                              Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(gutter, &move);
             QTest::mouseRelease(gutter, Qt::LeftButton, {}, at(0));
         },
         QStringLiteral("one\ntwo\nthree\n"), false, QStringLiteral("Lines 1 - 3")},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        tips.clear();
        step.act();
        const QTextCursor c = view->textCursor();
        EXPECT_EQ(c.selectedText().replace(QChar::ParagraphSeparator, u'\n'), step.selected);
        EXPECT_EQ(c.position() == c.selectionEnd(), step.caretAtEnd);
        ASSERT_FALSE(tips.empty());
        EXPECT_EQ(tips.back().first, step.tip);
        EXPECT_EQ(tips.back().second, w->window());
    }
    // Hovering names the line under the mouse; leaving hides the tip.
    tips.clear();
    QMouseEvent hover(QEvent::MouseMove, at(3), gutter->mapToGlobal(at(3)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(gutter, &hover);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(gutter, &leave);
    ASSERT_EQ(tips.size(), 2u);
    EXPECT_EQ(tips[0].first, QStringLiteral("Line 4"));
    EXPECT_TRUE(tips[1].first.isEmpty());
    // Turning line numbers off while the tip shows hides it too.
    tips.clear();
    QApplication::sendEvent(gutter, &hover);
    ASSERT_TRUE(w->Menu_SetShowLineNumbers(false));
    MergeEditWndCtr::setToolTipShower(nullptr);
    ASSERT_FALSE(tips.empty());
    EXPECT_TRUE(tips.back().first.isEmpty());
}

// A line too long to lay out whole shows as rows; the gutter takes it as the one line it is.
TEST_F(TextCompareTest, TheGutterSelectsAFoldedLineWithAllItsRows)
{
    const QByteArray longLine(kAlwaysFoldLineLength + 1, 'x');
    auto w = open(write("a.txt", "one\n" + longLine + "\nthree\n"), write("b.txt", "one\n"));
    MyEditTextView *view = w->textView(1);
    w->Menu_SetWrapLines(false); // one row of the view for each block
    ASSERT_EQ(view->lineWrapMode(), QPlainTextEdit::NoWrap);
    std::vector<QString> tips;
    MergeEditWndCtr::setToolTipShower(
        [&](const QString &text, const QPoint &, QWidget *) { tips.push_back(text); });
    ASSERT_TRUE(IsFoldRow(view->document()->findBlockByNumber(3)));
    CustomTextViewLineView *gutter = view->lineNumberView();
    const auto at = [&](int block) {
        QTextCursor c(view->document()->findBlockByNumber(block));
        return QPoint(gutter->width() / 2, view->cursorRect(c).center().y() +
                                               view->viewport()->geometry().top() -
                                               gutter->geometry().top());
    };
    struct Step
    {
        const char *name;
        std::function<void()> act;
        QString selected;
        QString tip;
    };
    const QString line2 = QString::fromLatin1(longLine) + u'\n';
    const Step steps[] = {
        {"click on a middle row", [&] { QTest::mouseClick(gutter, Qt::LeftButton, {}, at(3)); },
         line2, QStringLiteral("Line 2")},
        {"shift+click from the line above",
         [&] {
             QTest::mouseClick(gutter, Qt::LeftButton, {}, at(0));
             QTest::mouseClick(gutter, Qt::LeftButton, Qt::ShiftModifier, at(2));
         },
         QStringLiteral("one\n") + line2, QStringLiteral("Lines 1 - 2")},
        {"drag from a row up to the line above",
         [&] {
             QTest::mousePress(gutter, Qt::LeftButton, {}, at(4));
             QMouseEvent move(QEvent::MouseMove, at(0), gutter->mapToGlobal(at(0)), Qt::NoButton,
                              Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(gutter, &move);
             QTest::mouseRelease(gutter, Qt::LeftButton, {}, at(0));
         },
         QStringLiteral("one\n") + line2, QStringLiteral("Lines 1 - 2")},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        tips.clear();
        step.act();
        const QTextCursor c = view->textCursor();
        const QString selected = PaneText(view->document(), c.selectionStart(), c.selectionEnd());
        EXPECT_TRUE(selected == step.selected)
            << selected.size() << " characters selected: " << qPrintable(selected.left(20));
        ASSERT_FALSE(tips.empty());
        EXPECT_EQ(tips.back(), step.tip);
        // The view stays where it was clicked, not at the far end of the folded line.
        EXPECT_EQ(view->verticalScrollBar()->value(), 0);
    }
    MergeEditWndCtr::setToolTipShower(nullptr);
}
