// Display names of interface languages.
#include "services/Localization.h"

#include <QHash>
#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace {

QString fromIcu(const icu::UnicodeString &s)
{
    return QString(reinterpret_cast<const QChar *>(s.getBuffer()), s.length());
}

QString capitalised(const QString &s)
{
    if (s.isEmpty())
        return s;
    return s.left(1).toUpper() + s.mid(1);
}

// Names for codes the locale data may not know.
const QHash<QString, QString> &englishNames()
{
    static const QHash<QString, QString> names = {
        {"ar", "Arabic"},
        {"bg", "Bulgarian"},
        {"ca", "Catalan"},
        {"cs", "Czech"},
        {"da", "Danish"},
        {"de", "German"},
        {"el", "Greek"},
        {"en", "English"},
        {"es", "Spanish"},
        {"et", "Estonian"},
        {"fa", "Persian"},
        {"fi", "Finnish"},
        {"fr", "French"},
        {"he", "Hebrew"},
        {"hi", "Hindi"},
        {"hr", "Croatian"},
        {"hu", "Hungarian"},
        {"id", "Indonesian"},
        {"is", "Icelandic"},
        {"it", "Italian"},
        {"ja", "Japanese"},
        {"ko", "Korean"},
        {"lt", "Lithuanian"},
        {"lv", "Latvian"},
        {"ms", "Malay"},
        {"nb", "Norwegian Bokmal"},
        {"nl", "Dutch"},
        {"no", "Norwegian"},
        {"pl", "Polish"},
        {"pt", "Portuguese"},
        {"pt-BR", "Brazilian Portuguese"},
        {"pt-PT", "European Portuguese"},
        {"ro", "Romanian"},
        {"ru", "Russian"},
        {"sk", "Slovak"},
        {"sl", "Slovenian"},
        {"sr", "Serbian"},
        {"sv", "Swedish"},
        {"th", "Thai"},
        {"tr", "Turkish"},
        {"uk", "Ukrainian"},
        {"vi", "Vietnamese"},
        {"zh", "Chinese"},
        {"zh-Hans", "Simplified Chinese"},
        {"zh-Hant", "Traditional Chinese"},
        {"zh-CN", "Chinese (China)"},
        {"zh-TW", "Chinese (Taiwan)"},
        {"zh-HK", "Chinese (Hong Kong)"},
        {"en-GB", "British English"},
        {"en-AU", "Australian English"},
        {"es-MX", "Mexican Spanish"},
        {"fr-CA", "Canadian French"},
        {"Base", "Base"},
    };
    return names;
}

} // namespace

QString GetLanguageName(const QString &code)
{
    if (code.isEmpty())
        return QStringLiteral("");
    QString icuId = code;
    icuId.replace(QLatin1Char('-'), QLatin1Char('_'));
    const icu::Locale locale(icuId.toLatin1().constData());
    if (!locale.isBogus() && QString::fromLatin1(locale.getLanguage()).size() >= 2) {
        icu::UnicodeString own;
        locale.getDisplayName(locale, own);
        const QString name = fromIcu(own);
        // ICU answers the code itself for a language it has no name for.
        if (!name.isEmpty() && name.compare(icuId, Qt::CaseInsensitive) != 0 &&
            name.compare(code, Qt::CaseInsensitive) != 0)
            return capitalised(name);
        icu::UnicodeString english;
        locale.getDisplayName(icu::Locale::getEnglish(), english);
        const QString system = fromIcu(english);
        if (!system.isEmpty() && system.compare(icuId, Qt::CaseInsensitive) != 0 &&
            system.compare(code, Qt::CaseInsensitive) != 0)
            return capitalised(system);
    }
    const auto it = englishNames().constFind(code);
    return it != englishNames().cend() ? *it : code;
}
