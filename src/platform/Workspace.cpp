#include "platform/Workspace.h"

#include "platform/LocalPath.h"
#include "platform/Trash.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QUrl>

namespace platform {

namespace {
std::function<bool(const QString &)> gRevealHook;
std::function<bool(const QString &)> gOpenFileHook;
std::function<bool(const QString &)> gTrashHook;

bool existsIncludingLinks(const QString &path)
{
    const LocalPathInfo info(path);
    return info.exists() || info.isSymLink();
}

// A file URL of the path's own bytes: QUrl::fromLocalFile would spell a byte that is not UTF-8
// as U+FFFD and so name another file.
QUrl fileUrl(const QString &path)
{
    return QUrl::fromEncoded("file://" + LocalPath_ToBytes(path).toPercentEncoding("/"),
                             QUrl::StrictMode);
}
} // namespace

void setRevealHook(std::function<bool(const QString &)> hook)
{
    gRevealHook = std::move(hook);
}
void setOpenFileHook(std::function<bool(const QString &)> hook)
{
    gOpenFileHook = std::move(hook);
}
void setTrashHook(std::function<bool(const QString &)> hook)
{
    gTrashHook = std::move(hook);
}

bool revealInFileManager(const QString &path)
{
    if (path.isEmpty() || !existsIncludingLinks(path))
        return false;
    // File managers cannot be asked portably to select an item: open the folder that holds it.
    const QString folder =
        QFileInfo(QDir::cleanPath(QFileInfo(path).absoluteFilePath())).absolutePath();
    if (gRevealHook)
        return gRevealHook(folder);
    return QDesktopServices::openUrl(fileUrl(folder));
}

bool openFile(const QString &path)
{
    if (path.isEmpty() || !LocalPathInfo(path).exists())
        return false;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (gOpenFileHook)
        return gOpenFileHook(absolute);
    return QDesktopServices::openUrl(fileUrl(absolute));
}

bool moveToTrash(const QString &path)
{
    if (path.isEmpty() || !existsIncludingLinks(path))
        return false;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (gTrashHook)
        return gTrashHook(absolute);
    // Not QFile::moveToTrash: where it cannot set up the home trash it lays one out under the
    // working folder, and a plain file standing where its folders should be keeps it trying
    // forever. Ours refuses instead, follows no planted link and uses only this user's folders.
    return MoveItemToTrash(absolute, CurrentUserTrash());
}

bool moveToTrashAt(int folderFd, const QByteArray &name, const QString &shownPath)
{
    if (gTrashHook)
        return gTrashHook(shownPath);
    return MoveItemAtToTrash(folderFd, name, CurrentUserTrash());
}

QIcon iconForFile(const QString &path)
{
    // Made per call: a provider outliving the application would touch a gone GUI at exit.
    QFileIconProvider provider;
    const QFileInfo info(path);
    if (!path.isEmpty() && info.exists())
        return provider.icon(info);
    return provider.icon(QFileIconProvider::File);
}

QIcon iconForFileType(const QString &extension)
{
    if (extension.isEmpty())
        return QIcon();
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QStringLiteral("x.") + extension,
                                                           QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return QIcon();
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
}

} // namespace platform
