#include "controls/PelkoNSPopUpButton.h"

#include "foundation/PelkoNSString.h"
#include "platform/Guard.h"

#include <QComboBox>

bool selectItemAllowPrefix(QComboBox *self, bool allowPrefix, const QString &title)
{
    if (!self || title.isEmpty() || self->count() == 0)
        return false;
    for (int i = 0; i < self->count(); ++i) {
        if (self->itemText(i).compare(title, Qt::CaseInsensitive) == 0) {
            self->setCurrentIndex(i);
            return true;
        }
    }
    if (!allowPrefix)
        return false;
    for (int i = 0; i < self->count(); ++i) {
        if (hasPrefixNoCase(self->itemText(i), title)) {
            self->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

int addItemWithTitle(QComboBox *self, const QString &title, const QVariant &object)
{
    if (!self) {
        REPORT_FATAL();
        return -1;
    }
    QString t = title;
    if (t.isEmpty()) {
        REPORT_FATAL();
        t = QString(QLatin1String(""));
    }
    // A pop-up holds one item per title: the new one takes the old one's place at the end.
    for (int i = self->count() - 1; i >= 0; --i) {
        if (self->itemText(i) == t)
            self->removeItem(i);
    }
    self->addItem(t, object);
    return self->count() - 1;
}

QVariant representedObjectOfSelectedItem(const QComboBox *self)
{
    if (!self || self->currentIndex() < 0)
        return QVariant();
    return representedObjectOfItemAtIndex(self, self->currentIndex());
}

QVariant representedObjectOfItemAtIndex(const QComboBox *self, int index)
{
    if (!self || index < 0 || index >= self->count())
        return QVariant();
    return self->itemData(index);
}
