#pragma once
// Two outlines that run along each other need not have their joints at the same places: a
// rounded corner drawn as one curve in one and as two half-curves in the other, a bowl of one
// letter whose joints lie elsewhere on its sibling's. The shared stretches are then found only
// piecewise, and the pieces between the joints belong to no stretch. Cutting each curve where a
// joint of the other outline lies on it, with the other's curve running along it there, makes
// shared stretches meet curve for curve whatever the joints.

#include "pathops/FBBezierContour.h"
#include "pathops/FBContourPairs.h"

#include <vector>

// A cut made: the point, the curve cut there and its parameter on that curve.
struct FBJointCut
{
    QPointF point;
    FBBezierCurvePtr curve;
    double t = 0.0;
};

// For each contour of `ours` and of `theirs`, either nullptr (nothing to cut) or a copy of it
// with its curves cut at the other side's joints that lie on them where the two run along each
// other; a copy keeps the original's fill-or-hole mark. `cutOurs` and `cutTheirs` get one entry
// per contour. `pairs` are FBContourPairs_Between(ours, theirs). The cuts made are added to
// `made`.
void FBJointCuts_Cut(const std::vector<FBBezierContourPtr> &ours,
                     const std::vector<FBBezierContourPtr> &theirs,
                     const std::vector<FBContourEdgePair> &pairs,
                     std::vector<FBBezierContourPtr> &cutOurs,
                     std::vector<FBBezierContourPtr> &cutTheirs, std::vector<FBJointCut> &made);

// The contours of an answer with the cuts `made` undone where the answer's outline runs through
// one without turning: two consecutive curves meeting at a cut that both lie on the curve cut
// there become the one piece of that curve between their outer ends. Otherwise each joint of a
// cut the answer kept would pass on to every later operation on it, and a long chain of them
// (outlines united one at a time) would meet ever more tiny pieces. Contours with nothing to
// join are handed back as they are.
std::vector<FBBezierContourPtr> FBJointCuts_Rejoin(const std::vector<FBBezierContourPtr> &contours,
                                                   const std::vector<FBJointCut> &made);

// The parameter of the point of `curve` nearest `point`, searched over the whole curve: closed
// in on by thirds from the best of a few samples, then polished by Newton's steps.
double FBJointCuts_Nearest(const FBBezierCurve &curve, QPointF point);
