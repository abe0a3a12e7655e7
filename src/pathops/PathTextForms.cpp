#include "pathops/PathTextForms.h"

#include "platform/Guard.h"
#include "platform/Log.h"

#include <QStringList>
#include <QVariantList>
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <utility>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

const QString kNaNValueError = QStringLiteral("**** NaN value error **** ");
const QString kReadError = QStringLiteral("******** ERROR pathFromMahoa *******");

const QString kElementKey = QStringLiteral("element");
const QString kElementsKey = QStringLiteral("elements");
const QString kPointKey = QStringLiteral("point");
const QString kControl1Key = QStringLiteral("control1");
const QString kControl2Key = QStringLiteral("control2");

QString shortestNumber(double v)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

// A NaN coordinate is written as the zero point, with a log line.
QPointF writablePoint(QPointF p)
{
    if (std::isnan(p.x()) || std::isnan(p.y())) {
        platform::Log(lcPathops, kNaNValueError);
        return QPointF();
    }
    return p;
}

QString threeDecimals(double v)
{
    return QString::asprintf("%.3f", v + 0.0);
}

QString pointFields(QPointF p)
{
    p = writablePoint(p);
    return threeDecimals(p.x()) + QLatin1Char(';') + threeDecimals(p.y());
}

// The number fields [first, first + count) of a record, or nothing when one is missing or empty.
std::optional<QList<double>> numberFields(const QStringList &fields, int first, int count)
{
    QList<double> numbers;
    for (int i = first; i < first + count; ++i) {
        if (i >= fields.size() || fields[i].isEmpty())
            return std::nullopt;
        numbers.append(LeadingNumberOfText(fields[i]));
    }
    return numbers;
}

// False when the record cannot be read and the whole text is refused.
bool appendRecord(BezierPath &path, const QString &record)
{
    const QStringList fields = record.split(QLatin1Char(';'));
    if (fields.isEmpty() || fields[0].isEmpty())
        return true;
    const QString &letter = fields[0];
    const bool point = letter == QLatin1String("M") || letter == QLatin1String("L");
    if (point || letter == QLatin1String("S")) {
        const std::optional<QList<double>> n = numberFields(fields, 1, point ? 2 : 6);
        if (!n) {
            platform::Log(lcPathops, kReadError);
            return false;
        }
        const QList<double> &v = *n;
        if (letter == QLatin1String("M"))
            path.moveToPoint(QPointF(v[0], v[1]));
        else if (letter == QLatin1String("L"))
            path.lineToPoint(QPointF(v[0], v[1]));
        else
            path.curveToPoint(QPointF(v[4], v[5]), QPointF(v[0], v[1]), QPointF(v[2], v[3]));
    } else if (letter == QLatin1String("C")) {
        path.closePath();
    }
    return true;
}

// The point stored under `key` as a point string; nothing when absent or not a string.
std::optional<QPointF> pointUnder(const QVariantMap &entry, const QString &key)
{
    const auto it = entry.constFind(key);
    if (it == entry.constEnd() || it->typeId() != QMetaType::QString)
        return std::nullopt;
    return PointFromString(it->toString());
}

QVariantMap entryFor(const BezierPath::Element &e)
{
    QVariantMap entry;
    switch (e.type) {
    case BezierPathElement::MoveTo:
        entry.insert(kElementKey, QStringLiteral("MOVETO"));
        entry.insert(kPointKey, StringFromPoint(e.points[0]));
        break;
    case BezierPathElement::LineTo:
        entry.insert(kElementKey, QStringLiteral("LINETO"));
        entry.insert(kPointKey, StringFromPoint(e.points[0]));
        break;
    case BezierPathElement::CurveTo:
        entry.insert(kElementKey, QStringLiteral("CURVETO"));
        entry.insert(kPointKey, StringFromPoint(e.points[2]));
        entry.insert(kControl1Key, StringFromPoint(e.points[0]));
        entry.insert(kControl2Key, StringFromPoint(e.points[1]));
        break;
    case BezierPathElement::ClosePath:
        entry.insert(kElementKey, QStringLiteral("CLOSE"));
        break;
    }
    return entry;
}

