#include "layers/LengthUnits.h"

#include "platform/Guard.h"
#include "platform/Saturate.h"
#include "services/AppSetting.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr char16_t kFootMark = u'\'';
constexpr char16_t kInchMark = u'"';
// A length or an inch part at or below this counts as nothing (the single-precision 0.02).
constexpr double kZeroLength = double(0.02f);
constexpr double kExactFractionHit = 0.001;
constexpr double kSmallestDivisor = double(0.0002f);
constexpr double kSmallestUnitFactor = double(0.00002f);
constexpr double kSnapMinimum = 0.9;

// -1 not decided, 0 no, 1 yes.
int gFeetUnitVerdict = -1;

qint32 saturatingIncrement(qint32 value)
{
    return value == std::numeric_limits<qint32>::max() ? value : value + 1;
}

// The span of text that forms a leading number: [sign] digits [. digits] [e [sign] digits].
// Answers the ASCII bytes of the number, empty when there is none.
QByteArray leadingNumberText(const QString &text, bool allowFraction)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i).isSpace())
        ++i;
    QByteArray out;
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) {
        if (text.at(i) == u'-')
            out += '-';
        ++i;
    }
    auto isDigit = [&](qsizetype k) { return k < n && text.at(k) >= u'0' && text.at(k) <= u'9'; };
    qsizetype digits = 0;
    while (isDigit(i)) {
        out += char(text.at(i).unicode());
        ++i;
        ++digits;
    }
    if (allowFraction && i < n && text.at(i) == u'.') {
        qsizetype fracDigits = 0;
        QByteArray frac(".");
        ++i;
        while (isDigit(i)) {
            frac += char(text.at(i).unicode());
            ++i;
            ++fracDigits;
        }
        if (fracDigits > 0 || digits > 0)
            out += frac;
        digits += fracDigits;
    }
    if (digits == 0)
        return {};
    if (allowFraction && i < n && (text.at(i) == u'e' || text.at(i) == u'E')) {
        qsizetype k = i + 1;
        QByteArray exp("e");
        if (k < n && (text.at(k) == u'-' || text.at(k) == u'+')) {
            exp += char(text.at(k).unicode());
            ++k;
        }
        if (isDigit(k)) {
            while (isDigit(k)) {
                exp += char(text.at(k).unicode());
                ++k;
            }
            out += exp;
        }
    }
    return out;
}

QString trimmedText(const QString &text)
{
    return text.trimmed();
}

// Drops a leading "-" and answers whether it was there; a text that is only the sign, or that
// is empty once the sign is gone, is cleared (and reads as 0).
bool takeLeadingMinus(QString *text)
{
    if (!text->startsWith(u'-'))
        return false;
    if (text->size() == 1) {
        text->clear();
        return false;
    }
    *text = trimmedText(text->mid(1));
    return true;
}

// Replaces every text of from by its mark, again and again until nothing changes.
void replaceUntilStable(QString *text, const QStringList &from, const QStringList &to)
{
    qsizetype before = -1;
    while (before != text->size()) {
        before = text->size();
        for (qsizetype i = 0; i < from.size(); ++i)
            text->replace(from.at(i), to.at(i));
    }
}

struct FractionRow
{
    double value;
    QString text;
};

// k/2, k/4, k/8, k/16, k/32 (twice, as the table always had it) and k/64 for every odd k.
const std::vector<FractionRow> &fractionTable()
{
    static const std::vector<FractionRow> table = [] {
        std::vector<FractionRow> rows;
        for (int n : {2, 4, 8, 16, 32, 32, 64}) {
            for (int k = 1; k < n; k += 2)
                rows.push_back({double(k) / n, QStringLiteral("%1/%2").arg(k).arg(n)});
        }
        return rows;
    }();
    return table;
}

// The format with its one floating-point conversion, the length modifier dropped (the value is
// passed as a double either way); null when the format holds another conversion, none or two.
QString singleFloatFormat(const QString &format)
{
    static const QRegularExpression conversion(
        QStringLiteral("%([-+ #0]*[0-9]*(?:\\.[0-9]*)?)[lL]?([fFeEgGaA])"));
    QString out;
    int floats = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format.at(i) != u'%') {
            out += format.at(i);
            continue;
        }
        if (i + 1 < format.size() && format.at(i + 1) == u'%') {
            out += QLatin1String("%%");
            ++i;
            continue;
        }
        const auto match = conversion.match(format, i, QRegularExpression::NormalMatch,
                                            QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch())
            return {};
        ++floats;
        out += u'%' + match.captured(1) + match.captured(2);
        i += match.capturedLength() - 1;
    }
    return floats == 1 ? out : QString();
}

