// The text window on a small screen: everything it offers stays in reach at 800 x 500.
#include "TextCompareFixture.h"

#include "ui_MergeEditWndCtr.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QSplitter>

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

// Every control is shown whole, inside the window, apart from the others and from the panes.
void expectControlsInReach(MergeEditWndCtr &w)
{
    QWidget *window = w.window();
    QSplitter *panes = w.ui().mSplitView;
    const QRect panesRect(panes->mapTo(window, QPoint(0, 0)), panes->size());
    QList<QRect> placed;
    for (QWidget *c : controlsOf(w.ui())) {
        SCOPED_TRACE(c->objectName().toStdString());
        EXPECT_TRUE(c->isVisible());
        const QRect r(c->mapTo(window, QPoint(0, 0)), c->size());
        EXPECT_TRUE(window->rect().contains(r)) << r.x() << "," << r.y() << " " << r.width();
        // Shown whole: as wide as it asks to be.
        EXPECT_GE(c->width(), c->sizeHint().width());
        EXPECT_GE(c->height(), c->sizeHint().height());
        for (const QRect &other : placed)
            EXPECT_FALSE(r.intersects(other));
        if (!panes->isAncestorOf(c)) {
            EXPECT_FALSE(r.intersects(panesRect));
        }
        placed << r;
    }
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

    expectControlsInReach(*w);
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

// Narrower still, the buttons and options take more rows, and the window keeps room for all of
// them: it does not shrink past what they need.
TEST_F(TextCompareTest, NarrowerStillTheWindowKeepsEveryControlInReach)
{
    auto w =
        open(write(QStringLiteral("a.txt"), "one\ntwo\n"), write(QStringLiteral("b.txt"), "one\n"));
    for (const QSize asked : {QSize(600, 400), QSize(400, 300), QSize(200, 200)}) {
        SCOPED_TRACE(std::to_string(asked.width()) + " x " + std::to_string(asked.height()));
        w->window()->resize(asked);
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        expectControlsInReach(*w);
    }
}
