#include "foldercompare/FolderCompareModel.h"

#include "foldercompare/FolderVerdictText.h"
#include "graphics/Contrast.h"
#include "platform/Guard.h"
#include "platform/Workspace.h"
#include "services/Colors.h"
#include "services/Localization.h"

#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QPalette>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

QString reasonWords(qint32 reason)
{
    switch (reason) {
    case NotJudged_Pending:
        return L_(QStringLiteral("Not compared yet"));
    case NotJudged_FolderUnreadable:
        return L_(QStringLiteral("The folder cannot be read"));
    case NotJudged_FileUnreadable:
        return L_(QStringLiteral("The file cannot be read"));
    case NotJudged_SpecialFile:
        return L_(QStringLiteral("Not a regular file"));
    case NotJudged_ChangedWhileRead:
        return L_(QStringLiteral("The file changed while it was read"));
    case NotJudged_Cancelled:
        return L_(QStringLiteral("The compare was stopped"));
    case NotJudged_NameTooLong:
        return L_(QStringLiteral("The name is too long"));
    default:
        return {};
    }
}

QString kindsText(const COMP_ITEM &item)
{
    if ((item.kind1 == Side_Folder && item.kind2 == Side_File) ||
        (item.kind1 == Side_File && item.kind2 == Side_Folder))
        return L_(QStringLiteral("A folder on one side, a file on the other"));
    return FillFormat(L_(QStringLiteral("A %1$@ on the left, a %2$@ on the right")),
                      {CompItem_KindName(item, 1), CompItem_KindName(item, 2)});
}

QString sizeText(const COMP_ITEM &item, int side)
{
    const qint8 kind = side == 1 ? item.kind1 : item.kind2;
    if (kind == Side_None || kind == Side_Folder)
        return {};
    return QLocale().toString(side == 1 ? item.size1 : item.size2);
}

