// The in-line compare of a block's two texts.
#include "compare/InlineCompare.h"

#include <QString>
#include <gtest/gtest.h>
#include <limits>
#include <sys/resource.h>

namespace {

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

QString pick(const QString &s, const std::vector<Range> &runs)
{
    QString out;
    for (const Range &r : runs)
        out += s.mid(r.location, r.length) + u'|';
    return out;
}

} // namespace

TEST(InlineCompare, ChangedCharactersOfBothSides)
{
    struct Row
    {
        QString a, b, changedA, changedB;
    };
    const Row rows[] = {
        {"int x = 1;", "int y = 1;", "x|", "y|"},
        {"abc", "abXc", "", "X|"},
        {"hello world", "hello", " world|", ""},
        {"same", "same", "", ""},
        {"", "new", "", "new|"},
        {"kitten", "sitting", "k|e|", "s|i|g|"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.a.toStdString() + " / " + row.b.toStdString());
        const InlineDiff d = CompareCharacters(row.a, row.b);
        EXPECT_TRUE(d.exact);
        EXPECT_EQ(pick(row.a, d.changed1), row.changedA);
        EXPECT_EQ(pick(row.b, d.changed2), row.changedB);
    }
}

TEST(InlineCompare, WordsAreComparedWhole)
{
    const QString a = QStringLiteral("call foo(bar, 1)");
    const QString b = QStringLiteral("call food(bar, 2)");
    const InlineDiff d = CompareWords(a, b);
    EXPECT_EQ(pick(a, d.changed1), QStringLiteral("foo|1|"));
    EXPECT_EQ(pick(b, d.changed2), QStringLiteral("food|2|"));
}

TEST(InlineCompare, CostLimitGivesTheWholeMiddleAsChanged)
{
    const QString a = QStringLiteral("<<abcdefgh>>");
    const QString b = QStringLiteral("<<12345678>>");
    const InlineDiff d = CompareCharacters(a, b, 3);
    EXPECT_FALSE(d.exact);
    ASSERT_EQ(d.changed1.size(), 1u);
    EXPECT_EQ(d.changed1[0], (Range{2, 8}));
    EXPECT_EQ(d.changed2[0], (Range{2, 8}));
}

TEST(InlineCompare, EditScriptIsMinimalOnRandomTexts)
{
    // The number of changed characters on both sides is the edit distance (insert/delete only),
    // checked against a plain dynamic programme.
    std::srand(7);
    for (int round = 0; round < 200; ++round) {
        QString a, b;
        for (int i = std::rand() % 20; i > 0; --i)
            a += QChar(u'a' + std::rand() % 3);
        for (int i = std::rand() % 20; i > 0; --i)
            b += QChar(u'a' + std::rand() % 3);
        std::vector<std::vector<int>> dp(a.size() + 1, std::vector<int>(b.size() + 1));
        for (qsizetype i = 0; i <= a.size(); ++i)
            for (qsizetype j = 0; j <= b.size(); ++j)
                dp[i][j] = i == 0                 ? int(j)
                           : j == 0               ? int(i)
                           : a[i - 1] == b[j - 1] ? dp[i - 1][j - 1]
                                                  : 1 + std::min(dp[i - 1][j], dp[i][j - 1]);
        const InlineDiff d = CompareCharacters(a, b);
        qint64 changed = 0;
        for (const Range &r : d.changed1)
            changed += r.length;
        for (const Range &r : d.changed2)
            changed += r.length;
        ASSERT_EQ(changed, dp[a.size()][b.size()]) << a.toStdString() << " / " << b.toStdString();
        // What is left unchanged must be the same text on both sides.
        auto keep = [](const QString &s, const std::vector<Range> &runs) {
            QString out = s;
            for (auto it = runs.rbegin(); it != runs.rend(); ++it)
                out.remove(it->location, it->length);
            return out;
        };
        ASSERT_EQ(keep(a, d.changed1), keep(b, d.changed2));
    }
}

