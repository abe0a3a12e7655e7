// Window controllers own their windows; documents own their controllers.
#include <gtest/gtest.h>

#include "platform/Document.h"
#include "platform/WindowController.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

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
