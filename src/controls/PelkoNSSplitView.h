#pragma once
// The first divider of a two-pane split view: read, set and its largest position.

#include <QString>
#include <optional>

class QSplitter;

// Posted after the user dragged the divider of a MySplitViewLeft, with the split view as object.
inline const QString PelkoSplitViewDidChangePosition =
    QStringLiteral("PelkoSplitViewDidChangePosition");

// Moves the divider `index` to `position` (pixels from the left or top), keeping the other panes.
void setPositionOfDividerAtIndex(QSplitter *self, double position, int index);
// Nothing without a position.
void setPosition2(QSplitter *self, std::optional<double> position);
// 0 with fewer than two panes or a collapsed first pane; else the first pane's right (bottom) edge.
double getPositionOfFirstDivider(const QSplitter *self);
// The split view's width (height) less the divider's thickness.
double getMaxPositionOfFirstDivider(const QSplitter *self);
