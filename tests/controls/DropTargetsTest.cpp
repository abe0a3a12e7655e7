// Drops on windows and on the start window's drop boxes, from synthetic drag events over real
// temporary files, through doubles of the folder compare window and the start window.
#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "support/TestEnvironment.h"
#include "controls/DropFolderBox.h"
#include "controls/DropWindow.h"
#include "controls/DropWindowDelegate.h"
#include "controls/MyNSTextFieldLabel.h"
#include "platform/Workspace.h"
#include "platform/Dispatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QWidget>
#include <memory>
#include <stdexcept>

namespace {

struct Counts
{
    int entered = 0, exited = 0, ended = 0;
};

// The folder compare window: takes existing folders only, and none while busy or closing.
class FolderWindowDouble : public QObject, public DropWindowDelegate
{
public:
    bool closing = false, busy = false, throwInAllow = false;
    QStringList folders;
    Counts counts;

    bool get_mIsClosing() override { return closing; }
    std::optional<bool> get_AllowDrop(const DraggingInfo &info) override
    {
        if (throwInAllow)
            throw std::runtime_error("allow failed");
        if (closing || busy)
            return false;
        return !GetDraggingPathArray(info, false, true).isEmpty();
    }
    std::optional<bool> performDragOperation_Finish(const DraggingInfo &info) override
    {
        const QStringList dropped = GetDraggingPathArray(info, false, true);
        if (closing || dropped.isEmpty())
            return false;
        folders = dropped;
        return true;
    }
    void draggingEntered(const DraggingInfo &) override { ++counts.entered; }
    void draggingExited(const DraggingInfo &) override { ++counts.exited; }
    void draggingEnded(const DraggingInfo &) override { ++counts.ended; }
};

// The start window: files and folders go into the left and right fields by the half under the
// pointer; its drop boxes report to it.
class StartWindowDouble : public QObject, public DropWindowDelegate, public DropFolderBoxParent
{
public:
    QWidget window;
    QLineEdit *left = new QLineEdit(&window);
    QLineEdit *right = new QLineEdit(&window);
    int buttonUpdates = 0;

