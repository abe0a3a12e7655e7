// Line helpers of the editor panes: separators, whole lines, insertion, rectangles and ranges.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextCharFormat>

#include "support/TestEnvironment.h"
#include "controls/PelkoNSLayoutManager.h"
#include "foundation/PelkoNSMutableParagraphStyle.h"
#include "controls/PelkoNSTextView.h"
#include "foundation/PelkoNSArray.h"
#include "support/LogCapture.h"

namespace {

void select(QPlainTextEdit &view, int start, int length)
{
    QTextCursor c(view.document());
    c.setPosition(start);
    c.setPosition(start + length, QTextCursor::KeepAnchor);
    view.setTextCursor(c);
}

} // namespace

TEST(TextViewHelpers, SeparatorsBecomeLineBreaksInOneUndoStep)
{
    QPlainTextEdit view;
    view.setPlainText(QStringLiteral("a\u2028b\fc"));
    select(view, 1, 2);
    fixSpecialEndLineCharIfNeedInRange(&view, Range{0, 5});
    EXPECT_EQ(view.document()->toRawText(), QStringLiteral("a\u2029b\u2029c"));
    EXPECT_EQ(view.document()->blockCount(), 3);
    EXPECT_EQ(view.textCursor().selectionStart(), 1);
    EXPECT_EQ(view.textCursor().selectionEnd(), 3);
    view.undo();
    EXPECT_EQ(view.document()->toRawText(), QStringLiteral("a\u2028b\fc")) << "one undo step";
    EXPECT_FALSE(view.document()->isUndoAvailable());

    // Only the range is touched.
    view.setPlainText(QStringLiteral("a\fb\fc"));
    fixSpecialEndLineCharIfNeedInRange(&view, Range{2, 100});
    EXPECT_EQ(view.document()->toRawText(), QStringLiteral("a\fb\u2029c"));

    // Nothing to replace, no range, a read-only view: no edit, no undo step.
    view.setPlainText(QStringLiteral("plain\ntext"));
    const int revision = view.document()->revision();
    fixSpecialEndLineCharIfNeedInRange(&view, Range{0, 10});
    fixSpecialEndLineCharIfNeedInRange(&view, Range{NotFound, 3});
    EXPECT_EQ(view.document()->revision(), revision);
    EXPECT_FALSE(view.document()->isUndoAvailable());
    view.setPlainText(QStringLiteral("x\fy"));
    view.setReadOnly(true);
    fixSpecialEndLineCharIfNeedInRange(&view, Range{0, 100});
    EXPECT_EQ(view.document()->toRawText(), QStringLiteral("x\fy"));
}

TEST(TextViewHelpers, WholeLinesUnderTheSelection)
{
    QPlainTextEdit view;
    view.setPlainText(QStringLiteral("ab\ncd\nef"));
    struct Row
    {
        int start, length;
        int outStart, outEnd;
        QList<Range> lines;
    };
    const Row rows[] = {{1, 3, 0, 6, {{0, 3}, {3, 3}}},
                        {0, 3, 0, 3, {{0, 3}}},
                        {4, 0, 3, 6, {{3, 3}}},
                        {7, 1, 6, 8, {{6, 2}}}};
    for (const Row &r : rows) {
        select(view, r.start, r.length);
        int s = -5, e = -5;
        QVariantList lines;
        ASSERT_TRUE(getCurrentSelectedLines_old_startPos(&view, &s, &e, true, &lines)) << r.start;
        EXPECT_EQ(s, r.outStart) << r.start;
        EXPECT_EQ(e, r.outEnd) << r.start;
        ASSERT_EQ(lines.size(), r.lines.size()) << r.start;
        for (int i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(rangeAt(lines, i).location, r.lines[i].location);
            EXPECT_EQ(rangeAt(lines, i).length, r.lines[i].length);
        }
    }
    select(view, 1, 3);
    const Range extended = getSelectRangeExtendToLines(&view);
    EXPECT_EQ(extended.location, 0);
    EXPECT_EQ(extended.length, 6);

    int s = 0, e = 0;
    EXPECT_TRUE(getCurrentSelectedLines_old_startPos(&view, &s, &e, false, nullptr));
    EXPECT_EQ(e, 8);
    pelkotest::LogCapture log;
    EXPECT_FALSE(getCurrentSelectedLines_old_startPos(&view, nullptr, &e, true, nullptr));
    EXPECT_TRUE(log.hasFatalReport());
    view.clear();
    EXPECT_FALSE(getCurrentSelectedLines_old_startPos(&view, &s, &e, true, nullptr));
    EXPECT_EQ(s, -1);
    EXPECT_EQ(getSelectRangeExtendToLines(&view).location, NotFound);
}

