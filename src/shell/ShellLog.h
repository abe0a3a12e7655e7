#pragma once
// The shell's own trace: the appearance changes and each window shown, named by its
// controller's class. Off unless the logging rules turn on "pelko.shell.info" (the tests and the
// benchmark read it), so standard error stays quiet.

#include "platform/Log.h"

#include <QString>

class QWidget;

void shellLog(const QString &line);
// The window's document class, else its controller's class, else the widget's class.
QString windowKindName(const QWidget *window);
void logWindowShown(const QWidget *window);
// Time since the process started (its clock starts with the first call).
qint64 millisecondsSinceLaunch();
