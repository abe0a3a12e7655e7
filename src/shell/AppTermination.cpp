#include "shell/AppTermination.h"

#include "compare/LineCompare.h"
#include "controls/LiveHelpDialog.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "services/AppSetting.h"
#include "shell/UntitledBackup.h"
#include "textcompare/MergeEditWndCtr.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <memory>
#include <sys/signalfd.h>
#include <unistd.h>

namespace AppTermination {

namespace {

Hooks gHooks;
bool gInstalled = false;
bool gQuitting = false;

sigset_t terminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

// The Quit key from any window that is not running a dialog of its own.
class QuitKeyFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->matches(QKeySequence::Quit) && watched->isWidgetType() &&
                !QApplication::activeModalWidget()) {
                if (event->type() == QEvent::KeyPress)
                    RequestQuit(true);
                event->accept();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

void onTerminationSignal(int fd)
{
    signalfd_siginfo info;
    while (::read(fd, &info, sizeof info) == ssize_t(sizeof info))
        platform::Log(lcShell, QStringLiteral("Signal %1: keeping the untitled texts and quitting")
                                   .arg(info.ssi_signo));
    RequestQuit(false);
}

void installSignalReader(QApplication *app)
{
    const sigset_t set = terminationSignals();
    const int fd = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd < 0) {
        platform::LogWarning(lcShell, QStringLiteral("*** ERROR: cannot read the ending signals"));
        return;
    }
    auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [fd] { onTerminationSignal(fd); });
}

} // namespace

void BlockTerminationSignals()
{
    const sigset_t set = terminationSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void Install(QApplication *app, Hooks hooks)
{
    if (!app || gInstalled)
        return;
    gInstalled = true;
    gHooks = std::move(hooks);
    app->installEventFilter(new QuitKeyFilter(app));
    installSignalReader(app);
    QObject::connect(app, &QGuiApplication::commitDataRequest, app, [](QSessionManager &manager) {
        // The session ends: keep the texts; ask only while the session lets us.
        if (QuitWalk_ShouldTerminate(manager.allowsInteraction()) == TerminateReply::Cancel)
            manager.cancel();
    });
    QObject::connect(app, &QCoreApplication::aboutToQuit, app, [] { applicationWillTerminate(); });
}

void CloseCompareWindowsWithoutAsking()
{
    QList<QPointer<MergeWindow>> windows;
    for (const auto &slot : gOpenCompareWindowList)
        if (slot)
            windows.append(slot);
    for (const QPointer<MergeWindow> &w : windows) {
        if (!w || !w->isWindowLoaded())
            continue;
        w->mIsClosing = true;
        w->window()->close();
    }
}

bool RequestQuit(bool allowInteraction)
{
    if (gQuitting)
        return true;
    TerminateReply reply = TerminateReply::Now;
    GUARD_BEGIN
    reply = QuitWalk_ShouldTerminate(allowInteraction);
    GUARD_END_VOID
    if (reply == TerminateReply::Cancel)
        return false;
    gQuitting = true;
    CloseCompareWindowsWithoutAsking();
    QCoreApplication::quit();
    return true;
}

bool IsQuitting()
{
    return gQuitting;
}

void applicationWillTerminate()
{
    GUARD_BEGIN
    DeleteTempSettingLog();
    if (gHooks.willTerminate)
        gHooks.willTerminate();
    AppSetting_Save();
    LiveHelpDialogSetting_Save();
    GUARD_END_VOID
}

namespace {

MergeEditWndCtr *newUntitledWindow()
{
    auto *window = new MergeEditWndCtr();
    if (!window->window()) {
        delete window;
        return nullptr;
    }
    window->setShouldCascadeWindows(true);
    window->setShouldCloseDocument(true);
    window->showWindow();
    return window;
}

// One window per turn of the event loop: each paints before the next one builds its texts.
void openPairsFrom(std::shared_ptr<QList<BackupPair>> pairs, qsizetype next)
{
    if (next >= pairs->size())
        return;
    OpenBackupPair(pairs->at(next), newUntitledWindow);
    platform::performAfterDelay(qApp, 0, [pairs, next] { openPairsFrom(pairs, next + 1); });
}

} // namespace

int RestoreUntitledTexts()
{
    auto pairs = std::make_shared<QList<BackupPair>>(ReadBackupPairs(nullptr));
    // The first window opens now, so the start knows a window is there; the others follow.
    openPairsFrom(pairs, 0);
    return int(pairs->size());
}

} // namespace AppTermination
