#include "controls/MyClickTextLabel.h"

#include <QMouseEvent>

#include "platform/Guard.h"

void MyClickTextLabel::mousePressEvent(QMouseEvent *event)
{
    GUARD_BEGIN
    if (event->button() == Qt::LeftButton)
        emit action(this);
    GUARD_END_VOID
    QLabel::mousePressEvent(event);
}
