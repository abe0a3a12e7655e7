#include "compare/DiffOutputStream.h"

#include "compare/LineCompare.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

void DiffOutputStream::feed(QByteArrayView piece)
{
    qsizetype pos = 0;
    while (pos < piece.size()) {
        const qsizetype end = piece.indexOf('\n', pos);
        const qsizetype stop = end < 0 ? piece.size() : end;
        const bool header =
            !mPending.isEmpty() ? isDigit(mPending.front()) : stop > pos && isDigit(piece[pos]);
        if (header)
            mPending.append(piece.sliced(pos, stop - pos));
        else if (mPending.isEmpty() && stop > pos)
            mPending = "<"; // marks a quoted line in progress
        if (end < 0)
            break;
        endLine();
        pos = end + 1;
    }
}

void DiffOutputStream::finish()
{
    if (!mPending.isEmpty())
        endLine();
}

void DiffOutputStream::endLine()
{
    if (!mFailed && !ParseDiffNormalOutputLine(mPending, mBlocks))
        mFailed = true;
    mPending.clear();
}
