#include "themes/MyColorWellGridView.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "platform/BezierPath.h"
#include "platform/Geometry.h"
#include "platform/GraphicsContext.h"
#include "themes/MyColorWell.h"
#include "themes/MyColorWellHistory.h"

using platform::BezierPath;
using platform::Color;

MyColorWellGridView::MyColorWellGridView(QWidget *parent) : QWidget(parent)
{}

void MyColorWellGridView::setupOtherControls()
{
    if (!mHelpLabel) {
        mHelpLabel = new QLabel(this);
        mHelpLabel->setText(QString());
        mHelpLabel->setAutoFillBackground(false);
        mHelpLabel->setFrameShape(QFrame::NoFrame);
        mHelpLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    }
    // The help line sits in the bottom strip, below the cells.
    mHelpLabel->setGeometry(int(borderPadding),
                            intrinsicContentSize().height() - int(kHelpLineHeight), 600,
                            int(kHelpLineHeight));
    setMouseTracking(true);
}

QRectF MyColorWellGridView::frameOfTopLeftCell() const
{
    return QRectF(borderPadding, borderPadding, cellWidth, cellHeight);
}

QRectF MyColorWellGridView::frameForColorAreaAtColumn(qint64 column, qint64 row) const
{
    return frameOfTopLeftCell().translated(double(column) * (cellWidth + intercellSpacing),
                                           double(row) * (cellHeight + intercellSpacing));
}

bool MyColorWellGridView::caculateLocation(QPointF point, qint64 *outRow, qint64 *outColumn,
                                           bool allowTolerance) const
{
    if (!outRow || !outColumn)
        return false;
    const double grow = allowTolerance ? 0.502 * intercellSpacing : 0.0;
    for (qint64 c = 0; c < kColumns; ++c)
        for (qint64 r = 0; r < kRows; ++r) {
            const QRectF cell = frameForColorAreaAtColumn(c, r).adjusted(-grow, -grow, grow, grow);
            if (platform::PointInRect(point, cell)) {
                *outColumn = c;
                *outRow = r;
                return true;
            }
        }
    return false;
}

QSize MyColorWellGridView::intrinsicContentSize() const
{
    const QRectF first = frameOfTopLeftCell().translated(-borderPadding, -borderPadding);
    const QRectF last =
        frameForColorAreaAtColumn(kColumns - 1, kRows - 1).translated(borderPadding, borderPadding);
    const QRectF all = first.united(last);
    return QSize(int(std::lround(all.width())), int(std::lround(all.height() + kHelpLineHeight)));
}

Color MyColorWellGridView::colorAt(qint64 column, qint64 row) const
{
    return colorWell ? colorWell->colorWell(colorWell, column, row) : Color();
}

void MyColorWellGridView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    platform::GraphicsContextScope scope(&painter);
    for (qint64 c = 0; c < kColumns; ++c)
        for (qint64 r = 0; r < kRows; ++r) {
            const Color color = colorAt(c, r);
            if (color.isValid())
                MyColorWell::drawColorSwatchWithFrame(frameForColorAreaAtColumn(c, r), color, true);
        }
    if (shouldDrawSelectorRing && mouseIsDown && mouseDownInColumnIndex != NotFound &&
        mouseDownInRowIndex != NotFound)
        drawSelectorRect(mouseDownInColumnIndex, mouseDownInRowIndex);
}

void MyColorWellGridView::drawSelectorRect(qint64 column, qint64 row)
{
    const Color color = colorAt(column, row);
    if (!color.isValid())
        return;
    const QRectF cell = frameForColorAreaAtColumn(column, row);
    BezierPath outer = BezierPath::bezierPathWithRect(cell.adjusted(-3, -3, 3, 3));
    outer.setLineWidth(0.5);
    platform::setFill(Color::white());
    outer.fill();
    platform::setStroke(Color::darkGray());
    outer.stroke();
    BezierPath inner = BezierPath::bezierPathWithRect(cell.adjusted(1, 1, -1, -1));
    inner.setLineWidth(0.5);
    platform::setFill(color);
    inner.fill();
    platform::setStroke(Color::lightGray());
    inner.stroke();
}

void MyColorWellGridView::updateHelpBaseOnMousePos(const QPointF *pos)
{
    if (!mHelpLabel)
        return;
    QString text;
    qint64 row = 0, column = 0;
    if (pos && colorWell && caculateLocation(*pos, &row, &column, true)) {
        const Color color = colorAt(column, row);
        if (color.isValid()) {
            const quint64 w = GetHexColor_ForMyColorWell(color);
            text = QStringLiteral("Hex Color #: %1;   Red:%2/255, Green:%3/255, Blue:%4/255")
                       .arg(QStringLiteral("%1").arg(w, 8, 16, QLatin1Char('0')).toUpper())
                       .arg(w >> 24)
                       .arg((w >> 16) & 255)
                       .arg((w >> 8) & 255);
        }
    }
    mHelpLabel->setText(text);
}

void MyColorWellGridView::pressAt(QPointF pos)
{
    updateHelpBaseOnMousePos(&pos);
    qint64 row = 0, column = 0;
    if (!caculateLocation(pos, &row, &column, false))
        return;
    mouseDownInColumnIndex = column;
    mouseDownInRowIndex = row;
    mouseIsDown = true;
    shouldDrawSelectorRing = true;
    update();
}

void MyColorWellGridView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    pressAt(event->position());
}

void MyColorWellGridView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    updateHelpBaseOnMousePos(&pos);
    if ((event->buttons() & Qt::LeftButton) && mouseDownInColumnIndex != NotFound &&
        mouseDownInRowIndex != NotFound)
        pressAt(pos);
}

void MyColorWellGridView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    const QPointF pos = event->position();
    updateHelpBaseOnMousePos(&pos);
    mouseIsDown = false;
    update();
    qint64 row = 0, column = 0;
    if (!caculateLocation(pos, &row, &column, false))
        return;
    if (column != mouseDownInColumnIndex || row != mouseDownInRowIndex)
        return;
    const Color color = colorAt(column, row);
    if (color.isValid() && colorWell)
        colorWell->setColorToControl(color, true);
}
