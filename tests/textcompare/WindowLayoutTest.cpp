// The text window on a small screen: everything it offers stays in reach at 800 x 500.
#include "TextCompareFixture.h"

#include "ui_MergeEditWndCtr.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

namespace {

// Every control the window offers besides its panes and menus.
QList<QWidget *> controlsOf(Ui::MergeEditWndCtr &ui)
{
    return {ui.mButton_Previous,
            ui.mButton_Next,
            ui.mButton_CopyToRight,
            ui.mButton_CopyToLeft,
            ui.mButton_CopyAllToRight,
            ui.mButton_CopyAllToLeft,
            ui.mButton_Compare,
            ui.mCheck_IgnoreCase,
            ui.mCheck_IgnoreTabExpansion,
            ui.mCheck_IgnoreSpaceChange,
            ui.mCheck_IgnoreAllSpace,
            ui.mCheck_IgnoreBlankLines,
            ui.mButton_Save1,
            ui.mButton_Save2};
}

} // namespace

// Long paths and long labels do not widen the window: at 800 x 500 every button and option is
// shown whole, inside the window, apart from the others, with room left for both texts.
TEST_F(TextCompareTest, TheWindowIsUsableAtEightHundredByFiveHundred)
{
    QString deep = dir;
    for (int i = 0; i < 8; ++i)
        deep += QStringLiteral("/a-rather-long-folder-name-%1").arg(i);
    auto w = open(write(QStringLiteral("short.txt"), "one\ntwo\n"), [&] {
        EXPECT_TRUE(pelkotest::writeFile(deep + QStringLiteral("/b.txt"), "one\n"));
        return deep + QStringLiteral("/b.txt");
    }());
    QWidget *window = w->window();
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    EXPECT_LE(window->minimumSizeHint().width(), 800);
    EXPECT_LE(window->minimumSize().width(), 800);
    window->resize(800, 500);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    ASSERT_EQ(window->size(), QSize(800, 500));

    const QList<QWidget *> controls = controlsOf(w->ui());
    QList<QRect> placed;
    for (QWidget *c : controls) {
        SCOPED_TRACE(c->objectName().toStdString());
        EXPECT_TRUE(c->isVisible());
        const QRect r(c->mapTo(window, QPoint(0, 0)), c->size());
        EXPECT_TRUE(window->rect().contains(r)) << r.x() << "," << r.y() << " " << r.width();
        // Shown whole: as wide as it asks to be.
        EXPECT_GE(c->width(), c->sizeHint().width());
        for (const QRect &other : placed)
            EXPECT_FALSE(r.intersects(other));
        placed << r;
    }
    for (int side : {1, 2})
        EXPECT_GT(w->textView(side)->viewport()->width(), 200) << side;
    // The long path shows its end, the file's name; the whole path is its tip.
    QLabel *path = w->ui().mFilePathLabel2;
    EXPECT_TRUE(path->text().endsWith(QStringLiteral("-7/b.txt"))) << path->text().toStdString();
    EXPECT_LE(path->fontMetrics().horizontalAdvance(path->text()), path->width());
    EXPECT_EQ(path->toolTip(), w->mFile2Path());
    EXPECT_EQ(w->ui().mFilePathLabel1->text(), w->mFile1Path());
    // Every menu of the bar is there too.
    auto *main = qobject_cast<QMainWindow *>(window);
    ASSERT_TRUE(main);
    for (QAction *menu : main->menuBar()->actions()) {
        const QRect r = main->menuBar()->actionGeometry(menu);
        EXPECT_TRUE(main->menuBar()->rect().contains(r)) << menu->text().toStdString();
    }

    const QImage shot = window->grab().toImage();
    EXPECT_TRUE(shot.save(pelkotest::screenshotPath(QStringLiteral("textwindow-800x500.png"))));
}
