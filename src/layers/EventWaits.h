#pragma once
// A repeat guard on a steady clock, waits for a key or mouse release on a window, and an alert
// shown as a sheet.

#include <QString>
#include <functional>

class QEvent;
class QWidget;

// NO for the first call, and for any call more than 0.7 s after the last recorded one (or when
// the clock went back); such a call is recorded. YES within 0.7 s of the recorded call, which
// stays recorded, so a steady stream of calls gets YES only in the 0.7 s after its first.
bool IsFastRepeatCall();
// Replaces the clock (seconds, steady) and forgets the recorded call; nullptr restores the
// steady clock. Tests.
void SetFastRepeatCallClock(std::function<double()> clock);

// Runs the events until a key is released in the window; YES when it was Escape. NO at once for
// a null or hidden window, and NO when the window is hidden, closed or destroyed meanwhile.
bool ProcessEventForWindowToCheckIfESCWasPress(QWidget *window);
// Runs the events until a left or right mouse button is released in the window (at once when
// event is such a release), or the window is hidden, closed or destroyed. The release and the
// drags until then are taken from the window. Nothing for null arguments.
void WaitTilMouseUp(QWidget *window, QEvent *event);

// With a window: an alert with the title and text (either empty shown as one space; nothing
// when both are) shown as a sheet on it; the caller goes on at once. Without one: the modal
// alert with one "OK" button.
void ShowMessage_ForSheet(QWidget *window, const QString &title, const QString &text);
