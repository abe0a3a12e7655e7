#pragma once
// Modal alerts of the application; texts are English keys passed through L_ by the callers.

#include <QString>

// One localised "OK" button.
void ShowMessage(const QString &title, const QString &text);

// Answers 1000 for the first button, 1001 for the second, 1002 for the third. Nothing is shown
// and 0 answered when title and text are both empty; either one alone shows as " ". An empty
// first button becomes the localised "OK"; with a third button an empty second one becomes the
// localised "Cancel"; other empty titles add no button.
int ShowMessage2(const QString &title, const QString &text, const QString &button1 = {},
                 const QString &button2 = {}, const QString &button3 = {});

// A question whose answer cannot be undone (a delete for good, files replaced, edits thrown
// away): the go-ahead button, then Cancel, which both Return and Escape press. True only for the
// go-ahead. Either text alone shows as " "; both empty ask nothing and answer false.
bool AskBeforeUndoable(const QString &title, const QString &text, const QString &goButton);
