#pragma once
// The insertion point of a plain-text editor in the colour the theme gives it. Qt draws its own
// caret by inverting what lies under it, so a theme's insertion-point colour would never show;
// an editor that owns a TextCaret hides Qt's caret and calls paint() at the end of its own paint.
// The colour is the editor's "insertionPointColor" property (SetTextViewColorMode sets it), else
// its text colour.

#include <QBasicTimer>
#include <QColor>
#include <QObject>
#include <QRect>

class QPainter;
class QPlainTextEdit;

class TextCaret : public QObject
{
    Q_OBJECT
public:
    explicit TextCaret(QPlainTextEdit *view);

    // Draws the caret into the editor's viewport when it is shown at this moment.
    void paint(QPainter &painter);
    // The colour it is drawn in now.
    QColor color() const;
    // Whether a paint now would draw it (focus, editable, blink phase).
    bool isShown() const;
    // Where it is drawn, in viewport coordinates.
    QRect caretRect() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void restartBlink();
    void repaint();

    QPlainTextEdit *mView;
    int mWidth;
    bool mOn = true;
    QBasicTimer mBlink;
    QRect mPainted;
};
