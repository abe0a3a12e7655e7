// Every question whose answer cannot be taken back (a delete for good, files replaced, edits or
// settings thrown away) is answered by the real alert box: Return and Escape both keep things as
// they were.
#include "foldercompare/MergeFileListWndCtr.h"
#include "foldercompare/FolderCompareModel.h"
#include "platform/Alerts.h"
#include "platform/UserDefaults.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"
#include "shell/ImagePreviewView.h"
#include "shell/MergeImageWindCtr.h"
#include "shell/QuitWalk.h"
#include "shell/UntitledBackup.h"
#include "support/KeyOnNextAlert.h"
#include "support/TestEnvironment.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/MyEditTextView.h"
#include "themes/MyLanguageFileTypeDlg.h"

#include <QBuffer>
#include <QImage>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// One question: made ready, then asked (the key is pressed on its box meanwhile); what it
// guards is then checked to be as it was.
struct Question
{
    const char *name;
    // Sets up, asks the question and answers a check of what must be unchanged.
    std::function<std::function<void()>(const QString &dir)> ask;
};

QString fileWith(const QString &path, const QByteArray &bytes)
{
    EXPECT_TRUE(pelkotest::writeFile(path, bytes));
    return path;
}

bool settled(MergeEditWndCtr &w)
{
    return QTest::qWaitFor([&] { return !w.isLoading() && !w.isComparing(); }, 20000);
}

std::unique_ptr<MergeEditWndCtr> textWindow(const QString &left, const QString &right)
{
    auto w = std::make_unique<MergeEditWndCtr>();
    w->setMFile1(left);
    w->setMFile2(right);
    w->showWindow();
    EXPECT_TRUE(settled(*w));
    return w;
}

void typeAtStart(MergeEditWndCtr &w, int side, const QString &text)
{
    QTextCursor(w.textView(side)->document()).insertText(text);
    EXPECT_TRUE(w.mTextWasEdited(side));
}

QByteArray png(QColor colour, QSize size = {40, 30})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A folder window on L/ and R/ of dir, compared, with the entry selected.
std::shared_ptr<MergeFileListWndCtr> folderWindow(const QString &dir, const QByteArray &selected)
{
    auto info = FileListCompareInfo_FromSettings(dir + "/L/", dir + "/R/");
    info->folder_compare_Mode = 3;
    auto wnd = std::make_shared<MergeFileListWndCtr>();
    wnd->SetCompareInfoWith(info);
    QSignalSpy done(wnd.get(), &MergeFileListWndCtr::compareFinished);
    wnd->showWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.count() > 0; }, 20000));
    for (const COMP_ITEM &it : wnd->model()->items())
        if (wnd->model()->relativePath(it.ID) == selected)
            wnd->fileTableView()->selectionModel()->select(wnd->model()->indexForId(it.ID),
                                                           QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
    return wnd;
}

// Holds what a question needs until its check has run.
std::vector<std::shared_ptr<void>> gKept;

template <class T> T *keep(std::shared_ptr<T> object)
{
    gKept.push_back(object);
    return object.get();
}

