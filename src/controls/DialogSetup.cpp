#include "controls/DialogSetup.h"

#include "platform/SystemColors.h"
#include "services/WindowFrame.h"

#include <QAbstractButton>
#include <QKeySequence>
#include <QLayout>
#include <QPointer>
#include <QShortcut>
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

void bindKeys(QWidget *window, QAbstractButton *button, std::initializer_list<QKeySequence> keys)
{
    if (!button)
        return;
    for (const QKeySequence &key : keys) {
        auto *shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, button,
                         [guarded = QPointer<QAbstractButton>(button)] {
                             if (guarded && guarded->isEnabled())
                                 guarded->click();
                         });
    }
}

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
    bindKeys(window, closeButton1,
             {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    bindKeys(window, closeButton2, {QKeySequence(Qt::CTRL | Qt::Key_Q)});
    Localize_LoadWindowPos_SetBackground(window, frameOwner, platform::windowBackgroundColor(),
                                         true);
}
