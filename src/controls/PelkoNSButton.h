#pragma once
// Buttons: the title as the button's text value, the state as a bool, a coloured title, and a
// pop-up menu of strings under the button.

#include <QString>
#include <QStringList>
#include <QVariantList>

#include "platform/Color.h"

class QAbstractButton;
class QObject;

// The title (never the state); empty for a null button.
QString stringValue(const QAbstractButton *self);
QString string(const QAbstractButton *self);
void setString2(QAbstractButton *self, const QString &title);
void setTitle2(QAbstractButton *self, const QString &title);

// On: true; off and mixed: false.
bool stateBool(const QAbstractButton *self);
void setStateBool(QAbstractButton *self, bool on);

// Recolours a non-empty title; no colour means black.
void setTitleColor(QAbstractButton *self, const platform::Color &color);

// Pops up a menu of `entries` just under the button and waits: strings are items (those in
// `checkOnItems` get a check mark), a null QVariant is a separator, anything else (an empty
// string too) is left out with a report. Answers the chosen title, or a null string when the menu
// was dismissed or could not be shown.
QString selectFromPopupMenuWithMenuOfStringArrays(QAbstractButton *self,
                                                  const QVariantList &entries,
                                                  const QStringList &checkOnItems);
// The action of that menu's items: remembers the title of the item `sender`.
void click_selectFromPopupMenuWithMenuOfStringArrays(QObject *sender);
