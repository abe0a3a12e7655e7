#include "services/CompareWindowTitle.h"

#include "platform/LocalPath.h"
#include "services/FileUtility.h"
#include "services/Localization.h"

#include <QDir>
#include <QLocale>

namespace {

QString shownName(const QString &path)
{
    if (path.isEmpty())
        return {};
    // A folder given with a trailing slash still has its own name.
    const QString name = QDir(QDir::cleanPath(path)).dirName();
    return LocalPath_Shown(name.isEmpty() ? path : name);
}

QString byteCountText(const QString &path, qint64 known)
{
    return QLocale().formattedDataSize(known >= 0 ? known : GetFileSize(path), 2,
                                       QLocale::DataSizeSIFormat);
}

} // namespace

QString CompareWindowTitle(const QString &path1, const QString &path2, CompareTitleKind kind,
                           qint64 size1, qint64 size2)
{
    const QString name1 = shownName(path1), name2 = shownName(path2);
    if (name1.isEmpty() && name2.isEmpty())
        return L_(QStringLiteral("Untitled"));
    if (name1.isEmpty() || name2.isEmpty())
        return name1.isEmpty() ? name2 : name1;
    if (name1 != name2 || kind == CompareTitleKind::Folders)
        return FillFormat(L_(QStringLiteral("[%@] and [%@]")), {name1, name2});
    return FillFormat(L_(QStringLiteral("%@[%@] with size: %@ - %@")),
                      {QString(), name1, byteCountText(path1, size1), byteCountText(path2, size2)});
}
