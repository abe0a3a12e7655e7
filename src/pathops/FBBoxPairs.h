#pragma once
// Which boxes of two lists meet, found through a tree of boxes instead of trying every pair: the
// all-pairs loops of the graph visit only pairs that can meet, in the order they would have. The
// work and the memory grow with the pairs that meet (boxes nested round one centre meet none of
// each other's edges), and a long search looks for a cancel as it goes.

#include <QRectF>
#include <utility>
#include <vector>

// Whether two boxes meet, touching included, with a pad against rounding.
bool FBBoxPairs_BoxesMeet(const QRectF &a, const QRectF &b);

// Whether `outer` holds `inner` (or the point), edges included, with the same pad; a box with a
// coordinate that is not finite holds and is held by everything. A closed outline can only
// surround what lies within its box, so containment is only tried where one box holds the other.
bool FBBoxPairs_BoxHolds(const QRectF &outer, const QRectF &inner);
bool FBBoxPairs_BoxHoldsPoint(const QRectF &outer, QPointF point);

// Every (i, j) with first[i] meeting second[j], sorted by i, then j. Throw platform::Exception
// when the running combination is cancelled or runs out of time.
std::vector<std::pair<size_t, size_t>> FBBoxPairs_Meeting(const std::vector<QRectF> &first,
                                                          const std::vector<QRectF> &second);
// Every (i, j) with i < j whose boxes meet, sorted by i, then j; with `groups` (groups[i] names
// the group of boxes[i]), only those of different groups.
std::vector<std::pair<size_t, size_t>>
FBBoxPairs_MeetingWithin(const std::vector<QRectF> &boxes,
                         const std::vector<size_t> *groups = nullptr);

// For every group (groups[i] names the group of boxes[i], numbered from 0 below groupCount),
// whether one of its boxes meets a box of another group. Each group's search stops at its first
// such box, and a group already found met is not searched.
std::vector<bool> FBBoxPairs_GroupsMeetingOthers(const std::vector<QRectF> &boxes,
                                                 const std::vector<size_t> &groups,
                                                 size_t groupCount);

// For every box of `boxes`, whether it meets one of `others`; each search stops at the first.
std::vector<bool> FBBoxPairs_MeetingAny(const std::vector<QRectF> &boxes,
                                        const std::vector<QRectF> &others);
