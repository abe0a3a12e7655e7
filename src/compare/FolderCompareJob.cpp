#include "compare/FolderCompareJob.h"

#include "compare/ComparedTree.h"
#include "compare/FileKind.h"
#include "compare/FolderContentCompare.h"
#include "platform/Guard.h"
#include "services/AppSetting.h"
#include "platform/LocalPath.h"
#include "services/Localization.h"
#include "services/WorkerFailure.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kBatchInterval = std::chrono::milliseconds(50);
constexpr qint64 kOneSecondNs = 1000000000;

struct SideInfo
{
    qint8 kind = Side_None;
    qint8 special = Special_None;
    qint64 size = -1;
    qint64 mtime = 0;
    dev_t dev = 0; // of the name's own entry, or of a link's target when viaLink
    ino_t ino = 0;
    bool viaLink = false; // a link to a regular file, judged as that file
};

qint64 mtimeNs(const struct stat &st)
{
    return qint64(st.st_mtim.tv_sec) * kOneSecondNs + st.st_mtim.tv_nsec;
}

// What one name holds; links are classified by what they point at but never entered.
SideInfo classify(int dirfd, const char *name)
{
    SideInfo info;
    struct stat st
    {
    };
    if (::fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return info;
    info.size = st.st_size;
    info.mtime = mtimeNs(st);
    info.dev = st.st_dev;
    info.ino = st.st_ino;
    if (S_ISDIR(st.st_mode)) {
        info.kind = Side_Folder;
    } else if (S_ISREG(st.st_mode)) {
        info.kind = Side_File;
    } else if (S_ISLNK(st.st_mode)) {
        struct stat target
        {
        };
        if (::fstatat(dirfd, name, &target, 0) == 0 && S_ISREG(target.st_mode)) {
            info.kind = Side_File;
            info.size = target.st_size;
            info.mtime = mtimeNs(target);
            info.dev = target.st_dev;
            info.ino = target.st_ino;
            info.viaLink = true;
        } else {
            info.kind = Side_Link;
        }
    } else {
        info.kind = Side_Special;
        info.special = S_ISFIFO(st.st_mode)   ? Special_Pipe
                       : S_ISSOCK(st.st_mode) ? Special_Socket
                                              : Special_Device;
        info.size = 0;
    }
    return info;
}

// True when the name can be looked up in the folder: it is there, or it is known not to be.
bool lookupAnswers(int folder, const QByteArray &name)
{
    struct stat st
    {
    };
    return ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno == ENOENT ||
           errno == ENOTDIR;
}

// The identity the listing recorded for a folder or file it found.
JudgedFile identityOf(const SideInfo &info)
{
    JudgedFile judged;
    judged.dev = quint64(info.dev);
    judged.ino = quint64(info.ino);
    judged.viaLink = info.viaLink;
    judged.known = info.kind == Side_File || info.kind == Side_Folder;
    return judged;
}

void setSide(COMP_ITEM &item, int side, const SideInfo &info, const QByteArray &name)
{
    const bool present = info.kind != Side_None;
    // Folders too: whatever reaches below one later walks only through the folder listed.
    (side == 1 ? item.judged1 : item.judged2) = identityOf(info);
    if (side == 1) {
        item.kind1 = info.kind;
        item.special1 = info.special;
        item.size1 = present ? info.size : -1;
        item.date1 = present ? info.mtime : 0;
        item.itemName1 = present ? name : QByteArray();
    } else {
        item.kind2 = info.kind;
        item.special2 = info.special;
        item.size2 = present ? info.size : -1;
        item.date2 = present ? info.mtime : 0;
        item.itemName2 = present ? name : QByteArray();
    }
}

bool sameTime(qint64 a, qint64 b)
{
    return (a > b ? a - b : b - a) < kOneSecondNs;
}

// The text of the link at name in folder.
QByteArray linkText(int folder, const QByteArray &name)
{
    QByteArray buf(4096, Qt::Uninitialized);
    const ssize_t n = ::readlinkat(folder, name.constData(), buf.data(), size_t(buf.size()));
    return n < 0 ? QByteArray() : buf.left(n);
}

// Judges what needs no reading of contents; answers true when the content must be compared.
bool judgeWithoutContent(COMP_ITEM &item, const FileListCompareInfo &request)
{
    item.customMultiPurposeInfo = NotJudged_None;
    if (!item.onLeft() && !item.onRight()) {
        item.compareResult = COMP_RESULT_GONE;
        return false;
    }
    if (!item.onRight()) {
        item.compareResult = COMP_RESULT_LEFT_ONLY;
        return false;
    }
    if (!item.onLeft()) {
        item.compareResult = COMP_RESULT_RIGHT_ONLY;
        return false;
    }
    const bool folder1 = item.kind1 == Side_Folder, folder2 = item.kind2 == Side_Folder;
    if (folder1 && folder2) {
        item.compareResult = COMP_RESULT_NOT_JUDGED; // summed up from its content
        return false;
    }
    if (folder1 != folder2) {
        item.compareResult = COMP_RESULT_DIFFERENT;
        item.customMultiPurposeInfo = NotJudged_KindDiffers;
        return false;
    }
    if (item.kind1 == Side_Special && item.kind2 == Side_Special) {
        item.compareResult = COMP_RESULT_NOT_JUDGED;
        item.customMultiPurposeInfo = NotJudged_SpecialFile;
        return false;
    }
    // A pipe against a file, a file against a link that is no file: the kinds differ, nothing
    // needs opening.
    if (item.kind1 != item.kind2) {
        item.compareResult = COMP_RESULT_DIFFERENT;
        item.customMultiPurposeInfo = NotJudged_KindDiffers;
        return false;
    }
    // The size and time of a link that leads to no file are the link's own: it is judged by its
    // target text in every mode.
    if (item.kind1 == Side_Link) {
        item.compareResult = COMP_RESULT_NOT_JUDGED;
        item.customMultiPurposeInfo = NotJudged_Pending;
        return true;
    }
    const bool sameSize = item.size1 == item.size2;
    const bool sameDate = sameTime(item.date1, item.date2);
    switch (request.folder_compare_Mode) {
    case 1:
        item.compareResult = sameSize ? COMP_RESULT_SAME : COMP_RESULT_DIFFERENT;
        return false;
    case 2:
        item.compareResult = sameDate ? COMP_RESULT_SAME : COMP_RESULT_DIFFERENT;
        return false;
    case 3:
        break;
    default:
        item.compareResult = sameSize && sameDate ? COMP_RESULT_SAME : COMP_RESULT_DIFFERENT;
        return false;
    }
    const bool lineEnds = request.folder_compare_ignore_EndLineDiff &&
                          item.itemType == ITEM_TYPE_TEXT && item.kind1 == Side_File;
    if (!lineEnds && !sameSize) {
        item.compareResult = COMP_RESULT_DIFFERENT;
        return false;
    }
    if (sameSize && item.size1 == 0) {
        item.compareResult = COMP_RESULT_SAME;
        return false;
    }
    item.compareResult = COMP_RESULT_NOT_JUDGED;
    item.customMultiPurposeInfo = NotJudged_Pending;
    return true;
}

// The folders a pair's files are opened in, held by the walk from the top folders (-1: a side
// whose folder could not be reached, where nothing is found), and their names there.
struct OpenAt
{
    int folder1 = -1, folder2 = -1;
    QByteArray name1, name2;
};

// Reads the content of a pair that judgeWithoutContent left pending. after1/after2 (when given)
// receive the state of each file once it was read; both unset when the files were not read.
void judgeContent(COMP_ITEM &item, const FolderCompareSettings &settings, const OpenAt &at,
                  const std::atomic<bool> *cancel, ContentSideState *after1 = nullptr,
                  ContentSideState *after2 = nullptr)
{
    if (item.kind1 == Side_Link) {
        const QByteArray text1 = linkText(at.folder1, at.name1);
        const QByteArray text2 = linkText(at.folder2, at.name2);
        item.compareResult = text1 == text2 ? COMP_RESULT_SAME : COMP_RESULT_DIFFERENT;
        item.customMultiPurposeInfo = NotJudged_None;
        return;
    }
    const bool lineEnds =
        settings.request->folder_compare_ignore_EndLineDiff && item.itemType == ITEM_TYPE_TEXT;
    item.customMultiPurposeInfo = NotJudged_None;
    // Only the files the compare judged are read: a name that leads elsewhere now is not.
    const ContentVerdict verdict =
        CompareFileContentsAt(at.folder1, at.name1, at.folder2, at.name2, lineEnds, cancel, after1,
                              after2, &item.judged1, &item.judged2);
    switch (verdict) {
    case ContentVerdict::Same:
        item.compareResult = COMP_RESULT_SAME;
        break;
    case ContentVerdict::Different:
        item.compareResult = COMP_RESULT_DIFFERENT;
        break;
    case ContentVerdict::Cancelled:
        item.compareResult = COMP_RESULT_NOT_JUDGED;
        item.customMultiPurposeInfo = NotJudged_Cancelled;
        break;
    case ContentVerdict::Special:
        item.compareResult = COMP_RESULT_NOT_JUDGED;
        item.customMultiPurposeInfo = NotJudged_SpecialFile;
        break;
    case ContentVerdict::NameTooLong:
        item.compareResult = COMP_RESULT_NOT_JUDGED;
        item.customMultiPurposeInfo = NotJudged_NameTooLong;
        break;
    case ContentVerdict::Vanished:
    case ContentVerdict::Unreadable:
        item.compareResult = COMP_RESULT_NOT_JUDGED;
        item.customMultiPurposeInfo = NotJudged_FileUnreadable;
        break;
    case ContentVerdict::NotAsJudged:
        item.compareResult = COMP_RESULT_NOT_JUDGED;
        item.customMultiPurposeInfo = NotJudged_ChangedWhileRead;
        break;
    }
}

// Reads both sides of the entry again and judges it fully. A name that leads to another file
// between its look-up and its reading is looked up again, a few times; one that keeps changing
// stays not judged (NotJudged_ChangedWhileRead).
void judgeOnDisk(COMP_ITEM &item, const FolderCompareSettings &settings, const OpenAt &at,
                 const std::atomic<bool> *cancel)
{
    constexpr int kLookUps = 3;
    const QByteArray name = item.name();
    for (int round = 0; round < kLookUps; ++round) {
        setSide(item, 1, classify(at.folder1, at.name1.constData()), name);
        setSide(item, 2, classify(at.folder2, at.name2.constData()), name);
        if (!judgeWithoutContent(item, *settings.request))
            return;
        judgeContent(item, settings, at, cancel);
        if (item.customMultiPurposeInfo != NotJudged_ChangedWhileRead)
            return;
    }
}

struct Entry
{
    QByteArray name;
    SideInfo info;
};

// The names of the folder the route leads to below the top that the request keeps, sorted by
// their bytes. Returns false when the folder cannot be opened, or is not the folder the listing
// of its parent found (the route records it): a folder on the way swapped for a link is never
// listed. Hidden names left out go to hidden.
bool listFolder(const ComparedTree &tree, const TreeRoute &route,
                const FolderCompareSettings &settings, std::vector<Entry> &out, int *error,
                QSet<QByteArray> &hidden)
{
    const int fd = tree.openFolderToList(route, route.size()).release();
    if (fd < 0) {
        *error = errno;
        return false;
    }
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        *error = errno;
        ::close(fd);
        return false;
    }
    const FileListCompareInfo &request = *settings.request;
    const bool filtersFiles =
        !request.filterIncludeExt.isEmpty() || !request.filterExcludeExt.isEmpty();
    const bool filtersFolders = !request.exclude_SubDir.isEmpty();
    while (const dirent *e = ::readdir(dir)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        if (settings.hideDotNames && n[0] == '.') {
            hidden.insert(QByteArray(n));
            continue;
        }
        Entry entry{QByteArray(n), classify(fd, n)};
        if (entry.info.kind == Side_None)
            continue; // gone between listing and looking
        // Names become text only for the filters that are set.
        if (entry.info.kind == Side_Folder) {
            if (!request.compareSubFolder)
                continue;
            if (filtersFolders && !request.acceptsSubFolder(QString::fromUtf8(entry.name)))
                continue;
        } else if (filtersFiles && !request.acceptsFile(QString::fromUtf8(entry.name))) {
            continue;
        }
        out.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end(),
              [](const Entry &a, const Entry &b) { return a.name < b.name; });
    return true;
}

} // namespace

