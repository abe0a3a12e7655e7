#include "services/FileUtility.h"

#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "platform/Workspace.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"
#include "services/FileReplace.h"
#include "services/NamedFile.h"
#include "platform/LocalPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kDsStore = QStringLiteral(".DS_Store");

// Does not follow a final link: a dangling link still exists as an item.
bool itemExists(const QString &path)
{
    const LocalPathInfo info(path);
    return info.exists() || info.isSymLink();
}

QString dropOneTrailingSlash(const QString &path)
{
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        return path.left(path.size() - 1);
    return path;
}

QStringList sortedEntryNames(const QString &folder)
{
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end());
    return names;
}

// Parents before their content; links to folders are listed, never entered (no loops).
void appendDeepList(const QString &folder, const QString &relative, QStringList *result)
{
    const QString here = relative.isEmpty() ? folder : folder + u'/' + relative;
    for (const QString &name : sortedEntryNames(here)) {
        if (name == kDsStore)
            continue;
        const QString itemPath = relative.isEmpty() ? name : relative + u'/' + name;
        result->append(itemPath);
        const QFileInfo info(here + u'/' + name);
        if (info.isDir() && !info.isSymLink())
            appendDeepList(folder, itemPath, result);
    }
}

} // namespace

namespace {
// Looked up by the path's own bytes, so names that are not UTF-8 are found too.
bool statPath(const QString &path, struct stat *st)
{
    return !path.isEmpty() && ::stat(LocalPath_ToBytes(path).constData(), st) == 0;
}
} // namespace

bool IsFileExist(const QString &path)
{
    struct stat st
    {
    };
    return statPath(path, &st) && !S_ISDIR(st.st_mode);
}

bool IsFolderExist(const QString &path)
{
    struct stat st
    {
    };
    return statPath(path, &st) && S_ISDIR(st.st_mode);
}

bool IsPathExist(const QString &path)
{
    struct stat st
    {
    };
    return statPath(path, &st);
}

bool IsSamePath(const QString &path1, const QString &path2)
{
    if (path1.isEmpty() || path2.isEmpty())
        return path1.isEmpty() && path2.isEmpty();
    return dropOneTrailingSlash(path1) == dropOneTrailingSlash(path2);
}

QString ResolveAliasPath(const QString &)
{
    return QString();
}

void AddPathToRecentList(const QString &path, QStringList *list, bool mustExist)
{
    if (path.isEmpty() || !list)
        return;
    if (mustExist && !IsPathExist(path))
        return;
    // A folder typed with and without its trailing slash is one entry: the newest spelling.
    list->removeIf([&path](const QString &entry) { return IsSamePath(entry, path); });
    list->insert(0, path);
}

bool CreateFolder(const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return false;
    if (QDir().mkpath(path))
        return true;
    platform::LogWarning(lcServices, QStringLiteral("ERROR CreateFolder: %1").arg(path));
    return false;
    GUARD_END(false)
}

bool DeleteFileOrFolder(const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty() || !itemExists(path))
        return false;
    // A link, also one inside the folder, goes itself: what it points to is never touched.
    const bool removed = platform::RemoveTreeNoFollow(path);
    if (!removed)
        platform::LogWarning(lcServices, QStringLiteral("ERROR DeleteFileOrFolder: %1").arg(path));
    return removed;
    GUARD_END(false)
}

qint64 GetFileSize(const QString &path)
{
    if (path.isEmpty())
        return 0;
    const LocalPathInfo info(path);
    return info.exists() ? info.size() : 0;
}

QStringList GetFileListInFolder_Names(const QString &folder)
{
    return GetFileListInFolder_Names(folder, gAppSetting.bIgnore_MacHiddenFile != 0);
}

QStringList GetFileListInFolder_Names(const QString &folder, bool hideDotNames)
{
    GUARD_BEGIN
    QStringList result;
    if (!IsFolderExist(folder))
        return result;
    QDir dir(folder);
    QStringList names = dir.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end());
    for (const QString &name : std::as_const(names)) {
        if (name == kDsStore)
            continue;
        if (hideDotNames && name.startsWith(QLatin1Char('.')))
            continue;
        result.append(dir.filePath(name));
    }
    return result;
    GUARD_END(QStringList())
}

