#include "layers/SandBoxPaths.h"

#include "platform/Guard.h"
#include "services/FileUtility.h"

#include <QUrl>

void SandBox_AssignAccesablePath(const QString &path)
{
    GUARD_BEGIN
    QStringList &list = SandBox_GetAccesablePathList();
    if (!SandBox_CheckCanAccessPath(path)) {
        REPORT_FATAL();
        return;
    }
    if (!list.contains(path))
        list.append(path);
    GUARD_END_VOID
}

void SandBox_AssignAccesablePathFromFileList(const QVariantList &list)
{
    GUARD_BEGIN
    for (const QVariant &item : list) {
        QString path;
        if (item.typeId() == QMetaType::QUrl) {
            const QUrl url = item.toUrl();
            if (!url.isLocalFile())
                continue;
            path = url.toLocalFile();
        } else if (item.typeId() == QMetaType::QString) {
            path = item.toString();
        } else {
            continue;
        }
        if (IsPathExist(path))
            SandBox_AssignAccesablePath(path);
    }
    GUARD_END_VOID
}
