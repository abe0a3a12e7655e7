// Renders the window offscreen into a PNG: both panes, gutters, block colours, both strips.
#include "TextCompareFixture.h"

#include "graphics/Contrast.h"
#include "support/InvisibleMarkPixels.h"
#include "themes/LanguageList.h"
#include "services/SupportFolder.h"
#include "textcompare/CenterLinkView.h"
#include "textcompare/CustomTextViewLineView.h"
#include "textcompare/DiffResultView.h"
#include "platform/NotificationCenter.h"
#include "themes/ThemeColor.h"
#include "ui_MergeEditWndCtr.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTextBlock>
#include <QTextLayout>

namespace {

QByteArray sampleSource(bool changed)
{
    QByteArray out = "// Sample for the compare window\n#include <stdio.h>\n\n";
    for (int i = 0; i < 60; ++i) {
        if (changed && i == 4)
            out += "int added_function(void) { return 42; }\n";
        if (changed && (i == 9 || i == 30))
            out += "static int value" + QByteArray::number(i) + " = " + QByteArray::number(i * 7) +
                   "; /* changed */\n";
        else if (!(changed && i == 20))
            out +=
                "static int value" + QByteArray::number(i) + " = " + QByteArray::number(i) + ";\n";
    }
    out += "int main(void) { printf(\"%d\\n\", value1); return 0; }\n";
    return out;
}

} // namespace

TEST_F(TextCompareTest, ScreenshotShowsPanesGuttersColoursAndStrips)
{
    ASSERT_TRUE(PrepareSupportFolder(dir + QStringLiteral("/support")));
    SetBundleResourceFolder(pelkotest::binaryDir() + QStringLiteral("/Resources"));
    const qsizetype languages = Setup_gAppLanguageInfoList();

    auto w = open(write("sample.c", sampleSource(false)), write("sample2.c", sampleSource(true)));
    w->window()->resize(1100, 700);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    w->selectBlock(1);
    settle(*w); // the changed characters of the block
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    ASSERT_EQ(w->mergeBlocks().size(), 4u);

    const QImage shot = w->window()->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    const QString path = pelkotest::screenshotPath(QStringLiteral("textwindow.png"));
    EXPECT_TRUE(shot.save(path));
    const QImage readBack(path);
    EXPECT_EQ(readBack.size(), shot.size());

    auto &ui = w->ui();
    EXPECT_TRUE(ui.mTextView1->lineNumberView()->isVisible());
    EXPECT_GT(pelkotest::distinctColours(ui.mTextView1->lineNumberView()->grab().toImage()), 3);
    EXPECT_GT(pelkotest::distinctColours(ui.mDiffResultView->grab().toImage()), 3);
    EXPECT_GT(pelkotest::distinctColours(ui.mCenterLinkView->grab().toImage()), 3);
    EXPECT_GT(pelkotest::distinctColours(ui.mTextView2->viewport()->grab().toImage()), 4);

    // The block colour is under the selected block in the right pane.
    const QImage pane = ui.mTextView2->viewport()->grab().toImage();
    const int y = int(ui.mTextView2->lineTopY(w->mergeBlocks()[1].startLine[2]) + 3);
    ASSERT_GT(y, 0);
    ASSERT_LT(y, pane.height());
    const QColor base = ui.mTextView2->palette().color(QPalette::Base);
    EXPECT_NE(QColor(pane.pixel(pane.width() - 5, y)).rgb(), base.rgb());

    if (languages > 0) {
        // Syntax colouring painted runs on the visible lines.
        bool coloured = false;
        for (QTextBlock b = ui.mTextView1->document()->begin(); b.isValid() && b.blockNumber() < 10;
             b = b.next())
            coloured = coloured || !b.layout()->formats().isEmpty();
        EXPECT_TRUE(coloured);
    }
    // The same window in every shipped theme, for a look at the block colours.
    ResetThemeTemplateCache();
    QList<std::shared_ptr<ThemeColor>> themes;
    QStringList names;
    if (GetApp_Color_ThemeTemplate_ThemeColor_List(&themes, &names)) {
        for (qsizetype i = 0; i < themes.size(); ++i) {
            ThemeColor::setCurrentTheme(themes[i]);
            // As the preferences do after a theme change.
            platform::NotificationCenter::defaultCenter().postNotification(
                QStringLiteral("Merge_UpdateFont"));
            settle(*w);
            // The syntax colours painted are the new theme's, not those of the one before.
            const QList<QColor> themeColours = ui.mTextView1->textColors();
            const auto paintedColours = [&] {
                QList<QColor> out;
                for (QTextBlock b = ui.mTextView1->document()->begin();
                     b.isValid() && b.blockNumber() < 10; b = b.next())
                    for (const QTextLayout::FormatRange &r : b.layout()->formats())
                        out << r.format.foreground().color();
                return out;
            };
            const auto allFromTheme = [&] {
                const QList<QColor> painted = paintedColours();
                return !painted.isEmpty() &&
                       std::all_of(painted.begin(), painted.end(),
                                   [&](const QColor &c) { return themeColours.contains(c); });
            };
            if (languages > 0) {
                EXPECT_TRUE(QTest::qWaitFor(allFromTheme, 20000)) << names[i].toStdString();
            }
            w->selectBlock(1);
            settle(*w);
            ASSERT_TRUE(pelkotest::deliverPostedEvents());
            EXPECT_TRUE(w->window()->grab().toImage().save(pelkotest::screenshotPath(
                QStringLiteral("textwindow-") + names[i] + QStringLiteral(".png"))));
        }
        ThemeColor::restoreToDefault();
        ResetCurrentThemeCache();
    }
    SetBundleResourceFolder(QString());
}

