#pragma once
// What a window learns of a drag: the local paths it carries, in order, the actions its source
// allows and where the pointer is. Taken from Qt's drag events; no drag is an empty optional.

#include <QPointF>
#include <QStringList>
#include <optional>

class QDropEvent;
class QMimeData;
class QWidget;

struct DraggingInfo
{
    // Local file paths of the dragged URLs, in order; URLs that are not local files are left out.
    QStringList filenames;
    Qt::DropActions sourceActions;
    // In the coordinates of the window that takes the drop.
    QPointF position;
};

// The information of a drag or drop event delivered to widget (a widget of window); empty
// without an event or data.
std::optional<DraggingInfo> DraggingInfoFromEvent(const QDropEvent *event, const QWidget *widget,
                                                  const QWidget *window);
// The local paths of the data's URLs, in order.
QStringList LocalPathsFromMimeData(const QMimeData *data);

// The existing paths of the drag's list, in order, duplicates kept: folders only when
// allowFolder, anything else only when allowFile. Empty when none qualifies (or no drag).
QStringList GetDraggingPathArray(const std::optional<DraggingInfo> &info, bool allowFile,
                                 bool allowFolder);
