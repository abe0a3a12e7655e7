#include "services/AppSetting.h"

#include "foundation/PelkoNSUserDefaults.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/TextEncoding.h"
#include "platform/UserDefaults.h"
#include "services/Appearance.h"
#include "services/SupportFolder.h"

#include <QDir>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

AppSetting gAppSetting{};
QStringList *gAppSetting_compare_leftHistoryPaths = nullptr;
QStringList *gAppSetting_compare_rightHistoryPaths = nullptr;
QStringList *gAppSetting_compare_listOfTextSupportFileExt = nullptr;
bool gIsFirstRun = false;

namespace {

// Forgets the dark variants of the images: a new version may change an image, and its variant is
// made again from the new one. Only this user's plain files are removed; a link or a folder there
// is not ours and stays.
void emptyDarkModeImageFolder()
{
    if (gSupportFolder.isEmpty())
        return;
    const QString folder = gSupportFolder + QStringLiteral("/DarkModeImg");
    struct stat st;
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::getuid())
        return;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name);
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid() &&
            ::unlink(path.constData()) != 0)
            platform::LogWarning(
                lcServices, QStringLiteral("ERROR cannot remove %1").arg(QFile::decodeName(path)));
    }
}

const char *const kLeftHistoryKey = "gAppSetting_compare_leftHistoryPaths";
const char *const kRightHistoryKey = "gAppSetting_compare_rightHistoryPaths";
const char *const kTextExtKey = "gAppSetting_compare_listOfTextSupportFileExt";

const QStringList &defaultTextExtensions()
{
    static const QStringList list = {
        QStringLiteral("txt"),   QStringLiteral("text"),    QStringLiteral("c"),
        QStringLiteral("h"),     QStringLiteral("cc"),      QStringLiteral("cpp"),
        QStringLiteral("cxx"),   QStringLiteral("hpp"),     QStringLiteral("hh"),
        QStringLiteral("m"),     QStringLiteral("mm"),      QStringLiteral("swift"),
        QStringLiteral("java"),  QStringLiteral("cs"),      QStringLiteral("js"),
        QStringLiteral("ts"),    QStringLiteral("py"),      QStringLiteral("rb"),
        QStringLiteral("pl"),    QStringLiteral("php"),     QStringLiteral("sh"),
        QStringLiteral("sql"),   QStringLiteral("html"),    QStringLiteral("htm"),
        QStringLiteral("xml"),   QStringLiteral("css"),     QStringLiteral("json"),
        QStringLiteral("plist"), QStringLiteral("strings"), QStringLiteral("md"),
        QStringLiteral("csv"),   QStringLiteral("log"),     QStringLiteral("ini"),
        QStringLiteral("cfg"),   QStringLiteral("yml"),     QStringLiteral("yaml"),
    };
    return list;
}

// Fields of the packed record may be misaligned: never bind a reference to one.
template <class T> T clamped(T value, T lo, T hi)
{
    return value < lo ? lo : (value > hi ? hi : value);
}

// A stored encoding must be one the converter knows; 0 means "automatic" where allowed.
bool isUsableEncoding(quint64 encoding)
{
    if (encoding == 0 || encoding > 0xFFFFFFFFull)
        return false;
    return platform::TextEncoding::isAvailable(static_cast<platform::StringEncoding>(encoding));
}

// Length of the string in a field: up to the first 0, at most the field.
qsizetype fieldLength(const char *field, qsizetype fieldSize)
{
    const void *end = std::memchr(field, 0, static_cast<size_t>(fieldSize));
    return end ? static_cast<const char *>(end) - field : fieldSize;
}

// Bytes of s that end on a whole UTF-8 character, at most limit.
qsizetype utf8CutAtBoundary(const QByteArray &s, qsizetype limit)
{
    if (s.size() <= limit)
        return s.size();
    qsizetype cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(s.at(cut)) & 0xC0) == 0x80)
        --cut;
    return cut;
}

