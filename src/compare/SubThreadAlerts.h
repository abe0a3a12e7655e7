#pragma once
// Alerts asked by worker threads: the question is shown on the main thread and the worker waits
// for the answer. Called on the main thread they simply show the alert.
//
// Nobody answering is never taken for consent: when no alert could be shown, or the wait was
// given up because the job was cancelled, ShowMessage2_from_sub_thread answers 0 (no button) and
// NSRunAlertPanel_from_sub_thread answers -2 (no button of a panel). Callers go on only on the
// button that means going on.
//
// A worker must not hold the folder compare's lock while it asks: the main thread may need that
// lock before it can show the question.

#include <QString>
#include <QVariantList>
#include <atomic>
#include <functional>

// The button pressed: 1000 for button 1, 1001 for button 2, and so on; empty buttons are left
// out (none at all shows one "OK"). Both texts empty: 0, nothing shown. Escape and the close box
// press the last button. cancel (may be null) is looked at while the worker waits.
long ShowMessage2_from_sub_thread(const QString &message, const QString &informativeText,
                                  const QString &button1, const QString &button2 = {},
                                  const QString &button3 = {}, const QString &button4 = {},
                                  const QString &button5 = {},
                                  const std::atomic<bool> *cancel = nullptr);

// An alert panel: 1 for the default button, 0 for the alternate, -1 for the other; the other
// button shows only with an alternate one. The message is shown as it stands. -2 when nobody
// answered.
inline constexpr long kAlertPanelDefault = 1;
inline constexpr long kAlertPanelAlternate = 0;
inline constexpr long kAlertPanelOther = -1;
inline constexpr long kAlertPanelNoAnswer = -2;
long NSRunAlertPanel_from_sub_thread(const QString &title, const QString &message,
                                     const QString &defaultButton,
                                     const QString &alternateButton = {},
                                     const QString &otherButton = {},
                                     const std::atomic<bool> *cancel = nullptr);

// The application delegate's side of a worker's question, run on the main thread. Each function
// takes the question's strings and appends the answer as a number:
//   showMessage2: message, informative text, button 1 to button 5 (always 7 strings);
//   alertPanel: title, message, default button, then the alternate button when there is one,
//   then the other button when there are both (3 to 5 strings).
// Without a delegate a worker's question still goes to the main thread, as a plain alert.
struct SubThreadAlertDelegate
{
    std::function<void(QVariantList &)> showMessage2;
    std::function<void(QVariantList &)> alertPanel;
};
void SetSubThreadAlertDelegate(SubThreadAlertDelegate delegate);
