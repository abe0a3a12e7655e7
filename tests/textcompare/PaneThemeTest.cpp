// The theme on a compare pane: the insertion point in the theme's colour, and an I-beam that
// shows on the pane's background.
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"
#include "textcompare/MyEditTextView.h"
#include "themes/ThemeColor.h"

#include <QApplication>
#include <QTest>
#include <QTextCursor>
#include <gtest/gtest.h>

using platform::Color;

namespace {

class PaneThemeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::UserDefaults::standard().setFilePath(pelkotest::freshDir() + "/d.plist");
        ResetCurrentThemeCache();
    }
    void TearDown() override { ThemeColor::restoreToDefault(); }

    static void useTheme(const Color &background, const Color &text, const Color &caret)
    {
        auto theme = ThemeColor::create();
        theme->setPelkoSourceTextBackground(background);
        theme->setMColor_DefaultText(text);
        theme->setPelkoSourceTextInsertionPointColor(caret);
        ThemeColor::setCurrentTheme(theme);
    }

    // How many pixels of the colour the pane's viewport shows in the caret's column.
    static int pixelsAtCaret(MyEditTextView &pane, const QColor &colour)
    {
        const QImage shot = pane.viewport()->grab().toImage();
        const QRect caret = pane.cursorRect();
        int count = 0;
        for (int y = std::max(0, caret.top()); y <= caret.bottom() && y < shot.height(); ++y)
            for (int x = std::max(0, caret.left() - 1); x <= caret.left() + 2 && x < shot.width();
                 ++x)
                count += QColor(shot.pixel(x, y)) == colour;
        return count;
    }
};

} // namespace

TEST_F(PaneThemeTest, TheCaretTakesTheInsertionPointColourAndTheBeamSuitsTheBackground)
{
    const QColor orange(255, 128, 0);
    useTheme(Color::calibratedRGB(0.1, 0.1, 0.1), Color::calibratedRGB(0.9, 0.9, 0.9),
             Color::calibratedRGB(1, 128 / 255.0, 0));
    MyEditTextView pane;
    pane.resize(400, 200);
    pane.setPlainText(QStringLiteral("first line\nsecond line\n"));
    SetTextViewColorMode(&pane);
    pane.show();
    QApplication::setActiveWindow(&pane);
    pane.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&pane));
    QTextCursor cursor = pane.textCursor();
    cursor.setPosition(5);
    pane.setTextCursor(cursor); // the caret shows at once after a move

    EXPECT_GT(pixelsAtCaret(pane, orange), 5);
    EXPECT_EQ(pane.viewport()->cursor().shape(), Qt::BitmapCursor) << "a white I-beam on dark";
    // The window makes the panes read-only while it loads: the beam stays.
    pane.setReadOnly(true);
    pane.setReadOnly(false);
    EXPECT_EQ(pane.viewport()->cursor().shape(), Qt::BitmapCursor) << "after a load";

    // Without focus no caret is drawn.
    pane.clearFocus();
    EXPECT_EQ(pixelsAtCaret(pane, orange), 0);

    // A light theme: the system I-beam, and the caret in that theme's colour.
    const QColor blue(0, 0, 255);
    useTheme(Color::calibratedRGB(1, 1, 1), Color::calibratedRGB(0, 0, 0),
             Color::calibratedRGB(0, 0, 1));
    SetTextViewColorMode(&pane);
    pane.setFocus();
    pane.setTextCursor(cursor);
    EXPECT_GT(pixelsAtCaret(pane, blue), 5);
    EXPECT_EQ(pane.viewport()->cursor().shape(), Qt::IBeamCursor);
}
