#include "layers/FontFavorites.h"

#include "foundation/PelkoNSUserDefaults.h"
#include "platform/Guard.h"
#include "platform/UserDefaults.h"
#include "services/Fonts.h"

#include <optional>

namespace {

const QString kKey = QStringLiteral("gFontFavorite");

// Main thread only, as the font pop-ups that read it.
std::optional<QStringList> &favorites()
{
    static std::optional<QStringList> list;
    return list;
}

QStringList &loaded()
{
    std::optional<QStringList> &list = favorites();
    if (!list)
        list = getStringArray2(platform::UserDefaults::standard(), kKey);
    return *list;
}

} // namespace

void FontFavorite_Register(const QString &fontName)
{
    GUARD_BEGIN
    if (fontName.isEmpty() || fontName.startsWith(u'.'))
        return;
    const QStringList installed = GetAllFont();
    if (!installed.contains(fontName)) {
        REPORT_FATAL();
        return;
    }
    QStringList &list = loaded();
    list.removeAll(fontName);
    list.prepend(fontName);
    while (list.size() > kMaxFontFavorites)
        list.removeLast();
    // The fallback comes after the trimming, so a full list keeps it as its 31st entry.
    for (const QString &name : installed) {
        if (name.compare(QStringLiteral("Helvetica"), Qt::CaseInsensitive) == 0) {
            if (!list.contains(name))
                list.append(name);
            break;
        }
    }
    setStringArray2(platform::UserDefaults::standard(), list, kKey, false, false, false, true);
    GUARD_END_VOID
}

QStringList FontFavorite_List()
{
    return loaded();
}

void FontFavorite_Forget()
{
    favorites().reset();
}
