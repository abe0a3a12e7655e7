#pragma once
// A layout that places its items left to right and starts a new row when the next one does not
// fit: a bar of buttons that wraps in a narrow window instead of making the window wider. Its
// height follows its width (heightForWidth); its minimum width is that of its widest item. An
// item may start a group, set apart by a gap (except at the start of a row) and kept on one row
// when it fits on one.

#include <QLayout>
#include <QList>
#include <vector>

class FlowLayout : public QLayout
{
public:
    explicit FlowLayout(QWidget *parent = nullptr);
    ~FlowLayout() override;

    // The widget starts a group that runs to the next one: extra space before it when it does
    // not start a row, and a new row for the whole group where it fits on one but not on the
    // rest of this one.
    void startGroup(QWidget *widget, int gap);

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

    // How many rows the items take at the width (1 when there are none).
    int rowCount(int width) const;

private:
    struct Placed
    {
        QLayoutItem *item;
        QRect rect;
    };
    // Places the items in rect; answers the height they take and, with rows set, their rows.
    int arrange(const QRect &rect, std::vector<Placed> *placed, int *rows) const;

    struct Item
    {
        QLayoutItem *item;
        int gap = 0;
        bool groupStart = false;
    };
    // The width of the group that starts at the index, on one row.
    int groupWidth(qsizetype first) const;
    QList<Item> mItems;
};
