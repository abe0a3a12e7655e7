#pragma once
// The effects that each run one named image filter over an image, with the filter's inputs taken
// from the record's fields. Each answers a new image, or null (some answer their source when the
// filter or its output is missing, as noted). Every filter they name is registered once, on first
// use, by RegisterImageFilters.

#include "graphics/ImageEffect.h"

// Registers (again) every filter these effects use, under its name.
void RegisterImageFilters();
// Registers them the first time it is called.
void EnsureImageFilters();

// field 0 radius
platform::ImagePtr ApplyChange_Crystallize(const platform::Image *source, CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_GaussianBlur(const platform::Image *source, CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_Pointillize(const platform::Image *source, CHANGE_SETTING setting);
// field 0 scale
platform::ImagePtr ApplyChange_HexagonalPixellate(const platform::Image *source,
                                                  CHANGE_SETTING setting);
// field 0 radius, 1 intensity
platform::ImagePtr ApplyChange_Gloom(const platform::Image *source, CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_UnsharpMask(const platform::Image *source, CHANGE_SETTING setting);
// The unsharp mask, as it always was.
platform::ImagePtr ApplyChange_Bloom(const platform::Image *source, CHANGE_SETTING setting);
// field 0 radius, 1 angle
platform::ImagePtr ApplyChange_MotionBlur(const platform::Image *source, CHANGE_SETTING setting);
// field 0 sharpness
platform::ImagePtr ApplyChange_SharpenLuminance(const platform::Image *source,
                                                CHANGE_SETTING setting);
// field 0 amount
platform::ImagePtr ApplyChange_Vibrance(const platform::Image *source, CHANGE_SETTING setting);
// field 0 scale, field 1 the texture's number ("glass-texture" and the field rounded half up)
platform::ImagePtr ApplyChange_GlassDistortion(const platform::Image *source,
                                               CHANGE_SETTING setting);
// The distortions: field 0 radius, 1 scale, 2 angle (as each uses them), 10 and 11 the centre.
platform::ImagePtr ApplyChange_BumpDistortion(const platform::Image *source,
                                              CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_BumpDistortionLinear(const platform::Image *source,
                                                    CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_CircularWrap(const platform::Image *source, CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_HoleDistortion(const platform::Image *source,
                                              CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_PinchDistortion(const platform::Image *source,
                                               CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_TwirlDistortion(const platform::Image *source,
                                               CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_VortexDistortion(const platform::Image *source,
                                                CHANGE_SETTING setting);
// field 0 amount, 10 and 11 the centre
platform::ImagePtr ApplyChange_ZoomBlur(const platform::Image *source, CHANGE_SETTING setting);
// The screens answer their source when the filter or its output is missing.
// fields 0 width, 1 angle, 2 sharpness, 3 grey component replacement, 4 undercolour removal
platform::ImagePtr ApplyChange_CMYKHalftone(const platform::Image *source, CHANGE_SETTING setting);
// fields 0 width, 1 sharpness, 10 and 11 the centre
platform::ImagePtr ApplyChange_CircularScreen(const platform::Image *source,
                                              CHANGE_SETTING setting);
// fields 0 angle, 1 width, 2 sharpness
platform::ImagePtr ApplyChange_HatchedScreen(const platform::Image *source, CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_DotScreen(const platform::Image *source, CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_LineScreen(const platform::Image *source, CHANGE_SETTING setting);
// Black lines on opaque white: fields 0 noise level, 1 its sharpness, 2 edge intensity,
// 3 threshold, 4 contrast. The source when the lines cannot be had.
platform::ImagePtr ApplyChange_LineOverlay(const platform::Image *source, CHANGE_SETTING setting);
platform::ImagePtr ApplyChange_ComicEffect(const platform::Image *source, CHANGE_SETTING setting);
// A light painted onto the source. Field 0 below 0.1 in size: sunbeams (fields 1 sun radius,
// 2 striation reach, 3 striation strength, 4 striation contrast, 5 time); else a star (fields 1
// radius, 2 cross scale, 3 cross angle, 4 cross opacity, 5 cross width, 6 epsilon). Fields 10 to
// 12 its colour (0 to 1), 13 and 14 where its middle lies on the source (pixels, rows down). The
// source when the light cannot be laid on it.
platform::ImagePtr ApplyChange_SunbeamsGenerator(const platform::Image *source,
                                                 CHANGE_SETTING setting);
