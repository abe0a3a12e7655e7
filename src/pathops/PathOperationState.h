#pragma once
// Process-wide state of a running path combination: its start time, whether a worker runs, and
// whether a cancel was asked for; and the check every curve search and graph step makes.

#include <atomic>

// Seconds of the steady clock at which the current combination started; -1.0 (or any value not
// above 0) when none runs, which also lifts the time limit.
extern std::atomic<double> gPathOperationStartTime;
extern std::atomic<bool> gPathOperationBusy;
extern std::atomic<bool> gPathOperationCancel;
// How many pairs of curves were searched for crossings since start-up (for measurements).
extern std::atomic<unsigned long long> gPathCurvePairSearches;

// Seconds since the steady clock's epoch; only differences mean anything.
double PathOperation_CurrentMediaTime();

bool PathOperation_IsCancelRequested();

// How long one combination may run before it gives up.
inline constexpr double PathOperationTimeLimit = 96.0;

// Throws platform::Exception named "cancelled" when a cancel was asked for, or
// "Path operation time out" when the running combination passed its time limit.
void PathOperation_CheckCancelAndTimeLimit();
