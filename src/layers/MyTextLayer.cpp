#include "layers/MyTextLayer.h"

#include "foundation/ColorWord.h"
#include "foundation/FoundationFunctions.h"
#include "foundation/PelkoNSFont.h"
#include "graphics/ColorPixel.h"
#include "graphics/UtilityMathTransforms.h"
#include "layers/LayerDrawing.h"
#include "platform/Guard.h"

#include <QFontDatabase>
#include <cmath>

namespace {

constexpr double kFormatTolerance = 0.02;

Qt::Alignment alignmentOf(qint64 mode)
{
    switch (mode) {
    case 1:
        return Qt::AlignRight;
    case 2:
        return Qt::AlignHCenter;
    case 3:
        return Qt::AlignJustify;
    default:
        return Qt::AlignLeft;
    }
}

float clampedOpacity(float opaque)
{
    if (std::isnan(opaque))
        return 1.0f;
    return std::clamp(opaque, 0.0f, 1.0f);
}

} // namespace

QFont SystemFontOfSize(double size)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (size > 0 && std::isfinite(size))
        font.setPointSizeF(size);
    return font;
}

void ReportTextBox(const platform::AffineTransform *transform, const QRectF &box, double pointSize,
                   QRectF *outRect, float *outAngle, float *outFontSize)
{
    const platform::AffineTransform identity;
    const platform::AffineTransform *t = transform ? transform : &identity;
    GetTransformOutputRectAndAngle(t, box, outRect, outAngle);
    *outFontSize = float(pointSize * GetTransformScaleXY(t));
}

std::shared_ptr<MyTextLayer> MyTextLayer::create()
{
    return std::make_shared<MyTextLayer>();
}

std::shared_ptr<MyTextLayer> MyTextLayer::layer()
{
    return create();
}

std::shared_ptr<MyTextLayer> MyTextLayer::copy() const
{
    auto item = create();
    item->mString = mString;
    item->mFont = mFont;
    item->mOpaque = mOpaque;
    item->mForegroundColor = mForegroundColor;
    item->mFontSize = mFontSize;
    item->mFontCharSpace = mFontCharSpace;
    item->mAlignmentMode = mAlignmentMode;
    item->mUnderline = mUnderline;
    item->mLineThrough = mLineThrough;
    item->mBounds = mBounds;
    item->mPosition = mPosition;
    item->mAffineTransform = mAffineTransform;
    item->mTextDrawAttr = mTextDrawAttr;
    item->mHidden = mHidden;
    return item;
}

QFont MyTextLayer::effectiveFont() const
{
    return mFont ? *mFont : SystemFontOfSize(mFontSize);
}

void MyTextLayer::setupTextAttribute()
{
    GUARD_BEGIN
    mTextDrawAttr.reset();
    if (!mForegroundColor.isValid())
        return;
    TextDrawAttributes attributes;
    attributes.paragraphStyle.textOption().setAlignment(alignmentOf(mAlignmentMode));
    attributes.paragraphStyle.setLineBreakMode2(LineBreakMode::ByWordWrapping);
    attributes.font = effectiveFont();
    mOpaque = clampedOpacity(mOpaque);
    attributes.color = mForegroundColor;
    if (mOpaque <= 0.99f) {
        // The colour's own alpha gives way to the layer's opacity.
        const PIXEL pixel = ColorToPixel(mForegroundColor);
        attributes.color =
            platform::Color::calibratedRGB((pixel & 0xFF) / 255.0, ((pixel >> 8) & 0xFF) / 255.0,
                                           ((pixel >> 16) & 0xFF) / 255.0, mOpaque);
    }
    attributes.underline = mUnderline;
    attributes.strikeThrough = mLineThrough;
    mTextDrawAttr = attributes;
    GUARD_END_VOID
}

QRectF MyTextLayer::getDrawBound()
{
    GUARD_BEGIN
    if (mString.isEmpty())
        return QRectF();
    if (!mTextDrawAttr)
        setupTextAttribute();
    if (!mTextDrawAttr)
        return QRectF();
    return QRectF(QPointF(0, 0),
                  TextBlockLayout(mString, *mTextDrawAttr, QSizeF(900000, 90000)).size());
    GUARD_END(QRectF())
}

void MyTextLayer::draw(bool save)
{
    GUARD_BEGIN
    if (mHidden || mString.isEmpty() || !mForegroundColor.isValid())
        return;
    const ScopedGraphicsState state(mAffineTransform || save);
    if (!mTextDrawAttr)
        setupTextAttribute();
    if (!mTextDrawAttr)
        return;
    if (mAffineTransform)
        mAffineTransform->concat();
    TextBlockLayout(mString, *mTextDrawAttr, QSizeF()).drawAtPoint(mPosition);
    GUARD_END_VOID
}

bool MyTextLayer::getElementItemInfor(QRectF *outRect, float *outAngle, float *outFontSize,
                                      QString *outFontName, quint64 *outFontColor)
{
    GUARD_BEGIN
    if (!outRect || !outAngle || !outFontSize || !outFontName || !outFontColor || mString.isEmpty())
        return false;
    const QFont font = effectiveFont();
    if (!mTextDrawAttr)
        setupTextAttribute();
    if (!mTextDrawAttr)
        return false;
    const QSizeF size = TextBlockLayout(mString, *mTextDrawAttr, QSizeF(90000, 90000)).size();
    ReportTextBox(mAffineTransform.get(), QRectF(mPosition, size), font.pointSizeF(), outRect,
                  outAngle, outFontSize);
    *outFontName = fontName(font);
    *outFontColor = mForegroundColor.isValid() ? GetHexColor(mForegroundColor) : 255;
    return true;
    GUARD_END(false)
}

bool MyTextLayer::SameFormatWith(const MyTextLayer *other) const
{
    if (!other)
        return false;
    const bool sameFont =
        (!mFont && !other->mFont) || (mFont && other->mFont && IsSameFont(*mFont, *other->mFont));
    if (!sameFont || !IsSameColor(mForegroundColor, other->mForegroundColor))
        return false;
    if (!mFont && !other->mFont && std::fabs(mFontSize - other->mFontSize) > kFormatTolerance)
        return false;
    return std::fabs(mOpaque - other->mOpaque) <= kFormatTolerance &&
           mAlignmentMode == other->mAlignmentMode && mUnderline == other->mUnderline &&
           mLineThrough == other->mLineThrough;
}

QPointF MyTextLayer::getPositionAfterTrans() const
{
    return mAffineTransform ? mAffineTransform->transformPoint(mPosition) : mPosition;
}
