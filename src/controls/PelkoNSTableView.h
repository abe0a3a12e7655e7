#pragma once
// Helpers on table and tree views (QTableView, QTreeView): row selection with range tests,
// columns tied to the header's logical sections, column moves, and the order and width of the
// columns remembered in the user defaults under "<table>_<identifier>_order" (position from 1)
// and "<table>_<identifier>_width". The table's name is the one given, else the view's
// "autosaveName" property.

#include "platform/TableColumn.h"

#include <QList>
#include <QModelIndex>
#include <QString>

class QAbstractItemView;
class QHeaderView;
class QTreeView;

using platform::TableColumnPtr;

// The view's column header (horizontal header of a table, header of a tree); nullptr otherwise.
QHeaderView *columnHeader(const QAbstractItemView *view);

// Ties columns to the header: column i to logical section i. Their widths, hidden states and
// tool tips go to the header.
void setTableColumns(QAbstractItemView *view, const QList<TableColumnPtr> &columns);
// The tied columns in their shown order.
QList<TableColumnPtr> tableColumns(const QAbstractItemView *view);
// The column's width as shown (its header section), and a new width within its limits.
double columnWidth(const QAbstractItemView *view, const TableColumnPtr &column);
void setColumnWidth(QAbstractItemView *view, const TableColumnPtr &column, double width);

// Selects exactly that row when 0 <= row < number of rows (or adds it when extending);
// any other row is ignored and the selection kept.
void selectRow2(QAbstractItemView *view, qint64 row);
void selectRow2(QAbstractItemView *view, qint64 row, bool byExtendingSelection);
// Selects exactly these rows; an empty list clears the selection; nothing on a view without rows.
void setSelectionIndexes(QAbstractItemView *view, const QList<qint64> &rows);
// The number of top-level rows.
qint64 numberOfRows(const QAbstractItemView *view);

void saveTableColumn_Order_Width2(QAbstractItemView *view, const QString &name);
void loadTableColumn_Order_Width2(QAbstractItemView *view, const QString &name);
// Moves the column to shown position index, after range tests (each failure is reported).
void moveColumn2(QAbstractItemView *view, const TableColumnPtr &column, qint64 index);

TableColumnPtr tableColumnItemAtIndex(const QAbstractItemView *view, int index);
// The shown position of that very column object; -1 when the view does not hold it.
int indexOfTableColumnItem(const QAbstractItemView *view, const TableColumnPtr &column);
bool containsTableColumn2(const QAbstractItemView *view, const TableColumnPtr &column);
// Unties the column and hides its section.
void removeTableColumn2(QAbstractItemView *view, const TableColumnPtr &column);

// A fresh column (no identifier) with the column's title, sort prototype, hidden and editable
// states, resizing, tool tip and widths.
TableColumnPtr reuseColumn(const platform::TableColumn &column);

// The indexes (column 0) of the selected rows of a tree, in shown order.
QList<QModelIndex> selectedItems(const QTreeView *view);
