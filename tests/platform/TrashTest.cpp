// Moving items into the trash for real, and refusing trash folders that another user or a
// planted link could have set up.
#include "platform/Trash.h"
#include "platform/UniqueFd.h"
#include "platform/Workspace.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

int modeOf(const QString &path)
{
    struct stat st
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &st);
    return int(st.st_mode & 07777);
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

TrashContext contextIn(const QString &dataFolder)
{
    return {dataFolder + QStringLiteral("/Trash"), ::geteuid()};
}

// The info file's lines, checked for its shape; answers its Path value.
QString pathInInfo(const QString &infoFile, const QDateTime &notBefore)
{
    EXPECT_EQ(modeOf(infoFile), 0600);
    const QList<QByteArray> lines = pelkotest::readFile(infoFile).split('\n');
    EXPECT_GE(lines.size(), 3);
    if (lines.size() < 3)
        return QString();
    EXPECT_EQ(lines[0], "[Trash Info]");
    EXPECT_TRUE(lines[1].startsWith("Path="));
    EXPECT_TRUE(lines[2].startsWith("DeletionDate="));
    const QDateTime date = QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)),
                                                 QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
    EXPECT_TRUE(date.isValid()) << lines[2].constData();
    EXPECT_GE(date.secsTo(QDateTime::currentDateTime()), 0);
    EXPECT_LE(date.secsTo(notBefore), 0);
    return QString::fromLatin1(lines[1].mid(5));
}

QDateTime thisSecond()
{
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return now;
}

