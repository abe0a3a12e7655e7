#include "themes/LanguageList.h"

#include "platform/Guard.h"
#include "platform/Log.h"
#include "services/AppSetting.h"
#include "services/BundleArchive.h"
#include "services/FileUtility.h"
#include "services/SupportFolder.h"
#include "themes/MyLanguageInfo.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>

QList<std::shared_ptr<MyLanguageInfo>> gAppLanguageInfoList;

namespace {

const QString kNoneLanguage = QStringLiteral("(none)");

} // namespace

qsizetype Setup_gAppLanguageInfoList()
{
    GUARD_BEGIN
    gAppLanguageInfoList.clear();
    const QString folder = GetSupportSubFolder(QStringLiteral("languages"));
    if (folder.isEmpty()) {
        REPORT_FATAL();
        return 0;
    }
    InstallBundleArchiveIntoFolder(GetBundleResourcePath(QStringLiteral("languages.zip")), folder);

    QStringList files = GetFileListInFolder_Names(folder);
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        return QFileInfo(a).fileName().compare(QFileInfo(b).fileName(), Qt::CaseInsensitive) < 0;
    });
    for (const QString &path : std::as_const(files)) {
        const QString ext = QFileInfo(path).suffix();
        if (ext != QLatin1String("myrsctx") && ext != QLatin1String("esy"))
            continue;
        if (auto language = MyLanguageInfo::createFromFile(path, ext == QLatin1String("myrsctx")))
            gAppLanguageInfoList.append(language);
        else
            platform::Log(lcThemes, QStringLiteral("not ok: %1").arg(path));
    }
    return gAppLanguageInfoList.size();
    GUARD_END(0)
}

QString Get_HIGH_LIGHT_DEFAULT_LANGUAGE()
{
    const QString name = APPSETTING_GET_STRING(gAppSetting, bAutoHightLightText_WithLanguage);
    return name.isEmpty() ? QStringLiteral("java") : name;
}

void SetupLanguageListFromSetting(QComboBox *popup, const AppSetting *setting, bool bSelectSetting)
{
    GUARD_BEGIN
    if (!popup) {
        REPORT_FATAL();
        return;
    }
    if (!setting)
        setting = &gAppSetting;
    popup->clear();
    popup->addItem(kNoneLanguage);
    for (const auto &language : std::as_const(gAppLanguageInfoList)) {
        if (language && !language->nameShow().isEmpty())
            popup->addItem(language->nameShow());
    }
    if (!bSelectSetting)
        return;
    const QString chosen = APPSETTING_GET_STRING(*setting, bAutoHightLightText_WithLanguage);
    const int index = chosen.isEmpty() ? 0 : popup->findText(chosen, Qt::MatchFixedString);
    popup->setCurrentIndex(index < 0 ? 0 : index);
    GUARD_END_VOID
}

void ReadLanguageListToSetting(QComboBox *popup, AppSetting *setting)
{
    GUARD_BEGIN
    if (!popup || !setting) {
        REPORT_FATAL();
        return;
    }
    QString chosen = popup->currentText();
    if (chosen.compare(kNoneLanguage, Qt::CaseInsensitive) == 0)
        chosen.clear();
    APPSETTING_SET_STRING(*setting, bAutoHightLightText_WithLanguage, chosen);
    GUARD_END_VOID
}
