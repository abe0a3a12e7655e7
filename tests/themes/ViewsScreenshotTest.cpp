// Renders a framed colour box, a grouped button view and the file-type dialog into PNGs under
// the build folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "controls/NSAutoArrangeButtonsView.h"
#include "controls/NSColorView.h"
#include "platform/UserDefaults.h"
#include "services/AppSetting.h"
#include "themes/LanguageList.h"
#include "services/SupportFolder.h"
#include "support/TestEnvironment.h"
#include "themes/MyLanguageFileTypeDlg.h"

using platform::Color;

TEST(ViewsScreenshot, ColourBoxAndGroupedButtons)
{
    QWidget window;
    window.resize(420, 260);
    auto *box = new NSColorView(&window);
    box->setGeometry(10, 10, 120, 60);
    box->setFillColor(Color::calibratedRGB(0.85, 0.92, 1.0));
    box->setBorderColor(Color::calibratedRGB(0.2, 0.35, 0.6));
    box->setBorderWidth(2);
    auto *caption = new QLabel(QStringLiteral("UTF-8"), box);
    caption->move(10, 20);

    auto *buttons = new NSAutoArrangeButtonsViewWithGroup(&window);
    buttons->setGeometry(150, 10, 250, 240);
    const char *groups[][6] = {{"Shapes", "Rect", "Oval", "Star", "Line", "Arc"},
                               {"Text", "A", "B", nullptr, nullptr, nullptr}};
    int y = 0;
    for (const auto &group : groups) {
        auto *label = new QLabel(QString::fromLatin1(group[0]), buttons);
        label->setGeometry(0, y, 100, 18);
        y += 20;
        for (int i = 1; i < 6 && group[i]; ++i) {
            auto *b = new QPushButton(QString::fromLatin1(group[i]), buttons);
            b->move(i * 10, y);
        }
        y += 40;
    }
    window.show();
    buttons->resize(250, 241);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    ASSERT_EQ(buttons->groups.size(), 2);

    const QImage shot = window.grab().toImage();
    ASSERT_TRUE(shot.save(pelkotest::screenshotPath(QStringLiteral("colourbox_buttons.png"))));
    const QImage boxShot = box->grab().toImage();
    EXPECT_NE(boxShot.pixelColor(0, 30), boxShot.pixelColor(60, 5)) << "the frame shows";
}

TEST(ViewsScreenshot, FileTypeDialog)
{
    ASSERT_TRUE(PrepareSupportFolder(pelkotest::freshDir("support")));
    SetBundleResourceFolder(pelkotest::binaryDir() + QStringLiteral("/Resources"));
    ASSERT_GT(Setup_gAppLanguageInfoList(), 5);
    {
        MyLanguageFileTypeDlg dialog;
        ASSERT_TRUE(dialog.window());
        dialog.window()->resize(480, 440);
        dialog.window()->show();
        // The table takes its final size first, so the added row is scrolled fully into view.
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        dialog.addType(QStringLiteral("mylog"));
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        const QTableWidget *table = dialog.table();
        const QRect added = table->visualItemRect(table->item(table->rowCount() - 1, 0));
        EXPECT_TRUE(table->viewport()->rect().contains(added)) << "the added row is in view";
        EXPECT_GT(dialog.table()->rowCount(), 20);
        const QImage shot = dialog.window()->grab().toImage();
        ASSERT_TRUE(shot.save(pelkotest::screenshotPath(QStringLiteral("filetypedialog.png"))));
    }
    gAppLanguageInfoList.clear();
    auto &d = platform::UserDefaults::standard();
    const auto all = d.dictionaryRepresentation();
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        if (it.key().startsWith(QStringLiteral("lang_for_type_")))
            d.removeObjectForKey(it.key());
    SetBundleResourceFolder(QString());
}
