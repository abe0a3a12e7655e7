#include "services/Localization.h"

#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "services/AppSetting.h"
#include "services/EncodedFile.h"
#include "services/SupportFolder.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <mutex>

namespace {

using Translations = QHash<QString, QString>;

struct TableState
{
    bool loaded = false;
    QHash<QString, Translations> languages;
    QString explicitLanguage; // null: automatic
    bool languageResolved = false;
    QString language; // the table's key in use; empty for English
};

std::recursive_mutex gMutex;
TableState &state()
{
    static TableState s;
    return s;
}

const QString kFormatSeparator = QStringLiteral("{**}");
const QString kJoinSeparator = QStringLiteral("{++}");
const QString kAppMarker = QStringLiteral("{*app*}");

std::optional<QHash<QString, Translations>> parseTable(const QByteArray &plist)
{
    const auto root = platform::propertyListFromData(plist);
    if (!root || root->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    QHash<QString, Translations> languages;
    const QVariantMap map = root->toMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().typeId() != QMetaType::QVariantMap)
            continue;
        Translations &table = languages[it.key()];
        const QVariantMap entries = it.value().toMap();
        for (auto e = entries.cbegin(); e != entries.cend(); ++e)
            if (e.value().typeId() == QMetaType::QString)
                table.insert(e.key(), e.value().toString());
    }
    return languages;
}

void ensureLoadedLocked()
{
    TableState &s = state();
    if (s.loaded)
        return;
    s.loaded = true;
    const QString path = GetBundleResourcePath(QString::fromLatin1(kLocalizationTableName));
    if (path.isEmpty())
        return;
    const QByteArray plain = App_MyEncodeFile_ReadData(path);
    if (auto table = parseTable(plain))
        s.languages = std::move(*table);
    else
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR the translation table %1 is damaged").arg(path));
}

// The table key for a wanted code: exact, then with "_" as "-", then the language alone.
QString matchLanguageLocked(const QString &wanted)
{
    const TableState &s = state();
    if (wanted.isEmpty())
        return {};
    QString code = wanted;
    code.replace(QLatin1Char('_'), QLatin1Char('-'));
    for (const QString &candidate : {wanted, code, code.section(QLatin1Char('-'), 0, 0)}) {
        if (candidate.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0)
            return {};
        for (auto it = s.languages.cbegin(); it != s.languages.cend(); ++it)
            if (it.key().compare(candidate, Qt::CaseInsensitive) == 0)
                return it.key();
    }
    return {};
}

const Translations *currentTranslationsLocked()
{
    ensureLoadedLocked();
    TableState &s = state();
    if (!s.languageResolved) {
        s.languageResolved = true;
        s.language = matchLanguageLocked(CurrentLocalizationLanguage());
    }
    if (s.language.isEmpty())
        return nullptr;
    auto it = s.languages.constFind(s.language);
    return it == s.languages.cend() ? nullptr : &it.value();
}

QString lookup(const QString &key)
{
    std::lock_guard lock(gMutex);
    const Translations *table = currentTranslationsLocked();
    if (!table)
        return key;
    auto it = table->constFind(key);
    return it == table->cend() || it->isEmpty() ? key : *it;
}

QString localizeSimple(const QString &key)
{
    QString text = lookup(key);
    text.replace(kAppMarker, QString::fromLatin1(kAppDisplayName));
    return text;
}

// A key's pieces are sentences and words of their own, translated one by one: where one piece ends
// a sentence and the next starts a word, a space keeps the two sentences apart.
bool endsSentence(const QString &text)
{
    return !text.isEmpty() && QStringLiteral(".!?").contains(text.back());
}

bool startsWord(const QString &text)
{
    return !text.isEmpty() && text.front().isLetterOrNumber();
}

QString localizeJoined(const QString &key)
{
    if (!key.contains(kJoinSeparator))
        return localizeSimple(key);
    QString joined;
    for (const QString &piece : key.split(kJoinSeparator)) {
        const QString text = localizeSimple(piece);
        if (endsSentence(joined) && startsWord(text))
            joined += u' ';
        joined += text;
    }
    return joined;
}

