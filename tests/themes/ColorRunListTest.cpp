// The run list a pane keeps per block must come out exactly as the straightforward rebuild of the
// whole list made it, for the paint sequences the colourer really makes and for any other.
#include "themes/ColorRunList.h"

#include "support/TestEnvironment.h"
#include "themes/LanguageColorInfo.h"
#include "themes/LanguageColorInfoDelegate.h"
#include "themes/MyLanguageInfo.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <map>

namespace {

// The list rebuilt from scratch for every paint: slow, plainly right.
void rebuildRuns(std::vector<ColorRun> &runs, int from, int to, int colorIndex)
{
    if (to <= from)
        return;
    std::vector<ColorRun> out;
    bool inserted = false;
    auto insertNew = [&] {
        if (!inserted && colorIndex != 0 && colorIndex != -1)
            out.push_back({from, to - from, colorIndex});
        inserted = true;
    };
    for (const ColorRun &r : runs) {
        if (r.end() <= from) {
            out.push_back(r);
            continue;
        }
        if (r.start >= to) {
            insertNew();
            out.push_back(r);
            continue;
        }
        if (r.start < from)
            out.push_back({r.start, from - r.start, r.colorIndex});
        if (r.end() > to) {
            insertNew();
            out.push_back({to, r.end() - to, r.colorIndex});
        }
    }
    insertNew();
    runs.swap(out);
}

std::string describe(const std::vector<ColorRun> &runs)
{
    // Appended piece by piece: GCC 12's optimiser warns of a bound it cannot see through in
    // "[" + std::to_string(...).
    std::string out;
    for (const ColorRun &r : runs) {
        out += '[';
        out += std::to_string(r.start);
        out += '+';
        out += std::to_string(r.length);
        out += ':';
        out += std::to_string(r.colorIndex);
        out += ']';
    }
    return out;
}

// Colours a document with a real language, keeping every block's runs both ways and checking
// them after each paint.
class TwoWayRuns : public LanguageColorInfoDelegate
{
public:
    explicit TwoWayRuns(const QString &text) { mDocument.setPlainText(text); }

    void setTextInRange(Range range, int colorIndex) override { paint(range, colorIndex); }
    void setCommentColorForTextInRange(Range range) override { paint(range, 999); }
    QTextDocument *getMyTextStorage() override { return &mDocument; }
    int paintedColorIndexAt(qint64 position) override
    {
        const QTextBlock block = mDocument.findBlock(int(position));
        const auto it = mFast.find(block.blockNumber());
        if (it == mFast.end())
            return -1;
        const int offset = int(position - block.position());
        for (const ColorRun &r : it->second)
            if (offset >= r.start && offset < r.end())
                return r.colorIndex == 0 ? -1 : r.colorIndex;
        return -1;
    }

    qint64 paints = 0;
    qint64 largestList = 0;

private:
    void paint(Range range, int colorIndex)
    {
        ++paints;
        const qint64 end = MaxRange(range);
        for (QTextBlock b = mDocument.findBlock(int(range.location));
             b.isValid() && b.position() < end; b = b.next()) {
            const int from = int(std::max<qint64>(range.location, b.position()) - b.position());
            const int to = int(std::min<qint64>(end, b.position() + b.length()) - b.position());
            auto &fast = mFast[b.blockNumber()];
            auto &slow = mSlow[b.blockNumber()];
            SetColorRun(fast, from, to, colorIndex);
            rebuildRuns(slow, from, to, colorIndex);
            largestList = std::max<qint64>(largestList, qint64(fast.size()));
            ASSERT_EQ(describe(fast), describe(slow))
                << "block " << b.blockNumber() << " after painting " << from << ".." << to
                << " with " << colorIndex;
        }
    }

