#pragma once
// Diagnostics to the system log (standard error through Qt logging), with the system's own texts
// ("ERROR ...", "*** ..."). Tests may capture the lines.

#include <QString>
#include <functional>

namespace platform {

void Log(const QString &line);

// Replaces where log lines go (nullptr restores Qt logging).
using LogSink = std::function<void(const QString &line)>;
void setLogSink(LogSink sink);

} // namespace platform
