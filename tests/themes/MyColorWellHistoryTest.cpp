// The colour wells' shared palette and the history of recent colours with its stored form.
#include <gtest/gtest.h>

#include "platform/UserDefaults.h"
#include "themes/MyColorWellHistory.h"

using platform::Color;

namespace {

QString key(int i)
{
    return QStringLiteral("MyColorWellHistory%1").arg(i);
}

void clearStoredHistory()
{
    auto &defaults = platform::UserDefaults::standard();
    for (int i = 0; i < 40; ++i)
        defaults.removeObjectForKey(key(i));
}

quint64 word(const Color &c)
{
    return GetHexColor_ForMyColorWell(c);
}

QList<quint64> words(const MyColorWellHistory &h)
{
    QList<quint64> out;
    for (const Color &c : h.colorArray())
        out << word(c);
    return out;
}

} // namespace

TEST(MyColorWellPalette, CellsOfTheCubeRampAndHistoryRow)
{
    struct Row
    {
        int column, row;
        quint64 expected;
    };
    // (13, 4): red step 2, green 13 % 6 = 1, blue 13 / 6 = 2.
    const Row rows[] = {{13, 4, 0x663366FF}, {35, 7, 0xFFFFFFFF}, {0, 2, 0x000000FF},
                        {7, 1, 0x333333FF},  {0, 1, 0x000000FF},  {35, 1, 0xFFFFFFFF}};
    for (const Row &r : rows)
        EXPECT_EQ(word(MyColorWellColorAt(r.column, r.row)), r.expected)
            << r.column << "," << r.row;
    // Outside the grid the answer is white, never "no colour".
    EXPECT_EQ(word(MyColorWellColorAt(40, 9)), 0xFFFFFFFFu);
    const Color cube = MyColorWellColorAt(13, 4);
    EXPECT_DOUBLE_EQ(cube.redComponent(), 0.4);
    EXPECT_DOUBLE_EQ(cube.greenComponent(), 0.2);
    EXPECT_DOUBLE_EQ(cube.blueComponent(), 0.4);

    auto *history = gMyColorWellHistory();
    const auto saved = history->colorArray();
    history->setColorArray({Color::red(), Color::green(), Color()});
    EXPECT_EQ(word(MyColorWellColorAt(0, 0)), 0xFF0000FFu);
    EXPECT_EQ(word(MyColorWellColorAt(1, 0)), word(Color::green()));
    EXPECT_FALSE(MyColorWellColorAt(2, 0).isValid()) << "an entry that is not a colour";
    EXPECT_EQ(word(MyColorWellColorAt(3, 0)), 0xFFFFFFFFu) << "beyond the history: white";
    history->setColorArray(saved);
}

TEST(MyColorWellPalette, ColourWordTruncatesAndRejectsWhatDoesNotConvert)
{
    EXPECT_EQ(GetHexColor_ForMyColorWell(Color()), 0xFFFFFFFFu);
    EXPECT_EQ(GetHexColor_ForMyColorWell(Color::pattern()), 0xFFFFFFFFu);
    EXPECT_EQ(GetHexColor_ForMyColorWell(Color::calibratedRGB(0.999, 0.5, 1.5, -1)), 0xFE7FFF00u);
    EXPECT_EQ(GetHexColor_ForMyColorWell(Color::calibratedWhite(0.2, 1)), 0x333333FFu);
    EXPECT_FALSE(ColorFromHexColor_ForMyColorWell(0x100000000ull).isValid());
    EXPECT_EQ(word(ColorFromHexColor_ForMyColorWell(0x12345678)), 0x12345678u);
}