    QTextDocument mDocument;
    std::map<int, std::vector<ColorRun>> mFast, mSlow;
};

QString readSource(const QString &relative)
{
    QFile file(pelkotest::sourceDir() + QLatin1Char('/') + relative);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative.toStdString();
    return QString::fromUtf8(file.readAll());
}

// Markup as pages have it: nested tags with attributes, entities, comments, an inline script.
QString generatedPage(int sections)
{
    QString page =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<title>Release notes</title></head>\n<body>\n");
    for (int i = 0; i < sections; ++i)
        page += QStringLiteral(
                    "<section id=\"s%1\" class='note'><h2>Version 2.%1</h2><!-- entry %1 -->\n"
                    "<p>Fixes <a href=\"/issues/%1?x=1&amp;y=2\">%1 faults</a>, it's "
                    "\"faster\" by 0.%1 s.</p><ul><li>one</li><li data-n=%1>two</li></ul>\n"
                    "<script>var s%1 = {\"k\": '%1', n: %1.5}; // counted\n"
                    "if (s%1.n > 2) { log(\"big /* not a comment */\"); }</script></section>\n")
                    .arg(i);
    return page + QStringLiteral("</body></html>\n");
}

// A script as a minifier leaves it, before the lines are joined.
QString generatedScript(int functions)
{
    QString script;
    for (int i = 0; i < functions; ++i)
        script += QStringLiteral("function f%1(a,b){var c=a*%1+b/2.5;if(c>0x1f){return \"pos:\"+c}"
                                 "/* keep */return 'neg'+c.toString(16)}\n"
                                 "var o%1={k:\"v%1\",n:-%1e3,r:/a\\/b/g};// end %1\n")
                      .arg(i);
    return script;
}

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// Code on one line, as a minifier leaves it: its line comments go first, or the first would take
// the rest of the line.
QString minified(QString code)
{
    static const QRegularExpression lineComment(QStringLiteral("//[^\n]*"));
    return oneLine(code.remove(lineComment));
}

} // namespace

TEST(ColorRunList, TheColourerPaintsTheSameRunsAsARebuildOfTheList)
{
    struct Row
    {
        const char *name;
        const char *language;
        QString text;
    };
    const QString cpp =
        readSource(QStringLiteral("tests/textcompare/data/propertylist-newer.cpp.txt"));
    const QString page = generatedPage(60), script = generatedScript(80);
    const Row rows[] = {
        {"C++ file", "Cpp", cpp},         {"C++ file on one line", "Cpp", minified(cpp)},
        {"page", "HTML", page},           {"page on one line", "HTML", oneLine(page)},
        {"script", "JavaScript", script}, {"minified script", "JavaScript", minified(script)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto language = MyLanguageInfo::createFromFile(
            pelkotest::sourceDir() + QStringLiteral("/resources/languages/") +
                QString::fromLatin1(row.language) + QStringLiteral(".esy"),
            false);
        ASSERT_TRUE(language);
        TwoWayRuns runs(row.text);
        LanguageColorInfo info;
        info.setDelegate(&runs);
        info.setLanguage(language);
        // Pass by pass, as the pane asks while it shows the text.
        for (int pass = 0; pass < 1000 && info.parseInRangeIfNeed(Range{0, row.text.size()}) &&
                           !::testing::Test::HasFatalFailure();
             ++pass) {
        }
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        EXPECT_GT(runs.paints, 100);
        if (row.text.count(QLatin1Char('\n')) <= 1) {
            EXPECT_GT(runs.largestList, 100) << "one line holds many runs";
        }
    }
}

TEST(ColorRunList, AnyPaintSequenceGivesTheSameRunsAsARebuildOfTheList)
{
    // Out of order, overlapping, clearing, inside one run and across many.
    QRandomGenerator random(qEnvironmentVariableIsSet("PELKO_SEED")
                                ? quint32(qEnvironmentVariableIntValue("PELKO_SEED"))
                                : 20261208u);
    for (int sequence = 0; sequence < 200; ++sequence) {
        std::vector<ColorRun> fast, slow;
        const int length = 1 + int(random.bounded(400));
        for (int step = 0; step < 60; ++step) {
            const int from = int(random.bounded(length));
            const int to = from + int(random.bounded(random.bounded(4) == 0 ? length : 12));
            const int kinds[] = {0, -1, 1, 3, 996, 998, 999};
            const int kind = kinds[random.bounded(7)];
            SetColorRun(fast, from, to, kind);
            rebuildRuns(slow, from, to, kind);
            ASSERT_EQ(describe(fast), describe(slow))
                << "sequence " << sequence << " step " << step << ": " << from << ".." << to
                << " with " << kind;
        }
    }
}
