#include "controls/MySplitViewAnimation.h"

#include <QTimeLine>
#include <mutex>

#include "controls/MySplitViewLeft.h"
#include "controls/PelkoNSSplitView.h"
#include "platform/Dispatch.h"

namespace {

bool gAnimationRunning = false;

void setRunning(bool running)
{
    std::lock_guard lock(platform::monitor("mainBundle"));
    gAnimationRunning = running;
}

} // namespace

MySplitViewAnimation::MySplitViewAnimation(QSplitter *view, qint64 index, float from, float to,
                                           float seconds)
    : splitView(view), dividerIndex(index), startPosition(from), endPosition(to)
{
    const int ms = seconds > 0 ? int(std::min(seconds, 3600.0f) * 1000.0f) : 0;
    if (ms > 0) {
        mTimeLine = new QTimeLine(ms, this);
        mTimeLine->setUpdateInterval(33);
        mTimeLine->setEasingCurve(QEasingCurve::InQuad);
        connect(mTimeLine, &QTimeLine::valueChanged, this,
                [this](qreal value) { setCurrentProgress(value); });
        connect(mTimeLine, &QTimeLine::finished, this, [this] { setCurrentProgress(1.0); });
    }
}

MySplitViewAnimation::~MySplitViewAnimation()
{
    // An animation that ended has cleared the flag already; a later one may be running now.
    if (!mDone)
        setRunning(false);
}

void MySplitViewAnimation::setCurrentProgress(double progress)
{
    if (mDone)
        return;
    const double position = startPosition + (endPosition - startPosition) * progress;
    if (splitView) {
        setPositionOfDividerAtIndex(splitView, position, int(dividerIndex));
        if (auto *left = qobject_cast<MySplitViewLeft *>(splitView.data()))
            left->oldPos = float(position);
    }
    if (progress >= 1.0) {
        mDone = true;
        setRunning(false);
        deleteLater();
    }
}

void MySplitViewAnimation::start()
{
    if (mTimeLine)
        mTimeLine->start();
    else
        setCurrentProgress(1.0);
}

bool MySplitViewAnimation::isAnimationRunning()
{
    std::lock_guard lock(platform::monitor("mainBundle"));
    return gAnimationRunning;
}

bool MySplitViewAnimation::setPositionAnimateWithSplitView(QSplitter *view, qint64 index,
                                                           float from, float to, float seconds)
{
    if (!view || isAnimationRunning())
        return false;
    auto *animation = new MySplitViewAnimation(view, index, from, to, seconds);
    // The animation goes with its split view.
    animation->setParent(view);
    setRunning(true);
    animation->start();
    return true;
}
