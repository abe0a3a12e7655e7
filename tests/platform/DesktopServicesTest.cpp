// Alerts, panels and the workspace: through their hooks and, where the offscreen platform allows,
// for real with a timer playing the user.
#include "platform/Alerts.h"
#include "platform/Panels.h"
#include "platform/Workspace.h"

#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

namespace {

// Runs fn on the modal widget of type T once it is up.
template <class T> void whenModal(std::function<void(T *)> fn)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [fn, poll] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            fn(w);
            *poll = nullptr; // break the cycle
            return;
        }
        QTimer::singleShot(10, qApp, *poll);
    };
    QTimer::singleShot(10, qApp, *poll);
}

// Requests with what a test sets; every other field keeps its default.
AlertRequest alertOf(const QString &title, const QString &text, const QStringList &buttons,
                     AlertRequest::Style style = AlertRequest::Warning)
{
    AlertRequest r;
    r.title = title;
    r.text = text;
    r.buttons = buttons;
    r.style = style;
    return r;
}

OpenPanelRequest panelOf(const QString &title, const QString &directory, const QString &prompt,
                         bool files, bool folders, bool multi, const QStringList &types)
{
    OpenPanelRequest r;
    r.title = title;
    r.directory = directory;
    r.prompt = prompt;
    r.allowFiles = files;
    r.allowFolders = folders;
    r.allowMulti = multi;
    r.fileTypes = types;
    return r;
}

QAbstractButton *buttonTitled(QMessageBox *box, const QString &title)
{
    for (QAbstractButton *b : box->buttons()) {
        if (b->text() == title)
            return b;
    }
    return nullptr;
}

TEST(AlertsTest, ButtonsAnswerInTheOrderGiven)
{
    const AlertRequest request =
        alertOf(QStringLiteral("Title"), QStringLiteral("Text"),
                {QStringLiteral("Save"), QStringLiteral("Cancel"), QStringLiteral("Don't Save")});
    const struct
    {
        const char *name;
        std::function<void(QMessageBox *)> act;
        int expected;
    } rows[] = {
        {"first", [](QMessageBox *b) { buttonTitled(b, "Save")->click(); }, 1000},
        {"third", [](QMessageBox *b) { buttonTitled(b, "Don't Save")->click(); }, 1002},
        {"close box", [](QMessageBox *b) { b->close(); }, 1001},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QString shownTitle, shownText;
        whenModal<QMessageBox>([&](QMessageBox *box) {
            shownTitle = box->text();
            shownText = box->informativeText();
            row.act(box);
        });
        EXPECT_EQ(runAlert(request), row.expected);
        EXPECT_EQ(shownTitle, request.title);
        EXPECT_EQ(shownText, request.text);
    }

    // A translated Cancel is named by its index.
    AlertRequest translated = alertOf(QStringLiteral("T"), QString(), {"Enregistrer", "Annuler"});
    translated.cancelIndex = 1;
    whenModal<QMessageBox>([](QMessageBox *box) { box->close(); });
    EXPECT_EQ(runAlert(translated), 1001);
    // Without a Cancel button the close box answers the first button.
    whenModal<QMessageBox>([](QMessageBox *box) { box->close(); });
    EXPECT_EQ(runAlert(alertOf(QStringLiteral("T"), QString(), {"Yes", "No"})), 1000);
    // No buttons: one OK.
    QStringList shown;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        for (auto *b : box->buttons())
            shown << b->text();
        box->buttons().first()->click();
    });
    EXPECT_EQ(runAlert(alertOf(QStringLiteral("T"), QString(), {})), 1000);
    EXPECT_EQ(shown, QStringList{"OK"});
}

