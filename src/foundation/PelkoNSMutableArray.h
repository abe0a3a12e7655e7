#pragma once
// Helpers that grow or reorder lists in place.

#include "foundation/PelkoNSArray.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <QStringList>
#include <concepts>
#include <type_traits>

// Append a boxed range, point or rectangle.
void addRange(QVariantList &self, Range range);
void addPoint(QVariantList &self, QPointF point);
void addRect(QVariantList &self, QRectF rect);

// Sorts file and folder names as a file manager shows them: ignoring case, digits by value.
void sortUsingSelectorForFileFolderName(QStringList &self);

namespace foundation_detail {

// The nil of each element type: nullptr, an invalid QVariant, a null QString.
template <class T> bool isNil(const T &value)
{
    if constexpr (std::is_pointer_v<T>)
        return value == nullptr;
    else if constexpr (std::is_same_v<T, QVariant>)
        return !value.isValid();
    else if constexpr (std::is_same_v<T, QString>)
        return value.isNull();
    else if constexpr (requires { value == nullptr; })
        return value == nullptr;
    else
        return false;
}

bool isNumberVariant(const QVariant &value);

// Equality of two elements: pointers compare the objects they point at when those can be
// compared, else their identity; boxed values of different kinds differ, except numbers.
template <class T> bool isEqualElement(const T &a, const T &b)
{
    if constexpr (std::is_same_v<T, QVariant>) {
        if (a.metaType() != b.metaType() && !(isNumberVariant(a) && isNumberVariant(b)))
            return false;
        return a == b;
    } else if constexpr (std::is_pointer_v<T>) {
        if constexpr (std::equality_comparable<std::remove_pointer_t<T>>)
            return a == b || (a && b && *a == *b);
        else
            return a == b;
    } else if constexpr (requires { a.get(); }) {
        using Pointee = typename T::element_type;
        if constexpr (std::equality_comparable<Pointee>)
            return a == b || (a && b && *a == *b);
        else
            return a == b;
    } else {
        return a == b;
    }
}

} // namespace foundation_detail

// Appends every element of the other list; nothing for nullptr or an empty list.
template <class T> void addObjectsFromArray2(QList<T> &self, const QList<T> *array)
{
    GUARD_BEGIN
    if (!array || array->isEmpty())
        return;
    self.append(QList<T>(*array)); // a copy first: the argument may be the list itself
    GUARD_END_VOID
}
template <class T> void addObjectsFromArray2(QList<T> &self, const QList<T> &array)
{
    addObjectsFromArray2(self, &array);
}

// Appends the object unless an equal one is already there; a nil object is logged and skipped.
template <class T> void addObject_CheckDuplicate(QList<T> &self, const T &object)
{
    if (foundation_detail::isNil(object)) {
        platform::LogWarning(
            lcFoundation,
            QStringLiteral("*** ERR: addObject_CheckDuplicate: ERROR in object is NULL"));
        return;
    }
    for (const T &item : self) {
        if (foundation_detail::isEqualElement(item, object))
            return;
    }
    self.append(object);
}
inline void addObject_CheckDuplicate(QStringList &self, const QString &object)
{
    addObject_CheckDuplicate<QString>(self, object);
}
