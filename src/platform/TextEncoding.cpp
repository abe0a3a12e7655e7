#include "platform/TextEncoding.h"

namespace platform {

bool TextEncoding::isAvailable(StringEncoding)
{
    return false;
}
QString TextEncoding::ianaName(StringEncoding)
{
    return QString();
}
StringEncoding TextEncoding::fromIanaName(const QString &)
{
    return 0;
}
QList<StringEncoding> TextEncoding::availableEncodings()
{
    return {};
}
QString TextEncoding::localizedName(StringEncoding)
{
    return QString();
}
std::optional<QString> TextEncoding::decodeStrict(const QByteArray &, StringEncoding)
{
    return std::nullopt;
}
QByteArray TextEncoding::encode(const QString &, StringEncoding, bool, bool *wasLossy)
{
    if (wasLossy)
        *wasLossy = false;
    return QByteArray();
}

} // namespace platform
