// The in-line compare of a difference block, on characters and on words: the changed runs lie
// inside their texts in order without touching, what is left unchanged on both sides is the
// same text, and an exact answer changes no more than a shortest edit script does.
#include "FuzzQuiet.h"
#include "compare/InlineCompare.h"

#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// The text outside the runs; traps when the runs are out of bounds or out of order.
QString unchanged(QStringView text, const std::vector<Range> &runs)
{
    QString out;
    qint64 at = 0;
    for (const Range &r : runs) {
        if (r.length <= 0 || r.location < at || r.location + r.length > text.size())
            __builtin_trap();
        if (r.location == at && at > 0)
            __builtin_trap(); // touching runs are one run
        out += text.mid(at, r.location - at);
        at = r.location + r.length;
    }
    out += text.mid(at);
    return out;
}

// Length of the longest common subsequence of the characters.
qint64 commonLength(QStringView a, QStringView b)
{
    std::vector<qint64> row(size_t(b.size()) + 1, 0);
    for (qsizetype i = 0; i < a.size(); ++i) {
        qint64 diagonal = 0;
        for (qsizetype j = 0; j < b.size(); ++j) {
            const qint64 above = row[size_t(j) + 1];
            row[size_t(j) + 1] = a[i] == b[j] ? diagonal + 1 : std::max(above, row[size_t(j)]);
            diagonal = above;
        }
    }
    return row.back();
}

qint64 total(const std::vector<Range> &runs)
{
    qint64 n = 0;
    for (const Range &r : runs)
        n += r.length;
    return n;
}

void check(QStringView a, QStringView b, const InlineDiff &d, bool characters)
{
    if (unchanged(a, d.changed1) != unchanged(b, d.changed2))
        __builtin_trap(); // the parts left unchanged differ
    if (a == b && (!d.changed1.empty() || !d.changed2.empty()))
        __builtin_trap();
    if (characters && d.exact && a.size() * b.size() <= 250'000) {
        const qint64 common = commonLength(a, b);
        if (total(d.changed1) != a.size() - common || total(d.changed2) != b.size() - common)
            __builtin_trap(); // more changed than a shortest script changes
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size < 1 || size > 8192)
        return 0;
    // The first byte bounds the search; the rest is two texts split at the first NUL (as UTF-16
    // when odd-sized halves allow, so surrogates and letters of every script appear).
    const qint64 maxCost = data[0] < 200 ? qint64(data[0]) : kInlineCompareMaxCost;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype cut = rest.indexOf('\0');
    const QByteArray left = cut < 0 ? rest : rest.left(cut);
    const QByteArray right = cut < 0 ? QByteArray() : rest.mid(cut + 1);
    const bool wide = data[0] & 1;
    auto text = [wide](const QByteArray &bytes) {
        return wide ? QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2)
                    : QString::fromUtf8(bytes);
    };
    const QString a = text(left), b = text(right);
    check(a, b, CompareCharacters(a, b, maxCost), true);
    check(a, b, CompareWords(a, b, maxCost), false);
    return 0;
}
