#pragma once
// Alerts asked by worker threads: the question is shown on the main thread and the worker waits
// for the answer. Called on the main thread they simply show the alert.
//
// Nobody answering is never taken for consent: when no alert could be shown, or the wait was
// given up because the job was cancelled, the answer is 0, which is no button.

#include <QString>
#include <atomic>

// The button pressed: 1000 for button 1, 1001 for button 2, and so on; empty buttons are left
// out (none at all shows one "OK"). Both texts empty: 0, nothing shown. Escape and the close box
// press the last button. cancel (may be null) is looked at while the worker waits.
long ShowMessage2_from_sub_thread(const QString &message, const QString &informativeText,
                                  const QString &button1, const QString &button2 = {},
                                  const QString &button3 = {}, const QString &button4 = {},
                                  const QString &button5 = {},
                                  const std::atomic<bool> *cancel = nullptr);

// An alert panel: 1 for the default button, 0 for the alternate, -1 for the other; the other
// button shows only with an alternate one. The message is shown as it stands. 0 when no alert
// could be shown: so the default button must be the one that goes ahead.
long NSRunAlertPanel_from_sub_thread(const QString &title, const QString &message,
                                     const QString &defaultButton,
                                     const QString &alternateButton = {},
                                     const QString &otherButton = {},
                                     const std::atomic<bool> *cancel = nullptr);
