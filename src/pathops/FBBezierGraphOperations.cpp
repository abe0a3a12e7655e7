// Union, intersection, difference and exclusive or of two graphs.

#include "pathops/FBBezierGraph.h"
#include "pathops/FBContourSlits.h"
#include "pathops/FBCurvePoints.h"
#include "pathops/FBDecisionCounters.h"
#include "pathops/FBJointCuts.h"
#include "pathops/PathOperationState.h"
#include "pathops/FBTolerances.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <unordered_set>

FBBezierGraph FBBezierGraph::unionWithBezierGraph(FBBezierGraph &graph)
{
    return combine(graph, Operation::Union);
}

FBBezierGraph FBBezierGraph::intersectWithBezierGraph(FBBezierGraph &graph)
{
    return combine(graph, Operation::Intersect);
}

FBBezierGraph FBBezierGraph::differenceWithBezierGraph(FBBezierGraph &graph)
{
    return combine(graph, Operation::Difference);
}

FBBezierGraph FBBezierGraph::xorWithBezierGraph(FBBezierGraph &graph)
{
    return combine(graph, Operation::Xor);
}

FBBezierGraph FBBezierGraph::combine(FBBezierGraph &theirs, Operation operation)
{
    if (operation == Operation::Union || operation == Operation::Xor)
        PathOperation_CheckCancelAndTimeLimit();
    // Both graphs work on copies cut at each other's joints where their outlines run along each
    // other; the contours are put back however the operation ends.
    std::vector<FBBezierContourPtr> ourCuts, theirCuts;
    std::vector<FBJointCut> cutsMade;
    const std::vector<FBContourEdgePair> pairs =
        FBContourPairs_Between(mContours, theirs.mContours);
    FBJointCuts_Cut(mContours, theirs.mContours, pairs, ourCuts, theirCuts, cutsMade);
    struct PutBack
    {
        FBBezierGraph &graph;
        SavedContours saved;
        bool replaced = false;
        PutBack(FBBezierGraph &g, const std::vector<FBBezierContourPtr> &cuts) : graph(g)
        {
            replaced = graph.replaceContours(cuts, saved);
        }
        PutBack(const PutBack &) = delete;
        PutBack &operator=(const PutBack &) = delete;
        ~PutBack()
        {
            if (replaced)
                graph.restoreContours(saved);
        }
    };
    const PutBack putBackOurs(*this, ourCuts);
    const PutBack putBackTheirs(theirs, theirCuts);
    // The pairs found before the cuts hold while no contour was replaced.
    insertCrossingsWithBezierGraph(theirs, putBackOurs.replaced || putBackTheirs.replaced ? nullptr
                                                                                          : &pairs);
    insertSelfCrossings();
    theirs.insertSelfCrossings();

    // The exclusive or is traced as our difference first.
    const bool markOursInside = operation == Operation::Intersect;
    const bool markTheirsInside = operation != Operation::Union;
    // What the answer holds, from a point's place in ours and in theirs, for pieces of ours or
    // theirs that run along the other's outline all their length. The exclusive or is traced as
    // our difference, and then turned over.
    bool (*ourResult)(bool, bool) = nullptr;
    bool (*theirResult)(bool, bool) = nullptr;
    switch (operation) {
    case Operation::Union:
        ourResult = theirResult = [](bool self, bool other) { return self || other; };
        break;
    case Operation::Intersect:
        ourResult = theirResult = [](bool self, bool other) { return self && other; };
        break;
    case Operation::Difference:
    case Operation::Xor:
        ourResult = [](bool self, bool other) { return self && !other; };
        theirResult = [](bool self, bool other) { return other && !self; };
        break;
    }
    markCrossingsOfBothGraphs(theirs, markOursInside, markTheirsInside, {ourResult, true},
                              {theirResult, false});
    removeSelfCrossings();
    theirs.removeSelfCrossings();

    FBBezierGraph result = bezierGraphFromIntersections();
    if (operation == Operation::Xor) {
        // Then as theirs, from the same crossings marked the other way round. The two parts
        // share no region, so under the even-odd rule their outlines together bound the
        // exclusive or: every piece of both outlines is used once, and no step combines
        // outlines derived from both operands. Those of a copy moved by a hair (its union and
        // intersection) touch where the copies cross with all four branches nearly one line,
        // and a touch like that reads as a crossing.
        turnCrossingsOver();
        theirs.turnCrossingsOver();
        const FBBezierGraph theirParts = bezierGraphFromIntersections();
        for (const FBBezierContourPtr &contour : theirParts.contours())
            result.addContour(contour);
    }
    std::vector<FBBezierContourPtr> ourList = nonintersectingContours();
    std::vector<FBBezierContourPtr> theirList = theirs.nonintersectingContours();
    std::vector<FBBezierContourPtr> finalList;
    // Gathered and dropped at once: removing one by one costs the whole list each time.
    std::unordered_set<const FBBezierContour *> removed;
    auto removeFromFinal = [&removed](const FBBezierContourPtr &contour) {
        removed.insert(contour.get());
    };
    switch (operation) {
    case Operation::Union:
        finalList = ourList;
        finalList.insert(finalList.end(), theirList.begin(), theirList.end());
        unionEquivalentNonintersectingContours(ourList, theirList, finalList);
        for (const FBBezierContourPtr &contour : ourList) {
            if (theirs.containsContour(contour.get()))
                removeFromFinal(contour);
        }
        for (const FBBezierContourPtr &contour : theirList) {
            if (containsContour(contour.get()))
                removeFromFinal(contour);
        }
        break;
    case Operation::Intersect:
        finalList.reserve(ourList.size() + theirList.size());
        intersectEquivalentNonintersectingContours(ourList, theirList, finalList);
        for (const FBBezierContourPtr &contour : ourList) {
            if (theirs.containsContour(contour.get()))
                finalList.push_back(contour);
        }
        for (const FBBezierContourPtr &contour : theirList) {
            if (containsContour(contour.get()))
                finalList.push_back(contour);
        }
        break;
    case Operation::Xor:
        // Every outline crossing nothing bounds one side of it in one operand only, except one
        // both operands have.
        finalList = ourList;
        finalList.insert(finalList.end(), theirList.begin(), theirList.end());
        xorEquivalentNonintersectingContours(ourList, theirList, finalList);
        break;
    case Operation::Difference:
        finalList.reserve(ourList.size() + theirList.size());
        differenceEquivalentNonintersectingContours(ourList, theirList, finalList);
        for (const FBBezierContourPtr &contour : ourList) {
            if (!theirs.containsContour(contour.get()))
                finalList.push_back(contour);
        }
        for (const FBBezierContourPtr &contour : theirList) {
            if (containsContour(contour.get()))
                finalList.push_back(contour);
        }
        break;
    }
    if (!removed.empty()) {
        std::erase_if(finalList, [&removed](const FBBezierContourPtr &contour) {
            return removed.contains(contour.get());
        });
    }
    // Where the traced outlines and those passed through whole run along one side both ways,
    // they are joined there: a later ray along or beside that side could not tell hole from fill.
    std::vector<FBBezierContourPtr> all = result.contours();
    all.insert(all.end(), finalList.begin(), finalList.end());
    result = FBBezierGraph();
    // The answer runs through the joints the cuts made whole wherever it keeps both sides.
    for (const FBBezierContourPtr &contour :
         FBJointCuts_Rejoin(contoursWithoutSharedSides(all), cutsMade))
        result.addContour(contour);

    removeCrossings();
    theirs.removeCrossings();
    removeOverlaps();
    theirs.removeOverlaps();
    return result;
}

