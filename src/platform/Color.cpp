#include "platform/Color.h"

#include "platform/Log.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

// Components live in [0, 1]; NaN has no meaning as a component and becomes 0.
double clampUnit(double v)
{
    if (std::isnan(v))
        return 0.0;
    return std::clamp(v, 0.0, 1.0);
}

bool isRGB(ColorSpace s)
{
    return s == ColorSpace::CalibratedRGB || s == ColorSpace::DeviceRGB;
}
bool isWhite(ColorSpace s)
{
    return s == ColorSpace::CalibratedWhite || s == ColorSpace::DeviceWhite;
}

// Grey level of an RGB colour: the usual luminance weights, so that a saturated blue reads dark
// and a yellow light, as the eye sees them.
double luminance(double r, double g, double b)
{
    return clampUnit(0.3 * r + 0.59 * g + 0.11 * b);
}

// Archived form: "PkCl", version, space, then red/white, green, blue, alpha as little-endian
// doubles.
constexpr char kMagic[4] = {'P', 'k', 'C', 'l'};
constexpr quint8 kVersion = 1;
constexpr int kArchiveSize = 4 + 1 + 1 + 4 * 8;

quint8 spaceCode(ColorSpace s)
{
    switch (s) {
    case ColorSpace::CalibratedRGB:
        return 1;
    case ColorSpace::DeviceRGB:
        return 2;
    case ColorSpace::CalibratedWhite:
        return 3;
    case ColorSpace::DeviceWhite:
        return 4;
    case ColorSpace::Pattern:
        return 5;
    case ColorSpace::Invalid:
        break;
    }
    return 0;
}

std::optional<ColorSpace> spaceFromCode(quint8 code)
{
    switch (code) {
    case 1:
        return ColorSpace::CalibratedRGB;
    case 2:
        return ColorSpace::DeviceRGB;
    case 3:
        return ColorSpace::CalibratedWhite;
    case 4:
        return ColorSpace::DeviceWhite;
    case 5:
        return ColorSpace::Pattern;
    default:
        return std::nullopt;
    }
}

Color rejectArchive(const QString &why)
{
    Log(QStringLiteral("ERROR unarchive color: %1").arg(why));
    return Color();
}

} // namespace

Color::Color(ColorSpace space, double c0, double c1, double c2, double a)
    : mSpace(space), mC{clampUnit(c0), clampUnit(c1), clampUnit(c2)}, mAlpha(clampUnit(a))
{}

Color Color::calibratedRGB(double r, double g, double b, double a)
{
    return Color(ColorSpace::CalibratedRGB, r, g, b, a);
}
Color Color::deviceRGB(double r, double g, double b, double a)
{
    return Color(ColorSpace::DeviceRGB, r, g, b, a);
}
Color Color::calibratedWhite(double w, double a)
{
    return Color(ColorSpace::CalibratedWhite, w, 0, 0, a);
}
Color Color::deviceWhite(double w, double a)
{
    return Color(ColorSpace::DeviceWhite, w, 0, 0, a);
}
Color Color::pattern()
{
    return Color(ColorSpace::Pattern, 0, 0, 0, 1);
}

Color Color::black()
{
    return calibratedWhite(0.0);
}
Color Color::white()
{
    return calibratedWhite(1.0);
}
Color Color::red()
{
    return calibratedRGB(1, 0, 0);
}
Color Color::green()
{
    return calibratedRGB(0, 1, 0);
}
Color Color::blue()
{
    return calibratedRGB(0, 0, 1);
}
Color Color::cyan()
{
    return calibratedRGB(0, 1, 1);
}
Color Color::magenta()
{
    return calibratedRGB(1, 0, 1);
}
Color Color::yellow()
{
    return calibratedRGB(1, 1, 0);
}
Color Color::orange()
{
    return calibratedRGB(1, 0.5, 0);
}
Color Color::brown()
{
    return calibratedRGB(0.6, 0.4, 0.2);
}
Color Color::purple()
{
    return calibratedRGB(0.5, 0, 0.5);
}
Color Color::gray()
{
    return calibratedWhite(0.5);
}
Color Color::lightGray()
{
    return calibratedWhite(2.0 / 3.0);
}
Color Color::darkGray()
{
    return calibratedWhite(1.0 / 3.0);
}
Color Color::clear()
{
    return calibratedWhite(0.0, 0.0);
}

