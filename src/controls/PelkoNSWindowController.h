#pragma once
// The common end of a modal dialog and a window accessor that never fails.

#include <QtGlobal>

class QWidget;
namespace platform {
class WindowController;
}

// Stores the frame of the controller's window under the controller's frame keys, then ends the
// modal run of that window with `code` (a run of another window is left alone).
void stopModalAndSaveFrameWithCode(platform::WindowController *self, qint64 code);
// The controller's window; nullptr with the broken-precondition report when it has none.
QWidget *window2(platform::WindowController *self);
