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

signals:
    // The gutter's tip at a point of the screen (the lines under the mouse or selected); an
    // empty text hides it.
    void toolTipRequested(const QString &text, const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    // A click selects the whole line under it; a drag or Shift+click extends the selection by
    // whole lines.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    // A gutter that goes away (line numbers turned off) takes its tip with it.
    void hideEvent(QHideEvent *event) override;

private:
    // The document position of the row at the gutter's y.
    int positionAt(int y) const;
    // Selects from anchor to position, widened to whole lines; the tip names the lines.
    void selectLines(int anchor, int position, const QPoint &globalPos);
    // The number (from 1) of the line holding a document position.
    qint64 lineNumberAt(int position) const;

    MyEditTextView *mView;
    int mAnchor = -1; // where the selecting click was, while the button is down
};
