#include "compare/CompItem.h"

#include <QStringDecoder>

QString CompItem_DisplayName(const QByteArray &name)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(name);
    if (!decoder.hasError())
        return text;
    // Bytes that are not UTF-8 are shown as \xNN so two such names never look alike.
    QString shown;
    for (qsizetype i = 0; i < name.size();) {
        const uchar c = uchar(name[i]);
        if (c < 0x80) {
            shown += QLatin1Char(char(c));
            ++i;
            continue;
        }
        qsizetype len = (c >= 0xF0) ? 4 : (c >= 0xE0) ? 3 : (c >= 0xC0) ? 2 : 1;
        QStringDecoder one(QStringDecoder::Utf8);
        const QString piece =
            len > 1 && i + len <= name.size() ? one.decode(name.mid(i, len)) : QString();
        if (len > 1 && !one.hasError() && !piece.contains(QChar::ReplacementCharacter)) {
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
