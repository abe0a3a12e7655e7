#include "layers/ClipArtFolder.h"
#include "layers/FontFavorites.h"
#include "layers/ImageCaches.h"
#include "layers/SandBoxPaths.h"
#include "layers/SaveItemNames.h"
#include "layers/SystemHelpers.h"

#include "foundation/PelkoNSUserDefaults.h"
#include "platform/UserDefaults.h"
#include "services/FileUtility.h"
#include "services/Fonts.h"
#include "services/SupportFolder.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Gives a test its own support folder (absolute) and bundle folder, and puts the old ones back.
class FileHelpersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mOldSupport = gSupportFolder;
        mSupport = pelkotest::freshDir(QStringLiteral("support"));
        ASSERT_TRUE(PrepareSupportFolder(mSupport));
        mBundle = pelkotest::freshDir(QStringLiteral("bundle"));
        SetBundleResourceFolder(mBundle);
    }
    void TearDown() override
    {
        SetBundleResourceFolder(QString());
        gSupportFolder = mOldSupport;
    }
    static QStringList filesBelow(const QString &folder)
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next().mid(folder.size() + 1);
        files.sort();
        return files;
    }
    QString mOldSupport, mSupport, mBundle;
    pelkotest::LogCapture mLog;
};

// An archive made by Python's zipfile holding the given names (each file's content its name).
void makeZip(const QString &path, const QStringList &names)
{
    QStringList arguments = {QStringLiteral("-c"),
                             QStringLiteral("import sys, zipfile\n"
                                            "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                            "    for n in sys.argv[2:]: z.writestr(n, n)\n"),
                             path};
    arguments += names;
    QProcess python;
    python.start(QStringLiteral("python3"), arguments);
    ASSERT_TRUE(python.waitForFinished(-1) && python.exitCode() == 0)
        << python.readAllStandardError().toStdString();
}

TEST_F(FileHelpersTest, ClipArtIsUnpackedFlatOncePerRun)
{
    QStringList first, second;
    for (int i = 0; i < 12; ++i)
        first << QStringLiteral("set1/deep/a%1.png").arg(i);
    for (int i = 0; i < 9; ++i)
        second << QStringLiteral("b%1.pdf").arg(i);
    makeZip(mBundle + QStringLiteral("/Resource_one.zip"), first);
    makeZip(mBundle + QStringLiteral("/resource_TWO.ZIP"), second);
    makeZip(mBundle + QStringLiteral("/Other.zip"), {QStringLiteral("other.png")});
    makeZip(mBundle + QStringLiteral("/Resource_notzip.zip.txt"), {QStringLiteral("x.png")});
    const QString clipArt = mSupport + QStringLiteral("/clipArt");

    struct Row
    {
        const char *name;
        int filesBefore;
        bool keptAsItWas;
    };
    for (const Row &row :
         {Row{"20 files are complete", 20, true}, Row{"19 files are unpacked again", 19, false},
          Row{"no folder is made", -1, false}}) {
        SCOPED_TRACE(row.name);
        QDir(clipArt).removeRecursively();
        for (int i = 0; i < row.filesBefore; ++i)
            ASSERT_TRUE(pelkotest::writeFile(clipArt + QStringLiteral("/old/f%1").arg(i), "old"));
        if (row.filesBefore >= 0) { // hidden files do not count
            ASSERT_TRUE(pelkotest::writeFile(clipArt + QStringLiteral("/.hidden"), "x"));
        }
        const QStringList before = filesBelow(clipArt);
        ResetClipArtFolderOnce();
        SetupClipArtFolder();
        if (row.keptAsItWas) {
            EXPECT_EQ(filesBelow(clipArt), before);
            continue;
        }
        QStringList expected;
        for (const QString &name : first + second)
            expected << QFileInfo(name).fileName();
        expected.sort();
        EXPECT_EQ(filesBelow(clipArt), expected);
        EXPECT_EQ(pelkotest::readFile(clipArt + QStringLiteral("/a3.png")),
                  QByteArray("set1/deep/a3.png"));
    }

    // Once per run: a second call finds its work done.
    QDir(clipArt).removeRecursively();
    SetupClipArtFolder();
    EXPECT_FALSE(QFileInfo::exists(clipArt));

    // A relative support folder would make the clean-up name the wrong folder: nothing runs.
    ResetClipArtFolderOnce();
    gSupportFolder = QStringLiteral("relative/support");
    SetupClipArtFolder();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("relative")));
    gSupportFolder = mSupport;
}