TEST(Trash, HomeTrashTakesFilesFoldersAndLinksWithTheirOrigin)
{
    const QDateTime started = thisSecond();
    const QString data = pelkotest::freshDir(QStringLiteral("data")) + QStringLiteral("/share");
    const QString from = QFileInfo(pelkotest::freshDir(QStringLiteral("from"))).canonicalFilePath();
    const QString file = from + QStringLiteral("/a b%ü.txt");
    ASSERT_TRUE(pelkotest::writeFile(file, "text"));
    ASSERT_TRUE(pelkotest::writeFile(from + QStringLiteral("/two\nlines"), "two"));
    ASSERT_TRUE(pelkotest::writeFile(from + QStringLiteral("/folder/inner.txt"), "inner"));
    const QString target = pelkotest::freshDir(QStringLiteral("target")) + QStringLiteral("/t");
    ASSERT_TRUE(pelkotest::writeFile(target, "pointed at"));
    ASSERT_TRUE(QFile::link(target, from + QStringLiteral("/link")));

    const QString trash = data + QStringLiteral("/Trash");
    const struct
    {
        QString name;
        QString encoded;
    } rows[] = {
        {QStringLiteral("a b%ü.txt"), QStringLiteral("a%20b%25%C3%BC.txt")},
        // A name cannot add lines of its own to the info file.
        {QStringLiteral("two\nlines"), QStringLiteral("two%0Alines")},
        {QStringLiteral("folder"), QStringLiteral("folder")},
        {QStringLiteral("link"), QStringLiteral("link")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        QString trashedAs;
        ASSERT_TRUE(MoveItemToTrash(from + "/" + row.name, contextIn(data), &trashedAs));
        EXPECT_EQ(trashedAs, trash + QStringLiteral("/files/") + row.name);
        EXPECT_FALSE(QFileInfo(from + "/" + row.name).exists());
        EXPECT_EQ(pathInInfo(trash + QStringLiteral("/info/") + row.name + ".trashinfo", started),
                  QString::fromLatin1(QFile::encodeName(from).toPercentEncoding("/")) + "/" +
                      row.encoded);
    }
    EXPECT_EQ(modeOf(data), 0700);
    EXPECT_EQ(modeOf(trash), 0700);
    EXPECT_EQ(modeOf(trash + QStringLiteral("/files")), 0700);
    EXPECT_EQ(modeOf(trash + QStringLiteral("/info")), 0700);
    EXPECT_EQ(pelkotest::readFile(trash + QStringLiteral("/files/a b%ü.txt")), "text");
    EXPECT_EQ(pelkotest::readFile(trash + QStringLiteral("/files/folder/inner.txt")), "inner");
    // The link itself went; what it pointed at stayed.
    EXPECT_EQ(QFileInfo(trash + QStringLiteral("/files/link")).symLinkTarget(), target);
    EXPECT_EQ(pelkotest::readFile(target), "pointed at");

    EXPECT_FALSE(MoveItemToTrash(from + QStringLiteral("/missing"), contextIn(data)));
    EXPECT_FALSE(MoveItemToTrash(QString(), contextIn(data)));
}

// An entry of a folder held open goes to the trash from that very folder, whatever the folder's
// name leads to now, and its origin is where the folder lies now.
TEST(Trash, AnEntryOfAFolderHeldOpenLeavesFromThatFolder)
{
    const QDateTime started = thisSecond();
    const QString data = pelkotest::freshDir(QStringLiteral("data")) + QStringLiteral("/share");
    const QString base = QFileInfo(pelkotest::freshDir(QStringLiteral("held"))).canonicalFilePath();
    ASSERT_TRUE(pelkotest::writeFile(base + QStringLiteral("/top/x"), "held"));
    ASSERT_TRUE(pelkotest::writeFile(base + QStringLiteral("/other/x"), "other"));
    const platform::UniqueFd held(
        ::open(QFile::encodeName(base + QStringLiteral("/top")).constData(), O_PATH | O_DIRECTORY));
    ASSERT_TRUE(held.isOpen());
    ASSERT_TRUE(QDir().rename(base + QStringLiteral("/top"), base + QStringLiteral("/moved")));
    ASSERT_TRUE(QFile::link(base + QStringLiteral("/other"), base + QStringLiteral("/top")));

    QString trashedAs;
    ASSERT_TRUE(MoveItemAtToTrash(held.get(), "x", contextIn(data), &trashedAs));
    EXPECT_EQ(pelkotest::readFile(trashedAs), "held");
    EXPECT_EQ(pelkotest::readFile(base + QStringLiteral("/other/x")), "other");
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/moved/x")));
    EXPECT_EQ(pathInInfo(data + QStringLiteral("/Trash/info/x.trashinfo"), started),
              QString::fromLatin1(QFile::encodeName(base).toPercentEncoding("/")) +
                  QStringLiteral("/moved/x"));
    for (const QByteArray &name :
         {QByteArray("x"), QByteArray(), QByteArray("."), QByteArray(".."), QByteArray("moved/x")})
        EXPECT_FALSE(MoveItemAtToTrash(held.get(), name, contextIn(data))) << name.constData();
}

TEST(Trash, ASecondItemOfTheSameNameGetsANameOfItsOwn)
{
    const QString data = pelkotest::freshDir(QStringLiteral("data"));
    const QString trash = data + QStringLiteral("/Trash");
    QStringList trashedNames;
    for (const char *content : {"first", "second", "third"}) {
        const QString file = pelkotest::freshDir(QStringLiteral("from")) + "/same.txt";
        ASSERT_TRUE(pelkotest::writeFile(file, content));
        QString trashedAs;
        ASSERT_TRUE(MoveItemToTrash(file, contextIn(data), &trashedAs));
        EXPECT_EQ(pelkotest::readFile(trashedAs), content);
        trashedNames << QFileInfo(trashedAs).fileName();
    }
    EXPECT_EQ(trashedNames.size(), 3);
    EXPECT_EQ(trashedNames.removeDuplicates(), 0);
    QStringList infos = entriesOf(trash + QStringLiteral("/info"));
    for (QString &name : infos)
        name.chop(QStringLiteral(".trashinfo").size());
    infos.sort();
    trashedNames.sort();
    EXPECT_EQ(infos, trashedNames);

    // An entry left in files/ without its info file is not replaced either.
    ASSERT_TRUE(pelkotest::writeFile(trash + QStringLiteral("/files/orphan"), "old"));
    const QString file = pelkotest::freshDir(QStringLiteral("from")) + "/orphan";
    ASSERT_TRUE(pelkotest::writeFile(file, "new"));
    QString trashedAs;
    ASSERT_TRUE(MoveItemToTrash(file, contextIn(data), &trashedAs));
    EXPECT_NE(trashedAs, trash + QStringLiteral("/files/orphan"));
    EXPECT_EQ(pelkotest::readFile(trash + QStringLiteral("/files/orphan")), "old");
    EXPECT_FALSE(QFileInfo::exists(trash + QStringLiteral("/info/orphan.trashinfo")));
}

TEST(Trash, APlantedOrForeignHomeTrashIsRefusedAndNothingMoves)
{
    struct Row
    {
        const char *name;
        std::function<void(const QString &trash, const QString &elsewhere)> plant;
        bool foreignUser = false;
    };
    const Row rows[] = {
        {"files is a plain file",
         [](const QString &trash, const QString &) {
             pelkotest::writeFile(trash + "/files", "planted");
         }},
        {"info is a plain file",
         [](const QString &trash, const QString &) {
             pelkotest::writeFile(trash + "/info", "planted");
         }},
        {"files is a link",
         [](const QString &trash, const QString &elsewhere) {
             QDir().mkpath(trash);
             QFile::link(elsewhere, trash + "/files");
         }},
        {"info is a link",
         [](const QString &trash, const QString &elsewhere) {
             QDir().mkpath(trash + "/files");
             QFile::link(elsewhere, trash + "/info");
         }},
        {"the trash is a link",
         [](const QString &trash, const QString &elsewhere) {
             QDir().mkpath(elsewhere + "/files");
             QDir().mkpath(elsewhere + "/info");
             QDir().mkpath(QFileInfo(trash).absolutePath());
             QFile::link(elsewhere, trash);
         }},
        {"the trash is a plain file",
         [](const QString &trash, const QString &) { pelkotest::writeFile(trash, "planted"); }},
        {"the trash belongs to another user",
         [](const QString &trash, const QString &) { QDir().mkpath(trash + "/files"); }, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString data = pelkotest::freshDir(QStringLiteral("data"));
        const QString elsewhere = pelkotest::freshDir(QStringLiteral("elsewhere"));
        TrashContext context = contextIn(data);
        row.plant(context.homeTrash, elsewhere);
        const QStringList before = entriesOf(elsewhere);
        if (row.foreignUser)
            context.uid = ::geteuid() + 4242;
        const QString file = pelkotest::freshDir(QStringLiteral("from")) + "/keep.txt";
        ASSERT_TRUE(pelkotest::writeFile(file, "mine"));

        EXPECT_FALSE(MoveItemToTrash(file, context));
        EXPECT_EQ(pelkotest::readFile(file), "mine");
        EXPECT_EQ(entriesOf(elsewhere), before);
        EXPECT_TRUE(entriesOf(elsewhere + "/info").isEmpty());
        EXPECT_TRUE(entriesOf(context.homeTrash + "/info").isEmpty());
    }
}

TEST(Trash, TopDirTrashIsTheSharedOneOnlyWhenItIsSafe)
{
    const uid_t me = ::geteuid();
    const QString mine = QString::number(me);
    const QString ownTrash = QStringLiteral("/.Trash-") + mine;
    const QString sharedTrash = QStringLiteral("/.Trash/") + mine;
    struct Row
    {
        const char *name;
        std::function<bool(const QString &top)> plant; // false: not arranged
        QString expectedTrash;                         // empty: refused
    };
    const Row rows[] = {
        {"nothing there yet", [](const QString &) { return true; }, ownTrash},
        {"a shared trash with the sticky bit",
         [](const QString &top) {
             return QDir().mkpath(top + "/.Trash") &&
                    ::chmod(QFile::encodeName(top + "/.Trash").constData(), 01777) == 0;
         },
         // Made by root, it is the administrator's; made by an ordinary user, it is not.
         me == 0 ? sharedTrash : ownTrash},
        {"a sticky shared trash that another user made",
         [&](const QString &top) {
             return me == 0 && QDir().mkpath(top + "/.Trash") &&
                    ::chmod(QFile::encodeName(top + "/.Trash").constData(), 01777) == 0 &&
                    ::chown(QFile::encodeName(top + "/.Trash").constData(), 65534, 65534) == 0;
         },
         ownTrash},
        {"a shared trash without the sticky bit",
         [](const QString &top) {
             return QDir().mkpath(top + "/.Trash") &&
                    ::chmod(QFile::encodeName(top + "/.Trash").constData(), 0777) == 0;
         },
         ownTrash},
        {"the shared trash is a link to a sticky folder",
         [](const QString &top) {
             const QString sticky = pelkotest::freshDir(QStringLiteral("sticky"));
             return ::chmod(QFile::encodeName(sticky).constData(), 01777) == 0 &&
                    QFile::link(sticky, top + "/.Trash");
         },
         ownTrash},
        {"our folder in the shared trash belongs to another user",
         [&](const QString &top) {
             const QString folder = top + "/.Trash/" + mine;
             return me == 0 && QDir().mkpath(folder) &&
                    ::chmod(QFile::encodeName(top + "/.Trash").constData(), 01777) == 0 &&
                    ::chown(QFile::encodeName(folder).constData(), 4242, 4242) == 0;
         },
         ownTrash},
        {"our own trash is a link",
         [&](const QString &top) {
             return QFile::link(pelkotest::freshDir(QStringLiteral("elsewhere")), top + ownTrash);
         },
         QString()},
        {"our own trash is a plain file",
         [&](const QString &top) { return pelkotest::writeFile(top + ownTrash, "planted"); },
         QString()},
        {"our own trash belongs to another user",
         [&](const QString &top) {
             return me == 0 && QDir().mkpath(top + ownTrash) &&
                    ::chown(QFile::encodeName(top + ownTrash).constData(), 4242, 4242) == 0;
         },
         QString()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString top =
            QFileInfo(pelkotest::freshDir(QStringLiteral("top"))).canonicalFilePath();
        const QDateTime started = thisSecond();
        if (!row.plant(top)) {
            // Another user's folders can be made only by root.
            EXPECT_NE(me, 0u);
            continue;
        }
        const QString file = top + QStringLiteral("/sub/a b.txt");
        ASSERT_TRUE(pelkotest::writeFile(file, "moved"));
        QString trashedAs;
        const bool moved = MoveItemToTopDirTrash(file, top, me, &trashedAs);
        if (row.expectedTrash.isEmpty()) {
            EXPECT_FALSE(moved);
            EXPECT_EQ(pelkotest::readFile(file), "moved");
            continue;
        }
        ASSERT_TRUE(moved);
        const QString trash = top + row.expectedTrash;
        EXPECT_EQ(trashedAs, trash + QStringLiteral("/files/a b.txt"));
        EXPECT_EQ(pelkotest::readFile(trashedAs), "moved");
        EXPECT_EQ(modeOf(trash), 0700);
        // Kept relative to the top of the file system, which may be mounted elsewhere later.
        EXPECT_EQ(pathInInfo(trash + QStringLiteral("/info/a b.txt.trashinfo"), started),
                  QStringLiteral("sub/a%20b.txt"));
    }

    // An item outside the given top is not that file system's to take.
    const QString top = pelkotest::freshDir(QStringLiteral("top"));
    const QString outside = pelkotest::freshDir(QStringLiteral("outside")) + "/x";
    ASSERT_TRUE(pelkotest::writeFile(outside, "x"));
    EXPECT_FALSE(MoveItemToTopDirTrash(outside, top, me));
    EXPECT_TRUE(QFileInfo::exists(outside));
}

TEST(Trash, TheDesktopCallUsesTheHomeTrashAndNothingInTheWorkingFolder)
{
    const QString file = pelkotest::freshDir(QStringLiteral("trash")) + "/gone.txt";
    ASSERT_TRUE(pelkotest::writeFile(file, "bye"));
    const QString previous = QDir::currentPath();
    const QString cwd = pelkotest::freshDir(QStringLiteral("cwd"));
    QDir::setCurrent(cwd);
    EXPECT_TRUE(moveToTrash(file));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(moveToTrash(file));
    QDir::setCurrent(previous);
    EXPECT_TRUE(entriesOf(cwd).isEmpty());
    const QString info = CurrentUserTrash().homeTrash + QStringLiteral("/info/");
    EXPECT_TRUE(QFileInfo(info + "gone.txt.trashinfo").isFile() ||
                !entriesOf(info).filter(QStringLiteral("gone.txt")).isEmpty());
}

} // namespace