QString dateText(const COMP_ITEM &item, int side)
{
    if ((side == 1 ? item.kind1 : item.kind2) == Side_None)
        return {};
    const qint64 ns = side == 1 ? item.date1 : item.date2;
    return QDateTime::fromMSecsSinceEpoch(ns / 1000000)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

FolderCompareModel::FolderCompareModel(QObject *parent) : QAbstractItemModel(parent)
{}

QString FolderCompareModel::columnIdentifier(int column)
{
    static const char *kIds[] = {"name1", "size1", "date1", "name2", "size2", "date2"};
    return column >= 0 && column < ColumnCount ? QString::fromLatin1(kIds[column]) : QString();
}

void FolderCompareModel::clear()
{
    beginResetModel();
    mItems.clear();
    mNodes.clear();
    mRoot = CompareItem();
    mFlat.clear();
    std::fill(std::begin(mCounts), std::end(mCounts), 0);
    mHiddenLeftOut = 0;
    endResetModel();
}

void FolderCompareModel::setTopFolders(const QByteArray &left, const QByteArray &right)
{
    mTop1 = left;
    mTop2 = right;
}

QString FolderCompareModel::reasonText(const COMP_ITEM &item) const
{
    const qint32 reason = item.customMultiPurposeInfo;
    if (CompItem_SideUnseen(reason)) {
        // The folder that could not be listed is the nearest one found on that side.
        const bool left = reason == NotJudged_LeftFolderUnreadable;
        const COMP_ITEM *folder = &item;
        while (folder && !(left ? folder->onLeft() : folder->onRight()))
            folder = this->item(folder->parent);
        QByteArray path = left ? mTop1 : mTop2;
        if (folder)
            path += relativePath(folder->ID);
        return CompItem_UnseenReasonText(reason, path);
    }
    if (reason == NotJudged_BothFoldersUnreadable)
        return CompItem_BothUnreadableText(mTop1 + relativePath(item.ID),
                                           mTop2 + relativePath(item.ID));
    if (reason == NotJudged_KindDiffers)
        return kindsText(item);
    return reasonWords(reason);
}

QString FolderCompareModel::toolTipText(const COMP_ITEM &item) const
{
    if (const QString reason = reasonText(item); !reason.isEmpty())
        return reason;
    if (FolderJudgedWithoutContent(item, mCompareMode))
        return FolderVerdictNote(item, mCompareMode);
    if (!item.isFolder() || item.compareResult != COMP_RESULT_NOT_JUDGED)
        return {};
    // Not judged for what it holds: down the entries not judged to the first that says why.
    for (const COMP_ITEM *folder = &item; folder;) {
        const COMP_ITEM *next = nullptr;
        for (int c : mNodes[size_t(folder->ID)].children) {
            const COMP_ITEM &child = mItems[size_t(c)];
            if (child.compareResult != COMP_RESULT_NOT_JUDGED)
                continue;
            if (const QString why = reasonText(child); !why.isEmpty())
                return L_(QStringLiteral("Holds entries that were not judged")) +
                       QStringLiteral(": ") + why;
            if (!next && child.isFolder())
                next = &child;
        }
        folder = next;
    }
    return L_(QStringLiteral("Holds entries that were not judged"));
}

const COMP_ITEM *FolderCompareModel::item(int id) const
{
    return id >= 0 && size_t(id) < mItems.size() ? &mItems[size_t(id)] : nullptr;
}

const COMP_ITEM *FolderCompareModel::itemAt(const QModelIndex &index) const
{
    return index.isValid() ? item(int(index.internalId())) : nullptr;
}

QByteArray FolderCompareModel::relativePath(int id) const
{
    QByteArray path;
    for (const COMP_ITEM *it = item(id); it; it = item(it->parent))
        path = path.isEmpty() ? it->name() : it->name() + '/' + path;
    return path;
}

TreeRoute FolderCompareModel::route(int id, int side) const
{
    TreeRoute route;
    for (const COMP_ITEM *it = item(id); it; it = item(it->parent))
        route.push_back(TreeStep_Of(*it, side));
    std::reverse(route.begin(), route.end());
    return route;
}

std::vector<int> FolderCompareModel::descendants(int id) const
{
    std::vector<int> out;
    if (!item(id))
        return out;
    std::vector<int> stack(mNodes[size_t(id)].children);
    while (!stack.empty()) {
        const int c = stack.back();
        stack.pop_back();
        out.push_back(c);
        const auto &kids = mNodes[size_t(c)].children;
        stack.insert(stack.end(), kids.begin(), kids.end());
    }
    return out;
}

bool FolderCompareModel::passes(int id) const
{
    const COMP_ITEM &it = mItems[size_t(id)];
    if (it.compareResult == COMP_RESULT_GONE)
        return false; // nothing left on either side
    // A file can hold rows too: the content of a folder it clashes with.
    if (mTree && !mNodes[size_t(id)].shown.empty())
        return true;
    if (it.isFolder() && !mFilter.showFolders)
        return false;
    switch (it.compareResult) {
    case COMP_RESULT_SAME:
        return mFilter.identical;
    case COMP_RESULT_LEFT_ONLY:
        return mFilter.leftOnly;
    case COMP_RESULT_RIGHT_ONLY:
        return mFilter.rightOnly;
    default: // different, not judged, gone
        return mFilter.different;
    }
}

bool FolderCompareModel::lessThan(int a, int b) const
{
    const COMP_ITEM &x = mItems[size_t(a)], &y = mItems[size_t(b)];
    if (mFoldersFirst && x.isFolder() != y.isFolder())
        return x.isFolder(); // folders stay above files in either order
    int c = 0;
    switch (mSortColumn) {
    case ColSize1:
        c = x.size1 < y.size1 ? -1 : x.size1 > y.size1;
        break;
    case ColSize2:
        c = x.size2 < y.size2 ? -1 : x.size2 > y.size2;
        break;
    case ColDate1:
        c = x.date1 < y.date1 ? -1 : x.date1 > y.date1;
        break;
    case ColDate2:
        c = x.date2 < y.date2 ? -1 : x.date2 > y.date2;
        break;
    default:
        break;
    }
    if (c == 0) {
        const QByteArray &nx = x.name(), &ny = y.name();
        c = qstricmp(nx.constData(), ny.constData());
        if (c == 0)
            c = std::strcmp(nx.constData(), ny.constData());
    }
    return mSortOrder == Qt::AscendingOrder ? c < 0 : c > 0;
}

void FolderCompareModel::sortIds(std::vector<int> &ids) const
{
    std::sort(ids.begin(), ids.end(), [this](int a, int b) { return lessThan(a, b); });
}

std::vector<int> &FolderCompareModel::shownOf(int parentId)
{
    return parentId < 0 ? mRoot.shown : mNodes[size_t(parentId)].shown;
}

const std::vector<int> &FolderCompareModel::shownOfConst(int parentId) const
{
    return parentId < 0 ? mRoot.shown : mNodes[size_t(parentId)].shown;
}

void FolderCompareModel::renumber(std::vector<int> &shown)
{
    for (size_t r = 0; r < shown.size(); ++r)
        mNodes[size_t(shown[r])].shownRow = int(r);
}

void FolderCompareModel::addCount(const COMP_ITEM &item, int delta)
{
    if (!item.isFolder() && item.compareResult >= 0 && item.compareResult < COMP_RESULT_GONE)
        mCounts[item.compareResult] += delta;
}

void FolderCompareModel::applyBatch(FolderCompareBatch &&batch)
{
    GUARD_BEGIN
    std::vector<int> dirty;
    // New entries arrive grouped by the folder that holds them.
    size_t k = 0;
    while (k < batch.items.size()) {
        const int parentId = batch.items[k].parent;
        size_t end = k;
        while (end < batch.items.size() && batch.items[end].parent == parentId)
            ++end;
        std::vector<int> added;
        for (size_t m = k; m < end; ++m) {
            COMP_ITEM &it = batch.items[m];
            if (it.ID != int(mItems.size())) // out of order: never expected
                continue;
            mItems.push_back(std::move(it));
            mNodes.emplace_back();
            const COMP_ITEM &stored = mItems.back();
            addCount(stored, 1);
            (parentId < 0 ? mRoot : mNodes[size_t(parentId)]).children.push_back(stored.ID);
            added.push_back(stored.ID);
        }
        if (parentId >= 0)
            dirty.push_back(parentId);
        std::vector<int> shownNew;
        for (int id : added)
            if (passes(id))
                shownNew.push_back(id);
        sortIds(shownNew);
        if (!shownNew.empty()) {
            if (mTree) {
                const bool visible = parentId < 0 || mNodes[size_t(parentId)].shownRow >= 0;
                std::vector<int> &shown = shownOf(parentId);
                const int first = int(shown.size());
                if (visible)
                    beginInsertRows(indexForId(parentId), first, first + int(shownNew.size()) - 1);
                shown.insert(shown.end(), shownNew.begin(), shownNew.end());
                for (size_t r = size_t(first); r < shown.size(); ++r)
                    mNodes[size_t(shown[r])].shownRow = int(r);
                if (visible)
                    endInsertRows();
            } else {
                const int first = int(mFlat.size());
                beginInsertRows({}, first, first + int(shownNew.size()) - 1);
                for (int id : shownNew) {
                    mNodes[size_t(id)].shownRow = int(mFlat.size());
                    mFlat.push_back(id);
                }
                endInsertRows();
            }
        }
        k = end;
    }
    applyUpdatesInto(batch.updates, dirty);
    sumUpFolders(std::move(dirty));
    mHiddenLeftOut += batch.hiddenLeftOut;
    GUARD_END_VOID
}

void FolderCompareModel::applyUpdatesInto(const std::vector<COMP_ITEM> &updates,
                                          std::vector<int> &dirty)
{
    for (const COMP_ITEM &u : updates) {
        if (u.ID < 0 || size_t(u.ID) >= mItems.size())
            continue;
        COMP_ITEM &target = mItems[size_t(u.ID)];
        addCount(target, -1);
        if (u.size1 == kReasonOnlyUpdate) {
            target.compareResult = u.compareResult;
            target.customMultiPurposeInfo = u.customMultiPurposeInfo;
        } else {
            const int parent = target.parent;
            target = u;
            target.parent = parent;
        }
        addCount(target, 1);
        if (target.compareResult == COMP_RESULT_GONE)
            removeRow(u.ID);
        else
            rowChanged(u.ID);
        if (target.isFolder())
            dirty.push_back(u.ID);
        if (target.parent >= 0)
            dirty.push_back(target.parent);
    }
}

void FolderCompareModel::applyUpdates(const std::vector<COMP_ITEM> &updates)
{
    GUARD_BEGIN
    std::vector<int> dirty;
    applyUpdatesInto(updates, dirty);
    sumUpFolders(std::move(dirty));
    GUARD_END_VOID
}

void FolderCompareModel::rowChanged(int id)
{
    const QModelIndex first = indexForId(id, 0);
    if (first.isValid())
        emit dataChanged(first, first.siblingAtColumn(ColumnCount - 1));
}

void FolderCompareModel::removeRow(int id)
{
    const int row = mNodes[size_t(id)].shownRow;
    if (row < 0)
        return;
    if (mTree) {
        const int parentId = mItems[size_t(id)].parent;
        std::vector<int> &shown = shownOf(parentId);
        if (size_t(row) >= shown.size() || shown[size_t(row)] != id)
            return;
        const bool visible = parentId < 0 || mNodes[size_t(parentId)].shownRow >= 0;
        if (visible)
            beginRemoveRows(indexForId(parentId), row, row);
        shown.erase(shown.begin() + row);
        renumber(shown);
        mNodes[size_t(id)].shownRow = -1;
        // Rows below it went with it.
        for (int c : descendants(id))
            mNodes[size_t(c)].shownRow = -1;
        if (visible)
            endRemoveRows();
        return;
    }
    if (size_t(row) >= mFlat.size() || mFlat[size_t(row)] != id)
        return;
    beginRemoveRows({}, row, row);
    mFlat.erase(mFlat.begin() + row);
    for (size_t r = size_t(row); r < mFlat.size(); ++r)
        mNodes[size_t(mFlat[r])].shownRow = int(r);
    mNodes[size_t(id)].shownRow = -1;
    endRemoveRows();
}

void FolderCompareModel::sumUpFolders(std::vector<int> dirty)
{
    // Parents have smaller IDs than their children: walking down the IDs sums children first.
    std::sort(dirty.begin(), dirty.end(), std::greater<int>());
    dirty.erase(std::unique(dirty.begin(), dirty.end()), dirty.end());
    while (!dirty.empty()) {
        const int id = dirty.front();
        std::pop_heap(dirty.begin(), dirty.end(), std::less<int>());
        dirty.pop_back();
        while (!dirty.empty() && dirty.front() == id) {
            std::pop_heap(dirty.begin(), dirty.end(), std::less<int>());
            dirty.pop_back();
        }
        if (!sumUpFolder(id))
            continue;
        const int parent = mItems[size_t(id)].parent;
        if (parent >= 0) {
            dirty.push_back(parent);
            std::push_heap(dirty.begin(), dirty.end(), std::less<int>());
        }
    }
}

bool FolderCompareModel::sumUpFolder(int id)
{
    COMP_ITEM &folder = mItems[size_t(id)];
    if (!folder.isFolder() || folder.kind1 == Side_File || folder.kind2 == Side_File)
        return false;
    FolderCounts counts;
    for (int c : mNodes[size_t(id)].children)
        counts.add(mItems[size_t(c)].compareResult);
    const qint8 verdict = FolderVerdictFromCounts(folder, counts);
    if (verdict == folder.compareResult)
        return false;
    folder.compareResult = verdict;
    rowChanged(id);
    return true;
}

void FolderCompareModel::sumUpAllFolders()
{
    GUARD_BEGIN
    // Children have larger IDs than their folder: one pass down the IDs sums every folder up,
    // those that never received a row too.
    for (size_t k = mItems.size(); k-- > 0;)
        sumUpFolder(int(k));
    GUARD_END_VOID
}

void FolderCompareModel::rebuildShown()
{
    for (CompareItem &node : mNodes) {
        node.shownRow = -1;
        node.shown.clear();
    }
    mRoot.shown.clear();
    mFlat.clear();
    if (mTree) {
        // Children have larger IDs than their folder: going down the IDs decides the children
        // of a folder before the folder itself.
        for (size_t k = mItems.size(); k-- > 0;) {
            CompareItem &node = mNodes[k];
            if (node.children.empty())
                continue;
            for (int c : node.children)
                if (passes(c))
                    node.shown.push_back(c);
            sortIds(node.shown);
        }
        for (int c : mRoot.children)
            if (passes(c))
                mRoot.shown.push_back(c);
        sortIds(mRoot.shown);
        // Rows only for entries whose folders are all shown.
        std::vector<int> stack{-1};
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            std::vector<int> &shown = shownOf(p);
            renumber(shown);
            for (int c : shown)
                if (!mNodes[size_t(c)].shown.empty())
                    stack.push_back(c);
        }
        return;
    }
    // List: every entry that passes, folder by folder in the sorted order.
    for (CompareItem &node : mNodes)
        sortIds(node.children);
    sortIds(mRoot.children);
    std::vector<int> stack(mRoot.children.rbegin(), mRoot.children.rend());
    while (!stack.empty()) {
        const int id = stack.back();
        stack.pop_back();
        if (passes(id)) {
            mNodes[size_t(id)].shownRow = int(mFlat.size());
            mFlat.push_back(id);
        }
        const auto &kids = mNodes[size_t(id)].children;
        stack.insert(stack.end(), kids.rbegin(), kids.rend());
    }
}

