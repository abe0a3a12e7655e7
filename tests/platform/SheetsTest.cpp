// Sheets: window-modal dialogs attached to a parent window.
#include <gtest/gtest.h>

#include "platform/Sheets.h"

#include <QCoreApplication>
#include <QDialog>
#include <QMainWindow>
#include <QPointer>

TEST(Sheets, EndHandsTheCodeToTheCompletionAndDetaches)
{
    QMainWindow parent;
    parent.show();
    auto *sheet = new QDialog();
    int heard = -99;
    ASSERT_TRUE(platform::beginSheet(&parent, sheet, [&](int code) { heard = code; }));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(platform::sheetParent(sheet), &parent);
    // A second attach of the same sheet is refused.
    EXPECT_FALSE(platform::beginSheet(&parent, sheet, nullptr));

    EXPECT_TRUE(platform::endSheet(sheet, 1));
    EXPECT_EQ(heard, 1);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(platform::sheetParent(sheet), nullptr);
    EXPECT_EQ(sheet->parentWidget(), nullptr);
    EXPECT_FALSE(platform::endSheet(sheet, 2));
    EXPECT_EQ(heard, 1);
    delete sheet;
}

TEST(Sheets, ClosedOrDestroyedSheetEndsWithZero)
{
    QMainWindow parent;
    parent.show();
    auto *sheet = new QDialog();
    int heard = -99;
    ASSERT_TRUE(platform::beginSheet(&parent, sheet, [&](int code) { heard = code; }));
    sheet->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(heard, 0);
    EXPECT_EQ(platform::sheetParent(sheet), nullptr);

    heard = -99;
    ASSERT_TRUE(platform::beginSheet(&parent, sheet, [&](int code) { heard = code; }));
    delete sheet;
    EXPECT_EQ(heard, 0);
    EXPECT_FALSE(platform::beginSheet(nullptr, &parent, nullptr));
}
