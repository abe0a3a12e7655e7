#pragma once
// Tab, undo and circular-slider helpers; all accept nullptr.

class QDial;
class QTabWidget;
class QUndoStack;
class QWidget;

bool containsTabItem(const QTabWidget *self, const QWidget *page);
// -1 when nothing is selected.
int indexOfSelectedTabViewItem(const QTabWidget *self);
// Removes the page; when it was the selected one, its right neighbour (else its left one) is
// selected.
void removeTabViewItemThenSelectRightTab_IfNeed(QTabWidget *self, QWidget *page);

bool undoIfCan(QUndoStack *self);
bool redoIfCan(QUndoStack *self);

// A dial used as a circular slider of 0 to 360 degrees whose value 0 points up and grows
// clockwise. The angle is counter-clockwise from the positive x axis.
float getAngle(const QDial *self);
void setAngle(QDial *self, float angle);
// The slider value (0 up, clockwise) the dial shows.
double circularSliderValue(const QDial *self);
void setCircularSliderValue(QDial *self, double value);
