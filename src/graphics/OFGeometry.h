#pragma once
// Rect geometry: constrain a rect into a boundary, how far a rect must move to fit, the best
// fitting candidate, rects cut around an obstacle, the largest free piece, a rect grown to take
// in a point, and the centre of the circle through three points. Lists hold boxed rects (a
// foreign item reads as the zero rect). The two routines with a precondition report it and go on.

#include <QPointF>
#include <QRectF>
#include <QVariant>
#include <QVariantList>

QVariant valueWithCGRect(QRectF rect);
QRectF CGRectValue(const QVariant &value);

QRectF OFConstrainRect(QRectF r, QRectF boundary);
double OFSquaredDistanceToFitRectInRect(QRectF source, QRectF destination);
// Among equal distances the candidate with the highest index wins; the zero rect for none.
QRectF OFBestFitRectInArray(QRectF source, const QVariantList &candidates);
// Every rect of the list that meets the obstacle is replaced by its pieces outside it (at least
// minWidth x minHeight); rects smaller than that are dropped.
void OFSplitRectsAroundRect(QVariantList *rects, QRectF obstacle, double minWidth,
                            double minHeight);
QRectF OFLargestPieceOutsideRect(QRectF r, QRectF obstacle, double minWidth, double minHeight);
QRectF OFRectExtendedToPoint(QRectF r, QPointF p);
// The zero point for points on one line.
QPointF OFCircumcenterOfPoints(QPointF p1, QPointF p2, QPointF p3);
