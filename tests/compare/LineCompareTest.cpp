// The line compare through GNU diff: blocks of real files, each ignore option, the parser.
#include "support/MergeBlocks.h"
#include "compare/DiffOutputStream.h"
#include "compare/LineCompare.h"
#include "platform/LocalPath.h"
#include "services/SupportFolder.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

using pelkotest::makeBlock;

namespace {

std::string describe(const MergeBlockList &blocks)
{
    // Appended piece by piece: GCC 12's optimiser warns of a bound it cannot see through in
    // "[" + std::to_string(...).
    std::string s;
    for (const auto &b : blocks) {
        s += '[';
        s += std::to_string(b.startLine[1]);
        s += '+';
        s += std::to_string(b.lineCount[1]);
        s += " | ";
        s += std::to_string(b.startLine[2]);
        s += '+';
        s += std::to_string(b.lineCount[2]);
        s += "] ";
    }
    return s;
}

struct Pair
{
    QString left, right;
};

Pair writePair(const QByteArray &a, const QByteArray &b)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("linecompare"));
    Pair p{dir + QStringLiteral("/left.txt"), dir + QStringLiteral("/right.txt")};
    EXPECT_TRUE(pelkotest::writeFile(p.left, a));
    EXPECT_TRUE(pelkotest::writeFile(p.right, b));
    return p;
}

} // namespace

TEST(LineCompare, KnownDifferencesGiveChangeInsertAndDeleteBlocks)
{
    // line 2 changed, a line inserted after line 4, lines 6-7 deleted
    const Pair p = writePair("one\ntwo\nthree\nfour\nfive\nsix\nseven\neight\n",
                             "one\nTWO\nthree\nfour\nnew\nfive\neight\n");
    auto blocks = LineCompare_Files(p.left, p.right, {});
    ASSERT_TRUE(blocks.has_value());
    const MergeBlockList expected{makeBlock(1, 1, 1, 1), makeBlock(4, 0, 4, 1),
                                  makeBlock(5, 2, 6, 0)};
    EXPECT_EQ(*blocks, expected) << describe(*blocks);
}

TEST(LineCompare, EqualFilesAndEmptyFilesGiveNoBlocks)
{
    const Pair same = writePair("a\nb\n", "a\nb\n");
    auto blocks = LineCompare_Files(same.left, same.right, {});
    ASSERT_TRUE(blocks.has_value());
    EXPECT_TRUE(blocks->empty());

    const Pair emptyLeft = writePair("", "x\ny\n");
    blocks = LineCompare_Files(emptyLeft.left, emptyLeft.right, {});
    ASSERT_TRUE(blocks.has_value());
    EXPECT_EQ(*blocks, MergeBlockList{makeBlock(0, 0, 0, 2)}) << describe(*blocks);
}

TEST(LineCompare, BinaryLookingInputIsStillComparedByLines)
{
    const Pair p = writePair(QByteArray("a\0b\nsame\n", 9), QByteArray("a\0c\nsame\n", 9));
    auto blocks = LineCompare_Files(p.left, p.right, {});
    ASSERT_TRUE(blocks.has_value());
    EXPECT_EQ(*blocks, MergeBlockList{makeBlock(0, 1, 0, 1)});
}

TEST(LineCompare, MissingFileIsAFailureNotEquality)
{
    const Pair p = writePair("a\n", "a\n");
    QString error;
    auto blocks = LineCompare_Files(p.left, p.left + QStringLiteral(".missing"), {}, &error);
    EXPECT_FALSE(blocks.has_value());
    EXPECT_FALSE(error.isEmpty());
}

