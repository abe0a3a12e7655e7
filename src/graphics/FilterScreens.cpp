#include "graphics/FilterScreens.h"

#include "graphics/FilterSampler.h"
#include "graphics/PixelFilter.h"
#include "graphics/StraightColor.h"
#include "platform/GaussianBlur.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTau = 2 * std::numbers::pi;

const QString kAngle = QStringLiteral("inputAngle");
const QString kWidth = QStringLiteral("inputWidth");
const QString kSharpness = QStringLiteral("inputSharpness");
const QString kCenter = QStringLiteral("inputCenter");
const platform::FilterVector kDefaultCentre{150, 150};

struct Straight
{
    double r, g, b; // 0 to 1
    quint32 alpha;
};

Straight straightAt(const QImage &in, int x, int y)
{
    const PIXEL p = UnpremultiplyPixel(reinterpret_cast<const PIXEL *>(in.constScanLine(y))[x]);
    return {(p & 0xFF) / 255.0, ((p >> 8) & 0xFF) / 255.0, ((p >> 16) & 0xFF) / 255.0, p >> 24};
}

quint32 premultiplied(double r, double g, double b, quint32 alpha)
{
    auto byte = [](double v) { return v > 0 ? quint32(std::lround(std::min(v, 1.0) * 255)) : 0u; };
    return PremultiplyPixel(byte(r) | byte(g) << 8 | byte(b) << 16 | alpha << 24);
}

double luma(const Straight &s)
{
    return 0.299 * s.r + 0.587 * s.g + 0.114 * s.b;
}

// The screen's geometry: pixel positions turned into y-up offsets from the centre, rotated by
// -angle, so that the pattern's axes lie at the angle.
struct Screen
{
    QPointF centre; // in pixels, y down
    double cosA = 1, sinA = 0;
    double period = 6;
    double ramp = 0.3; // the width of the soft step between ink and paper

    Screen(const PixelFilter &f, const QImage &in, double angle)
        : centre(f.centreInPixels(kCenter, in.height()))
    {
        angle = boundedInput(angle, -1e6, 1e6, 0);
        cosA = std::cos(angle);
        sinA = std::sin(angle);
        period = boundedInput(f.num(kWidth), 1, 1e6, 6);
        ramp = std::max(1 - boundedInput(f.num(kSharpness), 0, 1, 0.7), 1.0 / 255);
    }
    // (u, v) along and across the screen's angle.
    QPointF at(int x, int y) const
    {
        const double dx = x - centre.x();
        const double dy = centre.y() - y;
        return QPointF(dx * cosA + dy * sinA, -dx * sinA + dy * cosA);
    }
    // Paper (1) where the value is above the pattern, ink (0) below, softly over the ramp.
    double step(double value, double pattern) const
    {
        // The pattern is squeezed into [ramp / 2, 1 - ramp / 2]: white stays paper and black
        // stays ink wherever the pattern stands.
        const double v = 0.5 + (value - (ramp / 2 + pattern * (1 - ramp))) / ramp;
        return std::isnan(v) ? 1.0 : std::clamp(v, 0.0, 1.0);
    }
    double wave(double t) const { return (std::cos(kTau * t / period) + 1) / 2; }
};

// A grey screen: paper where the pixel's luma beats pattern(screen, x, y), alpha kept.
template <class Pattern>
QImage greyScreen(const PixelFilter &f, const QImage &in, double angle, Pattern pattern)
{
    const Screen screen(f, in, angle);
    return mapPixels(in, [&](int x, int y) {
        const Straight s = straightAt(in, x, y);
        const double v = pattern(screen, x, y, luma(s));
        return premultiplied(v, v, v, s.alpha);
    });
}

// Dots: the pattern (cos u + cos v + 2) / 4 over cells of the width.
QImage dotScreen(const PixelFilter &f, const QImage &in)
{
    return greyScreen(f, in, f.num(kAngle), [](const Screen &s, int x, int y, double l) {
        const QPointF p = s.at(x, y);
        return s.step(l, (s.wave(p.x()) + s.wave(p.y())) / 2);
    });
}

