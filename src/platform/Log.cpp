#include "platform/Log.h"

#include <mutex>

Q_LOGGING_CATEGORY(lcPlatform, "pelko.platform", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFoundation, "pelko.foundation", QtWarningMsg)
Q_LOGGING_CATEGORY(lcServices, "pelko.services", QtWarningMsg)
Q_LOGGING_CATEGORY(lcGraphics, "pelko.graphics", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPathops, "pelko.pathops", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLayers, "pelko.layers", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCompare, "pelko.compare", QtWarningMsg)
Q_LOGGING_CATEGORY(lcControls, "pelko.controls", QtWarningMsg)
Q_LOGGING_CATEGORY(lcThemes, "pelko.themes", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTextcompare, "pelko.textcompare", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFoldercompare, "pelko.foldercompare", QtWarningMsg)
Q_LOGGING_CATEGORY(lcShell, "pelko.shell", QtWarningMsg)

namespace platform {

namespace {

std::mutex gLogMutex;
LogSink gLogSink;

Q_LOGGING_CATEGORY(lcUnsorted, "pelko", QtWarningMsg)

// True when a test's sink took the line.
bool sentToSink(const QString &line)
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    if (!gLogSink)
        return false;
    gLogSink(line);
    return true;
}

} // namespace

void Log(LogCategory category, const QString &line)
{
    if (!sentToSink(line))
        qCInfo(category).noquote() << line;
}

void LogWarning(LogCategory category, const QString &line)
{
    if (!sentToSink(line))
        qCWarning(category).noquote() << line;
}

void Log(const QString &line)
{
    Log(lcUnsorted, line);
}

void setLogSink(LogSink sink)
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    gLogSink = std::move(sink);
}

} // namespace platform