// Drops a partial UTF-8 character at the end of a terminated field (left by writers that cut
// by bytes).
void trimPartialUtf8Tail(char *field, qsizetype fieldSize)
{
    const qsizetype len = fieldLength(field, fieldSize);
    qsizetype start = len;
    while (start > 0 && (static_cast<unsigned char>(field[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return;
    const auto lead = static_cast<unsigned char>(field[start - 1]);
    qsizetype need = 1;
    if (lead >= 0xF0)
        need = 4;
    else if (lead >= 0xE0)
        need = 3;
    else if (lead >= 0xC0)
        need = 2;
    if (need > 1 && len - (start - 1) < need)
        std::memset(field + start - 1, 0, static_cast<size_t>(len - (start - 1)));
}

void terminateField(char *field, qsizetype fieldSize)
{
    field[fieldSize - 1] = 0;
    trimPartialUtf8Tail(field, fieldSize);
}

} // namespace

QStringList ReadDefaultsStringList(const QString &key)
{
    auto &defaults = platform::UserDefaults::standard();
    const QVariant value = defaults.objectForKey(key);
    if (value.typeId() == QMetaType::QVariantList) {
        QStringList list;
        for (const QVariant &item : value.toList())
            if (item.typeId() == QMetaType::QString && !item.toString().isEmpty())
                list.append(item.toString());
        return list;
    }
    return getStringArray2(defaults, key);
}

QString AppSetting_GetString(const char *field, qsizetype fieldSize)
{
    if (!field || fieldSize <= 0)
        return QStringLiteral("");
    return QString::fromUtf8(field, fieldLength(field, fieldSize));
}

void AppSetting_SetString(char *field, qsizetype fieldSize, const QString &value,
                          qsizetype maxBytes)
{
    if (!field || fieldSize <= 0)
        return;
    qsizetype limit = fieldSize - 1;
    if (maxBytes >= 0)
        limit = std::min(limit, maxBytes);
    const QByteArray utf8 = value.toUtf8();
    const qsizetype n = utf8CutAtBoundary(utf8, limit);
    std::memset(field, 0, static_cast<size_t>(fieldSize));
    std::memcpy(field, utf8.constData(), static_cast<size_t>(n));
}

void AppSetting_SetDefault(AppSetting *s)
{
    if (!s)
        return;
    std::memset(s, 0, sizeof(AppSetting));
    s->strokeModeForAreaMeasure = 0;
    s->gridSize = 20;
    s->gridSnap = 0;
    s->gridColor = 0;
    s->unitFactor = 1.0f;
    APPSETTING_SET_STRING(*s, unitName, QStringLiteral("pt"));
    s->printMargin_L = s->printMargin_R = s->printMargin_T = s->printMargin_B = 36;
    s->printCenter_Hor = 1;
    s->open_preferEncode = 0;
    APPSETTING_SET_STRING(*s, defaultSaveTextExtension, QStringLiteral("txt"));
    s->save_Coding_preferEncode = platform::Encoding::UTF8;
    s->save_Coding_EndLine = 0;
    s->save_Permission_Owner_R = s->save_Permission_Owner_W = 1;
    s->save_Permission_Group_R = s->save_Permission_Others_R = 1;
    s->bViewMarks_showTab = s->bViewMarks_showEOL = 1;
    s->textTabLen = 4;
    s->bAutoIndent = 1;
    s->bAutoSaveUntitleTabBeforeQuit = 1;
    s->bAutoHightLightText = 1;
    s->bShowLineNumber = 1;
    s->bIgnore_MacHiddenFile = 1;
    s->SmartCopyPaste = 1;
    s->textSize = 12.0;
    s->compare_autoMoveToNextDiffAfterMerge = 1;
    s->compare_sort_folder_tree_above_file = 1;
    s->compare_deletesFilesToTrash = 1;
    s->compare_showFolder = 1;
    s->compare_FileList_bUseDefaultColor = 1;
    s->folder_compare_Mode = 0;
    s->compareSubFolder = 1;
    s->compare_folderViewMode = 0;
    // The dark state is only known once a GUI exists (not in command-line tools).
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        s->bIsDarkMode = CurrentAppearanceIsDark() ? 1 : 0;
}

void AppSetting_Validate(AppSetting *s)
{
    if (!s)
        return;
    terminateField(s->unitName, sizeof(s->unitName));
    terminateField(s->defaultSaveTextExtension, sizeof(s->defaultSaveTextExtension));
    terminateField(s->bAutoHightLightText_WithLanguage,
                   sizeof(s->bAutoHightLightText_WithLanguage));
    terminateField(s->fontName, sizeof(s->fontName));
    terminateField(s->languageCode, sizeof(s->languageCode));

    s->strokeModeForAreaMeasure = clamped<qint32>(s->strokeModeForAreaMeasure, 0, 2);
    s->gridSize = clamped<qint32>(s->gridSize, 1, 1000);
    if (!std::isfinite(s->unitFactor) || s->unitFactor <= 0.00002f)
        s->unitFactor = 1.0f;
    s->textTabLen = clamped<qint32>(s->textTabLen, 2, 30);
    if (!std::isfinite(s->textSize))
        s->textSize = 12.0;
    s->textSize = clamped<double>(s->textSize, 6.0, 50.0);
    s->save_Coding_EndLine = clamped<qint32>(s->save_Coding_EndLine, 0, 2);
    s->folder_compare_Mode = clamped<qint32>(s->folder_compare_Mode, 0, 3);
    s->compare_folderViewMode = clamped<qint32>(s->compare_folderViewMode, 0, 1);
    if (s->open_preferEncode != 0 && !isUsableEncoding(s->open_preferEncode))
        s->open_preferEncode = 0;
    if (!isUsableEncoding(s->save_Coding_preferEncode))
        s->save_Coding_preferEncode = platform::Encoding::UTF8;
}

bool AppSetting_FromData(AppSetting *s, const QByteArray &data)
{
    if (!s || data.size() != static_cast<qsizetype>(sizeof(AppSetting)))
        return false;
    std::memcpy(s, data.constData(), sizeof(AppSetting));
    AppSetting_Validate(s);
    // Feet display and decimal inches are per session choices.
    s->bFeetDisplayOff = 0;
    s->bDecimalInches = 0;
    return true;
}

QByteArray AppSetting_ToData(const AppSetting &s)
{
    return QByteArray(reinterpret_cast<const char *>(&s), sizeof(AppSetting));
}

void AppSetting_Load()
{
    GUARD_BEGIN
    auto &defaults = platform::UserDefaults::standard();
    const QString key = QString::fromLatin1(kAppSettingDataKey);
    if (defaults.hasKey(key)) {
        const QByteArray data = defaults.dataForKey(key);
        if (!AppSetting_FromData(&gAppSetting, data)) {
            platform::LogWarning(
                lcServices,
                QStringLiteral("ERROR gAppSetting.data: %1 bytes instead of %2, defaults used")
                    .arg(data.size())
                    .arg(sizeof(AppSetting)));
            AppSetting_SetDefault(&gAppSetting);
        }
    }

    delete gAppSetting_compare_leftHistoryPaths;
    delete gAppSetting_compare_rightHistoryPaths;
    delete gAppSetting_compare_listOfTextSupportFileExt;
    gAppSetting_compare_leftHistoryPaths =
        new QStringList(ReadDefaultsStringList(QString::fromLatin1(kLeftHistoryKey)));
    gAppSetting_compare_rightHistoryPaths =
        new QStringList(ReadDefaultsStringList(QString::fromLatin1(kRightHistoryKey)));
    const QString extKey = QString::fromLatin1(kTextExtKey);
    gAppSetting_compare_listOfTextSupportFileExt = new QStringList(
        defaults.hasKey(extKey) ? ReadDefaultsStringList(extKey) : defaultTextExtensions());
    GUARD_END_VOID
}

bool AppSetting_RefreshDarkMode()
{
    GUARD_BEGIN
    gAppSetting.bIsDarkMode = CurrentAppearanceIsDark() ? 1 : 0;
    if (gAppSetting.folder_compare_Mode > 3)
        gAppSetting.folder_compare_Mode = 3;
    return gAppSetting.bIsDarkMode != 0;
    GUARD_END(false)
}

bool AppSetting_Save()
{
    GUARD_BEGIN
    AppSetting_RefreshDarkMode();
    auto &defaults = platform::UserDefaults::standard();
    defaults.setData(AppSetting_ToData(gAppSetting), QString::fromLatin1(kAppSettingDataKey));
    if (gAppSetting_compare_listOfTextSupportFileExt)
        setStringArray2(defaults, *gAppSetting_compare_listOfTextSupportFileExt,
                        QString::fromLatin1(kTextExtKey), true, true, true, true);
    if (gAppSetting_compare_leftHistoryPaths)
        setStringArray2(defaults, *gAppSetting_compare_leftHistoryPaths,
                        QString::fromLatin1(kLeftHistoryKey), true, false, false, true);
    if (gAppSetting_compare_rightHistoryPaths)
        setStringArray2(defaults, *gAppSetting_compare_rightHistoryPaths,
                        QString::fromLatin1(kRightHistoryKey), true, false, false, true);
    if (!defaults.synchronize()) {
        platform::LogWarning(
            lcServices,
            QStringLiteral("ERROR AppSetting_Save: the user defaults could not be written"));
        return false;
    }
    return true;
    GUARD_END(false)
}

bool AppSetting_ApplyNewVersionReset(const QString &bundleVersion)
{
    GUARD_BEGIN
    auto &defaults = platform::UserDefaults::standard();
    const QString key = QString::fromLatin1(kAppFirstTimeWithVersionKey);
    if (defaults.stringForKey(key) == bundleVersion)
        return false;
    // Settings whose meaning a new version may change start again from their defaults.
    gAppSetting.compare_showFolder = 1;
    gAppSetting.compare_sort_folder_tree_above_file = 1;
    gAppSetting.compare_FileList_bUseDefaultColor = 1;
    gAppSetting.bThemeIsCustomByUser = 0;
    gAppSetting.settingDialogLastTabIndex = 0;
    emptyDarkModeImageFolder();
    defaults.setString(bundleVersion, key);
    AppSetting_Save();
    return true;
    GUARD_END(false)
}

QString AppSetting_UnitNameForDisplay(const AppSetting &s)
{
    return APPSETTING_GET_STRING(s, unitName)
        .replace(QStringLiteral("{MU2}"), QStringLiteral("\u00B2"));
}