FolderCompareSettings
FolderCompareSettings::fromRequest(std::shared_ptr<const FileListCompareInfo> request)
{
    FolderCompareSettings s;
    s.request = std::move(request);
    if (gAppSetting_compare_listOfTextSupportFileExt)
        s.textExtensions = *gAppSetting_compare_listOfTextSupportFileExt;
    s.hideDotNames = gAppSetting.bIgnore_MacHiddenFile != 0;
    return s;
}

qint8 FolderCompareSettings::itemTypeForName(const QString &name, QString *extension) const
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot > 0 ? name.mid(dot + 1).toLower() : QString();
    if (extension)
        *extension = ext;
    if (ext.isEmpty())
        return ITEM_TYPE_OTHER;
    if (textExtensions.contains(ext))
        return ITEM_TYPE_TEXT;
    if (IsImageFileExtension(ext))
        return ITEM_TYPE_IMAGE;
    return ITEM_TYPE_OTHER;
}

namespace {

// What a folder whose listing failed on one or both sides (err1, err2: the errors, 0 for a side
// listed or not asked for) becomes; nothing when its verdict stands as it is.
std::optional<COMP_ITEM> unlistedFolderUpdate(int id, bool left, bool right, int err1, int err2,
                                              bool kindsDiffer, qint32 unseen)
{
    // Against a file the kinds already make it different; below a folder the other side could
    // not list, nothing is known of that side and its reason stays.
    if (kindsDiffer || unseen != NotJudged_None)
        return std::nullopt;
    const bool tooLong = (err1 == 0 || err1 == ENAMETOOLONG) && (err2 == 0 || err2 == ENAMETOOLONG);
    COMP_ITEM update;
    update.ID = id;
    update.size1 = kReasonOnlyUpdate;
    if (left != right) {
        // The other side has nothing there: one-sided whatever the folder holds. Its reason
        // only says why its content is not listed.
        update.compareResult = left ? COMP_RESULT_LEFT_ONLY : COMP_RESULT_RIGHT_ONLY;
        update.customMultiPurposeInfo =
            tooLong ? NotJudged_NameTooLong : NotJudged_FolderUnreadable;
        return update;
    }
    // A folder on both sides is judged by its content: not judged, saying which side failed.
    update.compareResult = COMP_RESULT_NOT_JUDGED;
    update.customMultiPurposeInfo = tooLong                  ? NotJudged_NameTooLong
                                    : err1 != 0 && err2 != 0 ? NotJudged_BothFoldersUnreadable
                                    : err1 != 0              ? NotJudged_LeftFolderUnreadable
                                                             : NotJudged_RightFolderUnreadable;
    return update;
}

} // namespace

