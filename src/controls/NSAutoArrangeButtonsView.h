#pragma once
// Views that lay their buttons out in rows of equal cells whenever their size changes, like a
// tool palette: one flat list, or groups that each start on a new row under a label.

#include <QList>
#include <QPointer>
#include <QWidget>

class QAbstractButton;

// Cells of the arranged views: how many columns fit, their spacing and the x of a column.
struct ButtonGrid
{
    int columns = 1;
    float spacing = 0;
    float cellWidth = 0;
    float cellHeight = 0;
    float gap = 0;
    float xOfColumn(int c) const { return (cellWidth + spacing) * float(c) + spacing; }
};
ButtonGrid MakeButtonGrid(double viewWidth, float gap, float cellWidth, float cellHeight);

// Orders widgets top row first (within 5 points of the same y) and left to right in a row.
void SortWidgetsByPosition(QList<QPointer<QWidget>> &widgets);

class NSAutoArrangeButtonsView : public QWidget
{
    Q_OBJECT
public:
    explicit NSAutoArrangeButtonsView(QWidget *parent = nullptr);

    // Empty means that the next layout collects the visible buttons among the children.
    QList<QPointer<QWidget>> buttonList;
    float buttonsGap = 1.0f;
    float buttonsWidth = 35.0f;
    float buttonsHeight = 35.0f;

    void RefreshButtonList();

protected:
    void resizeEvent(QResizeEvent *event) override;
};

class NSAutoArrangeButtonsViewWithGroup : public QWidget
{
    Q_OBJECT
public:
    explicit NSAutoArrangeButtonsViewWithGroup(QWidget *parent = nullptr);

    // Each group: an optional leading label, then its buttons.
    QList<QList<QPointer<QWidget>>> groups;
    float buttonsGap = 1.0f;
    float buttonsWidth = 35.0f;
    float buttonsHeight = 35.0f;

    void RefreshButtonList();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void collectGroups();
};
