#include "foundation/PelkoNSFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <cmath>

namespace {

constexpr double kDefaultPointSize = 12.0;

bool familyInstalled(const QString &family)
{
    if (family.isEmpty())
        return false;
    // Listed families count, aliases such as "Sans Serif" too, which hasFamily() denies.
    if (QFontDatabase::families().contains(family, Qt::CaseInsensitive))
        return true;
    // hasFamily() takes "Family [foundry]" apart and answers for the family alone, whatever
    // follows the foundry ("C059 [UKWN]-Bold"): a name with a foundry must be one listed.
    return !family.contains(QLatin1Char('[')) && QFontDatabase::hasFamily(family);
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

// The font asking by traits for the face it resolves to: a style name would pin that face
// whatever bold or italic is asked for after it.
QFont byTraits(const QFont &font, const QFontInfo &info)
{
    QFont result = font;
    if (!result.styleName().isEmpty()) {
        result.setStyleName(QString());
        result.setWeight(QFont::Weight(info.weight()));
        result.setItalic(info.italic());
    }
    return result;
}

} // namespace

std::optional<QFont> fontWithFontBold(const QFont &font, bool wantBold)
{
    const QFontInfo info(font);
    if (!hasFace(info.family(), wantBold, info.italic()))
        return std::nullopt;
    QFont result = byTraits(font, info);
    result.setBold(wantBold);
    return result;
}

std::optional<QFont> fontWithFontItalic(const QFont &font, bool wantItalic)
{
    const QFontInfo info(font);
    if (!hasFace(info.family(), info.bold(), wantItalic))
        return std::nullopt;
    QFont result = byTraits(font, info);
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

namespace {

// The database's name of the style of the face the font resolves to. The font's own style name
// is kept when the family lists it; the name the face reports may differ from the database's
// ("Condensed Bold" for the "Bold" of "DejaVu Sans Condensed").
QString databaseStyle(const QFont &font, const QFontInfo &info)
{
    const QString family = info.family();
    const QStringList styles = QFontDatabase::styles(family);
    if (font.family() == family && styles.contains(font.styleName()))
        return font.styleName();
    if (styles.contains(info.styleName()))
        return info.styleName();
    for (const QString &style : styles)
        if (QFontDatabase::weight(family, style) == info.weight() &&
            QFontDatabase::italic(family, style) == info.italic())
            return style;
    return info.styleName();
}

// The style a family name alone resolves to.
QString defaultStyle(const QString &family)
{
    const QFont font(family);
    return databaseStyle(font, QFontInfo(font));
}

bool isBoldWeight(int weight)
{
    return weight >= QFont::DemiBold;
}

// Whether the face is the family's style as the database describes it, not one made up from it
// (slanted or emboldened where the family has no such face).
bool traitsMatch(const QString &family, const QString &style, const QFontInfo &info)
{
    const bool italic = QFontDatabase::italic(family, style) ||
                        QFontDatabase::font(family, style, 12).style() != QFont::StyleNormal;
    return italic == info.italic() &&
           isBoldWeight(QFontDatabase::weight(family, style)) == isBoldWeight(info.weight());
}

// The first style of the family with the face's weight class and slant.
QString styleWithTraits(const QString &family, const QFontInfo &info)
{
    for (const QString &style : QFontDatabase::styles(family))
        if (traitsMatch(family, style, info))
            return style;
    return QString();
}

} // namespace

QString fontName(const QFont &font)
{
    const QFontInfo info(font);
    QString family = info.family();
    QString style = databaseStyle(font, info);
    // A face made up for a family the database lists under a name that resolves to another one
    // (the slanted face of the alias "Monospace") is named in the alias's own styles: only that
    // name gives it again.
    const QString asked = font.family();
    if (asked != family && QFontDatabase::families().contains(asked) &&
        !traitsMatch(family, style, info)) {
        const QString aliasStyle = styleWithTraits(asked, info);
        if (!aliasStyle.isEmpty()) {
            family = asked;
            style = aliasStyle;
        }
    }
    if (style.isEmpty() || style == defaultStyle(family))
        return family;
    return family + QLatin1Char('-') + style;
}

std::optional<QFont> installedFont(const QString &name, double size)
{
    if (name.isEmpty())
        return std::nullopt;
    if (!(size > 0) || !std::isfinite(size))
        size = kDefaultPointSize;
    if (familyInstalled(name)) {
        // The face the family alone resolves to, asked for by its style: some faces describe
        // themselves differently when reached through the family name alone (a "Roman" of
        // weight 500 answers 400).
        const QString style = defaultStyle(name);
        QFont font = QFontDatabase::styles(name).contains(style)
                         ? QFontDatabase::font(name, style, 12)
                         : QFont(name);
        font.setPointSizeF(size);
        return font;
    }
    // Family names and style names may hold dashes themselves ("Foo-Serif", "Semi-Bold"): the
    // name is the family and one of its styles, split at whichever dash gives both.
    for (qsizetype dash = name.lastIndexOf(QLatin1Char('-')); dash > 0;
         dash = name.lastIndexOf(QLatin1Char('-'), dash - 1)) {
        const QString family = name.left(dash);
        const QString style = name.mid(dash + 1);
        if (!familyInstalled(family) || !QFontDatabase::styles(family).contains(style))
            continue;
        QFont font = QFontDatabase::font(family, style, 12);
        font.setPointSizeF(size);
        return font;
    }
    return std::nullopt;
}
