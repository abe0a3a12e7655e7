#include "compare/InlineCompare.h"

#include <QHash>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Appends [pos, pos + len) to runs, joining it to the last run when they touch.
void addRun(std::vector<Range> &runs, qint64 pos, qint64 len)
{
    if (len <= 0)
        return;
    if (!runs.empty() && MaxRange(runs.back()) == pos)
        runs.back().length += len;
    else
        runs.push_back(Range{pos, len});
}

// Adds the element at pos to runs gathered from the end backwards.
void addElementBackwards(std::vector<Range> &runs, qint64 pos)
{
    if (!runs.empty() && runs.back().location == pos + 1) {
        runs.back().location = pos;
        ++runs.back().length;
    } else {
        runs.push_back(Range{pos, 1});
    }
}

// Bound on the work of one search (frontier steps, plus matched elements by fours), so that two
// long unrelated texts answer coarsely at once instead of stalling the compare.
constexpr qint64 kWorkBudget = 40'000'000;
// Bound on the distance searched: the frontiers kept for the walk back, (d + 1)^2 entries of 4
// bytes, stay under 64 MB. The search's memory depends on the distance only, never on the length
// of the texts.
constexpr qint64 kMaxSearchedDistance = 3999;

// How many elements a and b have in common from their starts, at most count.
template <class T> qint64 commonRun(const T *a, const T *b, qint64 count)
{
    qint64 i = 0;
    while (i < count && a[i] == b[i])
        ++i;
    return i;
}

// Characters are compared four at a time: a snake along millions of equal characters is the
// common case of two long lines that differ in a few places.
template <> qint64 commonRun<char16_t>(const char16_t *a, const char16_t *b, qint64 count)
{
    qint64 i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint64_t wa, wb;
        std::memcpy(&wa, a + i, sizeof wa);
        std::memcpy(&wb, b + i, sizeof wb);
        if (wa != wb)
            break;
    }
    while (i < count && a[i] == b[i])
        ++i;
    return i;
}