// Lines along the angle, one every width.
QImage lineScreen(const PixelFilter &f, const QImage &in)
{
    return greyScreen(f, in, f.num(kAngle), [](const Screen &s, int x, int y, double l) {
        return s.step(l, s.wave(s.at(x, y).y()));
    });
}

// Rings around the centre, one every width.
QImage circularScreen(const PixelFilter &f, const QImage &in)
{
    return greyScreen(f, in, 0, [](const Screen &s, int x, int y, double l) {
        const QPointF p = s.at(x, y);
        return s.step(l, s.wave(std::hypot(p.x(), p.y())));
    });
}

// Lines along the angle, crossed by lines across it where the pixel is darker than mid-grey.
QImage hatchedScreen(const PixelFilter &f, const QImage &in)
{
    return greyScreen(f, in, f.num(kAngle), [](const Screen &s, int x, int y, double l) {
        const QPointF p = s.at(x, y);
        return std::min(s.step(l, s.wave(p.y())), s.step(l + 0.5, s.wave(p.x())));
    });
}

// Four inks, each a dot screen at its own angle (cyan +15 degrees, magenta +75, yellow +0,
// black +45): black takes gcr of the common grey, and ucr of that is taken from the other three.
QImage cmykHalftone(const PixelFilter &f, const QImage &in)
{
    const double angle = boundedInput(f.num(kAngle), -1e6, 1e6, 0);
    const double gcr = boundedInput(f.num(QStringLiteral("inputGCR")), 0, 1, 1);
    const double ucr = boundedInput(f.num(QStringLiteral("inputUCR")), 0, 1, 0.5);
    const double degree = std::numbers::pi / 180;
    const Screen screens[4] = {Screen(f, in, angle + 15 * degree),
                               Screen(f, in, angle + 75 * degree), Screen(f, in, angle),
                               Screen(f, in, angle + 45 * degree)};
    return mapPixels(in, [&](int x, int y) {
        const Straight s = straightAt(in, x, y);
        const double k = std::min({1 - s.r, 1 - s.g, 1 - s.b}) * gcr;
        const double inks[4] = {1 - s.r - k * ucr, 1 - s.g - k * ucr, 1 - s.b - k * ucr, k};
        double paper[4];
        for (int i = 0; i < 4; ++i) {
            const QPointF p = screens[i].at(x, y);
            const double dot = (screens[i].wave(p.x()) + screens[i].wave(p.y())) / 2;
            paper[i] = screens[i].step(1 - inks[i], dot);
        }
        return premultiplied(paper[0] * paper[3], paper[1] * paper[3], paper[2] * paper[3],
                             s.alpha);
    });
}

// Saturation raised (or lowered, for a negative amount) most where it is low: each colour moves
// away from the luma by amount x (1 - (max - min)).
QImage vibrance(const PixelFilter &f, const QImage &in)
{
    const double amount = boundedInput(f.num(QStringLiteral("inputAmount")), -1e3, 1e3, 0);
    if (amount == 0)
        return in;
    return mapPixels(in, [&](int x, int y) {
        const Straight s = straightAt(in, x, y);
        const double l = luma(s);
        const double grow =
            1 + amount * (1 - (std::max({s.r, s.g, s.b}) - std::min({s.r, s.g, s.b})));
        return premultiplied(l + (s.r - l) * grow, l + (s.g - l) * grow, l + (s.b - l) * grow,
                             s.alpha);
    });
}

struct LineSettings
{
    double noise = 0.07, sharpness = 0.71, edge = 1, threshold = 0.1, contrast = 50;
};

