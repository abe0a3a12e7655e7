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

void sortUsingSelectorForFileFolderName(QStringList &self)
{
    if (self.size() < 2)
        return;
    // A collator is not safe to share between threads; each thread keeps its own.
    thread_local const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(true);
        return c;
    }();
    std::stable_sort(self.begin(), self.end(),
                     [](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
}
