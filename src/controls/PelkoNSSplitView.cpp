#include "controls/PelkoNSSplitView.h"

#include <QSplitter>
#include <algorithm>
#include <cmath>

void setPositionOfDividerAtIndex(QSplitter *self, double position, int index)
{
    if (!self || index < 0 || index + 1 >= self->count() || std::isnan(position))
        return;
    QList<int> sizes = self->sizes();
    int before = 0;
    for (int i = 0; i < index; ++i)
        before += sizes[i] + (self->widget(i)->isHidden() ? 0 : self->handleWidth());
    const int pair = sizes[index] + sizes[index + 1];
    const double wanted = std::clamp(position - before, 0.0, double(pair));
    sizes[index] = int(std::lround(wanted));
    sizes[index + 1] = pair - sizes[index];
    self->setSizes(sizes);
}

void setPosition2(QSplitter *self, std::optional<double> position)
{
    if (position)
        setPositionOfDividerAtIndex(self, *position, 0);
}

double getPositionOfFirstDivider(const QSplitter *self)
{
    if (!self || self->count() < 2)
        return 0;
    const QWidget *first = self->widget(0);
    if (first->isHidden() || self->sizes().value(0) == 0)
        return 0;
    const QRect g = first->geometry();
    return self->orientation() == Qt::Horizontal ? g.x() + g.width() : g.y() + g.height();
}

double getMaxPositionOfFirstDivider(const QSplitter *self)
{
    if (!self)
        return 0;
    const int extent = self->orientation() == Qt::Horizontal ? self->width() : self->height();
    return extent - self->handleWidth();
}
