#pragma once
// A button drawn as a label: a click reveals the path that its title holds.

#include <QPushButton>

class MyNSTextFieldLabel : public QPushButton
{
    Q_OBJECT
public:
    explicit MyNSTextFieldLabel(QWidget *parent = nullptr);
};
