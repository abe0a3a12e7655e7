#include "platform/Log.h"

#include <QDebug>
#include <mutex>

namespace platform {

namespace {
std::mutex gLogMutex;
LogSink gLogSink;
} // namespace

void Log(const QString &line)
{
    {
        std::lock_guard<std::mutex> lock(gLogMutex);
        if (gLogSink) {
            gLogSink(line);
            return;
        }
    }
    qInfo().noquote() << line;
}

void setLogSink(LogSink sink)
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    gLogSink = std::move(sink);
}

} // namespace platform
