// Suggested paths while a path is typed.
#include "compare/SuggestSubPathList.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(SuggestSubPathListTest, WhatIsOfferedForEachKindOfTypedText)
{
    const QString base = pelkotest::freshDir(QStringLiteral("suggest"));
    for (const char *name : {"Alpha", "alphabet", "Beta", ".DS_Store", "zalp"})
        QDir().mkpath(base + QLatin1Char('/') + QString::fromLatin1(name));
    pelkotest::writeFile(base + QStringLiteral("/notes.txt"), "x");

    // Prefix matches (any letter case) first, then names holding the last component.
    QStringList got = SuggestSubPathList(base + QStringLiteral("/alp"));
    ASSERT_EQ(got.size(), 3);
    EXPECT_EQ(QSet<QString>(got.begin(), got.begin() + 2),
              (QSet<QString>{base + QStringLiteral("/Alpha"), base + QStringLiteral("/alphabet")}));
    EXPECT_EQ(got[2], base + QStringLiteral("/zalp"));

    // A folder with its slash lists every entry but .DS_Store.
    EXPECT_EQ(SuggestSubPathList(base + QLatin1Char('/')).size(), 5);
    // An existing path without the slash, or an existing file: nothing.
    EXPECT_TRUE(SuggestSubPathList(base).isEmpty());
    EXPECT_TRUE(SuggestSubPathList(base + QStringLiteral("/notes.txt")).isEmpty());
    // Nothing matches, the parent is missing, or nothing is typed.
    EXPECT_TRUE(SuggestSubPathList(base + QStringLiteral("/qq")).isEmpty());
    EXPECT_TRUE(SuggestSubPathList(base + QStringLiteral("/none/x")).isEmpty());
    EXPECT_TRUE(SuggestSubPathList(QString()).isEmpty());
    EXPECT_TRUE(SuggestSubPathList(QStringLiteral("relative")).isEmpty());
}

// Listed as a file manager lists a folder, whatever order the folder keeps its entries in:
// folders first, then files, each by name in natural order with letter case deciding only ties.
TEST(SuggestSubPathListTest, SuggestionsAreSortedFoldersFirstInNaturalOrder)
{
    const QString base = pelkotest::freshDir(QStringLiteral("suggest-sorted"));
    const QStringList files = {"file10.txt", "b.txt",      "File1.txt",  "file2.txt",
                               "apple",      "Banana.txt", "banana.txt", "zz.txt"};
    const QStringList folders = {"Zeta", "beta", "Alpha10", "alpha9"};
    // Made in an order far from the sorted one.
    for (const QString &name : files)
        pelkotest::writeFile(base + u'/' + name, "x");
    for (const QString &name : folders)
        QDir().mkpath(base + u'/' + name);
    QStringList expected;
    for (const char *name : {"alpha9", "Alpha10", "beta", "Zeta", "apple", "b.txt", "banana.txt",
                             "Banana.txt", "File1.txt", "file2.txt", "file10.txt", "zz.txt"})
        expected << base + u'/' + QString::fromLatin1(name);
    EXPECT_EQ(SuggestSubPathList(base + u'/'), expected);
    // Within each group too: names starting with the typed text, then names holding it.
    EXPECT_EQ(SuggestSubPathList(base + QStringLiteral("/a")),
              (QStringList{base + "/alpha9", base + "/Alpha10", base + "/apple", base + "/beta",
                           base + "/Zeta", base + "/banana.txt", base + "/Banana.txt"}));
}

TEST(SuggestSubPathListTest, EntriesAddedOrRemovedBetweenKeysAreSeen)
{
    const QString base = pelkotest::freshDir(QStringLiteral("suggest2"));
    QDir().mkpath(base + QStringLiteral("/first"));
    EXPECT_EQ(SuggestSubPathList(base + QStringLiteral("/f")).size(), 1);
    QDir().mkpath(base + QStringLiteral("/fresh"));
    EXPECT_EQ(SuggestSubPathList(base + QStringLiteral("/fr")).size(), 1);
    EXPECT_EQ(SuggestSubPathList(base + QStringLiteral("/f")).size(), 2);
    QDir().rmdir(base + QStringLiteral("/first"));
    EXPECT_EQ(SuggestSubPathList(base + QStringLiteral("/f")),
              QStringList{base + QStringLiteral("/fresh")});
}
