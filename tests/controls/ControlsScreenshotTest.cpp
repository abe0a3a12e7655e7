// Renders the progress, text-input and list dialogs, a token field with its history menu open,
// a drop box and the chooser with its red line into PNGs under the build folder.
#include "controls/DropFolderBox.h"
#include "controls/InputDialog.h"
#include "controls/InputDialogSetting.h"
#include "controls/LiveHelpDialog.h"
#include "controls/ListSelectDialog.h"
#include "controls/MyTokenTextList.h"
#include "controls/PelkoNSOpenPanel.h"
#include "controls/ProcessModalDlg.h"
#include "platform/Panels.h"
#include "services/AppInit.h"
#include "services/SupportFolder.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Saves the shot and checks it is no blank image.
void save(const QImage &shot, const QString &name)
{
    ASSERT_FALSE(shot.isNull()) << name.toStdString();
    EXPECT_TRUE(shot.save(pelkotest::screenshotPath(name))) << name.toStdString();
    EXPECT_GT(pelkotest::distinctColours(shot, 3), 1) << name.toStdString() << " is blank";
}

QImage grabWindow(QWidget *w)
{
    w->show();
    EXPECT_TRUE(pelkotest::deliverPostedEvents());
    return w->grab().toImage();
}

} // namespace

TEST(ControlsScreenshot, Dialogs)
{
    auto progress = ProcessModalDlg::create(QStringLiteral("Deleting files"));
    ASSERT_TRUE(progress);
    progress->setShowProgressWithTotal(200);
    ASSERT_TRUE(progress->window());
    progress->sub_thread_inforThreadProgress(80, QStringLiteral("notes/2026/report.txt"));
    save(grabWindow(progress->window()), QStringLiteral("controls_progress.png"));
    progress->window()->hide();

    auto setting = InputDialogSetting::create();
    setting->winTitle = QStringLiteral("Rename");
    setting->txtTitle = QStringLiteral("New name of the folder:");
    setting->defaultTxt = QStringLiteral("Holiday photos");
    setting->bShowCancel = true;
    auto input = InputDialog::create(setting);
    ASSERT_TRUE(input && input->window());
    save(grabWindow(input->window()), QStringLiteral("controls_input.png"));
    input->window()->hide();

    ListSelectDialog list;
    list.mWindowsTitle = QStringLiteral("Export");
    list.mTextboxTitle = QStringLiteral("Choose what to export:");
    list.mListData = {QStringLiteral("Left files"), QStringLiteral("Right files"),
                      QStringLiteral("Both sides, as a zip archive")};
    ASSERT_TRUE(list.window());
    save(grabWindow(list.window()), QStringLiteral("controls_list.png"));
    list.window()->hide();
}

TEST(ControlsScreenshot, TokenFieldWithItsHistoryMenu)
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *field = new MyTokenTextList(&window);
    auto *dropDown = new QPushButton(QStringLiteral("\u25be"), &window);
    dropDown->setFixedWidth(28);
    layout->addWidget(field);
    layout->addWidget(dropDown);
    field->setDropDownButton(dropDown);
    field->setObjectValue(
        QStringList{QStringLiteral(".cpp"), QStringLiteral(".h"), QStringLiteral("build")});
    field->arrayOfItem = {QStringLiteral(".cpp\n.h\nbuild"), QStringLiteral(".txt\n.md"),
                          QStringLiteral("*.log")};
    window.resize(360, 44);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    field->UpdateButtonStatus();
    QTest::mouseClick(dropDown, Qt::LeftButton);
    QMenu *menu = field->historyMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());

    // The window and the menu as they stand on the screen.
    const QImage fieldShot = window.grab().toImage();
    const QImage menuShot = menu->grab().toImage();
    const QPoint menuAt = menu->pos() - window.mapToGlobal(QPoint(0, 0));
    const QRect all = QRect(QPoint(0, 0), fieldShot.size()).united(QRect(menuAt, menuShot.size()));
    QImage shot(all.size(), QImage::Format_ARGB32_Premultiplied);
    shot.fill(Qt::transparent);
    QPainter painter(&shot);
    painter.drawImage(-all.topLeft(), fieldShot);
    painter.drawImage(menuAt - all.topLeft(), menuShot);
    painter.end();
    save(shot, QStringLiteral("controls_token_history.png"));
    menu->close();
}

TEST(ControlsScreenshot, DropBox)
{
    const QString folder = pelkotest::freshDir(QStringLiteral("dropbox"));
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *box = new DropFolderBox(&window);
    box->setFixedSize(64, 64);
    auto *path = new QLineEdit(&window);
    layout->addWidget(box);
    layout->addWidget(path);
    box->setDestText(path);
    box->awakeFromNib();
    path->setText(folder);
    window.resize(420, 84);
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->latestPath() == folder; }, 20000));
    save(window.grab().toImage(), QStringLiteral("controls_dropbox.png"));
    box->UnLoad();
}

TEST(ControlsScreenshot, ChooserWithItsNote)
{
    InitDrawTextAttributes();
    const QString dir = pelkotest::freshDir(QStringLiteral("chooser-shot"));
    QDir().mkpath(dir + QStringLiteral("/left"));
    QDir().mkpath(dir + QStringLiteral("/right"));
    pelkotest::writeFile(dir + QStringLiteral("/notes.txt"), "x");
    platform::OpenPanelRequest request;
    request.title = request.note = QStringLiteral("Choose the left file or folder");
    request.noteWidth = ChooserNoteWidth(request.title);
    request.directory = dir;
    request.allowFiles = request.allowFolders = true;
    QImage shot;
    QTimer::singleShot(0, [&] {
        QFileDialog *dialog = nullptr;
        if (!QTest::qWaitFor(
                [&] {
                    dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                    return dialog != nullptr;
                },
                20000)) {
            ADD_FAILURE() << "no open panel";
            return;
        }
        dialog->resize(760, 460);
        // The folder's three entries load in the background.
        const auto *model = dialog->findChild<QFileSystemModel *>();
        EXPECT_TRUE(model && QTest::qWaitFor(
                                 [&] { return model->rowCount(model->index(dir)) == 3; }, 20000));
        EXPECT_TRUE(pelkotest::deliverPostedEvents());
        shot = dialog->grab().toImage();
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    EXPECT_TRUE(platform::runOpenPanel(request).isEmpty());
    save(shot, QStringLiteral("controls_chooser.png"));
}

TEST(ControlsScreenshot, HelpWithItsCheckBox)
{
    const QString savedSupport = gSupportFolder;
    ASSERT_TRUE(PrepareSupportFolder(pelkotest::freshDir(QStringLiteral("help-shot"))));
    LiveHelpDialogSetting_Forget();
    LiveHelpDialog::setQuietInThisProcess(false);
    QImage shot;
    QTimer::singleShot(100, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no help alert";
            return;
        }
        shot = box->grab().toImage();
        box->reject();
    });
    LiveHelpDialog::ShowHelp(QStringLiteral("Shortcut keys"),
                             QStringLiteral("Previous Difference: Alt+Up\nNext Difference: "
                                            "Alt+Down\nLeft to Right: Alt+Right"));
    LiveHelpDialog::setQuietInThisProcess(true);
    LiveHelpDialogSetting_Forget();
    gSupportFolder = savedSupport;
    save(shot, QStringLiteral("controls_help.png"));
}
