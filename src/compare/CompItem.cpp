#include "compare/CompItem.h"

#include "services/Localization.h"

#include <QStringDecoder>

QString CompItem_DisplayName(const QByteArray &name)
{
    // Stateless: a sequence cut short at the end is an error, not a wait for more bytes.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(name);
    if (!decoder.hasError())
        return text;
    // Bytes that are not UTF-8 are shown as \xNN, and a backslash of the name as \\, so two such
    // names never look alike.
    QString shown;
    for (qsizetype i = 0; i < name.size();) {
        const uchar c = uchar(name[i]);
        if (c < 0x80) {
            shown += c == '\\' ? QStringLiteral("\\\\") : QString(QLatin1Char(char(c)));
            ++i;
            continue;
        }
        qsizetype len = (c >= 0xF0) ? 4 : (c >= 0xE0) ? 3 : (c >= 0xC0) ? 2 : 1;
        // A sequence cut short by the end of the name is escaped byte by byte too.
        const bool whole = len > 1 && i + len <= name.size();
        QStringDecoder one(QStringDecoder::Utf8);
        const QString piece = whole ? one.decode(name.mid(i, len)) : QString();
        if (whole && !one.hasError() && !piece.isEmpty() &&
            !piece.contains(QChar::ReplacementCharacter)) {
            shown += piece;
            i += len;
        } else {
            shown += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
            ++i;
        }
    }
    return shown;
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
