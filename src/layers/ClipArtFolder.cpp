#include "layers/ClipArtFolder.h"

#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "services/FileUtility.h"
#include "services/SupportFolder.h"
#include "services/ZipArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <mutex>

namespace {

constexpr int kCompleteFileCount = 19;

bool gClipArtDone = false; // under monitor("mainBundle")

// More than 19 files below the folder (names starting with "." skipped, links not entered).
bool isComplete(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir() || info.isSymLink())
        return false;
    int files = 0;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        if (entry.fileName().startsWith(u'.') || entry.isSymLink())
            continue;
        if (entry.isFile() && ++files > kCompleteFileCount)
            return true;
    }
    return false;
}

void unpackResourceArchives(const QString &folder)
{
    const QString resources = GetBundleResourceFolder();
    const QStringList names = QDir(resources).entryList(QDir::Files);
    for (const QString &name : names) {
        if (!name.startsWith(QStringLiteral("Resource_"), Qt::CaseInsensitive) ||
            QFileInfo(name).suffix().compare(QStringLiteral("zip"), Qt::CaseInsensitive) != 0)
            continue;
        ZipArchive archive;
        if (archive.UnzipOpenFile(resources + u'/' + name)) {
            archive.UnzipFileTo(folder, true);
            archive.UnzipCloseFile();
        }
    }
}

// Every file below the top level moves up, last listed first; a name already taken at the top
// keeps its file where it is.
void flatten(const QString &folder)
{
    const QStringList relative = GetFileListDeepFromFolder(folder);
    for (auto it = relative.crbegin(); it != relative.crend(); ++it) {
        const QString path = folder + u'/' + *it;
        const QFileInfo info(path);
        if (info.isSymLink() || !info.isFile())
            continue;
        const QString top = folder + u'/' + info.fileName();
        if (path == top || QFileInfo::exists(top) || QFileInfo(top).isSymLink())
            continue;
        QFile::rename(path, top);
    }
}

} // namespace

void SetupClipArtFolder()
{
    GUARD_BEGIN
    std::lock_guard<std::recursive_mutex> locked(platform::monitor("mainBundle"));
    if (gClipArtDone)
        return;
    // A relative or empty support folder would make the clean-up below name the wrong folder.
    if (gSupportFolder.isEmpty() || !QDir::isAbsolutePath(gSupportFolder))
        return;
    gClipArtDone = true;
    const QString folder = QDir::cleanPath(gSupportFolder) + QStringLiteral("/clipArt");
    if (isComplete(folder))
        return;
    if (QFileInfo(folder).exists() || QFileInfo(folder).isSymLink())
        DeleteFileOrFolder(folder);
    if (!CreateFolder(folder))
        return;
    unpackResourceArchives(folder);
    flatten(folder);
    GUARD_END_VOID
}

void ResetClipArtFolderOnce()
{
    std::lock_guard<std::recursive_mutex> locked(platform::monitor("mainBundle"));
    gClipArtDone = false;
}