struct FolderCompareJob::Impl
{
    FolderCompareJob *job = nullptr;
    FolderCompareSettings settings;
    Deliver deliver;
    QThreadPool pool;
    QByteArray root1, root2; // as named, ending in "/", for messages
    ComparedTreePtr tree1, tree2;
    int treeError1 = 0, treeError2 = 0; // why a top folder could not be opened

    std::mutex mutex; // guards the pending batch, the next ID and the time of the last hand-over
    // One hand-over at a time: batches go out in the order they were taken. Workers adding
    // entries never wait for a hand-over under way.
    std::mutex deliverMutex;
    FolderCompareBatch pending;
    int nextId = 0;
    Clock::time_point lastFlush;
    std::atomic<int> outstanding{0};
    QString failure; // why a task stopped on an exception, the first one (under mutex)
    std::condition_variable finishedCv;
    bool finished = false;

    const std::atomic<bool> *cancel() const { return &job->mCancel; }

    bool dueLocked() const
    {
        return Clock::now() - lastFlush >= kBatchInterval &&
               (!pending.items.empty() || !pending.updates.empty());
    }

    // Hands the pending batch over when one is due (always when forced), outside the lock the
    // workers add under. A hand-over already under way takes what is pending next time.
    void flush(bool force)
    {
        std::unique_lock order(deliverMutex, std::try_to_lock);
        if (!order.owns_lock()) {
            if (!force)
                return;
            order.lock();
        }
        FolderCompareBatch batch;
        {
            std::lock_guard lock(mutex);
            if (!force && !dueLocked())
                return;
            lastFlush = Clock::now();
            batch = std::move(pending);
            pending = FolderCompareBatch();
        }
        if (deliver)
            deliver(std::move(batch));
    }

