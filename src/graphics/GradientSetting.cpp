#include "graphics/GradientSetting.h"

#include "graphics/DrawingUtility.h"
#include "platform/GraphicsContext.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/Saturate.h"
#include "services/AppSetting.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

using platform::BezierPath;
using platform::Color;
using platform::GraphicsContext;

// Gradient records
// ---------------------------------------------------------------------------------

QByteArray GradientSettingToData(const GradientSetting &setting)
{
    return QByteArray(reinterpret_cast<const char *>(&setting), sizeof(GradientSetting));
}

GradientSetting GradientSettingFromData(const QByteArray &data)
{
    GradientSetting setting;
    if (data.size() >= qsizetype(sizeof(GradientSetting)))
        std::memcpy(&setting, data.constData(), sizeof(GradientSetting));
    return setting;
}

namespace {

// 0..1; NaN (stored junk) is 0.
double unitInterval(double value)
{
    return value >= 0 ? std::min(value, 1.0) : 0.0;
}

} // namespace

void GradientSettingReverse(GradientSetting *setting)
{
    if (!setting || setting->colorCount == 0)
        return;
    std::swap(setting->colors[0], setting->colors[4]);
    if (setting->colorCount == 3)
        setting->locations[1] = float(unitInterval(1.0 - double(setting->locations[1])));
}

std::optional<QGradientStops> GetGradientFromSetting(const GradientSetting *setting, float opacity)
{
    GUARD_BEGIN
    if (!setting || setting->colorCount < 2)
        return std::nullopt;
    // The count is stored data: never read past the five slots.
    const int n = std::min(setting->colorCount, kGradientSettingMaxColors);
    QGradientStops stops;
    for (int i = 0; i < n; ++i) {
        const bool last = i == n - 1;
        const quint64 word = setting->colors[last ? 4 : i];
        if (word > 0xFFFFFFFFull)
            continue; // no colour: its stop goes with it
        const double alpha =
            opacity >= 0.999f ? double(word & 0xFF) / 255.0 : unitInterval(double(opacity));
        const QColor colour = QColor::fromRgbF(
            float(double((word >> 24) & 0xFF) / 255.0), float(double((word >> 16) & 0xFF) / 255.0),
            float(double((word >> 8) & 0xFF) / 255.0), float(alpha));
        const double location = i == 0 ? 0.0 : last ? 1.0 : unitInterval(setting->locations[i]);
        stops.append({location, colour});
    }
    if (stops.size() < 2)
        return std::nullopt;
    std::stable_sort(
        stops.begin(), stops.end(),
        [](const QGradientStop &a, const QGradientStop &b) { return a.first < b.first; });
    return stops;
    GUARD_END(std::nullopt)
}

void DrawGradient(const BezierPath *path, QPointF p1, QPointF p2, float opacity,
                  const GradientSetting *setting, std::optional<QGradientStops> *cache)
{
    GUARD_BEGIN
    std::optional<QGradientStops> stops = cache ? *cache : std::nullopt;
    if (!path || !setting || setting->colorCount < 2)
        return;
    GradientSetting copy = *setting;
    if (p1.x() > p2.x() && copy.radial)
        GradientSettingReverse(&copy);
    if (!stops) {
        stops = GetGradientFromSetting(&copy, float(unitInterval(opacity)));
        if (cache)
            *cache = stops;
        if (!stops)
            return;
    }
    const float d = DistanceBetweenPoints(p1, p2);
    if (!(d >= 0.01f) || path->isEmpty())
        return;
    GraphicsContext *context = GraphicsContext::currentContext();
    if (!context || !context->painter())
        return;
    QGradient gradient =
        copy.radial ? QGradient(QRadialGradient(p1, d, p1)) : QGradient(QLinearGradient(p1, p2));
    gradient.setSpread(QGradient::PadSpread);
    gradient.setStops(*stops);
    context->save();
    path->addClip();
    context->painter()->fillRect(path->controlPointBounds(), QBrush(gradient));
    context->restore();
    GUARD_END_VOID
}

// The transparency checkerboard
// ---------------------------------------------------------------------

