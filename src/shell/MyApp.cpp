#include "shell/MyApp.h"

#include "compare/FileKind.h"
#include "compare/LineCompare.h"
#include "foldercompare/MergeFileListWndCtr.h"
#include "graphics/DarkModeImages.h"
#include "platform/Dispatch.h"
#include "platform/Document.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/ModalRun.h"
#include "platform/WindowController.h"
#include "services/AppSetting.h"
#include "services/Alerts.h"
#include "services/Appearance.h"
#include "services/FileUtility.h"
#include "services/Localization.h"
#include "shell/AppBusyFlag.h"
#include "shell/AppCommands.h"
#include "shell/AppTermination.h"
#include "shell/ShellLog.h"
#include "shell/ThemeForAppearance.h"
#include "shell/WindowFactory.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/MergeWindow.h"
#include "themes/DarkMode.h"

#include <QApplication>
#include <QMainWindow>
#include <QSet>
#include <QTimer>
#include <QWidget>

MyApp *gMyApp = nullptr;
int gAppLaunchState = 0;

namespace {

constexpr int kGatherMilliseconds = 150;
// Long enough for a start window that hides to be followed by the compare window it opens.
constexpr double kLastWindowCheckDelay = 0.3;

platform::DocumentController &documents()
{
    return platform::DocumentController::sharedDocumentController();
}

// Windows that keep the process running: top-level, shown, not a menu, tip or splash.
bool keepsProcessAlive(const QWidget *w)
{
    if (!w || !w->isWindow() || !w->isVisible())
        return false;
    switch (w->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
        return false;
    default:
        return true;
    }
}

} // namespace

MyApp::MyApp(QObject *parent) : QObject(parent)
{
    gMyApp = this;
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(kGatherMilliseconds);
    connect(timer, &QTimer::timeout, this, [this] { application_openFiles_Later(); });
    openFileTimers = timer;
    if (qApp)
        qApp->installEventFilter(this);
}

MyApp::~MyApp()
{
    if (gMyApp == this)
        gMyApp = nullptr;
    if (openFileTimers)
        openFileTimers->stop();
    openFileTimers_FileArray.clear();
    auto &hooks = appCommandHooks();
    hooks.validateDarkModeChanged = nullptr;
    hooks.validateThemeForAppearance = nullptr;
    hooks.hasOpenWindow = nullptr;
    hooks.openStartWindow = nullptr;
    hooks.isQuitting = nullptr;
    hooks.requestQuit = nullptr;
    MergeFileListWndCtr::setNavigateBackHandler(nullptr);
    MergeEditWndCtr::setFolderPairOpener(nullptr);
    MergeFileListWndCtr::setFolderPairOpener(nullptr);
    for (QMenu *menu : sharedMenus())
        delete menu;
}

// Start-up ----------------------------------------------------------------------------------------

void MyApp::awakeFromNib()
{
    GUARD_BEGIN
    gMyApp = this;
    openFileTimers_FileArray.clear();
    gAppSetting.bIsDarkMode = GetIsDarkMode() ? 1 : 0;

    auto &hooks = appCommandHooks();
    hooks.validateDarkModeChanged = [this] { validateDarkModeChanged(false); };
    hooks.validateThemeForAppearance = [] { ValidateThemeBaseOnCurrentMacDarkModeValue(); };
    const auto hasOpenWindow = [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (keepsProcessAlive(w))
                return true;
        return false;
    };
    const auto openStartWindow = [this] { newDocument(); };
    hooks.hasOpenWindow = hasOpenWindow;
    hooks.openStartWindow = openStartWindow;
    hooks.isQuitting = [] { return AppTermination::IsQuitting(); };
    hooks.requestQuit = [] { AppTermination::RequestQuit(true); };

    // The folder window's Go Back opens the start window of its two folders.
    MergeFileListWndCtr::setNavigateBackHandler(
        [this](const QString &folder1, const QString &folder2) {
            openDocument_withPath1_withPath2(folder1, folder2);
        });
    // The text window's Compare Folders (the folders of its two files) and the folder window's
    // Compare Selected Folders: the start window of the two folders.
    const auto openFolderPair = [this](const QString &folder1, const QString &folder2,
                                       bool runNow) {
        compareFolderPair(folder1, folder2, runNow);
    };
    MergeEditWndCtr::setFolderPairOpener(openFolderPair);
    MergeFileListWndCtr::setFolderPairOpener(openFolderPair);
    // Every window gives its named images the variants of the current appearance when it loads.
    static const bool observing = [] {
        platform::WindowController::addLoadObserver(
            [](QWidget *window) { RefreshControlsInDarkMode(window); });
        return true;
    }();
    (void)observing;
    ObserveAppearanceChange(this, [this] { validateDarkModeChanged(true); });
    validateDarkModeChanged(false);
    buildMenus();
    // A first run shows the preferences first; they open the start window when they close.
    if (gIsFirstRun)
        ScheduleFirstRunPreferences(hasOpenWindow, openStartWindow);
    GUARD_END_VOID
}