void FolderCompareModel::refilter()
{
    GUARD_BEGIN
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<std::pair<int, int>> ids;
    ids.reserve(size_t(before.size()));
    for (const QModelIndex &i : before)
        ids.emplace_back(int(i.internalId()), i.column());
    rebuildShown();
    QModelIndexList after;
    after.reserve(before.size());
    for (const auto &[id, column] : ids)
        after.append(indexForId(id, column));
    changePersistentIndexList(before, after);
    emit layoutChanged();
    GUARD_END_VOID
}

void FolderCompareModel::setTreeMode(bool tree)
{
    if (tree == mTree)
        return;
    beginResetModel();
    mTree = tree;
    rebuildShown();
    endResetModel();
}

void FolderCompareModel::setFilter(const Filter &filter)
{
    mFilter = filter;
    refilter();
}

void FolderCompareModel::setFoldersFirst(bool on)
{
    if (on == mFoldersFirst)
        return;
    mFoldersFirst = on;
    refilter();
}

void FolderCompareModel::sort(int column, Qt::SortOrder order)
{
    mSortColumn = column;
    mSortOrder = order;
    refilter();
}

QModelIndex FolderCompareModel::indexForId(int id, int column) const
{
    if (id < 0 || size_t(id) >= mNodes.size())
        return {};
    const int row = mNodes[size_t(id)].shownRow;
    return row < 0 ? QModelIndex() : createIndex(row, column, quintptr(id));
}

