// The Text menu opens the file-type dialog, one at a time.
#include "TextCompareFixture.h"

#include "platform/ModalRun.h"
#include "themes/MyLanguageFileTypeDlg.h"
#include "ui_MergeEditWndCtr.h"

#include <QMenu>

TEST_F(TextCompareTest, TextMenuOpensTheFileTypeDialogOnce)
{
    auto w = open(write("a.txt", "one\n"), write("b.txt", "two\n"));
    QAction *item = nullptr;
    int items = 0;
    for (QAction *a : w->ui().mMenuText->actions())
        if (a->objectName() == QStringLiteral("actionAssignFileTypeToLanguage")) {
            item = a;
            ++items;
        }
    ASSERT_TRUE(item);
    EXPECT_EQ(items, 1);

    QStringList runs;
    platform::setModalHook([&](QWidget *window) {
        runs << window->objectName();
        // A second request while the dialog runs opens nothing.
        EXPECT_EQ(MyLanguageFileTypeDlg::runModal(), 0);
        return 1;
    });
    item->trigger();
    platform::setModalHook(nullptr);
    EXPECT_EQ(runs, QStringList{QStringLiteral("MyLanguageFileTypeDlg")});
}
