#include "controls/TokenFilterLists.h"

#include "controls/TokenField.h"
#include "foundation/PelkoNSTokenField.h"
#include "platform/Guard.h"

namespace {

bool isMatchAll(const QString &token, bool regularExpressions)
{
    static const QStringList plain = {QStringLiteral("*"), QStringLiteral("*.*"),
                                      QStringLiteral(".*")};
    static const QStringList regex = {QStringLiteral(".*"), QStringLiteral("(.*?)")};
    return (regularExpressions ? regex : plain).contains(token, Qt::CaseInsensitive);
}

} // namespace

QStringList GenExtensionListFrom_NSTokenField(const TokenField *field, bool splitLists,
                                              bool regularExpressions, bool *outHasNone,
                                              bool *outHasAll)
{
    if (outHasNone)
        *outHasNone = false;
    if (outHasAll)
        *outHasAll = false;
    GUARD_BEGIN
    QStringList result;
    if (!field)
        return result;
    // Letter case is part of a regular expression ("\S" is not "\s"): those are only trimmed.
    const QStringList tokens = regularExpressions
                                   ? getValueStringsArray_Trim(field->objectValue())
                                   : getValueStringsArray_Trim_Lower(field->objectValue());
    for (QString token : tokens) {
        if (!regularExpressions) {
            token = token.trimmed();
            if (token.isEmpty())
                continue;
        }
        if (isMatchAll(token, regularExpressions)) {
            if (outHasAll)
                *outHasAll = true;
            result << token;
        } else if (token.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
            if (outHasNone)
                *outHasNone = true;
            result << token;
        } else if (splitLists && !regularExpressions) {
            QString joined = token;
            joined.replace(QLatin1Char('\t'), QLatin1Char(';'));
            joined.replace(QLatin1Char(','), QLatin1Char(';'));
            const QStringList parts = joined.split(QLatin1Char(';'));
            if (joined.contains(QLatin1Char(';')) && !parts.isEmpty()) {
                for (const QString &part : parts) {
                    const QString trimmed = part.trimmed();
                    if (!trimmed.isEmpty())
                        result << trimmed.toLower();
                }
            } else {
                result << token;
            }
        } else {
            result << token;
        }
    }
    return result;
    GUARD_END(QStringList())
}

QString Get_Same_String_In_Two_NSTokenField(const TokenField *a, const TokenField *b,
                                            const QString &separator)
{
    GUARD_BEGIN
    const QString sep = separator.isEmpty() ? QStringLiteral("\n") : separator;
    if (!a || !b) {
        REPORT_FATAL();
        return QString();
    }
    const QStringList tokensA = getValueStringsArray_Trim_Lower(a->objectValue());
    const QStringList tokensB = getValueStringsArray_Trim_Lower(b->objectValue());
    QString common;
    for (const QString &token : tokensA) {
        if (tokensB.contains(token, Qt::CaseInsensitive))
            common += sep + token;
    }
    return common.isEmpty() ? QString() : common;
    GUARD_END(QString())
}