    // Gives the entries their IDs, queues them and answers the first ID.
    int addItems(std::vector<COMP_ITEM> &items)
    {
        int first = 0;
        bool due = false;
        {
            std::lock_guard lock(mutex);
            first = nextId;
            for (COMP_ITEM &item : items)
                item.ID = nextId++;
            pending.items.insert(pending.items.end(), items.begin(), items.end());
            due = dueLocked();
        }
        if (due)
            flush(false);
        return first;
    }

    void addUpdates(std::vector<COMP_ITEM> &&updates)
    {
        if (updates.empty())
            return;
        bool due = false;
        {
            std::lock_guard lock(mutex);
            pending.updates.insert(pending.updates.end(), std::make_move_iterator(updates.begin()),
                                   std::make_move_iterator(updates.end()));
            due = dueLocked();
        }
        if (due)
            flush(false);
    }

    void taskDone()
    {
        if (outstanding.fetch_sub(1) != 1)
            return;
        // The last task: nothing adds entries any more.
        {
            std::lock_guard lock(mutex);
            pending.finished = true;
            pending.cancelled = job->isCancelled();
            // A task that stopped on an exception left entries unlisted: the compare is not whole.
            if (pending.rootError.isEmpty() && !failure.isEmpty())
                pending.rootError = failure;
        }
        job->mFinished.store(true);
        try {
            flush(true);
        } catch (...) {
            ReportWorkerFailure("folder compare", std::current_exception());
        }
        std::lock_guard lock(mutex);
        finished = true;
        finishedCv.notify_all();
    }

    void submit(std::function<void()> fn)
    {
        outstanding.fetch_add(1);
        pool.start([this, fn = std::move(fn)] {
            const QString why = RunWorkerStep("folder compare", [&] {
                if (!job->isCancelled())
                    fn();
            });
            if (!why.isEmpty()) {
                std::lock_guard lock(mutex);
                if (failure.isEmpty())
                    failure =
                        L_(QStringLiteral("The compare stopped before its end.")) + u'\n' + why;
            }
            taskDone();
        });
    }

    bool isOtherRoot(const SideInfo &info, int side) const
    {
        const ComparedTreePtr &other = side == 1 ? tree2 : tree1;
        return other && other->isTop(info.dev, info.ino);
    }

    bool listSide(int side, const TreeRoute &route, std::vector<Entry> &out, int *error,
                  QSet<QByteArray> &hidden) const
    {
        const ComparedTreePtr &tree = side == 1 ? tree1 : tree2;
        if (!tree) {
            *error = side == 1 ? treeError1 : treeError2;
            return false;
        }
        return listFolder(*tree, route, settings, out, error, hidden);
    }

    // unseen (a reason of a side that could not be listed above) judges every entry found.
    // kindsDiffer: the folder stands against a file, link or special file on the other side.
    // route1/route2: each side's folder below its top, as the listing of its parent found it
    // (empty at the top).
    void listPair(const TreeRoute &route1, const TreeRoute &route2, int parentId, bool left,
                  bool right, bool kindsDiffer, qint32 unseen);
    // Judges the content of pairs of one folder, one after the other, and hands them over
    // together.
    void compareContents(std::vector<COMP_ITEM> items, const TreeRoute &route1,
                         const TreeRoute &route2);
    COMP_ITEM compareContent(COMP_ITEM item, const OpenAt &at);
};

