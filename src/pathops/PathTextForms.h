#pragma once
// A path's stored forms and identity: the compact text form ("M;x;y@" records), the
// property-list form, element-by-element equality with a matching hash, and a comparison of two
// strokes that ignores direction and end caps. Texts are written and read in the C locale.

#include "platform/BezierPath.h"

#include <QPointF>
#include <QString>
#include <QVariantMap>
#include <cstddef>
#include <map>
#include <optional>

// "{x, y}" in the shortest text that reads back as the same doubles.
QString StringFromPoint(QPointF p);
// Leniently read: each coordinate skips leading space and a "{", reads what number there is and
// ignores what follows; a missing or unreadable coordinate is 0.
QPointF PointFromString(const QString &text);
// The leading number of a text, in the C locale: 0 when there is none, +-inf past the range.
double LeadingNumberOfText(QStringView text);

// "" for a path without elements.
QString pathToString(const platform::BezierPath &path);
// No path for a null or empty text, or for a record that lacks one of its numbers.
std::optional<platform::BezierPath> pathFromString(const QString &text);

QVariantMap propertyListRepresentation(const platform::BezierPath &path);
// Appends the elements the dictionary describes; entries it cannot read add nothing.
void loadPropertyListRepresentation(platform::BezierPath &path, const QVariantMap &plist);

// Same element kinds and points, compared exactly; a path is always equal to itself.
bool isEqual(const platform::BezierPath &path, const platform::BezierPath *other);
// Equal paths hash alike, and so do paths equal by the class's own comparison.
quint64 hash(const platform::BezierPath &path);

// Each straight or curved piece the path strokes, written the same whichever way it runs,
// with how often it is stroked.
using EncodedStrokeSegments = std::map<QString, qint64>;
EncodedStrokeSegments countedSetOfEncodedStrokeSegments(const platform::BezierPath &path);
bool strokesSimilarlyIgnoringEndcapsToPath(const platform::BezierPath &path,
                                           const platform::BezierPath &other);

template <> struct std::hash<platform::BezierPath>
{
    std::size_t operator()(const platform::BezierPath &path) const noexcept
    {
        return std::size_t(::hash(path));
    }
};
