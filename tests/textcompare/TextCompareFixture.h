#pragma once
// Shared set-up of the text window tests: default settings, answered alerts, windows on files.

#include "support/MergeBlocks.h"
#include "services/AppSetting.h"
#include "support/TestEnvironment.h"
#include "support/TwoFileWindowTest.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/MyEditTextView.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

class TextCompareTest : public pelkotest::TwoFileWindowTest<MergeEditWndCtr>
{
protected:
    TextCompareTest() : TwoFileWindowTest(QStringLiteral("textwindow")) {}
    void SetUp() override
    {
        AppSetting_SetDefault(&gAppSetting);
        gAppSetting.compare_autoMoveToNextDiffAfterMerge = 0;
    }
    // A window on two files, shown, compared, with its first block selected.
    std::unique_ptr<MergeEditWndCtr> open(const QString &left, const QString &right)
    {
        auto w = showWindowOn(left, right);
        settleSelection(*w);
        return w;
    }

    // Waits until the window has read its files and its compares (lines, and the characters of the
    // block selected) are done.
    static void settle(MergeEditWndCtr &w)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isLoading() && !w.isComparing(); }, 20000));
    }
    // settle(), and the block selected after a compare is too, with its changed characters.
    static void settleSelection(MergeEditWndCtr &w)
    {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !w.isLoading() && !w.isComparing() && !w.isBlockSelectionPending(); },
            20000));
    }
};

using pelkotest::makeBlock;