void FolderCompareJob::Impl::listPair(const TreeRoute &route1, const TreeRoute &route2,
                                      int parentId, bool left, bool right, bool kindsDiffer,
                                      qint32 unseen)
{
    std::vector<Entry> a, b;
    int err1 = 0, err2 = 0;
    const bool top = parentId < 0;
    QSet<QByteArray> hidden; // a name hidden on both sides is one entry left out
    const bool ok1 = !left || listSide(1, route1, a, &err1, hidden);
    const bool ok2 = !right || listSide(2, route2, b, &err2, hidden);
    if (!hidden.isEmpty()) {
        std::lock_guard lock(mutex);
        pending.hiddenLeftOut += int(hidden.size());
    }
    if (!ok1 || !ok2) {
        const int err = !ok1 ? err1 : err2;
        if (top) {
            const QByteArray bad = !ok1 ? root1 : root2;
            std::lock_guard lock(mutex);
            pending.rootError = CompItem_DisplayName(bad) + QStringLiteral(": ") +
                                QString::fromLocal8Bit(std::strerror(err));
            return; // this task's end finishes the job
        }
        if (!ok1)
            a.clear();
        if (!ok2)
            b.clear();
        if (const std::optional<COMP_ITEM> update = unlistedFolderUpdate(
                parentId, left, right, ok1 ? 0 : err1, ok2 ? 0 : err2, kindsDiffer, unseen))
            addUpdates({*update});
        // What the other side of a folder on both sides holds is still listed, not judged
        // either: nothing is known of the side that could not be read.
        if (left && right && ok1 != ok2 && unseen == NotJudged_None)
            unseen = !ok1 ? NotJudged_LeftFolderUnreadable : NotJudged_RightFolderUnreadable;
    }

    std::vector<COMP_ITEM> items;
    items.reserve(a.size() + b.size());
    std::vector<bool> needsContent;
    std::vector<std::pair<SideInfo, SideInfo>> identities; // what each side's name is
    QHash<QByteArray, std::pair<qint8, QString>> types;    // by the bytes after the last dot
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        const Entry *ea = i < a.size() ? &a[i] : nullptr;
        const Entry *eb = j < b.size() ? &b[j] : nullptr;
        if (ea && eb) {
            const int c = ea->name.compare(eb->name);
            if (c < 0)
                eb = nullptr;
            else if (c > 0)
                ea = nullptr;
        }
        COMP_ITEM item;
        item.parent = parentId;
        if (ea)
            setSide(item, 1, ea->info, ea->name);
        if (eb)
            setSide(item, 2, eb->info, eb->name);
        if (ea && eb)
            item.itemName2 = item.itemName1; // one copy of the name for both sides
        const bool folder = (ea ? ea->info.kind : eb->info.kind) == Side_Folder;
        if (folder) {
            item.itemType = ITEM_TYPE_FOLDER;
        } else {
            // Entries of one folder share the kind and the text of each extension, found once.
            // A dot byte is never part of a longer UTF-8 sequence, so the bytes after the last
            // one are the extension of the name as text too.
            const QByteArray &name = item.name();
            const qsizetype dot = name.lastIndexOf('.');
            const QByteArray rawExtension = dot > 0 ? name.mid(dot + 1) : QByteArray();
            auto known = types.constFind(rawExtension);
            if (known == types.constEnd()) {
                QString extension;
                const qint8 type = settings.itemTypeForName(QString::fromUtf8(name), &extension);
                known = types.insert(rawExtension, {type, extension});
            }
            item.itemType = known->first;
            item.extension = known->second;
        }
        const bool content = judgeWithoutContent(item, *settings.request);
        if (unseen != NotJudged_None) {
            item.compareResult = COMP_RESULT_NOT_JUDGED;
            item.customMultiPurposeInfo = unseen;
        }
        needsContent.push_back(content && unseen == NotJudged_None);
        identities.emplace_back(ea ? ea->info : SideInfo(), eb ? eb->info : SideInfo());
        items.push_back(std::move(item));
        if (ea)
            ++i;
        if (eb)
            ++j;
    }
    const int first = addItems(items);
    // Pairs whose content is read go to workers in groups: many small files make one task,
    // so the pool and the hand-over are not busier than the reading.
    constexpr size_t kGroupPairs = 32;
    constexpr qint64 kGroupBytes = 1024 * 1024;
    std::vector<COMP_ITEM> group;
    qint64 groupBytes = 0;
    const auto submitGroup = [&] {
        if (group.empty())
            return;
        submit([this, pairs = std::move(group), route1, route2] {
            compareContents(pairs, route1, route2);
        });
        group = {};
        groupBytes = 0;
    };
    for (size_t k = 0; k < items.size(); ++k) {
        const COMP_ITEM &item = items[k];
        const int id = first + int(k);
        if (needsContent[k]) {
            group.push_back(item);
            group.back().ID = id;
            groupBytes += std::max<qint64>(item.size1, 0);
            if (group.size() >= kGroupPairs || groupBytes >= kGroupBytes)
                submitGroup();
            continue;
        }
        const bool in1 = item.kind1 == Side_Folder, in2 = item.kind2 == Side_Folder;
        if (!in1 && !in2)
            continue;
        // A top folder inside the other is walked once, as the top folder (the listing knows
        // what each name is).
        const auto &[found1, found2] = identities[k];
        if ((in1 && isOtherRoot(found1, 1)) || (in2 && isOtherRoot(found2, 2)))
            continue;
        const bool kindsDiffer = item.onLeft() && item.onRight() && in1 != in2;
        // A folder against a file is entered on its folder side only, as the folder listed here.
        TreeRoute child1 = route1, child2 = route2;
        child1.push_back({item.name(), identityOf(found1), true});
        child2.push_back({item.name(), identityOf(found2), true});
        submit([this, child1 = std::move(child1), child2 = std::move(child2), id, in1, in2,
                kindsDiffer,
                unseen] { listPair(child1, child2, id, in1, in2, kindsDiffer, unseen); });
    }
    submitGroup();
}

