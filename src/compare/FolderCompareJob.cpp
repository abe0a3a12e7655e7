#include "compare/FolderCompareJob.h"

#include "compare/FileKind.h"
#include "compare/FolderContentCompare.h"
#include "platform/Guard.h"
#include "services/AppSetting.h"

#include <QFile>
#include <QHash>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kBatchInterval = std::chrono::milliseconds(50);
constexpr qint64 kOneSecondNs = 1000000000;

struct SideInfo
{
    qint8 kind = Side_None;
    qint64 size = -1;
    qint64 mtime = 0;
    dev_t dev = 0;
    ino_t ino = 0;
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
        } else {
            info.kind = Side_Link;
        }
    } else {
        info.kind = Side_Special;
        info.size = 0;
    }
    return info;
}

SideInfo classifyPath(const QByteArray &path)
{
    return classify(AT_FDCWD, path.constData());
}

void setSide(COMP_ITEM &item, int side, const SideInfo &info, const QByteArray &name)
{
    const bool present = info.kind != Side_None;
    if (side == 1) {
        item.kind1 = info.kind;
        item.size1 = present ? info.size : -1;
        item.date1 = present ? info.mtime : 0;
        item.itemName1 = present ? name : QByteArray();
    } else {
        item.kind2 = info.kind;
        item.size2 = present ? info.size : -1;
        item.date2 = present ? info.mtime : 0;
        item.itemName2 = present ? name : QByteArray();
    }
}

bool sameTime(qint64 a, qint64 b)
{
    return (a > b ? a - b : b - a) < kOneSecondNs;
}

