#include "shell/MenuRouter.h"

#include "platform/Document.h"
#include "platform/Guard.h"
#include "platform/WindowController.h"
#include "shell/MyApp.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMetaMethod>
#include <QWidget>

namespace {

constexpr const char *kCommandProperty = "pelkoRoutedCommand";

// The command's method on the object: with the item as argument, else with none.
QMetaMethod commandMethod(const QObject *object, const QByteArray &command)
{
    if (!object || command.isEmpty())
        return {};
    const QMetaObject *meta = object->metaObject();
    for (const QByteArray &signature : {command + "(QAction*)", command + "()"}) {
        const int index = meta->indexOfMethod(signature.constData());
        if (index >= 0)
            return meta->method(index);
    }
    return {};
}

// The objects that may answer for the active window, nearest first.
QList<QObject *> activeWindowResponders()
{
    QList<QObject *> responders;
    QWidget *active = QApplication::activeWindow();
    if (!active)
        return responders;
    // A dialog of a window answers for nothing; its parent window is not the active one.
    QWidget *window = active->window();
    if (auto *controller = platform::WindowController::controllerForWindow(window))
        responders.append(controller);
    for (platform::Document *d :
         platform::DocumentController::sharedDocumentController().documents())
        if (d->windowForSheet() == window)
            responders.append(d);
    return responders;
}

} // namespace

void setRoutedCommand(QAction *item, const QByteArray &command)
{
    if (!item)
        return;
    const bool connected = !routedCommand(item).isEmpty();
    item->setProperty(kCommandProperty, command);
    if (!connected)
        QObject::connect(item, &QAction::triggered, item, [item] { routeAction(item); });
}

QByteArray routedCommand(const QAction *item)
{
    return item ? item->property(kCommandProperty).toByteArray() : QByteArray();
}

QAction *addRoutedAction(QMenu *menu, const QString &title, const QByteArray &command)
{
    QAction *item = menu->addAction(title);
    setRoutedCommand(item, command);
    return item;
}

QObject *targetForCommand(const QByteArray &command)
{
    for (QObject *responder : activeWindowResponders())
        if (commandMethod(responder, command).isValid())
            return responder;
    if (commandMethod(gMyApp, command).isValid())
        return gMyApp;
    return nullptr;
}

bool routeAction(QAction *item)
{
    GUARD_BEGIN
    const QByteArray command = routedCommand(item);
    QObject *target = targetForCommand(command);
    if (!target)
        return false;
    const QMetaMethod method = commandMethod(target, command);
    if (method.parameterCount() == 1)
        return method.invoke(target, Qt::DirectConnection, Q_ARG(QAction *, item));
    return method.invoke(target, Qt::DirectConnection);
    GUARD_END(false)
}

void validateRoutedItems(QMenu *menu)
{
    if (!menu)
        return;
    for (QAction *item : menu->actions()) {
        if (QMenu *sub = item->menu()) {
            validateRoutedItems(sub);
            continue;
        }
        const QByteArray command = routedCommand(item);
        if (command.isEmpty())
            continue;
        QObject *target = targetForCommand(command);
        item->setEnabled(target != nullptr);
        // The target may also give the item its state (a check mark).
        const QMetaMethod validate = commandMethod(target, QByteArrayLiteral("validateMenuItem"));
        if (validate.isValid() && validate.parameterCount() == 1)
            validate.invoke(target, Qt::DirectConnection, Q_ARG(QAction *, item));
    }
}

void installRoutedValidation(QMenu *menu)
{
    if (!menu || menu->property("pelkoRoutedValidation").toBool())
        return;
    menu->setProperty("pelkoRoutedValidation", true);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] { validateRoutedItems(menu); });
}
