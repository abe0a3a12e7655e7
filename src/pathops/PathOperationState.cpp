#include "pathops/PathOperationState.h"

#include "platform/Guard.h"
#include "platform/Log.h"

#include <chrono>

std::atomic<double> gPathOperationStartTime{-1.0};
std::atomic<bool> gPathOperationBusy{false};
std::atomic<bool> gPathOperationCancel{false};
std::atomic<unsigned long long> gPathCurvePairSearches{0};

double PathOperation_CurrentMediaTime()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
}

bool PathOperation_IsCancelRequested()
{
    return gPathOperationCancel.load();
}

void PathOperation_CheckCancelAndTimeLimit()
{
    if (PathOperation_IsCancelRequested()) {
        platform::Log(QStringLiteral(" **** user cancel *******"));
        throw platform::Exception(QStringLiteral("cancelled"), QStringLiteral("timeout"));
    }
    const double start = gPathOperationStartTime.load();
    if (start > 0 && PathOperation_CurrentMediaTime() - start > PathOperationTimeLimit) {
        platform::Log(QStringLiteral(" **** path operation timeout *******"));
        throw platform::Exception(QStringLiteral("Path operation time out"),
                                  QStringLiteral("timeout"));
    }
}
