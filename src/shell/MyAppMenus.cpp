// The shared menus of the application delegate. Linux has no menu bar of the application: every
// main window's menu bar adds these menus after its own, so one set of items serves all windows.
#include "shell/MyApp.h"

#include "platform/Guard.h"
#include "themes/LanguageList.h"
#include "services/Localization.h"
#include "services/TextFile.h"
#include "shell/AppCommands.h"
#include "shell/MenuRouter.h"
#include "themes/MyLanguageInfo.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

void MyApp::buildMenus()
{
    GUARD_BEGIN
    if (mMenuMerge)
        return;
    // Compare: new windows, the folder window's verdict filters, the text window's encodings and
    // languages, the commands of the whole application.
    mMenuMerge = new QMenu(L_(QStringLiteral("&Compare")));
    mMenuMerge->setObjectName(QStringLiteral("mMenu_Merge_MainMenu"));
    QAction *newCompare = addRoutedAction(mMenuMerge, L_(QStringLiteral("New Compare")),
                                          QByteArrayLiteral("newDocument"));
    newCompare->setShortcut(QKeySequence::New);
    addRoutedAction(mMenuMerge, L_(QStringLiteral("New Blank Text Compare")),
                    QByteArrayLiteral("New_BlankEdit"));
    // The start window's own steps; the text window keeps Alt+arrows for its blocks.
    QAction *forward = addRoutedAction(mMenuMerge, L_(QStringLiteral("Go Forward")),
                                       QByteArrayLiteral("Navigate_Forward"));
    forward->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketRight));
    QAction *back = addRoutedAction(mMenuMerge, L_(QStringLiteral("Go Back")),
                                    QByteArrayLiteral("Navigate_Back"));
    back->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketLeft));
    mMenuMerge->addSeparator();
    mMenuReloadWithEncodings = mMenuMerge->addMenu(L_(QStringLiteral("Reload with Encoding")));
    mMenuReloadWithEncodings->setObjectName(QStringLiteral("menu_ReloadWithEncodings"));
    mMenuHightLightWithLanguage =
        mMenuMerge->addMenu(L_(QStringLiteral("Highlight with Language")));
    mMenuHightLightWithLanguage->setObjectName(QStringLiteral("menu_HightLightWithLanguage"));
    // The marks item answers for itself: checked from the record, allowed while no dialog runs.
    AttachToggleViewMarksAction(
        mMenuMerge->addAction(L_(QStringLiteral("Show Invisible Characters"))), mMenuMerge);
    addRoutedAction(mMenuMerge, L_(QStringLiteral("File Types and Languages{++}...")),
                    QByteArrayLiteral("Menu_AssignFileTypeToLanguage"));
    mMenuMerge->addSeparator();
    QAction *preferences = addRoutedAction(mMenuMerge, L_(QStringLiteral("Preferences{++}...")),
                                           QByteArrayLiteral("Btn_Setting"));
    // The application's key filters serve these keys; the items show them.
    preferences->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    preferences->setShortcutContext(Qt::WidgetShortcut);
    QAction *quit =
        addRoutedAction(mMenuMerge, L_(QStringLiteral("Quit")), QByteArrayLiteral("Menu_Quit"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setShortcutContext(Qt::WidgetShortcut);
    installRoutedValidation(mMenuMerge);
    // The folder window's verdict filters: shared items that its View menu shows in place of its
    // own, answered by the active folder window.
    const auto verdict = [this](const char *name, const char *title) {
        auto *item = new QAction(L_(QString::fromLatin1(title)), this);
        item->setObjectName(QString::fromLatin1(name));
        item->setCheckable(true);
        setRoutedCommand(item, QByteArrayLiteral("toggleVerdictFilter"));
        return item;
    };
    mMenuShowDifferent = verdict("menuShowDifferent", "Show Different");
    mMenuShowIdentical = verdict("menuShowIdentical", "Show Identical");
    mMenuShowLeftOnly = verdict("menuShowLeftOnly", "Show Left Only");
    mMenuShowRightOnly = verdict("menuShowRightOnly", "Show Right Only");
    mMenuShowFolder = verdict("menuShowFolder", "Show Folders");
    fillEncodingsMenu();
    fillLanguagesMenu();
    GUARD_END_VOID
}

QList<QMenu *> MyApp::sharedMenus() const
{
    QList<QMenu *> menus;
    if (mMenuMerge)
        menus.append(mMenuMerge);
    return menus;
}

void MyApp::adoptMainWindow(QMainWindow *window)
{
    GUARD_BEGIN
    if (!window || window->property("pelkoSharedMenus").toBool() || sharedMenus().isEmpty())
        return;
    window->setProperty("pelkoSharedMenus", true);
    // The text window's own encodings and languages give way to the shared submenus, and its
    // file-types item to the shared one.
    for (const char *name : {"mMenuReloadWithEncoding", "mMenuHighlightWithLanguage"})
        if (auto *own = window->findChild<QMenu *>(QString::fromLatin1(name)))
            own->menuAction()->setVisible(false);
    if (auto *own = window->findChild<QAction *>(QStringLiteral("actionAssignFileTypeToLanguage")))
        own->setVisible(false);
    // The folder window's verdict filters become the shared items, where its own stood.
    for (QAction *shared :
         {mMenuShowDifferent.data(), mMenuShowIdentical.data(), mMenuShowLeftOnly.data(),
          mMenuShowRightOnly.data(), mMenuShowFolder.data()}) {
        QAction *own = shared ? window->findChild<QAction *>(shared->objectName()) : nullptr;
        if (!own)
            continue;
        for (QObject *holder : own->associatedObjects()) {
            auto *menu = qobject_cast<QMenu *>(holder);
            if (!menu)
                continue;
            menu->insertAction(own, shared);
            menu->removeAction(own);
            installRoutedValidation(menu);
        }
    }
    hideEmptyMenus(window->menuBar());
    addSharedMenus(window->menuBar());
    GUARD_END_VOID
}

void MyApp::hideEmptyMenus(QMenuBar *bar)
{
    // A menu left with nothing but separators would open on nothing.
    for (QAction *item : bar->actions()) {
        const QMenu *menu = item->menu();
        if (!menu)
            continue;
        const QList<QAction *> actions = menu->actions();
        if (std::none_of(actions.begin(), actions.end(),
                         [](const QAction *a) { return a->isVisible() && !a->isSeparator(); }))
            item->setVisible(false);
    }
}

void MyApp::addSharedMenus(QMenuBar *bar)
{
    if (!bar)
        return;
    for (QMenu *menu : sharedMenus())
        if (!bar->actions().contains(menu->menuAction()))
            bar->addMenu(menu);
}

void MyApp::fillEncodingsMenu()
{
    fillEncodingsMenuFrom(GetAllAvailableStringEncodings_Array_Name_Code());
}

void MyApp::fillEncodingsMenuFrom(const QList<QVariantList> &entries)
{
    GUARD_BEGIN
    if (!mMenuReloadWithEncodings || entries.isEmpty()) {
        REPORT_FATAL();
        return;
    }
    mMenuReloadWithEncodings->clear();
    for (const QVariantList &entry : entries) {
        const bool wellFormed = entry.size() >= 2 && entry[0].typeId() == QMetaType::QString &&
                                entry[1].canConvert<qulonglong>() &&
                                entry[1].typeId() != QMetaType::QString;
        if (!wellFormed) {
            REPORT_FATAL();
            continue;
        }
        addRoutedAction(mMenuReloadWithEncodings, entry[0].toString(),
                        QByteArrayLiteral("Menu_ReloadWithEncoding"));
    }
    GUARD_END_VOID
}

void MyApp::fillLanguagesMenu()
{
    fillLanguagesMenuFrom(gAppLanguageInfoList);
}

void MyApp::fillLanguagesMenuFrom(const QList<std::shared_ptr<MyLanguageInfo>> &languages)
{
    GUARD_BEGIN
    if (!mMenuHightLightWithLanguage) {
        REPORT_FATAL();
        return;
    }
    mMenuHightLightWithLanguage->clear();
    const QByteArray command("Menu_Change_HightLightWithLanguage");
    // Plain text first: the way back from a chosen language.
    addRoutedAction(mMenuHightLightWithLanguage, QStringLiteral("(none)"), command);
    for (const auto &info : languages) {
        if (!info || info->nameShow().isNull()) {
            REPORT_FATAL();
            continue;
        }
        addRoutedAction(mMenuHightLightWithLanguage, info->nameShow(), command);
    }
    GUARD_END_VOID
}
