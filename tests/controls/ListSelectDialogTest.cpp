// The list-selection dialog in real modal runs.
#include <gtest/gtest.h>

#include "controls/ListSelectDialog.h"
#include "platform/ModalRun.h"
#include "support/ModalRun.h"
#include "platform/UserDefaults.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QPointer>
#include <QTimer>
#include <functional>

using pelkotest::inRun;

namespace {

const QStringList kLines = {QStringLiteral("CSV file"), QStringLiteral("Text file"),
                            QStringLiteral("HTML file"), QStringLiteral("Pasteboard"),
                            QStringLiteral("Generate Patch")};

QTableView *tableOf(QWidget *w)
{
    QCoreApplication::processEvents(); // the window lays itself out once shown
    return w->findChild<QTableView *>(QStringLiteral("mSelectListTable"));
}

} // namespace

TEST(ListSelectDialog, EmptyListAnswersWithoutAWindow)
{
    EXPECT_EQ(ListSelectDialog::GetSelecteItemWithTitle(QStringLiteral("T"), QString(), {}), -1);
    EXPECT_EQ(platform::currentModalWindow(), nullptr);
}

TEST(ListSelectDialog, OkAnswersThePreselectedFirstLine)
{
    QString shownTitle, shownPrompt;
    bool okEnabled = false;
    inRun([&](QWidget *w) {
        shownTitle = w->windowTitle();
        shownPrompt = w->findChild<QLabel *>(QStringLiteral("mTextLabel"))->text();
        auto *ok = w->findChild<QAbstractButton *>(QStringLiteral("mOKButton"));
        okEnabled = ok->isEnabled();
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    EXPECT_EQ(ListSelectDialog::GetSelecteItemWithTitle(QStringLiteral("Export To:"),
                                                        QStringLiteral("Select an item"), kLines),
              0);
    EXPECT_EQ(shownTitle, QStringLiteral("Export To:"));
    EXPECT_EQ(shownPrompt, QStringLiteral("Select an item"));
    EXPECT_TRUE(okEnabled);
}

TEST(ListSelectDialog, CancelCloseAndQuitAnswerMinusOne)
{
    const std::function<void(QWidget *)> enders[] = {
        [](QWidget *w) {
            QTest::mouseClick(w->findChild<QAbstractButton *>(QStringLiteral("mCancelButton")),
                              Qt::LeftButton);
        },
        [](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); },
        [](QWidget *w) { QTest::keyClick(w, Qt::Key_W, Qt::ControlModifier); },
        [](QWidget *w) { QTest::keyClick(w, Qt::Key_Q, Qt::ControlModifier); },
        [](QWidget *w) { w->close(); },
    };
    for (const auto &end : enders) {
        inRun(end);
        EXPECT_EQ(ListSelectDialog::GetSelecteItemWithTitle(QString(), QString(), kLines), -1);
    }
}

TEST(ListSelectDialog, DoubleClickOnALineChoosesIt)
{
    inRun([](QWidget *w) {
        QTableView *table = tableOf(w);
        const QRect row = table->visualRect(table->model()->index(3, 0));
        ASSERT_FALSE(row.isEmpty());
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    });
    EXPECT_EQ(ListSelectDialog::GetSelecteItemWithTitle(QString(), QString(), kLines), 3);

    // Below the last line nothing happens; OK then ends the run with the old selection.
    inRun([](QWidget *w) {
        QTableView *table = tableOf(w);
        w->resize(400, 600);
        const QRect last = table->visualRect(table->model()->index(4, 0));
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                           QPoint(last.center().x(), last.bottom() + 40));
        EXPECT_TRUE(platform::isRunningModal(w));
        QTest::mouseClick(w->findChild<QAbstractButton *>(QStringLiteral("mOKButton")),
                          Qt::LeftButton);
    });
    EXPECT_EQ(ListSelectDialog::GetSelecteItemWithTitle(QString(), QString(), kLines), 0);
}

TEST(ListSelectDialog, RowValuesAndOkFollowTheSelection)
{
    ListSelectDialog dialog;
    dialog.mListData = kLines;
    dialog.window();
    EXPECT_EQ(dialog.objectValueForRow(1), kLines.at(1));
    EXPECT_TRUE(dialog.objectValueForRow(-1).isNull());
    EXPECT_TRUE(dialog.objectValueForRow(5).isNull());
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    dialog.mSelectListTable()->clearSelection();
    EXPECT_FALSE(dialog.okButton()->isEnabled());
}

TEST(ListSelectDialog, OpensAtTheFrameStoredWhenItLastClosed)
{
    inRun([](QWidget *w) {
        w->setGeometry(50, 60, 333, 222);
        QTest::keyClick(w, Qt::Key_Escape);
    });
    ListSelectDialog::GetSelecteItemWithTitle(QString(), QString(), kLines);
    QSize reopened;
    inRun([&](QWidget *w) {
        reopened = w->size();
        QTest::keyClick(w, Qt::Key_Escape);
    });
    ListSelectDialog::GetSelecteItemWithTitle(QString(), QString(), kLines);
    EXPECT_EQ(reopened, QSize(333, 222));
}