    StartWindowDouble()
    {
        auto *layout = new QHBoxLayout(&window);
        layout->addWidget(left);
        layout->addWidget(right);
        window.resize(400, 100);
    }
    bool get_mIsClosing() override { return false; }
    std::optional<bool> get_AllowDrop(const DraggingInfo &) override { return true; }
    std::optional<bool> performDragOperation_Finish(const DraggingInfo &info) override
    {
        const QStringList paths = GetDraggingPathArray(info, true, true);
        if (paths.isEmpty())
            return false;
        const bool onRight = info.position.x() >= window.width() / 2.0;
        (onRight ? right : left)->setText(paths.value(0));
        if (paths.size() > 1)
            (onRight ? left : right)->setText(paths.value(1));
        UpdateButtonStatus();
        return true;
    }
    void UpdateButtonStatus() override { ++buttonUpdates; }
};

// Answers nothing optional.
class BareDelegate : public DropWindowDelegate
{
public:
    bool get_mIsClosing() override { return false; }
};

std::unique_ptr<QMimeData> filesData(const QStringList &paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << (path.contains(QLatin1String("://")) ? QUrl(path) : QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

// Sends a drag enter, moves and, when asked, a drop; answers the enter's and the drop's results.
struct DragResult
{
    bool enterAccepted = false;
    bool dropAccepted = false;
};

DragResult drag(QWidget *target, const QMimeData *data, QPoint pos, bool drop, int moves = 0,
                Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
{
    DragResult result;
    QDragEnterEvent enter(pos, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    result.enterAccepted = enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
    for (int i = 0; i < moves; ++i) {
        QDragMoveEvent move(pos + QPoint(i % 3, 0), actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
    }
    if (drop) {
        QDropEvent dropEvent(QPointF(pos), actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropEvent);
        result.dropAccepted = dropEvent.isAccepted();
    } else {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(target, &leave);
    }
    return result;
}

struct Tree
{
    QString root = pelkotest::freshDir(QStringLiteral("drops"));
    QString folder = root + QStringLiteral("/Folder");
    QString file = root + QStringLiteral("/file.txt");
    QString missing = root + QStringLiteral("/gone.txt");
    Tree()
    {
        QDir().mkpath(folder);
        pelkotest::writeFile(file, "x");
    }
};

} // namespace

TEST(GetDraggingPathArray, KeepsExistingPathsOfTheAllowedKinds)
{
    Tree t;
    DraggingInfo info;
    info.filenames = {t.file, t.missing, t.folder, QString(), t.file};
    struct Row
    {
        bool files, folders;
        QStringList expected;
    } rows[] = {{true, true, {t.file, t.folder, t.file}},
                {false, true, {t.folder}},
                {true, false, {t.file, t.file}},
                {false, false, {}}};
    for (const Row &row : rows)
        EXPECT_EQ(GetDraggingPathArray(info, row.files, row.folders), row.expected);
    EXPECT_TRUE(GetDraggingPathArray(std::nullopt, true, true).isEmpty());

    // URLs that are not local files are skipped.
    auto data = filesData({QStringLiteral("https://example.org/a.txt"), t.file});
    EXPECT_EQ(LocalPathsFromMimeData(data.get()), QStringList{t.file});
}

TEST(DropWindow, FolderWindowTakesFoldersAndHearsEachStep)
{
    Tree t;
    QWidget window;
    window.resize(300, 200);
    auto *dropWindow = new DropWindow(&window);
    FolderWindowDouble delegate;
    dropWindow->setDropDelegate(&delegate);
    EXPECT_EQ(DropWindow::of(&window), dropWindow);

    auto data = filesData({t.file, t.folder});
    const DragResult result = drag(&window, data.get(), {10, 10}, true, 3);
    EXPECT_TRUE(result.enterAccepted);
    EXPECT_TRUE(result.dropAccepted);
    EXPECT_EQ(delegate.folders, QStringList{t.folder});
    EXPECT_EQ(delegate.counts.entered, 0); // told only after the window has answered
    ASSERT_TRUE(QTest::qWaitFor([&] { return !platform::hasPendingPerforms(dropWindow); }, 20000));
    EXPECT_GE(delegate.counts.entered, 1);
    EXPECT_EQ(delegate.counts.ended, 1);

    // Files only: refused by the folder window.
    delegate.folders.clear();
    auto onlyFile = filesData({t.file});
    EXPECT_FALSE(drag(&window, onlyFile.get(), {10, 10}, true).enterAccepted);
    EXPECT_TRUE(delegate.folders.isEmpty());

    // Busy, closing, or a source that allows nothing: refused.
    delegate.busy = true;
    EXPECT_FALSE(drag(&window, data.get(), {5, 5}, true).dropAccepted);
    delegate.busy = false;
    delegate.closing = true;
    EXPECT_FALSE(drag(&window, data.get(), {5, 5}, true).enterAccepted);
    delegate.closing = false;
    EXPECT_FALSE(drag(&window, data.get(), {5, 5}, false, 0, Qt::IgnoreAction).enterAccepted);
}

TEST(DropWindow, LeaveTellsExitedAndEnded)
{
    Tree t;
    QWidget window;
    auto *dropWindow = new DropWindow(&window);
    FolderWindowDouble delegate;
    dropWindow->setDropDelegate(&delegate);
    auto data = filesData({t.folder});
    drag(&window, data.get(), {1, 1}, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !platform::hasPendingPerforms(dropWindow); }, 20000));
    EXPECT_EQ(delegate.counts.exited, 1);
    EXPECT_EQ(delegate.counts.ended, 1);
}

TEST(DropWindow, DropOverAChildLineEditGoesToTheWindow)
{
    Tree t;
    StartWindowDouble start;
    auto *dropWindow = new DropWindow(&start.window);
    dropWindow->setDropDelegate(&start);
    start.window.show();
    QCoreApplication::processEvents();

    auto data = filesData({t.file, t.folder});
    // Over the left field: the paths go to the fields, not into the field as text.
    const DragResult result = drag(start.left, data.get(), {5, 5}, true);
    EXPECT_TRUE(result.dropAccepted);
    EXPECT_EQ(start.left->text(), t.file);
    EXPECT_EQ(start.right->text(), t.folder);
    EXPECT_EQ(start.buttonUpdates, 1);

    // Over the right half the order turns round.
    drag(start.right, data.get(), {5, 5}, true);
    EXPECT_EQ(start.right->text(), t.file);
    EXPECT_EQ(start.left->text(), t.folder);

    // A field added later is covered too.
    auto *late = new QLineEdit(&start.window);
    drag(late, data.get(), {1, 1}, true);
    EXPECT_TRUE(late->text().isEmpty());
}

TEST(DropWindow, DelegateWithoutOptionalAnswersAcceptsExistingPaths)
{
    Tree t;
    QWidget window;
    auto *dropWindow = new DropWindow(&window);
    BareDelegate bare;
    dropWindow->setDropDelegate(&bare);
    // The first path is gone but the second exists: the window still shows copy.
    auto data = filesData({t.missing, t.file});
    EXPECT_TRUE(drag(&window, data.get(), {1, 1}, true).dropAccepted);
    auto none = filesData({t.missing});
    EXPECT_FALSE(drag(&window, none.get(), {1, 1}, false).enterAccepted);
    // Without a delegate nothing is taken.
    dropWindow->setDropDelegate(nullptr);
    EXPECT_FALSE(drag(&window, data.get(), {1, 1}, true).dropAccepted);
}

TEST(DropWindow, FailingDelegateRefusesTheDrop)
{
    pelkotest::LogCapture log;
    Tree t;
    QWidget window;
    auto *dropWindow = new DropWindow(&window);
    FolderWindowDouble delegate;
    dropWindow->setDropDelegate(&delegate);
    delegate.throwInAllow = true;
    const DraggingInfo info{{t.folder}, Qt::CopyAction, {}};
    EXPECT_EQ(dropWindow->draggingEntered(info), Qt::IgnoreAction);
    EXPECT_FALSE(dropWindow->prepareForDragOperation(info));
    EXPECT_TRUE(log.hasExceptionReport());
    EXPECT_TRUE(delegate.folders.isEmpty());
}

TEST(DropWindow, DelegateDestroyedMidDragIsNotCalled)
{
    Tree t;
    QWidget window;
    auto *dropWindow = new DropWindow(&window);
    auto delegate = std::make_unique<FolderWindowDouble>();
    dropWindow->setDropDelegate(delegate.get());
    auto data = filesData({t.folder});
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    delegate.reset(); // the forward of the enter is still pending
    ASSERT_TRUE(QTest::qWaitFor([&] { return !platform::hasPendingPerforms(dropWindow); }, 20000));
    EXPECT_EQ(dropWindow->dropDelegate(), nullptr);
}

TEST(DropWindow, MovesOfALargeDragDoNotTestPathsAgain)
{
    Tree t;
    QWidget window;
    auto *dropWindow = new DropWindow(&window);
    BareDelegate bare;
    dropWindow->setDropDelegate(&bare);
    QStringList paths;
    for (int i = 0; i < 10000; ++i)
        paths << t.root + QStringLiteral("/missing-%1").arg(i);
    paths << t.file; // only the last exists: the enter walks them all
    auto data = filesData(paths);

    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    // What the enter found holds for the whole drag: with the one existing path gone, a move that
    // looked at the paths again would refuse the drop.
    ASSERT_TRUE(QFile::remove(t.file));
    const int moves = 500;
    for (int i = 0; i < moves; ++i) {
        QDragMoveEvent move(QPoint(1 + i % 50, 1), Qt::CopyAction, data.get(), Qt::LeftButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &move);
        ASSERT_TRUE(move.isAccepted()) << i;
    }
}

TEST(DropFolderBox, ShowsTypedPathsAndTakesTheFirstDroppedPath)
{
    Tree t;
    StartWindowDouble start;
    auto *box = new DropFolderBox(&start.window);
    box->resize(32, 32);
    QPixmap placeholderImage(8, 8);
    placeholderImage.fill(Qt::red);
    box->setPixmap(placeholderImage);
    box->setDestText(start.left);
    auto *button = new QPushButton(&start.window);
    box->setDestButton(button);
    box->setParentDocument(&start);
    box->awakeFromNib();
    ASSERT_TRUE(box->isTimerRunning());
    const qint64 placeholderKey = DropFolderBox::placeholder().cacheKey();

    // A typed folder shows its icon at the timer's next turn (every 0.5 s); clearing brings the
    // placeholder back.
    start.left->setText(t.folder);
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->latestPath() == t.folder; }, 20000));
    EXPECT_NE(box->pixmap().cacheKey(), placeholderKey);
    // Other letter case is another path on Linux: it names nothing, so no image at all (the
    // placeholder would claim a folder); an empty field brings the placeholder back.
    start.left->setText(t.root + QStringLiteral("/FOLDER"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->showsMissing(); }, 20000));
    EXPECT_TRUE(box->latestPath().isNull());
    EXPECT_TRUE(box->pixmap().isNull());
    start.left->clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !box->showsMissing(); }, 20000));
    EXPECT_TRUE(box->latestPath().isNull());
    EXPECT_EQ(box->pixmap().cacheKey(), placeholderKey);
    start.left->setText(t.missing);
    box->RefreshImageFromText();
    EXPECT_TRUE(box->pixmap().isNull());
    start.left->clear();

    // A drag whose first path is gone: the box shows copy (the second path's icon), but the
    // drop is refused, since only the first path counts for it.
    auto mixed = filesData({t.missing, t.file});
    const DragResult refused = drag(box, mixed.get(), {2, 2}, true);
    EXPECT_TRUE(refused.enterAccepted);
    EXPECT_FALSE(refused.dropAccepted);
    EXPECT_TRUE(start.left->text().isEmpty());

    auto good = filesData({t.file, t.folder});
    EXPECT_TRUE(drag(box, good.get(), {2, 2}, true).dropAccepted);
    EXPECT_EQ(start.left->text(), t.file);
    EXPECT_EQ(button->text(), t.file);
    EXPECT_EQ(start.buttonUpdates, 1);
    EXPECT_EQ(box->latestPath(), t.file);

    box->UnLoad();
    EXPECT_FALSE(box->isTimerRunning());
}

TEST(DropFolderBox, ClickRevealsAnExistingPath)
{
    Tree t;
    QStringList revealed;
    platform::setRevealHook([&](const QString &folder) {
        revealed << folder;
        return true;
    });
    QWidget window;
    auto *field = new QLineEdit(&window);
    auto *box = new DropFolderBox(&window);
    box->resize(32, 32);
    box->setDestText(field);
    field->setText(t.missing);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(revealed.isEmpty());
    field->setText(t.file);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(revealed.size(), 1);

    auto *label = new MyNSTextFieldLabel(&window);
    label->setText(t.folder);
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(revealed.size(), 2);
    platform::setRevealHook(nullptr);
}
