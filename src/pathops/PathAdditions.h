#pragma once
// Path builders and drawing helpers: rectangles with a chosen set of rounded corners (two
// families that number their corners differently), the outline of a text in a font, a text
// outline fitted and aligned into a frame, a shadow thrown inside a path, and a rounded
// rectangle with four radii added to a context's current path.

#include "platform/BezierPath.h"
#include "platform/GraphicsContext.h"

#include <QFont>
#include <QRectF>
#include <QString>

// Family A corners, in y-up terms: 1 (minX, maxY), 2 (maxX, maxY), 4 (maxX, minY), 8 (minX, minY).
enum RoundedRectangleCorner : unsigned {
    kRoundedCornerMinXMaxY = 1,
    kRoundedCornerMaxXMaxY = 2,
    kRoundedCornerMaxXMinY = 4,
    kRoundedCornerMinXMinY = 8,
    kRoundedCornersAll = 15,
    kRoundedCornersLeft = 9,
    kRoundedCornersRight = 6,
};

// Family A: appends a closed rectangle whose corners named in `corners` are rounded with
// `radius` (at most half the smaller side). An empty rect adds nothing.
void appendBezierPathWithRoundedRectangle(platform::BezierPath &path, QRectF rect, unsigned corners,
                                          double radius);
void appendBezierPathWithRoundedRectangle(platform::BezierPath &path, QRectF rect, double radius);
void appendBezierPathWithLeftRoundedRectangle(platform::BezierPath &path, QRectF rect,
                                              double radius);
void appendBezierPathWithRightRoundedRectangle(platform::BezierPath &path, QRectF rect,
                                               double radius);
platform::BezierPath bezierPathWithRoundedRectangle(QRectF rect, unsigned corners, double radius);

// Family B corners, in an unflipped context: 1 (minX, minY), 2 (maxX, minY), 4 (minX, maxY),
// 8 (maxX, maxY). In a flipped current context the top and bottom pairs trade places first.
// The rectangle starts at the middle of the minY side and is closed.
void appendBezierPathWithRoundedRect(platform::BezierPath &path, QRectF rect, unsigned corners,
                                     double radius);
platform::BezierPath bezierPathWithRoundedRect(QRectF rect, unsigned corners, double radius);
// The mask family B uses in a flipped context.
unsigned flippedRoundedRectCorners(unsigned corners);

// Appends the outlines of `text` typeset in `font`, baseline at the current point (the origin
// for an empty path). Outlines come as the glyphs stand in a y-down view.
void appendBezierPathWithString(platform::BezierPath &path, const QString &text, const QFont &font);
platform::BezierPath bezierPathWithString(const QString &text, const QFont &font);

// Draws `shadow` inside the path's area in the current context; the context's state is left as
// it was. The shadow's offset is in the context's coordinates.
void applyInnerShadow(const platform::BezierPath &path, const platform::Shadow &shadow);

// Fills the outline of `text`, scaled to fit `frame` with its box of ascent plus descent
// centred, then pushed to the left (0) or right (1) side; centred (2) and justified (3) stay
// centred. A null font raises the parameter assertion.
void AKDrawStringAlignedInFrame(const QString &text, const QFont *font, int alignment,
                                QRectF frame);

// Adds a closed rectangle to `context` (a drawing context's current path) whose corner (x, y)
// is rounded by r0, (x + w, y) by r1, (x, y + h) by r2 and (x + w, y + h) by r3.
void addRoundedRectToContext(double r0, double r1, double r2, double r3,
                             platform::BezierPath &context, QRectF rect);
