#include "controls/PelkoNSTableView.h"

#include "platform/Guard.h"
#include "platform/UserDefaults.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTreeView>
#include <algorithm>
#include <cmath>

namespace {

// The columns tied to a view, by logical section; lives as a child of the view.
class ColumnBinding : public QObject
{
public:
    explicit ColumnBinding(QObject *parent) : QObject(parent)
    {
        setObjectName(QStringLiteral("pelkoTableColumns"));
    }
    QList<TableColumnPtr> columns;
};

ColumnBinding *binding(const QAbstractItemView *view, bool make)
{
    if (!view)
        return nullptr;
    auto *found = view->findChild<ColumnBinding *>(QStringLiteral("pelkoTableColumns"),
                                                   Qt::FindDirectChildrenOnly);
    if (!found && make)
        found = new ColumnBinding(const_cast<QAbstractItemView *>(view));
    return found;
}

int logicalIndexOf(const QAbstractItemView *view, const TableColumnPtr &column)
{
    ColumnBinding *b = binding(view, false);
    if (!b || !column)
        return -1;
    for (int i = 0; i < b->columns.size(); ++i) {
        if (b->columns.at(i) == column)
            return i;
    }
    return -1;
}

QString tableName(const QAbstractItemView *view, const QString &name)
{
    if (!name.isEmpty())
        return name;
    return view ? view->property("autosaveName").toString() : QString();
}

QString columnKey(const QString &table, const QString &identifier, const char *what)
{
    return table + QLatin1Char('_') + identifier + QLatin1Char('_') + QLatin1String(what);
}

int sectionWidth(double width)
{
    if (!std::isfinite(width))
        return 0;
    return int(std::clamp(std::lround(width), 0L, 1L << 20));
}

} // namespace

QHeaderView *columnHeader(const QAbstractItemView *view)
{
    if (auto *tree = qobject_cast<const QTreeView *>(view))
        return tree->header();
    if (auto *table = qobject_cast<const QTableView *>(view))
        return table->horizontalHeader();
    return nullptr;
}

void setTableColumns(QAbstractItemView *view, const QList<TableColumnPtr> &columns)
{
    GUARD_BEGIN
    ColumnBinding *b = binding(view, true);
    if (!b)
        return;
    b->columns = columns;
    QHeaderView *header = columnHeader(view);
    if (!header)
        return;
    for (int i = 0; i < columns.size() && i < header->count(); ++i) {
        if (!columns.at(i))
            continue;
        header->setSectionHidden(i, columns.at(i)->hidden);
        setColumnWidth(view, columns.at(i), columns.at(i)->width);
    }
    GUARD_END_VOID
}

QList<TableColumnPtr> tableColumns(const QAbstractItemView *view)
{
    QList<TableColumnPtr> shown;
    ColumnBinding *b = binding(view, false);
    QHeaderView *header = columnHeader(view);
    if (!b || !header)
        return shown;
    const int count = std::min<int>(header->count(), b->columns.size());
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical >= 0 && logical < count && b->columns.at(logical))
            shown.append(b->columns.at(logical));
    }
    return shown;
}

double columnWidth(const QAbstractItemView *view, const TableColumnPtr &column)
{
    const int logical = logicalIndexOf(view, column);
    QHeaderView *header = columnHeader(view);
    if (logical < 0 || !header || logical >= header->count())
        return column ? column->width : 0;
    return header->sectionSize(logical);
}

void setColumnWidth(QAbstractItemView *view, const TableColumnPtr &column, double width)
{
    if (!column || !std::isfinite(width))
        return;
    width = std::clamp(width, column->minWidth, std::max(column->minWidth, column->maxWidth));
    column->width = width;
    const int logical = logicalIndexOf(view, column);
    QHeaderView *header = columnHeader(view);
    if (logical >= 0 && header && logical < header->count())
        header->resizeSection(logical, sectionWidth(width));
}

qint64 numberOfRows(const QAbstractItemView *view)
{
    if (!view || !view->model())
        return 0;
    return view->model()->rowCount(view->rootIndex());
}

void selectRow2(QAbstractItemView *view, qint64 row)
{
    selectRow2(view, row, false);
}

void selectRow2(QAbstractItemView *view, qint64 row, bool byExtendingSelection)
{
    GUARD_BEGIN
    if (!view || row < 0 || row >= numberOfRows(view) || !view->selectionModel())
        return;
    const QModelIndex index = view->model()->index(int(row), 0, view->rootIndex());
    auto flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    if (!byExtendingSelection)
        flags |= QItemSelectionModel::Clear;
    view->selectionModel()->select(index, flags);
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    GUARD_END_VOID
}