namespace {

// The cell pairs [first, last] along one axis that the clip span [clipStart, clipEnd) touches,
// within `extent`; nullopt when none is found within the pairs the extent holds (plus ten).
std::optional<std::pair<qint64, qint64>> pairRange(double pitch, double extent, double clipStart,
                                                   double clipEnd)
{
    const double limit = extent / pitch + 10;
    // The first i with pitch * i >= clipStart.
    const double start = std::max(0.0, std::ceil(clipStart / pitch));
    if (!(start < limit))
        return std::nullopt;
    // The first i from there with pitch * (i + 1) reaching the extent or the clip's end.
    const double end = std::max(start, std::ceil(std::min(extent, clipEnd) / pitch) - 1);
    if (!(end < limit))
        return std::nullopt;
    const qint64 first = platform::saturatingTruncate<qint64>(start);
    const qint64 last = platform::saturatingTruncate<qint64>(end);
    return std::make_pair(std::max<qint64>(first - 1, 0), last);
}

} // namespace

void DrawTransparencySample(float cell, float width, float height, float scale, QRectF clip,
                            float grey)
{
    GUARD_BEGIN
    if (!(cell >= 1))
        return;
    const double s = cell;
    const double pitch = 2 * s;
    const auto columns =
        pairRange(pitch, double(width) * double(scale), clip.x(), clip.x() + clip.width());
    const auto rows =
        pairRange(pitch, double(height) * double(scale), clip.y(), clip.y() + clip.height());
    GraphicsContext *context = GraphicsContext::currentContext();
    if (!columns || !rows || !context || !context->painter())
        return;
    const Color colour = Color::calibratedWhite(unitInterval(grey), 1.0);
    context->setColor(colour.toQColor());
    if (gAppSetting.gridSnap == 0) {
        for (qint64 i = columns->first; i <= columns->second; ++i) {
            for (qint64 j = rows->first; j <= rows->second; ++j) {
                context->fillRect(QRectF(pitch * double(i) + s, pitch * double(j), s, s));
                context->fillRect(QRectF(pitch * double(i), pitch * double(j) + s, s, s));
            }
        }
        return;
    }
    BezierPath grid;
    const double bottom = pitch * double(rows->second + 1);
    const double right = pitch * double(columns->second + 1);
    for (qint64 i = columns->first; i <= columns->second; ++i) {
        for (const double x : {pitch * double(i), pitch * double(i) + s}) {
            grid.moveToPoint(QPointF(x, 0));
            grid.lineToPoint(QPointF(x, bottom));
        }
    }
    for (qint64 j = rows->first; j <= rows->second; ++j) {
        for (const double y : {pitch * double(j), pitch * double(j) + s}) {
            grid.moveToPoint(QPointF(0, y));
            grid.lineToPoint(QPointF(right, y));
        }
    }
    grid.stroke();
    GUARD_END_VOID
}

// Colour names
// ---------------------------------------------------------------------------------------

