#pragma once
// Every tolerance of the boolean-operation engine, with what it means. Distances are in the
// engine's frame (both operands scaled so that their box is 64 to 128 units across) unless a
// sentence calls them a share of a size; sines are of the angle between two directions.

// Two points (or values) within this distance are one, in the engine's 64-128 unit frame.
inline constexpr double FBPointClosenessThreshold = 1e-10;

// How far apart, as a share of the larger side of the smaller curve's box, curves may run and
// still be one shared stretch.
inline constexpr double FBCurveStretchTolerance = 2e-4;

// Curves of a shared stretch lying farther apart than this share of their coordinates (one plus
// the largest) somewhere along it bound a sliver: they are two outlines, not one, crossing where
// the distance between them changes sign. A hundred times the distance a piece's point must keep
// from the other outline to be told inside or outside (FBTol_PieceOffOutline): a thinner sliver
// could not be told from the outline, and is one with it.
inline constexpr double FBTol_StretchApart = 1e-6;

// A line whose ends lie this close is a point to the distance from it (as a single-precision
// value).
inline constexpr double FBTol_DegenerateLineLength = double(0.02f);

// A curve whose four points all lie within this of its first is a point.
inline constexpr double FBTol_PointCurveSpread = 1e-5;

// A curve this size (in the engine's frame) or larger meets the fixed distances above; where a
// pair of curves met is smaller (a speck on a glyph's side), the distances that decide between
// them shrink with the smaller curve, so that it is searched, cut and tested at its own scale.
inline constexpr double FBTol_FixedScaleCurveSize = 1.0;

// The rounding of a computed point, as a share of its coordinates (1 + the largest): no distance
// taken at a small curve's scale is smaller.
inline constexpr double FBTol_CoordinateRounding = 1e-14;

// A fixed distance `fixed` as it applies between curves whose smaller one is `smallerSize` across,
// near coordinates as large as `coordinates`.
constexpr double FBTol_AtCurveSize(double fixed, double smallerSize, double coordinates = 0.0)
{
    const double scaled = fixed * (smallerSize / FBTol_FixedScaleCurveSize);
    const double rounding = FBTol_CoordinateRounding * (1.0 + coordinates);
    return scaled >= fixed     ? fixed
           : scaled > rounding ? scaled
           : rounding < fixed  ? rounding
                               : fixed;
}

// The rounding of a product of two differences, as a share of the sum of the products' sizes:
// points whose cross product lies within it (or within FBPointClosenessThreshold) are on one line.
inline constexpr double FBTol_ProductRounding = 8 * 2.220446049250313e-16;

// Curves within this ratio of each other's size are of like size, and a share of "the curves'
// size" is of the larger side of their joint box; between curves farther apart in size it is of
// this many times the smaller curve's size, so that a speck on a long side is judged at its own
// scale, not the side's.
inline constexpr double FBTol_LikeSizeRatio = 100.0;

// A range of the curve search has converged when its piece, besides having six places, is no
// longer than this share of the smaller curve's size (a long side against a speck).
inline constexpr double FBTol_ConvergedPieceShare = 1e-4;

// Points of both curves at an answered crossing lie at most this far apart, at any size.
inline constexpr double FBTol_CrossingPoint = 1e-3;

// Or at most this share of both curves' sizes: ranges converged to six places still leave that
// much.
inline constexpr double FBTol_ConvergedPointSpread = 1e-5;

// A parameter range no wider than this has converged, whatever its digits.
inline constexpr double FBTol_PointRangeWidth = 1e-12;

// How far from one line the ends of two straight lines may lie, as a share of their coordinates,
// and still lie on it.
inline constexpr double FBTol_Collinear = 1e-9;

// How far two clipped ranges may pass each other by rounding alone.
inline constexpr double FBTol_InvertedRange = 1e-9;

// How near an end of its curve, by parameter, a shared stretch reads as reaching that end when
// stretches are chained.
inline constexpr double FBTol_RunEndReach = 1e-5;

// A stretch two straight lines share within FBTol_RunEndReach of the first line's end (by its
// parameter) meets it at a point only while it is no longer than this share of the shorter line.
inline constexpr double FBTol_ShortStretchShare = 1e-2;

// Pieces of both curves this short (by parameter) are straight enough for their chords to tell a
// crossing.
inline constexpr double FBTol_ShortPieceRange = 1e-3;

// Pieces whose chords cut across at a sine under this may pass a hair apart: their chords do not
// tell.
inline constexpr double FBTol_ShortPieceCrossingSine = 0.05;

// A crossing a clip shaved off lies where both curves pass within this share of their sizes of one
// point at a corner of the ranges.
inline constexpr double FBTol_LostCrossingSpread = 1e-7;

// Such a crossing must lie at least this far (by parameter) inside both curves; nearer an end the
// joint decides.
inline constexpr double FBTol_LostCrossingEndMargin = 1e-5;

// Curves cutting across at a sine at least this all the way are followed by Newton's steps to a
// shaved shallow crossing.
inline constexpr double FBTol_ShallowCrossingSine = 1e-4;

// A stretch too short to be one (a speck) this near an end, by parameter, is left to the joint.
inline constexpr double FBTol_SpeckEndReach = 1e-3;

// Hits whose Newton's steps settle within this of each other, in both parameters, are one shallow
// crossing.
inline constexpr double FBTol_SameShallowCrossing = 1e-7;

