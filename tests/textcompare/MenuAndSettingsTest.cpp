// The window's menu actions and the "Merge_UpdateFont" refresh.
#include "TextCompareFixture.h"

#include "platform/NotificationCenter.h"
#include "services/TextFile.h"
#include "themes/ThemeColor.h"
#include "ui_MergeEditWndCtr.h"

#include <QAction>
#include <QFontDatabase>
#include <QFontMetricsF>

TEST_F(TextCompareTest, ReloadWithEncodingReadsBothSidesAgainInThatEncoding)
{
    // Bytes that decode as UTF-8 but were meant as Latin-1 text.
    const QByteArray bytes = "caf\xC3\xA9\n";
    auto w = open(write("a.txt", bytes), write("b.txt", "x\n"));
    EXPECT_EQ(w->GetTextInView1(), QStringLiteral("café\n"));

    QString latin1Name;
    for (const QVariantList &entry : GetAllAvailableStringEncodings_Array_Name_Code())
        if (entry.size() >= 2 && entry[1].toULongLong() == platform::Encoding::ISOLatin1)
            latin1Name = entry[0].toString();
    ASSERT_FALSE(latin1Name.isEmpty());
    QAction item(latin1Name);
    w->Menu_ReloadWithEncoding(&item);
    settle(*w);
    EXPECT_EQ(w->GetTextInView1(), QStringLiteral("cafÃ©\n"));
    EXPECT_EQ(w->fileInfo(1).encoding, platform::Encoding::ISOLatin1);
    EXPECT_FALSE(w->WasEdit());

    // With edits, the reload asks first; Cancel keeps the text.
    QTextCursor(w->textView(1)->document()).insertText(QStringLiteral("edit"));
    answers = {1001};
    w->Menu_ReloadWithEncoding(&item);
    settle(*w);
    EXPECT_TRUE(w->GetTextInView1().startsWith(QStringLiteral("edit")));
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(TextCompareTest, ReloadWithAnEncodingTheFileIsNotInSaysSoAndKeepsTheText)
{
    auto nameOf = [](platform::StringEncoding e) {
        for (const QVariantList &entry : GetAllAvailableStringEncodings_Array_Name_Code())
            if (entry.size() >= 2 && entry[1].toULongLong() == e)
                return entry[0].toString();
        return QString();
    };
    // Latin-1 bytes that are no UTF-8 and no Shift JIS, on the right side only.
    auto w = open(write("a.txt", "plain\n"), write("b.txt", "na\xEFve caf\xE9\n"));
    const QString right = w->GetTextInView2();
    const auto encoding = w->fileInfo(2).encoding;
    QTextCursor(w->textView(2)->document()).insertText(QStringLiteral("edit "));
    for (platform::StringEncoding e : {platform::Encoding::UTF8, platform::Encoding::ShiftJIS}) {
        SCOPED_TRACE(e);
        QAction item(nameOf(e));
        alerts.clear();
        w->Menu_ReloadWithEncoding(&item);
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_TRUE(alerts[0].text.contains(w->mFile2Path()));
        EXPECT_TRUE(alerts[0].text.contains(platform::TextEncoding::localizedName(e)));
        EXPECT_EQ(w->GetTextInView2(), QStringLiteral("edit ") + right);
        EXPECT_EQ(w->fileInfo(2).encoding, encoding);
        EXPECT_TRUE(w->mTextWasEdited(2));
    }
    w->setDocumentEdited(false);
}

TEST_F(TextCompareTest, UpdateFontAppliesSettingsAndComparesAgain)
{
    auto w = open(write("a.txt", "a\nb\n"), write("b.txt", "a\nc\n"));
    gAppSetting.textSize = 21;
    gAppSetting.bShowLineNumber = 0;
    gAppSetting.bWrapText = 1;
    QTextCursor(w->textView(2)->document()).insertText(QStringLiteral("z\n"));
    platform::NotificationCenter::defaultCenter().postNotification(
        QStringLiteral("Merge_UpdateFont"));
    settle(*w);
    EXPECT_DOUBLE_EQ(w->textView(1)->font().pointSizeF(), 21.0);
    EXPECT_FALSE(w->textView(2)->showLineNumbers());
    EXPECT_EQ(w->textView(1)->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    // Compared again: the typed line is a block now.
    EXPECT_EQ(w->mergeBlocks().size(), 2u);
}

TEST_F(TextCompareTest, AStoredFontThatIsNotInstalledFallsBackToTheFixedWidthFont)
{
    APPSETTING_SET_STRING(gAppSetting, fontName, QStringLiteral("Monaco"));
    auto w = open(write("a.txt", "iiii\nWWWW\n"), write("b.txt", "iiii\nWWWX\n"));
    for (int side : {1, 2}) {
        // The pane asks for an installed family: how a missing one is matched differs from one
        // desktop to the next, and is often a proportional font.
        EXPECT_TRUE(QFontDatabase::hasFamily(w->textView(side)->font().family()))
            << w->textView(side)->font().family().toStdString();
        // Fixed width as the user sees it: equal advances, whatever the font database says.
        const QFontMetricsF metrics(w->textView(side)->font());
        EXPECT_DOUBLE_EQ(metrics.horizontalAdvance(QStringLiteral("iiii")),
                         metrics.horizontalAdvance(QStringLiteral("WWWW")))
            << QFontInfo(w->textView(side)->font()).family().toStdString();
    }
}

TEST_F(TextCompareTest, ADarkThemeGivesThePanesTheWhiteBeamAndItsCaretColour)
{
    auto theme = ThemeColor::create();
    theme->setPelkoSourceTextBackground(platform::Color::calibratedRGB(0.05, 0.05, 0.1));
    theme->setMColor_DefaultText(platform::Color::calibratedRGB(0.9, 0.9, 0.9));
    theme->setPelkoSourceTextInsertionPointColor(platform::Color::calibratedRGB(1, 0.5, 0));
    ThemeColor::setCurrentTheme(theme);
    auto w = open(write("a.txt", "a\nb\n"), write("b.txt", "a\nc\n"));
    for (int side : {1, 2}) {
        EXPECT_EQ(w->textView(side)->viewport()->cursor().shape(), Qt::BitmapCursor);
        EXPECT_EQ(w->textView(side)->property("insertionPointColor").value<QColor>(),
                  GetApp_Color_Text_Default_WithIndex(SYNTAX_COLOR_INSERTION_POINT).toQColor());
    }
    ThemeColor::restoreToDefault();
}

TEST_F(TextCompareTest, ViewMenuWrapAndLineNumbersAskTheGuardOnlyForTheSlowDirection)
{
    struct Case
    {
        const char *name;
        bool numbersItem; // else the wrap item
        bool startOn;
        bool guardAnswer;
        bool asked;
        bool endOn;
    };
    const Case cases[] = {
        {"wrap off allowed", false, true, true, true, false},
        {"wrap off refused", false, true, false, true, true},
        {"wrap on never asks", false, false, false, false, true},
        {"numbers on allowed", true, false, true, true, true},
        {"numbers on refused", true, false, false, true, false},
        {"numbers off never asks", true, true, false, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        gAppSetting.bWrapText = c.numbersItem ? 0 : c.startOn;
        gAppSetting.bShowLineNumber = c.numbersItem ? c.startOn : 1;
        auto w = open(write("a.txt", "a\nb\n"), write("b.txt", "a\nc\n"));
        int asked = 0;
        qint64 length = 0;
        MergeEditWndCtr::setViewSettingGuard([&](qint64 n) {
            ++asked;
            length = n;
            return c.guardAnswer;
        });
        QAction *item = c.numbersItem ? w->ui().actionShowLineNumbers : w->ui().actionWrapLines;
        EXPECT_TRUE(item->isCheckable());
        EXPECT_EQ(item->isChecked(), c.startOn);
        item->trigger();
        MergeEditWndCtr::setViewSettingGuard(nullptr);
        EXPECT_EQ(asked, c.asked ? 1 : 0);
        if (c.asked) {
            EXPECT_GE(length, 4);
        } // the longer pane's text
        for (int side : {1, 2}) {
            const bool on = c.numbersItem
                                ? w->textView(side)->showLineNumbers()
                                : w->textView(side)->lineWrapMode() != QPlainTextEdit::NoWrap;
            EXPECT_EQ(on, c.endOn) << side;
        }
        // The item shows what the panes do, also after a refusal.
        EXPECT_EQ(item->isChecked(), c.endOn);
    }
}
