// The dialog that folds a list of paths on a worker, with its busy guard and Cancel.
#include <gtest/gtest.h>

#include "support/AlertAnswers.h"
#include "support/LogCapture.h"
#include "support/ModalRun.h"
#include "controls/PathOperationDialog.h"
#include "pathops/PathBooleanOperations.h"
#include "pathops/PathOperationState.h"
#include "pathops/PathShapes.h"
#include "platform/ModalRun.h"

#include <QAbstractButton>
#include <QProgressBar>
#include <QTest>

using platform::BezierPath;

namespace {

BezierPath square(double x, double y, double side)
{
    return BezierPath::bezierPathWithRect(QRectF(x, y, side, side));
}

struct FlagsReset
{
    ~FlagsReset()
    {
        gPathOperationBusy = false;
        gPathOperationCancel = false;
    }
};

} // namespace

TEST(PathOperationDialog, FoldUsesTheUsablePathsInOrder)
{
    const BezierPath a = square(0, 0, 10);
    const BezierPath b = square(5, 5, 10);
    const BezierPath c = square(0, 0, 3);
    BezierPath oneElement;
    oneElement.moveToPoint({0, 0});
    const BezierPath thin = BezierPath::bezierPathWithRect(QRectF(0, 0, 0.5, 40));
    struct Row
    {
        const char *name;
        qint32 action;
        bool reverse;
        QList<BezierPath> inputs;
        QPointF inside, outside; // a point in the result and one out of it
        QString message;
    };
    const QString tooFew = QStringLiteral("Please select at least 2 objects before combination");
    const std::vector<Row> rows = {
        {"difference keeps the first two", 2, false, {a, b, c}, {2, 2}, {7, 7}, {}},
        {"exclusive or keeps the first two", 3, false, {a, b, c}, {2, 2}, {7, 7}, {}},
        {"union folds all three", 0, false, {a, b, c}, {14, 14}, {-5, -5}, {}},
        {"reversed difference", 2, true, {a, b}, {12, 12}, {2, 2}, {}},
        {"reversed after trimming", 2, true, {a, b, c}, {12, 12}, {2, 2}, {}},
        {"unusable paths skipped", 1, false, {thin, a, oneElement, b}, {7, 7}, {2, 2}, {}},
        {"one usable path", 0, false, {a, thin, oneElement}, {}, {}, tooFew},
        {"no paths", 1, false, {}, {}, {}, tooFew},
        {"one path for difference",
         2,
         false,
         {a},
         {},
         {},
         QStringLiteral("[Difference combination] action requires to select only 2 objects")},
        {"one path for exclusive or",
         3,
         false,
         {b},
         {},
         {},
         QStringLiteral(
             "[Exclusive OR combination (XOR)] action requires to select only 2 objects")},
        // An empty first step ends the fold: the third path must not come back as the answer.
        {"empty step stops",
         1,
         false,
         {a, square(20, 20, 5), square(0, 0, 40)},
         {},
         {},
         PathOperationDialog::failureMessage()},
    };
    for (const Row &row : rows) {
        const PathOperationOutcome outcome =
            PathOperationDialog::executeThread(row.action, row.reverse, row.inputs);
        EXPECT_EQ(outcome.errorMessage, row.message) << row.name;
        if (!row.message.isEmpty()) {
            EXPECT_FALSE(outcome.result) << row.name;
            continue;
        }
        ASSERT_TRUE(outcome.result) << row.name;
        EXPECT_TRUE(outcome.result->containsPoint(row.inside)) << row.name;
        EXPECT_FALSE(outcome.result->containsPoint(row.outside)) << row.name;
    }
}

