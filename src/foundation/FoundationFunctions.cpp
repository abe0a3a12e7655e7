#include "foundation/FoundationFunctions.h"

#include "foundation/ColorWord.h"

#include <QFontInfo>
#include <cmath>

QString AppendString2(const QString &a, const QString &b)
{
    QString result = a + b;
    if (result.isNull())
        result = QString(QLatin1String(""));
    return result;
}

QString AppendString3(const QString &a, const QString &b, const QString &c)
{
    GUARD_BEGIN
    return AppendString2(AppendString2(a, b), c);
    GUARD_END(QString(QLatin1String("")))
}

bool IsSameFont(const QFont *a, const QFont *b)
{
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    return IsSameFont(*a, *b);
}

bool IsSameFont(const QFont &a, const QFont &b)
{
    if (a.family() != b.family())
        return false;
    // The face the font resolves to stands for the original's font name ("Family-Bold").
    const QFontInfo ia(a);
    const QFontInfo ib(b);
    if (ia.family() != ib.family() || ia.styleName() != ib.styleName() || ia.bold() != ib.bold() ||
        ia.italic() != ib.italic())
        return false;
    return std::fabs(a.pointSizeF() - b.pointSizeF()) < 0.1;
}

bool IsSameColor(const platform::Color &a, const platform::Color &b)
{
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    return GetHexColor(a) == GetHexColor(b);
}
