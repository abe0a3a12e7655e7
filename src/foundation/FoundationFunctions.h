#pragma once
// Free helpers on strings, lists, fonts and colours.

#include "foundation/PelkoNSObject.h"
#include "platform/Color.h"
#include "platform/Guard.h"

#include <QFont>
#include <QList>
#include <QString>
#include <algorithm>
#include <memory>
#include <type_traits>

// a followed by b, a null string taken as ""; never null.
QString AppendString2(const QString &a, const QString &b);
QString AppendString3(const QString &a, const QString &b, const QString &c);

// Same font: both nullptr, or the same family and face with point sizes less than 0.1 apart.
bool IsSameFont(const QFont *a, const QFont *b);
bool IsSameFont(const QFont &a, const QFont &b);
// Same colour: both invalid, or the same colour word 0xRRGGBBAA.
bool IsSameColor(const platform::Color &a, const platform::Color &b);

namespace foundation_detail {

template <class T> struct IsSharedPtr : std::false_type
{
};
template <class T> struct IsSharedPtr<std::shared_ptr<T>> : std::true_type
{
};

// A copy of one element: shared objects are copied with reuse, values by value. false when an
// object cannot be copied.
template <class T> bool copyElement(const T &item, T &copy)
{
    static_assert(!std::is_pointer_v<T>, "a list of raw pointers owns nothing to copy");
    if constexpr (IsSharedPtr<T>::value) {
        copy = item ? reuse(item) : nullptr;
        return !item || copy != nullptr;
    } else {
        copy = item;
        return true;
    }
}

} // namespace foundation_detail

// Empties the destination and fills it with copies of the source's elements. false when either
// list is missing, an element cannot be copied, or the counts then differ; true at once when both
// are the same list.
template <class T> bool DeepCopyArray(const QList<T> *source, QList<T> *destination)
{
    GUARD_BEGIN
    if (!source || !destination)
        return false;
    if (source == destination)
        return true;
    destination->clear();
    if (source->isEmpty())
        return true;
    destination->reserve(source->size());
    for (const T &item : *source) {
        T copy;
        if (!foundation_detail::copyElement(item, copy))
            return false;
        destination->append(std::move(copy));
    }
    return destination->size() == source->size();
    GUARD_END(false)
}

// A new list of copies of the source's elements; empty for nullptr or when the copy fails.
template <class T> QList<T> DeepCopyArrayToNew(const QList<T> *source)
{
    QList<T> result;
    if (!DeepCopyArray(source, &result))
        result.clear();
    return result;
}
template <class T> QList<T> DeepCopyArrayToNew(const QList<T> &source)
{
    return DeepCopyArrayToNew(&source);
}

// Exchanges elements i and j; false for nullptr, fewer than 2 elements, i == j or an index
// outside the list.
template <class T> bool ArraySwap(QList<T> *array, int i, int j)
{
    if (!array || array->size() < 2 || i == j)
        return false;
    if (i < 0 || j < 0 || i >= array->size() || j >= array->size())
        return false;
    array->swapItemsAt(i, j);
    return true;
}

// Reverses the list in place.
template <class T> void ReverseOrder(QList<T> *array)
{
    if (!array || array->size() < 2)
        return;
    std::reverse(array->begin(), array->end());
}
