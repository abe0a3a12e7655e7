#include "controls/MySplitView.h"

void MySplitView::resizeEvent(QResizeEvent *event)
{
    // The splitter's own handler would spread the new size over the panes.
    QWidget::resizeEvent(event);
}
