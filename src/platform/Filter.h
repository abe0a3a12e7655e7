#pragma once
// Image filters by name. An effect asks for a filter, sets its defaults and its keyed inputs
// (numbers, vectors, colours, images; the source under "inputImage") and reads outputImage().
// Filters register themselves once under their name; an unknown name gives no filter.

#include "platform/Color.h"
#include "platform/FilterImage.h"

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <variant>
#include <vector>

namespace platform {

using FilterVector = std::vector<double>;
using FilterValue = std::variant<std::monostate, double, FilterVector, Color, FilterImage>;

class Filter
{
public:
    using Factory = std::function<std::unique_ptr<Filter>()>;

    virtual ~Filter();

    // Registers (or replaces) the factory of a name; an empty name or factory is ignored.
    static void registerFilter(const QString &name, Factory factory);
    static void unregisterFilter(const QString &name);
    // A new filter of that name, or nullptr when none is registered.
    static std::unique_ptr<Filter> filterWithName(const QString &name);

    // Gives every input its default value.
    virtual void setDefaults() {}
    virtual void setValue(const QString &key, FilterValue value);
    // monostate when the key was never set.
    FilterValue value(const QString &key) const;
    // The filtered image; null when the inputs do not make one.
    virtual FilterImage outputImage() const = 0;

protected:
    // Typed reads for filters: the fallback when the key is missing or of another type.
    double number(const QString &key, double fallback = 0) const;
    FilterVector vector(const QString &key, const FilterVector &fallback = {}) const;
    Color color(const QString &key, const Color &fallback = {}) const;
    FilterImage image(const QString &key) const;

private:
    std::map<QString, FilterValue> mValues;
};

} // namespace platform
