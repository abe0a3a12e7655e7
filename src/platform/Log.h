#pragma once
// Diagnostics with the system's own texts ("ERROR ...", "*** ..."), each in its area's logging
// category. Through Qt logging to standard error, where information is off by default and
// warnings are on; QT_LOGGING_RULES="pelko.*.info=true" turns every area's information on.
// Tests may capture the lines, whatever the categories let through.

#include <QLoggingCategory>
#include <QString>
#include <functional>

// One category per area, named "pelko.<area>".
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcFoundation)
Q_DECLARE_LOGGING_CATEGORY(lcServices)
Q_DECLARE_LOGGING_CATEGORY(lcGraphics)
Q_DECLARE_LOGGING_CATEGORY(lcPathops)
Q_DECLARE_LOGGING_CATEGORY(lcLayers)
Q_DECLARE_LOGGING_CATEGORY(lcCompare)
Q_DECLARE_LOGGING_CATEGORY(lcControls)
Q_DECLARE_LOGGING_CATEGORY(lcThemes)
Q_DECLARE_LOGGING_CATEGORY(lcTextcompare)
Q_DECLARE_LOGGING_CATEGORY(lcFoldercompare)
Q_DECLARE_LOGGING_CATEGORY(lcShell)

namespace platform {

// A category as Q_DECLARE_LOGGING_CATEGORY declares it (lcServices, ...).
using LogCategory = const QLoggingCategory &(*)();

// A line of information: shown only when its category's information is turned on.
void Log(LogCategory category, const QString &line);
// A fault a user or an operator must see: shown unless its category's warnings are turned off.
void LogWarning(LogCategory category, const QString &line);
// A line of code not yet given its area's category ("pelko", information).
void Log(const QString &line);

// Replaces where log lines go (nullptr restores Qt logging).
using LogSink = std::function<void(const QString &line)>;
void setLogSink(LogSink sink);

} // namespace platform
