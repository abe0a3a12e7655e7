#include "layers/TextTokens.h"

#include "foundation/ColorWord.h"
#include "layers/LengthUnits.h"
#include "platform/Guard.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>
#include <array>
#include <utility>

namespace {

using Token = std::pair<QLatin1StringView, QLatin1StringView>;
constexpr std::array<Token, 4> kTokens = {{
    {QLatin1StringView("\n"), QLatin1StringView("{XUONGDONG_N}")},
    {QLatin1StringView("\r"), QLatin1StringView("{XUONGDONG_R}")},
    {QLatin1StringView("\t"), QLatin1StringView("{DAU_TAP_}")},
    {QLatin1StringView("="), QLatin1StringView("{DAU_BANG_}")},
}};

// The text after the key's first occurrence up to the next LF; null when either is missing.
QString valueAfterKey(const QString &text, QLatin1StringView key)
{
    const qsizetype at = text.indexOf(key);
    if (at < 0)
        return QString();
    const qsizetype from = at + key.size();
    const qsizetype lineEnd = text.indexOf(u'\n', from);
    if (lineEnd < 0)
        return QString();
    return text.mid(from, lineEnd - from);
}

} // namespace

QString EscapeLineBreakTokens(const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral("");
    QString result = text;
    for (const Token &token : kTokens)
        result.replace(token.first, token.second);
    return result;
}

QString UnescapeLineBreakTokens(const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral("");
    QString result = text;
    for (const Token &token : kTokens)
        result.replace(token.second, token.first);
    return result;
}

QString ShortEscapedText(const QString &text, int maxLength)
{
    if (text.isEmpty())
        return QStringLiteral("");
    QString result = text;
    result.replace(u'\n', QLatin1StringView("\\n"));
    result.replace(u'\r', QLatin1StringView("\\r"));
    result.replace(u'\t', QLatin1StringView("\\t"));
    if (result.size() <= qsizetype(maxLength))
        return result;
    return result.left(qMax(0, maxLength - 3)) + QLatin1StringView("...");
}

QString MirrorPrintableChars(const QString &text)
{
    if (text.isNull())
        return QString();
    QString result = text;
    for (QChar &c : result) {
        const char16_t u = c.unicode();
        if (u >= 32 && u <= 126)
            c = QChar(char16_t(158 - u));
    }
    return result;
}

QRectF GetFirstItemFrameFrpmPasteStr(const QString &text)
{
    GUARD_BEGIN
    double values[4] = {};
    const QLatin1StringView keys[4] = {
        QLatin1StringView("frame.origin.x="), QLatin1StringView("frame.origin.y="),
        QLatin1StringView("frame.size.width="), QLatin1StringView("frame.size.height=")};
    for (int k = 0; k < 4; ++k) {
        const QString value = valueAfterKey(text, keys[k]);
        if (value.isEmpty())
            return QRectF();
        values[k] = LeadingDoubleValue(value);
    }
    // Not "<= 0": a NaN size is no size either.
    if (!(values[2] > 0) || !(values[3] > 0))
        return QRectF();
    return QRectF(values[0], values[1], values[2], values[3]);
    GUARD_END(QRectF())
}

void SetTextViewAllAttributes(QWidget *textView, const QTextCharFormat &format)
{
    GUARD_BEGIN
    if (auto *edit = qobject_cast<QTextEdit *>(textView)) {
        QTextCursor cursor(edit->document());
        cursor.select(QTextCursor::Document);
        cursor.setCharFormat(format);
        edit->setCurrentCharFormat(format);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(textView)) {
        QTextCursor cursor(plain->document());
        cursor.select(QTextCursor::Document);
        cursor.setCharFormat(format);
        plain->setCurrentCharFormat(format);
    }
    GUARD_END_VOID
}

quint64 GetHexColorOpaque(const platform::Color &color)
{
    if (!color.isValid())
        return kNoColorWord;
    return GetHexColor(color) | 0xFFu;
}
