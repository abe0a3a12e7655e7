#pragma once
// "CIShadedMaterial": lights a height field with a shading image. At every pixel the surface's
// normal comes from the slope of the height (the red byte, 0 to 1), steepened by inputScale; the
// normal's x and y pick the colour of "inputShadingImage" (a surface facing the viewer reads its
// centre, one facing up its top, one facing right its right edge). Filter images are y-up. The
// output covers the height field's extent.

#include "platform/Filter.h"

namespace platform {

class ShadedMaterialFilter : public Filter
{
public:
    static constexpr double kDefaultScale = 10;

    void setDefaults() override;
    FilterImage outputImage() const override;
};

} // namespace platform
