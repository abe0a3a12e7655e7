#pragma once
// The blur family of the image filters: Gaussian blur, unsharp mask, gloom, luminance
// sharpening, motion blur and zoom blur.

void RegisterBlurFilters();
