#pragma once
// A comic look: outline, drop shadow and gradient fill composed under the picture.

#include "graphics/ImageData.h"
#include "platform/Image.h"

// Colour words hold 0xRRGGBBAA in their low 32 bits; this value means "no colour".
inline constexpr quint64 kNoColorWord = 0x100000000ull;

struct COMIC_EFFECT
{
    quint64 shadowColor; // 0 or kNoColorWord: no shadow
    float shadowX;       // to the right
    float shadowY;       // upwards
    float shadowAlpha;
    qint32 outlineWidth;  // 0 or less: no outline
    quint64 outlineColor; // 0 or kNoColorWord: opaque white
    quint64 gradientColor1;
    quint64 gradientColor2; // the middle stop, optional
    quint64 gradientColor3;
    float gradientAngle;  // degrees
    quint64 defaultColor; // stands in for a missing first or last stop
};

// The outline, then the shadow, then the (gradient-filled) picture, each source-over at the
// origin of a new image of the picture's pixel size. Null for a null image.
platform::ImagePtr GetComicEffectImg(const platform::Image *image, COMIC_EFFECT effect);
