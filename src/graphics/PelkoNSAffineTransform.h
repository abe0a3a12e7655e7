#pragma once
// Affine transforms to and from Core Graphics, rects and lines through a transform, an inverted
// copy, mirror and change tests, and the tolerant comparison of two transforms. The tolerances
// are 32-bit float constants widened to 64 bits, so each acts as its nearest float.

#include <QPointF>
#include <QRectF>
#include <optional>

#include "graphics/UtilityMathAngles.h" // LINE_, the segment the line transforms take
#include "platform/AffineTransform.h"
#include "platform/CGPath.h"

platform::AffineTransform fromCg(const platform::CGAffineTransform &t);
platform::CGAffineTransform cgTransform(const platform::AffineTransform &t);
// The bounding box of the four transformed corners.
QRectF transformRect(const platform::AffineTransform &t, QRectF rect);
LINE_ transformLine(const platform::AffineTransform &t, const LINE_ &line);
// None for a transform that cannot be inverted.
std::optional<platform::AffineTransform> getInvert(const platform::AffineTransform &t);
// One axis reversed, or the axes swapped across a diagonal; the translation does not count.
bool isFlip(const platform::AffineTransform &t);
// Any of the six values more than 0.02 from the identity's.
bool IsWillChange(const platform::AffineTransform &t);
// All six values within 0.002; a null side reads as the identity.
bool SameTransform(const platform::AffineTransform *a, const platform::AffineTransform *b);