void FolderCompareJob::Impl::compareContents(std::vector<COMP_ITEM> items, const TreeRoute &route1,
                                             const TreeRoute &route2)
{
    // The two folders are opened once for all their pairs, walked from the top folders without
    // following a link on the way. When one is not the folder listed now, nothing is read.
    TreeFailure why1 = TreeFailure::Gone, why2 = TreeFailure::Gone;
    const platform::UniqueFd folder1 =
        tree1 ? tree1->openFolder(route1, route1.size(), &why1) : platform::UniqueFd();
    const platform::UniqueFd folder2 =
        tree2 ? tree2->openFolder(route2, route2.size(), &why2) : platform::UniqueFd();
    const bool changed = why1 == TreeFailure::NotAsJudged || why2 == TreeFailure::NotAsJudged;
    for (COMP_ITEM &item : items) {
        // Pairs not reached before a Stop stay pending-and-stopped, like a pair cut short.
        if (job->isCancelled()) {
            item.compareResult = COMP_RESULT_NOT_JUDGED;
            item.customMultiPurposeInfo = NotJudged_Cancelled;
            continue;
        }
        if (changed) {
            item.compareResult = COMP_RESULT_NOT_JUDGED;
            item.customMultiPurposeInfo = NotJudged_ChangedWhileRead;
            continue;
        }
        // The names are taken before the item is moved into the call: the order in which the
        // arguments are made is the compiler's choice.
        const OpenAt at{folder1.get(), folder2.get(), item.itemName1, item.itemName2};
        item = compareContent(std::move(item), at);
    }
    addUpdates(std::move(items));
}

COMP_ITEM FolderCompareJob::Impl::compareContent(COMP_ITEM item, const OpenAt &at)
{
    const COMP_ITEM listed = item;
    ContentSideState after1, after2;
    judgeContent(item, settings, at, cancel(), &after1, &after2);
    // A side that vanished or changed while it was read is looked up and judged once more. The
    // open files tell; when they were not both opened, their names in the folders held do.
    if (item.customMultiPurposeInfo == NotJudged_Cancelled)
        return item;
    bool changed = item.customMultiPurposeInfo == NotJudged_ChangedWhileRead;
    if (changed) {
        // A side that is no longer the file judged was not read: it is looked up again.
    } else if (after1.size >= 0 && after2.size >= 0) {
        changed = after1.unlinked || after2.unlinked || after1.size != listed.size1 ||
                  after2.size != listed.size2 || after1.mtimeNs != listed.date1 ||
                  after2.mtimeNs != listed.date2;
    } else {
        COMP_ITEM again = listed;
        const QByteArray &name = listed.name();
        setSide(again, 1, classify(at.folder1, at.name1.constData()), name);
        setSide(again, 2, classify(at.folder2, at.name2.constData()), name);
        changed = again.kind1 != listed.kind1 || again.kind2 != listed.kind2 ||
                  again.size1 != listed.size1 || again.size2 != listed.size2 ||
                  again.date1 != listed.date1 || again.date2 != listed.date2 ||
                  again.judged1 != listed.judged1 || again.judged2 != listed.judged2;
    }
    if (changed) {
        item = listed;
        judgeOnDisk(item, settings, at, cancel());
    }
    return item;
}

FolderCompareJob::FolderCompareJob(FolderCompareSettings settings, Deliver deliver)
    : d(std::make_unique<Impl>())
{
    d->job = this;
    d->settings = std::move(settings);
    d->deliver = std::move(deliver);
    d->pool.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
}

FolderCompareJob::~FolderCompareJob()
{
    cancel();
    d->pool.waitForDone();
}

