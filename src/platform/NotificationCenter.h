#pragma once
// Named notifications delivered synchronously to observers, on the main thread.

#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>

namespace platform {

struct Notification
{
    QString name;
    const void *object = nullptr;
    QVariantMap userInfo;
};

class NotificationCenter;
struct NotificationRegistry;

// Keeps one observer registered; destroying or resetting the token removes it.
class ObserverToken
{
public:
    ObserverToken() = default;
    ObserverToken(ObserverToken &&other) noexcept;
    ObserverToken &operator=(ObserverToken &&other) noexcept;
    ObserverToken(const ObserverToken &) = delete;
    ObserverToken &operator=(const ObserverToken &) = delete;
    ~ObserverToken();

    void reset();
    bool isActive() const;

private:
    friend class NotificationCenter;
    ObserverToken(std::weak_ptr<void> registry, quint64 id);

    std::weak_ptr<void> mRegistry;
    quint64 mId = 0;
};

class NotificationCenter
{
public:
    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter &) = delete;
    NotificationCenter &operator=(const NotificationCenter &) = delete;

    static NotificationCenter &defaultCenter();

    // object == nullptr observes the name from any object; an empty name observes every name.
    [[nodiscard]] ObserverToken addObserver(const QString &name, const void *object,
                                            std::function<void(const Notification &)> block);
    // Calls, in the order they were added, the observers registered when the post begins that
    // are still registered when their turn comes.
    void postNotification(const QString &name, const void *object = nullptr,
                          const QVariantMap &userInfo = {});

    qsizetype observerCount() const;

private:
    std::shared_ptr<NotificationRegistry> mRegistry;
};

} // namespace platform
