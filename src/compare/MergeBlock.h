#pragma once
// One difference block of a line compare and the line tables that map its lines to text.

#include "platform/Range.h"

#include <QRectF>
#include <QString>
#include <QStringView>
#include <vector>

// Index 1 is the left side, index 2 the right side; index 0 is kept free as the stored layout
// has it. Start lines are 0-based; a block with no lines on one side sits before that line.
struct MERGE_BLOCK
{
    qint64 startLine[3] = {0, 0, 0};
    qint64 lineCount[3] = {0, 0, 0};
    QRectF rect[3];

    bool operator==(const MERGE_BLOCK &o) const
    {
        for (int i = 0; i < 3; ++i)
            if (startLine[i] != o.startLine[i] || lineCount[i] != o.lineCount[i])
                return false;
        return true;
    }
};

using MergeBlockList = std::vector<MERGE_BLOCK>;

// One range per line: where the line starts and how long its content is (without the "\n").
// "a\nb\n" and "a\nb" both have two lines; the empty text has none.
using LineTable = std::vector<Range>;

LineTable BuildLineTable(QStringView text);

// The characters of lines [startLine, startLine + count), terminators included, clipped to the
// text. An empty block answers the empty range at the start of startLine (the text length when
// startLine is past the last line).
Range RangeOfLines(const LineTable &table, qint64 startLine, qint64 count, qint64 textLength);

// The line that holds a character position (the last line for the text end); -1 for no lines.
qint64 LineOfPosition(const LineTable &table, qint64 position);
