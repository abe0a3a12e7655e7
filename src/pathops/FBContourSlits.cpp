// Splitting a traced contour where it runs along a level or upright side and back.

#include "pathops/FBContourSlits.h"

#include "pathops/FBBezierCurve.h"
#include "pathops/FBContourEdge.h"
#include "pathops/PathOperationState.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

namespace {

// Lines keep a coordinate all their points share exactly, so lines on one side compare equal.
struct LineKey
{
    bool level;
    double coordinate;
    bool operator<(const LineKey &other) const
    {
        return std::pair(level, coordinate) < std::pair(other.level, other.coordinate);
    }
};

std::optional<LineKey> axisLineKey(const FBBezierCurve &curve)
{
    if (!curve.isStraightLine())
        return std::nullopt;
    const QPointF a = curve.endPoint1();
    const QPointF b = curve.endPoint2();
    if (a == b)
        return std::nullopt;
    if (a.y() == b.y())
        return LineKey{true, a.y()};
    if (a.x() == b.x())
        return LineKey{false, a.x()};
    return std::nullopt;
}

double along(QPointF p, bool level)
{
    return level ? p.x() : p.y();
}

// The curves of all loops, each linked to the next of its loop. A stretch two lines run along
// opposite ways is cut out by relinking the pieces around it, whether the lines belong to one
// loop (which falls in two) or to two (which become one), so each cut costs the same however
// long the loops are.
class LoopNetwork
{
public:
    explicit LoopNetwork(const std::vector<FBBezierContourPtr> &contours)
    {
        for (size_t l = 0; l < contours.size(); ++l) {
            const auto &edges = contours[l]->edges();
            const int first = int(mNodes.size());
            mLoopFirst.push_back(first);
            mLoopSize.push_back(int(edges.size()));
            for (size_t k = 0; k < edges.size(); ++k) {
                const int next = k + 1 < edges.size() ? int(mNodes.size()) + 1 : first;
                const int previous = k > 0 ? int(mNodes.size()) - 1 : first + int(edges.size()) - 1;
                mNodes.push_back({edges[k]->curve(), next, previous, int(mNodes.size()), int(l)});
            }
        }
        mTouched.assign(contours.size(), false);
    }

    // Two loops running along one stretch the same way bound nothing there under the even-odd
    // rule either, yet cannot be joined as they run; the trace leaves such pairs where the
    // operands share sides with nothing between them. One loop of each such pair is turned round
    // (once, before any cut), so the stretch is cut like one run along both ways.
    void turnLoopsRunningAlongEachOther()
    {
        std::vector<bool> settled(mLoopFirst.size(), false);
        for (const auto &[key, nodes] : axisLines()) {
            PathOperation_CheckCancelAndTimeLimit();
            for (int side = 0; side < 2; ++side) {
                std::vector<Span> spans;
                for (int n : nodes) {
                    const FBBezierCurve &curve = *mNodes[size_t(n)].curve;
                    const double from = along(curve.endPoint1(), key.level);
                    const double to = along(curve.endPoint2(), key.level);
                    if ((to > from ? 0 : 1) == side)
                        spans.push_back({std::min(from, to), std::max(from, to), n});
                }
                std::sort(spans.begin(), spans.end());
                int reach = -1;
                for (const Span &span : spans) {
                    if (reach >= 0 && span.low < spanHigh(reach, key.level)) {
                        const int one = mNodes[size_t(reach)].loop;
                        const int other = mNodes[size_t(span.node)].loop;
                        if (one != other && !(settled[size_t(one)] && settled[size_t(other)])) {
                            turnLoop(settled[size_t(other)] ? one : other);
                            settled[size_t(one)] = settled[size_t(other)] = true;
                        }
                    }
                    if (reach < 0 || span.high > spanHigh(reach, key.level))
                        reach = span.node;
                }
            }
        }
    }

    // Cuts every stretch that two lines on one axis line run along opposite ways.
    void cutReversedStretches()
    {
        const std::map<LineKey, std::vector<int>> lines = axisLines();
        for (const auto &[key, nodes] : lines) {
            PathOperation_CheckCancelAndTimeLimit();
            cutOnLine(key.level, nodes);
        }
    }

