// Localisation: markers, one-pass formats, tables made by the build tool, language choice, and
// the walk over a window's texts.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "foundation/PelkoNSString.h"
#include "platform/PropertyList.h"
#include "services/AppInit.h"
#include "services/EncodedFile.h"
#include "services/Localization.h"
#include "services/SupportFolder.h"
#include "support/TestEnvironment.h"

namespace {

QString toolPath()
{
    return pelkotest::binaryDir() +
           QStringLiteral("/tools/pelko-resource-tool/pelko-resource-tool");
}

int runTool(const QStringList &args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    process.setProcessEnvironment(env);
    process.start(toolPath(), args);
    if (!process.waitForFinished(60000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void writePlist(const QString &path, const QVariantMap &map)
{
    ASSERT_TRUE(platform::writePropertyListFile(path, map));
}

// A table of two languages made by the build tool, loaded for each test.
class LocalizationTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        const QString src = pelkotest::freshDir(QStringLiteral("strings"));
        writePlist(src + QStringLiteral("/fr.plist"),
                   {{QStringLiteral("Cancel"), QStringLiteral("Annuler")},
                    {QStringLiteral("Left file"), QStringLiteral("Fichier de gauche")},
                    {QStringLiteral("Select %@"), QStringLiteral("Choisir %@")},
                    {QStringLiteral("About {*app*}"), QStringLiteral("À propos de {*app*}")},
                    {QStringLiteral("Copy %@ to %@"), QStringLiteral("Vers %2$@ : copier %1$@")},
                    {QStringLiteral("%@ of %@ (%@%%)"), QStringLiteral("%@ sur %@ (%@ %%)")},
                    {QStringLiteral("Left"), QStringLiteral("Gauche")},
                    {QStringLiteral("Window"), QStringLiteral("Fenêtre")},
                    {QStringLiteral("Name"), QStringLiteral("Nom")},
                    {QStringLiteral("Size"), QStringLiteral("Taille")},
                    {QStringLiteral("Type a path"), QStringLiteral("Saisir un chemin")},
                    {QStringLiteral("Open"), QStringLiteral("Ouvrir")},
                    {QStringLiteral("File"), QStringLiteral("Fichier")},
                    {QStringLiteral("Tip"), QStringLiteral("Astuce")},
                    {QStringLiteral("Sizes {*app*}"), QStringLiteral("Tailles {*app*}")},
                    {QStringLiteral("Copy 1 item?"), QStringLiteral("Copier 1 élément ?")},
                    {QStringLiteral("Copy %1 items?"), QStringLiteral("Copier %1 éléments ?")}});
        writePlist(src + QStringLiteral("/de.plist"),
                   {{QStringLiteral("Cancel"), QStringLiteral("Abbrechen")}});
        sTable = pelkotest::freshDir(QStringLiteral("table")) + QStringLiteral("/table.mopo");
        ASSERT_EQ(runTool({QStringLiteral("table"), src, sTable}), 0);
    }
    void SetUp() override
    {
        ASSERT_TRUE(LoadLocalizationTable(sTable));
        SetLocalizationLanguage(QStringLiteral("fr"));
    }
    void TearDown() override
    {
        SetLocalizationLanguage(QString());
        ResetLocalizationTable();
    }
    static QString sTable;
};
QString LocalizationTest::sTable;

TEST_F(LocalizationTest, MarkersAndPlainKeys)
{
    struct Row
    {
        QString key;
        QString expected;
    };
    const Row rows[] = {
        {QString(), QStringLiteral("")},
        {QStringLiteral(""), QStringLiteral("")},
        {QStringLiteral("Cancel"), QStringLiteral("Annuler")},
        {QStringLiteral("Not in the table"), QStringLiteral("Not in the table")},
        {QStringLiteral("About {*app*}"), QStringLiteral("À propos de Pelko Merge")},
        {QStringLiteral("{*app*} is running"), QStringLiteral("Pelko Merge is running")},
        {QStringLiteral("Left file{++}: {++}Select %@{++}?"),
         QStringLiteral("Fichier de gauche: Choisir %@?")},
        {QStringLiteral("Select %@{**}Left"), QStringLiteral("Choisir Gauche")},
        {QStringLiteral("Copy %@ to %@{**}a.txt{**}/tmp/b"),
         QStringLiteral("Vers /tmp/b : copier a.txt")},
        {QStringLiteral("%@ of %@ (%@%%){**}1{**}2{**}50"), QStringLiteral("1 sur 2 (50 %)")},
        {QStringLiteral("%@-%@-%@-%@-%@{**}a{**}b{**}c{**}d{**}e"), QStringLiteral("a-b-c-d-e")},
        {QStringLiteral("Missing %@ and %@{**}one"), QStringLiteral("Missing one and ")},
        {QStringLiteral("%d files{**}12"), QStringLiteral("12 files")},
        {QStringLiteral("\"%@\" is busy.{**}{*app*}"), QStringLiteral("\"Pelko Merge\" is busy.")},
        // Sentences joined from keys stay apart; a piece that is no word is joined as it is.
        {QStringLiteral("This document was changed in another application.{++}Reload content{++}?"),
         QStringLiteral("This document was changed in another application. Reload content?")},
        {QStringLiteral("It stopped!{++}Cancel{++}."), QStringLiteral("It stopped! Annuler.")},
        {QStringLiteral("Why?{++}42 left"), QStringLiteral("Why? 42 left")},
        {QStringLiteral("Processing{++}..."), QStringLiteral("Processing...")},
        {QStringLiteral("Done.{++} Cancel"), QStringLiteral("Done. Cancel")},
        {QStringLiteral("Done.{++}\n{++}Cancel"), QStringLiteral("Done.\nAnnuler")},
        {QStringLiteral("Include{++} ({++}regex{++})"), QStringLiteral("Include (regex)")},
    };
    for (const Row &row : rows)
        EXPECT_EQ(L_(row.key), row.expected) << qPrintable(row.key);
}

TEST_F(LocalizationTest, CountsTakeTheSingularOrPluralSentence)
{
    const QString one = QStringLiteral("Copy 1 item?"), many = QStringLiteral("Copy %1 items?");
    EXPECT_EQ(L_Count(1, one, many), QStringLiteral("Copier 1 élément ?"));
    EXPECT_EQ(L_Count(0, one, many), QStringLiteral("Copier 0 éléments ?"));
    EXPECT_EQ(L_Count(2, one, many), QStringLiteral("Copier 2 éléments ?"));
    EXPECT_EQ(L_Count(1001, one, many), QStringLiteral("Copier 1001 éléments ?"));
    SetLocalizationLanguage(QStringLiteral("de")); // no translation: the English sentences
    EXPECT_EQ(L_Count(1, one, many), one);
    EXPECT_EQ(L_Count(3, one, many), QStringLiteral("Copy 3 items?"));
}

TEST_F(LocalizationTest, ArgumentsAreUserDataAndAreFilledOnlyOnce)
{
    // A path holding format characters and markers must come out exactly as given.
    const QString path = QStringLiteral("/home/u/%1 %@ {*app*} {++}Cancel%%");
    EXPECT_EQ(L_(QStringLiteral("Select %@{**}") + path), QStringLiteral("Choisir ") + path);
    EXPECT_EQ(L_(QStringLiteral("Copy %@ to %@{**}%@{**}%@")),
              QStringLiteral("Vers %@ : copier %@"));
    // A whole argument that is a key of the table is translated; a path is not.
    EXPECT_EQ(L_(QStringLiteral("Select %@{**}Cancel")), QStringLiteral("Choisir Annuler"));
    EXPECT_EQ(L_(QStringLiteral("Select %@{**}/x/Cancel")), QStringLiteral("Choisir /x/Cancel"));
}

TEST_F(LocalizationTest, LanguageChoice)
{
    struct Row
    {
        QString code;
        QString expected;
    };
    const Row rows[] = {
        {QStringLiteral("fr"), QStringLiteral("Annuler")},
        {QStringLiteral("fr_CA"), QStringLiteral("Annuler")},
        {QStringLiteral("de-DE"), QStringLiteral("Abbrechen")},
        {QStringLiteral("en"), QStringLiteral("Cancel")},
        {QStringLiteral("ja"), QStringLiteral("Cancel")},
    };
    for (const Row &row : rows) {
        SetLocalizationLanguage(row.code);
        EXPECT_EQ(L_(QStringLiteral("Cancel")), row.expected) << qPrintable(row.code);
    }
    EXPECT_EQ(GetAvailableLocalizations(),
              (QStringList{QStringLiteral("de"), QStringLiteral("en"), QStringLiteral("fr")}));
}

TEST_F(LocalizationTest, DamagedTableIsRefusedAndTheCurrentOneKept)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("badtable"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/plain.mopo"),
                                     QByteArray("not a property list")));
    QByteArray damaged = pelkotest::readFile(sTable);
    damaged.chop(16);
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/cut.mopo"), damaged));
    EXPECT_FALSE(LoadLocalizationTable(dir + QStringLiteral("/plain.mopo")));
    EXPECT_FALSE(LoadLocalizationTable(dir + QStringLiteral("/cut.mopo")));
    EXPECT_FALSE(LoadLocalizationTable(dir + QStringLiteral("/missing.mopo")));
    EXPECT_EQ(L_(QStringLiteral("Cancel")), QStringLiteral("Annuler"));
}

