#pragma once
// Menu items without a target of their own: the command is the name of a Q_INVOKABLE slot, taken
// either with no argument or with the item (QAction *). It goes to the active window's controller
// (or its document) when that answers it, else to the application delegate. A menu about to show
// disables the items nobody answers, and the trigger asks again, since the active window may
// have changed in between.

#include <QByteArray>
#include <QString>

class QAction;
class QMenu;
class QObject;

// Makes the item a routed one (the command is kept on the item).
void setRoutedCommand(QAction *item, const QByteArray &command);
QByteArray routedCommand(const QAction *item);
// A new routed item at the end of the menu.
QAction *addRoutedAction(QMenu *menu, const QString &title, const QByteArray &command);

// Who answers the command now: the active window's controller or document, else the delegate;
// nullptr when nobody does.
QObject *targetForCommand(const QByteArray &command);
// Runs the item's command on its target; false when nobody answered.
bool routeAction(QAction *item);
// Enables each routed item of the menu (and its submenus) that somebody answers.
void validateRoutedItems(QMenu *menu);
// Validates the menu, and its submenus as they open, before it shows.
void installRoutedValidation(QMenu *menu);
