#include "foundation/PelkoNSMutableArray.h"

#include <QCollator>
#include <algorithm>

void addRange(QVariantList &self, Range range)
{
    self.append(QVariant::fromValue(range));
}

void addPoint(QVariantList &self, QPointF point)
{
    self.append(QVariant(point));
}

void addRect(QVariantList &self, QRectF rect)
{
    self.append(QVariant(rect));
}

bool foundation_detail::isNumberVariant(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

namespace {

// The run of digits, or of other characters, that starts at the position.
QStringView nextRun(QStringView text, qsizetype from)
{
    const bool digits = text[from].isDigit();
    qsizetype end = from + 1;
    while (end < text.size() && text[end].isDigit() == digits)
        ++end;
    return text.mid(from, end - from);
}

// Digit runs by their value: fewer significant digits is smaller, then digit by digit.
int compareNumbers(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == QLatin1Char('0'))
        a = a.mid(1);
    while (b.size() > 1 && b.front() == QLatin1Char('0'))
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const int d = a[i].digitValue() - b[i].digitValue();
        if (d != 0)
            return d < 0 ? -1 : 1;
    }
    return 0;
}

// Names as a file manager orders them: text ignoring case in the user's language, numbers by
// value ("file2" before "file10"); names equal that way keep a fixed, case-sensitive order.
int compareFileNames(const QString &a, const QString &b)
{
    // A collator is not safe to share between threads; each thread keeps its own.
    thread_local const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const QStringView runA = nextRun(a, i);
        const QStringView runB = nextRun(b, j);
        const bool numA = runA.front().isDigit();
        const bool numB = runB.front().isDigit();
        int order = 0;
        if (numA && numB)
            order = compareNumbers(runA, runB);
        else if (numA != numB)
            order = numA ? -1 : 1;
        else
            order = collator.compare(runA.toString().toLower(), runB.toString().toLower());
        if (order != 0)
            return order;
        i += runA.size();
        j += runB.size();
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b);
}

} // namespace

void sortUsingSelectorForFileFolderName(QStringList &self)
{
    if (self.size() < 2)
        return;
    std::stable_sort(self.begin(), self.end(),
                     [](const QString &a, const QString &b) { return compareFileNames(a, b) < 0; });
}
