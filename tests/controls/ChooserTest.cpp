// The file and folder chooser and the small panel controls.
#include "controls/NSTextViewPasteNormal.h"
#include "controls/NotKeyPanel.h"
#include "controls/PelkoNSOpenPanel.h"
#include "controls/SearchFieldOnNotKeyPanel.h"
#include "graphics/Contrast.h"
#include "platform/Panels.h"
#include "services/AppInit.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using Kind = ChosenPath::Kind;

TEST(Chooser, AcceptanceWalk)
{
    const QList<ChosenPath> folder{{QStringLiteral("/w/b"), ChosenPath::Folder}};
    struct Row
    {
        const char *name;
        QList<ChosenPath> chosen;
        bool folders, files, multi;
        QStringList listBefore;
        QString result;
        QStringList listAfter;
    };
    const Row rows[] = {
        {"folder already listed is kept once",
         folder,
         true,
         false,
         false,
         {QStringLiteral("/w/b")},
         QStringLiteral("/w/b"),
         {QStringLiteral("/w/b")}},
        {"a folder where only files may be chosen", folder, false, true, false, {}, QString(), {}},
        {"a file where only folders may be chosen",
         {{QStringLiteral("/w/f.txt"), ChosenPath::File}},
         true,
         false,
         true,
         {},
         QString(),
         {}},
        {"single choice stops at the first accepted",
         {{QString(), ChosenPath::Missing},
          {QStringLiteral("/w/x"), ChosenPath::Folder},
          {QStringLiteral("/w/b.txt"), ChosenPath::File},
          {QStringLiteral("/w/a.txt"), ChosenPath::File}},
         false,
         true,
         false,
         {},
         QStringLiteral("/w/b.txt"),
         {QStringLiteral("/w/b.txt")}},
        {"several are sorted by name, digits by value",
         {{QStringLiteral("/w/f10"), ChosenPath::File},
          {QStringLiteral("/w/f9"), ChosenPath::File},
          {QStringLiteral("/w/D"), ChosenPath::Folder},
          {QStringLiteral("/w/f9"), ChosenPath::File}},
         true,
         true,
         true,
         {},
         QStringLiteral("/w/f10"),
         {QStringLiteral("/w/D"), QStringLiteral("/w/f9"), QStringLiteral("/w/f10")}},
        {"nothing chosen",
         {},
         true,
         true,
         true,
         {QStringLiteral("/keep")},
         QString(),
         {QStringLiteral("/keep")}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QStringList list = row.listBefore;
        const QString result =
            AcceptChosenPaths(row.chosen, row.folders, row.files, row.multi, &list);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(result.isNull(), row.result.isNull());
        EXPECT_EQ(list, row.listAfter);
        EXPECT_EQ(AcceptChosenPaths(row.chosen, row.folders, row.files, row.multi, nullptr),
                  row.result);
    }
}

TEST(Chooser, RequestCarriesTheNoteAndChecksWhatComesBack)
{
    InitDrawTextAttributes();
    const QString dir = pelkotest::freshDir(QStringLiteral("chooser"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/file.txt"), "x"));
    QList<platform::OpenPanelRequest> requests;
    QStringList answer;
    platform::setOpenPanelHook([&](const platform::OpenPanelRequest &r) {
        requests << r;
        return answer;
    });

    answer = {dir, dir + QStringLiteral("/file.txt")};
    QStringList list{dir};
    EXPECT_EQ(requestUserToSelectFileFolder(QStringLiteral("Choose the left folder"), dir,
                                            QStringLiteral("Choose"), true, false, true, false, {},
                                            &list),
              dir);
    EXPECT_EQ(list, QStringList{dir}) << "the file is refused, the folder listed once";
    ASSERT_EQ(requests.size(), 1);
    const platform::OpenPanelRequest &r = requests.back();
    EXPECT_EQ(r.title, QStringLiteral("Choose the left folder"));
    EXPECT_EQ(r.note, r.title);
    EXPECT_EQ(r.noteWidth, 400);
    EXPECT_EQ(r.directory, dir);
    EXPECT_EQ(r.prompt, QStringLiteral("Choose"));
    EXPECT_TRUE(r.allowFolders && !r.allowFiles && r.allowMulti && r.canCreateFolders);

    // A missing start folder is left out; no title, no note.
    answer = {};
    EXPECT_TRUE(requestUserToSelectFileFolder(QString(), dir + QStringLiteral("/gone"), QString(),
                                              false, true, false, false, {QStringLiteral("txt")},
                                              &list)
                    .isNull());
    EXPECT_TRUE(requests.back().directory.isEmpty());
    EXPECT_TRUE(requests.back().note.isEmpty());
    EXPECT_EQ(requests.back().fileTypes, QStringList{QStringLiteral("txt")});

    // Neither files nor folders: no panel at all.
    EXPECT_TRUE(
        requestUserToSelectFileFolder(QStringLiteral("t"), dir, {}, false, false, false, false, {})
            .isNull());
    EXPECT_EQ(requests.size(), 2);
    platform::setOpenPanelHook(nullptr);

    EXPECT_EQ(ChooserNoteWidth(QStringLiteral("0123456789")), 400);
    EXPECT_EQ(ChooserNoteWidth(QString(500, QChar(u'W'))), 1900);
    const int middle = ChooserNoteWidth(QString(60, QChar(u'W')));
    EXPECT_GT(middle, 400);
    EXPECT_LT(middle, 1900);
}

// Runs the real open panel and lets inspect look at it and answer it.
QStringList runPanel(const platform::OpenPanelRequest &request,
                     const std::function<void(QFileDialog *)> &inspect)
{
    bool ran = false;
    QTimer::singleShot(100, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no open panel";
            if (QWidget *w = QApplication::activeModalWidget())
                w->close();
            return;
        }
        ran = true;
        inspect(dialog);
        // A failed check must not leave the panel waiting.
        if (dialog->isVisible())
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    const QStringList chosen = platform::runOpenPanel(request);
    EXPECT_TRUE(ran);
    return chosen;
}

TEST(Chooser, RealPanelShowsTheRedNoteAndMakesFolders)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("panel"));
    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/sub")));
    platform::OpenPanelRequest request;
    request.title = request.note = QStringLiteral("Select the right side");
    request.noteWidth = 520;
    request.directory = dir;
    request.allowFiles = request.allowFolders = true;
    const QStringList chosen = runPanel(request, [&](QFileDialog *dialog) {
        auto *note = dialog->findChild<QLabel *>(QStringLiteral("openPanelNote"));
        ASSERT_NE(note, nullptr);
        EXPECT_EQ(note->text(), request.note);
        EXPECT_GE(note->minimumWidth(), 520);
        const QColor text = note->palette().color(QPalette::WindowText);
        const QColor back = dialog->palette().color(QPalette::Window);
        EXPECT_GT(text.redF(), text.greenF() + 0.3);
        EXPECT_GE(ContrastRatio(text, back), 4.5);
        auto *newFolder = dialog->findChild<QToolButton *>(QStringLiteral("newFolderButton"));
        ASSERT_NE(newFolder, nullptr);
        EXPECT_TRUE(newFolder->isEnabled());
        EXPECT_FALSE(dialog->testOption(QFileDialog::ReadOnly));
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("sub"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    EXPECT_EQ(chosen.join(u'|').toStdString(), (dir + QStringLiteral("/sub")).toStdString());
}

TEST(PanelControls, NotKeyPanelTakesNoFocus)
{
    NotKeyPanel panel;
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_FALSE(panel.canBecomeKeyWindow());
    EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST(PanelControls, SearchFieldClearsAtItsRightEndAndActsElsewhere)
{
    SearchFieldOnNotKeyPanel field;
    field.resize(200, 24);
    field.show();
    EXPECT_TRUE(field.isReadOnly());
    QSignalSpy cleared(&field, &SearchFieldOnNotKeyPanel::clearSearchText);
    QSignalSpy acted(&field, &SearchFieldOnNotKeyPanel::triggered);

    field.setText(QStringLiteral("needle"));
    QTest::mouseClick(&field, Qt::LeftButton, {}, QPoint(20, 12));
    EXPECT_EQ(field.text(), QStringLiteral("needle"));
    EXPECT_EQ(acted.size(), 1);
    EXPECT_FALSE(field.hasSelectedText());
    QTest::keyClicks(&field, QStringLiteral("typed"));
    EXPECT_EQ(field.text(), QStringLiteral("needle"));

    QTest::mouseClick(&field, Qt::LeftButton, {}, QPoint(190, 12));
    EXPECT_TRUE(field.text().isEmpty());
    EXPECT_EQ(cleared.size(), 1);
    EXPECT_EQ(acted.size(), 1);

    // Empty: the right end is just another place to click.
    QTest::mouseClick(&field, Qt::LeftButton, {}, QPoint(190, 12));
    EXPECT_EQ(cleared.size(), 1);
    EXPECT_EQ(acted.size(), 2);
}

TEST(PanelControls, PasteInsertsPlainTextOfRichContent)
{
    NSTextViewPasteNormal view;
    auto pasted = [&](QMimeData *data) {
        view.clear();
        QApplication::clipboard()->setMimeData(data);
        view.paste();
        return view.toPlainText();
    };
    auto *html = new QMimeData;
    html->setHtml(QStringLiteral("<p><b style=\"color:red\">bold</b> <i>red</i></p>"));
    EXPECT_EQ(pasted(html), QStringLiteral("bold red"));
    EXPECT_FALSE(view.toHtml().contains(QStringLiteral("font-weight:700")));
    EXPECT_FALSE(view.toHtml().contains(QStringLiteral("#ff0000")));
    EXPECT_FALSE(view.toHtml().contains(QStringLiteral("italic")));

    auto *rtf = new QMimeData;
    rtf->setData(QStringLiteral("text/rtf"),
                 "{\\rtf1\\ansi{\\fonttbl{\\f0 Helvetica;}}{\\colortbl;\\red255\\green0\\blue0;}"
                 "\\f0\\cf1 caf\\'e9 \\b bold\\b0\\par second {\\*\\unknown x}line \\uc1\\u8364?}");
    EXPECT_EQ(pasted(rtf), QStringLiteral("caf\u00e9 bold\nsecond line \u20ac"));

    auto *image = new QMimeData;
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    image->setImageData(picture);
    EXPECT_TRUE(NSTextViewPasteNormal::plainTextOf(image).isNull())
        << "left to the view's own paste";
    view.setPlainText(QStringLiteral("kept"));
    QApplication::clipboard()->setMimeData(image);
    view.paste();
    EXPECT_EQ(view.toPlainText(), QStringLiteral("kept"));
}

TEST(PanelControls, DamagedRtfGivesWhatItCanAndNeverOverruns)
{
    for (const QByteArray &rtf :
         {QByteArray("{\\rtf1 a}}}}b"), QByteArray("{\\rtf1 x\\"), QByteArray("\\'4"),
          QByteArray("{{{{\\u-99999999999999"), QByteArray("\\uc99999\\u65 z")}) {
        SCOPED_TRACE(rtf.toStdString());
        const QString text = NSTextViewPasteNormal::plainTextFromRtf(rtf);
        EXPECT_LT(text.size(), rtf.size() + 1);
    }
    EXPECT_EQ(NSTextViewPasteNormal::plainTextFromRtf("{\\rtf1 a}}}}b"), QStringLiteral("ab"));
}

} // namespace
