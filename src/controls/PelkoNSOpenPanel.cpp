#include "controls/PelkoNSOpenPanel.h"

#include "platform/Guard.h"
#include "platform/Panels.h"

#include <QFileInfo>

QString requestUserToSelectFileFolder(const QString &title, const QString &defaultCurrentFolder,
                                      const QString &openBtnString, bool bAllowFolder,
                                      bool bAllowFile, bool bAllowMulti,
                                      bool treatsFilePackagesAsDirectories,
                                      const QStringList &allowFileTypes, QStringList *outPathList)
{
    (void)treatsFilePackagesAsDirectories;
    GUARD_BEGIN
    if (!bAllowFolder && !bAllowFile) {
        REPORT_FATAL();
        return QString();
    }
    platform::OpenPanelRequest request;
    request.title = title;
    if (!defaultCurrentFolder.isEmpty() && QFileInfo(defaultCurrentFolder).isDir())
        request.directory = defaultCurrentFolder;
    request.prompt = openBtnString;
    request.allowFiles = bAllowFile;
    request.allowFolders = bAllowFolder;
    request.allowMulti = bAllowMulti;
    request.fileTypes = allowFileTypes;
    const QStringList chosen = platform::runOpenPanel(request);
    if (outPathList)
        *outPathList = chosen;
    for (const QString &path : chosen) {
        if (!path.isEmpty() && QFileInfo::exists(path))
            return path;
    }
    return QString();
    GUARD_END(QString())
}
