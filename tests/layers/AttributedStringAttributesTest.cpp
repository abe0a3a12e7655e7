// Font and colour runs of rich text: queries with their ranges, edits that change one trait run
// by run, the answers at and past the end, and the typing attributes of both kinds of text view.
#include "foundation/PelkoNSFont.h"
#include "layers/AttributedStringAttributes.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

const QString kSans = QStringLiteral("DejaVu Sans");

QFont sans(double size)
{
    QFont font(kSans);
    font.setPointSizeF(size);
    return font;
}

// Each piece of text appended with its own character format (none for a plain run).
void append(QTextDocument &doc, const QString &text, const std::optional<QFont> &font = {},
            const std::optional<QColor> &color = {})
{
    QTextCursor cursor(&doc);
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    if (font)
        format.setFont(*font, QTextCharFormat::FontPropertiesAll);
    if (color)
        format.setForeground(*color);
    cursor.insertText(text, format);
}

QFont fontAt(const QTextDocument &doc, qint64 index)
{
    return fontAtIndex(&doc, index, nullptr);
}

bool needsDejaVu()
{
    return QFontDatabase::hasFamily(kSans) && QFontDatabase::styles(kSans).contains("Bold");
}

} // namespace

TEST(AttributedStringAttributes, QueriesAnswerTheRunAndHowFarItsValueReaches)
{
    if (!needsDejaVu())
        GTEST_SKIP() << "DejaVu Sans is not installed";
    QTextDocument doc;
    append(doc, "a", sans(12));
    append(doc, "b", sans(14));
    Range range;
    EXPECT_EQ(fontNameAtIndex(&doc, 0, &range, Range{0, 2}), kSans);
    EXPECT_EQ(range, (Range{0, 2}));
    EXPECT_EQ(fontSizeAtIndex(&doc, 0, &range, Range{0, 2}), 12);
    EXPECT_EQ(range, (Range{0, 1}));
    EXPECT_EQ(fontSizeAtIndex(&doc, 1, &range), 14);
    EXPECT_EQ(range, (Range{1, 1}));
    // The limit cuts the range.
    EXPECT_EQ(fontNameAtIndex(&doc, 0, &range, Range{0, 1}), kSans);
    EXPECT_EQ(range, (Range{0, 1}));

    // Bold and italic come through the name.
    QTextDocument styled;
    append(styled, "xx", sans(12));
    QFont boldItalic = sans(12);
    boldItalic.setBold(true);
    boldItalic.setItalic(true);
    append(styled, "yy", boldItalic);
    EXPECT_FALSE(boldAtIndex(&styled, 0, &range));
    EXPECT_EQ(range, (Range{0, 2}));
    EXPECT_TRUE(boldAtIndex(&styled, 2, &range));
    EXPECT_TRUE(italicAtIndex(&styled, 3, &range));
    EXPECT_EQ(range, (Range{2, 2}));
    EXPECT_EQ(fontNameAtIndex(&styled, 2, &range), kSans + "-Bold Oblique");
    EXPECT_EQ(installedFont(fontNameAtIndex(&styled, 2, nullptr), 12).has_value(), true);
    EXPECT_TRUE(bold(*installedFont(kSans + "-Bold Oblique", 12)));
}

TEST(AttributedStringAttributes, ColoursAndUnattributedRuns)
{
    QTextDocument doc;
    append(doc, "plain");
    append(doc, "red", {}, QColor(255, 0, 0));
    append(doc, "blue", {}, QColor(0, 0, 255, 128));
    Range range;
    EXPECT_EQ(colorAtIndex(&doc, 2, &range), 255u);
    EXPECT_EQ(range, (Range{0, 5}));
    EXPECT_EQ(colorAtIndex(&doc, 6, &range), 0xFF0000FFu);
    EXPECT_EQ(range, (Range{5, 3}));
    EXPECT_EQ(colorAtIndex(&doc, 8, &range), 0x0000FF80u);
    EXPECT_EQ(range, (Range{8, 4}));
    // Runs without a font read as the default font.
    EXPECT_EQ(fontAt(doc, 0), defaultFont());
}

