#include "platform/Cursor.h"

#include "platform/Saturate.h"

#include <QPixmap>

namespace platform {

Cursor::Cursor(const QImage &image, const QPointF &hotSpot)
    : mImage(image.isNull() ? QImage()
                            : image.convertToFormat(QImage::Format_RGBA8888_Premultiplied)),
      mHotSpot(mImage.isNull() ? QPointF() : hotSpot)
{}

QCursor Cursor::toQCursor() const
{
    if (isNull())
        return QCursor();
    return QCursor(QPixmap::fromImage(mImage), saturatingTruncate<int>(mHotSpot.x()),
                   saturatingTruncate<int>(mHotSpot.y()));
}

} // namespace platform