QString unitNameOf(const AppSetting &setting)
{
    return APPSETTING_GET_STRING(setting, unitName);
}

// Decimal feet written with the given marks and inch style.
QString feetInchText(double feet, bool decimalInches, const QString &footMark,
                     const QString &inchMark)
{
    if (std::isnan(feet))
        feet = 0;
    const double a = std::fabs(feet);
    qint32 w = platform::saturatingTruncate<qint32>(a);
    double inches = (a - w) * 12.0;
    if (w > 0) {
        const double scale = decimalInches ? 100.0 : 1000.0;
        inches = std::floor(inches * scale + 0.5) / scale;
    }
    if (inches >= 12.0) {
        w = saturatingIncrement(w);
        inches -= 12.0;
    }
    QString inchText;
    if (decimalInches) {
        inchText = FloatToTrimmedString(QStringLiteral("%3.2f"), inches);
    } else {
        inchText = GetFractionString(inches);
        if (inchText == QLatin1String("12")) {
            w = saturatingIncrement(w);
            inchText = QStringLiteral("0");
            inches = 0;
        } else if (inchText == QLatin1String("0") && inches >= kZeroLength) {
            inches = 0;
        }
    }
    QString result;
    if (w < 1)
        result = inchText + inchMark;
    else if (inches <= kZeroLength)
        result = QString::number(w) + footMark;
    else
        result = QString::number(w) + footMark + u' ' + inchText + inchMark;
    return feet < 0 ? u'-' + result : result;
}

} // namespace

float LeadingFloatValue(const QString &text)
{
    const double value = LeadingDoubleValue(text);
    if (value > double(std::numeric_limits<float>::max()))
        return std::numeric_limits<float>::max();
    if (value < -double(std::numeric_limits<float>::max()))
        return -std::numeric_limits<float>::max();
    return float(value);
}

double LeadingDoubleValue(const QString &text)
{
    const QByteArray number = leadingNumberText(text, true);
    if (number.isEmpty())
        return 0;
    double value = 0;
    const auto [end, error] = std::from_chars(
        number.constData(), number.constData() + number.size(), value, std::chars_format::general);
    Q_UNUSED(end);
    if (error == std::errc::result_out_of_range) {
        // Too large saturates, too small is zero.
        const bool negative = number.startsWith('-');
        const bool tiny = number.contains("e-");
        if (tiny)
            return 0;
        return negative ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
    }
    return error == std::errc() ? value : 0;
}

qint64 LeadingLongLongValue(const QString &text)
{
    const QByteArray number = leadingNumberText(text, false);
    if (number.isEmpty())
        return 0;
    qint64 value = 0;
    const auto [end, error] =
        std::from_chars(number.constData(), number.constData() + number.size(), value);
    Q_UNUSED(end);
    if (error == std::errc::result_out_of_range)
        return number.startsWith('-') ? std::numeric_limits<qint64>::min()
                                      : std::numeric_limits<qint64>::max();
    return error == std::errc() ? value : 0;
}

