#include "layers/VisioShapeLayer.h"

#include "foundation/PelkoNSFont.h"
#include "graphics/UtilityMathTransforms.h"
#include "layers/LayerDrawing.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "services/Colors.h"
#include "services/FileUtility.h"
#include "services/Fonts.h"

#include <QFontDatabase>
#include <atomic>
#include <cmath>

namespace {

std::atomic<qint64> gVisioIDCounter{0};

// Texts are measured in a box this large, so only explicit line breaks end a line.
constexpr double kMeasureBox = 18000;
constexpr double kLookupSize = 12;

// Names as a diagram spells them, and the names of the fonts they stand for.
const std::pair<const char *, const char *> kFontNameTable[] = {
    {"Arial", "ArialMT"},
    {"MS PGothic", "MS-PGothic"},
    {"MS PMincho", "MS-PMincho"},
    {"Microsoft Yi Baiti", "Microsoft-Yi-Baiti"},
    {"Microsoft Himalaya", "MicrosoftHimalaya"},
    {"Times New Roman", "Times-Roman"},
    {"Microsoft Sans Serif", "MicrosoftSansSerif"},
    {"Microsoft Tai Le", "MicrosoftTaiLe"},
    {"MS Gothic", "MS-Gothic"},
    {"MS Mincho", "MS-Mincho"},
};

QString mendedFontName(const QString &name)
{
    for (const auto &[requested, stored] : kFontNameTable)
        if (name.compare(QLatin1String(requested), Qt::CaseInsensitive) == 0)
            return QLatin1String(stored);
    return name;
}

QFont systemFontAt(double size)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (size > 0 && std::isfinite(size))
        font.setPointSizeF(size);
    return font;
}

// The process's fallback font, then "Helvetica", then the system font.
QFont fallbackFont()
{
    if (!gFallbackFontName.isEmpty())
        if (auto font = installedFont(gFallbackFontName, kLookupSize))
            return *font;
    if (auto font = installedFont(QStringLiteral("Helvetica"), kLookupSize))
        return *font;
    return systemFontAt(kLookupSize);
}

Qt::Alignment alignmentOf(int textAlignX)
{
    switch (textAlignX) {
    case 1:
        return Qt::AlignHCenter;
    case 2:
        return Qt::AlignRight;
    case 3:
        return Qt::AlignJustify;
    default:
        return Qt::AlignLeft;
    }
}

} // namespace

QString FindListedFontName(const QString &requested, const QStringList &listed)
{
    if (requested.isEmpty())
        return {};
    if (listed.contains(requested))
        return requested;
    QString dashed = requested;
    dashed.replace(QLatin1Char(' '), QLatin1Char('-'));
    if (dashed != requested && listed.contains(dashed))
        return dashed;
    QString joined = requested;
    joined.remove(QLatin1Char(' '));
    if (joined != requested && listed.contains(joined))
        return joined;
    for (const QString &name : listed)
        if (!name.isEmpty() && (name.contains(requested) || requested.contains(name)))
            return name;
    return {};
}

VisioShapeLayer::VisioShapeLayer() : mVisioID(nextVisioID())
{}

std::shared_ptr<VisioShapeLayer> VisioShapeLayer::create()
{
    return std::make_shared<VisioShapeLayer>();
}

qint64 VisioShapeLayer::nextVisioID()
{
    return gVisioIDCounter.fetch_add(1);
}

std::shared_ptr<MyShapeLayer> VisioShapeLayer::copy() const
{
    auto item = create();
    copyDataToItem(item.get());
    return item;
}

void VisioShapeLayer::copyDataToItem(MyShapeLayer *item) const
{
    MyShapeLayer::copyDataToItem(item);
    auto *shape = dynamic_cast<VisioShapeLayer *>(item);
    if (!shape)
        return;
    shape->mIsGroup = mIsGroup;
    shape->mGroupAngle = mGroupAngle;
    shape->mInheritStrokeColor = mInheritStrokeColor;
    shape->mInheritFillColor = mInheritFillColor;
    shape->mInheritLineWidth = mInheritLineWidth;
    shape->mImageFilePath = mImageFilePath;
    shape->mImageExpectSize = mImageExpectSize;
    shape->mAngleOfShape = mAngleOfShape;
    shape->mIsConnector = mIsConnector;
    shape->mBeginArrow = mBeginArrow;
    shape->mEndArrow = mEndArrow;
    shape->mBeginArrowSize = mBeginArrowSize;
    shape->mEndArrowSize = mEndArrowSize;
    shape->mLinePattern = mLinePattern;
    shape->mFillGradientDir = mFillGradientDir;
    shape->mFillGradientAngle = mFillGradientAngle;
    shape->mAttachToShape1 = mAttachToShape1;
    shape->mAttachToShape2 = mAttachToShape2;
    copyTextDataToItem(shape);
}

void VisioShapeLayer::copyTextDataToItem(VisioShapeLayer *item) const
{
    if (!item)
        return;
    item->mText = mText;
    item->mFontName = mFontName;
    item->mFontSize = mFontSize;
    item->mTextColor = mTextColor;
    item->mTextStrike = mTextStrike;
    item->mTextUnderline = mTextUnderline;
    item->mTextBold = mTextBold;
    item->mTextItalic = mTextItalic;
    item->mTextAlignX = mTextAlignX;
    item->mTextAlignY = mTextAlignY;
    item->mTextDrawAttr = mTextDrawAttr;
}

