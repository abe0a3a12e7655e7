// Row selection, columns tied to the header, and the stored order and width of columns.
#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "controls/CustomTableShortKey.h"
#include "controls/PelkoNSTableView.h"
#include "platform/UserDefaults.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>

namespace {

struct Table
{
    QTableView view;
    QStandardItemModel model{5, 3};
    TableColumnPtr a = column("a"), b = column("b"), c = column("c");
    Table()
    {
        view.setModel(&model);
        setTableColumns(&view, {a, b, c});
    }
    static TableColumnPtr column(const char *id)
    {
        auto col = std::make_shared<platform::TableColumn>();
        col->identifier = QString::fromLatin1(id);
        return col;
    }
    QStringList order() const
    {
        QStringList ids;
        for (const TableColumnPtr &col : tableColumns(&view))
            ids << col->identifier;
        return ids;
    }
    QList<int> selectedRows() const
    {
        QList<int> rows;
        for (const QModelIndex &index : view.selectionModel()->selectedRows())
            rows << index.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

} // namespace

TEST(TableHelpers, SelectRowIgnoresRowsOutsideTheTable)
{
    Table t;
    selectRow2(&t.view, 2);
    EXPECT_EQ(t.selectedRows(), QList<int>{2});
    for (qint64 bad : {qint64(-1), qint64(5), qint64(1) << 40})
        selectRow2(&t.view, bad);
    EXPECT_EQ(t.selectedRows(), QList<int>{2});
    selectRow2(&t.view, 4, true);
    EXPECT_EQ(t.selectedRows(), (QList<int>{2, 4}));
    selectRow2(&t.view, 0, false);
    EXPECT_EQ(t.selectedRows(), QList<int>{0});

    setSelectionIndexes(&t.view, {1, 3});
    EXPECT_EQ(t.selectedRows(), (QList<int>{1, 3}));
    setSelectionIndexes(&t.view, {});
    EXPECT_TRUE(t.selectedRows().isEmpty());

    // On an empty table even an empty set does nothing.
    QTableView empty;
    QStandardItemModel none(0, 1);
    empty.setModel(&none);
    setSelectionIndexes(&empty, {});
    selectRow2(&empty, 0);
    EXPECT_TRUE(empty.selectionModel()->selectedRows().isEmpty());
}

TEST(TableHelpers, SavedOrderAndWidthComeBack)
{
    Table t;
    setColumnWidth(&t.view, t.a, 80);
    setColumnWidth(&t.view, t.b, 120);
    setColumnWidth(&t.view, t.c, 60);
    saveTableColumn_Order_Width2(&t.view, QStringLiteral("fileTableView"));
    auto &defaults = platform::UserDefaults::standard();
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("fileTableView_a_order")), 1);
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("fileTableView_c_order")), 3);
    EXPECT_EQ(defaults.doubleForKey(QStringLiteral("fileTableView_b_width")), 120.0);

    // The user drags C to the front and changes widths; loading restores both.
    moveColumn2(&t.view, t.c, 0);
    EXPECT_EQ(t.order(), (QStringList{"c", "a", "b"}));
    setColumnWidth(&t.view, t.b, 200);
    loadTableColumn_Order_Width2(&t.view, QStringLiteral("fileTableView"));
    EXPECT_EQ(t.order(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(columnWidth(&t.view, t.b), 120.0);

    // The view's autosave name stands in for a missing name.
    t.view.setProperty("autosaveName", QStringLiteral("fileTableView"));
    moveColumn2(&t.view, t.a, 2);
    loadTableColumn_Order_Width2(&t.view, QString());
    EXPECT_EQ(t.order(), (QStringList{"a", "b", "c"}));
}

TEST(TableHelpers, SmallStoredWidthsAndUnknownColumnsAreLeftAlone)
{
    Table t;
    auto &defaults = platform::UserDefaults::standard();
    const QString name = QStringLiteral("partial");
    defaults.setDouble(1.0, name + QStringLiteral("_a_width"));
    setColumnWidth(&t.view, t.a, 90);
    // b stored for position 1 and a for position 3, c never stored: the pass ends at c.
    defaults.setInteger(3, name + QStringLiteral("_a_order"));
    defaults.setInteger(1, name + QStringLiteral("_b_order"));
    loadTableColumn_Order_Width2(&t.view, name);
    EXPECT_EQ(columnWidth(&t.view, t.a), 90.0);
    EXPECT_EQ(t.order(), (QStringList{"b", "a", "c"}));

    pelkotest::LogCapture log;
    QTableView nameless;
    saveTableColumn_Order_Width2(&nameless, QString());
    EXPECT_TRUE(log.hasFatalReport());
}

TEST(TableHelpers, ColumnsAreKnownByObjectNotIdentifier)
{
    Table t;
    Table other;
    EXPECT_EQ(indexOfTableColumnItem(&t.view, t.b), 1);
    EXPECT_EQ(indexOfTableColumnItem(&t.view, other.b), -1);
    EXPECT_EQ(indexOfTableColumnItem(&t.view, nullptr), -1);
    EXPECT_TRUE(containsTableColumn2(&t.view, t.c));
    EXPECT_EQ(tableColumnItemAtIndex(&t.view, 2), t.c);
    EXPECT_EQ(tableColumnItemAtIndex(&t.view, -1), nullptr);

    pelkotest::LogCapture log;
    EXPECT_EQ(tableColumnItemAtIndex(&t.view, 3), nullptr);
    moveColumn2(&t.view, other.a, 0); // not this table's column
    moveColumn2(&t.view, t.a, 3);     // past the end
    EXPECT_EQ(log.reportCount(), 3);
    EXPECT_EQ(t.order(), (QStringList{"a", "b", "c"}));

    removeTableColumn2(&t.view, t.b);
    EXPECT_FALSE(containsTableColumn2(&t.view, t.b));
    EXPECT_EQ(t.order(), (QStringList{"a", "c"}));
}

TEST(TableHelpers, ReuseColumnCopiesSettingsButNotTheIdentifier)
{
    platform::TableColumn col;
    col.identifier = QStringLiteral("name");
    col.title = QStringLiteral("Name");
    col.hidden = true;
    col.editable = true;
    col.headerToolTip = QStringLiteral("tip");
    col.width = 77;
    col.minWidth = 20;
    col.maxWidth = 300;
    col.sortDescriptorPrototype = QStringLiteral("name");
    const TableColumnPtr copy = reuseColumn(col);
    EXPECT_TRUE(copy->identifier.isEmpty());
    EXPECT_EQ(copy->title, col.title);
    EXPECT_TRUE(copy->hidden && copy->editable);
    EXPECT_EQ(copy->headerToolTip, col.headerToolTip);
    EXPECT_EQ(copy->width, 77);
    EXPECT_EQ(copy->minWidth, 20);
    EXPECT_EQ(copy->maxWidth, 300);
    EXPECT_EQ(copy->sortDescriptorPrototype, col.sortDescriptorPrototype);
}

TEST(TableHelpers, SelectedItemsOfATreeInShownOrder)
{
    QTreeView tree;
    QStandardItemModel model;
    auto *first = new QStandardItem(QStringLiteral("first"));
    first->appendRow(new QStandardItem(QStringLiteral("child")));
    model.appendRow(first);
    model.appendRow(new QStandardItem(QStringLiteral("second")));
    tree.setModel(&model);
    tree.expandAll();
    EXPECT_TRUE(selectedItems(&tree).isEmpty());
    tree.setSelectionMode(QAbstractItemView::MultiSelection);
    const QModelIndex second = model.index(1, 0);
    const QModelIndex child = model.index(0, 0, model.index(0, 0));
    tree.selectionModel()->select(second, QItemSelectionModel::Select);
    tree.selectionModel()->select(child, QItemSelectionModel::Select);
    const QList<QModelIndex> items = selectedItems(&tree);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.at(0), child);
    EXPECT_EQ(items.at(1), second);
}

TEST(CustomTableShortKey, KeepsAGuardedControllerReference)
{
    CustomTableShortKey table;
    EXPECT_FALSE(table.mIsClosing);
    {
        QObject controller;
        table.mainController = &controller;
        EXPECT_EQ(table.mainController.data(), &controller);
    }
    EXPECT_EQ(table.mainController.data(), nullptr);
}
