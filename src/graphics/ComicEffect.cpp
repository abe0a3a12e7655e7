#include "graphics/ComicEffect.h"

#include "platform/Guard.h"
#include "platform/Saturate.h"

#include <QColor>
#include <QPainter>
#include <optional>

namespace {

std::optional<QColor> stopColour(quint64 word)
{
    if (word > 0xFFFFFFFFull)
        return std::nullopt;
    return QColor(int((word >> 24) & 0xFF), int((word >> 16) & 0xFF), int((word >> 8) & 0xFF),
                  int(word & 0xFF));
}

QGradientStops fillStops(const COMIC_EFFECT &effect)
{
    const QColor fallback = stopColour(effect.defaultColor).value_or(QColor(0, 0, 0, 255));
    const QColor first = stopColour(effect.gradientColor1).value_or(fallback);
    const QColor last = stopColour(effect.gradientColor3).value_or(fallback);
    QGradientStops stops{{0.0, first}};
    if (const auto middle = stopColour(effect.gradientColor2))
        stops.append({0.5, *middle});
    stops.append({1.0, last});
    return stops;
}

void drawLayer(QPainter &painter, const ImageDataPtr &layer)
{
    if (!layer)
        return;
    const platform::ImagePtr image = layer->GetNSImage();
    if (!image || image->representations().empty())
        return;
    painter.drawImage(QPointF(0, 0), image->representations().front().bitmap);
}

} // namespace

platform::ImagePtr GetComicEffectImg(const platform::Image *image, COMIC_EFFECT effect)
{
    GUARD_BEGIN
    if (!image)
        return nullptr;
    const ImageDataPtr base = ImageData::imageWithNSImage(image);
    if (!base)
        return nullptr;

    ImageDataPtr shadow;
    if (effect.shadowColor != 0 && effect.shadowColor != kNoColorWord)
        shadow =
            base->imageMaskShadowWithX(platform::saturatingTruncate<qint64>(effect.shadowX),
                                       platform::saturatingTruncate<qint64>(-effect.shadowY),
                                       effect.shadowAlpha, HexColorToPixel(effect.shadowColor));
    ImageDataPtr outline;
    if (effect.outlineWidth > 0) {
        const quint64 colour = effect.outlineColor == 0 || effect.outlineColor == kNoColorWord
                                   ? 0xFFFFFFFFull
                                   : effect.outlineColor;
        outline = base->imageMaskExtendWidth(effect.outlineWidth, 0.0f, HexColorToPixel(colour));
    }
    if (effect.gradientColor1 != kNoColorWord || effect.gradientColor2 != kNoColorWord ||
        effect.gradientColor3 != kNoColorWord)
        base->ApplyGradien(fillStops(effect), effect.gradientAngle);

    QImage composed(int(base->w()), int(base->h()), QImage::Format_RGBA8888_Premultiplied);
    if (composed.isNull()) {
        base->RefreshNSImage();
        return base->GetNSImage();
    }
    composed.fill(Qt::transparent);
    {
        QPainter painter(&composed);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        drawLayer(painter, outline);
        drawLayer(painter, shadow);
        drawLayer(painter, base);
    }
    return platform::Image::fromBitmap(composed);
    GUARD_END(nullptr)
}
