#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

using platform::Notification;
using platform::NotificationCenter;
using platform::ObserverToken;

namespace {

const QString kName = QStringLiteral("TestNotification");

TEST(NotificationCenterTest, DeliversByNameAndObject)
{
    NotificationCenter center;
    int a = 0, b = 0;
    QStringList calls;
    auto any = center.addObserver(kName, nullptr, [&](const Notification &n) {
        calls << QStringLiteral("any:%1").arg(n.userInfo.value("i").toInt());
    });
    auto onlyA = center.addObserver(kName, &a, [&](const Notification &n) {
        EXPECT_EQ(n.object, &a);
        calls << QStringLiteral("a");
    });
    auto everything =
        center.addObserver(QString(), nullptr, [&](const Notification &n) { calls << n.name; });

    center.postNotification(kName, &a, {{"i", 1}});
    center.postNotification(kName, &b, {{"i", 2}});
    center.postNotification(QStringLiteral("Other"), &a);
    EXPECT_EQ(calls, (QStringList{"any:1", "a", kName, "any:2", kName, "Other"}));
}

TEST(NotificationCenterTest, TokensRemoveTheirObserver)
{
    NotificationCenter center;
    int count = 0;
    {
        auto token = center.addObserver(kName, nullptr, [&](const Notification &) { ++count; });
        EXPECT_TRUE(token.isActive());
        center.postNotification(kName);
        ObserverToken moved = std::move(token);
        EXPECT_FALSE(token.isActive());
        center.postNotification(kName);
        EXPECT_EQ(center.observerCount(), 1);
    }
    center.postNotification(kName);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(center.observerCount(), 0);

    // A token may outlive its centre.
    std::optional<NotificationCenter> shortLived(std::in_place);
    ObserverToken late = shortLived->addObserver(kName, nullptr, [](const Notification &) {});
    shortLived.reset();
    EXPECT_FALSE(late.isActive());
    late.reset();
}

TEST(NotificationCenterTest, ObserversRemovedDuringAPostAreNotCalled)
{
    NotificationCenter center;
    QStringList calls;
    ObserverToken second;
    ObserverToken added;
    auto first = center.addObserver(kName, nullptr, [&](const Notification &) {
        calls << "first";
        second.reset();
        // Added during the post: called from the next post on.
        if (!added.isActive())
            added =
                center.addObserver(kName, nullptr, [&](const Notification &) { calls << "added"; });
    });
    second = center.addObserver(kName, nullptr, [&](const Notification &) { calls << "second"; });
    ObserverToken self;
    self = center.addObserver(kName, nullptr, [&](const Notification &) {
        calls << "self";
        self.reset(); // removes itself while running
    });
    center.postNotification(kName);
    EXPECT_EQ(calls, (QStringList{"first", "self"}));
    calls.clear();
    center.postNotification(kName);
    EXPECT_EQ(calls, (QStringList{"first", "added"}));
}

TEST(NotificationCenterTest, ThrowingObserverDoesNotStopTheOthers)
{
    QByteArray report;
    platform::setReportSink([&](const QByteArray &text) { report += text; });
    platform::setLogSink([](const QString &) {});
    NotificationCenter center;
    int calls = 0;
    auto bad = center.addObserver(kName, nullptr,
                                  [](const Notification &) { throw std::runtime_error("boom"); });
    auto good = center.addObserver(kName, nullptr, [&](const Notification &) { ++calls; });
    center.postNotification(kName);
    platform::setReportSink(nullptr);
    platform::setLogSink(nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(report.contains("EXCEPTION PROBLEM"));
}

} // namespace