TEST_F(FileHelpersTest, SaveItemsGetTheirKindLetters)
{
    const QString save = mSupport + QStringLiteral("/save");
    QDir().mkpath(save);
    const QString target = pelkotest::freshDir(QStringLiteral("targets"));
    ASSERT_TRUE(pelkotest::writeFile(target + QStringLiteral("/file.txt"), "x"));
    QDir().mkpath(target + QStringLiteral("/Tool.APP"));
    const auto item = [&](const QString &name, const QString &content) {
        ASSERT_TRUE(pelkotest::writeFile(save + u'/' + name, content.toUtf8()));
    };
    item(QStringLiteral("007 Notes"), target + QStringLiteral("/file.txt"));
    item(QStringLiteral("008 Folder"), target);
    item(QStringLiteral("009 Tool"), target + QStringLiteral("/Tool.APP"));
    item(QStringLiteral("010 Nothing"), target + QStringLiteral("/missing"));
    item(QStringLiteral("011FDone"), target + QStringLiteral("/file.txt"));
    item(QStringLiteral("012 Taken"), target + QStringLiteral("/file.txt"));
    item(QStringLiteral("012FTaken"), QStringLiteral("kept"));
    item(QStringLiteral("013 Big"), QString(70 * 1024, u'/'));
    item(QStringLiteral("014 "), target + QStringLiteral("/file.txt"));
    item(QStringLiteral("group inner/020 Inside"), target + QStringLiteral("/file.txt"));
    QDir().mkpath(save + QStringLiteral("/021 Group/022 Sub"));
    // A link to the save folder itself: not entered (no loop) and not renamed.
    ASSERT_EQ(::symlink(QFile::encodeName(save).constData(),
                        QFile::encodeName(save + QStringLiteral("/030 Loop")).constData()),
              0);
    ASSERT_EQ(::symlink(QFile::encodeName(target + QStringLiteral("/file.txt")).constData(),
                        QFile::encodeName(save + QStringLiteral("/031 Link")).constData()),
              0);
    platform::UserDefaults::standard().removeObjectForKey(
        QStringLiteral("RefixSaveItemNameInSaveFolderV11"));

    RefixSaveItemNames();

    QStringList names = QDir(save).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    names.sort();
    const QStringList expected = {"007FNotes",  "008EFolder", "009ATool",  "010 Nothing",
                                  "011FDone",   "012 Taken",  "012FTaken", "013 Big",
                                  "014 ",       "021GGroup",  "030 Loop",  "031 Link",
                                  "group inner"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(pelkotest::readFile(save + QStringLiteral("/012FTaken")), QByteArray("kept"));
    EXPECT_TRUE(QFileInfo::exists(save + QStringLiteral("/group inner/020FInside")));
    EXPECT_TRUE(QFileInfo::exists(save + QStringLiteral("/021GGroup/022GSub")));
    EXPECT_TRUE(QFileInfo(save + QStringLiteral("/030 Loop")).isSymLink());
    EXPECT_EQ(platform::UserDefaults::standard().integerForKey(
                  QStringLiteral("RefixSaveItemNameInSaveFolderV11")),
              1);

    // The pass runs once for all runs.
    item(QStringLiteral("040 Later"), target + QStringLiteral("/file.txt"));
    RefixSaveItemNames();
    EXPECT_TRUE(QFileInfo::exists(save + QStringLiteral("/040 Later")));
}

TEST_F(FileHelpersTest, SaveItemNameParts)
{
    struct Row
    {
        QString path;
        QString display;
        int order;
        char16_t letter;
    };
    const Row rows[] = {
        {"/s/007FNotes", "Notes", 7, u'F'},   {"/s/007 Notes", "Notes", 7, u' '},
        {"/s/12aXname", QString(), 12, u'X'}, {"/s/123G", QString(), -1, u'?'},
        {"/s/123GA", "A", 123, u'G'},         {"", QString(), -1, u'?'},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(GetSaveItemDisplayName(row.path), row.display) << row.path.toStdString();
        EXPECT_EQ(GetSaveItemOrder(QFileInfo(row.path).fileName()), row.order);
        EXPECT_EQ(GetSaveItemKindLetter(row.path), row.letter);
    }
}

TEST_F(FileHelpersTest, FavouriteFontsAreKeptAcrossRunsAndBounded)
{
    // This machine's fonts, and a machine's that has a family named "Helvetica" (in its own
    // spelling), so that the fallback's rows run wherever the tests do.
    struct Row
    {
        const char *name;
        std::function<QStringList()> families; // null: the font database's
    };
    const Row rows[] = {
        {"this machine's fonts", nullptr},
        {"a machine with Helvetica",
         [] {
             QStringList families;
             for (int i = 0; i < 40; ++i)
                 families << QStringLiteral("Family %1").arg(i, 2, 10, QLatin1Char('0'));
             families.insert(17, QStringLiteral("helvetica"));
             return families;
         }},
    };
    struct Restore
    {
        ~Restore() { setInstalledFontFamiliesHook(nullptr); }
    } restore;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        setInstalledFontFamiliesHook(row.families);
        auto &defaults = platform::UserDefaults::standard();
        const QString key = QStringLiteral("gFontFavorite");
        setStringArray2(defaults, {QStringLiteral("Earlier Font")}, key, false, false, false, true);
        FontFavorite_Forget();
        const QStringList installed = GetAllFont();
        ASSERT_FALSE(installed.isEmpty());
        const auto helvetica =
            std::find_if(installed.begin(), installed.end(), [](const QString &f) {
                return f.compare(QStringLiteral("Helvetica"), Qt::CaseInsensitive) == 0;
            });
        if (row.families) {
            ASSERT_NE(helvetica, installed.end());
        }
        // Helvetica, when installed, joins a full list as one more.
        const qsizetype bound = kMaxFontFavorites + (helvetica != installed.end() ? 1 : 0);

        FontFavorite_Register(installed.first());
        EXPECT_EQ(FontFavorite_List().mid(0, 2), (QStringList{installed.first(), "Earlier Font"}));
        // A new run reads what the last one stored.
        FontFavorite_Forget();
        EXPECT_EQ(FontFavorite_List().mid(0, 2), (QStringList{installed.first(), "Earlier Font"}));

        FontFavorite_Register(QStringLiteral("No Such Font Here"));
        EXPECT_TRUE(mLog.hasFatalReport());
        FontFavorite_Register(QStringLiteral(".Hidden"));
        FontFavorite_Register(QString());
        EXPECT_FALSE(FontFavorite_List().contains(QStringLiteral("No Such Font Here")));

        for (const QString &font : installed)
            FontFavorite_Register(font);
        EXPECT_LE(FontFavorite_List().size(), bound);
        EXPECT_EQ(getStringArray2(defaults, key), FontFavorite_List());
        EXPECT_EQ(FontFavorite_List().first(), installed.last());
        if (installed.size() > kMaxFontFavorites) {
            EXPECT_GE(FontFavorite_List().size(), kMaxFontFavorites);
            EXPECT_FALSE(FontFavorite_List().contains(QStringLiteral("Earlier Font")));
        }
        // Registering a listed font moves it to the front only.
        const QStringList before = FontFavorite_List();
        qsizetype last = before.size() - 1;
        while (last > 0 && !installed.contains(before[last]))
            --last;
        FontFavorite_Register(before[last]);
        QStringList moved = before;
        moved.move(last, 0);
        EXPECT_EQ(FontFavorite_List(), moved);

        // A long stored list (an older run's, say) is cut to 30 by the next registration, whatever
        // fonts this machine has.
        QStringList stored;
        for (int i = 0; i < 40; ++i)
            stored << QStringLiteral("Stored %1").arg(i);
        setStringArray2(defaults, stored, key, false, false, false, true);
        FontFavorite_Forget();
        FontFavorite_Register(installed.first());
        ASSERT_EQ(FontFavorite_List().size(), bound);
        EXPECT_EQ(FontFavorite_List().first(), installed.first());
        EXPECT_EQ(FontFavorite_List().at(1), QStringLiteral("Stored 0"));
        EXPECT_EQ(getStringArray2(defaults, key).size(), bound);

        // The Helvetica fallback is appended after the trimming: a full list keeps it too.
        const auto other = std::find_if(installed.begin(), installed.end(), [](const QString &f) {
            return f.compare(QStringLiteral("Helvetica"), Qt::CaseInsensitive) != 0;
        });
        if (helvetica != installed.end() && other != installed.end()) {
            setStringArray2(defaults, stored.mid(0, kMaxFontFavorites), key, false, false, false,
                            true);
            FontFavorite_Forget();
            FontFavorite_Register(*other);
            EXPECT_EQ(FontFavorite_List().size(), kMaxFontFavorites + 1);
            EXPECT_EQ(FontFavorite_List().last(), *helvetica);
        }
        FontFavorite_Forget();
    }
}

