#include "foundation/PelkoNSAttributedString.h"

#include "platform/Color.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace {

bool setsFont(const QTextCharFormat &format)
{
    return format.hasProperty(QTextFormat::FontFamilies) ||
           format.hasProperty(QTextFormat::FontPointSize) ||
           format.hasProperty(QTextFormat::FontPixelSize) ||
           format.hasProperty(QTextFormat::FontWeight) ||
           format.hasProperty(QTextFormat::FontItalic);
}

QVariant brushColor(const QTextCharFormat &format, int property)
{
    if (!format.hasProperty(property))
        return QVariant();
    const QBrush brush = format.brushProperty(property);
    if (brush.style() == Qt::NoBrush)
        return QVariant();
    return QVariant::fromValue(platform::Color::fromQColor(brush.color()));
}

QVariant valueOf(const QTextCharFormat &format, const QString &name)
{
    if (name == kFontAttributeName)
        return setsFont(format) ? QVariant(format.font()) : QVariant();
    if (name == kForegroundColorAttributeName)
        return brushColor(format, QTextFormat::ForegroundBrush);
    if (name == kBackgroundColorAttributeName)
        return brushColor(format, QTextFormat::BackgroundBrush);
    return QVariant();
}

} // namespace

QVariant getFirstValueOfAttribute(const QTextDocument *self, const QString &name)
{
    if (!self || name.isEmpty())
        return QVariant();
    for (QTextBlock block = self->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            QVariant value = valueOf(fragment.charFormat(), name);
            if (value.isValid())
                return value;
        }
    }
    return QVariant();
}
