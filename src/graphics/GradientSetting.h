#pragma once
// Stored gradient descriptions and the gradients they describe, the checkerboard shown behind
// transparent images, and colours by their CSS or HTML names.

#include "platform/BezierPath.h"
#include "platform/Color.h"

#include <QByteArray>
#include <QGradientStops>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <optional>
#include <span>

// A gradient as it is stored: the record's 96 bytes as they lie in memory (little-endian).
// Always zero-initialised, so that the bytes nothing reads are stored as 0.
struct GradientSetting
{
    quint8 radial = 0; // non-zero: radial, else linear
    quint8 unused1[3] = {};
    qint32 colorCount = 0;  // 2 to 5; fewer describes no gradient, more counts as 5
    quint64 colors[5] = {}; // colour words 0xRRGGBBAA; the last stop always takes slot 4
    quint8 unused48[16] = {};
    float locations[5] = {}; // 0 to 1; the first stop is always at 0, the last at 1
    quint8 unused84[12] = {};
};
static_assert(sizeof(GradientSetting) == 96);
static_assert(offsetof(GradientSetting, colorCount) == 4);
static_assert(offsetof(GradientSetting, colors) == 8);
static_assert(offsetof(GradientSetting, unused48) == 48);
static_assert(offsetof(GradientSetting, locations) == 64);
static_assert(offsetof(GradientSetting, unused84) == 84);

inline constexpr int kGradientSettingMaxColors = 5;

// The record's 96 bytes.
QByteArray GradientSettingToData(const GradientSetting &setting);
// The first 96 bytes of the data; a zeroed record when there are fewer.
GradientSetting GradientSettingFromData(const QByteArray &data);
// Swaps the first and last colour; with three colours the middle location becomes 1 - location.
// The middle colours of four or five keep their slots. Nothing for null or no colours.
void GradientSettingReverse(GradientSetting *setting);
// The stops of the gradient, ordered by location. Each colour's alpha is its own when the
// opacity is 0.999 or more, else the opacity. A stop whose word is no colour is left out;
// nullopt for null, fewer than two colours, or fewer than two stops left.
std::optional<QGradientStops> GetGradientFromSetting(const GradientSetting *setting, float opacity);
// Fills the path in the current graphics context with the gradient from p1 to p2 (radial:
// centred on p1 with radius |p1 p2|; a radial one runs reversed when p1 lies right of p2),
// padded beyond both ends. A cache given is filled on first use and then used as it is.
// Nothing is drawn when p1 and p2 are closer than 0.01 or the path is empty.
void DrawGradient(const platform::BezierPath *path, QPointF p1, QPointF p2, float opacity,
                  const GradientSetting *setting, std::optional<QGradientStops> *cache);

// The checkerboard of cell `cell` (in the current context's units) over width x height times
// scale, limited to the cell pairs the clip touches, in the grey level given; drawn as a line
// grid instead when the settings ask for one. Nothing for a cell below 1.
void DrawTransparencySample(float cell, float width, float height, float scale, QRectF clip,
                            float grey);

// Colour name tables: our own copies of the public CSS and HTML colour names.
struct SystemColorName
{
    const char *name;
    quint8 r, g, b, a;
};
struct HtmlColorName
{
    const char *name;
    int r, g, b;
};
// The 147 CSS Color Level 3 keywords, then the 28 CSS 2 system colours.
std::span<const SystemColorName> SystemColorTable();
// The 140 HTML colour names, grouped by hue.
std::span<const HtmlColorName> HtmlColorTable();

// The colour of a name (trimmed, case ignored) in the system table; invalid when there is none.
platform::Color ColorFromSystemName(const QString &name);
// The same over the HTML table (alpha 1).
platform::Color ColorFromHtmlName(const QString &name);
