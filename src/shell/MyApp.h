#pragma once
// The application delegate: set up once at start, it gives every main window the shared menus,
// follows the light or dark appearance, takes the paths handed to the application (arguments,
// the desktop file, a second start) and opens the windows they ask for.

#include <QAction>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <functional>

class QMainWindow;
class QMenuBar;
class QTimer;
class MyLanguageInfo;
namespace platform {
class Document;
class WindowController;
} // namespace platform

class MyApp : public QObject
{
    Q_OBJECT
public:
    explicit MyApp(QObject *parent = nullptr);
    ~MyApp() override;

    // Start-up: the appearance, the shared menus and, on a first run, the preferences.
    void awakeFromNib();
    // Launching has finished: prepares the window table once and brings back the untitled texts
    // kept at the last quit; opens a start window unless a window is open, paths are pending or
    // the first run's preferences come first.
    void applicationDidFinishLaunching();
    // Once per process: the compare engine's output file and the table of compare windows.
    void app_prepareUIInformation();
    bool applicationShouldOpenUntitledFile() const;
    // Quitting: the pending paths are dropped and the start windows close (storing their
    // settings).
    void applicationWillTerminate();

    // Paths handed over: gathered for 0.15 s (each arrival restarts the wait), then handled as
    // one batch. A complete batch (two or more paths on the command line or in one hand-over
    // message) is handled at once, together with what was gathered before it.
    void application_openFiles(const QStringList &paths, bool complete = false);
    void application_openFiles_Later();
    bool hasPendingFiles() const;
    // Two files open their compare window at once, two paths with a folder a start window.
    // False when the pair is not for a direct compare.
    bool applicationAutoCompareWith(const QStringList &paths);
    // A new start window holding both paths (null paths as empty); nullptr when none opened.
    platform::Document *openDocument_withPath1_withPath2(const QString &path1,
                                                         const QString &path2);
    // Brings an open start window of these two folders (either order) to the front, else opens
    // a new one with them.
    // Merge_Compare_two_subdirectories, then with runNow presses the start window's Compare.
    void compareFolderPair(const QString &folder1, const QString &folder2, bool runNow);
    // The start window of the two folders, found or opened; nullptr when none could be.
    platform::Document *Merge_Compare_two_subdirectories(const QString &folder1,
                                                         const QString &folder2);
    // An empty text compare window; nullptr when it could not be made.
    platform::WindowController *create_New_BlankEdit();
    Q_INVOKABLE void New_BlankEdit();
    // A new untitled start window.
    Q_INVOKABLE void newDocument();

    // The appearance changed: forget the cached state and read it again 0.2 s later.
    void validateDarkModeChanged(bool fromNotification);
    void validateDarkModeChanged_Later();

    // The shared menus, in the order every main window's menu bar adds them after its own.
    QList<QMenu *> sharedMenus() const;
    // Adds the shared menus to a menu bar (once).
    void addSharedMenus(QMenuBar *bar);
    // Hides the menus of the bar that show no item.
    static void hideEmptyMenus(QMenuBar *bar);
    // Gives a main window the shared menus when it first shows: its menu bar adds them, the text
    // window's own encodings and languages submenus give way, and the folder window's verdict
    // filters become the shared items.
    void adoptMainWindow(QMainWindow *window);
    QMenu *mMenu_Merge_MainMenu() const { return mMenuMerge; }
    QMenu *menu_ReloadWithEncodings() const { return mMenuReloadWithEncodings; }
    QMenu *menu_HightLightWithLanguage() const { return mMenuHightLightWithLanguage; }
    QAction *menuShowDifferent() const { return mMenuShowDifferent; }
    QAction *menuShowIdentical() const { return mMenuShowIdentical; }
    QAction *menuShowLeftOnly() const { return mMenuShowLeftOnly; }
    QAction *menuShowRightOnly() const { return mMenuShowRightOnly; }
    QAction *menuShowFolder() const { return mMenuShowFolder; }

    // Fills the encodings and languages submenus again from their lists.
    void fillEncodingsMenu();
    void fillLanguagesMenu();
    // The same from given lists: an entry of the wrong shape is reported and adds no item.
    void fillEncodingsMenuFrom(const QList<QVariantList> &entries);
    void fillLanguagesMenuFrom(const QList<std::shared_ptr<MyLanguageInfo>> &languages);

    // The start window remembered from a batch handled before launching finished, while it is
    // open (tests).
    platform::Document *rememberedStartWindow() const;
    // What ends the process once its last window has gone (tests replace it).
    void setQuitHandler(std::function<void()> handler) { mQuitHandler = std::move(handler); }

    // Commands of the shared menus that the delegate answers itself.
    Q_INVOKABLE void Btn_Setting();
    Q_INVOKABLE void Menu_AssignFileTypeToLanguage();
    Q_INVOKABLE void Menu_Quit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void handleBatch(const QStringList &paths);
    bool startWindowUsable(platform::Document *document) const;
    void scheduleLastWindowCheck();
    void quitIfNoWindowLeft();

    QPointer<QTimer> openFileTimers;
    QStringList openFileTimers_FileArray;
    // The start window stored by a batch before launching finished; dropped once it closes.
    QPointer<platform::Document> mLaunchStartWindow;
    bool mPrepared = false;
    bool mFilesHandedOver = false;
    std::function<void()> mQuitHandler;

    QPointer<QMenu> mMenuFile;
    QPointer<QMenu> mMenuMerge;
    QPointer<QMenu> mMenuView;
    QPointer<QMenu> mMenuReloadWithEncodings;
    QPointer<QMenu> mMenuHightLightWithLanguage;
    QPointer<QAction> mMenuShowDifferent;
    QPointer<QAction> mMenuShowIdentical;
    QPointer<QAction> mMenuShowLeftOnly;
    QPointer<QAction> mMenuShowRightOnly;
    QPointer<QAction> mMenuShowFolder;
};

// The one delegate (nullptr before it is made and after it is gone).
extern MyApp *gMyApp;
// 0 until launching has finished, then 1.
extern int gAppLaunchState;
