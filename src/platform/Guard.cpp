#include "platform/Guard.h"

#include "platform/Log.h"

#include <cstdio>
#include <cxxabi.h>
#include <mutex>

namespace platform {

Exception::Exception(QString name, QString reason)
    : std::runtime_error(QStringLiteral("%1: %2").arg(name, reason).toStdString()),
      mName(std::move(name)), mReason(std::move(reason))
{}

namespace {
std::mutex gSinkMutex;
ReportSink gSink;

void emitReport(const QByteArray &text)
{
    std::lock_guard<std::mutex> lock(gSinkMutex);
    if (gSink) {
        gSink(text);
        return;
    }
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fflush(stdout);
}

QString demangledName(const std::exception &e)
{
    int status = 0;
    const char *raw = typeid(e).name();
    char *name = abi::__cxa_demangle(raw, nullptr, nullptr, &status);
    QString result = QString::fromLatin1(status == 0 && name ? name : raw);
    std::free(name);
    return result;
}
} // namespace

void setReportSink(ReportSink sink)
{
    std::lock_guard<std::mutex> lock(gSinkMutex);
    gSink = std::move(sink);
}

void printReport(const char *kind, const char *file, const char *function, int line)
{
    QByteArray text;
    text += "_\n@@@@@@@@@@@@@@@ " + QByteArray(kind) + " @@@@@@@@@@@@@@@ >>>>>\n";
    text += "File: " + QByteArray(file ? file : "") + " \n";
    text += "Functions: " + QByteArray(function ? function : "") + " \n";
    text += "Line: " + QByteArray::number(line) + " \n";
    text += "@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@ <<<<<<\n_";
    emitReport(text);
}

void reportException(const char *file, const char *function, int line, const std::exception *e)
{
    printReport("EXCEPTION PROBLEM", file, function, line);
    QString name = QStringLiteral("unknown");
    QString reason = QStringLiteral("unknown");
    if (const auto *pe = dynamic_cast<const Exception *>(e)) {
        name = pe->name();
        reason = pe->reason();
    } else if (e) {
        name = demangledName(*e);
        reason = QString::fromUtf8(e->what());
    }
    Log(QStringLiteral("INFO: %1 - %2").arg(name, reason));
}

} // namespace platform
