#include "controls/PelkoNSButton.h"

#include "controls/ControlText.h"
#include "platform/Guard.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPointer>
#include <QScopeGuard>

namespace {

// The title chosen in the string pop-up: cleared when a pop-up starts, set by the item action.
QString &chosenTitle()
{
    static QString title;
    return title;
}

// Menu texts treat "&" as a mnemonic mark; titles are shown as they are.
QString menuText(const QString &title)
{
    QString t = title;
    return t.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

QString stringValue(const QAbstractButton *self)
{
    if (!self)
        return QString(QLatin1String(""));
    const QString t = self->text();
    return t.isNull() ? QString(QLatin1String("")) : t;
}

QString string(const QAbstractButton *self)
{
    return stringValue(self);
}

void setString2(QAbstractButton *self, const QString &title)
{
    if (self)
        self->setText(title.isNull() ? QString(QLatin1String("")) : title);
}

void setTitle2(QAbstractButton *self, const QString &title)
{
    setString2(self, title);
}

bool stateBool(const QAbstractButton *self)
{
    if (!self)
        return false;
    if (auto *box = qobject_cast<const QCheckBox *>(self))
        return box->checkState() == Qt::Checked;
    return self->isChecked();
}

void setStateBool(QAbstractButton *self, bool on)
{
    if (!self)
        return;
    if (auto *box = qobject_cast<QCheckBox *>(self))
        box->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    else
        self->setChecked(on);
}

void setTitleColor(QAbstractButton *self, const platform::Color &color)
{
    if (!self || self->text().isEmpty())
        return;
    const QColor c = (color.isValid() ? color : platform::Color::black()).toQColor();
    setPaletteTextColor(self, c, {QPalette::ButtonText, QPalette::WindowText});
}

QString selectFromPopupMenuWithMenuOfStringArrays(QAbstractButton *self,
                                                  const QVariantList &entries,
                                                  const QStringList &checkOnItems)
{
    GUARD_BEGIN
    chosenTitle().clear();
    if (entries.isEmpty() || !self) {
        REPORT_FATAL();
        return QString();
    }
    // On the heap: closing the button's window while the menu is up deletes the menu with it.
    QPointer<QMenu> menu = new QMenu(self);
    const auto dropMenu = qScopeGuard([&menu] { delete menu.data(); });
    for (const QVariant &entry : entries) {
        if (entry.isNull() && entry.typeId() != QMetaType::QString) {
            menu->addSeparator();
            continue;
        }
        if (entry.typeId() != QMetaType::QString || entry.toString().isEmpty()) {
            REPORT_FATAL();
            continue;
        }
        const QString title = entry.toString();
        QAction *item = menu->addAction(menuText(title));
        item->setData(title);
        if (!checkOnItems.isEmpty() && checkOnItems.contains(title)) {
            item->setCheckable(true);
            item->setChecked(true);
        }
        QObject::connect(item, &QAction::triggered, item,
                         [item] { click_selectFromPopupMenuWithMenuOfStringArrays(item); });
    }
    if (menu->actions().isEmpty()) {
        REPORT_FATAL();
        return QString();
    }
    // Just under the button, at its left edge.
    const QPoint where = self->mapToGlobal(QPoint(0, self->height()));
    chosenTitle().clear();
    menu->exec(where);
    if (chosenTitle().isEmpty())
        return QString();
    return QString(chosenTitle());
    GUARD_END(QString())
}

void click_selectFromPopupMenuWithMenuOfStringArrays(QObject *sender)
{
    chosenTitle().clear();
    if (auto *item = qobject_cast<QAction *>(sender))
        chosenTitle() = item->data().toString();
    else
        REPORT_FATAL();
}
