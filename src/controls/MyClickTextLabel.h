#pragma once
// A label that sends its action when clicked.

#include <QLabel>

class MyClickTextLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void action(MyClickTextLabel *sender);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
