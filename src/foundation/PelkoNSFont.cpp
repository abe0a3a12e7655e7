#include "foundation/PelkoNSFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <cmath>

namespace {

constexpr double kDefaultPointSize = 12.0;

bool familyInstalled(const QString &family)
{
    return !family.isEmpty() && QFontDatabase::hasFamily(family);
}

// A face of the family with the wanted weight class and slant, as the font database lists them.
bool hasFace(const QString &family, bool wantBold, bool wantItalic)
{
    const QStringList styles = QFontDatabase::styles(family);
    for (const QString &style : styles) {
        const bool isBold = QFontDatabase::weight(family, style) >= QFont::DemiBold;
        // The database calls only italic faces italic; an oblique face slants as well.
        const bool isItalic = QFontDatabase::italic(family, style) ||
                              QFontDatabase::font(family, style, 12).style() != QFont::StyleNormal;
        if (isBold == wantBold && isItalic == wantItalic)
            return true;
    }
    return false;
}

// The font at the size, from the first installed family of the candidates, else the system font.
QFont firstInstalled(std::initializer_list<QString> families, double size)
{
    for (const QString &family : families) {
        if (familyInstalled(family)) {
            QFont font(family);
            font.setPointSizeF(size);
            return font;
        }
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(size);
    return font;
}

double pointSizeOf(const QFont &font)
{
    const double size = font.pointSizeF();
    return size < 0.9 ? kDefaultPointSize : size;
}

} // namespace

std::optional<QFont> fontWithFontBold(const QFont &font, bool wantBold)
{
    const QFontInfo info(font);
    if (!hasFace(info.family(), wantBold, info.italic()))
        return std::nullopt;
    QFont result = font;
    result.setBold(wantBold);
    return result;
}

std::optional<QFont> fontWithFontItalic(const QFont &font, bool wantItalic)
{
    const QFontInfo info(font);
    if (!hasFace(info.family(), info.bold(), wantItalic))
        return std::nullopt;
    QFont result = font;
    result.setItalic(wantItalic);
    return result;
}

QFont fontWithFont(const QFont &font, const QString &name)
{
    return firstInstalled({name, font.family(), QStringLiteral("Helvetica")}, pointSizeOf(font));
}

QFont fontWithFont(const QFont &font, double size)
{
    if (!(size > 0) || !std::isfinite(size))
        size = kDefaultPointSize;
    if (familyInstalled(font.family())) {
        QFont result = font;
        result.setPointSizeF(size);
        return result;
    }
    return firstInstalled({QStringLiteral("Helvetica")}, size);
}

bool bold(const QFont &font)
{
    return QFontInfo(font).bold();
}

bool italic(const QFont &font)
{
    return QFontInfo(font).italic();
}

QString fontName(const QFont &font)
{
    const QFontInfo info(font);
    const QString family = info.family();
    if (!info.bold() && !info.italic())
        return family;
    const QString style = info.styleName();
    if (style.isEmpty())
        return family;
    return family + QLatin1Char('-') + style;
}

std::optional<QFont> installedFont(const QString &name, double size)
{
    if (name.isEmpty())
        return std::nullopt;
    if (!(size > 0) || !std::isfinite(size))
        size = kDefaultPointSize;
    QString family = name;
    QString style;
    if (!familyInstalled(name)) {
        const qsizetype dash = name.lastIndexOf(QLatin1Char('-'));
        if (dash <= 0)
            return std::nullopt;
        family = name.left(dash);
        style = name.mid(dash + 1);
        if (!familyInstalled(family) || !QFontDatabase::styles(family).contains(style))
            return std::nullopt;
    }
    QFont font = style.isEmpty() ? QFont(family) : QFontDatabase::font(family, style, 12);
    font.setPointSizeF(size);
    return font;
}
