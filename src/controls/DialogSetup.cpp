#include "controls/DialogSetup.h"

#include "platform/SystemColors.h"
#include "services/WindowFrame.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLayout>
#include <QPointer>
#include <QWidget>

namespace {

bool removeFromLayout(QLayout *layout, QWidget *widget)
{
    if (!layout)
        return false;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget() == widget) {
            delete layout->takeAt(i);
            return true;
        }
        if (removeFromLayout(item->layout(), widget))
            return true;
    }
    return false;
}

// Clicks the close buttons for their keys when a key press reaches the window (from any of its
// widgets that leaves the key alone). A disabled button ignores its keys.
class CloseKeys : public QObject
{
public:
    CloseKeys(QWidget *window, QAbstractButton *close, QAbstractButton *quit)
        : QObject(window), mClose(close), mQuit(quit)
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods =
            key->modifiers() &
            (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier);
        QAbstractButton *button = nullptr;
        if ((key->key() == Qt::Key_Escape && mods == Qt::NoModifier) ||
            (key->key() == Qt::Key_W && mods == Qt::ControlModifier))
            button = mClose;
        else if (key->key() == Qt::Key_Q && mods == Qt::ControlModifier)
            button = mQuit;
        if (!button)
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            // Claims the key before any application shortcut sees it.
            event->accept();
            return true;
        }
        (void)watched;
        if (button->isEnabled())
            button->click();
        return true;
    }

private:
    QPointer<QAbstractButton> mClose;
    QPointer<QAbstractButton> mQuit;
};

} // namespace

void MoveButtonOutOfSight(QAbstractButton *button)
{
    if (!button)
        return;
    if (QWidget *parent = button->parentWidget())
        removeFromLayout(parent->layout(), button);
    QSize size = button->size();
    if (size.isEmpty())
        size = button->sizeHint();
    button->setGeometry(-200, -200, size.width(), size.height());
    button->setEnabled(true);
}

void SetupDialogWindow(QWidget *window, const QObject *frameOwner, QAbstractButton *closeButton1,
                       QAbstractButton *closeButton2)
{
    if (!window)
        return;
    MoveButtonOutOfSight(closeButton1);
    MoveButtonOutOfSight(closeButton2);
    window->installEventFilter(new CloseKeys(window, closeButton1, closeButton2));
    Localize_LoadWindowPos_SetBackground(window, frameOwner, platform::windowBackgroundColor(),
                                         true);
}
