#pragma once
// How the application ends: the Quit command, the session's request to save, and the signals
// that end a process (SIGTERM, SIGINT, SIGHUP). Every way runs the same walk over the compare
// windows (QuitWalk): the user is asked only where a question can be shown, untitled texts are
// kept for the next start, and once quitting is decided the windows close without asking.

#include "shell/QuitWalk.h"

#include <functional>

class QApplication;

namespace AppTermination {

// Blocks the ending signals in the calling thread and every thread made after it, so that they
// are read from a descriptor by the event loop. Call first in main, before any thread starts.
void BlockTerminationSignals();

struct Hooks
{
    // Steps of the application delegate when the quit goes ahead (its pending timer, the start
    // window's settings), run before the settings are saved.
    std::function<void()> willTerminate;
};

// Installs the Quit key for every window, the session's save request, the signal reader and the
// termination steps on the application. Once per process.
void Install(QApplication *app, Hooks hooks = {});

// The Quit command: walks the windows and, when quitting is decided, closes them without asking
// and ends the event loop. False when the user cancelled.
bool RequestQuit(bool allowInteraction = true);

// Whether quitting has been decided (the event loop is ending).
bool IsQuitting();

// The termination steps: the compare engine's output file, the delegate's steps, the settings.
void applicationWillTerminate();

// Closes every compare window without its own question (the walk has asked already).
void CloseCompareWindowsWithoutAsking();

// Reopens the untitled texts kept at the last quit as edited untitled text windows: the first at
// once, the others one per turn of the event loop, so that a start with many large texts paints
// each window as it comes. Answers how many windows are opening. A pair not yet opened when the
// application ends stays on disk for the next start.
int RestoreUntitledTexts();

} // namespace AppTermination
