#include "compare/InlineCompare.h"

#include <QHash>
#include <algorithm>

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

// Bound on the work of one search (frontier steps plus matched elements), so that two long
// unrelated texts answer coarsely at once instead of stalling the window.
constexpr qint64 kWorkBudget = 40'000'000;

// Marks for every element of a and b whether it is part of the shortest edit script.
// Answers false when the distance exceeds maxCost or the work budget runs out.
bool myers(const std::vector<int> &a, const std::vector<int> &b, qint64 maxCost,
           std::vector<char> &delA, std::vector<char> &insB)
{
    const qint64 n = qint64(a.size()), m = qint64(b.size());
    const qint64 limit = std::min<qint64>(n + m, std::max<qint64>(maxCost, 0));
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
            const qint64 x0 = x;
            while (x < n && y < m && a[size_t(x)] == b[size_t(y)]) {
                ++x;
                ++y;
            }
            work += 1 + (x - x0);
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
    // Walk back through the saved frontiers.
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
        while (x > prevX && y > prevY) {
            --x;
            --y;
        }
        if (x == prevX)
            insB[size_t(prevY)] = 1; // down: b[prevY] inserted
        else
            delA[size_t(prevX)] = 1; // right: a[prevX] deleted
        x = prevX;
        y = prevY;
    }
    return true;
}

struct Tokens
{
    std::vector<int> ids;
    std::vector<Range> spans; // characters of each token
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

Tokens tokenize(QStringView s, bool words, QHash<QStringView, int> &dict)
{
    Tokens t;
    const qint64 n = s.size();
    t.ids.reserve(size_t(n));
    t.spans.reserve(size_t(n));
    for (qint64 i = 0; i < n;) {
        qint64 j = i + 1;
        if (!words) {
            t.ids.push_back(s[i].unicode());
        } else {
            if (isWordChar(s[i]))
                while (j < n && isWordChar(s[j]))
                    ++j;
            const QStringView piece = s.mid(i, j - i);
            auto it = dict.constFind(piece);
            if (it == dict.constEnd())
                it = dict.insert(piece, int(dict.size()));
            t.ids.push_back(it.value());
        }
        t.spans.push_back(Range{i, j - i});
        i = j;
    }
    return t;
}

InlineDiff compareTokens(const Tokens &ta, const Tokens &tb, qint64 maxCost)
{
    InlineDiff out;
    const qint64 n = qint64(ta.ids.size()), m = qint64(tb.ids.size());
    qint64 pre = 0;
    while (pre < n && pre < m && ta.ids[size_t(pre)] == tb.ids[size_t(pre)])
        ++pre;
    qint64 suf = 0;
    while (suf < n - pre && suf < m - pre &&
           ta.ids[size_t(n - 1 - suf)] == tb.ids[size_t(m - 1 - suf)])
        ++suf;
    const std::vector<int> a(ta.ids.begin() + pre, ta.ids.end() - suf);
    const std::vector<int> b(tb.ids.begin() + pre, tb.ids.end() - suf);
    std::vector<char> delA(a.size(), 0), insB(b.size(), 0);
    if (!myers(a, b, maxCost, delA, insB)) {
        out.exact = false;
        std::fill(delA.begin(), delA.end(), 1);
        std::fill(insB.begin(), insB.end(), 1);
    }
    for (size_t i = 0; i < delA.size(); ++i)
        if (delA[i])
            addRun(out.changed1, ta.spans[size_t(pre) + i].location,
                   ta.spans[size_t(pre) + i].length);
    for (size_t i = 0; i < insB.size(); ++i)
        if (insB[i])
            addRun(out.changed2, tb.spans[size_t(pre) + i].location,
                   tb.spans[size_t(pre) + i].length);
    return out;
}

} // namespace

InlineDiff CompareCharacters(QStringView a, QStringView b, qint64 maxCost)
{
    // The common ends are skipped on the characters themselves, before any table is made: two
    // lines of millions of characters that differ in a few places cost no table of their length.
    qsizetype pre = 0;
    while (pre < a.size() && pre < b.size() && a[pre] == b[pre])
        ++pre;
    qsizetype suf = 0;
    while (suf < a.size() - pre && suf < b.size() - pre &&
           a[a.size() - 1 - suf] == b[b.size() - 1 - suf])
        ++suf;
    const QStringView midA = a.mid(pre, a.size() - pre - suf);
    const QStringView midB = b.mid(pre, b.size() - pre - suf);
    InlineDiff out;
    if (std::min(midA.size(), midB.size()) > kWorkBudget) {
        // The search would run out of its budget along the first diagonal: coarse at once.
        out.exact = false;
        addRun(out.changed1, 0, midA.size());
        addRun(out.changed2, 0, midB.size());
    } else {
        QHash<QStringView, int> unused;
        out = compareTokens(tokenize(midA, false, unused), tokenize(midB, false, unused), maxCost);
    }
    for (Range &r : out.changed1)
        r.location += pre;
    for (Range &r : out.changed2)
        r.location += pre;
    return out;
}

InlineDiff CompareWords(QStringView a, QStringView b, qint64 maxCost)
{
    QHash<QStringView, int> dict;
    const Tokens ta = tokenize(a, true, dict);
    const Tokens tb = tokenize(b, true, dict);
    return compareTokens(ta, tb, maxCost);
}