// GNU diff cannot be given such names as arguments: it reads them through descriptors, and a
// missing one is still a failure that names it readably.
TEST(LineCompare, FilesNamedWithoutUtf8AreComparedThemselves)
{
    const Pair p = writePair("", "");
    const QByteArray left = QFile::encodeName(p.left) + "\xe9",
                     right = QFile::encodeName(p.right) + "\xe9";
    for (const auto &[path, bytes] :
         {std::pair{left, QByteArray("one\ntwo\n")}, std::pair{right, QByteArray("one\nTWO\n")}}) {
        QFile f;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_TRUE(f.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    auto blocks = LineCompare_Files(LocalPath_FromBytes(left), LocalPath_FromBytes(right), {});
    ASSERT_TRUE(blocks.has_value());
    EXPECT_EQ(*blocks, MergeBlockList{makeBlock(1, 1, 1, 1)}) << describe(*blocks);
    QString error;
    EXPECT_FALSE(LineCompare_Files(LocalPath_FromBytes(left), LocalPath_FromBytes(right + "\xe9"),
                                   {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("right.txt\\xe9\\xe9"))) << qPrintable(error);
    ::unlink(left.constData());
    ::unlink(right.constData());
}

TEST(LineCompare, EachIgnoreOptionHidesOnlyItsKindOfDifference)
{
    struct Row
    {
        const char *name;
        QByteArray left, right;
        LineCompareOptions options;
    };
    LineCompareOptions icase, tabs, space, allSpace, blank;
    icase.ignoreCase = true;
    tabs.ignoreTabExpansion = true;
    space.ignoreSpaceChange = true;
    allSpace.ignoreAllSpace = true;
    blank.ignoreBlankLines = true;
    const Row rows[] = {
        {"case", "Hello World\nx\n", "hello world\nx\n", icase},
        {"tab expansion", "a\tb\nx\n", "a       b\nx\n", tabs},
        {"space change", "a  b \nx\n", "a b\nx\n", space},
        {"all space", "ab\nx\n", "a b\nx\n", allSpace},
        {"blank lines", "a\nb\n", "a\n\n\nb\n", blank},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Pair p = writePair(row.left, row.right);
        auto without = LineCompare_Files(p.left, p.right, {});
        ASSERT_TRUE(without.has_value());
        EXPECT_EQ(without->size(), 1u);
        auto with = LineCompare_Files(p.left, p.right, row.options);
        ASSERT_TRUE(with.has_value());
        EXPECT_TRUE(with->empty()) << describe(*with);
    }
    // A real change is still found with every option on.
    LineCompareOptions all{true, true, true, true, true};
    const Pair p = writePair("a\nkeep\n", "b\nkeep\n");
    auto blocks = LineCompare_Files(p.left, p.right, all);
    ASSERT_TRUE(blocks.has_value());
    EXPECT_EQ(*blocks, MergeBlockList{makeBlock(0, 1, 0, 1)});
}

TEST(LineCompare, ArgumentsFollowTheOptionsInFixedOrder)
{
    EXPECT_EQ(LineCompare_Arguments({}), QStringList{QStringLiteral("-a")});
    LineCompareOptions all{true, true, true, true, true};
    EXPECT_EQ(LineCompare_Arguments(all).join(u' '), QStringLiteral("-a -i -E -b -w -B"));
}

TEST(LineCompare, TextsAreComparedThroughCopiesInTheProcessTempFolder)
{
    auto blocks = LineCompare_Texts(QStringLiteral("α\nβ\n"), QStringLiteral("α\nγ\nδ"), {});
    ASSERT_TRUE(blocks.has_value());
    EXPECT_EQ(*blocks, MergeBlockList{makeBlock(1, 1, 1, 2)});
    const QString temp = GetProcessTempFolder();
    EXPECT_TRUE(LineCompare_SettingLogPath().startsWith(temp));
    EXPECT_TRUE(QFileInfo(LineCompare_TextCopyPath(1)).isFile());
    EXPECT_EQ(pelkotest::readFile(LineCompare_TextCopyPath(2)), QStringLiteral("α\nγ\nδ").toUtf8());
    DeleteTempSettingLog();
    EXPECT_FALSE(QFileInfo::exists(LineCompare_SettingLogPath()));
}

TEST(LineCompare, ParserRejectsMalformedHeaders)
{
    auto ok = ParseDiffNormalOutput("2c2\n< a\n---\n> b\n\\ No newline at end of file\n5a6,7\n"
                                    "> x\n> y\n9,10d10\n< p\n< q\n");
    ASSERT_TRUE(ok.has_value());
    EXPECT_EQ(*ok, (MergeBlockList{makeBlock(1, 1, 1, 1), makeBlock(5, 0, 5, 2),
                                   makeBlock(8, 2, 10, 0)}));
    for (const char *bad : {"3x4\n", "3,2c4\n", "3a4,5,6\n", "2,3a4\n", "99999999999999999999c1\n",
                            "1c\n", "0c1\n"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseDiffNormalOutput(bad).has_value());
    }
}

// Output read as it arrives gives what the whole output gives, wherever its pieces split it.
TEST(LineCompare, OutputReadInPiecesParsesAsAWhole)
{
    const QByteArray outputs[] = {
        "2c2\n< a\n---\n> b\n\\ No newline at end of file\n5a6,7\n> 1x\n> y\n9,10d10\n< p\n",
        "12,13c12\r\n< 7a7\r\n---\r\n> 3d3\r\n4a5", // quoted lines like headers; no last end
        "1c1\n<\n---\n>\n\n2a3\n",                  // empty quoted and empty lines
        "1c1\n< x\n3x4\n",                          // a header that does not parse
    };
    for (const QByteArray &output : outputs) {
        SCOPED_TRACE(output.toStdString());
        const auto whole = ParseDiffNormalOutput(output);
        for (qsizetype a = 0; a <= output.size(); ++a) {
            for (qsizetype b = a; b <= output.size(); b += 3) {
                DiffOutputStream stream;
                stream.feed(QByteArrayView(output).first(a));
                stream.feed(QByteArrayView(output).sliced(a, b - a));
                stream.feed(QByteArrayView(output).sliced(b));
                stream.finish();
                ASSERT_EQ(stream.failed(), !whole.has_value()) << a << " " << b;
                if (whole) {
                    ASSERT_EQ(stream.blocks(), *whole) << a << " " << b;
                }
            }
        }
    }
}

TEST(LineTable, LinesMapToCharacterRanges)
{
    const QString text = QStringLiteral("ab\n\ncde\nf");
    const LineTable t = BuildLineTable(text);
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[2], (Range{4, 3}));
    EXPECT_EQ(RangeOfLines(t, 1, 2, text.size()), (Range{3, 5}));
    EXPECT_EQ(RangeOfLines(t, 3, 1, text.size()), (Range{8, 1}));
    EXPECT_EQ(RangeOfLines(t, 2, 0, text.size()), (Range{4, 0}));
    EXPECT_EQ(RangeOfLines(t, 4, 0, text.size()), (Range{9, 0}));
    EXPECT_EQ(RangeOfLines(t, 3, 99, text.size()), (Range{8, 1}));
    EXPECT_EQ(LineOfPosition(t, 5), 2);
    EXPECT_EQ(LineOfPosition(t, 9), 3);
    EXPECT_EQ(BuildLineTable(QStringLiteral("a\n")).size(), 1u);
    EXPECT_TRUE(BuildLineTable(QString()).empty());
}
