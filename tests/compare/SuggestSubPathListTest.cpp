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
