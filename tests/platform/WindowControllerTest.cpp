// Window controllers own their windows; documents own their controllers.
#include <gtest/gtest.h>

#include "platform/Document.h"
#include "platform/WindowController.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

namespace {

class ProbeController : public platform::WindowController
{
public:
    ProbeController() : platform::WindowController(QStringLiteral("ProbeNib")) {}
    int loads = 0;
    int closes = 0;

protected:
    QWidget *makeWindow() override { return new QDialog(); }
    void windowDidLoad() override { ++loads; }
    void windowWillCloseEvent() override { ++closes; }
};

// A window whose layout makes it wider than it was sized before it shows.
class WideProbeController : public ProbeController
{
protected:
    QWidget *makeWindow() override
    {
        auto *dialog = new QDialog();
        auto *content = new QWidget(dialog);
        content->setMinimumWidth(600);
        (new QVBoxLayout(dialog))->addWidget(content);
        return dialog;
    }
};

class ProbeDocument : public platform::Document
{
public:
    bool accept = true;
    bool readFromFile(const QString &, const QString &) override { return accept; }
    void makeWindowControllers() override { addWindowController(new ProbeController()); }
};

} // namespace

TEST(WindowController, LoadsOnceAndOwnsItsWindow)
{
    QPointer<QWidget> window;
    {
        ProbeController c;
        EXPECT_EQ(c.property("windowNibName").toString(), QStringLiteral("ProbeNib"));
        EXPECT_FALSE(c.isWindowLoaded());
        window = c.window();
        ASSERT_TRUE(window);
        EXPECT_EQ(c.window(), window.data());
        EXPECT_EQ(c.loads, 1);
        c.showWindow();
        EXPECT_TRUE(window->isVisible());
        c.close();
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(c.closes, 1);
        EXPECT_TRUE(window); // closing keeps the window
    }
    EXPECT_FALSE(window); // the controller deleted it
}

