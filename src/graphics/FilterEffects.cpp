#include "graphics/FilterEffects.h"

#include "graphics/FilterBlurs.h"
#include "graphics/FilterCells.h"
#include "graphics/FilterDistortions.h"
#include "graphics/FilterGenerators.h"
#include "graphics/FilterScreens.h"
#include "graphics/SunbeamBlend.h"
#include "platform/Guard.h"
#include "platform/Saturate.h"

#include <cmath>
#include <mutex>

using platform::FilterImage;
using platform::FilterVector;
using platform::Image;
using platform::ImagePtr;

void RegisterImageFilters()
{
    RegisterBlurFilters();
    RegisterDistortionFilters();
    RegisterCellFilters();
    RegisterScreenFilters();
    RegisterGeneratorFilters();
}

void EnsureImageFilters()
{
    static std::once_flag once;
    std::call_once(once, RegisterImageFilters);
}

namespace {

FilterInput field(const char *key, const CHANGE_SETTING &s, int index)
{
    return {QString::fromLatin1(key), double(s.value[index])};
}

std::vector<FilterInput> withCentre(std::vector<FilterInput> inputs, const CHANGE_SETTING &s)
{
    for (FilterInput &in : CentreInput(s, QStringLiteral("inputCenter")))
        inputs.push_back(std::move(in));
    return inputs;
}

ImagePtr filtered(const Image *source, const char *filter, const std::vector<FilterInput> &inputs)
{
    EnsureImageFilters();
    return ApplyFilterRoute(source, QString::fromLatin1(filter), inputs);
}

// The source itself, shared.
ImagePtr itself(const Image *source)
{
    return std::const_pointer_cast<Image>(source->weak_from_this().lock());
}

// What the filter made of the source: found is false when there is no such filter.
struct FilterRun
{
    bool converted = false; // the source became a filter image
    bool found = false;
    FilterImage output;
    QRectF rect; // the source's size
};

FilterRun runFilter(const Image *source, const QString &name,
                    const std::vector<FilterInput> &inputs)
{
    EnsureImageFilters();
    FilterRun run;
    const FilterImage input = GetCIImageFromNSImage(source, &run.rect);
    if (input.isNull())
        return run;
    run.converted = true;
    auto filter = platform::Filter::filterWithName(name);
    if (!filter)
        return run;
    run.found = true;
    filter->setDefaults();
    filter->setValue(QStringLiteral("inputImage"), input);
    for (const FilterInput &in : inputs)
        filter->setValue(in.key, in.value);
    run.output = filter->outputImage();
    return run;
}

// The screens: the source when the filter or its output is missing.
ImagePtr screened(const Image *source, const char *filter, const std::vector<FilterInput> &inputs)
{
    if (!source)
        return nullptr;
    const FilterRun run = runFilter(source, QString::fromLatin1(filter), inputs);
    if (!run.converted)
        return nullptr;
    if (run.output.isNull())
        return itself(source);
    return GetNSImageFromCIImage(run.output, run.rect);
}

} // namespace