void FolderCompareJob::start()
{
    const FileListCompareInfo &request = *d->settings.request;
    d->root1 = LocalPath_ToBytes(request.mFolder1);
    d->root2 = LocalPath_ToBytes(request.mFolder2);
    if (!d->root1.endsWith('/'))
        d->root1 += '/';
    if (!d->root2.endsWith('/'))
        d->root2 += '/';
    // The top folders are held from here on: everything the compare and the window do below
    // them starts from the folders whose listing the user is shown.
    d->tree1 = d->settings.tree1 ? d->settings.tree1 : ComparedTree::open(d->root1, &d->treeError1);
    d->tree2 = d->settings.tree2 ? d->settings.tree2 : ComparedTree::open(d->root2, &d->treeError2);
    d->settings.tree1 = d->tree1;
    d->settings.tree2 = d->tree2;
    d->lastFlush = Clock::now() - kBatchInterval; // the first entries go out at once
    d->submit([this] { d->listPair({}, {}, -1, true, true, false, NotJudged_None); });
}

ComparedTreePtr FolderCompareJob::tree(int side) const
{
    return side == 1 ? d->tree1 : d->tree2;
}

void FolderCompareJob::waitForFinished()
{
    std::unique_lock lock(d->mutex);
    d->finishedCv.wait(lock, [this] { return d->finished; });
    lock.unlock();
    d->pool.waitForDone();
}

namespace {

ComparedTreePtr treeOf(const FolderCompareSettings &settings, int side)
{
    const ComparedTreePtr &held = side == 1 ? settings.tree1 : settings.tree2;
    if (held || !settings.request)
        return held;
    return ComparedTree::open(
        LocalPath_ToBytes(side == 1 ? settings.request->mFolder1 : settings.request->mFolder2));
}

// The folders below the top that a path names, each taken for a folder, nothing judged; unset
// when the path is not below the top.
std::optional<TreeRoute> folderRouteBelow(const QString &top, const QByteArray &path)
{
    QByteArray root = LocalPath_ToBytes(top);
    if (!root.endsWith('/'))
        root += '/';
    if (top.isEmpty() || !path.startsWith(root))
        return std::nullopt;
    TreeRoute route = TreeRoute_FromPath(path.mid(root.size()));
    for (TreeStep &step : route)
        step.folder = true;
    return route;
}

} // namespace

COMP_ITEM FolderCompare_JudgeAgain(const FolderCompareSettings &settings, const COMP_ITEM &item,
                                   const TreeRoute &parent1, const TreeRoute &parent2,
                                   const std::atomic<bool> *cancel)
{
    COMP_ITEM again = item;
    GUARD_BEGIN
    const QByteArray &name = item.name();
    // Each parent is walked from its top folder without following a link, and only through the
    // folders the listing found.
    const ComparedTreePtr tree1 = treeOf(settings, 1), tree2 = treeOf(settings, 2);
    TreeFailure why1 = TreeFailure::Gone, why2 = TreeFailure::Gone;
    const platform::UniqueFd held1 =
        tree1 ? tree1->openFolder(parent1, parent1.size(), &why1) : platform::UniqueFd();
    const platform::UniqueFd held2 =
        tree2 ? tree2->openFolder(parent2, parent2.size(), &why2) : platform::UniqueFd();
    if (why1 == TreeFailure::NotAsJudged || why2 == TreeFailure::NotAsJudged) {
        again.compareResult = COMP_RESULT_NOT_JUDGED;
        again.customMultiPurposeInfo = NotJudged_ChangedWhileRead;
        return again;
    }
    const OpenAt at{held1.get(), held2.get(), name, name};
    judgeOnDisk(again, settings, at, cancel);
    if (!again.onLeft() && !again.onRight()) {
        again.itemName1 = item.itemName1.isEmpty() ? name : item.itemName1;
        again.compareResult = COMP_RESULT_GONE;
    }
    // A folder is judged by the listing of its content, which judging its row again does not
    // repeat: why that listing failed still stands while the folder is what it was.
    const qint32 reason = item.customMultiPurposeInfo;
    const bool listingReason = reason == NotJudged_FolderUnreadable ||
                               reason == NotJudged_NameTooLong ||
                               reason == NotJudged_BothFoldersUnreadable ||
                               (reason == NotJudged_LeftFolderUnreadable && item.onLeft()) ||
                               (reason == NotJudged_RightFolderUnreadable && item.onRight());
    if (item.isFolder() && listingReason && again.kind1 == item.kind1 &&
        again.kind2 == item.kind2) {
        again.customMultiPurposeInfo = reason;
        return again;
    }
    // Below a folder that still cannot be searched, a side that is not found is not known to
    // be missing.
    const qint32 unseen = item.customMultiPurposeInfo;
    if (CompItem_SideUnseen(unseen) && again.compareResult != COMP_RESULT_GONE) {
        const bool left = unseen == NotJudged_LeftFolderUnreadable;
        const bool found = left ? again.onLeft() : again.onRight();
        const TreeFailure why = left ? why1 : why2;
        const int folder = left ? held1.get() : held2.get();
        const bool answers = folder >= 0 ? lookupAnswers(folder, name) : why == TreeFailure::Gone;
        if (!found && !answers) {
            again.compareResult = COMP_RESULT_NOT_JUDGED;
            again.customMultiPurposeInfo = unseen;
        }
    }
    GUARD_END(again)
    return again;
}

