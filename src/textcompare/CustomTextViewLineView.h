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
    // The colour of the numbers: a quieter shade of the text that stays readable.
    static QColor lineNumberColor(const QColor &background, const QColor &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MyEditTextView *mView;
};