// The elements of a deleted and of b inserted by a shortest edit script, as ascending runs of
// indexes. Answers false when the distance exceeds maxCost or a budget runs out.
template <class T>
bool myers(const T *a, qint64 n, const T *b, qint64 m, qint64 maxCost, std::vector<Range> &delA,
           std::vector<Range> &insB)
{
    if (n > std::numeric_limits<qint32>::max() || m > std::numeric_limits<qint32>::max())
        return false;
    const qint64 limit = std::min({n + m, std::max<qint64>(maxCost, 0), kMaxSearchedDistance});
    const qint64 offset = limit + 1;
    std::vector<qint32> v(size_t(2 * offset + 1), 0);
    // trace[d] keeps the frontier before step d, for the diagonals -d..d only.
    std::vector<std::vector<qint32>> trace;
    qint64 found = -1;
    qint64 work = 0;
    for (qint64 d = 0; d <= limit && found < 0; ++d) {
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
        for (qint64 k = -d; k <= d; k += 2) {
            qint64 x;
            if (k == -d || (k != d && v[size_t(offset + k - 1)] < v[size_t(offset + k + 1)]))
                x = v[size_t(offset + k + 1)];
            else
                x = v[size_t(offset + k - 1)] + 1;
            qint64 y = x - k;
            if (x < n && y < m) {
                const qint64 run = commonRun(a + x, b + y, std::min(n - x, m - y));
                x += run;
                y += run;
                work += run / 4;
            }
            ++work;
            v[size_t(offset + k)] = qint32(x);
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
        if (work > kWorkBudget)
            return false;
    }
    if (found < 0)
        return false;
    // Walk back through the saved frontiers, gathering the runs from the end.
    qint64 x = n, y = m;
    for (qint64 d = found; d > 0; --d) {
        const std::vector<qint32> &pv = trace[size_t(d)];
        auto at = [&](qint64 k) { return qint64(pv[size_t(k + d)]); };
        const qint64 k = x - y;
        qint64 prevK;
        if (k == -d || (k != d && at(k - 1) < at(k + 1)))
            prevK = k + 1;
        else
            prevK = k - 1;
        const qint64 prevX = at(prevK);
        const qint64 prevY = prevX - prevK;
        if (prevK == k + 1)
            addElementBackwards(insB, prevY); // down: b[prevY] inserted
        else
            addElementBackwards(delA, prevX); // right: a[prevX] deleted
        x = prevX;
        y = prevY;
    }
    std::reverse(delA.begin(), delA.end());
    std::reverse(insB.begin(), insB.end());
    return true;
}

// The common ends of a and b: how many elements they share at the start, and then at the end.
template <class T> std::pair<qint64, qint64> commonEnds(const T *a, qint64 n, const T *b, qint64 m)
{
    const qint64 pre = commonRun(a, b, std::min(n, m));
    qint64 suf = 0;
    while (suf < n - pre && suf < m - pre && a[n - 1 - suf] == b[m - 1 - suf])
        ++suf;
    return {pre, suf};
}

// The edit runs of a against b, in index space: exact within the limits, else the whole part
// between the common ends.
template <class T>
InlineDiff compareSequences(const T *a, qint64 n, const T *b, qint64 m, qint64 maxCost)
{
    InlineDiff out;
    const auto [pre, suf] = commonEnds(a, n, b, m);
    if (n - pre - suf == 0 || m - pre - suf == 0) {
        // All that is left is on one side: it is the change, however long.
        addRun(out.changed1, pre, n - pre - suf);
        addRun(out.changed2, pre, m - pre - suf);
        return out;
    }
    if (!myers(a + pre, n - pre - suf, b + pre, m - pre - suf, maxCost, out.changed1,
               out.changed2)) {
        out.exact = false;
        out.changed1.clear();
        out.changed2.clear();
        addRun(out.changed1, 0, n - pre - suf);
        addRun(out.changed2, 0, m - pre - suf);
    }
    for (Range &r : out.changed1)
        r.location += pre;
    for (Range &r : out.changed2)
        r.location += pre;
    return out;
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

struct Tokens
{
    std::vector<int> ids;
    std::vector<qint64> starts; // first character of each token, and the length at the end
};

Tokens tokenizeWords(QStringView s, QHash<QStringView, int> &dict)
{
    Tokens t;
    const qint64 n = s.size();
    for (qint64 i = 0; i < n;) {
        qint64 j = i + 1;
        if (isWordChar(s[i]))
            while (j < n && isWordChar(s[j]))
                ++j;
        const QStringView piece = s.mid(i, j - i);
        auto it = dict.constFind(piece);
        if (it == dict.constEnd())
            it = dict.insert(piece, int(dict.size()));
        t.ids.push_back(it.value());
        t.starts.push_back(i);
        i = j;
    }
    t.starts.push_back(n);
    return t;
}

// Runs of tokens as runs of the characters they cover.
std::vector<Range> characterRuns(const std::vector<Range> &tokenRuns, const Tokens &t)
{
    std::vector<Range> out;
    for (const Range &r : tokenRuns) {
        const qint64 from = t.starts[size_t(r.location)];
        addRun(out, from, t.starts[size_t(MaxRange(r))] - from);
    }
    return out;
}

} // namespace

InlineDiff CompareCharacters(QStringView a, QStringView b, qint64 maxCost)
{
    // The search reads the texts in place: no table of their length is made, whatever it is.
    return compareSequences(a.utf16(), a.size(), b.utf16(), b.size(), maxCost);
}

InlineDiff CompareWords(QStringView a, QStringView b, qint64 maxCost)
{
    QHash<QStringView, int> dict;
    const Tokens ta = tokenizeWords(a, dict);
    const Tokens tb = tokenizeWords(b, dict);
    InlineDiff d = compareSequences(ta.ids.data(), qint64(ta.ids.size()), tb.ids.data(),
                                    qint64(tb.ids.size()), maxCost);
    d.changed1 = characterRuns(d.changed1, ta);
    d.changed2 = characterRuns(d.changed2, tb);
    return d;
}