COMP_ITEM FolderCompare_JudgeAgain(const FolderCompareSettings &settings, const COMP_ITEM &item,
                                   const QByteArray &parentPath1, const QByteArray &parentPath2,
                                   const std::atomic<bool> *cancel)
{
    const std::optional<TreeRoute> route1 =
        folderRouteBelow(settings.request ? settings.request->mFolder1 : QString(), parentPath1);
    const std::optional<TreeRoute> route2 =
        folderRouteBelow(settings.request ? settings.request->mFolder2 : QString(), parentPath2);
    if (!route1 || !route2) {
        COMP_ITEM again = item;
        again.compareResult = COMP_RESULT_NOT_JUDGED;
        again.customMultiPurposeInfo = NotJudged_ChangedWhileRead;
        return again;
    }
    return FolderCompare_JudgeAgain(settings, item, *route1, *route2, cancel);
}

qint8 FolderVerdictFromCounts(const COMP_ITEM &folder, const FolderCounts &counts)
{
    if (!folder.onLeft() && !folder.onRight())
        return COMP_RESULT_GONE;
    // Below a folder one side could not list, that side may hold anything: only a folder found
    // on that side alone is known to be one-sided.
    if (const qint32 reason = folder.customMultiPurposeInfo; CompItem_SideUnseen(reason)) {
        const bool onUnseenSideOnly = reason == NotJudged_LeftFolderUnreadable
                                          ? folder.onLeft() && !folder.onRight()
                                          : folder.onRight() && !folder.onLeft();
        if (!onUnseenSideOnly)
            return COMP_RESULT_NOT_JUDGED;
    }
    if (!folder.onRight())
        return COMP_RESULT_LEFT_ONLY;
    if (!folder.onLeft())
        return COMP_RESULT_RIGHT_ONLY;
    if (folder.customMultiPurposeInfo == NotJudged_KindDiffers)
        return COMP_RESULT_DIFFERENT;
    if (folder.customMultiPurposeInfo != NotJudged_None &&
        folder.customMultiPurposeInfo != NotJudged_Pending)
        return COMP_RESULT_NOT_JUDGED;
    const int *c = counts.counts;
    if (c[COMP_RESULT_DIFFERENT] || c[COMP_RESULT_LEFT_ONLY] || c[COMP_RESULT_RIGHT_ONLY])
        return COMP_RESULT_DIFFERENT;
    if (c[COMP_RESULT_NOT_JUDGED])
        return COMP_RESULT_NOT_JUDGED;
    return COMP_RESULT_SAME;
}

void CompItems_SumUpFolders(std::vector<COMP_ITEM> &items)
{
    std::vector<FolderCounts> counts(items.size());
    for (size_t k = items.size(); k-- > 0;) {
        COMP_ITEM &item = items[k];
        if (item.isFolder() && item.kind1 != Side_File && item.kind2 != Side_File)
            item.compareResult = FolderVerdictFromCounts(item, counts[k]);
        if (item.parent >= 0 && size_t(item.parent) < items.size())
            counts[size_t(item.parent)].add(item.compareResult);
    }
}

QByteArray CompItems_RelativePath(const std::vector<COMP_ITEM> &items, int id)
{
    QByteArray path;
    while (id >= 0 && size_t(id) < items.size()) {
        const COMP_ITEM &item = items[size_t(id)];
        path = path.isEmpty() ? item.name() : item.name() + '/' + path;
        id = item.parent;
    }
    return path;
}

void ApplyFolderCompareUpdate(std::vector<COMP_ITEM> &items, const COMP_ITEM &update)
{
    if (update.ID < 0 || size_t(update.ID) >= items.size())
        return;
    COMP_ITEM &target = items[size_t(update.ID)];
    if (update.size1 == kReasonOnlyUpdate) {
        target.compareResult = update.compareResult;
        target.customMultiPurposeInfo = update.customMultiPurposeInfo;
        return;
    }
    const int parent = target.parent;
    target = update;
    target.parent = parent;
}

FolderCompareOutcome CompareFoldersAndWait(const FolderCompareSettings &settings,
                                           std::function<bool()> stopAfterBatch)
{
    FolderCompareOutcome outcome;
    std::mutex m;
    FolderCompareJob *jobPtr = nullptr;
    FolderCompareJob job(settings, [&](FolderCompareBatch &&batch) {
        std::lock_guard lock(m);
        outcome.items.insert(outcome.items.end(), std::make_move_iterator(batch.items.begin()),
                             std::make_move_iterator(batch.items.end()));
        for (const COMP_ITEM &u : batch.updates)
            ApplyFolderCompareUpdate(outcome.items, u);
        outcome.hiddenLeftOut += batch.hiddenLeftOut;
        if (batch.finished) {
            outcome.cancelled = batch.cancelled;
            outcome.rootError = batch.rootError;
        }
        if (stopAfterBatch && stopAfterBatch() && jobPtr)
            jobPtr->cancel();
    });
    jobPtr = &job;
    job.start();
    job.waitForFinished();
    CompItems_SumUpFolders(outcome.items);
    return outcome;
}