TEST(InlineCompare, LongLinesCostNoTableOfTheirLength)
{
    // Two lines of two million characters, one change in the middle: exact, at its place.
    QString a(2'000'000, u'a');
    for (qsizetype i = 0; i < a.size(); i += 7)
        a[i] = u'q';
    QString b = a;
    a[1'234'567] = u'X';
    b.insert(1'234'567, QStringLiteral("YZ"));
    b.remove(1'234'569, 1);
    InlineDiff d = CompareCharacters(a, b);
    EXPECT_TRUE(d.exact);
    ASSERT_EQ(d.changed1.size(), 1u);
    ASSERT_EQ(d.changed2.size(), 1u);
    EXPECT_EQ(d.changed1[0].location, 1'234'567);
    EXPECT_EQ(pick(a, d.changed1), QStringLiteral("X|"));
    EXPECT_EQ(pick(b, d.changed2), QStringLiteral("YZ|"));

    // Changes at both ends of lines of tens of millions of characters: found exactly, along the
    // equal characters between them.
    QString c(41'000'000, u'c');
    QString e = c;
    c[0] = u'1';
    c[c.size() - 1] = u'2';
    d = CompareCharacters(c, e);
    EXPECT_TRUE(d.exact);
    EXPECT_EQ(d.changed1, (std::vector<Range>{{0, 1}, {c.size() - 1, 1}}));
    EXPECT_EQ(pick(e, d.changed2).remove(u'|'), QStringLiteral("cc"));

    // Two long lines with nothing in common: the whole middle, at once.
    QString f(3'000'000, u'f');
    QString g(3'000'000, u'g');
    // Whatever cost is allowed, the search stays within its own bounds.
    for (qint64 maxCost : {kInlineCompareMaxCost, std::numeric_limits<qint64>::max()}) {
        d = CompareCharacters(f, g, maxCost);
        EXPECT_FALSE(d.exact);
        EXPECT_EQ(d.changed1, (std::vector<Range>{{0, f.size()}}));
        EXPECT_EQ(d.changed2, (std::vector<Range>{{0, g.size()}}));
    }
}

TEST(InlineCompare, MemoryIsBoundedWhateverTheLengthOfTheLines)
{
    // A line of 5 million characters against the same line grown to 50 million, and two lines
    // of 50 million with edits spread over most of their length: the search reads the texts
    // where they are, so its memory does not grow with them.
    QString base(5'000'000, u'a');
    for (qsizetype i = 0; i < base.size(); i += 7)
        base[i] = QChar(char16_t(u'a' + (i / 7) % 26));
    QString grown = base;
    while (grown.size() < 50'000'000)
        grown += base;
    QString edited = grown;
    const std::vector<qsizetype> places{2'000'000, 17'000'000, 41'000'000};
    for (qsizetype at : places)
        edited[at] = u'#';
    const auto changedPlaces = [](const std::vector<Range> &runs) {
        std::vector<qsizetype> out;
        for (const Range &r : runs)
            for (qint64 i = 0; i < r.length; ++i)
                out.push_back(r.location + i);
        return out;
    };
    double before = peakResidentMegabytes();
    InlineDiff d = CompareCharacters(base, grown);
    EXPECT_LT(peakResidentMegabytes() - before, 100.0);
    EXPECT_TRUE(d.exact);
    EXPECT_TRUE(d.changed1.empty());
    EXPECT_EQ(d.changed2, (std::vector<Range>{{base.size(), grown.size() - base.size()}}));

    before = peakResidentMegabytes();
    d = CompareCharacters(grown, edited);
    EXPECT_LT(peakResidentMegabytes() - before, 100.0);
    EXPECT_TRUE(d.exact);
    // One character out and one in at each place (an equal neighbour may stand for it).
    for (const auto &changed : {changedPlaces(d.changed1), changedPlaces(d.changed2)}) {
        ASSERT_EQ(changed.size(), places.size());
        for (size_t i = 0; i < places.size(); ++i)
            EXPECT_LE(std::abs(changed[i] - places[i]), 7);
    }
}