QString FloatToTrimmedString(const QString &format, double value)
{
    GUARD_BEGIN
    QString f = singleFloatFormat(format);
    if (f.isEmpty())
        f = QStringLiteral("%5.4f");
    // QString::asprintf writes floating-point numbers in the C locale.
    QString text = QString::asprintf(f.toUtf8().constData(), value);
    if (text.isEmpty())
        return QStringLiteral("");
    if (text.indexOf(u'.') >= 1) {
        while (text.size() >= 2 && text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
    GUARD_END(QStringLiteral(""))
}

QString FloatToShortString(double value)
{
    return FloatToTrimmedString(QStringLiteral("%3.2f"), value);
}

void SnapToWholeOrHalf(double *value, float tolerance)
{
    if (!value || std::isnan(*value) || std::fabs(*value) < kSnapMinimum)
        return;
    const double r = std::floor(*value + 0.5);
    const double d = std::fabs(*value - r);
    if (d <= tolerance)
        *value = r;
    else if (std::fabs(d - 0.5) <= tolerance / 2.0)
        *value = std::floor(2.0 * *value + 0.5) * 0.5;
}

bool IsFeetUnit()
{
    if (gFeetUnitVerdict == 0 || gFeetUnitVerdict == 1)
        return gFeetUnitVerdict == 1;
    bool feet = false;
    if (!gAppSetting.bFeetDisplayOff) {
        const QString name = unitNameOf(gAppSetting);
        feet = name == QLatin1String("'") || name == QLatin1String("ft") ||
               name == QLatin1String("feet") || name == QLatin1String("foot");
    }
    gFeetUnitVerdict = feet ? 1 : 0;
    return feet;
}

void ResetFeetUnitCache()
{
    gFeetUnitVerdict = -1;
}

bool IsFeetUnitName(const QString &name)
{
    if (name.isEmpty())
        return false;
    return name.startsWith(QLatin1String("fe"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("ft"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("fo"), Qt::CaseInsensitive) || name.startsWith(u'\'');
}

double InputStringToLenValue(const QString &text)
{
    GUARD_BEGIN
    const QString t = trimmedText(text);
    if (t.isEmpty())
        return 0;
    if (IsFeetUnit())
        return FeetInchStringParse_to_FeetDecima(t) * double(gAppSetting.unitFactor);
    const float product = LeadingFloatValue(t) * gAppSetting.unitFactor;
    return double(product);
    GUARD_END(0)
}

double FeetInchStringParse_to_FeetDecima(const QString &text)
{
    GUARD_BEGIN
    QString t = trimmedText(text);
    if (t.isEmpty())
        return 0;
    const bool negative = takeLeadingMinus(&t);
    if (t.isEmpty())
        return 0;

    t.replace(u'\u201D', kInchMark).replace(u'\u201C', kInchMark);
    t.replace(u'\u2018', kFootMark).replace(u'\u2019', kFootMark);
    for (const char *word : {"feet", "ft", "foot"})
        t.replace(QLatin1String(word), QString(kFootMark));
    replaceUntilStable(
        &t,
        {QStringLiteral("' "), QStringLiteral("'\t"), QStringLiteral("- "), QStringLiteral("-\t")},
        {QStringLiteral("'"), QStringLiteral("'"), QStringLiteral("-"), QStringLiteral("-")});
    for (const char *word : {"inches", "inch", "in"})
        t.replace(QLatin1String(word), QString(kInchMark));
    t.replace(QLatin1String("' "), QLatin1String("'"));
    t.replace(QLatin1String("'-"), QLatin1String("'"));
    replaceUntilStable(&t, {QStringLiteral("' ")}, {QStringLiteral("'")});
    t = trimmedText(t);
    if (t.isEmpty())
        return 0;

    const bool hasFoot = t.contains(kFootMark);
    const bool hasInch = t.contains(kInchMark);
    double result = 0;
    if (!hasFoot && !hasInch) {
        result = ParseStringToFloatWithDivideChar(t);
    } else if (!hasFoot) {
        result = ParseStringToFloatWithDivideChar(t) / 12.0;
    } else if (!hasInch && !(t.back() >= u'0' && t.back() <= u'9')) {
        result = ParseStringToFloatWithDivideChar(t);
    } else {
        // A foot mark followed by a number means inches without their mark ("5'6").
        if (!hasInch)
            t += kInchMark;
        QString feetPart, inchPart;
        bool feetTaken = false, inchTaken = false;
        qsizetype s = 0;
        for (qsizetype i = 0; i < t.size(); ++i) {
            if (!feetTaken && t.at(i) == kFootMark && i > s) {
                feetPart = t.mid(s, i - s);
                feetTaken = true;
                s = i + 1;
            } else if (!inchTaken && t.at(i) == kInchMark && i > s) {
                inchPart = t.mid(s, i - s);
                inchTaken = true;
                s = i + 1;
            }
        }
        result = ParseStringToFloatWithDivideChar(feetPart) +
                 ParseStringToFloatWithDivideChar(inchPart) / 12.0;
    }
    return negative ? -result : result;
    GUARD_END(0)
}

double ParseStringToFloatWithDivideChar(const QString &text)
{
    QString t = trimmedText(text);
    GUARD_BEGIN
    if (t.isEmpty())
        return 0;
    const bool negative = takeLeadingMinus(&t);
    if (t.isEmpty())
        return 0;
    t.remove(kInchMark).remove(kFootMark);
    if (t.isEmpty())
        return 0;
    qsizetype before = -1;
    while (before != t.size()) {
        before = t.size();
        t = trimmedText(t);
        t.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
        t.replace(QLatin1String("  "), QLatin1String(" "));
    }
    if (t.isEmpty())
        return 0;
    double sum = 0;
    for (const QString &part : t.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList pieces = part.split(u'/');
        if (pieces.size() < 2) {
            sum += LeadingFloatValue(part);
            continue;
        }
        const double numerator = LeadingFloatValue(pieces.at(0));
        double denominator = pieces.at(1).isEmpty() ? 1.0 : LeadingFloatValue(pieces.at(1));
        if (std::fabs(denominator) < kSmallestDivisor)
            denominator = 1.0;
        sum += numerator / denominator;
    }
    return negative ? -sum : sum;
    GUARD_END(double(LeadingFloatValue(t)))
}

QString GetFractionString(double value)
{
    GUARD_BEGIN
    if (std::isnan(value) || value <= kZeroLength)
        return QStringLiteral("0");
    const qint32 w = platform::saturatingTruncate<qint32>(value);
    const double f = value - w;
    if (f <= kZeroLength)
        return w == 0 ? QStringLiteral("0") : QString::number(w);
    const FractionRow *winner = nullptr;
    double best = 0;
    for (const FractionRow &row : fractionTable()) {
        const double distance = std::fabs(row.value - f);
        if (!winner || distance < best) {
            winner = &row;
            best = distance;
        }
        if (distance <= kExactFractionHit)
            break;
    }
    if (!winner)
        return FloatToTrimmedString(QStringLiteral("%3.2f"), value);
    return w > 0 ? QStringLiteral("%1 %2").arg(w).arg(winner->text) : winner->text;
    GUARD_END(QStringLiteral("0"))
}

QString FeetDecimal_to_FeetInchStringParse(double feet)
{
    GUARD_BEGIN
    return feetInchText(feet, gAppSetting.bDecimalInches != 0, QString(kFootMark),
                        QString(kInchMark));
    GUARD_END(QStringLiteral("0"))
}

QString LenValueToUnitString_WithSetting(const AppSetting *setting, double value)
{
    GUARD_BEGIN
    const AppSetting &s = setting ? *setting : gAppSetting;
    const QString name = unitNameOf(s);
    if (s.bFeetDisplayOff || !IsFeetUnitName(name))
        return QStringLiteral("%1 %2").arg(FloatToTrimmedString(QStringLiteral("%3.2f"), value),
                                           name);
    QString inchMark = QStringLiteral("inches");
    if (name == QLatin1String("'"))
        inchMark = QString(kInchMark);
    else if (name == QLatin1String("ft"))
        inchMark = QStringLiteral("in");
    return feetInchText(value, s.bDecimalInches != 0, name, inchMark);
    GUARD_END(QStringLiteral("0"))
}

QString LenValueToUnitString(double value)
{
    return LenValueToUnitString_WithSetting(nullptr, value);
}

QString LenValueToShowString(double value, bool withUnit)
{
    GUARD_BEGIN
    SnapToWholeOrHalf(&value, 0.02f);
    // A factor of nothing (or not a number) would make every length infinite.
    if (!(double(gAppSetting.unitFactor) > kSmallestUnitFactor))
        gAppSetting.unitFactor = 1.0f;
    value /= double(gAppSetting.unitFactor);
    SnapToWholeOrHalf(&value, 0.02f);
    if (IsFeetUnit())
        return FeetDecimal_to_FeetInchStringParse(value);
    QString text = FloatToTrimmedString(QStringLiteral("%3.2f"), value);
    if (withUnit && !text.isEmpty())
        text += unitNameOf(gAppSetting);
    return text;
    GUARD_END(QStringLiteral(""))
}

qint64 ParseByteSizeString(const QString &text, QString *display)
{
    GUARD_BEGIN
    const QString t = trimmedText(text).toLower();
    if (t.isEmpty()) {
        if (display)
            *display = QStringLiteral("0 B");
        return 0;
    }
    struct Suffix
    {
        const char *suffix, *label;
        double factor;
    };
    static const std::array<Suffix, 4> suffixes = {
        {{"kb", "KB", 1e3}, {"mb", "MB", 1e6}, {"gb", "GB", 1e9}, {"tb", "TB", 1e12}}};
    for (const Suffix &s : suffixes) {
        if (!t.endsWith(QLatin1String(s.suffix)))
            continue;
        const double number = LeadingDoubleValue(t);
        if (display)
            *display = QStringLiteral("%1 %2").arg(
                FloatToTrimmedString(QStringLiteral("%3.2f"), number), QLatin1String(s.label));
        return platform::saturatingRound<qint64>(number * s.factor);
    }
    const qint64 bytes = LeadingLongLongValue(t);
    if (display)
        *display = QStringLiteral("%1 B").arg(bytes);
    return bytes;
    GUARD_END(0)
}

QString GetSuperscriptTwoString()
{
    static const QString two(QChar(0x00B2));
    return two;
}
