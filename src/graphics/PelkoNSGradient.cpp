#include "graphics/PelkoNSGradient.h"

#include "graphics/PelkoNSColor.h"
#include "platform/Guard.h"

using platform::Color;

QGradientStops initWithStartingColor2(const Color &startingColor, const Color &endingColor)
{
    GUARD_BEGIN
    Color start = startingColor;
    Color end = endingColor;
    if (!start.isValid()) {
        REPORT_FATAL();
        start = Color::white();
    }
    if (!end.isValid()) {
        REPORT_FATAL();
        end = Color::white();
    }
    return QGradientStops{{0.0, normalizeRGB(start).toQColor()},
                          {1.0, normalizeRGB(end).toQColor()}};
    GUARD_END((QGradientStops{{0.0, Qt::white}, {1.0, Qt::black}}))
}
