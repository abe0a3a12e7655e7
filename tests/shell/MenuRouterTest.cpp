// The shared menus: items without a target reach the active window's controller, else the
// delegate; unanswered items are disabled; malformed list entries add no item; main windows get
// the shared menus in place of their own submenus and verdict items.
#include "ShellFakes.h"

#include "platform/Guard.h"
#include "services/AppSetting.h"
#include "shell/MenuRouter.h"
#include "shell/MyApp.h"
#include "support/TestEnvironment.h"
#include "themes/MyLanguageInfo.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MenuRouterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppSetting_SetDefault(&gAppSetting);
        platform::setReportSink([this](const QByteArray &) { ++reports; });
        app = std::make_unique<MyApp>();
        app->setQuitHandler([] {});
        app->awakeFromNib();
        reports = 0;
    }
    void TearDown() override
    {
        app.reset();
        platform::setReportSink(nullptr);
    }
    // Makes the window the active one.
    static bool activate(QWidget *w)
    {
        w->show();
        QApplication::setActiveWindow(w);
        return QTest::qWaitForWindowActive(w, 3000);
    }

    FakeWindowFactory factory;
    std::unique_ptr<MyApp> app;
    int reports = 0;
};

TEST_F(MenuRouterTest, CommandsGoToTheActiveWindowElseTheDelegateElseNowhere)
{
    AnsweringWindow window;
    ASSERT_TRUE(activate(window.window()));
    QMenu menu;
    QAction *reload = addRoutedAction(&menu, QStringLiteral("UTF-8"), "Menu_ReloadWithEncoding");
    QAction *blank = addRoutedAction(&menu, QStringLiteral("Blank"), "New_BlankEdit");
    QAction *unknown = addRoutedAction(&menu, QStringLiteral("Nobody"), "Menu_NoSuchCommand");

    validateRoutedItems(&menu);
    EXPECT_TRUE(reload->isEnabled());
    EXPECT_TRUE(blank->isEnabled());
    EXPECT_FALSE(unknown->isEnabled());
    // The window answers before the delegate, and gets the item itself.
    reload->trigger();
    blank->trigger();
    EXPECT_EQ(window.calls, QStringList({QStringLiteral("UTF-8"), QStringLiteral("own blank")}));
    EXPECT_TRUE(factory.compareWindows().isEmpty());

    // Another active window that does not answer: the delegate takes what it knows.
    QWidget other;
    ASSERT_TRUE(activate(&other));
    validateRoutedItems(&menu);
    EXPECT_FALSE(reload->isEnabled());
    EXPECT_TRUE(blank->isEnabled());
    blank->trigger();
    EXPECT_EQ(factory.compareWindows(), QStringList{QStringLiteral("blank  ")});
    // An item enabled earlier asks again when triggered: nobody answers now, nothing happens.
    reload->setEnabled(true);
    EXPECT_FALSE(routeAction(reload));
    EXPECT_EQ(window.calls.size(), 2);
}

TEST_F(MenuRouterTest, AStartWindowAnswersThroughItsDocument)
{
    platform::DocumentController::sharedDocumentController().setDocumentFactory(
        [] { return new FakeStartDocument(); });
    app->newDocument();
    auto *start = qobject_cast<FakeStartDocument *>(
        platform::DocumentController::sharedDocumentController().documents().value(0));
    ASSERT_TRUE(start);
    ASSERT_TRUE(activate(start->windowForSheet()));
    QAction *forward = nullptr;
    for (QAction *a : app->mMenu_Merge_MainMenu()->actions())
        if (routedCommand(a) == "Navigate_Forward")
            forward = a;
    ASSERT_TRUE(forward);
    validateRoutedItems(app->mMenu_Merge_MainMenu());
    EXPECT_TRUE(forward->isEnabled());
    forward->trigger();
    EXPECT_EQ(start->compares, 1);
    delete start;
    platform::DocumentController::sharedDocumentController().setDocumentFactory(nullptr);
    // Without a start window nobody goes forward.
    QWidget other;
    ASSERT_TRUE(activate(&other));
    validateRoutedItems(app->mMenu_Merge_MainMenu());
    EXPECT_FALSE(forward->isEnabled());
}

