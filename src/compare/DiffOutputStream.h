#pragma once
// The line compare's output read as it arrives, in pieces that may split a line anywhere. Only
// header lines are gathered: a quoted line (which may be the whole of a long file) is passed
// over without being kept.

#include "compare/MergeBlock.h"

#include <QByteArray>
#include <QByteArrayView>

class DiffOutputStream
{
public:
    void feed(QByteArrayView piece);
    // The output ended: its last line, when no line end followed it, is read.
    void finish();
    // A header line did not parse; the blocks are then incomplete.
    bool failed() const { return mFailed; }
    const MergeBlockList &blocks() const { return mBlocks; }
    MergeBlockList takeBlocks() { return std::move(mBlocks); }

private:
    void endLine();

    QByteArray mPending; // a header line not yet complete, or "<" for a quoted one
    MergeBlockList mBlocks;
    bool mFailed = false;
};