const Question kQuestions[] = {
    {"folder window: Delete Permanently",
     [](const QString &dir) -> std::function<void()> {
         pelkotest::writeFile(dir + "/L/a.txt", "left\n");
         pelkotest::writeFile(dir + "/R/a.txt", "right\n");
         auto *wnd = keep(folderWindow(dir, "a.txt"));
         wnd->DeleteSelection(3, true);
         return [dir] {
             EXPECT_EQ(pelkotest::readFile(dir + "/L/a.txt"), "left\n");
             EXPECT_EQ(pelkotest::readFile(dir + "/R/a.txt"), "right\n");
         };
     }},
    {"folder window: Delete while the preferences delete for good",
     [](const QString &dir) -> std::function<void()> {
         gAppSetting.compare_deletesFilesToTrash = 0;
         pelkotest::writeFile(dir + "/L/a.txt", "left\n");
         auto *wnd = keep(folderWindow(dir, "a.txt"));
         wnd->DeleteSelection(1);
         return [dir] { EXPECT_EQ(pelkotest::readFile(dir + "/L/a.txt"), "left\n"); };
     }},
    {"folder window: a copy that replaces a file",
     [](const QString &dir) -> std::function<void()> {
         pelkotest::writeFile(dir + "/L/a.txt", "new\n");
         pelkotest::writeFile(dir + "/R/a.txt", "old\n");
         auto *wnd = keep(folderWindow(dir, "a.txt"));
         wnd->CopySelection(2);
         // The question comes once the worker has counted what the copy replaces.
         EXPECT_TRUE(QTest::qWaitFor([&] { return !wnd->isBusy(); }, 20000));
         return [dir, wnd] {
             EXPECT_FALSE(wnd->isBusy()); // no copy was started
             EXPECT_EQ(pelkotest::readFile(dir + "/R/a.txt"), "old\n");
         };
     }},
    {"text window: Reload over edits",
     [](const QString &dir) -> std::function<void()> {
         auto *w = keep(std::shared_ptr<MergeEditWndCtr>(
             textWindow(fileWith(dir + "/a.txt", "a\n"), fileWith(dir + "/b.txt", "b\n"))));
         typeAtStart(*w, 1, QStringLiteral("typed "));
         EXPECT_FALSE(w->Menu_Reload());
         return [w] { EXPECT_EQ(w->GetTextInView1(), QStringLiteral("typed a\n")); };
     }},
    {"text window: an edited file changed on disk",
     [](const QString &dir) -> std::function<void()> {
         const QString a = fileWith(dir + "/a.txt", "a\n");
         auto *w =
             keep(std::shared_ptr<MergeEditWndCtr>(textWindow(a, fileWith(dir + "/b.txt", "b\n"))));
         typeAtStart(*w, 1, QStringLiteral("typed "));
         pelkotest::writeFile(a, "changed elsewhere\n");
         w->windowWillBeKey();
         return [w] {
             EXPECT_TRUE(settled(*w));
             EXPECT_EQ(w->GetTextInView1(), QStringLiteral("typed a\n"));
         };
     }},
    {"text window: Save Anyway over another program's change, naming a file of markup",
     [](const QString &dir) -> std::function<void()> {
         const QString a = fileWith(dir + "/<br><b>a.txt", "a\n");
         auto *w =
             keep(std::shared_ptr<MergeEditWndCtr>(textWindow(a, fileWith(dir + "/b.txt", "b\n"))));
         typeAtStart(*w, 1, QStringLiteral("typed "));
         pelkotest::writeFile(a, "their text\n");
         EXPECT_FALSE(w->SaveSide(1));
         return [a] { EXPECT_EQ(pelkotest::readFile(a), "their text\n"); };
     }},
    {"text window: Save as UTF-8",
     [](const QString &dir) -> std::function<void()> {
         const QString a = fileWith(dir + "/latin.txt", "caf\xE9\n");
         auto *w =
             keep(std::shared_ptr<MergeEditWndCtr>(textWindow(a, fileWith(dir + "/b.txt", "b\n"))));
         typeAtStart(*w, 1, QStringLiteral("日"));
         EXPECT_FALSE(w->SaveSide(1));
         return [a] { EXPECT_EQ(pelkotest::readFile(a), "caf\xE9\n"); };
     }},
    {"image window: Reload over a choice",
     [](const QString &dir) -> std::function<void()> {
         const QString a = fileWith(dir + "/a.png", png(Qt::red));
         const QString b = fileWith(dir + "/b.png", png(Qt::blue));
         auto w = std::make_shared<MergeImageWindCtr>();
         w->setMFile1(a);
         w->setMFile2(b);
         w->showWindow();
         EXPECT_TRUE(QTest::qWaitFor([&] { return w->isEqual() >= 0; }, 20000));
         w->Merge_ChooseRight();
         keep(w);
         pelkotest::writeFile(b, png(Qt::green, {41, 30}));
         w->windowWillBeKey();
         return [w = w.get(), b] { EXPECT_EQ(w->mFileCurrent1Path(), b); };
     }},
    {"quit: files with unsaved edits",
     [](const QString &dir) -> std::function<void()> {
         auto *w = keep(std::shared_ptr<MergeEditWndCtr>(
             textWindow(fileWith(dir + "/a.txt", "a\n"), fileWith(dir + "/b.txt", "b\n"))));
         typeAtStart(*w, 2, QStringLiteral("typed "));
         const TerminateReply reply = QuitWalk_ShouldTerminate(true);
         return [reply] { EXPECT_EQ(reply, TerminateReply::Cancel); };
     }},
    {"quit: untitled texts that cannot be kept",
     [](const QString &dir) -> std::function<void()> {
         gSupportFolder = dir + "/support";
         auto w = std::make_shared<MergeEditWndCtr>();
         w->showWindow();
         w->setCompareTextToView1(QStringLiteral("untitled text"));
         keep(w);
         // A file where the folder should be: no pair can be written.
         pelkotest::writeFile(BackupRestoreFolder(), "not a folder");
         const TerminateReply reply = QuitWalk_ShouldTerminate(true);
         return [reply] { EXPECT_EQ(reply, TerminateReply::Cancel); };
     }},
    {"preferences: every file type's language back to its default",
     [](const QString &) -> std::function<void()> {
         const QString key = QStringLiteral("lang_for_type_zz");
         platform::UserDefaults::standard().setString(QStringLiteral("gamma"), key);
         auto dialog = keep(std::make_shared<MyLanguageFileTypeDlg>());
         dialog->window()->show();
         dialog->toDefault();
         return [key] {
             EXPECT_EQ(platform::UserDefaults::standard().stringForKey(key),
                       QStringLiteral("gamma"));
             platform::UserDefaults::standard().removeObjectForKey(key);
         };
     }},
};

