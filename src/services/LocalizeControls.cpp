// Localisation of every visible text of a window, widget, menu or action.
#include "services/Localization.h"

#include "platform/Guard.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSet>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolBox>
#include <QTreeWidget>

namespace {

template <class Get, class Set> void localizeText(Get get, Set set)
{
    const QString text = get();
    if (text.isEmpty())
        return;
    const QString localized = L_(text);
    if (localized != text)
        set(localized);
}

void localizeAction(QAction *action)
{
    if (action->isSeparator())
        return;
    localizeText([&] { return action->text(); }, [&](const QString &t) { action->setText(t); });
    localizeText([&] { return action->iconText(); },
                 [&](const QString &t) { action->setIconText(t); });
    localizeText([&] { return action->statusTip(); },
                 [&](const QString &t) { action->setStatusTip(t); });
    localizeText([&] { return action->toolTip(); },
                 [&](const QString &t) { action->setToolTip(t); });
}

void localizeTabs(QTabBar *bar)
{
    for (int i = 0; i < bar->count(); ++i) {
        localizeText([&] { return bar->tabText(i); },
                     [&](const QString &t) { bar->setTabText(i, t); });
        localizeText([&] { return bar->tabToolTip(i); },
                     [&](const QString &t) { bar->setTabToolTip(i, t); });
    }
}

void localizeHeaderItems(QWidget *widget)
{
    if (auto *table = qobject_cast<QTableWidget *>(widget)) {
        for (int c = 0; c < table->columnCount(); ++c)
            if (QTableWidgetItem *item = table->horizontalHeaderItem(c))
                item->setText(L_(item->text()));
        for (int r = 0; r < table->rowCount(); ++r)
            if (QTableWidgetItem *item = table->verticalHeaderItem(r))
                item->setText(L_(item->text()));
    } else if (auto *tree = qobject_cast<QTreeWidget *>(widget)) {
        if (QTreeWidgetItem *header = tree->headerItem())
            for (int c = 0; c < header->columnCount(); ++c) {
                header->setText(c, L_(header->text(c)));
                if (!header->toolTip(c).isEmpty())
                    header->setToolTip(c, L_(header->toolTip(c)));
            }
    } else if (auto *view = qobject_cast<QAbstractItemView *>(widget)) {
        // Headers of a plain item model belong to the window; other models name their own.
        auto *model = qobject_cast<QStandardItemModel *>(view->model());
        if (!model)
            return;
        for (int c = 0; c < model->columnCount(); ++c) {
            const QString text = model->headerData(c, Qt::Horizontal).toString();
            if (!text.isEmpty())
                model->setHeaderData(c, Qt::Horizontal, L_(text));
        }
    }
}

void localizeWidget(QWidget *w)
{
    localizeText([&] { return w->windowTitle(); }, [&](const QString &t) { w->setWindowTitle(t); });
    localizeText([&] { return w->toolTip(); }, [&](const QString &t) { w->setToolTip(t); });
    localizeText([&] { return w->statusTip(); }, [&](const QString &t) { w->setStatusTip(t); });
    if (auto *label = qobject_cast<QLabel *>(w))
        localizeText([&] { return label->text(); }, [&](const QString &t) { label->setText(t); });
    else if (auto *button = qobject_cast<QAbstractButton *>(w))
        localizeText([&] { return button->text(); }, [&](const QString &t) { button->setText(t); });
    else if (auto *group = qobject_cast<QGroupBox *>(w))
        localizeText([&] { return group->title(); }, [&](const QString &t) { group->setTitle(t); });
    else if (auto *line = qobject_cast<QLineEdit *>(w))
        localizeText([&] { return line->placeholderText(); },
                     [&](const QString &t) { line->setPlaceholderText(t); });
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        localizeText([&] { return plain->placeholderText(); },
                     [&](const QString &t) { plain->setPlaceholderText(t); });
    else if (auto *rich = qobject_cast<QTextEdit *>(w))
        localizeText([&] { return rich->placeholderText(); },
                     [&](const QString &t) { rich->setPlaceholderText(t); });
    else if (auto *menu = qobject_cast<QMenu *>(w))
        localizeText([&] { return menu->title(); }, [&](const QString &t) { menu->setTitle(t); });
    else if (auto *bar = qobject_cast<QTabBar *>(w))
        localizeTabs(bar);
    else if (auto *combo = qobject_cast<QComboBox *>(w); combo && !combo->isEditable())
        // Fixed choices of the window resource; lists filled later by code are not touched.
        for (int i = 0; i < combo->count(); ++i)
            localizeText([&] { return combo->itemText(i); },
                         [&](const QString &t) { combo->setItemText(i, t); });
    else if (auto *box = qobject_cast<QToolBox *>(w))
        for (int i = 0; i < box->count(); ++i)
            localizeText([&] { return box->itemText(i); },
                         [&](const QString &t) { box->setItemText(i, t); });
    localizeHeaderItems(w);
}

void walk(QObject *object, QSet<QObject *> &seen)
{
    if (!object || seen.contains(object))
        return;
    seen.insert(object);
    if (auto *action = qobject_cast<QAction *>(object)) {
        localizeAction(action);
        if (QMenu *menu = action->menu())
            walk(menu, seen);
    } else if (auto *widget = qobject_cast<QWidget *>(object)) {
        localizeWidget(widget);
        for (QAction *action : widget->actions())
            walk(action, seen);
    }
    for (QObject *child : object->children())
        walk(child, seen);
}

} // namespace

void LocalizeAllControlsInViewOrWindow(QObject *object)
{
    GUARD_BEGIN
    QSet<QObject *> seen;
    walk(object, seen);
    GUARD_END_VOID
}