void appendEntry(BezierPath &path, const QVariantMap &entry)
{
    const QString kind = entry.value(kElementKey).toString();
    if (kind == QLatin1String("CURVETO")) {
        const auto end = pointUnder(entry, kPointKey);
        const auto c1 = pointUnder(entry, kControl1Key);
        const auto c2 = pointUnder(entry, kControl2Key);
        if (end && c1 && c2)
            path.curveToPoint(*end, *c1, *c2);
    } else if (kind == QLatin1String("LINETO")) {
        if (const auto p = pointUnder(entry, kPointKey))
            path.lineToPoint(*p);
    } else if (kind == QLatin1String("MOVETO")) {
        if (const auto p = pointUnder(entry, kPointKey))
            path.moveToPoint(*p);
    } else if (kind == QLatin1String("CLOSE")) {
        path.closePath();
    }
}

// The low three bits of the leading decimal digit of |x| + |y|; 0 for a zero or non-finite sum.
quint64 leadingDigitBits(QPointF p)
{
    const double s = std::fabs(p.x()) + std::fabs(p.y());
    if (!(s > 0) || !std::isfinite(s))
        return 0;
    const double scaled = s / std::pow(10.0, std::floor(std::log10(s)));
    // Subnormal sums can scale past one digit; the digit stays a digit.
    const double digit = std::isfinite(scaled) ? std::clamp(std::floor(scaled), 0.0, 9.0) : 0.0;
    return quint64(digit) % 8;
}

QString strokePoint(QPointF p)
{
    return QString::asprintf("{%.5f,%.5f}", p.x(), p.y());
}

void addStraightSegment(EncodedStrokeSegments &set, QPointF from, QPointF to)
{
    if (from == to)
        return;
    QString a = strokePoint(from);
    QString b = strokePoint(to);
    if (a.compare(b) > 0)
        std::swap(a, b);
    ++set[a + b];
}

void addCurveSegment(EncodedStrokeSegments &set, QPointF from, const BezierPath::Element &e)
{
    const QString start = strokePoint(from);
    const QString c1 = strokePoint(e.points[0]);
    const QString c2 = strokePoint(e.points[1]);
    const QString end = strokePoint(e.points[2]);
    const int ends = start.compare(end);
    if (ends > 0 || (ends == 0 && c1.compare(c2) > 0))
        ++set[end + c2 + c1 + start];
    else
        ++set[start + c1 + c2 + end];
}

} // namespace

QString StringFromPoint(QPointF p)
{
    return QLatin1Char('{') + shortestNumber(p.x()) + QLatin1String(", ") + shortestNumber(p.y()) +
           QLatin1Char('}');
}

double LeadingNumberOfText(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    // Only ASCII can belong to a number; the rest ends it.
    QByteArray ascii;
    for (qsizetype j = i; j < text.size() && text[j].unicode() < 0x80; ++j)
        ascii.append(char(text[j].unicode()));
    const char *begin = ascii.constData();
    const char *end = begin + ascii.size();
    bool negative = false;
    if (begin < end && (*begin == '+' || *begin == '-')) {
        negative = *begin == '-';
        ++begin;
    }
    // A second sign is not a number.
    if (begin < end && (*begin == '+' || *begin == '-'))
        return 0;
    double value = 0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Past the range: a negative exponent rounds to zero, anything else saturates.
        const std::string_view digits(begin, size_t(result.ptr - begin));
        const size_t e = digits.find_first_of("eE");
        const bool tiny =
            e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc()) {
        value = 0;
    }
    return negative ? -value : value;
}

QPointF PointFromString(const QString &text)
{
    QStringView rest(text);
    while (!rest.isEmpty() && (rest.front().isSpace() || rest.front() == QLatin1Char('{')))
        rest = rest.mid(1);
    const qsizetype comma = rest.indexOf(QLatin1Char(','));
    const double x = LeadingNumberOfText(comma < 0 ? rest : rest.left(comma));
    const double y = comma < 0 ? 0.0 : LeadingNumberOfText(rest.mid(comma + 1));
    return QPointF(x, y);
}

