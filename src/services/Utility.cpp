#include "services/Utility.h"

#include "platform/Guard.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLocale>
#include <cstdlib>
#include <cstring>

QString GetDecimalReadStringFromInt(qint64 value)
{
    // Grouping as written in English texts: "1,234,567".
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(value);
}

char16_t GetKeyCharFromEvent(const QInputEvent *event)
{
    GUARD_BEGIN
    const auto *key = dynamic_cast<const QKeyEvent *>(event);
    if (!key)
        return 0;
    const QString text = key->text();
    if (!text.isEmpty() && !(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return text.at(0).unicode();
    // With modifiers held the text may be a control character: take the key itself.
    const int k = key->key();
    if (k > 0 && k < 0x10000 && !(k >= Qt::Key_Escape && k <= Qt::Key_Direction_R)) {
        QChar c(static_cast<char16_t>(k));
        return (key->modifiers() & Qt::ShiftModifier) ? c.unicode() : c.toLower().unicode();
    }
    return text.isEmpty() ? 0 : text.at(0).unicode();
    GUARD_END(0)
}

qint64 FindStringIndex(const QString &string, const QString &sub)
{
    if (string.isEmpty() || sub.isEmpty())
        return -1;
    return string.indexOf(sub);
}

bool IsStringAllBelow256(const QString &string)
{
    for (QChar c : string)
        if (c.unicode() >= 256)
            return false;
    return true;
}

QString ToNSStringUTF8(const char *cString)
{
    if (!cString || !*cString)
        return QStringLiteral("");
    return QString::fromUtf8(cString);
}

QString NSStringFromUTF8CString(const char *cString)
{
    return ToNSStringUTF8(cString);
}

qint64 UniString_Length(const char16_t *s)
{
    if (!s)
        return 0;
    qint64 n = 0;
    while (s[n])
        ++n;
    return n;
}

namespace {
char16_t foldAscii(char16_t c, bool noCase)
{
    return (noCase && c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}
} // namespace

int UniString_Compare(const char16_t *a, const char16_t *b, bool noCase)
{
    if (!a || !b)
        return (a ? 1 : 0) - (b ? 1 : 0);
    for (;; ++a, ++b) {
        const char16_t ca = foldAscii(*a, noCase), cb = foldAscii(*b, noCase);
        if (ca != cb)
            return int(ca) - int(cb);
        if (!ca)
            return 0;
    }
}

bool UniString_HasPrefix(const char16_t *s, const char16_t *prefix, bool noCase)
{
    if (!prefix || !*prefix)
        return true;
    if (!s)
        return false;
    for (; *prefix; ++s, ++prefix)
        if (!*s || foldAscii(*s, noCase) != foldAscii(*prefix, noCase))
            return false;
    return true;
}

bool IsLineBreakChar(char16_t c)
{
    return c == u'\n' || c == u'\f' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

bool ClipRangeToLength(Range *range, qint64 length)
{
    if (!range)
        return false;
    if (length == NotFound || length < 0 || range->location == NotFound ||
        range->length == NotFound || range->location < 0 || range->length < 0 ||
        range->location > length) {
        *range = Range{NotFound, 0};
        return false;
    }
    if (range->length > length - range->location)
        range->length = length - range->location;
    return true;
}

double GetRandomDouble(double lo, double hi)
{
    if (lo >= hi || hi - lo <= 1e-12)
        return lo;
    const quint64 seconds = static_cast<quint64>(QDateTime::currentSecsSinceEpoch());
    const quint64 r = (seconds + static_cast<quint64>(::random())) % 900000u;
    return lo + (hi - lo) / 900000.0 * static_cast<double>(r);
}

quint64 GetRandomNumber(quint64 n)
{
    if (n == 0)
        n = 1;
    const quint64 seconds = static_cast<quint64>(QDateTime::currentSecsSinceEpoch());
    return (static_cast<quint64>(::random()) + seconds) % n;
}

QString DescriptionOfArray_Indexed(const QVariantList &array)
{
    QString out = QStringLiteral("[");
    if (!array.isEmpty()) {
        out += QLatin1Char('\n');
        for (qsizetype i = 0; i < array.size(); ++i) {
            const QVariant &v = array.at(i);
            const QString text =
                v.canConvert<QString>() ? v.toString() : QString::fromLatin1(v.typeName());
            out += QStringLiteral("\t%1\t=\t%2\n").arg(i).arg(text);
        }
    }
    out += QLatin1Char(']');
    return out;
}