class UndoableQuestions : public ::testing::TestWithParam<Qt::Key>
{
protected:
    void SetUp() override
    {
        AppSetting_SetDefault(&gAppSetting);
        platform::setAlertHook(nullptr); // the real box answers
        OpenCompareWindowList_Reset();
        ImagePreviewView::clearCache();
        mSupport = gSupportFolder;
    }
    void TearDown() override
    {
        gKept.clear();
        OpenCompareWindowList_Reset();
        gSupportFolder = mSupport;
    }
    QString mSupport;
};

TEST_P(UndoableQuestions, KeepEverythingAsItWas)
{
    const Qt::Key key = GetParam();
    for (const Question &q : kQuestions) {
        SCOPED_TRACE(q.name);
        const QString dir = pelkotest::freshDir(QStringLiteral("undoable"));
        QDir().mkpath(dir + "/L");
        QDir().mkpath(dir + "/R");
        pelkotest::KeyOnNextAlert answer(key);
        const std::function<void()> check = q.ask(dir);
        EXPECT_TRUE(QTest::qWaitFor([&] { return answer.pressed(); }, 20000))
            << "no question was asked";
        QApplication::processEvents();
        EXPECT_EQ(answer.pressedButton, QStringLiteral("Cancel")) << qPrintable(answer.text);
        // A file name such as "<br>a.txt" must not turn into markup that adds lines.
        EXPECT_TRUE(answer.plainText) << qPrintable(answer.text);
        check();
        gKept.clear();
        AppSetting_SetDefault(&gAppSetting);
        gSupportFolder = mSupport;
    }
}

INSTANTIATE_TEST_SUITE_P(ReturnAndEscape, UndoableQuestions,
                         ::testing::Values(Qt::Key_Return, Qt::Key_Escape),
                         [](const ::testing::TestParamInfo<Qt::Key> &info) {
                             return std::string(info.param == Qt::Key_Return ? "Return" : "Escape");
                         });

} // namespace
