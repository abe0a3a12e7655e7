#pragma once
// Texture multiply with the bundle's "filter1", "filter2", ... images, tiled over the picture.

#include "graphics/ImageEffect.h"

// The texture at index truncate(field 0) of the list (filled on first use, 50 at most); count
// (when given) gets the list's length. Null for an index outside the list.
platform::ImagePtr ApplyChange_Texturizer_GetMask(CHANGE_SETTING setting, int *count);
// The source multiplied by that texture; null when there is none.
platform::ImagePtr ApplyChange_Texturizer(const platform::Image *source, CHANGE_SETTING setting);
// Each colour channel multiplied by the tiled texture's (straight colour; alpha stays). The
// source itself when the texture is missing or either image has no pixels.
platform::ImagePtr ApplyTextureMask(const platform::Image *image, const platform::Image *texture);
// Empties the list: the next use reads the images again.
void ApplyChange_Texturizer_FreeMasks();