QByteArray linkText(const QByteArray &path)
{
    QByteArray buf(4096, Qt::Uninitialized);
    const ssize_t n = ::readlink(path.constData(), buf.data(), size_t(buf.size()));
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
    if (item.kind1 == Side_Special || item.kind2 == Side_Special) {
        item.compareResult = COMP_RESULT_NOT_JUDGED;
        item.customMultiPurposeInfo = NotJudged_SpecialFile;
        return false;
    }
    if (item.kind1 != item.kind2) { // a file against a link that is no file
        item.compareResult = COMP_RESULT_DIFFERENT;
        return false;
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

// Reads the content of a pair that judgeWithoutContent left pending.
void judgeContent(COMP_ITEM &item, const FolderCompareSettings &settings, const QByteArray &path1,
                  const QByteArray &path2, const std::atomic<bool> *cancel)
{
    if (item.kind1 == Side_Link) {
        item.compareResult =
            linkText(path1) == linkText(path2) ? COMP_RESULT_SAME : COMP_RESULT_DIFFERENT;
        item.customMultiPurposeInfo = NotJudged_None;
        return;
    }
    const bool lineEnds =
        settings.request->folder_compare_ignore_EndLineDiff && item.itemType == ITEM_TYPE_TEXT;
    item.customMultiPurposeInfo = NotJudged_None;
    switch (CompareFileContents(path1, path2, lineEnds, cancel)) {
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
    case ContentVerdict::Vanished:
    case ContentVerdict::Unreadable:
        item.compareResult = COMP_RESULT_NOT_JUDGED;
        item.customMultiPurposeInfo = NotJudged_FileUnreadable;
        break;
    }
}

// Reads both sides of the entry again and judges it fully.
void judgeOnDisk(COMP_ITEM &item, const FolderCompareSettings &settings, const QByteArray &path1,
                 const QByteArray &path2, const std::atomic<bool> *cancel)
{
    const QByteArray &name = item.name();
    setSide(item, 1, classifyPath(path1), name);
    setSide(item, 2, classifyPath(path2), name);
    if (judgeWithoutContent(item, *settings.request))
        judgeContent(item, settings, path1, path2, cancel);
}

struct Entry
{
    QByteArray name;
    SideInfo info;
};

// The names of one folder that the request keeps, sorted by their bytes. Returns false when
// the folder cannot be opened.
bool listFolder(const QByteArray &path, bool followTop, const FolderCompareSettings &settings,
                std::vector<Entry> &out, int *error)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followTop ? 0 : O_NOFOLLOW);
    const int fd = ::open(path.constData(), flags);
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
    while (const dirent *e = ::readdir(dir)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        if (settings.hideDotNames && n[0] == '.')
            continue;
        Entry entry{QByteArray(n), classify(fd, n)};
        if (entry.info.kind == Side_None)
            continue; // gone between listing and looking
        const QString text = QString::fromUtf8(entry.name);
        if (entry.info.kind == Side_Folder) {
            if (!request.compareSubFolder || !request.acceptsSubFolder(text))
                continue;
        } else if (!request.acceptsFile(text)) {
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

struct FolderCompareJob::Impl
{
    FolderCompareJob *job = nullptr;
    FolderCompareSettings settings;
    Deliver deliver;
    QThreadPool pool;
    QByteArray root1, root2;
    SideInfo rootInfo1, rootInfo2;

    std::mutex mutex; // guards the pending batch, the next ID and the delivery order
    FolderCompareBatch pending;
    int nextId = 0;
    Clock::time_point lastFlush;
    std::atomic<int> outstanding{0};
    std::condition_variable finishedCv;
    bool finished = false;

    const std::atomic<bool> *cancel() const { return &job->mCancel; }

    void flushLocked(bool force)
    {
        const auto now = Clock::now();
        if (!force && now - lastFlush < kBatchInterval)
            return;
        if (!force && pending.items.empty() && pending.updates.empty())
            return;
        lastFlush = now;
        FolderCompareBatch batch = std::move(pending);
        pending = FolderCompareBatch();
        if (deliver)
            deliver(std::move(batch));
    }

    // Gives the entries their IDs, queues them and answers the first ID.
    int addItems(std::vector<COMP_ITEM> &items)
    {
        std::lock_guard lock(mutex);
        const int first = nextId;
        for (COMP_ITEM &item : items)
            item.ID = nextId++;
        pending.items.insert(pending.items.end(), items.begin(), items.end());
        flushLocked(false);
        return first;
    }

    void addUpdates(std::vector<COMP_ITEM> &&updates)
    {
        if (updates.empty())
            return;
        std::lock_guard lock(mutex);
        pending.updates.insert(pending.updates.end(), std::make_move_iterator(updates.begin()),
                               std::make_move_iterator(updates.end()));
        flushLocked(false);
    }

    void taskDone()
    {
        if (outstanding.fetch_sub(1) != 1)
            return;
        std::lock_guard lock(mutex);
        pending.finished = true;
        pending.cancelled = job->isCancelled();
        job->mFinished.store(true);
        flushLocked(true);
        finished = true;
        finishedCv.notify_all();
    }

    void submit(std::function<void()> fn)
    {
        outstanding.fetch_add(1);
        pool.start([this, fn = std::move(fn)] {
            GUARD_BEGIN
            if (!job->isCancelled())
                fn();
            GUARD_END_VOID
            taskDone();
        });
    }

    bool isOtherRoot(const SideInfo &info, int side) const
    {
        const SideInfo &other = side == 1 ? rootInfo2 : rootInfo1;
        return other.kind == Side_Folder && info.dev == other.dev && info.ino == other.ino;
    }

    void listPair(const QByteArray &rel, int parentId, bool left, bool right);
    void compareContent(COMP_ITEM item, const QByteArray &rel);
};

void FolderCompareJob::Impl::listPair(const QByteArray &rel, int parentId, bool left, bool right)
{
    std::vector<Entry> a, b;
    int err1 = 0, err2 = 0;
    const bool top = rel.isEmpty();
    const bool ok1 = !left || listFolder(root1 + rel, top, settings, a, &err1);
    const bool ok2 = !right || listFolder(root2 + rel, top, settings, b, &err2);
    if (!ok1 || !ok2) {
        if (top) {
            const QByteArray bad = !ok1 ? root1 : root2;
            std::lock_guard lock(mutex);
            pending.rootError = QString::fromLocal8Bit(bad) + QStringLiteral(": ") +
                                QString::fromLocal8Bit(std::strerror(!ok1 ? err1 : err2));
            return; // this task's end finishes the job
        }
        a.clear();
        b.clear();
    }
    if ((!ok1 || !ok2) && parentId >= 0) {
        // The folder stays listed, not judged, with the reason.
        COMP_ITEM update;
        update.ID = parentId;
        update.customMultiPurposeInfo = NotJudged_FolderUnreadable;
        update.compareResult = COMP_RESULT_NOT_JUDGED;
        update.size1 = kReasonOnlyUpdate;
        addUpdates({update});
        return;
    }

    std::vector<COMP_ITEM> items;
    items.reserve(a.size() + b.size());
    std::vector<bool> needsContent;
    QHash<QString, QString> extensions;
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
        item.itemType =
            folder ? qint8(ITEM_TYPE_FOLDER)
                   : settings.itemTypeForName(QString::fromUtf8(item.name()), &item.extension);
        if (folder && !item.extension.isEmpty())
            item.extension.clear();
        // Entries of one folder share the text of each extension.
        if (!item.extension.isEmpty()) {
            auto known = extensions.constFind(item.extension);
            if (known != extensions.constEnd())
                item.extension = *known;
            else
                extensions.insert(item.extension, item.extension);
        }
        needsContent.push_back(judgeWithoutContent(item, *settings.request));
        items.push_back(std::move(item));
        if (ea)
            ++i;
        if (eb)
            ++j;
    }
    const int first = addItems(items);
    for (size_t k = 0; k < items.size(); ++k) {
        const COMP_ITEM &item = items[k];
        const int id = first + int(k);
        if (needsContent[k]) {
            COMP_ITEM copy = item;
            copy.ID = id;
            submit([this, copy, rel] { compareContent(copy, rel); });
            continue;
        }
        const bool in1 = item.kind1 == Side_Folder, in2 = item.kind2 == Side_Folder;
        if (!in1 && !in2)
            continue;
        if ((in1 && !in2 && item.onRight()) || (in2 && !in1 && item.onLeft()))
            continue; // a folder against a file: not entered
        const QByteArray childRel = rel + item.name() + '/';
        // A top folder inside the other is walked once, as the top folder.
        SideInfo i1, i2;
        bool skip = false;
        if (in1) {
            struct stat st
            {
            };
            if (::lstat((root1 + childRel).constData(), &st) == 0) {
                i1.dev = st.st_dev;
                i1.ino = st.st_ino;
                skip = skip || isOtherRoot(i1, 1);
            }
        }
        if (in2) {
            struct stat st
            {
            };
            if (::lstat((root2 + childRel).constData(), &st) == 0) {
                i2.dev = st.st_dev;
                i2.ino = st.st_ino;
                skip = skip || isOtherRoot(i2, 2);
            }
        }
        if (skip)
            continue;
        submit([this, childRel, id, in1, in2] { listPair(childRel, id, in1, in2); });
    }
}

void FolderCompareJob::Impl::compareContent(COMP_ITEM item, const QByteArray &rel)
{
    const QByteArray p1 = root1 + rel + item.itemName1;
    const QByteArray p2 = root2 + rel + item.itemName2;
    const COMP_ITEM listed = item;
    judgeContent(item, settings, p1, p2, cancel());
    // A side that vanished or changed while it was read is read again and judged once more.
    if (item.customMultiPurposeInfo != NotJudged_Cancelled) {
        COMP_ITEM again = listed;
        const QByteArray &name = listed.name();
        setSide(again, 1, classifyPath(p1), name);
        setSide(again, 2, classifyPath(p2), name);
        if (again.kind1 != listed.kind1 || again.kind2 != listed.kind2 ||
            again.size1 != listed.size1 || again.size2 != listed.size2 ||
            again.date1 != listed.date1 || again.date2 != listed.date2) {
            item = listed;
            judgeOnDisk(item, settings, p1, p2, cancel());
        }
    }
    addUpdates({item});
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
    d->root1 = QFile::encodeName(request.mFolder1);
    d->root2 = QFile::encodeName(request.mFolder2);
    if (!d->root1.endsWith('/'))
        d->root1 += '/';
    if (!d->root2.endsWith('/'))
        d->root2 += '/';
    struct stat st
    {
    };
    if (::stat(d->root1.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        d->rootInfo1.kind = Side_Folder;
        d->rootInfo1.dev = st.st_dev;
        d->rootInfo1.ino = st.st_ino;
    }
    if (::stat(d->root2.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        d->rootInfo2.kind = Side_Folder;
        d->rootInfo2.dev = st.st_dev;
        d->rootInfo2.ino = st.st_ino;
    }
    d->lastFlush = Clock::now() - kBatchInterval; // the first entries go out at once
    d->submit([this] { d->listPair(QByteArray(), -1, true, true); });
}

void FolderCompareJob::waitForFinished()
{
    std::unique_lock lock(d->mutex);
    d->finishedCv.wait(lock, [this] { return d->finished; });
    lock.unlock();
    d->pool.waitForDone();
}

COMP_ITEM FolderCompare_JudgeAgain(const FolderCompareSettings &settings, const COMP_ITEM &item,
                                   const QByteArray &parentPath1, const QByteArray &parentPath2,
                                   const std::atomic<bool> *cancel)
{
    COMP_ITEM again = item;
    GUARD_BEGIN
    const QByteArray &name = item.name();
    judgeOnDisk(again, settings, parentPath1 + name, parentPath2 + name, cancel);
    if (!again.onLeft() && !again.onRight()) {
        again.itemName1 = item.itemName1.isEmpty() ? name : item.itemName1;
        again.compareResult = COMP_RESULT_GONE;
    }
    GUARD_END(again)
    return again;
}

qint8 FolderVerdictFromCounts(const COMP_ITEM &folder, const FolderCounts &counts)
{
    if (!folder.onRight() && folder.onLeft())
        return COMP_RESULT_LEFT_ONLY;
    if (!folder.onLeft() && folder.onRight())
        return COMP_RESULT_RIGHT_ONLY;
    if (!folder.onLeft() && !folder.onRight())
        return COMP_RESULT_GONE;
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
