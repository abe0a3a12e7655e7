#include "themes/DarkMode.h"

#include "graphics/PelkoNSColor.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/SystemColors.h"
#include "platform/UserDefaults.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"
#include "services/Appearance.h"
#include "themes/DarkModeProbe.h"

#include <QApplication>
#include <QThread>

namespace {

// -1 not known, 0 light, 1 dark. Main thread only.
int gDarkModeCache = -1;

bool remember(bool dark)
{
    gDarkModeCache = dark ? 1 : 0;
    return dark;
}

// The application's appearance; nullopt when it gives no name.
std::optional<bool> darkFromAppearance()
{
    const QString name = platform::effectiveAppearanceName();
    if (name.isEmpty()) {
        REPORT_FATAL();
        return std::nullopt;
    }
    return name == platform::AppearanceNameDark;
}

std::optional<bool> darkFromProbe()
{
    int dark = -1;
    if (GetIsDarkModeViaDialog(&dark)) {
        if (dark == 0 || dark == 1)
            return dark == 1;
        REPORT_FATAL();
    }
    platform::Log(lcThemes, QStringLiteral("[NSColor textColor] = 0x") +
                                QString::number(toULong(platform::textColor()), 16).toUpper());
    return std::nullopt;
}

bool darkFromUserDefaults()
{
    const QString style =
        platform::UserDefaults::standard().stringForKey(QStringLiteral("AppleInterfaceStyle"));
    if (style.isEmpty())
        return false;
    return style.trimmed().compare(QStringLiteral("dark"), Qt::CaseInsensitive) == 0;
}

} // namespace

void SetDarkModeCacheValue(int value)
{
    gDarkModeCache = value;
}

int DarkModeCacheValue()
{
    return gDarkModeCache;
}

void ResetDarkModeCache()
{
    gDarkModeCache = -1;
}

bool GetIsDarkMode()
{
    GUARD_BEGIN
    if (!IsDarkModeSupported())
        return false;
    if (gDarkModeCache == 0 || gDarkModeCache == 1)
        return gDarkModeCache != 0;
    if (const std::optional<bool> dark = darkFromAppearance())
        return remember(*dark);
    if (gOSVersionMinor >= 15) {
        if (const std::optional<bool> dark = darkFromProbe())
            return remember(*dark);
    }
    return remember(darkFromUserDefaults());
    GUARD_END(false)
}

bool GetIsDarkModeViaDialog(int *outDark)
{
    GUARD_BEGIN
    if (!outDark) {
        REPORT_FATAL();
        return false;
    }
    *outDark = -1;
    // The probe is a widget: without a widget application, or away from its thread, there is
    // nothing to paint with.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()) ||
        QThread::currentThread() != QCoreApplication::instance()->thread()) {
        REPORT_FATAL();
        return false;
    }
    MyCheckDarkModeDlg *probe = MyCheckDarkModeDlg::getCurrent();
    QWidget *panel = probe->mPanel;
    if (panel && !panel->isVisible())
        panel->show();
    probe->update_interfaceStyleStr();
    const QString style = probe->interfaceStyleStr;
    bool answered = false;
    if (style.isEmpty()) {
        REPORT_FATAL();
    } else {
        *outDark = style.compare(QStringLiteral("Dark"), Qt::CaseInsensitive) == 0 ? 1 : 0;
        answered = true;
    }
    if (panel)
        panel->hide();
    return answered;
    GUARD_END(false)
}

namespace {

// Watches the whole application: a theme change reaches every window, a palette change the
// application object; one announcement per burst.
class AppearanceWatcher : public QObject
{
public:
    AppearanceWatcher(QObject *context, std::function<void()> onChange)
        : QObject(context), mOnChange(std::move(onChange))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool paletteChange = event->type() == QEvent::ApplicationPaletteChange &&
                                   watched == QCoreApplication::instance();
        if ((paletteChange || event->type() == QEvent::ThemeChange) && !mPending) {
            mPending = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    mPending = false;
                    GUARD_BEGIN
                    if (mOnChange)
                        mOnChange();
                    GUARD_END_VOID
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> mOnChange;
    bool mPending = false;
};

} // namespace

void ObserveAppearanceChange(QObject *context, std::function<void()> onChange)
{
    if (!context || !QCoreApplication::instance()) {
        REPORT_FATAL();
        return;
    }
    new AppearanceWatcher(context, std::move(onChange));
}

void UseDarkModeDetection(QObject *context)
{
    SetAppearanceProbe([] { return GetIsDarkMode(); });
    ObserveAppearanceChange(context, [] {
        ResetDarkModeCache();
        AppSetting_RefreshDarkMode();
    });
}