TEST(MyColorWellHistory, AddingKeepsPinnedEntriesAndRejectsNearDuplicates)
{
    clearStoredHistory();
    MyColorWellHistory history;
    ASSERT_EQ(history.colorArray().size(), 8) << "the eight default colours";
    const auto defaults = words(history);
    EXPECT_EQ(defaults.first(), word(Color::red()));
    EXPECT_EQ(defaults.last(), word(Color::purple()));

    // Rejected: white, near-black, anything within 0.13 of an entry, no colour.
    history.addColor(Color::white());
    history.addColor(Color::calibratedRGB(0.02, 0.02, 0.02));
    history.addColor(Color::calibratedRGB(0.95, 0.03, 0.03));
    history.addColor(Color());
    EXPECT_EQ(words(history), defaults);

    // With six or more entries a new colour lands at index 6, between orange and purple.
    const Color teal = Color::calibratedRGB(0.0, 0.5, 0.5);
    history.addColor(teal);
    ASSERT_EQ(history.colorArray().size(), 9);
    EXPECT_EQ(word(history.colorArray()[5]), word(Color::magenta()));
    EXPECT_EQ(word(history.colorArray()[6]), word(teal));
    EXPECT_EQ(word(history.colorArray()[7]), word(Color::orange()));
    EXPECT_EQ(word(history.colorArray()[8]), word(Color::purple()));

    // Fewer than six: the newest goes first.
    history.setColorArray({Color::red(), Color::blue()});
    history.addColor(teal);
    EXPECT_EQ(word(history.colorArray()[0]), word(teal));

    // An entry that is not a colour is dropped by the next addition.
    history.setColorArray({Color::red(), Color(), Color::blue()});
    history.addColor(teal);
    EXPECT_EQ(history.colorArray().size(), 3);
    for (const Color &c : history.colorArray())
        EXPECT_TRUE(c.isValid());

    // A full history pushes its last entry out.
    QList<Color> full;
    for (int i = 0; i < MyColorWellHistory::kMaxCount; ++i)
        full << Color::calibratedRGB((i % 6) / 5.0, ((i / 6) % 6) / 5.0, 0.5, 1.0);
    history.setColorArray(full);
    const Color fresh = Color::calibratedRGB(0.33, 0.9, 0.12);
    history.addColor(fresh);
    ASSERT_EQ(history.colorArray().size(), MyColorWellHistory::kMaxCount);
    EXPECT_EQ(word(history.colorArray()[6]), word(fresh));
    EXPECT_EQ(word(history.colorArray().last()), word(full[34]));
}

TEST(MyColorWellHistory, StoredFormRoundTripsAndDropsStaleKeys)
{
    auto &defaults = platform::UserDefaults::standard();
    struct Case
    {
        const char *name;
        QStringList stored;
        QList<quint64> loaded; // empty: the eight defaults
    };
    const Case cases[] = {
        {"red then zero",
         {QString::number(0xFF0000FFull), "0", QString::number(0x00FF00FFull)},
         {0xFF0000FF}},
        {"not a number ends it", {QString::number(0x112233FFull), "blue", "1234"}, {0x112233FF}},
        {"too large ends it", {QString::number(0x100000000ull)}, {}},
        {"negative ends it", {"-5"}, {}},
        {"empty string ends it", {"", QString::number(0x445566FFull)}, {}},
    };
    for (const Case &c : cases) {
        clearStoredHistory();
        for (int i = 0; i < c.stored.size(); ++i)
            defaults.setString(c.stored[i], key(i));
        MyColorWellHistory history;
        if (c.loaded.isEmpty())
            EXPECT_EQ(history.colorArray().size(), 8) << c.name;
        else
            EXPECT_EQ(words(history), c.loaded) << c.name;
    }

    // A longer history from an earlier run must not come back behind a shorter one, also when
    // a transparent black entry ends the writing.
    clearStoredHistory();
    for (int i = 0; i < 12; ++i)
        defaults.setString(QString::number(0x10203000ull + quint64(i) + 1), key(i));
    {
        MyColorWellHistory history;
        history.setColorArray({Color::red(), Color::calibratedRGB(0, 0, 0, 0), Color::blue()});
        history.applicationWillTerminate();
    }
    EXPECT_EQ(defaults.stringForKey(key(0)), QString::number(0xFF0000FFull));
    EXPECT_EQ(defaults.stringForKey(key(1)), QStringLiteral("0"));
    for (int i = 2; i < 36; ++i)
        EXPECT_FALSE(defaults.hasKey(key(i))) << i;
    defaults.reload();
    MyColorWellHistory reread;
    EXPECT_EQ(words(reread), QList<quint64>{0xFF0000FF});

    // A full round trip keeps order and values.
    MyColorWellHistory writer;
    writer.setColorArray({Color::calibratedRGB(0.2, 0.4, 0.6, 0.8), Color::orange()});
    writer.applicationWillTerminate();
    MyColorWellHistory reader;
    EXPECT_EQ(words(reader), words(writer));
    clearStoredHistory();
}
