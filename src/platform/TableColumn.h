#pragma once
// A column of a table or tree view: an identifier plus the settings a copy of the column takes
// over. Columns are tied to the logical sections of a view's header (see controls/
// PelkoNSTableView.h); a column is known by its object, not by its identifier.

#include <QString>
#include <QVariant>
#include <memory>

namespace platform {

class TableColumn
{
public:
    enum ResizingMask { NoResizing = 0, AutoresizingMask = 1, UserResizingMask = 2 };

    QString identifier;
    QString title;
    QVariant sortDescriptorPrototype; // invalid when the column does not sort
    bool hidden = false;
    bool editable = false;
    int resizingMask = AutoresizingMask | UserResizingMask;
    QString headerToolTip;
    double width = 100;
    double minWidth = 10;
    double maxWidth = 100000;
};

using TableColumnPtr = std::shared_ptr<TableColumn>;

} // namespace platform
