#pragma once
// How often the engine's rarer decisions were taken since start-up, for tests and inspection:
// where a point on a piece of outline overruled the count of crossings along it, and where two
// outlines only touched. Process-wide; a test reads them around a combination it runs alone.

#include <atomic>

struct FBDecisionCounters
{
    // Crossings whose entry mark the point on the piece after them set otherwise than the
    // alternation along the outline would have.
    std::atomic<unsigned long long> pointOverruledParity{0};
    // Pieces on which no point lay clear of the other outline, marked by alternation.
    std::atomic<unsigned long long> undecidedPieces{0};
    // Points (of pieces, or of contours no containment ray judged) read from a point stepped
    // clear of the other outline, every ray from the point itself passing a joint too near.
    std::atomic<unsigned long long> pointsSteppedClear{0};
    // Crossing pairs dropped because the pieces on both sides, on both outlines, lie on one side
    // of the other outline: the outlines only touch there.
    std::atomic<unsigned long long> touchesDropped{0};
    // Crossing pairs that are a touch on one outline and a crossing on the other.
    std::atomic<unsigned long long> touchOnOneSide{0};

    void reset();
};

FBDecisionCounters &FBDecision_Counters();
