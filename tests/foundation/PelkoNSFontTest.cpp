// Fonts, rich-text attributes and the font and colour comparisons.
#include "foundation/FoundationFunctions.h"
#include "foundation/PelkoNSAttributedString.h"
#include "foundation/PelkoNSFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

// A family installed on the test machine with both a regular and a bold face.
QString familyWithBold()
{
    for (const QString &family : QFontDatabase::families()) {
        bool regular = false, boldFace = false;
        for (const QString &style : QFontDatabase::styles(family)) {
            if (QFontDatabase::italic(family, style))
                continue;
            (QFontDatabase::weight(family, style) >= QFont::DemiBold ? boldFace : regular) = true;
        }
        if (regular && boldFace)
            return family;
    }
    return QString();
}

TEST(PelkoNSFont, TraitsAndSizes)
{
    const QString family = familyWithBold();
    if (family.isEmpty())
        GTEST_SKIP() << "no font with a bold face installed";
    QFont font(family);
    font.setPointSizeF(13);
    const auto boldFont = fontWithFontBold(font, true);
    ASSERT_TRUE(boldFont.has_value());
    EXPECT_TRUE(bold(*boldFont));
    EXPECT_EQ(boldFont->pointSizeF(), 13);
    const auto plain = fontWithFontBold(*boldFont, false);
    ASSERT_TRUE(plain.has_value());
    EXPECT_FALSE(bold(*plain));

    EXPECT_EQ(fontWithFont(font, 20.0).pointSizeF(), 20);
    EXPECT_EQ(fontWithFont(font, 20.0).family(), family);
    EXPECT_EQ(fontWithFont(font, -1.0).pointSizeF(), 12);

    // An unknown name falls back to the font's own family at its size.
    const QFont named = fontWithFont(font, QStringLiteral("No Such Family 123"));
    EXPECT_EQ(named.family(), family);
    EXPECT_EQ(named.pointSizeF(), 13);
    QFont tiny(family);
    tiny.setPixelSize(10); // no point size
    EXPECT_EQ(fontWithFont(tiny, family).pointSizeF(), 12);
}

TEST(PelkoNSFont, NamesAreFacesAndNameInstalledFonts)
{
    const QString family = familyWithBold();
    if (family.isEmpty())
        GTEST_SKIP() << "no font with a bold face installed";
    QFont font(family);
    font.setPointSizeF(13);
    EXPECT_EQ(fontName(font), family);
    const QFont boldFont = *fontWithFontBold(font, true);
    const QString boldName = fontName(boldFont);
    EXPECT_TRUE(boldName.startsWith(family + "-")) << boldName.toStdString();

    // A name gives back the face it names, bold included, at the asked size.
    const auto again = installedFont(boldName, 15);
    ASSERT_TRUE(again.has_value());
    EXPECT_TRUE(bold(*again));
    EXPECT_EQ(again->pointSizeF(), 15);
    EXPECT_EQ(fontName(*again), boldName);
    EXPECT_EQ(installedFont(family, 0)->pointSizeF(), 12);
    for (const QString &missing : {QStringLiteral("No Such Family 123"), family + "-No Such Style",
                                   QStringLiteral("-Bold"), QString()})
        EXPECT_FALSE(installedFont(missing, 12).has_value()) << missing.toStdString();

    // Every face of every installed family: its name names it again, whatever the family is
    // called (with its foundry, "C059 [UKWN]"; with dashes) and whatever its faces report.
    for (const QString &candidate : QFontDatabase::families()) {
        for (const QString &style : QFontDatabase::styles(candidate)) {
            const QFont face = QFontDatabase::font(candidate, style, 12);
            const QString name = fontName(face);
            SCOPED_TRACE(candidate.toStdString() + " / " + style.toStdString() + " -> " +
                         name.toStdString());
            const auto named = installedFont(name, 12);
            ASSERT_TRUE(named.has_value());
            EXPECT_EQ(fontName(*named), name);
            const QFontInfo want(face), got(*named);
            EXPECT_EQ(got.family(), want.family());
            EXPECT_EQ(got.weight(), want.weight());
            EXPECT_EQ(got.italic(), want.italic());
            EXPECT_EQ(bold(*named), bold(face));
        }
    }

    // A slanted face counts as italic, whether the family calls it italic or oblique.
    for (const QString &candidate : QFontDatabase::families()) {
        for (const QString &style : QFontDatabase::styles(candidate)) {
            const QFont face = QFontDatabase::font(candidate, style, 12);
            if (face.style() != QFont::StyleOblique || face.weight() >= QFont::DemiBold)
                continue;
            QFont upright(candidate);
            upright.setPointSizeF(12);
            const auto slanted = fontWithFontItalic(upright, true);
            ASSERT_TRUE(slanted.has_value()) << candidate.toStdString();
            EXPECT_TRUE(italic(*slanted));
            return;
        }
    }
}

TEST(PelkoNSFont, SameFontAndSameColour)
{
    QFont a(QStringLiteral("DejaVu Sans"));
    a.setPointSizeF(12);
    QFont b = a;
    b.setPointSizeF(12.05);
    EXPECT_TRUE(IsSameFont(a, b));
    b.setPointSizeF(12.2);
    EXPECT_FALSE(IsSameFont(a, b));
    EXPECT_TRUE(IsSameFont(static_cast<const QFont *>(nullptr), nullptr));
    EXPECT_FALSE(IsSameFont(&a, nullptr));
    QFont other(QStringLiteral("DejaVu Serif"));
    other.setPointSizeF(12);
    EXPECT_FALSE(IsSameFont(a, other));

    using platform::Color;
    EXPECT_TRUE(IsSameColor(Color(), Color()));
    EXPECT_FALSE(IsSameColor(Color::red(), Color()));
    EXPECT_TRUE(IsSameColor(Color::calibratedRGB(1, 0, 0), Color::deviceRGB(1, 0, 0)));
    EXPECT_FALSE(IsSameColor(Color::calibratedRGB(1, 0, 0), Color::calibratedRGB(1, 0, 0, 0.5)));
}

TEST(PelkoNSAttributedString, FirstValueOfAnAttribute)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("plain "));
    QTextCharFormat coloured;
    coloured.setForeground(QColor(255, 0, 0));
    cursor.insertText(QStringLiteral("red "), coloured);
    QTextCharFormat sized;
    sized.setFontPointSize(30);
    sized.setForeground(QColor(0, 0, 255));
    cursor.insertText(QStringLiteral("big"), sized);

    const QVariant colour = getFirstValueOfAttribute(&doc, kForegroundColorAttributeName);
    ASSERT_TRUE(colour.canConvert<platform::Color>());
    EXPECT_EQ(colour.value<platform::Color>().redComponent(), 1.0);
    const QVariant font = getFirstValueOfAttribute(&doc, kFontAttributeName);
    ASSERT_EQ(font.typeId(), QMetaType::QFont);
    EXPECT_EQ(font.value<QFont>().pointSizeF(), 30);
    EXPECT_FALSE(getFirstValueOfAttribute(&doc, kBackgroundColorAttributeName).isValid());
    EXPECT_FALSE(getFirstValueOfAttribute(&doc, QString()).isValid());
    EXPECT_FALSE(getFirstValueOfAttribute(nullptr, kFontAttributeName).isValid());
}

} // namespace
