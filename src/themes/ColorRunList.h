#pragma once
// The colour runs of one block of text: ranges of block offsets with a colour index, ascending
// and disjoint. The colourer paints a line token by token from left to right, so a new run
// usually lands at the end of the list: finding its place is a binary search and putting it
// there touches only the runs it overlaps, never the whole list.

#include <vector>

struct ColorRun
{
    int start;
    int length;
    int colorIndex;
    int end() const { return start + length; }
    bool operator==(const ColorRun &) const = default;
};

// Gives [from, to) the colour index; index 0 or -1 only clears. Runs that reach into the range
// keep their parts outside it; nothing is merged with its neighbours.
void SetColorRun(std::vector<ColorRun> &runs, int from, int to, int colorIndex);
