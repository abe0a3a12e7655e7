#include "layers/MyImageLayer.h"

#include "graphics/PelkoNSImage.h"
#include "layers/LayerDrawing.h"
#include "platform/Guard.h"
#include "services/FileUtility.h"

#include <QPainter>

namespace {

// A side this thin or thinner draws nothing.
constexpr double kMinSide = 0.1;

} // namespace

std::shared_ptr<MyImageLayer> MyImageLayer::create()
{
    return std::make_shared<MyImageLayer>();
}

std::shared_ptr<MyImageLayer> MyImageLayer::layer()
{
    return create();
}

std::shared_ptr<MyImageLayer> MyImageLayer::copy() const
{
    auto item = create();
    item->mAffineTransform = mAffineTransform;
    item->mImage = mImage;
    item->mHidden = mHidden;
    item->mImageFilePath = mImageFilePath;
    item->mImageDrawRect = mImageDrawRect;
    item->mImageOpaque = mImageOpaque;
    return item;
}

bool MyImageLayer::loadImage()
{
    if (mImage)
        return true;
    if (!IsFileExist(mImageFilePath))
        return false;
    platform::ImagePtr image = imageWithFilePath(mImageFilePath);
    if (!image || !isOK(image.get())) {
        mImageFilePath.clear();
        mImage.reset();
        return false;
    }
    mImage = image;
    return true;
}

void MyImageLayer::draw(bool save)
{
    GUARD_BEGIN
    if (mHidden || !loadImage())
        return;
    if (!(mImageDrawRect.width() > kMinSide && mImageDrawRect.height() > kMinSide))
        return;
    const ScopedGraphicsState state(mAffineTransform || save);
    if (mAffineTransform)
        mAffineTransform->concat();
    const QRectF rect = mImageDrawRect;
    const platform::ImagePtr image = mImage;
    const double fraction = mImageOpaque;
    drawUprightInRect(rect, [&](QPainter *painter) {
        image->drawInRect(painter, QRectF(QPointF(0, 0), rect.size()), QRectF(),
                          QPainter::CompositionMode_SourceOver, fraction);
    });
    GUARD_END_VOID
}
