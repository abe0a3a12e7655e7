#include "compare/SuggestSubPathList.h"

#include "platform/Guard.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The names in the folder, unsorted (the listing order), without "." and "..".
QStringList folderNames(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
}

} // namespace

QStringList SuggestSubPathList(const QString &typed)
{
    GUARD_BEGIN
    if (typed.isEmpty())
        return {};
    const QFileInfo typedInfo(typed);
    QString folder, last;
    if (typed.endsWith(QLatin1Char('/')) && typedInfo.isDir()) {
        folder = typed;
    } else if (typedInfo.exists()) {
        return {};
    } else {
        const qsizetype slash = typed.lastIndexOf(QLatin1Char('/'));
        if (slash < 0)
            return {};
        folder = typed.left(slash + 1);
        last = typed.mid(slash + 1);
        if (!QFileInfo(folder).isDir())
            return {};
    }
    const QStringList names = folderNames(folder);
    const QString typedLower = typed.toLower();
    const QString lastLower = last.toLower();
    const QString folderLower = folder.toLower();
    QStringList byPrefix, byName;
    for (const QString &name : names) {
        if (name.isEmpty() || name.compare(QLatin1String(".DS_Store"), Qt::CaseInsensitive) == 0)
            continue;
        const QString lowerName = name.toLower();
        if ((folderLower + lowerName).startsWith(typedLower))
            byPrefix << folder + name;
        else if (lowerName.contains(lastLower))
            byName << folder + name;
    }
    return byPrefix + byName;
    GUARD_END(QStringList())
}