ImagePtr ApplyChange_Crystallize(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CICrystallize", {field("inputRadius", s, 0)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_GaussianBlur(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIGaussianBlur", {field("inputRadius", s, 0)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_Gloom(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIGloom", {field("inputRadius", s, 0), field("inputIntensity", s, 1)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_HexagonalPixellate(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIHexagonalPixellate", {field("inputScale", s, 0)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_MotionBlur(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIMotionBlur",
                    {field("inputRadius", s, 0), field("inputAngle", s, 1)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_Pointillize(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIPointillize", {field("inputRadius", s, 0)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_SharpenLuminance(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CISharpenLuminance", {field("inputSharpness", s, 0)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_UnsharpMask(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIUnsharpMask",
                    {field("inputRadius", s, 0), field("inputIntensity", s, 1)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_Bloom(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIUnsharpMask",
                    {field("inputRadius", s, 0), field("inputIntensity", s, 1)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_Vibrance(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIVibrance", {field("inputAmount", s, 0)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_GlassDistortion(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    if (!source)
        return nullptr;
    const int number = platform::saturatingRound<int>(s.value[1]);
    const ImagePtr texture = Image::named(QStringLiteral("glass-texture%1").arg(number));
    const FilterImage textureImage = GetCIImageFromNSImage(texture.get(), nullptr);
    if (textureImage.isNull())
        return nullptr;
    return filtered(source, "CIGlassDistortion",
                    {{QStringLiteral("inputTexture"), textureImage}, field("inputScale", s, 0)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_BumpDistortion(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIBumpDistortion",
                    withCentre({field("inputRadius", s, 0), field("inputScale", s, 1)}, s));
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_BumpDistortionLinear(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(
        source, "CIBumpDistortionLinear",
        withCentre(
            {field("inputRadius", s, 0), field("inputScale", s, 1), field("inputAngle", s, 2)}, s));
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_CircularWrap(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CICircularWrap",
                    withCentre({field("inputRadius", s, 0), field("inputAngle", s, 2)}, s));
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_HoleDistortion(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIHoleDistortion", withCentre({field("inputRadius", s, 0)}, s));
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_PinchDistortion(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIPinchDistortion",
                    withCentre({field("inputRadius", s, 0), field("inputScale", s, 1)}, s));
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_TwirlDistortion(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CITwirlDistortion",
                    withCentre({field("inputRadius", s, 0), field("inputAngle", s, 2)}, s));
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_VortexDistortion(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIVortexDistortion",
                    withCentre({field("inputRadius", s, 0), field("inputAngle", s, 2)}, s));
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_ZoomBlur(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return filtered(source, "CIZoomBlur", withCentre({field("inputAmount", s, 0)}, s));
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_CMYKHalftone(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return screened(source, "CICMYKHalftone",
                    {field("inputWidth", s, 0), field("inputAngle", s, 1),
                     field("inputSharpness", s, 2), field("inputGCR", s, 3),
                     field("inputUCR", s, 4)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_CircularScreen(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return screened(source, "CICircularScreen",
                    withCentre({field("inputWidth", s, 0), field("inputSharpness", s, 1)}, s));
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_HatchedScreen(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return screened(
        source, "CIHatchedScreen",
        {field("inputAngle", s, 0), field("inputWidth", s, 1), field("inputSharpness", s, 2)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_DotScreen(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return screened(
        source, "CIDotScreen",
        {field("inputAngle", s, 0), field("inputWidth", s, 1), field("inputSharpness", s, 2)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_LineScreen(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    return screened(
        source, "CILineScreen",
        {field("inputAngle", s, 0), field("inputWidth", s, 1), field("inputSharpness", s, 2)});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_LineOverlay(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    if (!source)
        return nullptr;
    const FilterRun run =
        runFilter(source, QStringLiteral("CILineOverlay"),
                  {field("inputNRNoiseLevel", s, 0), field("inputNRSharpness", s, 1),
                   field("inputEdgeIntensity", s, 2), field("inputThreshold", s, 3),
                   field("inputContrast", s, 4)});
    if (!run.converted)
        return nullptr;
    const ImageDataPtr lines =
        ImageData::imageWithNSImage(GetNSImageFromCIImage(run.output, run.rect).get());
    if (!lines || !lines->getBuffer())
        return itself(source);
    // The lines' coverage becomes black on opaque white.
    for (PIXEL &p : lines->data) {
        const quint32 v = 255 - (p >> 24);
        p = v | v << 8 | v << 16 | 0xFF000000u;
    }
    lines->RefreshNSImage();
    return lines->GetNSImage();
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_ComicEffect(const Image *source, CHANGE_SETTING)
{
    GUARD_BEGIN
    return filtered(source, "CIComicEffect", {});
    GUARD_END(nullptr)
}

ImagePtr ApplyChange_SunbeamsGenerator(const Image *source, CHANGE_SETTING s)
{
    GUARD_BEGIN
    if (!source)
        return nullptr;
    EnsureImageFilters();
    auto unit = [](float v) { return std::isnan(v) ? 0.0 : std::clamp(double(v), 0.0, 1.0); };
    const platform::Color colour =
        platform::Color::calibratedRGB(unit(s.value[10]), unit(s.value[11]), unit(s.value[12]));
    const bool sunbeams = std::abs(s.value[0]) < 0.1f;
    auto generator = platform::Filter::filterWithName(
        sunbeams ? QStringLiteral("CISunbeamsGenerator") : QStringLiteral("CIStarShineGenerator"));
    if (!generator)
        return nullptr;
    generator->setDefaults();
    const char *const sunKeys[] = {"inputSunRadius", "inputMaxStriationRadius",
                                   "inputStriationStrength", "inputStriationContrast", "inputTime"};
    const char *const starKeys[] = {"inputRadius",       "inputCrossScale", "inputCrossAngle",
                                    "inputCrossOpacity", "inputCrossWidth", "inputEpsilon"};
    generator->setValue(QStringLiteral("inputColor"), colour);
    if (sunbeams) {
        for (int i = 0; i < 5; ++i)
            generator->setValue(QString::fromLatin1(sunKeys[i]), double(s.value[i + 1]));
    } else {
        for (int i = 0; i < 6; ++i)
            generator->setValue(QString::fromLatin1(starKeys[i]), double(s.value[i + 1]));
    }
    generator->setValue(QStringLiteral("inputCenter"), FilterVector{0, 0});
    const ImagePtr light = GetNSImageFromCIImage(generator->outputImage(), QRectF());
    const ImageDataPtr lightData = ImageData::imageWithNSImage(light.get());
    const ImageDataPtr target = ImageData::imageWithNSImage(source);
    if (!lightData || !lightData->getBuffer() || !target || !target->getBuffer())
        return itself(source);
    BlendSunbeamLight(target.get(), lightData.get(), colour, s.value[13], s.value[14]);
    target->RefreshNSImage();
    return target->GetNSImage();
    GUARD_END(nullptr)
}
