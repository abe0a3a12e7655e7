#pragma once
// The line-number gutter at the left of a pane, with a mark beside the lines of every
// difference block.

#include <QWidget>

class MyEditTextView;

class CustomTextViewLineView : public QWidget
{
    Q_OBJECT
public:
    explicit CustomTextViewLineView(MyEditTextView *view);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MyEditTextView *mView;
};
