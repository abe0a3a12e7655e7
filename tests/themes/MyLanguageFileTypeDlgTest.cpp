// The file-type dialog driven through its controls; alerts, the input sheet and the open panel
// answered through their hooks.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "controls/InputDialog.h"
#include "platform/Alerts.h"
#include "platform/ModalRun.h"
#include "platform/Panels.h"
#include "platform/UserDefaults.h"
#include "services/AppSetting.h"
#include "themes/LanguageList.h"
#include "services/SupportFolder.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"
#include "themes/MyLanguageFileTypeDlg.h"
#include "themes/MyLanguageInfo.h"
#include "ui_MyLanguageFileTypeDlg.h"

namespace {

QByteArray definition(const char *types)
{
    return QByteArray("; test language\n#SupportFileTypes=") + types +
           "\n#CommentBegin=/*\n#CommentEnd=*/\n#Keyword color=3\nalpha\nbeta\n";
}

std::shared_ptr<MyLanguageInfo> language(const QString &file, const char *types)
{
    auto lang = MyLanguageInfo::create();
    EXPECT_TRUE(lang->resetWithText(QString::fromUtf8(definition(types)), file, true));
    return lang;
}

class FileTypeDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrepareSupportFolder(pelkotest::freshDir("support")));
        clearChoices();
        APPSETTING_SET_STRING(gAppSetting, bAutoHightLightText_WithLanguage, "");
        gAppLanguageInfoList = {language(QStringLiteral("Alpha.myrsctx"), "aa;ab"),
                                language(QStringLiteral("Beta.myrsctx"), "bb;AB"),
                                language(QStringLiteral("Gamma.myrsctx"), "gg")};
        platform::setAlertHook([this](const platform::AlertRequest &r) {
            alerts << r.title + QLatin1Char('|') + r.text;
            return alertAnswer;
        });
        dialog = std::make_unique<MyLanguageFileTypeDlg>();
        ASSERT_TRUE(dialog->window());
        dialog->window()->show();
    }
    void TearDown() override
    {
        dialog.reset();
        platform::setAlertHook(nullptr);
        platform::setOpenPanelHook(nullptr);
        gAppLanguageInfoList.clear();
        clearChoices();
    }
    static void clearChoices()
    {
        auto &d = platform::UserDefaults::standard();
        const auto all = d.dictionaryRepresentation();
        for (auto it = all.cbegin(); it != all.cend(); ++it)
            if (it.key().startsWith(QStringLiteral("lang_for_type_")))
                d.removeObjectForKey(it.key());
    }
    static QString stored(const QString &type)
    {
        return platform::UserDefaults::standard().stringForKey(QStringLiteral("lang_for_type_") +
                                                               type);
    }
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 0; r < dialog->table()->rowCount(); ++r)
            out << dialog->table()->item(r, c)->text();
        return out;
    }
    QStringList selectedTypes() const
    {
        QStringList out;
        for (const QModelIndex &i : dialog->table()->selectionModel()->selectedRows())
            out << dialog->table()->item(i.row(), 0)->text();
        out.sort();
        return out;
    }
    // Clicks the first row, then Ctrl-clicks the others, as the user picks several rows.
    void selectTypes(const QStringList &types)
    {
        QTableWidget *t = dialog->table();
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
        for (int r = 0; r < t->rowCount(); ++r) {
            if (!types.contains(t->item(r, 0)->text()))
                continue;
            t->scrollToItem(t->item(r, 0));
            const QPoint at = t->visualItemRect(t->item(r, 0)).center();
            QTest::mouseClick(t->viewport(), Qt::LeftButton, modifiers, at);
            modifiers = Qt::ControlModifier;
        }
    }
    void chooseLanguage(const QString &name)
    {
        QComboBox *box = dialog->languageList();
        const int i = box->findText(name);
        ASSERT_GE(i, 0);
        box->setCurrentIndex(i);
        emit box->activated(i);
    }

    std::unique_ptr<MyLanguageFileTypeDlg> dialog;
    QStringList alerts;
    int alertAnswer = 1000;
};

} // namespace

