#pragma once
// The popover content of a colour well: 36 x 8 colour cells (row 0 the recent colours), a ring
// under the pressed cell and a help line with the values of the cell under the pointer.

#include <QPointer>
#include <QWidget>

#include "platform/Color.h"
#include "platform/Range.h"

class QLabel;
class MyColorWell;

class MyColorWellGridView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kColumns = 36;
    static constexpr int kRows = 8;
    static constexpr double kHelpLineHeight = 20.0;

    explicit MyColorWellGridView(QWidget *parent = nullptr);

    double borderPadding = 6.0;
    double intercellSpacing = 2.0;
    double cellBorderLinewidth = 0.5;
    platform::Color cellBorderColor = platform::Color::darkGray().colorWithAlphaComponent(0.5);
    double cellWidth = 18.0;
    double cellHeight = 18.0;
    QPointer<MyColorWell> colorWell;
    bool shouldDrawSelectorRing = false;
    qint64 mouseDownInColumnIndex = NotFound;
    qint64 mouseDownInRowIndex = NotFound;
    bool mouseIsDown = false;
    bool mouseDraggedOutsideMouseDownCell = false;

    // Makes the help line.
    void setupOtherControls();
    QLabel *helpLabel() const { return mHelpLabel; }

    QRectF frameOfTopLeftCell() const;
    QRectF frameForColorAreaAtColumn(qint64 column, qint64 row) const;
    // The cell under the point; with tolerance the gaps count to a neighbouring cell.
    bool caculateLocation(QPointF point, qint64 *outRow, qint64 *outColumn,
                          bool allowTolerance) const;
    QSize intrinsicContentSize() const;
    QSize sizeHint() const override { return intrinsicContentSize(); }

    void updateHelpBaseOnMousePos(const QPointF *pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    platform::Color colorAt(qint64 column, qint64 row) const;
    void drawSelectorRect(qint64 column, qint64 row);
    void pressAt(QPointF pos);

    QLabel *mHelpLabel = nullptr;
};