QModelIndex FolderCompareModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount)
        return {};
    if (!mTree) {
        if (parent.isValid() || size_t(row) >= mFlat.size())
            return {};
        return createIndex(row, column, quintptr(mFlat[size_t(row)]));
    }
    const int parentId = parent.isValid() ? int(parent.internalId()) : -1;
    const std::vector<int> &shown = shownOfConst(parentId);
    if (size_t(row) >= shown.size())
        return {};
    return createIndex(row, column, quintptr(shown[size_t(row)]));
}

QModelIndex FolderCompareModel::parent(const QModelIndex &child) const
{
    if (!mTree || !child.isValid())
        return {};
    const COMP_ITEM *it = itemAt(child);
    return it ? indexForId(it->parent, 0) : QModelIndex();
}

int FolderCompareModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    if (!mTree)
        return parent.isValid() ? 0 : int(mFlat.size());
    return int(shownOfConst(parent.isValid() ? int(parent.internalId()) : -1).size());
}

int FolderCompareModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

bool FolderCompareModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QIcon FolderCompareModel::iconFor(const COMP_ITEM &item, int side) const
{
    // A file against a folder shows on each side what that side holds.
    const qint8 kind = side == 1 ? item.kind1 : item.kind2;
    const bool folder = kind == Side_Folder;
    const QString key = folder ? QStringLiteral("/") : item.extension;
    auto found = mIconCache.constFind(key);
    if (found != mIconCache.constEnd())
        return *found;
    // The desktop's icon for the file type when the icon theme has one; by extension only, so
    // no file is read for it.
    QStyle *style = QApplication::style();
    QIcon icon;
    if (folder) {
        icon = QIcon::fromTheme(QStringLiteral("folder"), style->standardIcon(QStyle::SP_DirIcon));
    } else {
        icon = platform::iconForFileType(item.extension);
        if (icon.isNull())
            icon = style->standardIcon(QStyle::SP_FileIcon);
    }
    mIconCache.insert(key, icon);
    return icon;
}

