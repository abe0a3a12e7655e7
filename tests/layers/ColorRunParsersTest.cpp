#include "layers/ColorRunParsers.h"

#include <QRandomGenerator>
#include <QSet>
#include <gtest/gtest.h>

using namespace colorruns;

namespace {

// A run as text and colour, so a row reads like the text it describes.
struct Run
{
    QString text;
    quint64 color;
    bool operator==(const Run &) const = default;
};

void PrintTo(const Run &run, std::ostream *os)
{
    *os << '"' << run.text.toStdString() << "\":" << std::hex << run.color;
}

using Parser = void (*)(QStringView, QList<TEXT_BLOCK> *);

std::vector<Run> runs(Parser parse, const QString &text)
{
    QList<TEXT_BLOCK> blocks{TEXT_BLOCK()}; // emptied by the parser
    parse(text, &blocks);
    std::vector<Run> result;
    for (const TEXT_BLOCK &b : blocks)
        result.push_back({text.mid(qsizetype(b.pos), qsizetype(b.len)), b.color});
    return result;
}

struct Case
{
    const char *name;
    Parser parse;
    QString text;
    std::vector<Run> expected;
};

TEST(ColorRunParsersTest, RunsOfKnownTexts)
{
    const Case cases[] = {
        {"slash between words", Parse_Color_C, "a/b", {{"a", kPlain}, {"b", kPlain}}},
        {"keyword before bracket",
         Parse_Color_C,
         "if(x)",
         {{"if", kKeyword}, {"(", kPlain}, {"x", kPlain}, {")", kPlain}}},
        {"function, one space",
         Parse_Color_C,
         "foo (x)",
         {{"foo", kFunction}, {" (", kPlain}, {"x", kPlain}, {")", kPlain}}},
        {"not a function, two spaces",
         Parse_Color_C,
         "foo  (x)",
         {{"foo", kPlain}, {"  (", kPlain}, {"x", kPlain}, {")", kPlain}}},
        {"words hold minus and point", Parse_Color_C, "x-1.5e3", {{"x-1.5e3", kPlain}}},
        {"number", Parse_Color_C, "-1.5 ", {{"-1.5", kNumber}, {" ", kPlain}}},
        {"message head",
         Parse_Color_C,
         "[obj doIt:arg]",
         {{"[obj doIt:", kFunction}, {"arg", kPlain}, {"]", kPlain}}},
        {"escaped quote",
         Parse_Color_C,
         R"(s = "a\"b"; t)",
         {{"s", kPlain}, {" = ", kPlain}, {R"("a\"b")", kQuoted}, {"; ", kPlain}, {"t", kPlain}}},
        {"apostrophe quotes", Parse_Color_C, "'x'", {{"'x'", kQuoted}}},
        {"unclosed comment",
         Parse_Color_C,
         "a /* b\nc",
         {{"a", kPlain}, {" ", kPlain}, {"/* b\nc", kComment}}},
        {"slash star slash does not close",
         Parse_Color_C,
         "/*/ x */y",
         {{"/*/ x */", kComment}, {"y", kPlain}}},
        {"line comment skips its break",
         Parse_Color_C,
         "// c\nint",
         {{"// c", kComment}, {"int", kKeyword}}},
        {"preprocessor",
         Parse_Color_C,
         "#include <a>",
         {{"#include", kPreprocessor}, {" <", kPlain}, {"a", kPlain}, {">", kPlain}}},
        {"unclosed quote at end", Parse_Color_C, "\"abc\\", {{"\"abc\\", kQuoted}}},
        {"NUL ends the scan",
         Parse_Color_C,
         QStringLiteral("int a") + QChar(0) + "int b",
         {{"int", kKeyword}, {" ", kPlain}, {"a", kPlain}}},
        {"accented letters are plain",
         Parse_Color_C,
         QStringLiteral("caf\u00e9 x"),
         {{"caf", kPlain}, {QStringLiteral("\u00e9 "), kPlain}, {"x", kPlain}}},
        {"anchor element",
         Parse_Color_HTML,
         R"(<a href="x">text</a>)",
         {{"<a ", kTagHead},
          {"href=", kPlain},
          {R"("x")", kQuoted},
          {">text", kPlain},
          {"</a>", kTagHead}}},
        {"entity",
         Parse_Color_HTML,
         "a &amp; b",
         {{"a ", kPlain}, {"&amp", kPreprocessor}, {"; b", kPlain}}},
        {"html comment",
         Parse_Color_HTML,
         "<!-- x -->y",
         {{"<!-- x -->", kComment}, {"y", kPlain}}},
        {"shortest html comment", Parse_Color_HTML, "<!-->z", {{"<!-->", kComment}, {"z", kPlain}}},
        {"apostrophes do not quote in html",
         Parse_Color_HTML,
         "<b c='d'>",
         {{"<b ", kTagHead}, {"c='d'>", kPlain}}},
        {"open tag at end", Parse_Color_HTML, "x<div", {{"x", kPlain}, {"<div", kTagHead}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runs(c.parse, c.text), c.expected);
    }
}

TEST(ColorRunParsersTest, NullListAndEmptyText)
{
    Parse_Color_C(u"int x;", nullptr);
    Parse_Color_HTML(u"<a>", nullptr);
    QList<TEXT_BLOCK> blocks{TEXT_BLOCK()};
    Parse_Color_C(QStringView(), &blocks);
    EXPECT_TRUE(blocks.isEmpty());
    blocks = {TEXT_BLOCK()};
    Parse_Color_HTML(u"", &blocks);
    EXPECT_TRUE(blocks.isEmpty());
}

TEST(ColorRunParsersTest, BlockValues)
{
    const TEXT_BLOCK fresh = TEXT_BLOCK::NewBlock();
    EXPECT_EQ(fresh.color, 0xFFu);
    EXPECT_EQ(fresh.pos, 0u);
    EXPECT_EQ(fresh.len, 0u);
    EXPECT_FALSE(fresh.used);
    TEXT_BLOCK a;
    a.color = 1;
    a.pos = 2;
    a.len = 3;
    a.used = true;
    EXPECT_EQ(TEXT_BLOCK::BlockFromBlock(&a), a);
    EXPECT_FALSE(TEXT_BLOCK::BlockFromBlock(nullptr).has_value());
    TEXT_BLOCK b;
    b.CopyValueFrom(nullptr);
    EXPECT_EQ(b, TEXT_BLOCK());
    b.CopyValueFrom(&a);
    EXPECT_EQ(b, a);
}

// Random text of everything the scanners must survive: every run is non-empty, inside the text,
// after the one before, and in a table colour; no run covers a NUL.
TEST(ColorRunParsersTest, RandomTextGivesOrderedDisjointRuns)
{
    const QSet<quint64> colours = {kComment, kPreprocessor, kQuoted,  kFunction,
                                   kNumber,  kKeyword,      kTagHead, kPlain};
    const char16_t alphabet[] = {u'a',   u'Z',   u'_',   u'0',   u'9',   u'-', u'.', u'/', u'*',
                                 u'#',   u'"',   u'\'',  u'\\',  u'[',   u']', u':', u'(', u' ',
                                 u'\t',  u'\n',  u'\r',  0x2028, u'<',   u'>', u'!', u'&', u';',
                                 0x00E9, 0x0663, 0xFF11, 0xD800, 0xDC00, 0,    u'='};
    QRandomGenerator random(20261207);
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int length = random.bounded(200);
        for (int k = 0; k < length; ++k)
            text += QChar(alphabet[random.bounded(int(std::size(alphabet)))]);
        const qsizetype nul = text.indexOf(QChar(0));
        const qsizetype end = nul < 0 ? text.size() : nul;
        for (Parser parse : {Parse_Color_C, Parse_Color_HTML}) {
            QList<TEXT_BLOCK> blocks;
            parse(text, &blocks);
            quint64 next = 0;
            for (const TEXT_BLOCK &b : blocks) {
                ASSERT_GT(b.len, 0u) << text.toStdString();
                ASSERT_GE(b.pos, next) << text.toStdString();
                ASSERT_LE(b.pos + b.len, quint64(end)) << text.toStdString();
                ASSERT_TRUE(colours.contains(b.color));
                ASSERT_FALSE(b.used);
                next = b.pos + b.len;
            }
        }
    }
}

} // namespace