TEST_F(TextCompareTest, ScreenshotShowsInvisibleMarksReadableInEveryTheme)
{
    ASSERT_TRUE(PrepareSupportFolder(dir + QStringLiteral("/support")));
    SetBundleResourceFolder(pelkotest::binaryDir() + QStringLiteral("/Resources"));
    Setup_gAppLanguageInfoList();
    const QByteArray left = "int main(void)\r\n{\r\n\tint total = 0;  \r\n\tfor (int i = 0; i < 3; "
                            "++i)\r\n\t\ttotal += i;\t// sum\r\n\treturn total; \r\n}\r\n";
    QByteArray right = left;
    right.replace("total += i;", "total  +=  i * 2;");
    right.replace("\treturn total; ", "\tprintf(\"%d\\n\", total);\r\n\treturn 0;   ");
    auto w = open(write("marks.c", left), write("marks2.c", right));
    w->window()->resize(1000, 420);
    gAppSetting.bViewMarks = gAppSetting.bViewMarks_showSpace = 1;
    gAppSetting.bViewMarks_showTab = gAppSetting.bViewMarks_showEOL = 1;
    auto &ui = w->ui();

    ResetThemeTemplateCache();
    QList<std::shared_ptr<ThemeColor>> themes;
    QStringList names;
    ASSERT_TRUE(GetApp_Color_ThemeTemplate_ThemeColor_List(&themes, &names));
    bool sawDark = false, sawLight = false;
    for (qsizetype i = 0; i < themes.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        ThemeColor::setCurrentTheme(themes[i]);
        platform::NotificationCenter::defaultCenter().postNotification(
            QStringLiteral("Merge_UpdateFont"));
        settle(*w);
        ASSERT_FALSE(w->mergeBlocks().empty());
        w->selectBlock(0);
        settle(*w);
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        for (MyEditTextView *pane : {ui.mTextView1, ui.mTextView2}) {
            pane->clearFocus();
            const QColor base = pane->palette().color(QPalette::Base);
            (RelativeLuminance(base) < 0.2 ? sawDark : sawLight) = true;
            // Readable on the pane, the selection and every tint of every status.
            const QColor mark = pane->invisibleMarkColor();
            QList<QColor> backgrounds{base, pane->palette().color(QPalette::Highlight)};
            for (const MERGE_BLOCK &b :
                 {makeBlock(0, 1, 0, 1), makeBlock(0, 1, 0, 0), makeBlock(0, 0, 0, 1)}) {
                const BlockPalette p = pane->blockPalette(b);
                backgrounds << p.block << p.currentBlock << p.changedCharacters;
            }
            for (const QColor &b : backgrounds)
                EXPECT_GE(ContrastRatio(mark, b), kMinimumMarkContrast)
                    << mark.name().toStdString() << " on " << b.name().toStdString();
            // Drawn where the characters are, over the tints too.
            const QImage on = pane->viewport()->grab().toImage();
            pane->setInvisibleMarks({});
            const QImage off = pane->viewport()->grab().toImage();
            pane->setInvisibleMarks({true, true, true});
            EXPECT_EQ(pelkotest::checkMarks(pelkotest::changedPixels(off, on),
                                            pelkotest::markBoxesInView(*pane), true, true, true),
                      "");
        }
        EXPECT_TRUE(w->window()->grab().toImage().save(pelkotest::screenshotPath(
            QStringLiteral("textwindow-marks-") + names[i] + QStringLiteral(".png"))));
    }
    EXPECT_TRUE(sawDark && sawLight) << "the themes hold a light and a dark one";
    ThemeColor::restoreToDefault();
    ResetCurrentThemeCache();
    SetBundleResourceFolder(QString());
}