TEST_F(MenuRouterTest, MalformedEncodingAndLanguageEntriesAddNoItem)
{
    QMenu *encodings = app->menu_ReloadWithEncodings();
    ASSERT_TRUE(encodings);
    EXPECT_GT(encodings->actions().size(), 10); // the machine's encodings
    app->fillEncodingsMenuFrom({
        {QStringLiteral("Unicode (UTF-8)"), 4},
        {42, 5},                                           // a number where the name goes
        {QStringLiteral("Latin"), QStringLiteral("five")}, // a text where the number goes
        {QStringLiteral("Alone")},                         // too short
        {QStringLiteral("Western (ISO Latin 1)"), 5},
    });
    QStringList titles;
    for (QAction *a : encodings->actions())
        titles << a->text();
    EXPECT_EQ(titles, QStringList({QStringLiteral("Unicode (UTF-8)"),
                                   QStringLiteral("Western (ISO Latin 1)")}));
    EXPECT_EQ(reports, 3);
    for (QAction *a : encodings->actions())
        EXPECT_EQ(routedCommand(a), QByteArray("Menu_ReloadWithEncoding"));

    // An empty list is reported and leaves the menu as it was.
    app->fillEncodingsMenuFrom({});
    EXPECT_EQ(encodings->actions().size(), 2);
    EXPECT_EQ(reports, 4);

    // Languages: plain text first, then each language; a missing entry adds nothing.
    app->fillLanguagesMenuFrom({nullptr});
    EXPECT_EQ(app->menu_HightLightWithLanguage()->actions().size(), 1);
    EXPECT_EQ(reports, 5);
    app->fillLanguagesMenuFrom({});
    EXPECT_EQ(app->menu_HightLightWithLanguage()->actions().size(), 1);
}

TEST_F(MenuRouterTest, MainWindowsShareTheMenusInPlaceOfTheirOwn)
{
    QMainWindow window;
    QMenu *own = window.menuBar()->addMenu(QStringLiteral("&Text"));
    QMenu *ownEncodings = own->addMenu(QStringLiteral("Reload with Encoding"));
    ownEncodings->setObjectName(QStringLiteral("mMenuReloadWithEncoding"));
    // The text window's Text menu holds, besides its submenus, only the file-types item that the
    // shared menu has too.
    own->addSeparator();
    QAction *ownFileTypes = own->addAction(QStringLiteral("File Types and Languages..."));
    ownFileTypes->setObjectName(QStringLiteral("actionAssignFileTypeToLanguage"));
    QMenu *view = window.menuBar()->addMenu(QStringLiteral("View"));
    QAction *ownFilter = view->addAction(QStringLiteral("Show Different"));
    ownFilter->setObjectName(QStringLiteral("menuShowDifferent"));
    ownFilter->setParent(&window);
    window.show();

    const QList<QAction *> bar = window.menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar.last(), app->mMenu_Merge_MainMenu()->menuAction());
    EXPECT_FALSE(ownEncodings->menuAction()->isVisible());
    // Nothing of its own left to show: the Text menu goes; the View menu stays.
    EXPECT_FALSE(own->menuAction()->isVisible());
    EXPECT_TRUE(view->menuAction()->isVisible());
    EXPECT_EQ(view->actions(), QList<QAction *>{app->menuShowDifferent()});
    // Shown again: added once.
    window.hide();
    window.show();
    EXPECT_EQ(window.menuBar()->actions().size(), 3);
    // The same menu object serves a second window.
    QMainWindow second;
    second.show();
    EXPECT_TRUE(second.menuBar()->actions().contains(app->mMenu_Merge_MainMenu()->menuAction()));
}

} // namespace