QStringList GetFileListDeepFromFolder(const QString &folder)
{
    GUARD_BEGIN
    QStringList result;
    if (IsFolderExist(folder))
        appendDeepList(folder, QString(), &result);
    return result;
    GUARD_END(QStringList())
}

bool CopyFileSave(const QString &sourcePath, const QString &targetPath)
{
    GUARD_BEGIN
    if (sourcePath.isEmpty())
        return false;
    return CopyHeldFileSave(*HeldFile::open(sourcePath), targetPath, FileIdentity());
    GUARD_END(false)
}

bool CopyHeldFileSave(const HeldFile &source, const QString &targetPath,
                      const FileIdentity &targetRead, FileWriteFailure *failure,
                      FileIdentity *written, const ContentProgress &progress)
{
    if (failure)
        *failure = FileWriteFailure::Other;
    GUARD_BEGIN
    if (targetPath.isEmpty() || !source.isRegularFile())
        return false;
    if (source.changedSinceOpened()) {
        if (failure)
            *failure = FileWriteFailure::ChangedOnDisk;
        platform::LogWarning(
            lcServices,
            QStringLiteral("ERROR CopyFileSave: %1 changed since it was read").arg(source.path()));
        return false;
    }
    // The target keeps its owner, links, mode and attributes; a new one gets the source's mode.
    FileWriteFailure why = FileWriteFailure::None;
    if (!ReplaceReadFileContentFrom(targetPath, targetRead, source.fd(), source.size(), -1,
                                    source.permissions() & 0777, &why, written, progress)) {
        platform::LogWarning(lcServices, QStringLiteral("ERROR CopyFileSave: cannot write %1: %2")
                                             .arg(targetPath, FileWriteFailureText(why)));
        if (failure)
            *failure = why;
        return false;
    }
    if (failure)
        *failure = FileWriteFailure::None;
    return true;
    GUARD_END(false)
}

void RevealFileFolderInFinder(const QString &path)
{
    GUARD_BEGIN
    QString trimmed = path.trimmed();
    if (trimmed.isEmpty())
        return;
    if (!itemExists(trimmed)) {
        const qsizetype slash = trimmed.indexOf(QLatin1Char('/'));
        if (slash < 0)
            return;
        trimmed = trimmed.mid(slash).trimmed();
        if (!itemExists(trimmed))
            return;
    }
    const LocalPathInfo info(trimmed);
    if (info.isDir() && !trimmed.endsWith(QLatin1String(".app"))) {
        if (!platform::openFile(trimmed))
            platform::revealInFileManager(trimmed);
        return;
    }
    if (!platform::revealInFileManager(trimmed))
        platform::openFile(trimmed);
    GUARD_END_VOID
}

bool SandBox_CheckCanAccessPath(const QString &path)
{
    GUARD_BEGIN
    if (!IsPathExist(path))
        return false;
    if (!gAppHasSandbox)
        return true;
    // Try the read itself: what the permission bits say is not what the process may do.
    const LocalPathInfo info(path);
    if (info.isDir()) {
        DIR *dir = ::opendir(LocalPath_ToBytes(path).constData());
        if (!dir)
            return false;
        ::closedir(dir);
    } else if (info.isFile()) {
        if (!LocalPath_OpenRegularFile(path))
            return false;
    } else if (::access(LocalPath_ToBytes(path).constData(), R_OK) != 0) {
        // A pipe or device: opening one could block.
        return false;
    }
    if (info.isDir()) {
        QStringList &accessible = SandBox_GetAccesablePathList();
        if (!accessible.contains(path))
            accessible.append(path);
    }
    return true;
    GUARD_END(false)
}

QStringList &SandBox_GetAccesablePathList()
{
    static QStringList list;
    return list;
}
