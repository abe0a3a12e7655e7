#include "platform/Filter.h"

#include "platform/BuiltInFilters.h"

#include <mutex>

namespace platform {

namespace {

std::mutex gRegistryLock;

std::map<QString, Filter::Factory> &registry()
{
    static std::map<QString, Filter::Factory> factories = builtInFilters();
    return factories;
}

template <class T> T valueOr(const FilterValue &v, const T &fallback)
{
    const T *held = std::get_if<T>(&v);
    return held ? *held : fallback;
}

} // namespace

Filter::~Filter() = default;

void Filter::registerFilter(const QString &name, Factory factory)
{
    if (name.isEmpty() || !factory)
        return;
    std::lock_guard lock(gRegistryLock);
    registry()[name] = std::move(factory);
}

void Filter::unregisterFilter(const QString &name)
{
    std::lock_guard lock(gRegistryLock);
    registry().erase(name);
}

std::unique_ptr<Filter> Filter::filterWithName(const QString &name)
{
    Factory factory;
    {
        std::lock_guard lock(gRegistryLock);
        const auto it = registry().find(name);
        if (it == registry().end())
            return nullptr;
        factory = it->second;
    }
    return factory();
}

void Filter::setValue(const QString &key, FilterValue value)
{
    mValues[key] = std::move(value);
}

FilterValue Filter::value(const QString &key) const
{
    const auto it = mValues.find(key);
    return it == mValues.end() ? FilterValue() : it->second;
}

double Filter::number(const QString &key, double fallback) const
{
    return valueOr(value(key), fallback);
}

FilterVector Filter::vector(const QString &key, const FilterVector &fallback) const
{
    return valueOr(value(key), fallback);
}

Color Filter::color(const QString &key, const Color &fallback) const
{
    return valueOr(value(key), fallback);
}

FilterImage Filter::image(const QString &key) const
{
    return valueOr(value(key), FilterImage());
}

} // namespace platform
