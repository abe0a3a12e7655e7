#pragma once
// Readers log and report every input they refuse; a fuzzer feeds millions of them, so its
// output would drown in those lines. Each target calls this once on entry.
#include "platform/Guard.h"
#include "platform/Log.h"

namespace pelkofuzz {

inline void quiet()
{
    static const bool done = [] {
        platform::setLogSink([](const QString &) {});
        platform::setReportSink([](const QByteArray &) {});
        return true;
    }();
    (void)done;
}

} // namespace pelkofuzz