TEST_F(LocalizationTest, BundleTableIsBuiltAndFound)
{
    ResetLocalizationTable();
    SetBundleResourceFolder(pelkotest::binaryDir() + QStringLiteral("/Resources"));
    SetLocalizationLanguage(QStringLiteral("de"));
    EXPECT_EQ(L_(QStringLiteral("Cancel")), QStringLiteral("Abbrechen"));
    EXPECT_EQ(L_(QStringLiteral("About {*app*}")), QStringLiteral("Über Pelko Merge"));
    SetBundleResourceFolder(QString());
}

TEST_F(LocalizationTest, EncipheredFileWrittenByTheToolReadsBack)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("encipher"));
    const QByteArray text =
        QStringLiteral("#language Zeta\nkeywords: \u00FCber \u6F22\u5B57\n").toUtf8();
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/plain.esy"), text));
    ASSERT_EQ(runTool({QStringLiteral("encipher"), dir + QStringLiteral("/plain.esy"),
                       dir + QStringLiteral("/out.myrsctx")}),
              0);
    const QByteArray stored = pelkotest::readFile(dir + QStringLiteral("/out.myrsctx"));
    EXPECT_FALSE(stored.contains("language"));
    EXPECT_EQ(App_MyEncodeFile_Read(dir + QStringLiteral("/out.myrsctx")), QString::fromUtf8(text));
    EXPECT_NE(runTool({QStringLiteral("encipher"), dir + QStringLiteral("/none"),
                       dir + QStringLiteral("/x")}),
              0);
}

