#pragma once
// reuse: a copy of an object that the caller owns through a shared pointer. An object copies
// itself with copy2() when it has one, else with copy(), else by its copy constructor; an
// object that cannot be copied answers nullptr.

#include <memory>
#include <type_traits>
#include <utility>

namespace foundation_detail {

template <class T, class Result> std::shared_ptr<T> toShared(Result &&result)
{
    using R = std::decay_t<Result>;
    if constexpr (std::is_pointer_v<R>)
        return std::shared_ptr<T>(result); // a fresh copy handed over to the caller
    else if constexpr (requires { std::shared_ptr<T>(std::forward<Result>(result)); } &&
                       !std::is_same_v<R, T>)
        return std::shared_ptr<T>(std::forward<Result>(result)); // shared or unique pointers
    else
        return std::make_shared<T>(std::forward<Result>(result));
}

} // namespace foundation_detail

template <class T> std::shared_ptr<T> reuse(const T *self)
{
    if (!self)
        return nullptr;
    if constexpr (requires { self->copy2(); })
        return foundation_detail::toShared<T>(self->copy2());
    else if constexpr (requires { self->copy(); })
        return foundation_detail::toShared<T>(self->copy());
    else if constexpr (std::is_copy_constructible_v<T> && !std::is_abstract_v<T>)
        return std::make_shared<T>(*self);
    else
        return nullptr;
}

template <class T> std::shared_ptr<T> reuse(const std::shared_ptr<T> &self)
{
    return reuse(static_cast<const T *>(self.get()));
}
