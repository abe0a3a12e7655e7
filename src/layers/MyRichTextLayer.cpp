#include "layers/MyRichTextLayer.h"

#include "foundation/ColorWord.h"
#include "foundation/PelkoNSAttributedString.h"
#include "foundation/PelkoNSFont.h"
#include "layers/LayerDrawing.h"
#include "layers/TextDrawing.h"
#include "platform/Color.h"
#include "platform/Guard.h"

namespace {

std::unique_ptr<QTextDocument> newText()
{
    auto text = std::make_unique<QTextDocument>();
    // The text's box is its glyphs' box, as the plain text layer's is.
    text->setDocumentMargin(0);
    return text;
}

} // namespace

MyRichTextLayer::MyRichTextLayer() : mString(newText())
{}

std::shared_ptr<MyRichTextLayer> MyRichTextLayer::create()
{
    return std::make_shared<MyRichTextLayer>();
}

bool MyRichTextLayer::isEmpty() const
{
    return mString->isEmpty();
}

std::shared_ptr<MyRichTextLayer> MyRichTextLayer::copy() const
{
    auto item = create();
    if (!isEmpty()) {
        item->mString.reset(mString->clone());
        item->mString->setDocumentMargin(0);
    }
    item->mPosition = mPosition;
    item->mAffineTransform = mAffineTransform;
    item->mHidden = mHidden;
    item->mPdfBaseLine = mPdfBaseLine;
    return item;
}

void MyRichTextLayer::draw(bool save)
{
    GUARD_BEGIN
    if (mHidden || isEmpty())
        return;
    const ScopedGraphicsState state(mAffineTransform || save);
    if (mAffineTransform)
        mAffineTransform->concat();
    drawRichTextAtPoint(mString.get(), mPosition);
    GUARD_END_VOID
}

bool MyRichTextLayer::getElementItemInfor(QRectF *outRect, float *outAngle, float *outFontSize,
                                          QString *outFontName, quint64 *outFontColor) const
{
    GUARD_BEGIN
    if (!outRect || !outAngle || !outFontSize || !outFontName || !outFontColor || isEmpty())
        return false;
    const QVariant fontValue = getFirstValueOfAttribute(mString.get(), kFontAttributeName);
    const QFont font = fontValue.metaType() == QMetaType::fromType<QFont>()
                           ? fontValue.value<QFont>()
                           : SystemFontOfSize(12);
    const QVariant colorValue =
        getFirstValueOfAttribute(mString.get(), kForegroundColorAttributeName);
    const platform::Color color = colorValue.metaType() == QMetaType::fromType<platform::Color>()
                                      ? colorValue.value<platform::Color>()
                                      : platform::Color::black();
    ReportTextBox(mAffineTransform.get(), QRectF(mPosition, richTextSize(mString.get())),
                  font.pointSizeF(), outRect, outAngle, outFontSize);
    *outFontName = fontName(font);
    *outFontColor = GetHexColor(color);
    return true;
    GUARD_END(false)
}

std::shared_ptr<MyRichTextLayer>
MyRichTextLayer::merge_multi_MyTextLayer_for_pdf_only(const QList<std::shared_ptr<MyTextLayer>> &,
                                                      QList<std::shared_ptr<MyTextLayer>> *)
{
    return nullptr;
}
