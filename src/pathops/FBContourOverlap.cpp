#include "pathops/FBContourOverlap.h"

#include <QStringList>

void FBContourOverlap::addOverlap(const FBBezierIntersectRangePtr &range, FBContourEdge *edge1,
                                  FBContourEdge *edge2)
{
    const FBEdgeOverlapPtr overlap = FBEdgeOverlap::overlapWithRange(range, edge1, edge2);
    bool filed = false;
    if (mRuns.size() == 1) {
        filed = mRuns.front().insertOverlap(overlap);
    } else if (mRuns.size() >= 2) {
        filed = mRuns.back().insertOverlap(overlap) || mRuns.front().insertOverlap(overlap);
    }
    if (!filed) {
        FBEdgeOverlapRun run;
        run.insertOverlap(overlap);
        mRuns.push_back(std::move(run));
    }
    joinRuns();
}

void FBContourOverlap::joinRuns()
{
    // Stretches arrive in the order their edge pairs are tried, not along the contour: a
    // stretch that fits neither end of an existing run starts a new one, and a later stretch
    // may bridge the two. Left apart, each half would be judged alone, and a shared stretch
    // that only turns back (one contour inside the other along three sides) looks like a
    // crossing at the cut between them.
    bool joined = true;
    while (joined && mRuns.size() > 1) {
        joined = false;
        for (size_t i = 0; i < mRuns.size() && !joined; ++i) {
            for (size_t j = 0; j < mRuns.size() && !joined; ++j) {
                if (i != j && mRuns[i].appendRun(mRuns[j])) {
                    mRuns.erase(mRuns.begin() + qsizetype(j));
                    joined = true;
                }
            }
        }
    }
}

bool FBContourOverlap::isComplete() const
{
    return mRuns.size() == 1 && mRuns.front().isComplete();
}

FBBezierContour *FBContourOverlap::contour1() const
{
    return mRuns.empty() ? nullptr : mRuns.front().contour1();
}

FBBezierContour *FBContourOverlap::contour2() const
{
    return mRuns.empty() ? nullptr : mRuns.front().contour2();
}

bool FBContourOverlap::isBetweenContour(const FBBezierContour *a, const FBBezierContour *b) const
{
    const FBBezierContour *c1 = contour1();
    const FBBezierContour *c2 = contour2();
    return (c1 == a && c2 == b) || (c1 == b && c2 == a);
}

QString FBContourOverlap::description() const
{
    QStringList runs;
    for (size_t i = 0; i < mRuns.size(); ++i)
        runs << QStringLiteral("%1: %2").arg(i).arg(mRuns[i].description());
    return QStringLiteral("<FBContourOverlap: runs = (%1)>").arg(runs.join(", "));
}
