#include "foundation/PelkoNSDictionary.h"

#include "platform/Guard.h"
#include "platform/PropertyList.h"

std::optional<QVariantMap> dictionaryWithContents(const QString &text)
{
    GUARD_BEGIN
    if (text.isEmpty())
        return std::nullopt;
    // Parsed in memory: a file in a shared folder could be swapped or clobbered by another caller.
    const std::optional<QVariant> parsed = platform::propertyListFromData(text.toUtf8());
    if (!parsed || parsed->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return parsed->toMap();
    GUARD_END(std::nullopt)
}
