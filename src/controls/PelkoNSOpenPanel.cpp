#include "controls/PelkoNSOpenPanel.h"

#include "foundation/PelkoNSMutableArray.h"
#include "platform/Guard.h"
#include "platform/Panels.h"
#include "services/AppInit.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kNoteMinWidth = 400;
constexpr int kNoteMaxWidth = 1900;
constexpr int kNoteWidthWithoutFont = 600;

} // namespace

QList<ChosenPath> ClassifyChosenPaths(const QStringList &paths)
{
    QList<ChosenPath> chosen;
    chosen.reserve(paths.size());
    for (const QString &path : paths) {
        const QFileInfo info(path);
        ChosenPath c{path, ChosenPath::Missing};
        if (!path.isEmpty() && info.exists())
            c.kind = info.isDir() ? ChosenPath::Folder : ChosenPath::File;
        chosen << c;
    }
    return chosen;
}

QString AcceptChosenPaths(const QList<ChosenPath> &chosen, bool allowFolder, bool allowFile,
                          bool allowMulti, QStringList *outPathList)
{
    QString first;
    for (const ChosenPath &c : chosen) {
        if (c.path.isEmpty())
            continue;
        if (c.kind == ChosenPath::Folder && !allowFolder)
            continue;
        if (c.kind == ChosenPath::File && !allowFile)
            continue;
        if (first.isNull())
            first = c.path;
        if (outPathList) {
            addObject_CheckDuplicate(*outPathList, c.path);
            sortUsingSelectorForFileFolderName(*outPathList);
        }
        if (!allowMulti)
            break;
    }
    return first;
}

int ChooserNoteWidth(const QString &title)
{
    // Start-up gives the shared label attributes their colour; before that they do not exist.
    if (!gDrawTextAttr_Black.foreground.isValid())
        return kNoteWidthWithoutFont;
    const double width = QFontMetricsF(gLabelFont).horizontalAdvance(title) * 1.2;
    if (!std::isfinite(width))
        return kNoteMinWidth;
    return int(std::clamp(std::ceil(width), double(kNoteMinWidth), double(kNoteMaxWidth)));
}

QString requestUserToSelectFileFolder(const QString &title, const QString &defaultCurrentFolder,
                                      const QString &openBtnString, bool bAllowFolder,
                                      bool bAllowFile, bool bAllowMulti,
                                      bool treatsFilePackagesAsDirectories,
                                      const QStringList &allowFileTypes, QStringList *outPathList)
{
    Q_UNUSED(treatsFilePackagesAsDirectories);
    GUARD_BEGIN
    if (!bAllowFolder && !bAllowFile) {
        REPORT_FATAL();
        return QString();
    }
    platform::OpenPanelRequest request;
    if (!defaultCurrentFolder.isEmpty() && QFileInfo(defaultCurrentFolder).isDir())
        request.directory = defaultCurrentFolder;
    request.prompt = openBtnString;
    request.allowFiles = bAllowFile;
    request.allowFolders = bAllowFolder;
    request.allowMulti = bAllowMulti;
    request.fileTypes = allowFileTypes;
    request.canCreateFolders = true;
    if (!title.isEmpty()) {
        request.title = title;
        request.note = title;
        request.noteWidth = ChooserNoteWidth(title);
    }
    const QStringList chosen = platform::runOpenPanel(request);
    if (chosen.isEmpty())
        return QString(); // cancelled
    return AcceptChosenPaths(ClassifyChosenPaths(chosen), bAllowFolder, bAllowFile, bAllowMulti,
                             outPathList);
    GUARD_END(QString())
}
