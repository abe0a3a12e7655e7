#include "controls/DraggingInfo.h"

#include "platform/Guard.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

QStringList LocalPathsFromMimeData(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    paths.reserve(urls.size());
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

std::optional<DraggingInfo> DraggingInfoFromEvent(const QDropEvent *event, const QWidget *widget,
                                                  const QWidget *window)
{
    if (!event || !event->mimeData())
        return std::nullopt;
    DraggingInfo info;
    info.filenames = LocalPathsFromMimeData(event->mimeData());
    info.sourceActions = event->possibleActions();
    info.position = event->position();
    if (widget && window && widget != window && window->isAncestorOf(widget))
        info.position = QPointF(widget->mapTo(window, event->position().toPoint()));
    return info;
}

QStringList GetDraggingPathArray(const std::optional<DraggingInfo> &info, bool allowFile,
                                 bool allowFolder)
{
    GUARD_BEGIN
    QStringList paths;
    if (!info || info->filenames.isEmpty())
        return paths;
    for (const QString &path : info->filenames) {
        if (path.isEmpty())
            continue;
        const QFileInfo file(path);
        if (!file.exists())
            continue;
        if (file.isDir() ? allowFolder : allowFile)
            paths.append(path);
    }
    return paths;
    GUARD_END(QStringList())
}