TEST_F(FileHelpersTest, FileTypeIconsAndNamedImages)
{
    SetBundleResourceFolder(QString()); // the build's own bundle
    const QImage upper = GetDefaultFileIconBaseOnType(QStringLiteral("PDF"));
    const QImage lower = GetDefaultFileIconBaseOnType(QStringLiteral("pdf"));
    ASSERT_FALSE(upper.isNull());
    EXPECT_EQ(upper.cacheKey(), lower.cacheKey());
    EXPECT_EQ(upper.size(), QSize(40, 40));
    EXPECT_EQ(upper.deviceIndependentSize(), QSizeF(20, 20));
    // A type nobody knows gets the shipped icon, shadow and all.
    const QImage unknown = GetDefaultFileIconBaseOnType(QStringLiteral("zzq-unknown"));
    ASSERT_FALSE(unknown.isNull());
    // The page of the shipped icon starts a little right of x = 8; its shadow reaches further.
    EXPECT_GT(qAlpha(unknown.pixel(7, 20)), 0);
    EXPECT_EQ(qRed(unknown.pixel(7, 20)), 0);
    EXPECT_EQ(GetDefaultFileIconBaseOnType(QString()).cacheKey(),
              GetDefaultFileIconBaseOnType(QStringLiteral("???")).cacheKey());

    const QImage named = GetCachedImageNamed(QStringLiteral("defaultFileIcon"));
    ASSERT_FALSE(named.isNull());
    EXPECT_EQ(named.cacheKey(), GetCachedImageNamed(QStringLiteral("defaultFileIcon")).cacheKey());
    EXPECT_TRUE(GetCachedImageNamed(QString()).isNull());
    EXPECT_TRUE(GetCachedImageNamed(QStringLiteral("noSuchImage")).isNull());
    EXPECT_TRUE(GetCachedImageNamed(QStringLiteral("../images/defaultFileIcon.png")).isNull());
}

