#pragma once
// The common preparation of a dialog window when it loads: localised controls, the window
// background, the stored frame (or centred), and the two close buttons moved out of sight but
// kept enabled, so that their keys still work: the first answers Escape and Ctrl+W (the
// dialog's close), the second Ctrl+Q (the dialog's quit key). A disabled button ignores its keys.

class QAbstractButton;
class QWidget;
class QObject;

void SetupDialogWindow(QWidget *window, const QObject *frameOwner, QAbstractButton *closeButton1,
                       QAbstractButton *closeButton2);

// Moves a button out of sight (origin -200, -200, its size kept) and out of any layout.
void MoveButtonOutOfSight(QAbstractButton *button);
