#include "themes/ColorRunList.h"

#include <algorithm>
#include <iterator>

void SetColorRun(std::vector<ColorRun> &runs, int from, int to, int colorIndex)
{
    if (to <= from)
        return;
    // The runs that meet [from, to): from the first that ends after from to the first that
    // starts at or after to.
    const auto first = std::partition_point(runs.begin(), runs.end(),
                                            [from](const ColorRun &r) { return r.end() <= from; });
    const auto last =
        std::partition_point(first, runs.end(), [to](const ColorRun &r) { return r.start < to; });
    // What replaces them: the head of the first, the new run, the tail of the last.
    ColorRun pieces[3];
    int count = 0;
    if (first != last && first->start < from)
        pieces[count++] = {first->start, from - first->start, first->colorIndex};
    if (colorIndex != 0 && colorIndex != -1)
        pieces[count++] = {from, to - from, colorIndex};
    if (first != last) {
        const ColorRun &tail = *std::prev(last);
        if (tail.end() > to)
            pieces[count++] = {to, tail.end() - to, tail.colorIndex};
    }
    const auto at = first - runs.begin();
    const auto replaced = last - first;
    // Overwrite in place where the counts allow; only the difference moves the runs after.
    const auto common = std::min<std::ptrdiff_t>(replaced, count);
    std::copy(pieces, pieces + common, runs.begin() + at);
    if (count > replaced)
        runs.insert(runs.begin() + at + common, pieces + common, pieces + count);
    else
        runs.erase(runs.begin() + at + common, runs.begin() + at + replaced);
}
