#include "platform/NotificationCenter.h"

#include "platform/Guard.h"

#include <map>
#include <mutex>
#include <vector>

namespace platform {

struct NotificationRegistry
{
    struct Entry
    {
        QString name;
        const void *object = nullptr;
        std::shared_ptr<std::function<void(const Notification &)>> block;
    };

    mutable std::mutex mutex;
    std::map<quint64, Entry> entries; // ordered by id, so by the order observers were added
    quint64 nextId = 1;

    void remove(quint64 id)
    {
        std::lock_guard lock(mutex);
        entries.erase(id);
    }
    bool contains(quint64 id) const
    {
        std::lock_guard lock(mutex);
        return entries.count(id) != 0;
    }
};

namespace {
void removeFromRegistry(const std::weak_ptr<void> &weak, quint64 id)
{
    if (auto registry = weak.lock())
        static_cast<NotificationRegistry *>(registry.get())->remove(id);
}
} // namespace

ObserverToken::ObserverToken(std::weak_ptr<void> registry, quint64 id)
    : mRegistry(std::move(registry)), mId(id)
{}

ObserverToken::ObserverToken(ObserverToken &&other) noexcept
    : mRegistry(std::move(other.mRegistry)), mId(other.mId)
{
    other.mRegistry.reset();
    other.mId = 0;
}

ObserverToken &ObserverToken::operator=(ObserverToken &&other) noexcept
{
    if (this != &other) {
        reset();
        mRegistry = std::move(other.mRegistry);
        mId = other.mId;
        other.mRegistry.reset();
        other.mId = 0;
    }
    return *this;
}

ObserverToken::~ObserverToken()
{
    reset();
}

void ObserverToken::reset()
{
    if (mId != 0)
        removeFromRegistry(mRegistry, mId);
    mRegistry.reset();
    mId = 0;
}

bool ObserverToken::isActive() const
{
    auto registry = mRegistry.lock();
    return registry && static_cast<NotificationRegistry *>(registry.get())->contains(mId);
}

NotificationCenter::NotificationCenter() : mRegistry(std::make_shared<NotificationRegistry>())
{}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

ObserverToken NotificationCenter::addObserver(const QString &name, const void *object,
                                              std::function<void(const Notification &)> block)
{
    if (!block)
        return {};
    std::lock_guard lock(mRegistry->mutex);
    const quint64 id = mRegistry->nextId++;
    mRegistry->entries.emplace(
        id, NotificationRegistry::Entry{
                name, object,
                std::make_shared<std::function<void(const Notification &)>>(std::move(block))});
    return ObserverToken(std::static_pointer_cast<void>(mRegistry), id);
}

void NotificationCenter::postNotification(const QString &name, const void *object,
                                          const QVariantMap &userInfo)
{
    // Observers may add or remove observers (their own included) while they run: call from a
    // snapshot and skip the ones removed meanwhile.
    std::vector<std::pair<quint64, std::shared_ptr<std::function<void(const Notification &)>>>>
        targets;
    {
        std::lock_guard lock(mRegistry->mutex);
        for (const auto &[id, entry] : mRegistry->entries) {
            const bool nameMatches = entry.name.isEmpty() || entry.name == name;
            const bool objectMatches = entry.object == nullptr || entry.object == object;
            if (nameMatches && objectMatches)
                targets.emplace_back(id, entry.block);
        }
    }
    const Notification note{name, object, userInfo};
    for (const auto &[id, block] : targets) {
        if (!mRegistry->contains(id))
            continue;
        GUARD_BEGIN (*block)(note);
        GUARD_END_VOID
    }
}

qsizetype NotificationCenter::observerCount() const
{
    std::lock_guard lock(mRegistry->mutex);
    return qsizetype(mRegistry->entries.size());
}

} // namespace platform
