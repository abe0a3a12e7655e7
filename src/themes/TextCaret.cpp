#include "themes/TextCaret.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyleHints>
#include <QTimerEvent>

TextCaret::TextCaret(QPlainTextEdit *view)
    : QObject(view), mView(view), mWidth(std::max(1, view->cursorWidth()))
{
    view->setCursorWidth(0);
    view->installEventFilter(this);
    connect(view, &QPlainTextEdit::cursorPositionChanged, this, &TextCaret::restartBlink);
}

QColor TextCaret::color() const
{
    const QColor color = mView->property("insertionPointColor").value<QColor>();
    return color.isValid() ? color : mView->palette().color(QPalette::Text);
}

bool TextCaret::isShown() const
{
    return mOn && mView->hasFocus() && mView->isEnabled() &&
           (mView->textInteractionFlags() & Qt::TextEditable);
}

QRect TextCaret::caretRect() const
{
    const QRect r = mView->cursorRect();
    return QRect(r.left(), r.top(), mWidth, r.height());
}

void TextCaret::paint(QPainter &painter)
{
    if (!isShown())
        return;
    mPainted = caretRect();
    painter.fillRect(mPainted, color());
}

void TextCaret::restartBlink()
{
    mOn = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (mView->hasFocus() && flash > 0)
        mBlink.start(flash / 2, this);
    else
        mBlink.stop();
    repaint();
}

void TextCaret::repaint()
{
    // Where it was drawn last and where it stands now. Its place is asked for only when it
    // shows: finding it lays out the line it is on.
    mView->viewport()->update(mPainted.adjusted(-1, 0, 1, 0));
    if (isShown())
        mView->viewport()->update(caretRect().adjusted(-1, 0, 1, 0));
}

bool TextCaret::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mView) {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::EnabledChange:
        case QEvent::ReadOnlyChange:
            restartBlink();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TextCaret::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != mBlink.timerId())
        return QObject::timerEvent(event);
    mOn = !mOn;
    if (!mView->hasFocus())
        mBlink.stop();
    repaint();
}
