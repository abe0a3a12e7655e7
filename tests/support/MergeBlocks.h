#pragma once
// Difference blocks written out in tests: left start and count, right start and count.

#include "compare/MergeBlock.h"

namespace pelkotest {

inline MERGE_BLOCK makeBlock(qint64 s1, qint64 c1, qint64 s2, qint64 c2)
{
    MERGE_BLOCK b;
    b.startLine[1] = s1;
    b.lineCount[1] = c1;
    b.startLine[2] = s2;
    b.lineCount[2] = c2;
    return b;
}

} // namespace pelkotest
