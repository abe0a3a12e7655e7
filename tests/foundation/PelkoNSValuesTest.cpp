// Token lists, user-defaults conventions, property-list text and folder listings.
#include "foundation/PelkoNSDictionary.h"
#include "foundation/PelkoNSFileManager.h"
#include "foundation/PelkoNSTokenField.h"
#include "foundation/PelkoNSUserDefaults.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(PelkoNSTokenField, TokensAreFilteredTrimmedAndCased)
{
    const QVariant value(QVariantList{QStringLiteral("  *.TXT \n"), QVariant(3), QStringLiteral(""),
                                      QStringLiteral("   "), QStringLiteral("\\S+Build")});
    EXPECT_EQ(getValueStringsArray_Trim_Lower(value),
              (QStringList{QStringLiteral("*.txt"), QStringLiteral("\\s+build")}));
    // Regular expressions keep their case: "\S" must not become "\s".
    EXPECT_EQ(getValueStringsArray_Trim(value),
              (QStringList{QStringLiteral("*.TXT"), QStringLiteral("\\S+Build")}));
    EXPECT_EQ(getValueStringsArray(value, false, true, false),
              (QStringList{QStringLiteral("  *.TXT \n"), QStringLiteral("   "),
                           QStringLiteral("\\S+BUILD")}));
    EXPECT_EQ(getValueStringsArray_Trim_Lower(QVariant(QStringList{QStringLiteral(" A ")})),
              QStringList{QStringLiteral("a")});
    EXPECT_TRUE(getValueStringsArray_Trim_Lower(QVariant()).isEmpty());
    EXPECT_TRUE(getValueStringsArray_Trim_Lower(QVariant(QStringLiteral("a"))).isEmpty());
}

class DefaultsTest : public ::testing::Test
{
protected:
    QString path = pelkotest::freshDir() + QStringLiteral("/defaults.plist");
    platform::UserDefaults defaults{path};
};

TEST_F(DefaultsTest, DefaultsNeverOverwriteAStoredValue)
{
    defaults.setString(QStringLiteral("mine"), QStringLiteral("s"));
    setDefaultString(defaults, QStringLiteral("default"), QStringLiteral("s"));
    setDefaultString(defaults, QString(), QStringLiteral("nil"));
    setDefaultDouble(defaults, 1.5, QStringLiteral("d"));
    setDefaultDouble(defaults, 9.0, QStringLiteral("d"));
    setDefaultInt(defaults, 7, QStringLiteral("i"));
    setDefaultInt(defaults, 8, QStringLiteral("i"));
    setDefaultInt(defaults, 8, QString());
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("s")), QStringLiteral("mine"));
    EXPECT_EQ(defaults.objectForKey(QStringLiteral("nil")), QVariant(QStringLiteral("")));
    EXPECT_EQ(defaults.doubleForKey(QStringLiteral("d")), 1.5);
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("i")), 7);
    EXPECT_FALSE(defaults.hasKey(QString()));
}

TEST_F(DefaultsTest, ColoursSurviveTheFile)
{
    const auto colour = platform::Color::calibratedRGB(0.1, 0.2, 0.3, 0.4);
    setColor(defaults, colour, QStringLiteral("c"));
    setColor(defaults, platform::Color(), QStringLiteral("none"));
    setColor(defaults, colour, QString());
    ASSERT_TRUE(defaults.synchronize());
    platform::UserDefaults reread(path);
    EXPECT_EQ(colorForKey(reread, QStringLiteral("c")), colour);
    EXPECT_FALSE(reread.hasKey(QStringLiteral("none")));
    reread.setString(QStringLiteral("not a colour"), QStringLiteral("s"));
    reread.setData(QByteArray("junk"), QStringLiteral("j"));
    EXPECT_FALSE(colorForKey(reread, QStringLiteral("s")).isValid());
    EXPECT_FALSE(colorForKey(reread, QStringLiteral("j")).isValid());
    EXPECT_FALSE(colorForKey(reread, QStringLiteral("missing")).isValid());
}

TEST_F(DefaultsTest, StringListsAreJoinedAsAsked)
{
    const QStringList items{QStringLiteral(" A "), QString(), QStringLiteral("b"),
                            QStringLiteral("a"), QStringLiteral("  ")};
    struct Case
    {
        bool dedupe, trim, lower, dropEmpty;
        QString stored;
    };
    const QString sep = kStringArraySeparator;
    const Case cases[] = {
        {true, true, true, true, QStringLiteral("a") + sep + QStringLiteral("b")},
        {false, true, true, true,
         QStringLiteral("a") + sep + QStringLiteral("b") + sep + QStringLiteral("a")},
        {false, false, false, true,
         QStringLiteral(" A ") + sep + QStringLiteral("b") + sep + QStringLiteral("a") + sep +
             QStringLiteral("  ")},
        {true, true, false, false,
         QStringLiteral("A") + sep + sep + QStringLiteral("b") + sep + QStringLiteral("a")},
    };
    for (const auto &c : cases) {
        setStringArray2(defaults, items, QStringLiteral("list"), c.dedupe, c.trim, c.lower,
                        c.dropEmpty);
        EXPECT_EQ(defaults.stringForKey(QStringLiteral("list")), c.stored);
    }
    setStringArray2(defaults, items, QStringLiteral("list"), true, true, true, true);
    EXPECT_EQ(getStringArray2(defaults, QStringLiteral("list")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(getStringArray2(defaults, QStringLiteral("missing")).isEmpty());
}

TEST(PelkoNSDictionary, ParsesPropertyListTextInMemory)
{
    const QString text =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                       "<plist version=\"1.0\"><dict><key>name</key><string>Grüße</string>"
                       "<key>n</key><integer>3</integer></dict></plist>\n");
    const auto dict = dictionaryWithContents(text);
    ASSERT_TRUE(dict.has_value());
    EXPECT_EQ(dict->value(QStringLiteral("name")).toString(), QStringLiteral("Grüße"));
    EXPECT_EQ(dict->value(QStringLiteral("n")).toLongLong(), 3);

    EXPECT_FALSE(dictionaryWithContents(QString()).has_value());
    EXPECT_FALSE(dictionaryWithContents(QStringLiteral("<plist><dict><key>")).has_value());
    EXPECT_FALSE(dictionaryWithContents(QStringLiteral("<plist version=\"1.0\"><array>"
                                                       "<string>a</string></array></plist>"))
                     .has_value());
}

TEST(PelkoNSFileManager, ListsOneFolderWithoutBadNames)
{
    const QString dir = pelkotest::freshDir();
    for (const char *name : {"a.txt", ".hidden", "sub/inner.txt"})
        ASSERT_TRUE(pelkotest::writeFile(dir + QLatin1Char('/') + QLatin1String(name), "x"));
    // A name whose bytes are not UTF-8.
    const QByteArray badName = QFile::encodeName(dir) + "/bad\xFF\xFEname";
    FILE *f = std::fopen(badName.constData(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);

    QStringList names = contentsOfDirectoryAtPath2(dir);
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral(".hidden"), QStringLiteral("a.txt"),
                                  QStringLiteral("sub")}));
    QString error;
    EXPECT_TRUE(contentsOfDirectoryAtPath2(dir + QStringLiteral("/missing"), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(contentsOfDirectoryAtPath2(QString()).isEmpty());
    std::remove(badName.constData()); // the test folder could not be removed with it
}

} // namespace
