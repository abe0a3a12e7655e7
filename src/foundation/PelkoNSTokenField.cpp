#include "foundation/PelkoNSTokenField.h"

namespace {

// The strings of the object value; anything that is not a list gives none.
QStringList stringElements(const QVariant &objectValue)
{
    QStringList strings;
    if (objectValue.typeId() == QMetaType::QStringList)
        return objectValue.toStringList();
    if (objectValue.typeId() != QMetaType::QVariantList)
        return strings;
    for (const QVariant &item : objectValue.toList()) {
        if (item.typeId() == QMetaType::QString)
            strings.append(item.toString());
    }
    return strings;
}

} // namespace

QStringList getValueStringsArray(const QVariant &objectValue, bool bMakeLower, bool bMakeUper,
                                 bool bMakeTrim)
{
    QStringList result;
    for (QString token : stringElements(objectValue)) {
        if (bMakeTrim)
            token = token.trimmed();
        if (token.isEmpty())
            continue;
        if (bMakeLower)
            token = token.toLower();
        if (bMakeUper)
            token = token.toUpper();
        result.append(token);
    }
    return result;
}

QStringList getValueStringsArray_Trim_Lower(const QVariant &objectValue)
{
    return getValueStringsArray(objectValue, true, false, true);
}

QStringList getValueStringsArray_Trim(const QVariant &objectValue)
{
    return getValueStringsArray(objectValue, false, false, true);
}