TEST_F(LocalizationTest, EveryTextOfAWindowIsLocalised)
{
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("About {*app*}"));
    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    auto *label = new QLabel(QStringLiteral("Left file"));
    auto *button = new QPushButton(QStringLiteral("Cancel"));
    button->setToolTip(QStringLiteral("Tip"));
    auto *choices = new QComboBox;
    choices->addItems({QStringLiteral("Left"), QStringLiteral("Size")});
    auto *editable = new QComboBox;
    editable->setEditable(true);
    editable->addItem(QStringLiteral("Left"));
    auto *edit = new QLineEdit;
    edit->setText(QStringLiteral("Cancel")); // typed by the user
    edit->setPlaceholderText(QStringLiteral("Type a path"));
    auto *tabs = new QTabWidget;
    tabs->addTab(new QWidget, QStringLiteral("Left"));
    tabs->setTabToolTip(0, QStringLiteral("Tip"));
    auto *table = new QTableWidget(1, 2);
    table->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
    table->setItem(0, 0, new QTableWidgetItem(QStringLiteral("Cancel"))); // data, not a header
    for (QWidget *w :
         std::initializer_list<QWidget *>{label, button, choices, editable, edit, tabs, table})
        layout->addWidget(w);
    window.setCentralWidget(central);
    QMenu *menu = window.menuBar()->addMenu(QStringLiteral("File"));
    QAction *open = menu->addAction(QStringLiteral("Open"));
    QMenu *sub = menu->addMenu(QStringLiteral("Window"));
    QAction *subAction = sub->addAction(QStringLiteral("Sizes {*app*}"));

    LocalizeAllControlsInViewOrWindow(&window);

    EXPECT_EQ(window.windowTitle(), QStringLiteral("À propos de Pelko Merge"));
    EXPECT_EQ(label->text(), QStringLiteral("Fichier de gauche"));
    EXPECT_EQ(button->text(), QStringLiteral("Annuler"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Astuce"));
    EXPECT_EQ(edit->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(choices->itemText(0), QStringLiteral("Gauche"));
    EXPECT_EQ(choices->itemText(1), QStringLiteral("Taille"));
    EXPECT_EQ(editable->itemText(0), QStringLiteral("Left"));
    EXPECT_EQ(edit->placeholderText(), QStringLiteral("Saisir un chemin"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Gauche"));
    EXPECT_EQ(tabs->tabToolTip(0), QStringLiteral("Astuce"));
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QStringLiteral("Nom"));
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), QStringLiteral("Taille"));
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(menu->title(), QStringLiteral("Fichier"));
    EXPECT_EQ(open->text(), QStringLiteral("Ouvrir"));
    EXPECT_EQ(sub->title(), QStringLiteral("Fenêtre"));
    EXPECT_EQ(subAction->text(), QStringLiteral("Tailles Pelko Merge"));
    LocalizeAllControlsInViewOrWindow(nullptr);
}

TEST(LanguageName, OwnNameThenEnglishThenCode)
{
    EXPECT_EQ(GetLanguageName(QStringLiteral("")), QStringLiteral(""));
    EXPECT_EQ(GetLanguageName(QStringLiteral("de")), QStringLiteral("Deutsch"));
    EXPECT_EQ(GetLanguageName(QStringLiteral("fr")), QStringLiteral("Français"));
    EXPECT_EQ(GetLanguageName(QStringLiteral("ja")), QStringLiteral("日本語"));
    EXPECT_FALSE(GetLanguageName(QStringLiteral("pt-BR")).isEmpty());
    EXPECT_EQ(GetLanguageName(QStringLiteral("Base")), QStringLiteral("Base"));
    EXPECT_EQ(GetLanguageName(QStringLiteral("q!")), QStringLiteral("q!"));
}

TEST_F(LocalizationTest, StartUpGivesTheFoundationTheTranslationTable)
{
    InitAppSetting();
    SetLocalizationLanguage(QStringLiteral("en"));
    EXPECT_EQ(toLocalizeString(QStringLiteral("Quit {*app*}")), QStringLiteral("Quit Pelko Merge"));
    EXPECT_EQ(toLocalizeString(QStringLiteral("Left{++}: {++}Right")),
              QStringLiteral("Left: Right"));
    SetLocalizationLanguage(QString());
}

} // namespace
