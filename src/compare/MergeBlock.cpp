#include "compare/MergeBlock.h"

#include <algorithm>

LineTable BuildLineTable(QStringView text)
{
    LineTable table;
    const qint64 n = text.size();
    if (n == 0)
        return table;
    table.reserve(size_t(text.count(u'\n') + 1));
    qint64 start = 0;
    for (qint64 i = 0; i < n; ++i) {
        if (text[i] == u'\n') {
            table.push_back(Range{start, i - start});
            start = i + 1;
        }
    }
    if (start < n)
        table.push_back(Range{start, n - start});
    return table;
}

Range RangeOfLines(const LineTable &table, qint64 startLine, qint64 count, qint64 textLength)
{
    const qint64 lines = qint64(table.size());
    startLine = std::clamp<qint64>(startLine, 0, lines);
    count = std::clamp<qint64>(count, 0, lines - startLine);
    const qint64 begin = startLine < lines ? table[size_t(startLine)].location : textLength;
    if (count == 0)
        return Range{begin, 0};
    const qint64 endLine = startLine + count; // first line after the block
    const qint64 end = endLine < lines ? table[size_t(endLine)].location : textLength;
    return Range{begin, std::max<qint64>(0, end - begin)};
}

qint64 LineOfPosition(const LineTable &table, qint64 position)
{
    if (table.empty())
        return -1;
    auto it = std::upper_bound(table.begin(), table.end(), position,
                               [](qint64 pos, const Range &r) { return pos < r.location; });
    if (it == table.begin())
        return 0;
    return qint64(it - table.begin()) - 1;
}
