#pragma once
// The result of a folder compare as a tree or a flat list: one CompareItem node per entry, each
// folder keeping its children and the ones shown (filtered by verdict and sorted). Filtering and
// sorting happen here, per folder, so a million entries need no proxy model.

#include "compare/CompItem.h"
#include "compare/FolderCompareJob.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <deque>
#include <vector>

// The node of one entry: its children and which of them are shown, in the shown order.
struct CompareItem
{
    std::vector<int> children;
    std::vector<int> shown;
    int shownRow = -1; // row among its parent's shown children; -1 when hidden
};

class FolderCompareModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Column { ColName1, ColSize1, ColDate1, ColName2, ColSize2, ColDate2, ColumnCount };
    static QString columnIdentifier(int column); // keys of the stored column order and width
    enum Roles { ItemIdRole = Qt::UserRole + 1, VerdictRole };

    // Which verdicts are shown (folders: see showFolders).
    struct Filter
    {
        bool different = true, identical = true, leftOnly = true, rightOnly = true;
        bool showFolders = true;
    };

    explicit FolderCompareModel(QObject *parent = nullptr);

    // Forgets every entry (a new compare).
    void clear();
    // The two top folders (local file-system bytes, ending in "/"), which the reasons name.
    void setTopFolders(const QByteArray &left, const QByteArray &right);
    // Hidden entries the compare left out (dot names, while the preferences ignore them).
    int hiddenLeftOut() const { return mHiddenLeftOut; }
    // Why the entry is not judged or different; empty when nothing is to say.
    QString reasonText(const COMP_ITEM &item) const;
    // How the pairs were judged (the request's folder_compare_Mode): a pair judged by size or
    // date says so in its tool tip.
    void setCompareMode(int mode) { mCompareMode = mode; }
    // The row's tool tip: the reason, how a pair judged without its contents was judged, or for
    // a folder not judged for what it holds, why the first such entry inside is not.
    QString toolTipText(const COMP_ITEM &item) const;
    // Takes a batch of the running compare (main thread).
    void applyBatch(FolderCompareBatch &&batch);
    // Replaces entries judged again, then sums their folders up.
    void applyUpdates(const std::vector<COMP_ITEM> &updates);

    void setTreeMode(bool tree);
    bool treeMode() const { return mTree; }
    void setFilter(const Filter &filter);
    const Filter &filter() const { return mFilter; }
    void setFoldersFirst(bool on);
    void sort(int column, Qt::SortOrder order) override;
    // Filters and sorts everything again (after the compare ended, or the filter changed).
    void refilter();
    // Gives every folder the verdict of its content, also folders that received no row (the
    // last pass of a compare).
    void sumUpAllFolders();

    const std::deque<COMP_ITEM> &items() const { return mItems; }
    const COMP_ITEM *item(int id) const;
    const COMP_ITEM *itemAt(const QModelIndex &index) const;
    QModelIndex indexForId(int id, int column = 0) const;
    // The entry's path below the top folders (local file-system bytes), "/" between names.
    QByteArray relativePath(int id) const;
    // The same on side 1 or 2 as a route from that side's top: each name with what the compare
    // found there (compare/ComparedTree).
    TreeRoute route(int id, int side) const;
    // Files (not folders) per verdict, 0 to 4; entries gone from both sides are not counted.
    const int *counts() const { return mCounts; }
    // IDs of every entry below the folder (all of them, shown or not), the folder not included.
    std::vector<int> descendants(int id) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The colour an entry of that verdict is drawn in on the given background (and the
    // alternate row background, when given): the status colour, darkened or lightened until it
    // reads at 4.5:1 or more on both.
    static QColor verdictColor(int verdict, const QColor &background,
                               const QColor &alternateBackground = QColor());

private:
    bool passes(int id) const;
    bool lessThan(int a, int b) const;
    void sortIds(std::vector<int> &ids) const;
    std::vector<int> &shownOf(int parentId);
    const std::vector<int> &shownOfConst(int parentId) const;
    void renumber(std::vector<int> &shown);
    void addCount(const COMP_ITEM &item, int delta);
    void applyUpdatesInto(const std::vector<COMP_ITEM> &updates, std::vector<int> &dirty);
    void sumUpFolders(std::vector<int> dirty);
    bool sumUpFolder(int id); // true when its verdict changed
    void rowChanged(int id);
    void removeRow(int id); // an entry gone from both sides leaves the list
    void rebuildShown();
    QIcon iconFor(const COMP_ITEM &item, int side) const;

    std::deque<COMP_ITEM> mItems;
    std::deque<CompareItem> mNodes;
    CompareItem mRoot;
    std::vector<int> mFlat; // list mode: shown entries in order
    bool mTree = false;
    bool mFoldersFirst = true;
    int mSortColumn = ColName1;
    Qt::SortOrder mSortOrder = Qt::AscendingOrder;
    Filter mFilter;
    int mCounts[6] = {0, 0, 0, 0, 0, 0};
    int mHiddenLeftOut = 0;
    int mCompareMode = 3;
    QByteArray mTop1, mTop2;
    mutable QHash<QString, QIcon> mIconCache;
};
