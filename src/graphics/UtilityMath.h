#pragma once
// The plane geometry in one include: drawing helpers, angles and vectors, arcs, lines and hit
// tests, rects, transforms and shape paths.

#include "graphics/DrawingUtility.h"
#include "graphics/UtilityMathAngles.h"
#include "graphics/UtilityMathArcs.h"
#include "graphics/UtilityMathLines.h"
#include "graphics/UtilityMathRects.h"
#include "graphics/UtilityMathShapes.h"
#include "graphics/UtilityMathTransforms.h"
