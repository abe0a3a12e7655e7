#pragma once
// Opens a text compare window for two files (the command line's "pelkomerge LEFT RIGHT").

#include <QString>

class MergeEditWndCtr;

// Creates the window, shows it with both files compared, and runs its becoming-key check once
// 0.1 s later. The controller frees itself when its window closes. False when the window could
// not be made.
bool OpenTextCompareWindow(const QString &left, const QString &right);
// The same, answering the controller (nullptr on failure).
MergeEditWndCtr *OpenTextCompareWindowController(const QString &left, const QString &right);