// The outlines of the picture as black of partial alpha: a light denoise (a blur of sigma
// 10 x noise, then its detail sharpened back by the sharpness), Sobel edges of the luma (a unit
// step gives 1), scaled by the edge intensity; alpha = (edge - threshold) x contrast.
QImage lineOverlayOf(const QImage &in, const LineSettings &s)
{
    QImage quiet = in.copy();
    platform::gaussianBlur(quiet, s.noise * 10);
    if (s.sharpness != 0) {
        QImage soft = quiet.copy();
        platform::gaussianBlur(soft, 1);
        for (int y = 0; y < quiet.height(); ++y) {
            uchar *q = quiet.scanLine(y);
            const uchar *b = soft.constScanLine(y);
            for (int x = 0; x < quiet.width() * 4; x += 4)
                for (int c = 0; c < 3; ++c)
                    q[x + c] = uchar(
                        std::clamp(std::lround(q[x + c] + s.sharpness * (q[x + c] - b[x + c])), 0L,
                                   long(q[x + 3])));
        }
    }
    const int w = quiet.width();
    const int h = quiet.height();
    auto l = [&](int x, int y) {
        return luma(straightAt(quiet, std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1)));
    };
    return mapPixels(in, [&](int x, int y) {
        const double gx = l(x + 1, y - 1) + 2 * l(x + 1, y) + l(x + 1, y + 1) - l(x - 1, y - 1) -
                          2 * l(x - 1, y) - l(x - 1, y + 1);
        const double gy = l(x - 1, y + 1) + 2 * l(x, y + 1) + l(x + 1, y + 1) - l(x - 1, y - 1) -
                          2 * l(x, y - 1) - l(x + 1, y - 1);
        const double edge = std::hypot(gx, gy) / 4 * s.edge;
        const double a = std::clamp((edge - s.threshold) * s.contrast, 0.0, 1.0);
        return quint32(std::lround(a * 255)) << 24;
    });
}

QImage lineOverlay(const PixelFilter &f, const QImage &in)
{
    LineSettings s;
    s.noise = boundedInput(f.num(QStringLiteral("inputNRNoiseLevel")), 0, 10, s.noise);
    s.sharpness = boundedInput(f.num(QStringLiteral("inputNRSharpness")), -10, 10, s.sharpness);
    s.edge = boundedInput(f.num(QStringLiteral("inputEdgeIntensity")), -1e6, 1e6, s.edge);
    s.threshold = boundedInput(f.num(QStringLiteral("inputThreshold")), -1e6, 1e6, s.threshold);
    s.contrast = boundedInput(f.num(QStringLiteral("inputContrast")), -1e6, 1e6, s.contrast);
    return lineOverlayOf(in, s);
}

// The outlines over a copy posterised to four levels a channel.
QImage comic(const PixelFilter &, const QImage &in)
{
    QImage out = mapPixels(in, [&](int x, int y) {
        const Straight s = straightAt(in, x, y);
        auto level = [](double v) { return std::round(v * 3) / 3; };
        return premultiplied(level(s.r), level(s.g), level(s.b), s.alpha);
    });
    const QImage lines = lineOverlayOf(in, LineSettings());
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, lines);
    painter.end();
    return out;
}

} // namespace

void RegisterScreenFilters()
{
    const PixelFilter::Defaults screen = {
        {kAngle, 0.0}, {kWidth, 6.0}, {kSharpness, 0.7}, {kCenter, kDefaultCentre}};
    RegisterImageFilter(QStringLiteral("CIDotScreen"), screen, dotScreen);
    RegisterImageFilter(QStringLiteral("CILineScreen"), screen, lineScreen);
    RegisterImageFilter(QStringLiteral("CIHatchedScreen"), screen, hatchedScreen);
    RegisterImageFilter(QStringLiteral("CICircularScreen"),
                        {{kWidth, 6.0}, {kSharpness, 0.7}, {kCenter, kDefaultCentre}},
                        circularScreen);
    RegisterImageFilter(QStringLiteral("CICMYKHalftone"),
                        {{kWidth, 6.0},
                         {kAngle, 0.0},
                         {kSharpness, 0.7},
                         {QStringLiteral("inputGCR"), 1.0},
                         {QStringLiteral("inputUCR"), 0.5},
                         {kCenter, kDefaultCentre}},
                        cmykHalftone);
    RegisterImageFilter(QStringLiteral("CILineOverlay"),
                        {{QStringLiteral("inputNRNoiseLevel"), 0.07},
                         {QStringLiteral("inputNRSharpness"), 0.71},
                         {QStringLiteral("inputEdgeIntensity"), 1.0},
                         {QStringLiteral("inputThreshold"), 0.1},
                         {QStringLiteral("inputContrast"), 50.0}},
                        lineOverlay);
    RegisterImageFilter(QStringLiteral("CIComicEffect"), {}, comic);
    RegisterImageFilter(QStringLiteral("CIVibrance"), {{QStringLiteral("inputAmount"), 0.0}},
                        vibrance);
}
