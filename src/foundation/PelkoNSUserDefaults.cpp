#include "foundation/PelkoNSUserDefaults.h"

#include "platform/Log.h"

void setDefaultString(platform::UserDefaults &self, const QString &value, const QString &key)
{
    if (key.isEmpty() || self.hasKey(key))
        return;
    self.setString(value.isNull() ? QString(QLatin1String("")) : value, key);
}

void setDefaultDouble(platform::UserDefaults &self, double value, const QString &key)
{
    if (key.isEmpty() || self.hasKey(key))
        return;
    self.setDouble(value, key);
}

void setDefaultInt(platform::UserDefaults &self, qint64 value, const QString &key)
{
    if (key.isEmpty() || self.hasKey(key))
        return;
    self.setInteger(value, key);
}

void setColor(platform::UserDefaults &self, const platform::Color &color, const QString &key)
{
    if (!color.isValid() || key.isEmpty())
        return;
    const QByteArray data = color.archive();
    if (data.isEmpty()) {
        platform::LogWarning(
            lcFoundation,
            QStringLiteral("*** ERROR: setColor: cannot archive the colour for %1").arg(key));
        return;
    }
    self.setData(data, key);
}

platform::Color colorForKey(const platform::UserDefaults &self, const QString &key)
{
    if (key.isEmpty())
        return platform::Color();
    const QVariant stored = self.objectForKey(key);
    if (stored.typeId() != QMetaType::QByteArray)
        return platform::Color();
    return platform::Color::unarchive(stored.toByteArray());
}

void setStringArray2(platform::UserDefaults &self, const QStringList &list, const QString &key,
                     bool bNeedRemoveDouble, bool bTrim, bool bToLowerCase, bool bRemoveEmpty)
{
    if (key.isEmpty())
        return;
    QStringList items;
    for (QString item : list) {
        if (item.isNull())
            item = QString(QLatin1String(""));
        if (bTrim)
            item = item.trimmed();
        if (bRemoveEmpty && item.isEmpty())
            continue;
        if (bToLowerCase)
            item = item.toLower();
        if (bNeedRemoveDouble && items.contains(item))
            continue;
        items.append(item);
    }
    self.setString(items.join(kStringArraySeparator), key);
}

QStringList getStringArray2(const platform::UserDefaults &self, const QString &key)
{
    if (key.isEmpty())
        return {};
    return self.stringForKey(key).split(kStringArraySeparator, Qt::SkipEmptyParts);
}
