#include "graphics/PelkoCIImage.h"

#include "platform/GraphicsContext.h"
#include "platform/Guard.h"

namespace {

// Saves the current context's state and restores it on every way out.
class SavedGraphicsState
{
public:
    SavedGraphicsState() { platform::GraphicsContext::saveGraphicsState(); }
    ~SavedGraphicsState() { platform::GraphicsContext::restoreGraphicsState(); }
    SavedGraphicsState(const SavedGraphicsState &) = delete;
    SavedGraphicsState &operator=(const SavedGraphicsState &) = delete;
};

} // namespace

QSizeF size(const platform::FilterImage *image)
{
    return image && !image->isNull() ? image->extent().size() : QSizeF(0, 0);
}

QRectF bounds(const platform::FilterImage *image)
{
    return QRectF(QPointF(0, 0), size(image));
}

void drawRespectFlipInRect(const platform::FilterImage *image, const QRectF &r)
{
    GUARD_BEGIN
    const SavedGraphicsState saved;
    auto *context = platform::GraphicsContext::currentContext();
    if (!context || !image || image->isNull())
        return;
    if (!(r.width() >= 0.1) || !(r.height() >= 0.1))
        return;
    const QRectF extent = image->extent();
    if (!(extent.width() >= 0.5) || !(extent.height() >= 0.5))
        return;
    QPainter *painter = context->painter();
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(r, image->pixels(), QRectF(image->pixels().rect()));
    GUARD_END_VOID
}
