#pragma once
// Pop-up buttons (QComboBox) with represented objects and selection by title.

#include <QString>
#include <QVariant>

class QComboBox;

// Selects the first item whose title equals `title` ignoring case; failing that, when prefixes
// are allowed, the first whose title begins with it. False (selection unchanged) otherwise.
bool selectItemAllowPrefix(QComboBox *self, bool allowPrefix, const QString &title);
// Adds an item at the end (an item with the same title is removed first) carrying `object`
// (an invalid QVariant carries nothing). Answers the new item's index, -1 without a pop-up.
int addItemWithTitle(QComboBox *self, const QString &title, const QVariant &object);
// Invalid QVariant when nothing is selected or the index is out of range.
QVariant representedObjectOfSelectedItem(const QComboBox *self);
QVariant representedObjectOfItemAtIndex(const QComboBox *self, int index);
