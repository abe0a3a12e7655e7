#pragma once
// Shared set-up of the text window tests: default settings, answered alerts, windows on files.

#include "support/MergeBlocks.h"
#include "platform/Alerts.h"
#include "services/AppSetting.h"
#include "support/TestEnvironment.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/MyEditTextView.h"

#include <QTest>
#include <deque>
#include <gtest/gtest.h>
#include <memory>

class TextCompareTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppSetting_SetDefault(&gAppSetting);
        gAppSetting.compare_autoMoveToNextDiffAfterMerge = 0;
        platform::setAlertHook([this](const platform::AlertRequest &r) {
            alerts.push_back(r);
            if (answers.empty())
                return 1000;
            const int a = answers.front();
            answers.pop_front();
            return a;
        });
        dir = pelkotest::freshDir(QStringLiteral("textwindow"));
    }
    void TearDown() override { platform::setAlertHook(nullptr); }

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir + u'/' + name;
        EXPECT_TRUE(pelkotest::writeFile(path, bytes));
        return path;
    }

    // A window on two files, shown, compared, with its first block selected.
    std::unique_ptr<MergeEditWndCtr> open(const QString &left, const QString &right)
    {
        auto w = std::make_unique<MergeEditWndCtr>();
        w->setMFile1(left);
        w->setMFile2(right);
        w->showWindow();
        settle(*w);
        QTest::qWait(150);
        return w;
    }

    // Waits until the window has read its files and its compare is done.
    static void settle(MergeEditWndCtr &w)
    {
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return !w.isLoading() && !w.isComparing(); }, 20000));
    }

    std::vector<platform::AlertRequest> alerts;
    std::deque<int> answers;
    QString dir;
};

using pelkotest::makeBlock;