QString pathToString(const BezierPath &path)
{
    GUARD_BEGIN
    QString text;
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
        case BezierPathElement::LineTo:
            text +=
                (e.type == BezierPathElement::MoveTo ? QLatin1String("M;") : QLatin1String("L;")) +
                pointFields(e.points[0]) + QLatin1Char('@');
            break;
        case BezierPathElement::CurveTo:
            text += QLatin1String("S;") + pointFields(e.points[0]) + QLatin1Char(';') +
                    pointFields(e.points[1]) + QLatin1Char(';') + pointFields(e.points[2]) +
                    QLatin1Char('@');
            break;
        case BezierPathElement::ClosePath:
            text += QLatin1String("C;@");
            break;
        }
    }
    return text;
    GUARD_END(QString())
}

std::optional<BezierPath> pathFromString(const QString &text)
{
    GUARD_BEGIN
    if (text.isEmpty())
        return std::nullopt;
    const QStringList records = text.split(QLatin1Char('@'));
    if (records.isEmpty())
        return std::nullopt;
    BezierPath path;
    for (const QString &record : records) {
        if (record.isEmpty())
            continue;
        if (!appendRecord(path, record))
            return std::nullopt;
    }
    return path;
    GUARD_END(std::nullopt)
}

QVariantMap propertyListRepresentation(const BezierPath &path)
{
    QVariantList entries;
    entries.reserve(path.elementCount());
    for (const BezierPath::Element &e : path.elements())
        entries.append(entryFor(e));
    QVariantMap plist;
    plist.insert(kElementsKey, entries);
    return plist;
}

void loadPropertyListRepresentation(BezierPath &path, const QVariantMap &plist)
{
    const QVariant elements = plist.value(kElementsKey);
    if (elements.typeId() != QMetaType::QVariantList)
        return;
    for (const QVariant &entry : elements.toList()) {
        if (entry.typeId() == QMetaType::QVariantMap)
            appendEntry(path, entry.toMap());
    }
}

bool isEqual(const BezierPath &path, const BezierPath *other)
{
    if (other == &path)
        return true;
    if (!other || other->elementCount() != path.elementCount())
        return false;
    for (qint64 i = 0; i < path.elementCount(); ++i) {
        const BezierPath::Element &a = path.element(i);
        const BezierPath::Element &b = other->element(i);
        if (a.type != b.type)
            return false;
        if (a.type == BezierPathElement::CurveTo) {
            if (a.points != b.points)
                return false;
        } else if (a.type != BezierPathElement::ClosePath && a.points[0] != b.points[0]) {
            return false;
        }
    }
    return true;
}

quint64 hash(const BezierPath &path)
{
    quint64 h = 0;
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
            h = std::rotl(h, 5) ^ leadingDigitBits(e.points[0]);
            break;
        case BezierPathElement::LineTo:
            h = std::rotl(h, 5) ^ 8 ^ leadingDigitBits(e.points[0]);
            break;
        case BezierPathElement::CurveTo:
            h = std::rotl(h, 5) ^ 16 ^ leadingDigitBits(e.points[0]);
            h = std::rotl(h, 3) ^ leadingDigitBits(e.points[1]);
            h = std::rotl(h, 3) ^ leadingDigitBits(e.points[2]);
            break;
        case BezierPathElement::ClosePath:
            h = std::rotl(h, 2) ^ 3;
            break;
        }
    }
    return h;
}

EncodedStrokeSegments countedSetOfEncodedStrokeSegments(const BezierPath &path)
{
    EncodedStrokeSegments set;
    QPointF current;
    QPointF start;
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
            // Every subpath closes back to its own start.
            start = current = e.points[0];
            break;
        case BezierPathElement::LineTo:
            addStraightSegment(set, current, e.points[0]);
            current = e.points[0];
            break;
        case BezierPathElement::CurveTo:
            addCurveSegment(set, current, e);
            current = e.points[2];
            break;
        case BezierPathElement::ClosePath:
            addStraightSegment(set, current, start);
            current = start;
            break;
        }
    }
    return set;
}

bool strokesSimilarlyIgnoringEndcapsToPath(const BezierPath &path, const BezierPath &other)
{
    return countedSetOfEncodedStrokeSegments(path) == countedSetOfEncodedStrokeSegments(other);
}