TEST(PathOperationDialog, RunShowsABusyBarAndAnswersTheCombination)
{
    FlagsReset reset;
    PathOperationDialog dialog;
    dialog.setAction(PathBooleanDifference);
    dialog.setPathInputList({square(0, 0, 10), square(5, 5, 10), square(0, 0, 3)});
    bool sawBusyBar = false;
    pelkotest::inRun([&](QWidget *) {
        sawBusyBar = dialog.progressIndicator()->minimum() == 0 &&
                     dialog.progressIndicator()->maximum() == 0;
    });
    EXPECT_EQ(dialog.runModal(), platform::ModalResponseAbort);
    EXPECT_TRUE(sawBusyBar);
    ASSERT_TRUE(dialog.pathResult());
    EXPECT_TRUE(dialog.pathResult()->containsPoint({2, 2}));
    EXPECT_FALSE(dialog.pathResult()->containsPoint({7, 7}));
    EXPECT_TRUE(dialog.errorMessage().isEmpty());
    EXPECT_FALSE(dialog.userCancel());
    EXPECT_FALSE(gPathOperationBusy.load());
    EXPECT_FALSE(dialog.window()->isVisible());
}

TEST(PathOperationDialog, FailureMessagesReachTheOpener)
{
    FlagsReset reset;
    for (const QList<BezierPath> &inputs :
         {QList<BezierPath>{square(0, 0, 10)},
          QList<BezierPath>{square(0, 0, 10), square(20, 20, 5), square(0, 0, 40)}}) {
        PathOperationDialog dialog;
        dialog.setAction(PathBooleanIntersect);
        dialog.setPathInputList(inputs);
        dialog.runModal();
        EXPECT_FALSE(dialog.pathResult());
        EXPECT_FALSE(dialog.errorMessage().isEmpty());
    }
}

TEST(PathOperationDialog, CancelStopsTheWorkerAndLeavesNoFlagBehind)
{
    FlagsReset reset;
    pelkotest::LogCapture quiet;
    PathOperationDialog dialog;
    dialog.setAction(PathBooleanUnion);
    dialog.setPathInputList({seededCircles(500, 1), seededCircles(500, 2)});
    bool busyWhileRunning = false;
    pelkotest::inRun([&](QWidget *) {
        busyWhileRunning = gPathOperationBusy.load();
        QTest::mouseClick(dialog.progressCancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.runModal(), 0);
    EXPECT_TRUE(busyWhileRunning);
    EXPECT_TRUE(dialog.userCancel());
    EXPECT_FALSE(dialog.pathResult());
    EXPECT_TRUE(dialog.errorMessage().isEmpty());
    // The worker has ended and taken its cancel with it: direct operations work again.
    EXPECT_FALSE(gPathOperationBusy.load());
    EXPECT_FALSE(gPathOperationCancel.load());
    EXPECT_FALSE(fb_union(square(0, 0, 10), square(5, 5, 10)).isEmpty());
}

TEST(PathOperationDialog, SecondDialogWhileBusyIsRefusedWithoutEndingTheFirst)
{
    FlagsReset reset;
    pelkotest::AlertAnswers alerts;
    pelkotest::LogCapture quiet;
    PathOperationDialog first;
    first.setAction(PathBooleanUnion);
    first.setPathInputList({seededCircles(400, 3), seededCircles(400, 4)});
    int secondCode = 0;
    bool firstStillRunning = false;
    pelkotest::inRun([&](QWidget *firstWindow) {
        PathOperationDialog second;
        second.setAction(PathBooleanUnion);
        second.setPathInputList({square(0, 0, 10), square(5, 5, 10)});
        secondCode = second.runModal();
        EXPECT_FALSE(second.pathResult());
        firstStillRunning = platform::isRunningModal(firstWindow);
        EXPECT_TRUE(PathOperationDialog::isBusyCheckAndShowMsg(false));
        QTest::mouseClick(first.progressCancelButton(), Qt::LeftButton);
    });
    first.runModal();
    EXPECT_EQ(secondCode, -1);
    EXPECT_TRUE(firstStillRunning);
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_TRUE(alerts.alerts[0].title.contains(QStringLiteral("busy")));
    EXPECT_TRUE(first.userCancel());
    EXPECT_FALSE(PathOperationDialog::isBusyCheckAndShowMsg(true));
    EXPECT_EQ(alerts.alerts.size(), 1u);
}
