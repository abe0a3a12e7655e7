// Split views: the remembered divider and its limit, collapsing, the animation and the split view
// that leaves its panes alone.
#include <gtest/gtest.h>

#include <QSplitterHandle>
#include <QTest>

#include "controls/MySplitView.h"
#include "controls/MySplitViewAnimation.h"
#include "controls/MySplitViewLeft.h"
#include "controls/PelkoNSSplitView.h"
#include "platform/NotificationCenter.h"
#include "support/TestEnvironment.h"

namespace {

struct LeftSplit
{
    MySplitViewLeft split;
    QWidget *left = new QWidget;
    QWidget *right = new QWidget;
    LeftSplit()
    {
        split.addWidget(left);
        split.addWidget(right);
        split.resize(1000, 300);
        split.show();
        EXPECT_TRUE(pelkotest::deliverPostedEvents());
    }
    // Drags the divider by the mouse to x.
    void dragTo(int x)
    {
        QSplitterHandle *handle = split.handle(1);
        const QPoint start(handle->width() / 2, handle->height() / 2);
        QTest::mousePress(handle, Qt::LeftButton, {}, start);
        const QPoint target = handle->mapFromGlobal(split.mapToGlobal(QPoint(x, 150)));
        QMouseEvent move(QEvent::MouseMove, QPointF(target), handle->mapToGlobal(QPointF(target)),
                         Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(handle, &move);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, target);
    }
};

} // namespace

TEST(SplitView, FirstDividerPositionsOfTheCategory)
{
    QSplitter split;
    EXPECT_EQ(getPositionOfFirstDivider(&split), 0) << "fewer than two panes";
    split.addWidget(new QWidget);
    split.addWidget(new QWidget);
    split.resize(600, 200);
    split.show();
    setPosition2(&split, 250.0);
    EXPECT_EQ(getPositionOfFirstDivider(&split), 250);
    setPosition2(&split, std::nullopt);
    EXPECT_EQ(getPositionOfFirstDivider(&split), 250);
    EXPECT_EQ(getMaxPositionOfFirstDivider(&split), 600 - split.handleWidth());
    split.setSizes({0, 600});
    EXPECT_EQ(getPositionOfFirstDivider(&split), 0) << "collapsed first pane";
    split.setOrientation(Qt::Vertical);
    EXPECT_EQ(getMaxPositionOfFirstDivider(&split), 200 - split.handleWidth());
}

TEST(SplitView, RemembersItsDividerAndLimitsDrags)
{
    LeftSplit s;
    EXPECT_EQ(getPositionOfFirstDivider(&s.split), 100) << "the default before any drag";
    EXPECT_DOUBLE_EQ(s.split.constrainMaxCoordinate(), 500) << "0.5 of 1000";

    int posted = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        PelkoSplitViewDidChangePosition, &s.split,
        [&](const platform::Notification &) { ++posted; });
    s.dragTo(400);
    EXPECT_NEAR(s.split.oldPos, 400, 2);
    EXPECT_EQ(posted, 1);
    // The remembered 400 lies between 0.3 and 0.7 of the width: no drag goes beyond it.
    s.dragTo(800);
    EXPECT_LE(getPositionOfFirstDivider(&s.split), 402);
    EXPECT_EQ(s.left->maximumWidth(), QWIDGETSIZE_MAX) << "the limit holds only during the drag";
    s.dragTo(200);
    EXPECT_NEAR(s.split.oldPos, 200, 2);
    EXPECT_DOUBLE_EQ(s.split.constrainMaxCoordinate(), 500) << "below 0.3 of the width";

    // A resize puts the divider back where the user left it.
    s.split.resize(1200, 300);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_NEAR(getPositionOfFirstDivider(&s.split), 200, 2);

    // Only the first pane collapses.
    EXPECT_TRUE(s.split.isCollapsible(0));
    EXPECT_FALSE(s.split.isCollapsible(1));
    EXPECT_FALSE(s.split.canCollapseSubview(nullptr));
}

TEST(SplitView, OneAnimationAtATimeMovesTheDivider)
{
    LeftSplit s;
    ASSERT_TRUE(MySplitViewAnimation::setPositionAnimateWithSplitView(&s.split, 0, 100, 300, 0.2f));
    EXPECT_TRUE(MySplitViewAnimation::isAnimationRunning());
    EXPECT_FALSE(
        MySplitViewAnimation::setPositionAnimateWithSplitView(&s.split, 0, 300, 600, 0.1f));
    EXPECT_TRUE(QTest::qWaitFor([] { return !MySplitViewAnimation::isAnimationRunning(); }, 20000));
    EXPECT_NEAR(getPositionOfFirstDivider(&s.split), 300, 1);
    EXPECT_NEAR(s.split.oldPos, 300, 0.01);
    ASSERT_TRUE(pelkotest::deliverPostedEvents()); // the finished animation goes away
    // No duration: the divider jumps, and the next animation may start.
    EXPECT_TRUE(MySplitViewAnimation::setPositionAnimateWithSplitView(&s.split, 0, 300, 150, -1));
    EXPECT_NEAR(getPositionOfFirstDivider(&s.split), 150, 1);
    EXPECT_FALSE(MySplitViewAnimation::isAnimationRunning());

    // A split view that goes away mid-animation frees the flag.
    auto *doomed = new MySplitViewLeft;
    doomed->addWidget(new QWidget);
    doomed->addWidget(new QWidget);
    ASSERT_TRUE(MySplitViewAnimation::setPositionAnimateWithSplitView(doomed, 0, 0, 50, 5));
    delete doomed;
    EXPECT_FALSE(MySplitViewAnimation::isAnimationRunning());
}

TEST(SplitView, PlainSplitViewKeepsPaneFramesOnResize)
{
    MySplitView split;
    auto *a = new QWidget;
    auto *b = new QWidget;
    split.addWidget(a);
    split.addWidget(b);
    split.resize(400, 200);
    split.show();
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    const QRect ga = a->geometry(), gb = b->geometry();
    split.resize(700, 260);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_EQ(a->geometry(), ga);
    EXPECT_EQ(b->geometry(), gb);
}