TEST(AlertsTest, WorkerAlertIsShownOnTheMainThread)
{
    std::atomic<int> answer{0};
    std::atomic<bool> done{false};
    bool boxOnMainThread = false;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        boxOnMainThread = box->thread() == qApp->thread();
        buttonTitled(box, "Two")->click();
    });
    std::thread worker([&] {
        answer = runAlert(alertOf(QStringLiteral("From a worker"), QString(), {"One", "Two"}));
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(answer.load(), 1001);
    EXPECT_TRUE(boxOnMainThread);
}

TEST(AlertsTest, HookAnswersWithoutAScreen)
{
    AlertRequest seen;
    setAlertHook([&](const AlertRequest &r) {
        seen = r;
        return 1001;
    });
    const int answer = runAlert(alertOf("Question", "Details", {"A", "B"}, AlertRequest::Critical));
    setAlertHook(nullptr);
    EXPECT_EQ(answer, 1001);
    EXPECT_EQ(seen.title, QStringLiteral("Question"));
    EXPECT_EQ(seen.buttons, (QStringList{"A", "B"}));
    EXPECT_EQ(seen.style, AlertRequest::Critical);
}

TEST(PanelsTest, OpenPanelAnswersTheChosenFilesOrNothing)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("panel"));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/a.txt", "a"));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/b.txt", "b"));

    bool native = true;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    whenModal<QFileDialog>([&](QFileDialog *d) {
        native = !d->testOption(QFileDialog::DontUseNativeDialog);
        mode = d->fileMode();
        d->selectFile(dir + "/b.txt");
        static_cast<QDialog *>(d)->accept(); // as the Open or Save button does
    });
    const QStringList chosen =
        runOpenPanel(panelOf("Open", dir, "Choose", true, false, false, {"txt"}));
    EXPECT_EQ(chosen, QStringList{dir + "/b.txt"});
    EXPECT_FALSE(native);
    EXPECT_EQ(mode, QFileDialog::ExistingFile);

    whenModal<QFileDialog>([&](QFileDialog *d) {
        mode = d->fileMode();
        d->reject();
    });
    EXPECT_TRUE(runOpenPanel(panelOf("Open", dir, {}, false, true, false, {})).isEmpty());
    EXPECT_EQ(mode, QFileDialog::Directory);

    // Files and folders alike: Open takes a selected folder, or the shown one.
    ASSERT_TRUE(QDir(dir).mkdir("sub"));
    whenModal<QFileDialog>([&](QFileDialog *d) {
        d->selectFile(dir + "/sub");
        static_cast<QDialog *>(d)->accept();
    });
    EXPECT_EQ(runOpenPanel(panelOf("Open", dir, {}, true, true, false, {})),
              QStringList{dir + "/sub"});
    whenModal<QFileDialog>([&](QFileDialog *d) { static_cast<QDialog *>(d)->accept(); });
    EXPECT_EQ(runOpenPanel(panelOf("Open", dir + "/sub", {}, true, true, false, {})),
              QStringList{dir + "/sub"});
    whenModal<QFileDialog>([&](QFileDialog *d) {
        d->selectFile(dir + "/a.txt");
        static_cast<QDialog *>(d)->accept();
    });
    EXPECT_EQ(runOpenPanel(panelOf("Open", dir, {}, true, true, false, {})),
              QStringList{dir + "/a.txt"});

    setOpenPanelHook([&](const OpenPanelRequest &r) { return QStringList{r.directory}; });
    EXPECT_EQ(runOpenPanel(panelOf("Open", dir, {}, true, false, false, {})), QStringList{dir});
    setOpenPanelHook(nullptr);
}

TEST(PanelsTest, SavePanelAddsTheFirstTypeAndKeepsTheAccessory)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("panel"));
    QWidget accessory;
    bool accessoryShown = false;
    whenModal<QFileDialog>([&](QFileDialog *d) {
        accessoryShown = accessory.isVisibleTo(d);
        static_cast<QDialog *>(d)->accept(); // as the Open or Save button does
    });
    const QString path = runSavePanel({"Save", dir, "report", {"html", "htm"}, &accessory});
    EXPECT_EQ(QFileInfo(path).absoluteFilePath(),
              QFileInfo(dir + "/report.html").absoluteFilePath());
    EXPECT_TRUE(accessoryShown);
    EXPECT_EQ(accessory.parent(), nullptr); // handed back to its owner

    // An accessory owned by one of the caller's widgets, kept hidden there, is shown in every
    // panel it is given to and goes back to that widget.
    QWidget owner;
    auto *owned = new QWidget(&owner);
    owned->hide();
    for (int use = 0; use < 2; ++use) {
        bool ownedShown = false;
        whenModal<QFileDialog>([&](QFileDialog *d) {
            ownedShown = owned->isVisibleTo(d);
            d->reject();
        });
        EXPECT_TRUE(runSavePanel({"Save", dir, "z", {}, owned}).isNull());
        EXPECT_TRUE(ownedShown) << "use " << use;
        EXPECT_EQ(owned->parentWidget(), &owner);
    }

    whenModal<QFileDialog>([](QFileDialog *d) { d->reject(); });
    EXPECT_TRUE(runSavePanel({"Save", dir, "x", {}}).isNull());

    setSavePanelHook([](const SavePanelRequest &r) { return r.directory + "/" + r.nameField; });
    EXPECT_EQ(runSavePanel({"Save", dir, "y.txt", {}}), dir + "/y.txt");
    setSavePanelHook(nullptr);
}

TEST(WorkspaceTest, RevealOpenAndTrashGoThroughTheirHooks)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("workspace"));
    const QString file = dir + "/item.txt";
    ASSERT_TRUE(pelkotest::writeFile(file, "x"));
    QStringList calls;
    setRevealHook([&](const QString &p) { return calls << "reveal " + p, true; });
    setOpenFileHook([&](const QString &p) { return calls << "open " + p, true; });
    setTrashHook([&](const QString &p) { return calls << "trash " + p, true; });

    EXPECT_TRUE(revealInFileManager(file));
    EXPECT_TRUE(revealInFileManager(dir + "/")); // a folder: its parent opens
    EXPECT_TRUE(openFile(file));
    EXPECT_TRUE(moveToTrash(file));
    EXPECT_FALSE(revealInFileManager(dir + "/missing"));
    EXPECT_FALSE(openFile(QString()));
    EXPECT_FALSE(moveToTrash(dir + "/missing"));
    setRevealHook(nullptr);
    setOpenFileHook(nullptr);
    setTrashHook(nullptr);

    const QString parent = QFileInfo(dir).absolutePath();
    EXPECT_EQ(calls,
              (QStringList{"reveal " + dir, "reveal " + parent, "open " + file, "trash " + file}));
    EXPECT_TRUE(QFileInfo::exists(file));
}

TEST(WorkspaceTest, MoveToTrashTakesTheFileAway)
{
    const QString file = pelkotest::freshDir(QStringLiteral("trash")) + "/gone.txt";
    ASSERT_TRUE(pelkotest::writeFile(file, "bye"));
    EXPECT_TRUE(moveToTrash(file));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(moveToTrash(file));
}

} // namespace
