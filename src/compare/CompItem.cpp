#include "compare/CompItem.h"

#include "platform/LocalPath.h"
#include "services/Localization.h"

#include <QStringDecoder>

QString CompItem_DisplayName(const QByteArray &name)
{
    // As every other text shows a name: bytes that are not UTF-8 as \xNN, controls as escapes.
    return LocalPath_Shown(LocalPath_FromBytes(name));
}

bool CompItem_NameIsText(const QByteArray &name)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(name);
    return !decoder.hasError() && text.toUtf8() == name;
}

QString CompItem_KindName(const COMP_ITEM &item, int side)
{
    switch (side == 1 ? item.kind1 : item.kind2) {
    case Side_File:
        return L_(QStringLiteral("file"));
    case Side_Folder:
        return L_(QStringLiteral("folder"));
    case Side_Link:
        return L_(QStringLiteral("link"));
    case Side_Special:
        switch (side == 1 ? item.special1 : item.special2) {
        case Special_Pipe:
            return L_(QStringLiteral("pipe"));
        case Special_Socket:
            return L_(QStringLiteral("socket"));
        case Special_Device:
            return L_(QStringLiteral("device"));
        default:
            return L_(QStringLiteral("special file"));
        }
    default:
        return {};
    }
}

QString CompItem_UnseenReasonText(qint32 reason, const QByteArray &folderPath)
{
    QString text;
    if (reason == NotJudged_LeftFolderUnreadable)
        text = L_(QStringLiteral("Left folder unreadable: %@"));
    else if (reason == NotJudged_RightFolderUnreadable)
        text = L_(QStringLiteral("Right folder unreadable: %@"));
    else
        return {};
    return text.replace(QStringLiteral("%@"), CompItem_DisplayName(folderPath));
}

QString CompItem_BothUnreadableText(const QByteArray &leftPath, const QByteArray &rightPath)
{
    return FillFormat(L_(QStringLiteral("Left and right folders unreadable: %1$@ and %2$@")),
                      {CompItem_DisplayName(leftPath), CompItem_DisplayName(rightPath)});
}
