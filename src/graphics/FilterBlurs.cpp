#include "graphics/FilterBlurs.h"

#include "graphics/FilterSampler.h"
#include "graphics/PixelFilter.h"
#include "platform/GaussianBlur.h"

#include <algorithm>
#include <cmath>

namespace {

// Far beyond any useful blur; keeps loops and sizes finite.
constexpr double kMaxRadius = 1e5;
// The most samples a streak of motion or zoom blur takes per pixel.
constexpr int kMaxStreakSamples = 128;

const QString kRadius = QStringLiteral("inputRadius");
const QString kIntensity = QStringLiteral("inputIntensity");
const QString kCenter = QStringLiteral("inputCenter");

QImage blurred(const QImage &in, double sigma)
{
    QImage out = in.copy();
    platform::gaussianBlur(out, sigma);
    return out;
}

// Combines each colour byte of src with the same byte of the blurred copy; alpha stays and no
// colour exceeds it.
template <class Fn> QImage combine(const QImage &src, const QImage &blur, Fn fn)
{
    QImage out = src.copy();
    if (out.isNull() || blur.isNull())
        return {};
    for (int y = 0; y < out.height(); ++y) {
        uchar *o = out.scanLine(y);
        const uchar *b = blur.constScanLine(y);
        for (int x = 0; x < out.width() * 4; x += 4)
            for (int c = 0; c < 3; ++c)
                o[x + c] = uchar(std::clamp(std::lround(fn(double(o[x + c]), double(b[x + c]))), 0L,
                                            long(o[x + 3])));
    }
    return out;
}

double radiusOf(const PixelFilter &f, const QString &key)
{
    return boundedInput(f.num(key), 0, kMaxRadius, 0);
}

// src + intensity x (src - blur): the edges lifted by what the blur takes away.
QImage unsharpMask(const PixelFilter &f, const QImage &in)
{
    const double radius = radiusOf(f, kRadius);
    const double intensity = boundedInput(f.num(kIntensity), -1e6, 1e6, 0);
    if (radius == 0 || intensity == 0)
        return in;
    return combine(in, blurred(in, radius),
                   [intensity](double s, double b) { return s + intensity * (s - b); });
}

// The highlights dulled: each byte moves by intensity toward the darker of itself and its
// blurred neighbourhood.
QImage gloom(const PixelFilter &f, const QImage &in)
{
    const double radius = radiusOf(f, kRadius);
    const double intensity = boundedInput(f.num(kIntensity), 0, 1, 0);
    if (radius == 0 || intensity == 0)
        return in;
    return combine(in, blurred(in, radius), [intensity](double s, double b) {
        return s + intensity * (std::min(s, b) - s);
    });
}

double luma(const uchar *p)
{
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
}

// Luminance sharpened on a blur of radius 1.6: each pixel gains sharpness x (Y - Y of the blur)
// in every colour byte, so its hue stays.
QImage sharpenLuminance(const PixelFilter &f, const QImage &in)
{
    const double sharpness = boundedInput(f.num(QStringLiteral("inputSharpness")), -1e6, 1e6, 0);
    if (sharpness == 0)
        return in;
    const QImage blur = blurred(in, 1.6);
    QImage out = in.copy();
    for (int y = 0; y < out.height(); ++y) {
        uchar *o = out.scanLine(y);
        const uchar *b = blur.constScanLine(y);
        for (int x = 0; x < out.width() * 4; x += 4) {
            const double delta = sharpness * (luma(o + x) - luma(b + x));
            for (int c = 0; c < 3; ++c)
                o[x + c] = uchar(std::clamp(std::lround(o[x + c] + delta), 0L, long(o[x + 3])));
        }
    }
    return out;
}

// The mean of bilinear samples along a streak from p + from to p + to, edges repeated.
quint32 streakMean(const QImage &in, QPointF p, QPointF from, QPointF to)
{
    const QPointF span = to - from;
    const double length = std::hypot(span.x(), span.y());
    const int samples = std::clamp(int(std::ceil(std::min(length, 1e6))) + 1, 1, kMaxStreakSamples);
    SampleColour sum;
    for (int i = 0; i < samples; ++i) {
        const double t = samples == 1 ? 0.5 : double(i) / (samples - 1);
        const QPointF q = p + from + span * t;
        const SampleColour c = sampleBilinear(in, q.x(), q.y(), SampleEdge::Clamp);
        sum.r += c.r;
        sum.g += c.g;
        sum.b += c.b;
        sum.a += c.a;
    }
    const float n = float(samples);
    return toPixel({sum.r / n, sum.g / n, sum.b / n, sum.a / n});
}

// The mean along a line of length 2 x radius through each pixel, at the angle (y up).
QImage motionBlur(const PixelFilter &f, const QImage &in)
{
    const double radius = radiusOf(f, kRadius);
    const double angle = boundedInput(f.num(QStringLiteral("inputAngle")), -1e6, 1e6, 0);
    if (radius < 0.5)
        return in;
    const QPointF half(radius * std::cos(angle), -radius * std::sin(angle));
    return mapPixels(in, [&](int x, int y) { return streakMean(in, QPointF(x, y), -half, half); });
}

// The mean along the way from each pixel toward the centre, amount/100 of the distance (at most
// all of it; a negative amount streaks outward).
QImage zoomBlur(const PixelFilter &f, const QImage &in)
{
    const double share = boundedInput(f.num(QStringLiteral("inputAmount")), -100, 100, 0) / 100;
    if (share == 0)
        return in;
    const QPointF centre = f.centreInPixels(kCenter, in.height());
    return mapPixels(in, [&](int x, int y) {
        const QPointF p(x, y);
        const QPointF toCentre = centre - p;
        if (!std::isfinite(toCentre.x()) || !std::isfinite(toCentre.y()))
            return streakMean(in, p, {}, {});
        return streakMean(in, p, {}, toCentre * share);
    });
}

} // namespace

void RegisterBlurFilters()
{
    RegisterImageFilter(
        QStringLiteral("CIGaussianBlur"), {{kRadius, 10.0}},
        [](const PixelFilter &f, const QImage &in) { return blurred(in, radiusOf(f, kRadius)); });
    RegisterImageFilter(QStringLiteral("CIUnsharpMask"), {{kRadius, 2.5}, {kIntensity, 0.5}},
                        unsharpMask);
    RegisterImageFilter(QStringLiteral("CIGloom"), {{kRadius, 10.0}, {kIntensity, 0.5}}, gloom);
    RegisterImageFilter(QStringLiteral("CISharpenLuminance"),
                        {{QStringLiteral("inputSharpness"), 0.4}}, sharpenLuminance);
    RegisterImageFilter(QStringLiteral("CIMotionBlur"),
                        {{kRadius, 20.0}, {QStringLiteral("inputAngle"), 0.0}}, motionBlur);
    RegisterImageFilter(
        QStringLiteral("CIZoomBlur"),
        {{QStringLiteral("inputAmount"), 20.0}, {kCenter, platform::FilterVector{150, 150}}},
        zoomBlur);
}
