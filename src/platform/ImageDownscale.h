#pragma once
// A decoded picture made smaller for a view by averaging the pixels each new pixel covers. Only a
// band of rows is converted to 32 bits at a time, so a picture decoded at one bit, a palette
// byte or sixteen-bit channels a pixel is never copied whole into a wider format on its way to
// a view.

#include <QImage>
#include <QSize>

namespace platform {

// The picture at `size` (each side at most the source's, at least 1), premultiplied ARGB32; a
// null image when the source is null or the result cannot be allocated.
QImage downscaledByArea(const QImage &source, QSize size);

// The memory the downscale works in besides the source and the result, for a source that wide.
qint64 downscaleWorkingBytes(qint64 sourceWidth);

} // namespace platform
