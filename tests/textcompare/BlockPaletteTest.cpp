// Difference blocks stay readable: every tint painted under text keeps the contrast text needs,
// in every shipped theme, with the light and the dark status colours.
#include "TextCompareFixture.h"

#include "graphics/Contrast.h"
#include "services/SupportFolder.h"
#include "textcompare/BlockPalette.h"
#include "textcompare/CustomTextViewLineView.h"
#include "themes/ThemeColor.h"

namespace {

// What a text colour must keep on a tint: the minimum, or nine tenths of what the theme itself
// gives it on the plain background when that is less.
double wantedContrast(const QColor &text, const QColor &background)
{
    const double onBackground = ContrastRatio(text, background);
    return onBackground >= kMinimumTextContrast ? kMinimumTextContrast : onBackground * 0.9;
}

} // namespace

TEST(Contrast, KnownRatiosAndMixes)
{
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(Qt::white, Qt::black), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(QColor(119, 119, 119), Qt::white), 4.48, 0.01);
    EXPECT_NEAR(ContrastRatio(Qt::red, Qt::red), 1.0, 1e-9);
    EXPECT_EQ(MixColors(Qt::white, Qt::black, 0.5).red(), 128);
    EXPECT_EQ(MixColors(Qt::white, Qt::black, 7.0), QColor(Qt::black));
    EXPECT_EQ(MixColors(Qt::white, Qt::black, std::nan("")), QColor(Qt::white));
}

TEST(BlockPalette, TintBacksOffUntilTextIsReadable)
{
    // A saturated red under grey text (the old selected block) must not be what comes out.
    const QColor grey(110, 110, 110);
    const QColor tint = ReadableTint(Qt::red, Qt::white, {grey}, 1.0);
    EXPECT_GE(ContrastRatio(grey, tint), kMinimumTextContrast);
    EXPECT_NE(tint, QColor(Qt::white)) << "some of the status colour is kept";
    // Text that is already too faint on the background keeps nearly all it has.
    const QColor faint(200, 200, 200);
    const QColor kept = ReadableTint(Qt::blue, Qt::white, {faint}, 0.5);
    EXPECT_GE(ContrastRatio(faint, kept), 0.9 * ContrastRatio(faint, Qt::white));
    EXPECT_NE(kept, QColor(Qt::white));
}

TEST_F(TextCompareTest, BlockTintsAreReadableInEveryShippedTheme)
{
    ASSERT_TRUE(PrepareSupportFolder(dir + QStringLiteral("/support")));
    SetBundleResourceFolder(pelkotest::binaryDir() + QStringLiteral("/Resources"));
    ResetThemeTemplateCache();
    QList<std::shared_ptr<ThemeColor>> themes;
    QStringList names;
    ASSERT_TRUE(GetApp_Color_ThemeTemplate_ThemeColor_List(&themes, &names));
    ASSERT_GE(themes.size(), 7);

    const MERGE_BLOCK kinds[] = {makeBlock(0, 2, 0, 2), makeBlock(0, 2, 0, 0),
                                 makeBlock(0, 0, 0, 2)};
    int lightThemes = 0, darkThemes = 0;
    for (qsizetype i = 0; i < themes.size(); ++i) {
        ThemeColor::setCurrentTheme(themes[i]);
        for (int dark : {0, 1}) {
            gAppSetting.bIsDarkMode = quint8(dark);
            MyEditTextView view;
            SetTextViewColorMode(&view);
            const QColor base = view.palette().color(QPalette::Base);
            for (const QColor &text : view.textColors())
                EXPECT_GE(ContrastRatio(text, base), kMinimumTextContrast)
                    << names[i].toStdString() << " text " << text.name().toStdString();
            (RelativeLuminance(base) < 0.2 ? darkThemes : lightThemes) += dark == 0;
            for (const MERGE_BLOCK &kind : kinds) {
                const BlockPalette p = view.blockPalette(kind);
                const std::pair<const char *, QColor> tints[] = {
                    {"block", p.block},
                    {"selected block", p.currentBlock},
                    {"changed characters", p.changedCharacters}};
                for (const auto &[what, tint] : tints) {
                    EXPECT_NE(tint.rgb(), base.rgb())
                        << names[i].toStdString() << " " << what << " shows no status colour";
                    for (const QColor &text : view.textColors())
                        EXPECT_GE(ContrastRatio(text, tint), wantedContrast(text, base))
                            << names[i].toStdString() << (dark ? " dark " : " light ") << what
                            << " text " << text.name().toStdString() << " on "
                            << tint.name().toStdString();
                }
            }
            // The line numbers too.
            const QColor gutter = base.lightnessF() < 0.5 ? base.lighter(130) : base.darker(106);
            EXPECT_GE(ContrastRatio(CustomTextViewLineView::lineNumberColor(
                                        gutter, view.palette().color(QPalette::Text)),
                                    gutter),
                      kMinimumTextContrast)
                << names[i].toStdString();
        }
    }
    EXPECT_GT(lightThemes, 0);
    EXPECT_GT(darkThemes, 0);
    gAppSetting.bIsDarkMode = 0;
    ThemeColor::restoreToDefault();
    ResetCurrentThemeCache();
    SetBundleResourceFolder(QString());
}

// The changed characters of the selected block can be told from the rest of it: by their tint,
// or, where the colours of a coloured text leave no room for a stronger one, by an underline.
TEST_F(TextCompareTest, ChangedCharactersStandOutFromTheSelectedBlock)
{
    gAppSetting.bAutoHightLightText = 1;
    for (const QString &ext : {QStringLiteral("txt"), QStringLiteral("cpp")}) {
        SCOPED_TRACE(ext.toStdString());
        const QString l = write(QStringLiteral("l.") + ext, "int a = 0; // note\nint b;\n");
        const QString r = write(QStringLiteral("r.") + ext, "int a = 1; // note\nint b;\n");
        auto w = open(l, r);
        ASSERT_EQ(w->mergeBlocks().size(), 1u);
        w->selectBlock(0);
        settle(*w);
        MyEditTextView *view = w->textView(1);
        const BlockPalette p = view->blockPalette(w->mergeBlocks()[0]);
        const QList<QTextEdit::ExtraSelection> marks = view->extraSelections();
        ASSERT_EQ(marks.size(), 1);
        EXPECT_EQ(marks[0].cursor.selectedText(), QStringLiteral("0"));
        const QColor tint = marks[0].format.background().color();
        const bool tintsDiffer = std::abs(tint.red() - p.currentBlock.red()) +
                                     std::abs(tint.green() - p.currentBlock.green()) +
                                     std::abs(tint.blue() - p.currentBlock.blue()) >=
                                 16;
        const bool underlined = marks[0].format.underlineStyle() != QTextCharFormat::NoUnderline;
        EXPECT_TRUE(tintsDiffer || underlined);
        // A plain text is painted in the default colours only: its tints are free to show.
        if (ext == QStringLiteral("txt")) {
            EXPECT_EQ(view->textColors().size(), 2);
            EXPECT_TRUE(tintsDiffer);
        }
    }
}
