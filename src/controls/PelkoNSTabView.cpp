#include "controls/PelkoNSTabView.h"

#include <QDial>
#include <QTabWidget>
#include <QUndoStack>
#include <cmath>

#include "graphics/DrawingUtility.h"
#include "platform/Guard.h"

namespace {

// A wrapping dial shows its minimum pointing down; the slider's 0 points up.
constexpr int kDialOffset = 180;

} // namespace

bool containsTabItem(const QTabWidget *self, const QWidget *page)
{
    return self && page && self->indexOf(const_cast<QWidget *>(page)) >= 0;
}

int indexOfSelectedTabViewItem(const QTabWidget *self)
{
    if (!self)
        return -1;
    const int i = self->currentIndex();
    return (i < 0 || i >= self->count()) ? -1 : i;
}

void removeTabViewItemThenSelectRightTab_IfNeed(QTabWidget *self, QWidget *page)
{
    if (!page)
        return;
    if (!self || self->count() == 0 || !containsTabItem(self, page)) {
        REPORT_FATAL();
        return;
    }
    const int i = self->indexOf(page);
    if (self->currentWidget() != page) {
        self->removeTab(i);
        return;
    }
    QWidget *next = nullptr;
    if (i + 1 < self->count())
        next = self->widget(i + 1);
    else if (i >= 1)
        next = self->widget(i - 1);
    self->removeTab(i);
    if (next)
        self->setCurrentWidget(next);
}

bool undoIfCan(QUndoStack *self)
{
    GUARD_BEGIN
    if (!self || !self->canUndo())
        return false;
    self->undo();
    return true;
    GUARD_END(false)
}

bool redoIfCan(QUndoStack *self)
{
    GUARD_BEGIN
    if (!self || !self->canRedo())
        return false;
    self->redo();
    return true;
    GUARD_END(false)
}

double circularSliderValue(const QDial *self)
{
    if (!self)
        return 0;
    return std::fmod(double(self->value() - kDialOffset) + 720.0, 360.0);
}

void setCircularSliderValue(QDial *self, double value)
{
    if (!self || std::isnan(value))
        return;
    const double shown = std::fmod(std::fmod(value + kDialOffset, 360.0) + 360.0, 360.0);
    self->setValue(int(std::lround(shown)) % 360);
}

float getAngle(const QDial *self)
{
    if (!self)
        return 0;
    float a = 90.0f - float(circularSliderValue(self));
    NormalizeAngle(&a);
    return a;
}

void setAngle(QDial *self, float angle)
{
    if (!self)
        return;
    constexpr double tolerance = double(0.02f);
    if (std::fabs(self->minimum() - 0.0) > tolerance)
        self->setMinimum(0);
    if (std::fabs(self->maximum() - 360.0) > tolerance)
        self->setMaximum(360);
    self->setWrapping(true);
    NormalizeAngle(&angle);
    float value = 90.0f - angle;
    NormalizeAngle(&value);
    setCircularSliderValue(self, value);
}
