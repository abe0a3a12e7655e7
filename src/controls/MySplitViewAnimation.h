#pragma once
// Moves a divider of a split view from one position to another, one animation at a time in the
// process.

#include <QObject>
#include <QPointer>
#include <QSplitter>

class QTimeLine;

class MySplitViewAnimation : public QObject
{
    Q_OBJECT
public:
    MySplitViewAnimation(QSplitter *splitView, qint64 dividerIndex, float from, float to,
                         float seconds);
    ~MySplitViewAnimation() override;

    QPointer<QSplitter> splitView;
    qint64 dividerIndex = 0;
    float startPosition = 0;
    float endPosition = 0;

    // Puts the divider at the given share of the way (0..1); at 1 the animation is over.
    void setCurrentProgress(double progress);

    // Starts an animation unless one runs already; false when nothing was started.
    static bool setPositionAnimateWithSplitView(QSplitter *splitView, qint64 dividerIndex,
                                                float from, float to, float seconds);
    static bool isAnimationRunning();

private:
    void start();

    QTimeLine *mTimeLine = nullptr;
    bool mDone = false;
};
