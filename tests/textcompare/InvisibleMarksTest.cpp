// Marks of spaces, tabs and line ends on a pane: drawn in the boxes of their characters and
// nowhere else, for each kind alone and together, wrapped and folded; the text, its undo history
// and the selection never see them.
#include "graphics/Contrast.h"
#include "support/InvisibleMarkPixels.h"
#include "support/TestEnvironment.h"
#include "textcompare/MyEditTextView.h"
#include "themes/ThemeColor.h"

#include <QApplication>
#include <QFontDatabase>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace {

const QString kText =
    QStringLiteral("alpha beta\tgamma  \n"
                   "\tindented after a tab\n"
                   "two  spaces\t\tand two tabs \n"
                   "\n"
                   "a line that is long enough to be wrapped when wrapping is on, "
                   "with spaces all along it and a tab\there at its end   \n"
                   "last line without its end");

QString withFoldedLine()
{
    // Rows of a folded line end in no line end of the text.
    QString line;
    while (line.size() < 12000)
        line += QStringLiteral("word\tand space ");
    return QStringLiteral("short first\n") + line + QStringLiteral("\nafter the long one\n");
}

} // namespace

TEST(InvisibleMarks, EachKindIsDrawnInTheBoxesOfItsCharactersOnly)
{
    struct Row
    {
        const char *name;
        InvisibleMarks marks;
        bool wrap;
        bool folded;
    } rows[] = {
        {"spaces", {true, false, false}, false, false},
        {"tabs", {false, true, false}, false, false},
        {"line ends", {false, false, true}, false, false},
        {"all", {true, true, true}, false, false},
        {"all, wrapped", {true, true, true}, true, false},
        {"line ends, folded and wrapped", {false, false, true}, true, true},
        {"all, folded and wrapped", {true, true, true}, true, true},
    };
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(11);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        MyEditTextView pane;
        pane.resize(420, 260);
        pane.setFont(font);
        pane.setTabStopDistance(4 * QFontMetricsF(font).horizontalAdvance(u' '));
        pane.setLineWrapMode(row.wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        pane.setFoldLongLines(row.folded);
        const QString text = row.folded ? withFoldedLine() : kText;
        pane.loadText(text);
        pane.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
        if (row.folded) {
            // The end of the long line's first row in view.
            ASSERT_GT(pane.document()->blockCount(), 4);
            QTextCursor c(pane.document()->findBlockByNumber(2));
            c.movePosition(QTextCursor::PreviousCharacter);
            pane.setTextCursor(c);
            pane.ensureCursorVisible();
            ASSERT_TRUE(pane.viewport()->rect().contains(pane.cursorRect().center()));
        }
        QTextCursor selection(pane.document());
        selection.setPosition(2);
        selection.setPosition(14, QTextCursor::KeepAnchor);
        pane.setTextCursor(selection);
        const int undoSteps = pane.document()->availableUndoSteps();
        const int scroll = pane.verticalScrollBar()->value();

        const QImage before = pane.viewport()->grab().toImage();
        pane.setInvisibleMarks(row.marks);
        const QImage after = pane.viewport()->grab().toImage();
        const pelkotest::MarkBoxes boxes = pelkotest::markBoxesInView(pane);
        if (row.marks.spaces) {
            EXPECT_GT(boxes.spaces.size(), 3);
        }
        if (row.marks.tabs) {
            EXPECT_GT(boxes.tabs.size(), 1);
        }
        // In the folded rows, only the end of a row shows: it is no line end.
        if (row.marks.lineEnds && !row.folded) {
            EXPECT_GT(boxes.lineEnds.size(), 0);
        }
        EXPECT_EQ(pelkotest::checkMarks(pelkotest::changedPixels(before, after), boxes,
                                        row.marks.spaces, row.marks.tabs, row.marks.lineEnds),
                  "");

        // Drawn only.
        EXPECT_EQ(pane.plainText(), text);
        EXPECT_FALSE(pane.document()->isModified());
        EXPECT_EQ(pane.document()->availableUndoSteps(), undoSteps);
        EXPECT_EQ(pane.textCursor().anchor(), 2);
        EXPECT_EQ(pane.textCursor().position(), 14);
        EXPECT_EQ(pane.verticalScrollBar()->value(), scroll);

        // Off again: the pane is as it was.
        pane.setInvisibleMarks({});
        EXPECT_TRUE(pelkotest::changedPixels(before, pane.viewport()->grab().toImage()).empty());

        // After an edit the marks follow the characters, on the edited line and below it.
        pane.setInvisibleMarks(row.marks);
        QTextCursor edit(pane.document());
        edit.setPosition(pane.textCursor().selectionStart());
        edit.insertText(QStringLiteral("\t \tx \n\t"));
        const QImage edited = pane.viewport()->grab().toImage();
        pane.setInvisibleMarks({});
        const QImage editedBare = pane.viewport()->grab().toImage();
        EXPECT_EQ(pelkotest::checkMarks(pelkotest::changedPixels(editedBare, edited),
                                        pelkotest::markBoxesInView(pane), row.marks.spaces,
                                        row.marks.tabs, row.marks.lineEnds),
                  "")
            << "after an edit";
    }
}

TEST(InvisibleMarks, MarkColourKeepsItsContrastOnEveryBackground)
{
    const QColor white(Qt::white), black(Qt::black);
    struct Row
    {
        const char *name;
        QColor mark, text;
        QList<QColor> backgrounds;
        bool themeMarkKept;
    } rows[] = {
        {"theme colour readable", QColor(0, 0, 200), black, {white, QColor(255, 230, 230)}, true},
        {"theme colour too faint on a tint",
         QColor(150, 150, 255),
         black,
         {white, QColor(200, 200, 255)},
         false},
        {"dark pane, dark theme colour",
         QColor(40, 40, 90),
         QColor(230, 230, 230),
         {QColor(30, 30, 30), QColor(60, 40, 40)},
         false},
        {"nothing reaches the contrast",
         QColor(128, 128, 128),
         QColor(120, 120, 120),
         {QColor(128, 128, 128)},
         false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QColor mark = ReadableMarkColor(row.mark, row.text, row.backgrounds);
        EXPECT_EQ(mark == row.mark, row.themeMarkKept);
        double lowest = 21, lowestText = 21;
        for (const QColor &b : row.backgrounds) {
            lowest = std::min(lowest, ContrastRatio(mark, b));
            lowestText = std::min(lowestText, ContrastRatio(row.text, b));
        }
        if (lowestText >= kMinimumMarkContrast)
            EXPECT_GE(lowest, kMinimumMarkContrast);
        else
            EXPECT_EQ(mark, row.text) << "the best there is";
        if (!row.themeMarkKept && lowestText >= kMinimumMarkContrast + 1) {
            EXPECT_LT(lowest, lowestText) << "fainter than the text";
        }
    }
}
