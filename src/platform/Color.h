#pragma once
// A colour as the original code knows it: four components and the colour space they belong to.
// Kept as doubles (not QColor, whose 16-bit channels change truncated bytes); an invalid Color
// stands for "no colour".

#include <QByteArray>
#include <QColor>
#include <optional>

namespace platform {

enum class ColorSpace {
    Invalid,
    CalibratedRGB,
    DeviceRGB,
    CalibratedWhite,
    DeviceWhite,
    Pattern // a pattern image: it has no components and cannot be converted
};

class Color
{
public:
    Color() = default; // invalid

    static Color calibratedRGB(double r, double g, double b, double a = 1.0);
    static Color deviceRGB(double r, double g, double b, double a = 1.0);
    static Color calibratedWhite(double w, double a = 1.0);
    static Color deviceWhite(double w, double a = 1.0);
    static Color pattern();

    static Color black();
    static Color white();
    static Color red();
    static Color green();
    static Color blue();
    static Color cyan();
    static Color magenta();
    static Color yellow();
    static Color orange();
    static Color brown();
    static Color purple();
    static Color gray();
    static Color lightGray();
    static Color darkGray();
    static Color clear();

    bool isValid() const { return mSpace != ColorSpace::Invalid; }
    ColorSpace colorSpace() const { return mSpace; }

    // Components of the colour's own space; asking an RGB colour for white (or the reverse)
    // answers the converted value, and an invalid or pattern colour answers 0.
    double redComponent() const;
    double greenComponent() const;
    double blueComponent() const;
    double whiteComponent() const;
    double alphaComponent() const;

    // nullopt when this colour (invalid or a pattern) or the target cannot take part.
    std::optional<Color> usingColorSpace(ColorSpace space) const;
    Color colorWithAlphaComponent(double alpha) const;

    // Only for painting: the conversion rounds to Qt's channels.
    QColor toQColor() const;
    static Color fromQColor(const QColor &c); // device RGB; invalid QColor gives invalid Color

    // Archived colour data, as stored in the user defaults.
    QByteArray archive() const;
    static Color unarchive(const QByteArray &data); // invalid Color on malformed data

    bool operator==(const Color &o) const;

private:
    Color(ColorSpace space, double c0, double c1, double c2, double a);

    ColorSpace mSpace = ColorSpace::Invalid;
    // RGB spaces: red, green, blue; white spaces: white in mC[0], the others 0.
    double mC[3] = {0, 0, 0};
    double mAlpha = 0;
};

} // namespace platform
