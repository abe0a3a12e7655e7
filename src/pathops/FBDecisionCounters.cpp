#include "pathops/FBDecisionCounters.h"

void FBDecisionCounters::reset()
{
    pointOverruledParity = 0;
    undecidedPieces = 0;
    pointsSteppedClear = 0;
    touchesDropped = 0;
    touchOnOneSide = 0;
}

FBDecisionCounters &FBDecision_Counters()
{
    static FBDecisionCounters counters;
    return counters;
}