TEST_F(FileHelpersTest, AutostartEntries)
{
    const QString config = pelkotest::freshDir(QStringLiteral("config"));
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    const QString program = pelkotest::freshDir(QStringLiteral("bin")) + "/my \"tool\" $x";
    ASSERT_TRUE(pelkotest::writeFile(program, "#!/bin/sh\n"));
    const QUrl url = QUrl::fromLocalFile(program);
    const QString autostart = config + QStringLiteral("/autostart");
    // Someone else's entry for another program stays.
    ASSERT_TRUE(pelkotest::writeFile(autostart + QStringLiteral("/other.desktop"),
                                     "[Desktop Entry]\nExec=/usr/bin/other --flag\n"));

    EXPECT_FALSE(IsInLoginItems(url));
    SetInLoginItems(url, true);
    EXPECT_TRUE(IsInLoginItems(url));
    SetInLoginItems(url, true);
    EXPECT_EQ(QDir(autostart).entryList(QDir::Files).size(), 2);
    EXPECT_FALSE(IsInLoginItems(QUrl::fromLocalFile(QStringLiteral("/usr/bin/my"))));
    EXPECT_TRUE(IsInLoginItems(QUrl::fromLocalFile(QStringLiteral("/usr/bin/other"))));
    SetInLoginItems(url, false);
    EXPECT_FALSE(IsInLoginItems(url));
    EXPECT_EQ(QDir(autostart).entryList(QDir::Files), QStringList{"other.desktop"});
    EXPECT_FALSE(IsInLoginItems(QUrl(QStringLiteral("https://example.org/x"))));
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

// The Exec line is read by the session as a string value first (its backslashes are escapes)
// and then as a command (quotes, escapes and "%" field codes): a path with any of those
// characters is written so that the session starts that very path, and entries other programs
// wrote that start it are found.
TEST_F(FileHelpersTest, AutostartEntriesStartTheVeryPath)
{
    const QString config = pelkotest::freshDir(QStringLiteral("config"));
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    const QString autostart = config + QStringLiteral("/autostart");
    struct Row
    {
        const char *program;
        const char *exec; // as written
    };
    const Row written[] = {
        {"/opt/100%/run", "Exec=\"/opt/100%%/run\""},
        {"/opt/back\\slash", "Exec=\"/opt/back\\\\\\\\slash\""},
        {"/opt/a\"b", "Exec=\"/opt/a\\\\\"b\""},
        {"/opt/$HOME`x`", "Exec=\"/opt/\\\\$HOME\\\\`x\\\\`\""},
        {"/opt/two words", "Exec=\"/opt/two words\""},
        {"/opt/.hidden.tool", "Exec=\"/opt/.hidden.tool\""},
    };
    // A program whose name leaves no room for ".desktop" in a file name still gets its entry.
    const QByteArray longName = "/opt/" + QByteArray(250, 'n');
    const QByteArray longExec = "Exec=\"" + longName + "\"";
    std::vector<Row> rows(std::begin(written), std::end(written));
    rows.push_back({longName.constData(), longExec.constData()});
    for (const Row &row : rows) {
        SCOPED_TRACE(row.program);
        const QUrl url = QUrl::fromLocalFile(QString::fromUtf8(row.program));
        SetInLoginItems(url, true);
        const QStringList files = QDir(autostart).entryList(QDir::Files);
        ASSERT_EQ(files.size(), 1); // and not hidden
        EXPECT_TRUE(pelkotest::readFile(autostart + u'/' + files[0])
                        .contains(QByteArray("\n") + row.exec + "\n"));
        EXPECT_TRUE(IsInLoginItems(url));
        SetInLoginItems(url, false);
        EXPECT_TRUE(QDir(autostart).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
    const Row found[] = {
        {"/opt/back\\slash", "Exec=\"/opt/back\\\\slash\""}, // a backslash before a letter
        {"/opt/100%/run", "Exec=/opt/100%%/run %U"},
        {"/opt/a\"b", "Exec=\"/opt/a\\\\\"b\""},
        {"/usr/bin/tool", "Exec=\"/usr/bin/tool\" --start\\s%f"},
    };
    for (const Row &row : found) {
        SCOPED_TRACE(row.exec);
        // Hidden, as a session starts it too.
        ASSERT_TRUE(pelkotest::writeFile(autostart + QStringLiteral("/.theirs.desktop"),
                                         QByteArray("[Desktop Entry]\nType=Application\n") +
                                             row.exec + "\n"));
        EXPECT_TRUE(IsInLoginItems(QUrl::fromLocalFile(QString::fromUtf8(row.program))));
    }
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

TEST_F(FileHelpersTest, PathsOnDisk)
{
    const QString folder = pelkotest::freshDir(QStringLiteral("paths"));
    const QString file = folder + QStringLiteral("/file.txt");
    ASSERT_TRUE(pelkotest::writeFile(file, "x"));
    const QString link = folder + QStringLiteral("/link");
    ASSERT_EQ(::symlink("file.txt", QFile::encodeName(link).constData()), 0);
    QString target;
    EXPECT_TRUE(FileIsAlias(link, &target));
    EXPECT_EQ(target, file);
    EXPECT_TRUE(FileIsAlias(link));
    EXPECT_FALSE(FileIsAlias(file, &target));
    EXPECT_FALSE(FileIsAlias(QString()));
    // A link whose target is gone is still one, but it resolves to nothing.
    const QString dangling = folder + QStringLiteral("/dangling");
    ASSERT_EQ(::symlink("gone.txt", QFile::encodeName(dangling).constData()), 0);
    target.clear();
    EXPECT_TRUE(FileIsAlias(dangling));
    EXPECT_FALSE(FileIsAlias(dangling, &target));
    EXPECT_TRUE(target.isEmpty());

    // A name stored decomposed is found from its composed spelling, and the other way round.
    const QString decomposed = folder + QStringLiteral("/cafe\u0301.txt");
    ASSERT_TRUE(pelkotest::writeFile(decomposed, "x"));
    EXPECT_EQ(NormalizePathThroughFileSystem(folder + QStringLiteral("/caf\u00e9.txt")),
              decomposed);
    const QString composed = folder + QStringLiteral("/\u00fcber.txt");
    ASSERT_TRUE(pelkotest::writeFile(composed, "x"));
    EXPECT_EQ(NormalizePathThroughFileSystem(folder + QStringLiteral("/u\u0308ber.txt")), composed);
    // Missing: a Latin-1 path comes back as it is, any other has no answer.
    EXPECT_EQ(NormalizePathThroughFileSystem(folder + QStringLiteral("/\u00e9t\u00e9")),
              folder + QStringLiteral("/\u00e9t\u00e9"));
    EXPECT_TRUE(NormalizePathThroughFileSystem(folder + QStringLiteral("/\u4e2d\u6587")).isNull());
    EXPECT_EQ(NormalizePathThroughFileSystem(QStringLiteral("/no/such/plain")),
              QStringLiteral("/no/such/plain"));
    EXPECT_TRUE(NormalizePathThroughFileSystem(QString()).isNull());

    EXPECT_TRUE(IsPathInMacOSFolder(QStringLiteral("/a/Contents/macos/tool")));
    EXPECT_FALSE(IsPathInMacOSFolder(QStringLiteral("/a/MacOS")));

    SetStickyGroupWritablePermission(file);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 01774u);
    ::chmod(QFile::encodeName(file).constData(), 0600);
    SetStickyGroupWritablePermission(link); // a link is not followed
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    const QString shared = folder + QStringLiteral("/shared");
    ASSERT_TRUE(QDir().mkpath(shared));
    SetStickyGroupWritablePermission(shared);
    ASSERT_EQ(::stat(QFile::encodeName(shared).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 01774u);
}

TEST_F(FileHelpersTest, BundleResourcesAndSandboxList)
{
    ASSERT_TRUE(pelkotest::writeFile(mBundle + QStringLiteral("/Help.plist"), "x"));
    EXPECT_EQ(GetBundleResourcePath(QStringLiteral("Help.plist")),
              mBundle + QStringLiteral("/Help.plist"));
    EXPECT_TRUE(GetBundleResourcePath(QStringLiteral("Missing.plist")).isNull());
    EXPECT_TRUE(GetBundleResourcePath(QString()).isNull());

    QStringList &list = SandBox_GetAccesablePathList();
    const QStringList saved = list;
    list.clear();
    const QString folder = pelkotest::freshDir(QStringLiteral("sandbox"));
    SandBox_AssignAccesablePath(folder);
    SandBox_AssignAccesablePath(folder);
    EXPECT_EQ(list, QStringList{folder});
    mLog.clear();
    SandBox_AssignAccesablePath(folder + QStringLiteral("/missing"));
    EXPECT_TRUE(mLog.hasFatalReport());
    ASSERT_TRUE(pelkotest::writeFile(folder + QStringLiteral("/f"), "x"));
    SandBox_AssignAccesablePathFromFileList(
        {QUrl::fromLocalFile(folder + QStringLiteral("/f")), QVariant(42),
         QStringLiteral("/no/such/path"), QUrl(QStringLiteral("https://example.org/f")), folder});
    EXPECT_EQ(list, (QStringList{folder, folder + QStringLiteral("/f")}));
    list = saved;
}

} // namespace