    // The loops as contours, in the order of their first curves; a loop nothing was cut from is
    // its own contour.
    std::vector<FBBezierContourPtr> contours(const std::vector<FBBezierContourPtr> &original)
    {
        std::vector<std::pair<std::pair<int, int>, FBBezierContourPtr>> keyed;
        std::vector<bool> seen(mNodes.size(), false);
        for (int n = 0; n < int(mNodes.size()); ++n) {
            const Node &node = mNodes[size_t(n)];
            if (seen[size_t(n)] || node.removed)
                continue;
            if (!mTouched[size_t(node.loop)]) {
                for (int m = n; !seen[size_t(m)]; m = mNodes[size_t(m)].next)
                    seen[size_t(m)] = true;
                keyed.push_back({{node.rank, n}, original[size_t(node.loop)]});
                continue;
            }
            if ((n & 1023) == 0)
                PathOperation_CheckCancelAndTimeLimit();
            int start = n;
            for (int m = n; !seen[size_t(m)]; m = mNodes[size_t(m)].next) {
                seen[size_t(m)] = true;
                if (orderKey(m) < orderKey(start))
                    start = m;
            }
            auto contour = std::make_shared<FBBezierContour>();
            int m = start;
            do {
                contour->addCurve(mNodes[size_t(m)].curve);
                m = mNodes[size_t(m)].next;
            } while (m != start);
            keyed.push_back({orderKey(start), contour});
        }
        std::sort(keyed.begin(), keyed.end(),
                  [](const auto &a, const auto &b) { return a.first < b.first; });
        std::vector<FBBezierContourPtr> result;
        result.reserve(keyed.size());
        for (auto &entry : keyed)
            result.push_back(std::move(entry.second));
        return result;
    }

    bool cutAny() const { return mCut; }

private:
    std::map<LineKey, std::vector<int>> axisLines() const
    {
        std::map<LineKey, std::vector<int>> lines;
        for (int n = 0; n < int(mNodes.size()); ++n) {
            if (const std::optional<LineKey> key = axisLineKey(*mNodes[size_t(n)].curve))
                lines[*key].push_back(n);
        }
        return lines;
    }

    double spanHigh(int n, bool level) const
    {
        const FBBezierCurve &curve = *mNodes[size_t(n)].curve;
        return std::max(along(curve.endPoint1(), level), along(curve.endPoint2(), level));
    }

    // Runs loop l the other way: each curve reversed, each link swapped.
    void turnLoop(int l)
    {
        mTouched[size_t(l)] = true;
        const int first = mLoopFirst[size_t(l)];
        for (int n = first; n < first + mLoopSize[size_t(l)]; ++n) {
            Node &node = mNodes[size_t(n)];
            node.curve = node.curve->reversedCurve();
            std::swap(node.next, node.previous);
        }
    }

    struct Node
    {
        FBBezierCurvePtr curve;
        int next;
        int previous;
        int rank; // the place of the original line it is a piece of
        int loop;
        bool removed = false;
    };

    // A line on the axis line as the interval it covers, and its direction along it.
    struct Span
    {
        double low, high;
        int node;
        bool operator<(const Span &other) const
        {
            return std::pair(low, node) < std::pair(other.low, other.node);
        }
    };

    std::pair<int, int> orderKey(int n) const { return {mNodes[size_t(n)].rank, n}; }

    // Sweeps the lines of one axis line from the low end: the line starting lowest either meets
    // no line running the other way (none starts before its end), or is cut with the one of
    // those starting lowest; what the longer of the two keeps past the shorter is swept again.
    void cutOnLine(bool level, const std::vector<int> &nodes)
    {
        std::set<Span> spans[2];
        for (int n : nodes) {
            const FBBezierCurve &curve = *mNodes[size_t(n)].curve;
            const double from = along(curve.endPoint1(), level);
            const double to = along(curve.endPoint2(), level);
            spans[to > from ? 0 : 1].insert({std::min(from, to), std::max(from, to), n});
        }
        if (spans[0].empty() || spans[1].empty())
            return;
        int steps = 0;
        while (!spans[0].empty() && !spans[1].empty()) {
            if ((++steps & 1023) == 0)
                PathOperation_CheckCancelAndTimeLimit();
            const int lowSide = *spans[1].begin() < *spans[0].begin() ? 1 : 0;
            const Span low = *spans[lowSide].begin();
            spans[lowSide].erase(spans[lowSide].begin());
            const Span other = *spans[1 - lowSide].begin();
            if (other.low >= low.high || isAlone(low.node) || isAlone(other.node))
                continue;
            spans[1 - lowSide].erase(spans[1 - lowSide].begin());
            const double end = std::min(low.high, other.high);
            const auto [forward, backward] =
                lowSide == 0 ? std::pair(low.node, other.node) : std::pair(other.node, low.node);
            const auto [kept, keptSide] = cut(forward, backward, level, other.low, end);
            if (kept >= 0)
                spans[keptSide].insert({end, std::max(low.high, other.high), kept});
        }
    }

    bool isAlone(int n) const { return mNodes[size_t(n)].next == n; }