void MyApp::applicationDidFinishLaunching()
{
    GUARD_BEGIN
    gAppLaunchState = 1;
    app_prepareUIInformation();
    const int restored = AppTermination::RestoreUntitledTexts();
    // Paths handed over open their own windows (also when already handled), and so do kept
    // texts; a first run opens its start window once the preferences have closed.
    if (restored == 0 && !mFilesHandedOver && applicationShouldOpenUntitledFile())
        newDocument();
    GUARD_END_VOID
    scheduleLastWindowCheck();
}

void MyApp::applicationWillTerminate()
{
    GUARD_BEGIN
    if (openFileTimers)
        openFileTimers->stop();
    openFileTimers_FileArray.clear();
    for (platform::Document *d : documents().documents())
        if (!d->isClosed())
            d->close();
    GUARD_END_VOID
}

void MyApp::app_prepareUIInformation()
{
    if (mPrepared)
        return;
    mPrepared = true;
    GUARD_BEGIN
    gMyApp = this;
    DeleteTempSettingLog();
    OpenCompareWindowList_Reset();
    GUARD_END_VOID
}

bool MyApp::applicationShouldOpenUntitledFile() const
{
    return !gIsFirstRun || GetAppBusyFlag();
}

// Appearance --------------------------------------------------------------------------------------

void MyApp::validateDarkModeChanged(bool fromNotification)
{
    GUARD_BEGIN
    shellLog(QStringLiteral("validateDarkModeChanged START ****"));
    ResetDarkModeCache();
    if (!fromNotification) {
        validateDarkModeChanged_Later();
        return;
    }
    // Each change gets its own read: two changes 0.1 s apart schedule two.
    platform::performAfterDelay(this, 0.2, [this] { validateDarkModeChanged_Later(); });
    GUARD_END_VOID
}

void MyApp::validateDarkModeChanged_Later()
{
    GUARD_BEGIN
    const bool dark = GetIsDarkMode();
    gAppSetting.bIsDarkMode = dark ? 1 : 0;
    shellLog(QStringLiteral("DarkMode changed: %1").arg(dark ? 1 : 0));
    if (!IsDarkModeSupported())
        return;
    for (QMenu *menu : sharedMenus())
        RefreshControlsInDarkMode(menu);
    for (QWidget *w : QApplication::topLevelWidgets())
        w->update();
    ValidateThemeBaseOnCurrentMacDarkModeValue();
    GUARD_END_VOID
}

// Paths handed over -------------------------------------------------------------------------------

void MyApp::application_openFiles(const QStringList &paths, bool complete)
{
    GUARD_BEGIN
    if (paths.isEmpty())
        return;
    mFilesHandedOver = true;
    openFileTimers_FileArray += paths;
    if (complete) {
        // Nothing more will join it: waiting would only delay its window.
        openFileTimers->stop();
        application_openFiles_Later();
        return;
    }
    openFileTimers->start(); // restarts a pending wait
    GUARD_END_VOID
}

bool MyApp::hasPendingFiles() const
{
    return openFileTimers && openFileTimers->isActive();
}

void MyApp::application_openFiles_Later()
{
    const QStringList paths = openFileTimers_FileArray;
    // Emptied in every case, also when handling fails.
    openFileTimers_FileArray.clear();
    GUARD_BEGIN
    handleBatch(paths);
    GUARD_END_VOID
    scheduleLastWindowCheck();
}

