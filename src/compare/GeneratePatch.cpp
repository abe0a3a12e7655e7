#include "compare/GeneratePatch.h"

#include "compare/Export_GenegatePatch_SettingView.h"
#include "compare/PatchDiffRunner.h"
#include "platform/Guard.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/Panels.h"
#include "services/FileUtility.h"
#include "services/Localization.h"

#include <QDateTime>

bool GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(
    const QString &file1, const QString &file2, Export_GenegatePatch_SettingView *view,
    const PatchWriteRunner &runner)
{
    GUARD_BEGIN
    // Only regular files: diff would wait on a FIFO or a device while the window is frozen.
    if (!LocalPathInfo(file1).isFile() || !LocalPathInfo(file2).isFile() || !view)
        return false;
    view->setOneFileOptionHidden(true);
    platform::SavePanelRequest request;
    request.title = L_(QStringLiteral("Generate Patch"));
    request.nameField =
        QStringLiteral("Patch_%1.txt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")));
    request.fileTypes = {QStringLiteral("txt")};
    request.accessory = view;
    const QString path = platform::runSavePanel(request);
    view->storeOptions();
    if (path.isEmpty())
        return true;
    const PatchDiffOptions options = view->options();
    QString error;
    bool written = false;
    const auto write = [&](const PatchCancelCheck &cancelled) {
        written = WriteTwoFilePatch(file1, file2, options, path, &error, cancelled);
    };
    bool userCancelled = false;
    if (runner)
        userCancelled = runner(write);
    else
        write({});
    if (userCancelled && !written)
        return true;
    if (!written) {
        platform::LogWarning(lcCompare, QStringLiteral("Generate patch failed: ") + error);
        return false;
    }
    if (!IsFileExist(path))
        return false;
    RevealFileFolderInFinder(path);
    return true;
    GUARD_END(false)
}