namespace {

// The CSS Color Module Level 3 keywords (the SVG 1.1 colour names, "grey" spellings included),
// then the CSS 2 system colours with fixed values.
constexpr std::array<SystemColorName, 175> kSystemColors = {{
    {"aliceblue", 240, 248, 255, 255},
    {"antiquewhite", 250, 235, 215, 255},
    {"aqua", 0, 255, 255, 255},
    {"aquamarine", 127, 255, 212, 255},
    {"azure", 240, 255, 255, 255},
    {"beige", 245, 245, 220, 255},
    {"bisque", 255, 228, 196, 255},
    {"black", 0, 0, 0, 255},
    {"blanchedalmond", 255, 235, 205, 255},
    {"blue", 0, 0, 255, 255},
    {"blueviolet", 138, 43, 226, 255},
    {"brown", 165, 42, 42, 255},
    {"burlywood", 222, 184, 135, 255},
    {"cadetblue", 95, 158, 160, 255},
    {"chartreuse", 127, 255, 0, 255},
    {"chocolate", 210, 105, 30, 255},
    {"coral", 255, 127, 80, 255},
    {"cornflowerblue", 100, 149, 237, 255},
    {"cornsilk", 255, 248, 220, 255},
    {"crimson", 220, 20, 60, 255},
    {"cyan", 0, 255, 255, 255},
    {"darkblue", 0, 0, 139, 255},
    {"darkcyan", 0, 139, 139, 255},
    {"darkgoldenrod", 184, 134, 11, 255},
    {"darkgray", 169, 169, 169, 255},
    {"darkgreen", 0, 100, 0, 255},
    {"darkgrey", 169, 169, 169, 255},
    {"darkkhaki", 189, 183, 107, 255},
    {"darkmagenta", 139, 0, 139, 255},
    {"darkolivegreen", 85, 107, 47, 255},
    {"darkorange", 255, 140, 0, 255},
    {"darkorchid", 153, 50, 204, 255},
    {"darkred", 139, 0, 0, 255},
    {"darksalmon", 233, 150, 122, 255},
    {"darkseagreen", 143, 188, 143, 255},
    {"darkslateblue", 72, 61, 139, 255},
    {"darkslategray", 47, 79, 79, 255},
    {"darkslategrey", 47, 79, 79, 255},
    {"darkturquoise", 0, 206, 209, 255},
    {"darkviolet", 148, 0, 211, 255},
    {"deeppink", 255, 20, 147, 255},
    {"deepskyblue", 0, 191, 255, 255},
    {"dimgray", 105, 105, 105, 255},
    {"dimgrey", 105, 105, 105, 255},
    {"dodgerblue", 30, 144, 255, 255},
    {"firebrick", 178, 34, 34, 255},
    {"floralwhite", 255, 250, 240, 255},
    {"forestgreen", 34, 139, 34, 255},
    {"fuchsia", 255, 0, 255, 255},
    {"gainsboro", 220, 220, 220, 255},
    {"ghostwhite", 248, 248, 255, 255},
    {"gold", 255, 215, 0, 255},
    {"goldenrod", 218, 165, 32, 255},
    {"gray", 128, 128, 128, 255},
    {"green", 0, 128, 0, 255},
    {"greenyellow", 173, 255, 47, 255},
    {"grey", 128, 128, 128, 255},
    {"honeydew", 240, 255, 240, 255},
    {"hotpink", 255, 105, 180, 255},
    {"indianred", 205, 92, 92, 255},
    {"indigo", 75, 0, 130, 255},
    {"ivory", 255, 255, 240, 255},
    {"khaki", 240, 230, 140, 255},
    {"lavender", 230, 230, 250, 255},
    {"lavenderblush", 255, 240, 245, 255},
    {"lawngreen", 124, 252, 0, 255},
    {"lemonchiffon", 255, 250, 205, 255},
    {"lightblue", 173, 216, 230, 255},
    {"lightcoral", 240, 128, 128, 255},
    {"lightcyan", 224, 255, 255, 255},
    {"lightgoldenrodyellow", 250, 250, 210, 255},
    {"lightgray", 211, 211, 211, 255},
    {"lightgreen", 144, 238, 144, 255},
    {"lightgrey", 211, 211, 211, 255},
    {"lightpink", 255, 182, 193, 255},
    {"lightsalmon", 255, 160, 122, 255},
    {"lightseagreen", 32, 178, 170, 255},
    {"lightskyblue", 135, 206, 250, 255},
    {"lightslategray", 119, 136, 153, 255},
    {"lightslategrey", 119, 136, 153, 255},
    {"lightsteelblue", 176, 196, 222, 255},
    {"lightyellow", 255, 255, 224, 255},
    {"lime", 0, 255, 0, 255},
    {"limegreen", 50, 205, 50, 255},
    {"linen", 250, 240, 230, 255},
    {"magenta", 255, 0, 255, 255},
    {"maroon", 128, 0, 0, 255},
    {"mediumaquamarine", 102, 205, 170, 255},
    {"mediumblue", 0, 0, 205, 255},
    {"mediumorchid", 186, 85, 211, 255},
    {"mediumpurple", 147, 112, 219, 255},
    {"mediumseagreen", 60, 179, 113, 255},
    {"mediumslateblue", 123, 104, 238, 255},
    {"mediumspringgreen", 0, 250, 154, 255},
    {"mediumturquoise", 72, 209, 204, 255},
    {"mediumvioletred", 199, 21, 133, 255},
    {"midnightblue", 25, 25, 112, 255},
    {"mintcream", 245, 255, 250, 255},
    {"mistyrose", 255, 228, 225, 255},
    {"moccasin", 255, 228, 181, 255},
    {"navajowhite", 255, 222, 173, 255},
    {"navy", 0, 0, 128, 255},
    {"oldlace", 253, 245, 230, 255},
    {"olive", 128, 128, 0, 255},
    {"olivedrab", 107, 142, 35, 255},
    {"orange", 255, 165, 0, 255},
    {"orangered", 255, 69, 0, 255},
    {"orchid", 218, 112, 214, 255},
    {"palegoldenrod", 238, 232, 170, 255},
    {"palegreen", 152, 251, 152, 255},
    {"paleturquoise", 175, 238, 238, 255},
    {"palevioletred", 219, 112, 147, 255},
    {"papayawhip", 255, 239, 213, 255},
    {"peachpuff", 255, 218, 185, 255},
    {"peru", 205, 133, 63, 255},
    {"pink", 255, 192, 203, 255},
    {"plum", 221, 160, 221, 255},
    {"powderblue", 176, 224, 230, 255},
    {"purple", 128, 0, 128, 255},
    {"red", 255, 0, 0, 255},
    {"rosybrown", 188, 143, 143, 255},
    {"royalblue", 65, 105, 225, 255},
    {"saddlebrown", 139, 69, 19, 255},
    {"salmon", 250, 128, 114, 255},
    {"sandybrown", 244, 164, 96, 255},
    {"seagreen", 46, 139, 87, 255},
    {"seashell", 255, 245, 238, 255},
    {"sienna", 160, 82, 45, 255},
    {"silver", 192, 192, 192, 255},
    {"skyblue", 135, 206, 235, 255},
    {"slateblue", 106, 90, 205, 255},
    {"slategray", 112, 128, 144, 255},
    {"slategrey", 112, 128, 144, 255},
    {"snow", 255, 250, 250, 255},
    {"springgreen", 0, 255, 127, 255},
    {"steelblue", 70, 130, 180, 255},
    {"tan", 210, 180, 140, 255},
    {"teal", 0, 128, 128, 255},
    {"thistle", 216, 191, 216, 255},
    {"tomato", 255, 99, 71, 255},
    {"turquoise", 64, 224, 208, 255},
    {"violet", 238, 130, 238, 255},
    {"wheat", 245, 222, 179, 255},
    {"white", 255, 255, 255, 255},
    {"whitesmoke", 245, 245, 245, 255},
    {"yellow", 255, 255, 0, 255},
    {"yellowgreen", 154, 205, 50, 255},
    {"activeborder", 255, 255, 255, 255},
    {"activecaption", 204, 204, 204, 255},
    {"appworkspace", 255, 255, 255, 255},
    {"background", 101, 94, 209, 255},
    {"buttonface", 240, 240, 240, 255},
    {"buttonhighlight", 255, 255, 255, 255},
    {"buttonshadow", 220, 220, 220, 255},
    {"buttontext", 0, 0, 0, 255},
    {"captiontext", 0, 0, 0, 255},
    {"graytext", 127, 127, 127, 255},
    {"highlight", 0, 100, 220, 255},
    {"highlighttext", 255, 255, 255, 255},
    {"inactiveborder", 255, 255, 255, 255},
    {"inactivecaption", 255, 255, 255, 255},
    {"inactivecaptiontext", 69, 69, 69, 255},
    {"infobackground", 255, 255, 196, 255},
    {"infotext", 0, 0, 0, 255},
    {"menu", 255, 255, 255, 255},
    {"menutext", 0, 0, 0, 255},
    {"scrollbar", 170, 170, 170, 255},
    {"threeddarkshadow", 220, 220, 220, 255},
    {"threedface", 240, 240, 240, 255},
    {"threedhighlight", 255, 255, 255, 255},
    {"threedlightshadow", 218, 218, 218, 255},
    {"threedshadow", 224, 224, 224, 255},
    {"window", 255, 255, 255, 255},
    {"windowframe", 204, 204, 204, 255},
    {"windowtext", 0, 0, 0, 255},
}};

// The 140 HTML colour names grouped by hue; darkseagreen is 143, 188, 139 here.
constexpr std::array<HtmlColorName, 140> kHtmlColors = {{
    {"lightcoral", 240, 128, 128},
    {"rosybrown", 188, 143, 143},
    {"indianred", 205, 92, 92},
    {"red", 255, 0, 0},
    {"darkred", 139, 0, 0},
    {"maroon", 128, 0, 0},
    {"firebrick", 178, 34, 34},
    {"brown", 165, 42, 42},
    {"snow", 255, 250, 250},
    {"mistyrose", 255, 228, 225},
    {"salmon", 250, 128, 114},
    {"tomato", 255, 99, 71},
    {"darksalmon", 233, 150, 122},
    {"coral", 255, 127, 80},
    {"orangered", 255, 69, 0},
    {"lightsalmon", 255, 160, 122},
    {"sienna", 160, 82, 45},
    {"seashell", 255, 245, 238},
    {"saddlebrown", 139, 69, 19},
    {"chocolate", 210, 105, 30},
    {"sandybrown", 244, 164, 96},
    {"peachpuff", 255, 218, 185},
    {"peru", 205, 133, 63},
    {"linen", 250, 240, 230},
    {"bisque", 255, 228, 196},
    {"darkorange", 255, 140, 0},
    {"burlywood", 222, 184, 135},
    {"antiquewhite", 250, 235, 215},
    {"tan", 210, 180, 140},
    {"navajowhite", 255, 222, 173},
    {"blanchedalmond", 255, 235, 205},
    {"papayawhip", 255, 239, 213},
    {"moccasin", 255, 228, 181},
    {"orange", 255, 165, 0},
    {"wheat", 245, 222, 179},
    {"oldlace", 253, 245, 230},
    {"floralwhite", 255, 250, 240},
    {"darkgoldenrod", 184, 134, 11},
    {"goldenrod", 218, 165, 32},
    {"cornsilk", 255, 248, 220},
    {"gold", 255, 215, 0},
    {"lemonchiffon", 255, 250, 205},
    {"khaki", 240, 230, 140},
    {"palegoldenrod", 238, 232, 170},
    {"darkkhaki", 189, 183, 107},
    {"yellow", 255, 255, 0},
    {"olive", 128, 128, 0},
    {"lightgoldenrodyellow", 250, 250, 210},
    {"lightyellow", 255, 255, 224},
    {"beige", 245, 245, 220},
    {"ivory", 255, 255, 240},
    {"olivedrab", 107, 142, 35},
    {"yellowgreen", 154, 205, 50},
    {"darkolivegreen", 85, 107, 47},
    {"greenyellow", 173, 255, 47},
    {"chartreuse", 127, 255, 0},
    {"lawngreen", 124, 252, 0},
    {"darkseagreen", 143, 188, 139},
    {"lime", 0, 255, 0},
    {"green", 0, 128, 0},
    {"darkgreen", 0, 100, 0},
    {"limegreen", 50, 205, 50},
    {"forestgreen", 34, 139, 34},
    {"lightgreen", 144, 238, 144},
    {"palegreen", 152, 251, 152},
    {"honeydew", 240, 255, 240},
    {"seagreen", 46, 139, 87},
    {"mediumseagreen", 60, 179, 113},
    {"springgreen", 0, 255, 127},
    {"mintcream", 245, 255, 250},
    {"mediumspringgreen", 0, 250, 154},
    {"mediumaquamarine", 102, 205, 170},
    {"aquamarine", 127, 255, 212},
    {"turquoise", 64, 224, 208},
    {"lightseagreen", 32, 178, 170},
    {"mediumturquoise", 72, 209, 204},
    {"aqua", 0, 255, 255},
    {"cyan", 0, 255, 255},
    {"darkcyan", 0, 139, 139},
    {"teal", 0, 128, 128},
    {"darkslategray", 47, 79, 79},
    {"paleturquoise", 175, 238, 238},
    {"lightcyan", 224, 255, 255},
    {"azure", 240, 255, 255},
    {"darkturquoise", 0, 206, 209},
    {"cadetblue", 95, 158, 160},
    {"powderblue", 176, 224, 230},
    {"lightblue", 173, 216, 230},
    {"deepskyblue", 0, 191, 255},
    {"skyblue", 135, 206, 235},
    {"lightskyblue", 135, 206, 250},
    {"steelblue", 70, 130, 180},
    {"aliceblue", 240, 248, 255},
    {"dodgerblue", 30, 144, 255},
    {"slategray", 112, 128, 144},
    {"lightslategray", 119, 136, 153},
    {"lightsteelblue", 176, 196, 222},
    {"cornflowerblue", 100, 149, 237},
    {"royalblue", 65, 105, 225},
    {"blue", 0, 0, 255},
    {"mediumblue", 0, 0, 205},
    {"darkblue", 0, 0, 139},
    {"navy", 0, 0, 128},
    {"midnightblue", 25, 25, 112},
    {"lavender", 230, 230, 250},
    {"ghostwhite", 248, 248, 255},
    {"slateblue", 106, 90, 205},
    {"darkslateblue", 72, 61, 139},
    {"mediumslateblue", 123, 104, 238},
    {"mediumpurple", 147, 112, 219},
    {"blueviolet", 138, 43, 226},
    {"indigo", 75, 0, 130},
    {"darkorchid", 153, 50, 204},
    {"darkviolet", 148, 0, 211},
    {"mediumorchid", 186, 85, 211},
    {"fuchsia", 255, 0, 255},
    {"magenta", 255, 0, 255},
    {"darkmagenta", 139, 0, 139},
    {"purple", 128, 0, 128},
    {"violet", 238, 130, 238},
    {"plum", 221, 160, 221},
    {"thistle", 216, 191, 216},
    {"orchid", 218, 112, 214},
    {"mediumvioletred", 199, 21, 133},
    {"deeppink", 255, 20, 147},
    {"hotpink", 255, 105, 180},
    {"lavenderblush", 255, 240, 245},
    {"palevioletred", 219, 112, 147},
    {"crimson", 220, 20, 60},
    {"pink", 255, 192, 203},
    {"lightpink", 255, 182, 193},
    {"white", 255, 255, 255},
    {"whitesmoke", 245, 245, 245},
    {"gainsboro", 220, 220, 220},
    {"lightgray", 211, 211, 211},
    {"silver", 192, 192, 192},
    {"darkgray", 169, 169, 169},
    {"gray", 128, 128, 128},
    {"dimgray", 105, 105, 105},
    {"black", 0, 0, 0},
}};

// The trimmed, lower-cased name; empty (with the not-found line) when nothing is left.
QString lookupName(const QString &name, const char *function)
{
    const QString trimmed = name.trimmed().toLower();
    if (trimmed.isEmpty())
        platform::Log(
            lcGraphics,
            QStringLiteral("*** ERROR %1 not found: name NULL").arg(QLatin1String(function)));
    return trimmed;
}

void logNotFound(const char *function, const QString &name)
{
    platform::Log(lcGraphics,
                  QStringLiteral("*** ERROR %1 not found: %2").arg(QLatin1String(function), name));
}

} // namespace

std::span<const SystemColorName> SystemColorTable()
{
    return kSystemColors;
}

std::span<const HtmlColorName> HtmlColorTable()
{
    return kHtmlColors;
}

Color ColorFromSystemName(const QString &name)
{
    const QString key = lookupName(name, "ColorFromSystemName");
    if (key.isEmpty())
        return {};
    for (const SystemColorName &entry : kSystemColors) {
        if (key.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return Color::calibratedRGB(entry.r / 255.0, entry.g / 255.0, entry.b / 255.0,
                                        entry.a / 255.0);
    }
    logNotFound("ColorFromSystemName", key);
    return {};
}

Color ColorFromHtmlName(const QString &name)
{
    const QString key = lookupName(name, "ColorFromHtmlName");
    if (key.isEmpty())
        return {};
    for (const HtmlColorName &entry : kHtmlColors) {
        if (key == QLatin1String(entry.name))
            return Color::calibratedRGB(entry.r / 255.0, entry.g / 255.0, entry.b / 255.0, 1.0);
    }
    logNotFound("ColorFromHtmlName", key);
    return {};
}
