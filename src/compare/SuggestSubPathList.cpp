#include "compare/SuggestSubPathList.h"

#include "platform/Guard.h"
#include "services/FileUtility.h"
#include "platform/LocalPath.h"

#include <QCollator>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <vector>

namespace {

struct FolderEntry
{
    QString name;
    bool folder;
};
using FolderEntries = std::shared_ptr<const std::vector<FolderEntry>>;

// Whether the entry is a folder, or a link to one: the listing says so for most entries, and
// only links and entries of file systems that do not say are asked.
bool isFolderEntry(const QString &folder, const dirent *entry)
{
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    const QByteArray path = LocalPath_ToBytes(folder) + entry->d_name;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The order the suggestions are listed in, as a file manager lists a folder: folders first, then
// the names in the natural order of the user's language (numbers by their value, so "file2"
// comes before "file10"), case-aware: letter case does not group the names ("apple",
// "Banana", "cherry") and decides only between names that differ in nothing else.
void sortEntries(std::vector<FolderEntry> &entries)
{
    // The C locale would compare code points: "Banana" before "apple", "file10" before "file2".
    const QLocale locale =
        QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<std::pair<QCollatorSortKey, size_t>> keys;
    keys.reserve(entries.size());
    for (size_t k = 0; k < entries.size(); ++k)
        keys.emplace_back(collator.sortKey(entries[k].name), k);
    std::stable_sort(keys.begin(), keys.end(), [&](const auto &a, const auto &b) {
        const bool folderA = entries[a.second].folder, folderB = entries[b.second].folder;
        if (folderA != folderB)
            return folderA;
        return a.first.compare(b.first) < 0;
    });
    std::vector<FolderEntry> sorted;
    sorted.reserve(entries.size());
    for (const auto &key : keys)
        sorted.push_back(std::move(entries[key.second]));
    entries = std::move(sorted);
}

// The entries of the folder, sorted, without "." and ".." (read directly: a keystroke in a
// folder of tens of thousands of entries must not wait for per-entry calls).
FolderEntries folderEntries(const QString &folder)
{
    auto entries = std::make_shared<std::vector<FolderEntry>>();
    DIR *dir = opendir(LocalPath_ToBytes(folder).constData());
    if (!dir)
        return entries;
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (qstrcmp(name, ".") == 0 || qstrcmp(name, "..") == 0)
            continue;
        entries->push_back({LocalPath_FromBytes(QByteArray(name)), isFolderEntry(folder, entry)});
    }
    closedir(dir);
    sortEntries(*entries);
    return entries;
}

// Typing stays in one folder for many keys: its entries are read (and sorted) again only when
// the folder changed (its modification time moves whenever an entry is added, removed or
// renamed). File system clocks are coarse, so a folder changed within the second before it was
// read is read again every time.
FolderEntries cachedFolderEntries(const QString &folder)
{
    static std::mutex mutex;
    static QString cachedFolder;
    static QDateTime cachedTime, cachedReadAt;
    static FolderEntries cachedEntries;
    const QDateTime modified = QFileInfo(folder).lastModified();
    std::lock_guard lock(mutex);
    const bool stable = modified.isValid() && modified.msecsTo(cachedReadAt) > 1000;
    if (folder != cachedFolder || modified != cachedTime || !stable || !cachedEntries) {
        cachedReadAt = QDateTime::currentDateTime();
        cachedEntries = folderEntries(folder);
        cachedFolder = folder;
        cachedTime = modified;
    }
    return cachedEntries;
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
    const FolderEntries entries = cachedFolderEntries(folder);
    // The folder part is the typed text's own beginning, so only the name needs testing.
    QStringList byPrefix, byName;
    for (const FolderEntry &entry : *entries) {
        const QString &name = entry.name;
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