TEST(Document, ControllerOpensAndForgetsDocuments)
{
    auto &dc = platform::DocumentController::sharedDocumentController();
    EXPECT_EQ(dc.openUntitledDocumentAndDisplay(false), nullptr); // no factory yet
    bool accept = true;
    dc.setDocumentFactory([&accept] {
        auto *d = new ProbeDocument();
        d->accept = accept;
        return d;
    });
    platform::Document *untitled = dc.openUntitledDocumentAndDisplay(false);
    ASSERT_TRUE(untitled);
    EXPECT_TRUE(untitled->fileURL().isEmpty());
    ASSERT_TRUE(untitled->windowForSheet());
    EXPECT_EQ(dc.documentForWindow(untitled->windowForSheet()), untitled);

    platform::Document *file =
        dc.openDocumentWithContentsOfFile(QStringLiteral("/tmp/a/b.txt"), false);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->displayName(), QStringLiteral("b.txt"));
    accept = false;
    EXPECT_EQ(dc.openDocumentWithContentsOfFile(QStringLiteral("/tmp/c.txt"), false), nullptr);
    EXPECT_EQ(dc.documents().size(), 2);

    QPointer<platform::Document> gone = untitled;
    untitled->close();
    EXPECT_EQ(dc.documents().size(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(gone);
    delete file;
    EXPECT_TRUE(dc.documents().isEmpty());
    dc.setDocumentFactory(nullptr);
}

TEST(Document, ControllerDeletedElsewhereIsForgotten)
{
    QPointer<platform::Document> doc = new platform::Document();
    auto *kept = new ProbeController();
    auto *dropped = new ProbeController();
    QPointer<QWidget> keptWindow = kept->window();
    doc->addWindowController(kept);
    doc->addWindowController(dropped);
    delete dropped;
    EXPECT_EQ(doc->windowControllers(), QList<platform::WindowController *>{kept});
    EXPECT_EQ(doc->windowForSheet(), keptWindow.data());
    delete doc.data(); // deletes the one controller left, once
    EXPECT_FALSE(keptWindow);
}

TEST(WindowController, CascadedPositionStaysOnTheScreen)
{
    const QRect screen(0, 30, 1000, 700); // a panel above
    struct Row
    {
        const char *name;
        QPoint from;
        QSize size;
        QPoint expected;
    };
    const Row rows[] = {
        {"room to move", {100, 100}, {400, 300}, {122, 122}},
        {"just fits", {578, 408}, {400, 300}, {600, 430}},
        {"past the right edge", {590, 100}, {400, 300}, {0, 122}},
        {"past the bottom edge", {100, 420}, {400, 300}, {122, 30}},
        {"past both", {900, 650}, {400, 300}, {0, 30}},
        {"above the screen", {100, -100}, {400, 300}, {122, 30}},
        {"bigger than the screen", {0, 30}, {1200, 900}, {0, 30}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(platform::WindowController::cascadedPosition(row.from, row.size, screen),
                  row.expected);
    }
}

TEST(WindowController, CascadingWindowsOpenOffsetFromTheOneBeforeInsideTheScreen)
{
    ProbeController first, second, third, plain;
    for (ProbeController *c : {&first, &second, &third, &plain})
        c->window()->resize(200, 150);
    const QRect area = first.window()->screen()->availableGeometry();
    first.window()->move(area.topLeft() + QPoint(10, 10));
    for (ProbeController *c : {&first, &second, &third})
        c->setShouldCascadeWindows(true);
    first.showWindow();
    second.showWindow();
    third.showWindow();
    const QPoint step(platform::WindowController::kCascadeStep,
                      platform::WindowController::kCascadeStep);
    EXPECT_EQ(second.window()->frameGeometry().topLeft(),
              first.window()->frameGeometry().topLeft() + step);
    EXPECT_EQ(third.window()->frameGeometry().topLeft(),
              second.window()->frameGeometry().topLeft() + step);
    // Showing a shown window again does not move it.
    const QPoint secondAt = second.window()->pos();
    second.showWindow();
    EXPECT_EQ(second.window()->pos(), secondAt);
    // A window that does not cascade stays where it was put.
    plain.window()->move(area.topLeft() + QPoint(5, 5));
    plain.showWindow();
    EXPECT_EQ(plain.window()->pos(), area.topLeft() + QPoint(5, 5));
    // Next to a window at the screen's corner, a new one starts again at the top left.
    third.close();
    second.window()->move(area.bottomRight() - QPoint(200, 150));
    third.showWindow();
    EXPECT_TRUE(area.contains(third.window()->frameGeometry())) << area.width();
    EXPECT_EQ(third.window()->frameGeometry().topLeft(), area.topLeft());
}

TEST(WindowController, ACascadedWindowFitsTheScreenAtTheSizeItShowsWith)
{
    ProbeController first;
    WideProbeController wide;
    const QRect area = first.window()->screen()->availableGeometry();
    first.window()->resize(200, 150);
    wide.window()->resize(200, 150); // its layout widens it to 600 when it shows
    first.window()->move(area.topLeft() + QPoint(area.width() - 300, 10));
    first.setShouldCascadeWindows(true);
    wide.setShouldCascadeWindows(true);
    first.showWindow();
    wide.showWindow();
    ASSERT_GE(wide.window()->width(), 600);
    EXPECT_TRUE(area.contains(wide.window()->frameGeometry()))
        << wide.window()->frameGeometry().x() << " + " << wide.window()->frameGeometry().width();
}

TEST(WindowController, EveryCascadedFrameStaysInsideTheScreen)
{
    // Ten windows, each a step below the one before, tall enough that the later ones reach the
    // bottom: every frame, decorations included, stays inside the screen's free area, though a
    // window that has never shown has no frame yet to measure.
    constexpr int kStep = platform::WindowController::kCascadeStep;
    std::vector<std::unique_ptr<ProbeController>> windows;
    for (int i = 0; i < 10; ++i)
        windows.push_back(std::make_unique<ProbeController>());
    const QRect area = windows[0]->window()->screen()->availableGeometry();
    for (const auto &c : windows) {
        c->window()->resize(200, area.height() - 6 * kStep - 1);
        c->setShouldCascadeWindows(true);
    }
    windows[0]->window()->move(area.topLeft());
    for (const auto &c : windows) {
        c->showWindow();
        EXPECT_TRUE(area.contains(c->window()->frameGeometry()))
            << c->window()->frameGeometry().y() << " + " << c->window()->frameGeometry().height()
            << " in " << area.height();
    }
    ASSERT_GT(windows[0]->window()->frameGeometry().height(), windows[0]->window()->height());

    // The decorations a window will get: its own once framed, else those of a shown window.
    using platform::WindowController;
    QWidget *shown = windows[0]->window();
    const QMargins framed = WindowController::expectedFrameMargins(shown, nullptr);
    EXPECT_EQ(shown->geometry().marginsAdded(framed), shown->frameGeometry());
    ProbeController unframed;
    EXPECT_EQ(WindowController::expectedFrameMargins(unframed.window(), shown), framed);
    EXPECT_TRUE(WindowController::expectedFrameMargins(unframed.window(), nullptr).isNull());
    EXPECT_TRUE(WindowController::expectedFrameMargins(nullptr, shown).isNull());
}