QColor FolderCompareModel::verdictColor(int verdict, const QColor &background,
                                        const QColor &alternateBackground)
{
    platform::Color status;
    switch (verdict) {
    case COMP_RESULT_SAME:
        status = GetColor_DiffSame();
        break;
    case COMP_RESULT_DIFFERENT:
        status = GetColor_DiffChanged();
        break;
    case COMP_RESULT_LEFT_ONLY:
        status = GetColor_DiffStatus3();
        break;
    case COMP_RESULT_RIGHT_ONLY:
        status = GetColor_DiffStatus4();
        break;
    default:
        status = GetColor_DiffStatus2();
        break;
    }
    QColor c = status.toQColor();
    c.setAlpha(255);
    const bool darkBackground = RelativeLuminance(background) < 0.18;
    const QColor toward = darkBackground ? QColor(Qt::white) : QColor(Qt::black);
    // Rows alternate between two backgrounds: the text must read on both.
    const QColor &other = alternateBackground.isValid() ? alternateBackground : background;
    auto readable = [&](const QColor &text) {
        return ContrastRatio(text, background) >= kMinimumTextContrast &&
               ContrastRatio(text, other) >= kMinimumTextContrast;
    };
    for (int step = 0; step < 20 && !readable(c); ++step) {
        c = QColor::fromRgbF(c.redF() + (toward.redF() - c.redF()) * 0.15,
                             c.greenF() + (toward.greenF() - c.greenF()) * 0.15,
                             c.blueF() + (toward.blueF() - c.blueF()) * 0.15);
    }
    return c;
}

