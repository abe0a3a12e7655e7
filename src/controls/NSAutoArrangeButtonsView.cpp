#include "controls/NSAutoArrangeButtonsView.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <cmath>

namespace {

constexpr float kRowTolerance = 5.0f;

bool isLabel(const QWidget *w)
{
    return qobject_cast<const QLabel *>(w) || qobject_cast<const QLineEdit *>(w);
}

bool isButton(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w);
}

} // namespace

ButtonGrid MakeButtonGrid(double viewWidth, float gap, float cellWidth, float cellHeight)
{
    ButtonGrid g;
    g.gap = gap;
    g.cellWidth = cellWidth;
    g.cellHeight = cellHeight;
    const double pitch = double(cellWidth) + double(gap);
    double usable = viewWidth - gap;
    usable = std::max(usable, double(gap) + double(cellWidth));
    // A pitch of zero or less (an unset or broken measure) gives one column.
    if (pitch > 0 && std::isfinite(usable / pitch))
        g.columns = int(std::clamp(std::floor(usable / pitch), 1.0, 10000.0));
    g.spacing = (float(viewWidth) - cellWidth * float(g.columns)) / float(g.columns + 1);
    return g;
}

void SortWidgetsByPosition(QList<QPointer<QWidget>> &widgets)
{
    for (qsizetype i = 0; i + 1 < widgets.size(); ++i) {
        if (!widgets[i])
            return;
        qsizetype best = i;
        for (qsizetype j = i + 1; j < widgets.size(); ++j) {
            if (!widgets[j])
                return;
            const float by = float(widgets[best]->y());
            const float jy = float(widgets[j]->y());
            // Our y grows downwards, so the top row (smaller y) comes first.
            if (by - jy > kRowTolerance ||
                (std::fabs(jy - by) <= kRowTolerance && widgets[j]->x() < widgets[best]->x()))
                best = j;
        }
        widgets.swapItemsAt(i, best);
    }
}

NSAutoArrangeButtonsView::NSAutoArrangeButtonsView(QWidget *parent) : QWidget(parent)
{}

void NSAutoArrangeButtonsView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    RefreshButtonList();
}

void NSAutoArrangeButtonsView::RefreshButtonList()
{
    buttonList.removeAll(nullptr);
    if (buttonList.isEmpty()) {
        const auto children = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        if (children.isEmpty())
            return;
        for (QWidget *child : children)
            if (isButton(child) && !child->isHidden())
                buttonList << child;
        if (buttonList.size() >= 2)
            SortWidgetsByPosition(buttonList);
    }
    if (buttonList.isEmpty())
        return;
    const ButtonGrid g = MakeButtonGrid(width(), buttonsGap, buttonsWidth, buttonsHeight);
    const qsizetype rows = std::max<qsizetype>(1, (buttonList.size() + g.columns - 1) / g.columns);
    for (qsizetype r = 0; r < rows; ++r)
        for (int c = 0; c < g.columns; ++c) {
            const qsizetype at = r * g.columns + c;
            if (at >= buttonList.size() || !isButton(buttonList[at]))
                continue;
            const float y = (buttonsGap + buttonsHeight) * float(r) + 3 * buttonsGap;
            buttonList[at]->setGeometry(
                QRectF(g.xOfColumn(c), y, buttonsWidth, buttonsHeight).toRect());
        }
}

NSAutoArrangeButtonsViewWithGroup::NSAutoArrangeButtonsViewWithGroup(QWidget *parent)
    : QWidget(parent)
{}

void NSAutoArrangeButtonsViewWithGroup::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    RefreshButtonList();
}

void NSAutoArrangeButtonsViewWithGroup::collectGroups()
{
    QList<QPointer<QWidget>> list;
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (!child->isHidden() && (isButton(child) || isLabel(child)))
            list << child;
    if (list.size() >= 2)
        SortWidgetsByPosition(list);
    if (list.isEmpty())
        return;
    groups.clear();
    QList<QPointer<QWidget>> current;
    for (const auto &w : list) {
        if (isLabel(w)) {
            if (!current.isEmpty())
                groups << current;
            current = {w};
        } else {
            current << w;
        }
    }
    if (!current.isEmpty())
        groups << current;
}

void NSAutoArrangeButtonsViewWithGroup::RefreshButtonList()
{
    for (auto &group : groups)
        group.removeAll(nullptr);
    groups.removeAll({});
    if (groups.isEmpty())
        collectGroups();
    const ButtonGrid g = MakeButtonGrid(width(), buttonsGap, buttonsWidth, buttonsHeight);
    float y = buttonsGap + 1.0f;
    for (const auto &group : groups) {
        if (group.isEmpty())
            continue;
        qsizetype first = 0;
        if (isLabel(group[0])) {
            QWidget *label = group[0];
            label->move(int(std::lround(g.spacing)), int(std::lround(buttonsGap + y)));
            y += buttonsGap + float(label->height());
            first = 1;
        }
        int column = 0;
        for (qsizetype i = first; i < group.size(); ++i) {
            if (!isButton(group[i]))
                continue;
            if (column >= g.columns) {
                y += buttonsHeight + buttonsGap;
                column = 0;
            }
            group[i]->setGeometry(
                QRectF(g.xOfColumn(column), buttonsGap + y, buttonsWidth, buttonsHeight).toRect());
            ++column;
        }
        if (column != 0)
            y += buttonsHeight + buttonsGap;
    }
}
