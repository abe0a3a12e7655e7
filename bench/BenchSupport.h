#pragma once
// What the benchmarks of windows share: the offscreen platform unless another is asked for, and
// for those that open text windows, default settings, a support folder of their own, no help
// alerts (nobody answers them) and a folder for the inputs they generate.

#include "controls/LiveHelpDialog.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"

#include <QString>
#include <QTemporaryDir>

// Before the application object is made.
inline void UseOffscreenUnlessAsked()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Settings, support folder (inside dir) and quiet help; false when the folder cannot be made.
inline bool PrepareTextWindowBench(const QTemporaryDir &dir)
{
    if (!dir.isValid() || !PrepareSupportFolder(dir.path() + QStringLiteral("/support")))
        return false;
    AppSetting_SetDefault(&gAppSetting);
    LiveHelpDialog::setQuietInThisProcess(true);
    return true;
}

// Where generated inputs go: PELKO_BENCH_DATA_DIR keeps them there, for other tools to open.
inline QString BenchDataDir(const QTemporaryDir &dir)
{
    return qEnvironmentVariableIsEmpty("PELKO_BENCH_DATA_DIR")
               ? dir.path()
               : qEnvironmentVariable("PELKO_BENCH_DATA_DIR");
}
