#pragma once
// "CIHeightFieldFromMask": a height field from a mask. Height is the mask's brightness blurred
// with sigma = inputRadius / 2, so a white shape rises smoothly from the black around it (what
// lies beyond the image counts as black). The output is grey (the height in every colour
// byte), opaque, over the mask's extent.

#include "platform/Filter.h"

namespace platform {

class HeightFieldFromMaskFilter : public Filter
{
public:
    static constexpr double kDefaultRadius = 10;

    void setDefaults() override;
    FilterImage outputImage() const override;
};

} // namespace platform
