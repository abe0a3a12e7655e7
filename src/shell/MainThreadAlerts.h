#pragma once
// The main-thread side of the questions that worker threads ask (compare/SubThreadAlerts): each
// takes the question's strings, shows the alert and appends the answer as a number. A question
// nobody could answer gets the answer that means no button (0, or -2 for a panel), never one
// that a job could take for consent.

#include <QVariantList>

// message, informative text, button 1 to button 5; a missing or non-string element counts as
// none, and a missing first button is "OK".
void Run_ShowMessage2_from_main_thread(QVariantList *args);
// title, message, default button, alternate button, other button; empty alternate and other
// buttons are left out; the message is shown as it stands.
void NSRunAlertPanelMainThread(QVariantList *args);

// Makes these the delegate of the workers' questions.
void InstallMainThreadAlerts();