bool FBBezierGraph::replaceContours(const std::vector<FBBezierContourPtr> &cuts,
                                    SavedContours &saved)
{
    if (std::none_of(cuts.begin(), cuts.end(), [](const FBBezierContourPtr &c) { return !!c; }))
        return false;
    saved.contours = mContours;
    saved.pairsWithin.swap(mPairsWithin);
    for (size_t i = 0; i < cuts.size() && i < mContours.size(); ++i) {
        if (cuts[i])
            mContours[i] = cuts[i];
    }
    mBounds = QRectF();
    mRows.reset();
    mColumns.reset();
    mPairsWithin.reset();
    return true;
}

void FBBezierGraph::restoreContours(SavedContours &saved)
{
    mContours.swap(saved.contours);
    mPairsWithin.swap(saved.pairsWithin);
    mBounds = QRectF();
    mRows.reset();
    mColumns.reset();
}

void FBBezierGraph::markCrossingsAsEntryOrExitWithBezierGraph(FBBezierGraph &otherGraph,
                                                              bool markInside, FBAlongRule along)
{
    (void)otherGraph;
    // What each crossed contour meets within its own graph, and its parity outside those, asked
    // once for all that cross it.
    std::unordered_map<const FBBezierContour *, std::pair<std::vector<FBBezierContour *>, bool>>
        selfIntersecting;
    for (const FBBezierContourPtr &contour : mContours) {
        PathOperation_CheckCancelAndTimeLimit();
        const std::vector<FBBezierContour *> others = contour->intersectingContours();
        // A contour crossing many others (one square across thousands of rings) is walked once.
        std::optional<FBBezierContour::CrossingWalk> walk;
        if (others.size() > 1)
            walk = contour->crossingWalk();
        for (FBBezierContour *other : others) {
            PathOperation_CheckCancelAndTimeLimit();
            auto known = selfIntersecting.find(other);
            if (known == selfIntersecting.end()) {
                std::vector<FBBezierContour *> counted = other->selfIntersectingContours();
                std::vector<const FBBezierContour *> all(counted.begin(), counted.end());
                all.push_back(other);
                const bool parity = other->parityOutside(all);
                known = selfIntersecting.emplace(other, std::make_pair(std::move(counted), parity))
                            .first;
            }
            // Entering a hole is leaving the region.
            const bool mark = known->second.second ? !markInside : markInside;
            contour->markCrossingsAsEntryOrExitWithContour(other, mark, walk ? &*walk : nullptr,
                                                           &known->second.first, along);
        }
    }
}

