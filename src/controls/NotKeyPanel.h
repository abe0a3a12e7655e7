#pragma once
// A small tool window that never takes the keyboard focus from the window it serves.

#include <QWidget>

class NotKeyPanel : public QWidget
{
    Q_OBJECT
public:
    explicit NotKeyPanel(QWidget *parent = nullptr, Qt::WindowFlags extraFlags = {});
    // Never: typing stays in the window the panel serves.
    bool canBecomeKeyWindow() const { return false; }
};
