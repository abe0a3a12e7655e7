#pragma once
// How often the engine's rarer decisions were taken since start-up, for tests and inspection:
// where a point on a piece of outline overruled the count of crossings along it, where two
// outlines only touched, and which last-resort rule settled an odd number of crossings.
// Process-wide; a test reads them around a combination it runs alone.

#include <array>
#include <atomic>

// The last-resort rules for a pair of contours left crossing an odd number of times, in the
// order they are tried (FBOddCrossings.cpp).
enum class FBOddCountRule {
    AtRunEnd,
    Grazing,
    NearMiss,
    JointsAHairApart,
    GrazingOnRun,
    LeastPrecise,
    ReadByRunEnd,
    AlongBranch,
    TwiceCounted,
    Count
};

struct FBDecisionCounters
{
    // Crossings whose entry mark the point on the piece after them set otherwise than the
    // alternation along the outline would have.
    std::atomic<unsigned long long> pointOverruledParity{0};
    // Pieces on which no point lay clear of the other outline, marked by alternation.
    std::atomic<unsigned long long> undecidedPieces{0};
    // Crossing pairs dropped because the pieces on both sides, on both outlines, lie on one side
    // of the other outline: the outlines only touch there.
    std::atomic<unsigned long long> touchesDropped{0};
    // Crossing pairs that are a touch on one outline and a crossing on the other.
    std::atomic<unsigned long long> touchOnOneSide{0};
    std::array<std::atomic<unsigned long long>, size_t(FBOddCountRule::Count)> oddCountRules{};

    void reset();
};

FBDecisionCounters &FBDecision_Counters();
