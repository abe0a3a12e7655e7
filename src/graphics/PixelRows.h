#pragma once
// Runs a loop over the rows of a pixel buffer: in bands on the thread pool when the buffer is
// larger than about a megapixel, else on the calling thread. fn(firstRow, endRow) must touch
// only its own rows.

#include <QtGlobal>
#include <functional>

void ForEachRowBand(qint64 width, qint64 height, const std::function<void(qint64, qint64)> &fn);