TEST(AttributedStringAttributes, AParagraphSeparatorReadsAsTheCharacterBeforeIt)
{
    QTextDocument doc;
    append(doc, "ab", {}, QColor(255, 0, 0));
    QTextCursor cursor(&doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock();
    append(doc, "cd", {}, QColor(255, 0, 0));
    Range range;
    EXPECT_EQ(colorAtIndex(&doc, 2, &range), 0xFF0000FFu);
    EXPECT_EQ(range, (Range{0, 5}));
}

TEST(AttributedStringAttributes, QueriesAtOrPastTheEndAnswerTheDefault)
{
    QTextDocument empty;
    QTextDocument doc;
    append(doc, "ab", sans(20), QColor(255, 0, 0));
    struct Row
    {
        const char *name;
        const QTextDocument *doc;
        qint64 index;
    };
    const Row rows[] = {
        {"empty text", &empty, 0}, {"at the end", &doc, 2}, {"past the end", &doc, 99},
        {"negative", &doc, -1},    {"no text", nullptr, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Range range{7, 7};
        EXPECT_EQ(colorAtIndex(row.doc, row.index, &range), 255u);
        EXPECT_EQ(range.length, 0);
        EXPECT_EQ(fontAtIndex(row.doc, row.index, &range), defaultFont());
        EXPECT_EQ(range.length, 0);
        EXPECT_EQ(fontNameAtIndex(row.doc, row.index, &range), fontName(defaultFont()));
        EXPECT_EQ(fontSizeAtIndex(row.doc, row.index, &range, Range{0, 99}), 12);
        EXPECT_EQ(range.length, 0);
        EXPECT_FALSE(boldAtIndex(row.doc, row.index, &range));
        EXPECT_FALSE(italicAtIndex(row.doc, row.index, &range, Range{0, 1}));
        EXPECT_EQ(range.length, 0);
    }
    // An index outside the limit answers the default as well.
    Range range;
    EXPECT_EQ(fontSizeAtIndex(&doc, 1, &range, Range{0, 1}), 12);
}

TEST(AttributedStringAttributes, TraitEditsChangeOnlyTheRunsThatDiffer)
{
    if (!needsDejaVu())
        GTEST_SKIP() << "DejaVu Sans is not installed";
    QTextDocument doc;
    append(doc, "aa", sans(12), QColor(0, 128, 0));
    QFont boldBig = sans(20);
    boldBig.setBold(true);
    append(doc, "BB", boldBig);
    append(doc, "cc", sans(16));
    addBold(&doc, true, Range{0, 6});
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(bold(fontAt(doc, i))) << i;
    EXPECT_EQ(fontAt(doc, 0).pointSizeF(), 12);
    EXPECT_EQ(fontAt(doc, 2), boldBig);
    EXPECT_EQ(fontAt(doc, 4).pointSizeF(), 16);
    // Colours are kept.
    EXPECT_EQ(colorAtIndex(&doc, 1, nullptr), 0x008000FFu);

    addItalic(&doc, true, Range{1, 2});
    EXPECT_FALSE(italic(fontAt(doc, 0)));
    EXPECT_TRUE(italic(fontAt(doc, 1)));
    EXPECT_TRUE(italic(fontAt(doc, 2)));
    EXPECT_FALSE(italic(fontAt(doc, 3)));
    EXPECT_TRUE(bold(fontAt(doc, 2)));

    addFontName(&doc, QStringLiteral("DejaVu Serif"), Range{4, 100});
    EXPECT_EQ(fontAt(doc, 4).family(), "DejaVu Serif");
    EXPECT_EQ(fontAt(doc, 5).pointSizeF(), 16);
    EXPECT_EQ(fontAt(doc, 3).family(), kSans);
}

TEST(AttributedStringAttributes, EditsThatCannotApplyChangeNothing)
{
    QTextDocument doc;
    append(doc, "abc", sans(12));
    append(doc, "def", sans(14));
    const QString before = doc.toHtml();
    addFontName(&doc, QStringLiteral("No Such Font 29"), Range{0, 6});
    for (double size : {0.0, -3.0, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity()})
        addFontSize(&doc, size, Range{0, 6});
    addFontSize(&doc, 18, Range{10, 5});
    EXPECT_EQ(doc.toHtml(), before);

    // A range past the end is cut to the text.
    addFontSize(&doc, 18, Range{4, 1000});
    EXPECT_EQ(fontAt(doc, 3).pointSizeF(), 14);
    EXPECT_EQ(fontAt(doc, 4).pointSizeF(), 18);
    EXPECT_EQ(fontAt(doc, 5).pointSizeF(), 18);
    EXPECT_EQ(doc.toPlainText(), "abcdef");

    // A family without a bold face keeps its font; the other runs turn bold.
    QString noBold;
    for (const QString &family : QFontDatabase::families()) {
        if (!fontWithFontBold(QFont(family), true) && QFontInfo(QFont(family)).family() == family) {
            noBold = family;
            break;
        }
    }
    if (noBold.isEmpty())
        GTEST_SKIP() << "every installed family has a bold face";
    QTextDocument mixed;
    QFont plainOnly(noBold);
    plainOnly.setPointSizeF(12);
    append(mixed, "xx", plainOnly);
    append(mixed, "yy", sans(12));
    addBold(&mixed, true, Range{0, 4});
    EXPECT_EQ(fontAt(mixed, 0), plainOnly);
    EXPECT_TRUE(bold(fontAt(mixed, 3)));
}

TEST(AttributedStringAttributes, TypingAttributesOfBothViewKinds)
{
    if (!needsDejaVu())
        GTEST_SKIP() << "DejaVu Sans is not installed";
    QTextEdit rich;
    QPlainTextEdit plain;
    for (QTextDocument *doc : {rich.document(), plain.document()}) {
        append(*doc, "ab", sans(12));
        QFont last = sans(20);
        last.setBold(true);
        append(*doc, "c", last);
    }
    // The caret at the end takes the font of the last character.
    QTextCursor richCursor = rich.textCursor();
    richCursor.movePosition(QTextCursor::End);
    rich.setTextCursor(richCursor);
    QTextCursor plainCursor = plain.textCursor();
    plainCursor.movePosition(QTextCursor::End);
    plain.setTextCursor(plainCursor);

    ChangeTextViewTypeSetting_Fontsize(&rich, 30);
    ChangeTextViewTypeSetting_Fontsize(&plain, 30);
    for (const QTextCharFormat &format : {rich.currentCharFormat(), plain.currentCharFormat()}) {
        EXPECT_EQ(format.font().pointSizeF(), 30);
        EXPECT_TRUE(bold(format.font()));
        EXPECT_FALSE(format.hasProperty(QTextFormat::ForegroundBrush));
    }

    ChangeTextViewTypeSetting_Fontname(&rich, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(rich.currentCharFormat().font().family(), "DejaVu Serif");
    EXPECT_EQ(rich.currentCharFormat().font().pointSizeF(), 20);
    ChangeTextViewTypeSetting_Fontname(&rich, QStringLiteral("No Such Font 29"));
    EXPECT_EQ(rich.currentCharFormat().font().family(), "DejaVu Serif");

    struct Row
    {
        quint64 word;
        bool changes;
    };
    for (const Row &row : {Row{0, false}, Row{0x100000000ull, false}, Row{0x1FF0000FFull, false},
                           Row{0xFF0000FFull, true}}) {
        SCOPED_TRACE(row.word);
        plain.setCurrentCharFormat(QTextCharFormat());
        ChangeTextViewTypeSetting_Fontcolor(&plain, row.word);
        const QTextCharFormat format = plain.currentCharFormat();
        EXPECT_EQ(format.hasProperty(QTextFormat::ForegroundBrush), row.changes);
        if (row.changes) {
            EXPECT_EQ(format.foreground().color(), QColor(255, 0, 0, 255));
            EXPECT_FALSE(format.hasProperty(QTextFormat::FontPointSize));
        }
    }

    // An empty text has no font to start from.
    QTextEdit empty;
    const QTextCharFormat before = empty.currentCharFormat();
    ChangeTextViewTypeSetting_Fontsize(&empty, 30);
    EXPECT_EQ(empty.currentCharFormat(), before);
    ChangeTextViewTypeSetting_Fontsize(static_cast<QTextEdit *>(nullptr), 30);
}