// A hit within this of a curve's end, by parameter, is near that end (also the end reach of ranges
// and joints).
inline constexpr double FBTol_EndParameter = 1e-5;

// Directions at a hit within this of each other make it a tangent, not a crossing.
inline constexpr double FBTol_TangentClose = 1e-7;

// How far an end point may lie from the other curve and still be on it, relative to the
// coordinates: rounding, not geometry.
inline constexpr double FBTol_EndPointOffCurve = 1e-9;

// How near a point may lie to a curve's end point in space to be at it, whatever its parameter (a
// very short piece).
inline constexpr double FBTol_EndPointNear = 1e-8;

// Edges leaving a joint at a sine over this from a curve passing there lie clearly on one side of
// it.
inline constexpr double FBTol_JointClearSine = 1e-3;

// Curves cutting across at a sine under this are too shallow for Newton's steps to place their
// crossing surely.
inline constexpr double FBTol_ExactCrossingSine = 0.05;

// A hit just past a shared run's end where the curves leave at a sine under this is the run's own
// passage again.
inline constexpr double FBTol_RunEndTangentSine = 1e-2;

// Such a hit lies within this share of the shorter edge of the run's end.
inline constexpr double FBTol_RunEndHitReach = 1.0 / 16;

// A hit within this share of the curves' size of a joint the curve runs into along the other is
// moved to that joint.
inline constexpr double FBTol_JointRunIntoReach = 1e-2;

// Directions within a sine of this of each other run along each other (branches at a joint, a
// curve into its joint).
inline constexpr double FBTol_AlongSine = 1e-3;

// A hair: a branch up to a joint no longer than this share of the curves' size is a tail that
// tells no side.
inline constexpr double FBTol_Hair = 1e-4;

// A joint a tail away from a hit lies on the other curve within this share of the curves' size.
inline constexpr double FBTol_JointOnOther = 1e-7;

// Sides of a shared stretch nearer than this (in the 64-128 frame) lie on each other: rounding,
// not a move.
inline constexpr double FBTol_SidesApart = 1e-9;

// A shared stretch shorter than this many stretch tolerances is left to the search: there a
// crossing, a touch and a stretch look alike.
inline constexpr double FBTol_ShortestStretch = 10.0;

// Curves whose directions at a joint part by a sine under this run along each other, and are cut
// at each other's joints.
inline constexpr double FBTol_CutRunSine = 1e-2;

// A curve leaves a joint along another when it stays within the stretch tolerance that far (as a
// share) along it.
inline constexpr double FBTol_CutBendShare = 0.25;

// Two cuts of one curve within this share of its size are one.
inline constexpr double FBTol_SameCut = 1e-9;

// A point within this share of a curve's size of it lies on it, for rejoining cuts.
inline constexpr double FBTol_OnCurve = 1e-8;

// A point's inside ray meeting an edge at a sine under this grazes it, and decides nothing.
inline constexpr double FBTol_InsideRayGrazingSine = 1e-2;

// A probe ray (a piece's point, a contour's clear point) meeting an edge at a sine under this
// decides nothing.
inline constexpr double FBTol_ProbeRayGrazingSine = 1e-3;

// A probe ray meeting a curve this near its end, by parameter, meets a joint and decides nothing.
inline constexpr double FBTol_ProbeRayJointReach = 1e-6;

// Containment: crossings found on different curves at one point differ by this share of the
// coordinates.
inline constexpr double FBTol_ExtentSlack = 1e-9;

// Containment: a container crossing the ray within this share of the tested contour's size of an
// end of its extent runs through that end.
inline constexpr double FBTol_TouchReach = 1e-8;

// A point of a contour farther than this share of the graph's size from every outline is clear of
// them.
inline constexpr double FBTol_ClearOfOutlines = 1e-7;

// Newton's steps placing a ray's hit on a curve may move its parameter at most this far.
inline constexpr double FBTol_PreciseHitReach = 1e-3;

// A ray this near a joint (a share of the size and place) passes beside it, where rounding decides
// which side.
inline constexpr double FBTol_BesideJoint = 1e-7;

// Points of a contour touching its container count for the hole mark when farther than this share
// of their size from it.
inline constexpr double FBTol_ClearOfContainer = 1e-6;

// Coinciding contours whose areas differ by more than this share are a hair apart, not one
// outline.
inline constexpr double FBTol_SameArea = 1e-9;

// A ray crosses a curve clearly (no search needed) at least this far inside both, by parameter,
inline constexpr double FBTol_ClearRayParameter = 1e-3;

// and at a sine of at least this.
inline constexpr double FBTol_ClearRaySine = 1e-3;

// A piece's point must lie farther than this share of its coordinates from the other outline for
// its rays to be aimed away from that outline.
inline constexpr double FBTol_PieceOffOutline = 1e-8;

// A piece along the other outline all its length is read at points this many stretch tolerances
// off it on either side (the nearer when the farther come near another outline).
inline constexpr double FBTol_AlongOffsets[] = {16.0, 4.0};

// A piece's point this far from the other outline is tested at once, without looking for a point
// of the piece farther from it.
inline constexpr double FBTol_PieceWellClear = 16 * FBTol_CrossingPoint;

// A probe ray from a point off a long curve is searched in pieces, the first this many times the
// point's distance off that outline long and each next one this many times the one before.
inline constexpr double FBTol_RayPieceGrowth = 16.0;