void setSelectionIndexes(QAbstractItemView *view, const QList<qint64> &rows)
{
    GUARD_BEGIN
    const qint64 count = numberOfRows(view);
    if (count <= 0 || !view->selectionModel())
        return;
    if (rows.isEmpty()) {
        view->clearSelection();
        return;
    }
    QItemSelection selection;
    for (qint64 row : rows) {
        if (row < 0 || row >= count)
            continue;
        const QModelIndex index = view->model()->index(int(row), 0, view->rootIndex());
        selection.select(index, index);
    }
    view->selectionModel()->select(selection,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    GUARD_END_VOID
}

void saveTableColumn_Order_Width2(QAbstractItemView *view, const QString &name)
{
    GUARD_BEGIN
    auto &defaults = platform::UserDefaults::standard();
    const QString table = tableName(view, name);
    if (table.isEmpty()) {
        REPORT_FATAL();
        return;
    }
    const QList<TableColumnPtr> columns = tableColumns(view);
    if (columns.isEmpty())
        return;
    for (int i = 0; i < columns.size(); ++i) {
        const TableColumnPtr &column = columns.at(i);
        if (column->identifier.isEmpty()) {
            REPORT_FATAL();
            continue;
        }
        defaults.setInteger(i + 1, columnKey(table, column->identifier, "order"));
        defaults.setDouble(columnWidth(view, column),
                           columnKey(table, column->identifier, "width"));
    }
    defaults.synchronize();
    GUARD_END_VOID
}

void loadTableColumn_Order_Width2(QAbstractItemView *view, const QString &name)
{
    GUARD_BEGIN
    auto &defaults = platform::UserDefaults::standard();
    const QString table = tableName(view, name);
    if (table.isEmpty()) {
        REPORT_FATAL();
        return;
    }
    QList<TableColumnPtr> columns = tableColumns(view);
    if (columns.isEmpty())
        return;
    for (const TableColumnPtr &column : columns) {
        if (column->identifier.isEmpty())
            continue;
        const double width = defaults.doubleForKey(columnKey(table, column->identifier, "width"));
        if (width > 1.0)
            setColumnWidth(view, column, width);
    }
    QHeaderView *header = columnHeader(view);
    // Position i takes the column stored for it, looked for among the columns after i; a column
    // without a stored position ends the pass.
    for (int i = 0; i < columns.size(); ++i) {
        for (int j = i + 1; j < columns.size(); ++j) {
            const TableColumnPtr &column = columns.at(j);
            if (column->identifier.isEmpty()) {
                REPORT_FATAL();
                continue;
            }
            const qint64 stored =
                defaults.integerForKey(columnKey(table, column->identifier, "order"));
            const int v = int(std::clamp<qint64>(stored, INT_MIN, INT_MAX));
            if (v == 0)
                return;
            if (v - 1 == i) {
                header->moveSection(j, i);
                columns = tableColumns(view);
            }
        }
    }
    GUARD_END_VOID
}

void moveColumn2(QAbstractItemView *view, const TableColumnPtr &column, qint64 index)
{
    GUARD_BEGIN
    if (!column)
        return;
    const QList<TableColumnPtr> columns = tableColumns(view);
    if (columns.isEmpty() || index < 0 || index >= columns.size()) {
        REPORT_FATAL();
        return;
    }
    const int from = indexOfTableColumnItem(view, column);
    if (from < 0) {
        REPORT_FATAL();
        return;
    }
    if (from == index)
        return;
    columnHeader(view)->moveSection(from, int(index));
    GUARD_END_VOID
}

TableColumnPtr tableColumnItemAtIndex(const QAbstractItemView *view, int index)
{
    if (index < 0)
        return nullptr;
    const QList<TableColumnPtr> columns = tableColumns(view);
    if (columns.isEmpty() || index >= columns.size()) {
        REPORT_FATAL();
        return nullptr;
    }
    return columns.at(index);
}

int indexOfTableColumnItem(const QAbstractItemView *view, const TableColumnPtr &column)
{
    if (!column)
        return -1;
    const QList<TableColumnPtr> columns = tableColumns(view);
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i) == column)
            return i;
    }
    return -1;
}

bool containsTableColumn2(const QAbstractItemView *view, const TableColumnPtr &column)
{
    return indexOfTableColumnItem(view, column) >= 0;
}

void removeTableColumn2(QAbstractItemView *view, const TableColumnPtr &column)
{
    GUARD_BEGIN
    if (!column)
        return;
    const int logical = logicalIndexOf(view, column);
    if (logical < 0) {
        REPORT_FATAL();
        return;
    }
    binding(view, false)->columns[logical] = nullptr;
    if (QHeaderView *header = columnHeader(view))
        header->setSectionHidden(logical, true);
    GUARD_END_VOID
}

TableColumnPtr reuseColumn(const platform::TableColumn &column)
{
    auto copy = std::make_shared<platform::TableColumn>();
    copy->title = column.title;
    if (column.sortDescriptorPrototype.isValid())
        copy->sortDescriptorPrototype = column.sortDescriptorPrototype;
    copy->hidden = column.hidden;
    copy->editable = column.editable;
    copy->resizingMask = column.resizingMask;
    copy->headerToolTip = column.headerToolTip;
    copy->width = column.width;
    copy->minWidth = column.minWidth;
    copy->maxWidth = column.maxWidth;
    return copy;
}

QList<QModelIndex> selectedItems(const QTreeView *view)
{
    QList<QModelIndex> items;
    if (!view || !view->model() || !view->selectionModel())
        return items;
    const QModelIndexList selected = view->selectionModel()->selectedRows(0);
    if (selected.isEmpty())
        return items;
    // Shown order: walk the expanded rows from the top.
    QModelIndex index = view->model()->index(0, 0, view->rootIndex());
    while (index.isValid()) {
        if (view->selectionModel()->isRowSelected(index.row(), index.parent()))
            items.append(index.siblingAtColumn(0));
        index = view->indexBelow(index);
    }
    return items;
}
