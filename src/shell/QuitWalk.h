#pragma once
// What quitting asks and keeps, over every open compare window. First the edited windows with
// files (and, when untitled texts are not kept automatically, the edited untitled ones) are asked
// about in one question naming every file with unsaved edits, in slot order; Cancel (also Return
// and Escape) stops the quit with nothing written. Once quitting is decided,
// every untitled window holding text is kept as a backup pair for the next start. A text that
// cannot be kept is never dropped silently: the user may quit anyway or cancel, and a cancel
// removes the pairs this walk wrote.

enum class TerminateReply { Cancel, Now };

// allowInteraction false (the session or a signal ends the process): nothing is asked, every
// untitled text that can be kept is kept, and the answer is Now.
TerminateReply QuitWalk_ShouldTerminate(bool allowInteraction);
