#pragma once
// A layout that places its items left to right and starts a new row when the next one does not
// fit: a bar of buttons that wraps in a narrow window instead of making the window wider. Its
// height follows its width (heightForWidth); its minimum width is that of its widest item. An
// item may keep a gap before it, to set a group apart, except at the start of a row.

#include <QLayout>
#include <QList>
#include <vector>

class FlowLayout : public QLayout
{
public:
    explicit FlowLayout(QWidget *parent = nullptr);
    ~FlowLayout() override;

    // Extra space before the widget when it does not start a row.
    void setGapBefore(QWidget *widget, int gap);

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
    };
    QList<Item> mItems;
};
