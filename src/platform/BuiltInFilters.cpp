#include "platform/BuiltInFilters.h"

#include "platform/HeightFieldFromMaskFilter.h"
#include "platform/ShadedMaterialFilter.h"

namespace platform {

std::map<QString, Filter::Factory> builtInFilters()
{
    return {
        {QStringLiteral("CIHeightFieldFromMask"),
         [] { return std::unique_ptr<Filter>(new HeightFieldFromMaskFilter); }},
        {QStringLiteral("CIShadedMaterial"),
         [] { return std::unique_ptr<Filter>(new ShadedMaterialFilter); }},
    };
}

} // namespace platform