void FBBezierGraph::markCrossingsOfBothGraphs(FBBezierGraph &theirs, bool markOursInside,
                                              bool markTheirsInside, FBAlongRule alongOurs,
                                              FBAlongRule alongTheirs)
{
    markCrossingsAsEntryOrExitWithBezierGraph(theirs, markOursInside, alongOurs);
    theirs.markCrossingsAsEntryOrExitWithBezierGraph(*this, markTheirsInside, alongTheirs);
    removeTouchingCrossings();
}

void FBBezierGraph::removeTouchingCrossings()
{
    for (const FBBezierContourPtr &contour : mContours) {
        for (const auto &edge : contour->edges()) {
            const std::vector<FBEdgeCrossingPtr> crossings = edge->crossings();
            for (const FBEdgeCrossingPtr &crossing : crossings) {
                FBEdgeCrossing *counterpart = crossing->counterpart();
                if (crossing->isSelfCrossing() || !counterpart || !counterpart->edge())
                    continue;
                if (crossing->isTouch() && counterpart->isTouch()) {
                    ++FBDecision_Counters().touchesDropped;
                    counterpart->removeFromEdge();
                    crossing->removeFromEdge();
                } else if (crossing->isTouch() || counterpart->isTouch()) {
                    ++FBDecision_Counters().touchOnOneSide;
                }
            }
        }
    }
}

FBBezierGraph FBBezierGraph::bezierGraphFromIntersections()
{
    FBBezierGraph result;
    // Crossings only ever become processed, so the search for the next unprocessed one goes on
    // from where the last ended instead of from the first contour.
    size_t contourIndex = 0;
    size_t edgeIndex = 0;
    auto nextUnprocessed = [this, &contourIndex, &edgeIndex]() -> FBEdgeCrossing * {
        for (; contourIndex < mContours.size(); ++contourIndex, edgeIndex = 0) {
            const auto &edges = mContours[contourIndex]->edges();
            for (; edgeIndex < edges.size(); ++edgeIndex) {
                for (const FBEdgeCrossingPtr &crossing : edges[edgeIndex]->crossings()) {
                    if (!crossing->isProcessed())
                        return crossing.get();
                }
            }
        }
        return nullptr;
    };
    FBEdgeCrossing *crossing = nextUnprocessed();
    while (crossing) {
        PathOperation_CheckCancelAndTimeLimit();
        const auto contour = std::make_shared<FBBezierContour>();
        result.addContour(contour);
        do {
            crossing->setProcessed(true);
            // The pieces from this crossing to the next one start and end at the crossings'
            // meeting points, which the other graph's pieces share: the contour closes exactly.
            FBEdgeCrossing *from = crossing;
            const size_t firstEdge = contour->edges().size();
            if (crossing->isEntry()) {
                contour->addCurveFrom(crossing, crossing->next());
                if (!crossing->next()) {
                    // Whole edges up to the next edge that has crossings.
                    FBContourEdge *edge = crossing->edge()->next();
                    while (edge->crossings().empty()) {
                        contour->addCurve(edge->curve());
                        edge = edge->next();
                    }
                    crossing = edge->firstCrossing();
                    contour->addCurveFrom(nullptr, crossing);
                } else {
                    crossing = crossing->next();
                }
            } else {
                contour->addReverseCurveFrom(crossing->previous(), crossing);
                if (!crossing->previous()) {
                    FBContourEdge *edge = crossing->edge()->previous();
                    while (edge->crossings().empty()) {
                        contour->addReverseCurve(edge->curve());
                        edge = edge->previous();
                    }
                    crossing = edge->lastCrossing();
                    contour->addReverseCurveFrom(crossing, nullptr);
                } else {
                    crossing = crossing->previous();
                }
            }
            contour->joinEdgesFrom(firstEdge, from->intersection()->meetingPoint(),
                                   crossing->intersection()->meetingPoint());
            crossing->setProcessed(true);
            crossing = crossing->counterpart();
        } while (crossing && !crossing->isProcessed());
        crossing = nextUnprocessed();
    }
    return result;
}

