// The cancel and time-limit check every curve search makes.
#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "pathops/FBBezierCurve.h"
#include "pathops/PathOperationState.h"
#include "platform/Guard.h"

#include <functional>
#include <optional>

namespace {

// Puts the process-wide flags back whatever the test did.
struct StateReset
{
    ~StateReset()
    {
        gPathOperationCancel = false;
        gPathOperationBusy = false;
        gPathOperationStartTime = -1.0;
    }
};

std::optional<platform::Exception> thrownBy(const std::function<void()> &call)
{
    try {
        call();
    } catch (const platform::Exception &e) {
        return e;
    }
    return std::nullopt;
}

} // namespace

TEST(PathOperationState, CheckRaisesForCancelAndTimeLimit)
{
    StateReset reset;
    const double now = PathOperation_CurrentMediaTime();
    if (now <= PathOperationTimeLimit + 5)
        GTEST_SKIP() << "the steady clock started too recently to place a start in the past";
    const auto line = FBBezierCurve::bezierCurveWithLineStartPoint(QPointF(0, 0), QPointF(4, 4));
    const auto other = FBBezierCurve::bezierCurveWithLineStartPoint(QPointF(0, 4), QPointF(4, 0));

    struct Row
    {
        const char *name;
        bool cancel;
        double startTime;
        const char *exceptionName; // nullptr: the call goes on
        const char *logLine;
    };
    const Row rows[] = {
        {"idle", false, -1.0, nullptr, nullptr},
        {"zero start", false, 0.0, nullptr, nullptr},
        {"recent start", false, now - 1.0, nullptr, nullptr},
        {"past the limit", false, now - 100.0, "Path operation time out",
         " **** path operation timeout *******"},
        {"cancel", true, -1.0, "cancelled", " **** user cancel *******"},
        {"cancel before limit", true, now - 1.0, "cancelled", " **** user cancel *******"},
        {"cancel and limit", true, now - 100.0, "cancelled", " **** user cancel *******"},
    };
    const std::function<void()> calls[] = {
        [] { PathOperation_CheckCancelAndTimeLimit(); },
        [&] { line->intersectionsWithBezierCurve(other); },
        [&] {
            FBRange us = FBGeom_MakeRange(0, 1), them = FBGeom_MakeRange(0, 1);
            line->intersectionsWithBezierCurve(other, &us, &them, line, other, nullptr, 3);
        },
    };
    for (const Row &row : rows) {
        for (const auto &call : calls) {
            pelkotest::LogCapture log;
            gPathOperationCancel = row.cancel;
            gPathOperationStartTime = row.startTime;
            const auto error = thrownBy(call);
            if (!row.exceptionName) {
                EXPECT_FALSE(error.has_value()) << row.name;
                EXPECT_TRUE(log.lines().isEmpty()) << row.name;
                continue;
            }
            ASSERT_TRUE(error.has_value()) << row.name;
            EXPECT_EQ(error->name(), row.exceptionName) << row.name;
            EXPECT_EQ(error->reason(), "timeout") << row.name;
            EXPECT_TRUE(log.logged(row.logLine)) << row.name;
        }
    }
}

TEST(PathOperationState, FlagsAreReadAsSet)
{
    StateReset reset;
    EXPECT_FALSE(PathOperation_IsCancelRequested());
    gPathOperationCancel = true;
    EXPECT_TRUE(PathOperation_IsCancelRequested());
    gPathOperationCancel = false;
    EXPECT_FALSE(PathOperation_IsCancelRequested());
    const double before = PathOperation_CurrentMediaTime();
    EXPECT_GE(PathOperation_CurrentMediaTime(), before); // steady: never goes back
}
