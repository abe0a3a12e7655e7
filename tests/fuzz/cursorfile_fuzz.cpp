// Cursor files from arbitrary bytes: a cursor that is read has its hot spot on its picture, can be
// written, and reads back as written.
#include "FuzzQuiet.h"
#include "graphics/PelkoNSCursor.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const platform::Cursor cursor = CursorFromFileBytes(bytes);
    if (cursor.isNull())
        return 0;
    const QPointF hot = cursor.hotSpot();
    if (!(hot.x() >= 0 && hot.y() >= 0 && hot.x() <= cursor.image().width() &&
          hot.y() <= cursor.image().height()))
        __builtin_trap(); // the hot spot lies off the picture
    // The first write may settle colour bytes the decoder left above their alpha; from then on
    // a cursor reads back as written.
    const platform::Cursor once = CursorFromFileBytes(CursorFileBytes(cursor));
    if (once.isNull() || once.hotSpot() != hot || once.image().size() != cursor.image().size())
        __builtin_trap(); // a cursor that was read cannot be written
    const platform::Cursor twice = CursorFromFileBytes(CursorFileBytes(once));
    if (twice.isNull() || twice.hotSpot() != hot || twice.image() != once.image())
        __builtin_trap(); // what was written reads back as another cursor
    return 0;
}
