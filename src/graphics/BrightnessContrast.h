#pragma once
// Brightness and contrast, each on its own copy of the buffer.

#include "graphics/ImageEffect.h"

// Adds delta (held to -255..255) to red, green and blue. Works on a copy of data when given,
// else on the pixels of image; the out values (each may be null) are cleared first and get the
// new image and buffer. False when there is nothing to work on.
bool ApplyBrightness(const ImageData *data, const platform::Image *image, long delta,
                     platform::ImagePtr *outImage, ImageDataPtr *outData);
// Stretches each channel about 128 by ((c + 255) * 259) / ((259 - c) * 255), c held to
// -255..255; otherwise as ApplyBrightness.
bool ApplyContrast(const ImageData *data, const platform::Image *image, long contrast,
                   platform::ImagePtr *outImage, ImageDataPtr *outData);
// Field 0 brightness, then field 1 contrast; each applied only when its size is above 0.1.
platform::ImagePtr ApplyChange_ContrastBrightness(const platform::Image *source,
                                                  CHANGE_SETTING setting);
