#pragma once
// A mouse cursor: its picture and the point of the picture that hits (in pixels from the top
// left).

#include <QCursor>
#include <QImage>
#include <QPointF>

namespace platform {

class Cursor
{
public:
    Cursor() = default; // null
    Cursor(const QImage &image, const QPointF &hotSpot);

    bool isNull() const { return mImage.isNull(); }
    const QImage &image() const { return mImage; }
    QPointF hotSpot() const { return mHotSpot; }
    // Main thread.
    QCursor toQCursor() const;

private:
    QImage mImage;
    QPointF mHotSpot;
};

} // namespace platform