    // The piece of line n from `from` to `to` (points on its axis line), or -1 when they meet.
    int piece(int n, QPointF from, QPointF to)
    {
        if (from == to)
            return -1;
        Node node = mNodes[size_t(n)];
        node.curve = FBBezierCurve::bezierCurveWithLineStartPoint(from, to);
        node.removed = false;
        mNodes.push_back(std::move(node));
        return int(mNodes.size()) - 1;
    }

    static QPointF pointAt(QPointF onLine, double position, bool level)
    {
        return level ? QPointF(position, onLine.y()) : QPointF(onLine.x(), position);
    }

    // Line i runs p a b q, line j runs r b a s, where [low, high] is the stretch from a to b (or
    // b to a): drops a b and b a and links p a to a s and r b to b q. Answers the piece of either
    // line that reaches past `high`, and the side (0 forward) it runs, or -1.
    std::pair<int, int> cut(int i, int j, bool level, double low, double high)
    {
        mCut = true;
        mTouched[size_t(mNodes[size_t(i)].loop)] = true;
        mTouched[size_t(mNodes[size_t(j)].loop)] = true;
        const QPointF p = mNodes[size_t(i)].curve->endPoint1();
        const QPointF q = mNodes[size_t(i)].curve->endPoint2();
        const QPointF r = mNodes[size_t(j)].curve->endPoint1();
        const QPointF s = mNodes[size_t(j)].curve->endPoint2();
        // Line i runs forward (low to high), line j backward.
        const QPointF a = along(p, level) < low ? pointAt(p, low, level) : p;
        const QPointF b = along(q, level) > high ? pointAt(q, high, level) : q;
        const QPointF aOnJ = along(s, level) < low ? pointAt(s, low, level) : s;
        const QPointF bOnJ = along(r, level) > high ? pointAt(r, high, level) : r;
        const int pa = piece(i, p, a);
        const int bq = piece(i, b, q);
        const int rb = piece(j, r, bOnJ);
        const int as = piece(j, aOnJ, s);
        const int pi = mNodes[size_t(i)].previous, si = mNodes[size_t(i)].next;
        const int pj = mNodes[size_t(j)].previous, sj = mNodes[size_t(j)].next;
        mNodes[size_t(i)].removed = true;
        mNodes[size_t(j)].removed = true;
        // j just before i closes p a, a s into a loop of their own; i just before j, r b, b q.
        link(pi == j ? -1 : pi, {pa, as}, pi == j ? -1 : sj);
        link(si == j ? -1 : pj, {rb, bq}, si == j ? -1 : si);
        if (bq >= 0 && along(q, level) > high)
            return {bq, 0};
        if (rb >= 0 && along(r, level) > high)
            return {rb, 1};
        return {-1, 0};
    }

    // Links from, the chain's pieces, to; a chain between no ends closes on itself.
    void link(int from, std::initializer_list<int> chain, int to)
    {
        std::vector<int> sequence;
        for (int n : chain) {
            if (n >= 0)
                sequence.push_back(n);
        }
        if (from < 0) {
            for (size_t k = 0; k < sequence.size(); ++k)
                join(sequence[k], sequence[(k + 1) % sequence.size()]);
            return;
        }
        int last = from;
        for (int n : sequence) {
            join(last, n);
            last = n;
        }
        join(last, to);
    }

    void join(int from, int to)
    {
        mNodes[size_t(from)].next = to;
        mNodes[size_t(to)].previous = from;
    }

    std::vector<Node> mNodes;
    std::vector<bool> mTouched;
    std::vector<int> mLoopFirst;
    std::vector<int> mLoopSize;
    bool mCut = false;
};

} // namespace

std::vector<FBBezierContourPtr>
contoursWithoutSharedSides(const std::vector<FBBezierContourPtr> &traced)
{
    // Only level and upright lines can run along each other here: without one (an answer of
    // curves and slanted lines) there is nothing to turn or cut.
    const bool anyAxisLine =
        std::any_of(traced.begin(), traced.end(), [](const FBBezierContourPtr &contour) {
            return std::any_of(
                contour->edges().begin(), contour->edges().end(),
                [](const auto &edge) { return axisLineKey(*edge->curve()).has_value(); });
        });
    if (!anyAxisLine)
        return traced;
    LoopNetwork network(traced);
    network.turnLoopsRunningAlongEachOther();
    network.cutReversedStretches();
    if (!network.cutAny())
        return traced;
    return network.contours(traced);
}

std::vector<FBBezierContourPtr> contoursWithoutSlits(const FBBezierContourPtr &contour)
{
    return contoursWithoutSharedSides({contour});
}