double Color::redComponent() const
{
    return isRGB(mSpace) ? mC[0] : isWhite(mSpace) ? mC[0] : 0;
}
double Color::greenComponent() const
{
    return isRGB(mSpace) ? mC[1] : isWhite(mSpace) ? mC[0] : 0;
}
double Color::blueComponent() const
{
    return isRGB(mSpace) ? mC[2] : isWhite(mSpace) ? mC[0] : 0;
}
double Color::whiteComponent() const
{
    if (isWhite(mSpace))
        return mC[0];
    if (isRGB(mSpace))
        return luminance(mC[0], mC[1], mC[2]);
    return 0;
}
double Color::alphaComponent() const
{
    return isValid() ? mAlpha : 0;
}

std::optional<Color> Color::usingColorSpace(ColorSpace space) const
{
    if (!isValid() || space == ColorSpace::Invalid)
        return std::nullopt;
    if (space == mSpace)
        return *this;
    if (mSpace == ColorSpace::Pattern || space == ColorSpace::Pattern)
        return std::nullopt;
    // Calibrated and device spaces hold the same numbers here: no colour profiles on this side.
    if (isRGB(space))
        return Color(space, redComponent(), greenComponent(), blueComponent(), mAlpha);
    return Color(space, whiteComponent(), 0, 0, mAlpha);
}

Color Color::colorWithAlphaComponent(double alpha) const
{
    if (!isValid())
        return Color();
    Color c = *this;
    c.mAlpha = clampUnit(alpha);
    return c;
}

QColor Color::toQColor() const
{
    if (isRGB(mSpace))
        return QColor::fromRgbF(float(mC[0]), float(mC[1]), float(mC[2]), float(mAlpha));
    if (isWhite(mSpace))
        return QColor::fromRgbF(float(mC[0]), float(mC[0]), float(mC[0]), float(mAlpha));
    return QColor();
}

Color Color::fromQColor(const QColor &c)
{
    if (!c.isValid())
        return Color();
    float r = 0, g = 0, b = 0, a = 0;
    c.toRgb().getRgbF(&r, &g, &b, &a);
    return deviceRGB(r, g, b, a);
}

QByteArray Color::archive() const
{
    if (!isValid())
        return QByteArray();
    QByteArray out(kArchiveSize, '\0');
    char *p = out.data();
    std::memcpy(p, kMagic, 4);
    p[4] = char(kVersion);
    p[5] = char(spaceCode(mSpace));
    const double values[4] = {mC[0], mC[1], mC[2], mAlpha};
    for (int i = 0; i < 4; ++i)
        qToLittleEndian(values[i], p + 6 + 8 * i);
    return out;
}

Color Color::unarchive(const QByteArray &data)
{
    if (data.size() != kArchiveSize)
        return rejectArchive(QStringLiteral("wrong length %1").arg(data.size()));
    const char *p = data.constData();
    if (std::memcmp(p, kMagic, 4) != 0)
        return rejectArchive(QStringLiteral("not colour data"));
    if (quint8(p[4]) != kVersion)
        return rejectArchive(QStringLiteral("unknown version %1").arg(quint8(p[4])));
    const std::optional<ColorSpace> space = spaceFromCode(quint8(p[5]));
    if (!space)
        return rejectArchive(QStringLiteral("unknown colour space %1").arg(quint8(p[5])));
    double v[4];
    for (int i = 0; i < 4; ++i) {
        v[i] = qFromLittleEndian<double>(p + 6 + 8 * i);
        if (!std::isfinite(v[i]) || v[i] < 0.0 || v[i] > 1.0)
            return rejectArchive(QStringLiteral("component out of range"));
    }
    // White and pattern colours keep their unused components at 0; anything else is not ours.
    if (*space != ColorSpace::CalibratedRGB && *space != ColorSpace::DeviceRGB &&
        (v[1] != 0.0 || v[2] != 0.0 || (*space == ColorSpace::Pattern && v[0] != 0.0)))
        return rejectArchive(QStringLiteral("unused components set"));
    return Color(*space, v[0], v[1], v[2], v[3]);
}

bool Color::operator==(const Color &o) const
{
    if (mSpace != o.mSpace)
        return false;
    if (!isValid())
        return true;
    return mC[0] == o.mC[0] && mC[1] == o.mC[1] && mC[2] == o.mC[2] && mAlpha == o.mAlpha;
}

} // namespace platform