// An argument is often user data (a path, a file name): only an exact table entry translates it.
// Callers also pass the application's name as "{*app*}"; a path keeps every marker as it is.
QString localizeArgument(const QString &arg)
{
    if (arg.isEmpty() || arg.contains(QLatin1Char('/')))
        return arg;
    return localizeSimple(arg);
}

bool isConversionChar(QChar c)
{
    return QStringLiteral("@dDiuUxXoOsSfFeEgGcC").contains(c);
}

} // namespace

// Fills "%@", "%N$@", "%d", "%ld", ... with the arguments in one pass over the format, so text
// taken from an argument is never read as a format again. "%%" is a percent sign.
QString FillFormat(const QString &format, const QStringList &args)
{
    QString out;
    out.reserve(format.size() + 32);
    qsizetype next = 0;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= n) {
            out.append(c);
            continue;
        }
        if (format.at(i + 1) == QLatin1Char('%')) {
            out.append(QLatin1Char('%'));
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        qsizetype position = -1;
        qsizetype digits = j;
        while (digits < n && format.at(digits).isDigit())
            ++digits;
        if (digits > j && digits < n && format.at(digits) == QLatin1Char('$')) {
            position = format.mid(j, digits - j).toLongLong() - 1;
            j = digits + 1;
        }
        while (j < n && QStringLiteral("lhqzjtL").contains(format.at(j)))
            ++j;
        if (j >= n || !isConversionChar(format.at(j))) {
            out.append(c);
            continue;
        }
        const qsizetype index = position >= 0 ? position : next++;
        if (index >= 0 && index < args.size())
            out.append(args.at(index));
        i = j;
    }
    return out;
}

QString L_(const QString &english)
{
    GUARD_BEGIN
    if (english.isEmpty())
        return QStringLiteral("");
    if (!english.contains(kFormatSeparator))
        return localizeJoined(english);
    const QStringList pieces = english.split(kFormatSeparator);
    QStringList args;
    for (qsizetype i = 1; i < pieces.size(); ++i)
        args.append(localizeArgument(pieces.at(i)));
    return FillFormat(localizeJoined(pieces.first()), args);
    GUARD_END(english)
}

bool LoadLocalizationTable(const QString &path)
{
    const QByteArray plain = App_MyEncodeFile_ReadData(path);
    if (plain.isNull())
        return false;
    auto table = parseTable(plain);
    if (!table) {
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR the translation table %1 is damaged").arg(path));
        return false;
    }
    std::lock_guard lock(gMutex);
    TableState &s = state();
    s.languages = std::move(*table);
    s.loaded = true;
    s.languageResolved = false;
    return true;
}

void ResetLocalizationTable()
{
    std::lock_guard lock(gMutex);
    TableState &s = state();
    s.loaded = false;
    s.languages.clear();
    s.languageResolved = false;
}

QString CurrentLocalizationLanguage()
{
    std::lock_guard lock(gMutex);
    const TableState &s = state();
    if (!s.explicitLanguage.isNull())
        return s.explicitLanguage;
    QString recordCode = APPSETTING_GET_STRING(gAppSetting, languageCode).trimmed();
    if (!recordCode.isEmpty())
        return recordCode;
    const QStringList ui = QLocale::system().uiLanguages();
    return ui.isEmpty() ? QLocale::system().name() : ui.first();
}

void SetLocalizationLanguage(const QString &code)
{
    std::lock_guard lock(gMutex);
    TableState &s = state();
    s.explicitLanguage = code;
    s.languageResolved = false;
}

QStringList GetAvailableLocalizations()
{
    std::lock_guard lock(gMutex);
    ensureLoadedLocked();
    QStringList codes = state().languages.keys();
    if (!codes.contains(QStringLiteral("en")))
        codes.append(QStringLiteral("en"));
    codes.sort();
    return codes;
}

QString L_Count(qint64 n, const QString &singular, const QString &plural)
{
    return L_(n == 1 ? singular : plural).replace(QStringLiteral("%1"), QString::number(n));
}
