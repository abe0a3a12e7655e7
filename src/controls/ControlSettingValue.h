#pragma once
// One dialog control's value kept under a user-defaults key, whatever the kind of control, and
// two variants of the window set-up that restore only a window's position, or nothing of its
// frame.
//
// Kinds, tested in this order (a later kind may be a base of an earlier one):
//   TokenField                   its tokens joined by "{_sEp_Pelko_}", empty ones skipped
//   QAbstractSlider              a double (loaded rounded into the slider's range)
//   QComboBox, not editable      the selected index
//   QComboBox, editable          its text
//   QLineEdit                    its text
//   QTextEdit, QPlainTextEdit    its plain text
//   QAbstractButton              its state: 1 on, 0 off, -1 the partial state of a tristate box

#include "platform/Color.h"

#include <QString>

class QObject;
class QWidget;

// Stores the control's value under key in the standard user defaults (not synchronised).
// Nothing for a null control; an empty key or an unknown kind is reported and stores nothing.
void Save_ControlSettingValue(QWidget *control, const QString &key);
// Registers defaultText as the key's value when the key holds nothing, then sets the control
// from the stored value.
void Load_ControlSettingValue(QWidget *control, const QString &key, const QString &defaultText);

// Localises every control of the window and sets its background when bg is valid.
void Localize_SetBackground(QWidget *window, const QObject *owner, const platform::Color &bg);
// Localize_SetBackground, then moves the window to the top-left corner of the frame stored for
// the owner, keeping its size; with nothing stored, centres it when centre is set.
void Localize_LoadWindowTopLeftOnly_SetBackground(QWidget *window, const QObject *owner,
                                                  const platform::Color &bg, bool centre);
