#include "pathops/FBDecisionCounters.h"

void FBDecisionCounters::reset()
{
    pointOverruledParity = 0;
    undecidedPieces = 0;
    touchesDropped = 0;
    touchOnOneSide = 0;
    for (auto &count : oddCountRules)
        count = 0;
}

FBDecisionCounters &FBDecision_Counters()
{
    static FBDecisionCounters counters;
    return counters;
}