std::optional<platform::BezierPath> VisioShapeLayer::path_before_angleOfShape() const
{
    GUARD_BEGIN
    if (!hasElements())
        return std::nullopt;
    if (std::fabs(mAngleOfShape) < 0.1)
        return *path();
    // The rotation about the origin moves the outline's centre; the inverse of that rotation
    // maps the moved centre back onto the point the shape was turned about.
    platform::AffineTransform turn =
        CreateRotationTransformAroundPoint(QPointF(0, 0), float(mAngleOfShape));
    const QPointF movedCenter = turn.transformBezierPath(*path()).bounds().center();
    platform::AffineTransform back = turn;
    if (!back.invert())
        return *path();
    const QPointF center = back.transformPoint(movedCenter);
    platform::BezierPath result = *path();
    result.transformUsingAffineTransform(
        CreateRotationTransformAroundPoint(center, float(-mAngleOfShape)));
    return result;
    GUARD_END(std::nullopt)
}

QString VisioShapeLayer::getValidFontName()
{
    GUARD_BEGIN
    mFontName = mendedFontName(mFontName);
    std::optional<QFont> font;
    const QStringList installed = GetAllFont();
    const bool themed = mFontName.compare(QLatin1String("Themed"), Qt::CaseInsensitive) == 0 ||
                        mFontName.compare(QLatin1String("Inh"), Qt::CaseInsensitive) == 0;
    if (!installed.isEmpty() && !mFontName.isEmpty() && !themed) {
        const QString listed = FindListedFontName(mFontName, installed);
        if (!listed.isEmpty())
            font = installedFont(listed, kLookupSize);
    }
    if (!font)
        font = fallbackFont();
    if (mTextBold)
        font = fontWithFontBold(*font, true).value_or(*font);
    if (mTextItalic)
        font = fontWithFontItalic(*font, true).value_or(*font);
    return ::fontName(*font);
    GUARD_END(QString())
}

void VisioShapeLayer::setupTextAttribute()
{
    GUARD_BEGIN
    if (mTextDrawAttr)
        return;
    if (!mTextColor.isValid())
        mTextColor = platform::Color::black();
    TextDrawAttributes attributes;
    attributes.paragraphStyle.textOption().setAlignment(alignmentOf(mTextAlignX));
    attributes.paragraphStyle.setLineBreakMode2(LineBreakMode::ByWordWrapping);
    const std::optional<QFont> font = installedFont(getValidFontName(), mFontSize);
    attributes.font = font ? *font : systemFontAt(mFontSize);
    attributes.color = mTextColor;
    attributes.underline = mTextUnderline;
    attributes.strikeThrough = mTextStrike;
    mTextDrawAttr = attributes;
    GUARD_END_VOID
}

QSizeF VisioShapeLayer::measureText() const
{
    if (!mTextDrawAttr)
        return QSizeF();
    return TextBlockLayout(mText, *mTextDrawAttr, QSizeF(kMeasureBox, kMeasureBox)).size();
}

QRectF VisioShapeLayer::drawRectForTextSize(QSizeF textSize) const
{
    QRectF rect = path()->bounds();
    const double tw = textSize.width(), th = textSize.height();
    if (!(tw >= 0.1 && th >= 0.1))
        return rect;
    const double x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    // The edges are taken in single precision, as the shapes' importers computed them.
    double top = y;
    if (mTextAlignY == 1)
        top = double(float(y + h / 2)) - th / 2;
    else if (mTextAlignY != 0)
        top = double(float(y + h)) - th;
    double left = x;
    if (mTextAlignX == 2)
        left = double(float(x + w)) - tw;
    else if (mTextAlignX != 0)
        left = double(float(x + w / 2)) - tw / 2;
    return QRectF(left, top, tw, th);
}

QRectF VisioShapeLayer::GetDrawRect()
{
    GUARD_BEGIN
    if (!hasElements())
        return QRectF();
    setupTextAttribute();
    if (!mTextDrawAttr || mText.isEmpty())
        return path()->bounds();
    return drawRectForTextSize(measureText());
    GUARD_END(QRectF())
}

void VisioShapeLayer::draw(bool save)
{
    MyShapeLayer::draw(save);
    GUARD_BEGIN
    if (hidden())
        return;
    const ScopedGraphicsState state(save || affineTransform());
    if (mText.isEmpty())
        return;
    setupTextAttribute();
    if (!mTextDrawAttr) {
        platform::LogWarning(
            lcLayers,
            QStringLiteral("ERROR ******* VisioShapeLayer can not init textDrawAttr *********"));
        return;
    }
    if (affineTransform())
        affineTransform()->concat();
    drawText();
    GUARD_END_VOID
}

void VisioShapeLayer::drawText()
{
    if (!hasElements())
        return;
    const TextBlockLayout layout(mText, *mTextDrawAttr, QSizeF(kMeasureBox, kMeasureBox));
    layout.drawInRect(drawRectForTextSize(layout.size()));
}

QString VisioShapeLayer::getImageFilePath() const
{
    return IsFileExist(mImageFilePath) ? mImageFilePath : QString();
}

float VisioShapeLayer::getOpaque() const
{
    if (fillColor().isValid())
        return float(GetColorAlpha(fillColor()));
    if (!mText.isEmpty() && mTextColor.isValid())
        return float(GetColorAlpha(mTextColor));
    if (strokeColor().isValid())
        return float(GetColorAlpha(strokeColor()));
    return 1.0f;
}
