#include "controls/NSColorView.h"

#include <QPainter>

#include "graphics/DrawingUtility.h"
#include "platform/GraphicsContext.h"

void NSColorView::setFillColor(const platform::Color &color)
{
    mFillColor = color;
    update();
}

void NSColorView::setBorderColor(const platform::Color &color)
{
    mBorderColor = color;
    update();
}

void NSColorView::setBorderWidth(float width)
{
    mBorderWidth = width;
    update();
}

void NSColorView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (mFillColor.isValid())
        painter.fillRect(rect(), mFillColor.toQColor());
    if (mBorderColor.isValid() && mBorderWidth > 0.02f) {
        painter.setRenderHint(QPainter::Antialiasing);
        platform::GraphicsContextScope scope(&painter);
        DrawRectPath(QRectF(rect()), platform::Color(), mBorderColor, mBorderWidth);
    }
}
