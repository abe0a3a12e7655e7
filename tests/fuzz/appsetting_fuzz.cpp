// Fuzz target: loading a stored settings record from arbitrary bytes.
#include <QByteArray>
#include <cstdint>

#include "platform/Log.h"
#include <cstdlib>
#include <cstring>

#include "services/AppSetting.h"

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Whatever was stored, a loaded record keeps its string fields terminated and its ranges held.
void checkLoaded(const AppSetting &s)
{
    check(s.unitName[sizeof s.unitName - 1] == 0);
    check(s.defaultSaveTextExtension[sizeof s.defaultSaveTextExtension - 1] == 0);
    check(s.bAutoHightLightText_WithLanguage[sizeof s.bAutoHightLightText_WithLanguage - 1] == 0);
    check(s.fontName[sizeof s.fontName - 1] == 0);
    check(s.languageCode[sizeof s.languageCode - 1] == 0);
    check(s.textTabLen >= 2 && s.textTabLen <= 30);
    check(s.textSize >= 6.0 && s.textSize <= 50.0);
    check(s.save_Coding_EndLine >= 0 && s.save_Coding_EndLine <= 2);
    check(s.folder_compare_Mode >= 0 && s.folder_compare_Mode <= 3);
    check(s.compare_folderViewMode >= 0 && s.compare_folderViewMode <= 1);
    check(s.save_Coding_preferEncode != 0);
    (void)APPSETTING_GET_STRING(s, unitName);
    (void)APPSETTING_GET_STRING(s, fontName);
    (void)APPSETTING_GET_STRING(s, languageCode);
    (void)AppSetting_UnitNameForDisplay(s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = [] {
        platform::setLogSink([](const QString &) {});
        return true;
    }();
    (void)quiet;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    AppSetting s;
    AppSetting_SetDefault(&s);
    if (AppSetting_FromData(&s, bytes))
        checkLoaded(s);
    else
        check(size != sizeof(AppSetting));

    // Any input, repeated to the record's size, is a record too.
    if (size > 0) {
        QByteArray record;
        while (record.size() < static_cast<qsizetype>(sizeof(AppSetting)))
            record.append(bytes);
        record.truncate(sizeof(AppSetting));
        check(AppSetting_FromData(&s, record));
        checkLoaded(s);
    }
    return 0;
}
