#include "controls/LiveHelpDialog.h"

#include "platform/Alerts.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/ModalRun.h"
#include "platform/PropertyList.h"
#include "services/Localization.h"
#include "services/SupportFolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QSet>
#include <QVariantMap>
#include <optional>

namespace {

const QString kSettingFileName = QStringLiteral("liveHelpSetting.plist");
const QString kHideAllKey = QStringLiteral("hideall");
// How often a help waiting for another dialog looks again.
constexpr double kDialogWaitSeconds = 0.25;

struct LiveHelpState
{
    QString path;                        // made on first use, kept for the process
    std::optional<QVariantMap> settings; // loaded on first use, kept for the process
    bool quiet = false;
    QSet<QString> waiting; // keys of the helps waiting for another dialog to close
};

LiveHelpState &state()
{
    static LiveHelpState s;
    return s;
}

// Only a stored true counts: a damaged or hand-edited value leaves the help on.
bool holdsYes(const QVariantMap &settings, const QString &key)
{
    const QVariant value = settings.value(key);
    return value.typeId() == QMetaType::Bool && value.toBool();
}

QVariantMap readSettings(const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return {};
    const std::optional<QVariant> stored = platform::readPropertyListFile(path);
    if (!stored || stored->typeId() != QMetaType::QVariantMap) {
        platform::LogWarning(
            lcControls,
            QStringLiteral("ERROR the help settings cannot be read, starting empty: ") + path);
        return {};
    }
    return stored->toMap();
}

bool modalWindowRuns()
{
    return platform::currentModalWindow() != nullptr || QApplication::activeModalWidget();
}

QString orSpace(const QString &text)
{
    return text.isEmpty() ? QStringLiteral(" ") : text;
}

} // namespace

quint64 LiveHelpStringHash(const QString &text)
{
    quint64 hash = 14695981039346656037ull;
    for (const QChar unit : text) {
        hash ^= unit.unicode();
        hash *= 1099511628211ull;
    }
    return hash;
}

void LiveHelpDialogSetting_Init()
{
    GUARD_BEGIN
    LiveHelpState &s = state();
    if (s.path.isEmpty() && !gSupportFolder.isEmpty())
        s.path = gSupportFolder + QLatin1Char('/') + kSettingFileName;
    if (s.settings)
        return;
    s.settings = readSettings(s.path);
    if (!s.path.isEmpty() && !QFileInfo::exists(s.path))
        LiveHelpDialogSetting_Save();
    GUARD_END_VOID
}

bool LiveHelpDialogSetting_Save()
{
    GUARD_BEGIN
    const LiveHelpState &s = state();
    if (s.path.isEmpty() || !s.settings)
        return false;
    // Written beside and renamed over: a crash while writing keeps the old suppressions.
    if (platform::writePropertyListFile(s.path, *s.settings))
        return true;
    platform::LogWarning(lcControls,
                         QStringLiteral("ERROR the help settings cannot be written: ") + s.path);
    return false;
    GUARD_END(false)
}

void LiveHelpDialogSetting_Forget()
{
    LiveHelpState &s = state();
    s.path.clear();
    s.settings.reset();
}

QString LiveHelpDialog::settingPath()
{
    LiveHelpDialogSetting_Init();
    return state().path;
}

QString LiveHelpDialog::helpKey(const QString &title, const QString &helpText)
{
    return QStringLiteral("%1_%2")
        .arg(LiveHelpStringHash(title.isNull() ? QString() : title))
        .arg(LiveHelpStringHash(helpText.isNull() ? QString() : helpText));
}

void LiveHelpDialog::setQuietInThisProcess(bool quiet)
{
    state().quiet = quiet;
}

bool LiveHelpDialog::isQuietInThisProcess()
{
    return state().quiet;
}

void LiveHelpDialog::ShowHelp(const QString &title, const QString &helpText,
                              platform::AlertRequest::Style style)
{
    GUARD_BEGIN
    LiveHelpState &s = state();
    const QString key = helpKey(title, helpText);
    s.waiting.remove(key);
    if (s.quiet)
        return;
    LiveHelpDialogSetting_Init();
    if (!s.settings)
        return;
    if (holdsYes(*s.settings, kHideAllKey) || holdsYes(*s.settings, key))
        return;
    // Never over another dialog: the help comes once the one running has closed (asked again
    // meanwhile, it still comes once).
    if (modalWindowRuns()) {
        s.waiting.insert(key);
        platform::performAfterDelay(
            qApp, kDialogWaitSeconds,
            [title, helpText, style] { ShowHelp(title, helpText, style); },
            QStringLiteral("liveHelp:") + key);
        return;
    }
    const QString shownTitle = title.isEmpty() ? QString() : L_(title);
    const QString shownText = helpText.isEmpty() ? QString() : L_(helpText);

    bool suppress = false;
    platform::AlertRequest alert;
    alert.title = orSpace(shownTitle);
    alert.text = orSpace(shownText);
    alert.buttons = {L_(QStringLiteral("OK")), L_(QStringLiteral("Turn Off All Tips"))};
    alert.style = style;
    alert.cancelIndex = 0; // Escape and the close box only close the help
    alert.suppressionState = &suppress;
    alert.suppressionTitle = L_(QStringLiteral("Do not show this message again"));
    const int answer = platform::runAlert(alert);

    // In memory only: the file takes it with the next save (the preferences, quitting).
    if (suppress && s.settings)
        s.settings->insert(key, true);
    if (answer == platform::AlertSecondButtonReturn)
        setShowHideAllLiveHelpDialog(false);
    GUARD_END_VOID
}

void LiveHelpDialog::setShowHideAllLiveHelpDialog(bool show)
{
    GUARD_BEGIN
    LiveHelpDialogSetting_Init();
    LiveHelpState &s = state();
    if (!s.settings)
        return;
    if (show)
        s.settings->clear();
    else
        s.settings->insert(kHideAllKey, true);
    LiveHelpDialogSetting_Save();
    GUARD_END_VOID
}

bool LiveHelpDialog::isWaiting()
{
    return !state().waiting.isEmpty();
}

bool LiveHelpDialog::isShowingLiveHelp()
{
    GUARD_BEGIN
    LiveHelpDialogSetting_Init();
    const LiveHelpState &s = state();
    return !s.settings || !holdsYes(*s.settings, kHideAllKey);
    GUARD_END(true)
}