TEST(TextViewHelpers, InsertionClampsAndChoosesTheSelection)
{
    QPlainTextEdit view;
    view.setPlainText(QStringLiteral("0123456789"));
    insertStringContent(&view, QStringLiteral("END"), nullptr, 1000, false, true, false);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("0123456789END"));
    EXPECT_EQ(view.textCursor().position(), 13);
    EXPECT_FALSE(view.textCursor().hasSelection());

    insertStringContent(&view, QStringLiteral("ab"), nullptr, -4, true, true, true);
    EXPECT_EQ(view.textCursor().selectedText(), QStringLiteral("ab"));

    select(view, 5, 2);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    insertStringContent(&view, QStringLiteral("X"), &bold, 2, false, false, true);
    EXPECT_EQ(view.textCursor().selectionStart(), 5);
    EXPECT_EQ(view.textCursor().selectionEnd(), 7);
    QTextCursor probe(view.document());
    probe.setPosition(3);
    EXPECT_EQ(probe.charFormat().fontWeight(), QFont::Bold);

    // A refused insertion keeps the selection instead of selecting text that is not there.
    view.setReadOnly(true);
    select(view, 0, 1);
    insertStringContent(&view, QStringLiteral("zzz"), nullptr, 1000, true, false, false);
    EXPECT_FALSE(view.toPlainText().contains(QStringLiteral("zzz")));
    EXPECT_EQ(view.textCursor().selectionStart(), 0);
    EXPECT_EQ(view.textCursor().selectionEnd(), 1);
}

TEST(TextViewHelpers, RectanglesAndRangesOfTheLayout)
{
    QPlainTextEdit view;
    view.setLineWrapMode(QPlainTextEdit::NoWrap);
    view.resize(400, 300);
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("line %1\n").arg(i, 3, 10, QLatin1Char('0'));
    view.setPlainText(text);
    view.show();
    ASSERT_TRUE(pelkotest::deliverPostedEvents());

    const QRectF one = boundingRectForTextRange(&view, Range{9, 4}); // "line" of line 1
    ASSERT_FALSE(one.isNull());
    const QRectF zeroLine = boundingRectForTextRange(&view, Range{0, 4});
    EXPECT_GT(one.top(), zeroLine.top());
    EXPECT_NEAR(one.width(), zeroLine.width(), 1);
    const QRectF twoLines = boundingRectForTextRange(&view, Range{2, 10});
    EXPECT_GE(twoLines.height(), 2 * zeroLine.height() - 1);

    pelkotest::LogCapture log;
    EXPECT_TRUE(boundingRectForTextRange(&view, Range{text.size() - 2, 10}).isNull());
    EXPECT_TRUE(boundingRectForTextRange(&view, Range{NotFound, 0}).isNull());
    EXPECT_EQ(log.reportCount(), 2);

    // The visible rectangle's range covers whole lines from the top line.
    const Range visible = textRangeForBoundingRect(&view, QRectF(view.viewport()->rect()));
    EXPECT_EQ(visible.location, 0);
    EXPECT_GT(visible.length, 8 * 5);
    EXPECT_EQ(visible.length % 9, 0) << "whole lines with their breaks";
    const QRectF lineRect = boundingRectForTextRange(&view, Range{18, 8});
    const Range line2 = textRangeForBoundingRect(&view, lineRect.adjusted(1, 1, -1, -1));
    EXPECT_EQ(line2.location, 18);
    EXPECT_EQ(line2.length, 9);
    EXPECT_EQ(textRangeForBoundingRect(&view, QRectF(-50, -50, 10, 10)).location, NotFound);

    setWrapSetting(&view, true);
    EXPECT_EQ(view.lineWrapMode(), QPlainTextEdit::WidgetWidth);
    setWrapSetting(&view, false);
    EXPECT_EQ(view.lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST(TextViewHelpers, ParagraphStyleCopiesAndLineBreakModes)
{
    MutableParagraphStyle style;
    style.setLineBreakMode2(LineBreakMode::ByCharWrapping);
    MutableParagraphStyle copy = style.copy2();
    style.setLineBreakMode2(LineBreakMode::ByTruncatingMiddle);
    EXPECT_EQ(copy.lineBreakMode(), LineBreakMode::ByCharWrapping);
    EXPECT_EQ(copy.textOption().wrapMode(), QTextOption::WrapAnywhere);
    EXPECT_EQ(style.textOption().wrapMode(), QTextOption::NoWrap);
    EXPECT_EQ(style.elideMode(), Qt::ElideMiddle);
}
