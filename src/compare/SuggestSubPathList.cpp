#include "compare/SuggestSubPathList.h"

#include "platform/Guard.h"
#include "services/FileUtility.h"
#include "platform/LocalPath.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <mutex>

namespace {

// The names in the folder in the listing's own order, without "." and ".." (read directly: a
// keystroke in a folder of tens of thousands of entries must not wait for per-entry calls).
QStringList folderNames(const QString &folder)
{
    QStringList names;
    DIR *dir = opendir(LocalPath_ToBytes(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (qstrcmp(name, ".") == 0 || qstrcmp(name, "..") == 0)
            continue;
        names << LocalPath_FromBytes(QByteArray(name));
    }
    closedir(dir);
    return names;
}

// Typing stays in one folder for many keys: its names are read again only when the folder
// changed (its modification time moves whenever an entry is added, removed or renamed). File
// system clocks are coarse, so a folder changed within the second before it was read is read
// again every time.
QStringList cachedFolderNames(const QString &folder)
{
    static std::mutex mutex;
    static QString cachedFolder;
    static QDateTime cachedTime, cachedReadAt;
    static QStringList cachedNames;
    const QDateTime modified = QFileInfo(folder).lastModified();
    std::lock_guard lock(mutex);
    const bool stable = modified.isValid() && modified.msecsTo(cachedReadAt) > 1000;
    if (folder != cachedFolder || modified != cachedTime || !stable) {
        cachedReadAt = QDateTime::currentDateTime();
        cachedNames = folderNames(folder);
        cachedFolder = folder;
        cachedTime = modified;
    }
    return cachedNames;
}

} // namespace

QStringList SuggestSubPathList(const QString &typed)
{
    GUARD_BEGIN
    if (typed.isEmpty())
        return {};
    QString folder, last;
    if (typed.endsWith(QLatin1Char('/')) && IsFolderExist(typed)) {
        folder = typed;
    } else if (IsPathExist(typed)) {
        return {};
    } else {
        const qsizetype slash = typed.lastIndexOf(QLatin1Char('/'));
        if (slash < 0)
            return {};
        folder = typed.left(slash + 1);
        last = typed.mid(slash + 1);
        if (!IsFolderExist(folder))
            return {};
    }
    const QStringList names = cachedFolderNames(folder);
    // The folder part is the typed text's own beginning, so only the name needs testing.
    QStringList byPrefix, byName;
    for (const QString &name : names) {
        if (name.isEmpty() || name.compare(QLatin1String(".DS_Store"), Qt::CaseInsensitive) == 0)
            continue;
        if (name.startsWith(last, Qt::CaseInsensitive))
            byPrefix << folder + name;
        else if (name.contains(last, Qt::CaseInsensitive))
            byName << folder + name;
    }
    return byPrefix + byName;
    GUARD_END(QStringList())
}
