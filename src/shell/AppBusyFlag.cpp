#include "shell/AppBusyFlag.h"

#include <atomic>

namespace {
std::atomic<bool> gAppBusyFlag{false};
}

bool GetAppBusyFlag()
{
    return gAppBusyFlag.load();
}

void SetAppBusyFlag(bool busy)
{
    gAppBusyFlag.store(busy);
}