namespace {

// More windows than this from one batch are opened only when the user says so.
constexpr int kWindowsWithoutAsking = 5;

// Paths from the third on open a window each: a path repeated among them opens one. Repeats
// become empty paths, which are skipped, so that every other path keeps its place.
QStringList withoutRepeatedWindows(const QStringList &paths)
{
    QStringList out = paths;
    QSet<QString> seen;
    for (qsizetype i = 2; i < out.size(); ++i) {
        if (seen.contains(out[i]))
            out[i].clear();
        else
            seen.insert(out[i]);
    }
    return out;
}

// The windows the batch opens, when each one it opens is a start window.
int windowsToOpen(const QStringList &paths, bool remembered)
{
    int windows = 0;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (paths[i].isEmpty() || (remembered && i <= 1))
            continue;
        ++windows;
        remembered = true;
    }
    return windows;
}

bool userWantsWindows(int windows)
{
    return ShowMessage2(L_(QStringLiteral("Warning")),
                        FillFormat(L_(QStringLiteral("The files handed over would open %@ "
                                                     "windows. Open them all?")),
                                   {QString::number(windows)}),
                        L_(QStringLiteral("Open All")), L_(QStringLiteral("Cancel"))) == 1000;
}

} // namespace

void MyApp::handleBatch(const QStringList &batch)
{
    if (batch.isEmpty()) {
        REPORT_FATAL();
        return;
    }
    app_prepareUIInformation();
    if (batch.size() >= 2 && applicationAutoCompareWith(batch))
        return;
    WindowFactory *factory = windowFactory();
    if (!factory) {
        REPORT_FATAL();
        return;
    }
    // Only a start window still open takes paths: one closed since is never written to.
    platform::Document *remembered =
        startWindowUsable(mLaunchStartWindow) ? mLaunchStartWindow.data() : nullptr;
    const QStringList paths = withoutRepeatedWindows(batch);
    const int windows = windowsToOpen(paths, remembered != nullptr);
    if (windows > kWindowsWithoutAsking && !userWantsWindows(windows)) {
        platform::Log(lcShell,
                      QStringLiteral("Opened none of the %1 windows of a batch").arg(windows));
        return;
    }
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &path = paths[i];
        if (path.isEmpty())
            continue;
        if (remembered && i <= 1) {
            factory->setRightText(remembered, path);
            continue;
        }
        platform::Document *opened = documents().openDocumentWithContentsOfFile(path, true);
        if (!opened) {
            platform::Log(lcShell, QStringLiteral("No window opened for %1").arg(path));
            continue;
        }
        if (!remembered && factory->isStartWindow(opened)) {
            remembered = opened;
            if (gAppLaunchState == 0)
                mLaunchStartWindow = opened;
        }
    }
}

bool MyApp::applicationAutoCompareWith(const QStringList &paths)
{
    GUARD_BEGIN
    if (paths.size() != 2 || paths[0].isEmpty() || paths[1].isEmpty())
        return false;
    const QString &left = paths[0];
    const QString &right = paths[1];
    WindowFactory *factory = windowFactory();
    if (!factory)
        return false;
    if (IsPathExist(left) && IsPathExist(right) && gAppSetting_compare_leftHistoryPaths &&
        gAppSetting_compare_rightHistoryPaths) {
        AddPathToRecentList(left, gAppSetting_compare_leftHistoryPaths, true);
        AddPathToRecentList(right, gAppSetting_compare_rightHistoryPaths, true);
    }
    const PairWindow window = CompareWindowForPaths(left, right);
    if (window == PairWindow::Image)
        return factory->openImageWindow(left, right) != nullptr;
    if (window == PairWindow::Text)
        return factory->openTextWindow(left, right) != nullptr;
    if (IsFolderExist(left) || IsFolderExist(right)) {
        platform::Document *start = openDocument_withPath1_withPath2(left, right);
        // Two folders are compared at once, with the stored options, as on other desktops.
        if (start && window == PairWindow::Folder)
            factory->tryToCompareRightNow(start);
        return true;
    }
    return false;
    GUARD_END(false)
}

platform::Document *MyApp::openDocument_withPath1_withPath2(const QString &path1,
                                                            const QString &path2)
{
    GUARD_BEGIN
    WindowFactory *factory = windowFactory();
    platform::Document *document = documents().openUntitledDocumentAndDisplay(true);
    if (!document || !factory || !factory->isStartWindow(document))
        return document;
    factory->setLeftText(document, path1.isNull() ? QString(u""_qs) : path1);
    factory->setRightText(document, path2.isNull() ? QString(u""_qs) : path2);
    return document;
    GUARD_END(nullptr)
}