TEST_F(FileTypeDialogTest, ListsEveryExtensionAndSelectingWritesNothing)
{
    EXPECT_EQ(column(0), (QStringList{"aa", "ab", "bb", "gg"}));
    EXPECT_EQ(column(1), (QStringList{"alpha", "alpha", "beta", "gamma"}))
        << "an extension two languages list goes to the first";
    EXPECT_EQ(dialog->languageList()->findText(QStringLiteral("(none)")), -1);
    EXPECT_FALSE(dialog->ui().mCancelButton->isVisible() &&
                 dialog->ui().mCancelButton->geometry().intersects(dialog->window()->rect()));

    const QVariantMap before = platform::UserDefaults::standard().dictionaryRepresentation();
    selectTypes({"gg"});
    EXPECT_EQ(dialog->languageList()->currentText(), QStringLiteral("gamma"));
    selectTypes({"bb"});
    EXPECT_EQ(dialog->languageList()->currentText(), QStringLiteral("beta"));
    EXPECT_EQ(platform::UserDefaults::standard().dictionaryRepresentation(), before);
}

TEST_F(FileTypeDialogTest, ChangingTheLanguageChangesEverySelectedRow)
{
    selectTypes({"aa", "gg"});
    chooseLanguage(QStringLiteral("beta"));
    EXPECT_EQ(stored("aa"), QStringLiteral("beta"));
    EXPECT_EQ(stored("gg"), QStringLiteral("beta"));
    EXPECT_EQ(stored("ab"), QStringLiteral("alpha"));
    EXPECT_EQ(column(1), (QStringList{"beta", "alpha", "beta", "beta"}));
    EXPECT_EQ(selectedTypes(), (QStringList{"aa", "gg"})) << "the rows stay selected";
}

TEST_F(FileTypeDialogTest, AddingThroughTheSheetAppendsAndSelects)
{
    APPSETTING_SET_STRING(gAppSetting, bAutoHightLightText_WithLanguage, "gamma");
    QTest::mouseClick(dialog->ui().mAddButton, Qt::LeftButton);
    InputDialog *sheet = dialog->inputSheet();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(sheet->window()->isVisible());
    QTest::keyClicks(sheet->mTextEdit(), QStringLiteral("Foo; BAR,baz  gg"));
    QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_EQ(column(0), (QStringList{"aa", "ab", "bb", "gg", "foo", "bar", "baz"}));
    EXPECT_EQ(selectedTypes(), (QStringList{"bar", "baz", "foo", "gg"}));
    EXPECT_EQ(stored("foo"), QStringLiteral("gamma"));
    EXPECT_EQ(stored("bar"), QStringLiteral("gamma"));

    // Cancelling the sheet adds nothing; blank input adds nothing.
    QTest::mouseClick(dialog->ui().mAddButton, Qt::LeftButton);
    ASSERT_TRUE(dialog->inputSheet());
    QTest::mouseClick(dialog->inputSheet()->cancelButton(), Qt::LeftButton);
    dialog->addType(QStringLiteral("  ;  "));
    EXPECT_EQ(dialog->table()->rowCount(), 7);
}

TEST_F(FileTypeDialogTest, ResetForgetsTheUsersOwnExtensions)
{
    dialog->addType(QStringLiteral("zz"));
    selectTypes({"aa"});
    chooseLanguage(QStringLiteral("gamma"));
    alertAnswer = 1001; // Cancel
    QTest::mouseClick(dialog->ui().mResetButton, Qt::LeftButton);
    EXPECT_TRUE(column(0).contains(QStringLiteral("zz")));
    alertAnswer = 1000;
    QTest::mouseClick(dialog->ui().mResetButton, Qt::LeftButton);
    EXPECT_EQ(column(0), (QStringList{"aa", "ab", "bb", "gg"}));
    EXPECT_EQ(stored("aa"), QStringLiteral("alpha"));
    EXPECT_TRUE(stored("zz").isEmpty());
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_TRUE(alerts[0].startsWith(QStringLiteral("Are you sure")));
}

