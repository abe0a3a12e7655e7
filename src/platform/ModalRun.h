#pragma once
// Modal runs of top-level windows: a local event loop per run, ended by stopModalWithCode for
// that window. Runs may nest; ending an outer run's window does not end the inner run. Main thread
// only: calls from other threads are refused with a log line.

#include <functional>

class QWidget;

namespace platform {

// Shows window application-modal and runs until stopModalWithCode(window, code); closing the
// window by its close box ends the run with 0. Answers the code.
int runModalForWindow(QWidget *window);
// Ends window's own run with code; false when that window is not running modally.
bool stopModalWithCode(QWidget *window, int code);
// Ends the innermost run with code (the application-wide stop); false when none runs.
bool stopModal(int code);
// Ends the innermost run with ModalResponseAbort; false when none runs.
inline constexpr int ModalResponseAbort = -1001;
bool abortModal();
bool isRunningModal(QWidget *window);
// The window of the innermost run, nullptr when none.
QWidget *currentModalWindow();
// Answers modal runs without a screen (tests); nullptr restores the real run.
void setModalHook(std::function<int(QWidget *)> hook);

} // namespace platform