void MyApp::compareFolderPair(const QString &folder1, const QString &folder2, bool runNow)
{
    GUARD_BEGIN
    platform::Document *document = Merge_Compare_two_subdirectories(folder1, folder2);
    WindowFactory *factory = windowFactory();
    if (runNow && document && factory && factory->isStartWindow(document))
        factory->tryToCompareRightNow(document);
    GUARD_END_VOID
}

platform::Document *MyApp::Merge_Compare_two_subdirectories(const QString &folder1,
                                                            const QString &folder2)
{
    GUARD_BEGIN
    // Paths are compared exactly: on Linux "a" and "A" are two folders.
    if (!IsFolderExist(folder1) || !IsFolderExist(folder2) || IsSamePath(folder1, folder2)) {
        REPORT_FATAL();
        return nullptr;
    }
    if (WindowFactory *factory = windowFactory()) {
        for (platform::Document *d : documents().documents()) {
            if (!startWindowUsable(d))
                continue;
            const QString p1 = factory->fullPath1(d);
            const QString p2 = factory->fullPath2(d);
            if ((IsSamePath(p1, folder1) && IsSamePath(p2, folder2)) ||
                (IsSamePath(p1, folder2) && IsSamePath(p2, folder1))) {
                QWidget *w = factory->startWindow(d);
                w->show();
                w->raise();
                w->activateWindow();
                return d;
            }
        }
    }
    return openDocument_withPath1_withPath2(folder1, folder2);
    GUARD_END(nullptr)
}

platform::WindowController *MyApp::create_New_BlankEdit()
{
    GUARD_BEGIN
    WindowFactory *factory = windowFactory();
    return factory ? factory->openBlankTextWindow() : nullptr;
    GUARD_END(nullptr)
}

void MyApp::New_BlankEdit()
{
    create_New_BlankEdit();
}

void MyApp::newDocument()
{
    GUARD_BEGIN
    documents().openUntitledDocumentAndDisplay(true);
    GUARD_END_VOID
}

bool MyApp::startWindowUsable(platform::Document *document) const
{
    WindowFactory *factory = windowFactory();
    return document && factory && !document->isClosed() && factory->isStartWindow(document) &&
           !factory->isClosing(document) && factory->startWindow(document);
}

platform::Document *MyApp::rememberedStartWindow() const
{
    return startWindowUsable(mLaunchStartWindow) ? mLaunchStartWindow.data() : nullptr;
}

// Commands ----------------------------------------------------------------------------------------

void MyApp::Btn_Setting()
{
    ::Btn_Setting(false);
}

void MyApp::Menu_AssignFileTypeToLanguage()
{
    ::Menu_AssignFileTypeToLanguage();
}

void MyApp::Menu_Quit()
{
    AppTermination::RequestQuit(true);
}

// The process ends with its last window ---------------------------------------------------------

bool MyApp::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide || type == QEvent::Close) &&
        watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        if (w->isWindow()) {
            if (type == QEvent::Show && keepsProcessAlive(w)) {
                if (auto *main = qobject_cast<QMainWindow *>(w))
                    adoptMainWindow(main);
                logWindowShown(w);
            } else if (type != QEvent::Show)
                scheduleLastWindowCheck();
        }
    } else if (type == QEvent::Paint && lcShell().isInfoEnabled() && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        if (w->isWindow() && !w->property("pelkoPainted").toBool()) {
            w->setProperty("pelkoPainted", true);
            shellLog(QStringLiteral("Window painted: %1 at %2 ms")
                         .arg(windowKindName(w))
                         .arg(millisecondsSinceLaunch()));
        }
    }
    return QObject::eventFilter(watched, event);
}

void MyApp::scheduleLastWindowCheck()
{
    platform::performAfterDelay(
        this, kLastWindowCheckDelay, [this] { quitIfNoWindowLeft(); },
        QStringLiteral("lastWindow"));
}

void MyApp::quitIfNoWindowLeft()
{
    if (gAppLaunchState == 0 || hasPendingFiles() || platform::currentModalWindow() ||
        QApplication::activeModalWidget())
        return;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (keepsProcessAlive(w))
            return;
    shellLog(QStringLiteral("Last window closed"));
    if (mQuitHandler)
        mQuitHandler();
    else
        QCoreApplication::quit();
}
