#pragma once
// The in-line compare of one difference block: which characters (or words) of the left text and
// of the right text differ, by an exact shortest edit script (Myers' O(ND) algorithm).

#include "platform/Range.h"

#include <QStringView>
#include <vector>

struct InlineDiff
{
    std::vector<Range> changed1; // changed runs of the left text
    std::vector<Range> changed2; // changed runs of the right text
    // false when the texts differ too much for an exact script within the cost limit: the
    // changed runs are then the whole part between the common prefix and suffix.
    bool exact = true;
};

// Default limit of the edit distance searched exactly; beyond it the answer is coarse, so a
// block of two unrelated long lines never stalls the window.
inline constexpr qint64 kInlineCompareMaxCost = 2000;

InlineDiff CompareCharacters(QStringView a, QStringView b, qint64 maxCost = kInlineCompareMaxCost);

// Words are runs of letters, digits and "_"; every other character is a word of its own.
InlineDiff CompareWords(QStringView a, QStringView b, qint64 maxCost = kInlineCompareMaxCost);
