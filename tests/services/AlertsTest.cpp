// Alerts: which texts and buttons reach the platform alert, and what the caller gets back.
#include <gtest/gtest.h>

#include "platform/Alerts.h"
#include "services/Alerts.h"

namespace {

TEST(Alerts, ShowMessage2Rules)
{
    struct Row
    {
        const char *name;
        QString title, text, b1, b2, b3;
        bool shown;
        QString shownTitle, shownText;
        QStringList buttons;
    };
    const QString T = QStringLiteral("Title"), X = QStringLiteral("Text");
    const QString ok = QStringLiteral("OK"), cancel = QStringLiteral("Cancel");
    const QString a = QStringLiteral("A"), b = QStringLiteral("B"), c = QStringLiteral("C");
    const Row rows[] = {
        {"nothing to say", {}, {}, a, b, c, false, {}, {}, {}},
        {"both empty strings",
         QStringLiteral(""),
         QStringLiteral(""),
         a,
         {},
         {},
         false,
         {},
         {},
         {}},
        {"no title", {}, X, a, {}, {}, true, QStringLiteral(" "), X, {a}},
        {"no text", T, {}, a, {}, {}, true, T, QStringLiteral(" "), {a}},
        {"default first button", T, X, {}, {}, {}, true, T, X, {ok}},
        {"two buttons", T, X, a, b, {}, true, T, X, {a, b}},
        {"three buttons", T, X, a, b, c, true, T, X, {a, b, c}},
        {"third without second", T, X, a, {}, c, true, T, X, {a, cancel, c}},
        {"empty second only", T, X, a, QStringLiteral(""), {}, true, T, X, {a}},
        {"all defaults with third", T, X, {}, {}, c, true, T, X, {ok, cancel, c}},
    };
    for (const Row &row : rows) {
        bool called = false;
        platform::AlertRequest seen;
        platform::setAlertHook([&](const platform::AlertRequest &r) {
            called = true;
            seen = r;
            return 1000 + int(r.buttons.size()) - 1;
        });
        const int answer = ShowMessage2(row.title, row.text, row.b1, row.b2, row.b3);
        platform::setAlertHook(nullptr);
        EXPECT_EQ(called, row.shown) << row.name;
        if (!row.shown) {
            EXPECT_EQ(answer, 0) << row.name;
            continue;
        }
        EXPECT_EQ(seen.title, row.shownTitle) << row.name;
        EXPECT_EQ(seen.text, row.shownText) << row.name;
        EXPECT_EQ(seen.buttons, row.buttons) << row.name;
        EXPECT_EQ(seen.cancelIndex, int(row.buttons.indexOf(cancel))) << row.name;
        EXPECT_EQ(answer, 1000 + int(row.buttons.size()) - 1)
            << row.name << ": the pressed button comes back";
    }
}

} // namespace
