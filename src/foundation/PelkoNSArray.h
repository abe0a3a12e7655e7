#pragma once
// Helpers on lists. Lists of mixed objects are QVariantList; boxed ranges, points and
// rectangles are QVariant holding Range, QPointF and QRectF.

#include "platform/Range.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>

// The number of elements: the system asks every collection for its length.
template <class Collection>
requires requires(const Collection &c)
{
    c.size();
}
qint64 length(const Collection &self)
{
    return static_cast<qint64>(self.size());
}

// Whether the list holds that very object (identity, not equality); false for nullptr.
template <class T> bool containsObject2(const QList<T *> &self, const T *object)
{
    if (!object)
        return false;
    for (const T *item : self) {
        if (item == object)
            return true;
    }
    return false;
}
template <class T> bool containsObject2(const QList<std::shared_ptr<T>> &self, const T *object)
{
    if (!object)
        return false;
    for (const auto &item : self) {
        if (item.get() == object)
            return true;
    }
    return false;
}

// Whether a string element equals s ignoring case; other elements are skipped; false for an
// empty s.
bool containsStringNoCase(const QVariantList &self, const QString &s);
bool containsStringNoCase(const QStringList &self, const QString &s);

// The range boxed at the index; {NotFound, 0} out of range or when the element holds no range.
Range rangeAt(const QVariantList &self, int index);
// The point boxed at the index. An index out of range throws platform::Exception (the caller's
// guard reports it); an element holding no point is logged and reported, answering (0, 0).
QPointF pointAt(const QVariantList &self, int index);
// The rectangle boxed at the index; an empty rectangle (with the report) when there is none.
QRectF rectAt(const QVariantList &self, int index);