TEST_F(FileTypeDialogTest, ImportCopiesValidFilesAndKeepsOnesAlreadyThere)
{
    const QString folder = GetSupportSubFolder(QStringLiteral("languages"));
    const QString elsewhere = pelkotest::freshDir("import");
    ASSERT_TRUE(pelkotest::writeFile(elsewhere + "/Good.esy", definition("good")));
    ASSERT_TRUE(pelkotest::writeFile(elsewhere + "/Broken.esy", "not a definition"));
    ASSERT_TRUE(pelkotest::writeFile(elsewhere + "/Other.txt", definition("txt")));
    ASSERT_TRUE(pelkotest::writeFile(folder + "/Inside.esy", definition("inside")));
    // A file of the same name elsewhere replaces the one in the folder.
    ASSERT_TRUE(pelkotest::writeFile(folder + "/Good.esy", "old"));
    platform::setOpenPanelHook([&](const platform::OpenPanelRequest &r) {
        EXPECT_TRUE(r.allowMulti);
        EXPECT_EQ(r.fileTypes, QStringList{"esy"});
        return QStringList{elsewhere + "/Good.esy", elsewhere + "/Broken.esy",
                           elsewhere + "/Other.txt", folder + "/Inside.esy",
                           elsewhere + "/Missing.esy"};
    });
    pelkotest::LogCapture log;
    QTest::mouseClick(dialog->ui().mImportButton, Qt::LeftButton);

    EXPECT_EQ(pelkotest::readFile(folder + "/Good.esy"), definition("good"));
    EXPECT_EQ(pelkotest::readFile(folder + "/Inside.esy"), definition("inside"))
        << "picking a file already there must not lose it";
    EXPECT_FALSE(QFile::exists(folder + "/Broken.esy"));
    EXPECT_FALSE(QFile::exists(folder + "/Other.txt"));
    ASSERT_EQ(alerts.size(), 3);
    EXPECT_TRUE(alerts[1].startsWith(QStringLiteral("The file format is invalid.\nBroken.esy")));
    EXPECT_TRUE(alerts[2].contains(QStringLiteral("Good.esy\n")));
    EXPECT_TRUE(alerts[2].contains(QStringLiteral("Inside.esy\n")));
    EXPECT_TRUE(alerts[2].contains(QStringLiteral("restart the application")));

    // Nothing valid chosen.
    alerts.clear();
    platform::setOpenPanelHook([](const platform::OpenPanelRequest &) { return QStringList(); });
    QTest::mouseClick(dialog->ui().mImportButton, Qt::LeftButton);
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_TRUE(alerts[1].startsWith(
        QStringLiteral("No file imported. Please select a valid file: [esy]")));

    // A copy that cannot be written is not reported as imported, and what stood under that
    // name stays.
    alerts.clear();
    ASSERT_TRUE(QDir(folder).mkpath(QStringLiteral("Blocked.esy")));
    ASSERT_TRUE(pelkotest::writeFile(folder + "/Blocked.esy/keep", "kept"));
    ASSERT_TRUE(pelkotest::writeFile(elsewhere + "/Blocked.esy", definition("blocked")));
    platform::setOpenPanelHook([&](const platform::OpenPanelRequest &) {
        return QStringList{elsewhere + "/Blocked.esy"};
    });
    QTest::mouseClick(dialog->ui().mImportButton, Qt::LeftButton);
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_TRUE(alerts[1].startsWith(QStringLiteral("No file imported.")));
    EXPECT_EQ(pelkotest::readFile(folder + "/Blocked.esy/keep"), QByteArray("kept"));
}

TEST_F(FileTypeDialogTest, ModalRunEndsWithOkOrClose)
{
    dialog.reset();
    const auto press = [](const char *name) {
        QTimer::singleShot(30, [name] {
            if (QWidget *w = platform::currentModalWindow())
                if (auto *b = w->findChild<QPushButton *>(QLatin1String(name)))
                    b->click();
        });
    };
    press("mOKButton");
    EXPECT_EQ(MyLanguageFileTypeDlg::runModal(), 1);
    press("mCloseButton1");
    EXPECT_EQ(MyLanguageFileTypeDlg::runModal(), 0);
}
