// Renders the start window into PNGs under the build folder ("screenshots"): filled in with the
// suggestion list open, and in the middle of a drag with its two drop halves.
#include "StartWindowFixture.h"

#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QSet>

using pelkotest::StartWindowTest;

TEST_F(StartWindowTest, ScreenshotFilledWithSuggestionsOpen)
{
    const QString base = folder(QStringLiteral("projects"));
    for (const char *name :
         {"pelko-notes", "photos", "plans 2026", "presentation.odp", "Public", "pricing.csv"})
        QDir().mkpath(base + QLatin1Char('/') + QString::fromLatin1(name));
    const QString right = folder(QStringLiteral("backup/projects"));
    MergeDocument *doc = openWindow();
    doc->window()->resize(780, 480);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(doc->window()));
    doc->SetRightText(right);
    QLineEdit *field = doc->ui().mLeftPathTxt;
    field->setFocus();
    field->clear();
    QTest::keyClicks(field, base + QStringLiteral("/p"));
    ASSERT_TRUE(doc->isSuggestListShown());
    QTest::keyClick(field, Qt::Key_Down);
    QTest::qWait(50);
    const QImage shot = doc->window()->grab().toImage();
    EXPECT_TRUE(
        shot.save(pelkotest::screenshotPath(QStringLiteral("startwindow_suggestions.png"))));
    QListWidget *list = doc->ui().mSuggestTableView;
    const QImage listShot = list->grab().toImage();
    EXPECT_GT(pelkotest::distinctColours(listShot), 6); // rows of text, one of them selected
    // The list lies over the window, under the field, and inside the window.
    EXPECT_LE(list->geometry().bottom(), doc->ui().mainView->height());
}

TEST_F(StartWindowTest, ScreenshotMidDrag)
{
    const QString a = file(QStringLiteral("left.txt")), b = file(QStringLiteral("right.txt"));
    MergeDocument *doc = openWindow();
    doc->window()->resize(780, 480);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(doc->window()));
    doc->SetLeftText(a);
    doc->draggingEntered(DraggingInfo{{a, b}, Qt::CopyAction, QPointF(100, 40)});
    QTest::qWait(50);
    const QImage shot = doc->window()->grab().toImage();
    EXPECT_TRUE(shot.save(pelkotest::screenshotPath(QStringLiteral("startwindow_drag.png"))));
    const QRect half1 = doc->ui().mView_WhenDropFile1->geometry();
    const QRect half2 = doc->ui().mView_WhenDropFile2->geometry();
    EXPECT_FALSE(half1.intersects(half2));
    EXPECT_EQ(half1.top(), half2.top());
    EXPECT_GT(pelkotest::distinctColours(doc->ui().mView_WhenDropFile1->grab().toImage()), 1);
}
