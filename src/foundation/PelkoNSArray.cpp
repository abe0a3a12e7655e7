#include "foundation/PelkoNSArray.h"

#include "platform/Guard.h"
#include "platform/Log.h"

namespace {

bool equalsNoCase(const QString &item, const QString &s)
{
    return item.compare(s, Qt::CaseInsensitive) == 0;
}

bool inRange(const QVariantList &self, int index)
{
    return index >= 0 && index < self.size();
}

// The element at the index; an index outside the list throws, as the platform's lists raise.
const QVariant &elementAt(const QVariantList &self, int index)
{
    if (!inRange(self, index)) {
        throw platform::Exception(
            QStringLiteral("NSRangeException"),
            QStringLiteral("index %1 beyond bounds [0 .. %2]").arg(index).arg(self.size() - 1));
    }
    return self.at(index);
}

} // namespace

bool containsStringNoCase(const QVariantList &self, const QString &s)
{
    if (s.isEmpty())
        return false;
    for (const QVariant &item : self) {
        if (item.typeId() == QMetaType::QString && equalsNoCase(item.toString(), s))
            return true;
    }
    return false;
}

bool containsStringNoCase(const QStringList &self, const QString &s)
{
    if (s.isEmpty())
        return false;
    for (const QString &item : self) {
        if (equalsNoCase(item, s))
            return true;
    }
    return false;
}

Range rangeAt(const QVariantList &self, int index)
{
    if (!inRange(self, index))
        return Range{NotFound, 0};
    const QVariant &item = self.at(index);
    if (item.metaType() != QMetaType::fromType<Range>())
        return Range{NotFound, 0};
    return item.value<Range>();
}

QPointF pointAt(const QVariantList &self, int index)
{
    const QVariant &item = elementAt(self, index);
    if (item.typeId() == QMetaType::QPointF)
        return item.toPointF();
    if (item.typeId() == QMetaType::QPoint)
        return QPointF(item.toPoint());
    platform::LogWarning(
        lcFoundation,
        QStringLiteral("**** ERROR: pointAt not valid point object: %1 ***").arg(index));
    REPORT_FATAL();
    return QPointF();
}

QRectF rectAt(const QVariantList &self, int index)
{
    GUARD_BEGIN
    const QVariant &item = elementAt(self, index);
    if (item.typeId() == QMetaType::QRectF)
        return item.toRectF();
    if (item.typeId() == QMetaType::QRect)
        return QRectF(item.toRect());
    throw platform::Exception(QStringLiteral("NSInvalidArgumentException"),
                              QStringLiteral("rectAt: element %1 holds no rectangle").arg(index));
    GUARD_END(QRectF())
}
