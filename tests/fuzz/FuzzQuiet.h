#pragma once
// Readers log and report every input they refuse; a fuzzer feeds millions of them, so its
// output would drown in those lines. Each target calls quiet() once on entry: log lines are
// dropped from then on. An exception that one of the application's guards catches is no refusal
// but a fault the guard hid: the target prints the guard's report and the exception and stops,
// so that the fuzzer keeps the input. The path operations' cancel and time limit are the only
// exceptions that are answers (isExpectedException).
#include "platform/Guard.h"
#include "platform/Log.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace pelkofuzz {

// The names of the exceptions a guard may catch in the normal course: a path combination that
// was cancelled or ran out of time.
inline bool isExpectedException(const QString &name)
{
    return name == QLatin1String("cancelled") || name == QLatin1String("Path operation time out");
}

namespace detail {

// The guard's report waits on its thread for the log line that names the exception: the guard
// prints the report and then logs "INFO: <name> - <reason>".
inline thread_local QByteArray tPendingReport;

inline void onReport(const QByteArray &text)
{
    if (text.contains("EXCEPTION PROBLEM"))
        tPendingReport = text;
}

inline void onLogLine(const QString &line)
{
    if (tPendingReport.isEmpty())
        return;
    const QByteArray report = std::exchange(tPendingReport, QByteArray());
    static const QString kPrefix = QStringLiteral("INFO: ");
    const qsizetype dash = line.indexOf(QLatin1String(" - "));
    const QString name = line.startsWith(kPrefix) && dash > 0
                             ? line.mid(kPrefix.size(), dash - kPrefix.size())
                             : QString();
    if (!name.isEmpty() && isExpectedException(name))
        return;
    std::fprintf(stderr, "a guard caught an exception:\n%s\n%s\n", report.constData(),
                 line.toLocal8Bit().constData());
    std::abort();
}

} // namespace detail

inline void quiet()
{
    static const bool done = [] {
        platform::setLogSink([](const QString &line) { detail::onLogLine(line); });
        platform::setReportSink([](const QByteArray &text) { detail::onReport(text); });
        return true;
    }();
    (void)done;
}

} // namespace pelkofuzz
