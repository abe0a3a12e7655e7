#include "services/ShownPath.h"

#include "platform/LocalPath.h"

namespace {

bool shownAsEscape(char16_t c)
{
    if (c < 0x20 || (c >= 0x7f && c <= 0x9f))
        return true;
    switch (QChar::category(c)) {
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        break;
    }
    // Directional embeddings, overrides and isolates reorder what follows them.
    return (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069) || c == 0x200e ||
           c == 0x200f || c == 0x061c;
}

QString escapeOf(char16_t c)
{
    switch (c) {
    case u'\n':
        return QStringLiteral("\\n");
    case u'\r':
        return QStringLiteral("\\r");
    case u'\t':
        return QStringLiteral("\\t");
    default:
        break;
    }
    if (c < 0x100)
        return QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
    return QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
}

} // namespace

QString ShownPath(const QString &path)
{
    const QString shown = LocalPath_Shown(path);
    QString out;
    out.reserve(shown.size());
    for (const QChar c : shown) {
        if (shownAsEscape(c.unicode()))
            out += escapeOf(c.unicode());
        else
            out += c;
    }
    return out;
}