void FBBezierGraph::turnCrossingsOver()
{
    for (const FBBezierContourPtr &contour : mContours) {
        for (const auto &edge : contour->edges()) {
            for (const FBEdgeCrossingPtr &crossing : edge->crossings()) {
                crossing->setEntry(!crossing->isEntry());
                crossing->setProcessed(false);
            }
        }
    }
}

FBEdgeCrossing *FBBezierGraph::firstUnprocessedCrossing() const
{
    for (const FBBezierContourPtr &contour : mContours) {
        for (const auto &edge : contour->edges()) {
            for (const FBEdgeCrossingPtr &crossing : edge->crossings()) {
                if (!crossing->isProcessed())
                    return crossing.get();
            }
        }
    }
    return nullptr;
}

std::vector<FBBezierContourPtr> FBBezierGraph::nonintersectingContours() const
{
    std::vector<FBBezierContourPtr> contours;
    for (const FBBezierContourPtr &contour : mContours) {
        if (contour->intersectingContours().empty())
            contours.push_back(contour);
    }
    return contours;
}

namespace {

// Walks our contours; for each, the first of theirs that is the same outline (isSameOutline) is
// handed to `act`, then both leave their lists.
template <typename Act>
void pairEquivalentContours(std::vector<FBBezierContourPtr> &ourContours,
                            std::vector<FBBezierContourPtr> &theirContours, Act act)
{
    size_t ourIndex = 0;
    while (ourIndex < ourContours.size()) {
        const FBBezierContourPtr ours = ourContours[ourIndex];
        const auto theirs = std::find_if(
            theirContours.begin(), theirContours.end(),
            [&ours](const FBBezierContourPtr &c) { return ours->isSameOutline(c.get()); });
        if (theirs == theirContours.end()) {
            ++ourIndex;
            continue;
        }
        act(ours, *theirs);
        theirContours.erase(theirs);
        ourContours.erase(ourContours.begin() + qsizetype(ourIndex));
    }
}

} // namespace

void FBBezierGraph::unionEquivalentNonintersectingContours(
    std::vector<FBBezierContourPtr> &ourContours, std::vector<FBBezierContourPtr> &theirContours,
    std::vector<FBBezierContourPtr> &results) const
{
    pairEquivalentContours(
        ourContours, theirContours,
        [&results](const FBBezierContourPtr &ours, const FBBezierContourPtr &theirs) {
            std::erase(results, theirs);
            // A fill and a hole of one outline cancel.
            if (ours->inside() != theirs->inside())
                std::erase(results, ours);
        });
}

void FBBezierGraph::intersectEquivalentNonintersectingContours(
    std::vector<FBBezierContourPtr> &ourContours, std::vector<FBBezierContourPtr> &theirContours,
    std::vector<FBBezierContourPtr> &results) const
{
    // Where one is a fill and the other a hole, the two regions lie on opposite sides of the
    // outline and have nothing near it in common.
    pairEquivalentContours(
        ourContours, theirContours,
        [&results](const FBBezierContourPtr &ours, const FBBezierContourPtr &theirs) {
            if (ours->inside() == theirs->inside())
                results.push_back(ours);
        });
}

void FBBezierGraph::differenceEquivalentNonintersectingContours(
    std::vector<FBBezierContourPtr> &ourContours, std::vector<FBBezierContourPtr> &theirContours,
    std::vector<FBBezierContourPtr> &results) const
{
    // Two fills or two holes of one outline leave nothing of ours beside it.
    pairEquivalentContours(
        ourContours, theirContours,
        [&results](const FBBezierContourPtr &ours, const FBBezierContourPtr &theirs) {
            if (ours->inside() != theirs->inside())
                results.push_back(ours);
        });
}

void FBBezierGraph::xorEquivalentNonintersectingContours(
    std::vector<FBBezierContourPtr> &ourContours, std::vector<FBBezierContourPtr> &theirContours,
    std::vector<FBBezierContourPtr> &results) const
{
    // Across an outline both operands have, both regions change, so the exclusive or does not.
    pairEquivalentContours(
        ourContours, theirContours,
        [&results](const FBBezierContourPtr &ours, const FBBezierContourPtr &theirs) {
            std::erase(results, ours);
            std::erase(results, theirs);
        });
}