QVariant FolderCompareModel::data(const QModelIndex &index, int role) const
{
    GUARD_BEGIN
    const COMP_ITEM *it = itemAt(index);
    if (!it)
        return {};
    const int column = index.column();
    const int side = column < ColName2 ? 1 : 2;
    const bool present = side == 1 ? it->onLeft() : it->onRight();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case ColName1:
        case ColName2: {
            if (!present)
                return QString();
            if (mTree)
                return CompItem_DisplayName(side == 1 ? it->itemName1 : it->itemName2);
            return CompItem_DisplayName(relativePath(it->ID));
        }
        case ColSize1:
        case ColSize2:
            return sizeText(*it, side);
        default:
            return dateText(*it, side);
        }
    case Qt::DecorationRole:
        if ((column == ColName1 || column == ColName2) && present)
            return iconFor(*it, side);
        return {};
    case Qt::ForegroundRole: {
        const QPalette palette = QApplication::palette();
        return verdictColor(it->compareResult, palette.color(QPalette::Base),
                            palette.color(QPalette::AlternateBase));
    }
    case Qt::TextAlignmentRole:
        if (column == ColSize1 || column == ColSize2)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::ToolTipRole:
        return toolTipText(*it);
    case ItemIdRole:
        return it->ID;
    case VerdictRole:
        return int(it->compareResult);
    default:
        return {};
    }
    GUARD_END(QVariant())
}

QVariant FolderCompareModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColName1:
        return L_(QStringLiteral("Left"));
    case ColName2:
        return L_(QStringLiteral("Right"));
    case ColSize1:
    case ColSize2:
        return L_(QStringLiteral("Size"));
    case ColDate1:
    case ColDate2:
        return L_(QStringLiteral("Date Modified"));
    default:
        return {};
    }
}
