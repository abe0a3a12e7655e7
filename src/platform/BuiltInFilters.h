#pragma once
// The filters the platform itself provides, put into the registry before its first use.

#include "platform/Filter.h"

#include <map>

namespace platform {

std::map<QString, Filter::Factory> builtInFilters();

} // namespace platform
