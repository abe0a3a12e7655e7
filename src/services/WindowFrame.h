#pragma once
// Window frames remembered per owner under "winFrame_%@_x", "_y", "_w", "_h", the name being the
// owner's class name followed by its "windowNibName" property.

#include <QRectF>
#include <QString>

#include "platform/Color.h"

class QObject;
class QWidget;

QString WindowFrameOwnerName(const QObject *owner);

// Stores the window's frame and synchronises the user defaults; nothing when either is null.
void Save_Window_Frame(QWidget *window, const QObject *owner);
// The stored frame held on the screens; an empty rectangle when none is stored (or a stored
// width or height is below 1).
QRectF Load_Window_Frame(QWidget *window, const QObject *owner);
// Localises the window, sets its background when bg is valid, and restores its stored frame, or
// centres it when none is stored and centre is true. Nothing for a null window.
void Localize_LoadWindowPos_SetBackground(QWidget *window, const QObject *owner,
                                          const platform::Color &bg, bool centre);
