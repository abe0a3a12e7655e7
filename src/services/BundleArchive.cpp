#include "services/BundleArchive.h"

#include "platform/Guard.h"
#include "platform/Log.h"
#include "services/FileUtility.h"
#include "services/SupportFolder.h"
#include "services/ZipArchive.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Copies a file over its target through a temporary file beside it and a rename, so a failure
// leaves the old target in place.
bool replaceFileWith(const QString &source, const QString &target)
{
    const QString temp = QFileInfo(target).dir().filePath(
        QStringLiteral(".%1.part").arg(QFileInfo(target).fileName()));
    QFile::remove(temp);
    if (!QFile::copy(source, temp))
        return false;
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) !=
        0) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

} // namespace

bool InstallBundleArchiveIntoFolder(const QString &archivePath, const QString &folder)
{
    GUARD_BEGIN
    if (IsFolderExist(folder) && GetFileListInFolder_Names(folder).size() > 5)
        return true;
    if (!IsFileExist(archivePath)) {
        REPORT_FATAL();
        return false;
    }
    const QString tempRoot = GetProcessTempFolder();
    if (tempRoot.isEmpty()) {
        REPORT_FATAL();
        return false;
    }
    QTemporaryDir unpacked(QDir(tempRoot).filePath(QStringLiteral("unzip-XXXXXX")));
    if (!unpacked.isValid()) {
        REPORT_FATAL();
        return false;
    }
    ZipArchive zip;
    if (!zip.UnzipOpenFile(archivePath)) {
        REPORT_FATAL();
        return false;
    }
    const bool unzipped = zip.UnzipFileTo(unpacked.path(), true);
    zip.UnzipCloseFile();
    if (!unzipped) {
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR: damaged archive %1").arg(archivePath));
        REPORT_FATAL();
        return false;
    }
    const QFileInfoList files =
        QDir(unpacked.path()).entryInfoList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden);
    if (files.isEmpty()) {
        REPORT_FATAL();
        return false;
    }
    if (!IsFolderExist(folder) && !CreateFolder(folder)) {
        REPORT_FATAL();
        return false;
    }
    bool ok = true;
    for (const QFileInfo &file : files) {
        if (!replaceFileWith(file.filePath(), QDir(folder).filePath(file.fileName()))) {
            platform::LogWarning(lcServices,
                                 QStringLiteral("ERROR: can not install %1").arg(file.fileName()));
            ok = false;
        }
    }
    return ok;
    GUARD_END(false)
}
