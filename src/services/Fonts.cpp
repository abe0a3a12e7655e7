#include "services/Fonts.h"

#include "platform/Guard.h"
#include "services/AppSetting.h"

#include <QComboBox>
#include <QFontDatabase>
#include <mutex>

QString gFallbackFontName;

namespace {

std::function<QStringList()> &installedFamiliesHook()
{
    static std::function<QStringList()> hook;
    return hook;
}

QString installedName(const QStringList &families, const QString &wanted)
{
    for (const QString &family : families)
        if (family.compare(wanted, Qt::CaseInsensitive) == 0)
            return family;
    return {};
}

} // namespace

void setInstalledFontFamiliesHook(std::function<QStringList()> hook)
{
    installedFamiliesHook() = std::move(hook);
}

QStringList GetAllFont()
{
    GUARD_BEGIN
    const auto &hook = installedFamiliesHook();
    const QStringList families = hook ? hook() : QFontDatabase::families();
    static std::once_flag fallbackOnce;
    std::call_once(fallbackOnce, [&] {
        gFallbackFontName = installedName(families, QStringLiteral("Helvetica"));
        if (gFallbackFontName.isEmpty())
            gFallbackFontName = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    });
    QStringList result;
    for (const QString &favourite : ReadDefaultsStringList(QStringLiteral("gFontFavorite"))) {
        const QString name = installedName(families, favourite);
        if (!name.isEmpty() && !result.contains(name))
            result.append(name);
    }
    for (const QString &family : families)
        if ((hook || !QFontDatabase::isPrivateFamily(family)) && !result.contains(family))
            result.append(family);
    return result;
    GUARD_END({})
}

QString GetDefaultFixedFontName()
{
    static QString cached;
    static std::once_flag once;
    std::call_once(once, [] {
        const QStringList families = QFontDatabase::families();
        for (const QString &wanted : {QStringLiteral("Monaco"), QStringLiteral("Menlo-Regular"),
                                      QStringLiteral("Osaka"), QStringLiteral("Lucida Console"),
                                      QStringLiteral("Courier"), QStringLiteral("Courier New")}) {
            QString name = installedName(families, wanted);
            if (name.isEmpty() && wanted.contains(QLatin1Char('-')))
                name = installedName(families, wanted.section(QLatin1Char('-'), 0, 0));
            if (!name.isEmpty()) {
                cached = name;
                return;
            }
        }
        cached = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    });
    return cached;
}

void SetupFontComboBox(QComboBox *combo, bool styled)
{
    GUARD_BEGIN
    if (!combo)
        return;
    combo->clear();
    for (const QString &name : GetAllFont()) {
        combo->addItem(name);
        if (styled)
            combo->setItemData(combo->count() - 1, QFont(name), Qt::FontRole);
    }
    GUARD_END_VOID
}
