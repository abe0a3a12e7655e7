#pragma once
// The most bytes the heap held at once while some work ran on this thread, over what it held
// before, counted by the address sanitizer's allocation hooks; what other threads allocate
// meanwhile (a pool left busy by an earlier test) is not counted. Without the sanitizer the count
// is -1.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define PELKO_HEAP_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELKO_HEAP_HOOKS 1
#endif
#endif

#ifdef PELKO_HEAP_HOOKS
// The sanitizer's hooks (its header does not come with every compiler).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void *, size_t),
                                                         void (*)(const volatile void *));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void *);
#endif

namespace pelkotest {

namespace heappeak {

inline std::atomic<bool> counting{false};
inline std::atomic<std::thread::id> owner;
inline std::atomic<int64_t> live{0}, peak{0};

inline void onMalloc(const volatile void *, size_t size)
{
    if (!counting || std::this_thread::get_id() != owner)
        return;
    const int64_t now = live += int64_t(size);
    int64_t seen = peak;
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
}

inline void onFree(const volatile void *pointer)
{
#ifdef PELKO_HEAP_HOOKS
    if (counting && std::this_thread::get_id() == owner)
        live -= int64_t(__sanitizer_get_allocated_size(pointer));
#else
    (void)pointer;
#endif
}

// Installs the hooks once per process: each installation would count every allocation again.
inline bool installHooks()
{
#ifdef PELKO_HEAP_HOOKS
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
    return installed;
#else
    return false;
#endif
}

} // namespace heappeak

template <class Work> int64_t peakHeapGrowth(Work &&work)
{
#ifdef PELKO_HEAP_HOOKS
    if (heappeak::installHooks()) {
        heappeak::live = 0;
        heappeak::peak = 0;
        heappeak::owner = std::this_thread::get_id();
        heappeak::counting = true;
        work();
        heappeak::counting = false;
        return heappeak::peak;
    }
#endif
    work();
    return -1;
}

} // namespace pelkotest
