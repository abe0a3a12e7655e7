// The text window's line compare on its own: one compare at a time, and taking blocks.
#include "textcompare/BlockCompare.h"

#include "support/TestEnvironment.h"

#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>

namespace {

// Starts a compare of the texts and waits for its blocks.
void compare(BlockCompare &c, const QString &a, const QString &b)
{
    bool done = false;
    c.start(a, b, LineCompareOptions{}, [&] { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 20000));
    ASSERT_FALSE(c.failed()) << c.error().toStdString();
}

} // namespace

// Taking every block from one side, last block first so that the earlier ones stay where they
// are, makes the other text that side's text, whatever line ends the texts end with.
TEST(BlockCompare, TakingEveryBlockMakesTheTextsEqual)
{
    struct Row
    {
        const char *name;
        const char *left, *right;
    };
    const Row rows[] = {
        {"one changed line", "a\nb\nc\n", "a\nB\nc\n"},
        {"lines added and removed", "a\nb\nc\nd\n", "a\nx\ny\nc\nd\ne\n"},
        {"no final line end on the left", "a\nb", "a\nc\nd\n"},
        {"no final line end on either side", "a\nb", "a\nc"},
        {"lines added after a last line without line end", "a", "a\nb\nc\n"},
        {"an empty side", "", "a\nb\n"},
        {"only line ends differ at the end", "a\nb\n", "a\nb"},
    };
    for (const Row &row : rows) {
        for (int from : {1, 2}) {
            SCOPED_TRACE(std::string(row.name) +
                         (from == 1 ? ", left to right" : ", right to left"));
            BlockCompare c;
            compare(c, QString::fromUtf8(row.left), QString::fromUtf8(row.right));
            ASSERT_FALSE(c.blocks().empty());
            QString to = c.text(3 - from);
            for (auto it = c.blocks().rbegin(); it != c.blocks().rend(); ++it) {
                const auto [range, text] = c.takeEdit(*it, from);
                to.replace(range.location, range.length, text);
            }
            EXPECT_EQ(to, c.text(from));
            compare(c, from == 1 ? c.text(1) : to, from == 1 ? to : c.text(2));
            EXPECT_TRUE(c.blocks().empty());
        }
    }
}

TEST(BlockCompare, ANewStartDropsTheCompareRunning)
{
    BlockCompare c;
    QString big;
    for (int i = 0; i < 20000; ++i)
        big += QStringLiteral("line %1\n").arg(i);
    bool firstApplied = false, secondApplied = false;
    c.start(big, big + QStringLiteral("more\n"), LineCompareOptions{},
            [&] { firstApplied = true; });
    ASSERT_TRUE(c.isRunning());
    c.markOutOfDate();
    c.start(QStringLiteral("a\n"), QStringLiteral("b\n"), LineCompareOptions{},
            [&] { secondApplied = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return secondApplied; }, 20000));
    EXPECT_FALSE(c.isRunning());
    EXPECT_FALSE(c.isOutOfDate());
    EXPECT_EQ(c.blocks().size(), 1u);
    EXPECT_EQ(c.lineCount(1), 1);
    // The first compare's result never comes, not even late: every worker is done and what it
    // sent has arrived.
    QThreadPool::globalInstance()->waitForDone();
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_FALSE(firstApplied);
    EXPECT_EQ(c.text(1), QStringLiteral("a\n"));
    c.cancel();
    EXPECT_FALSE(c.isRunning());
}
