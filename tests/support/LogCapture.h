#pragma once
// Captures log lines and guard reports for the lifetime of the object, and puts the standard
// sinks back when it goes, also when a failed assertion leaves the test early (a sink that
// outlived the test's locals would write into freed memory in the next test).

#include "platform/Guard.h"
#include "platform/Log.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pelkotest {

class LogCapture
{
public:
    LogCapture()
    {
        platform::setLogSink([this](const QString &line) { mLines << line; });
        platform::setReportSink([this](const QByteArray &text) { mReports += text; });
    }
    ~LogCapture()
    {
        platform::setLogSink(nullptr);
        platform::setReportSink(nullptr);
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    const QStringList &lines() const { return mLines; }
    const QByteArray &reports() const { return mReports; }
    // Number of report blocks printed (each ends with the closing line of a report).
    int reportCount() const { return int(mReports.count("<<<<<<")); }
    bool hasFatalReport() const { return mReports.contains("FATAL_ERROR DOWN HERE"); }
    bool hasExceptionReport() const { return mReports.contains("EXCEPTION PROBLEM"); }
    bool logged(const QString &text) const
    {
        for (const QString &line : mLines) {
            if (line.contains(text))
                return true;
        }
        return false;
    }
    void clear()
    {
        mLines.clear();
        mReports.clear();
    }

private:
    QStringList mLines;
    QByteArray mReports;
};

} // namespace pelkotest
