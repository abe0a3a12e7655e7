#include "shell/MyView.h"

#include "platform/Guard.h"

#include <QMouseEvent>

MyView::MyView(QWidget *parent) : QWidget(parent)
{}

void MyView::mousePressEvent(QMouseEvent *event)
{
    // A failing delegate is reported and the event still goes on.
    GUARD_BEGIN
    if (mDelegate)
        mDelegate->withView_mouseDown(this, event);
    GUARD_END_VOID
    QWidget::mousePressEvent(event);
}

void MyView::mouseReleaseEvent(QMouseEvent *event)
{
    GUARD_BEGIN
    if (mDelegate)
        mDelegate->withView_mouseUp(this, event);
    GUARD_END_VOID
    QWidget::mouseReleaseEvent(event);
}
