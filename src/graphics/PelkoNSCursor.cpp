#include "graphics/PelkoNSCursor.h"

#include "platform/Guard.h"
#include "platform/ImageReader.h"
#include "platform/ImageWriter.h"
#include "platform/Log.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace {

constexpr char kMagic[] = "PLKCURSR";
constexpr int kMagicLength = 8;
constexpr quint32 kVersion = 1;
// A cursor picture is small; a file far beyond this is not one of ours.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

} // namespace

QByteArray CursorFileBytes(const platform::Cursor &cursor)
{
    if (cursor.isNull())
        return {};
    const QByteArray png = platform::encodeImage(cursor.image(), {platform::ImageFileType::PNG});
    if (png.isEmpty())
        return {};
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out.setFloatingPointPrecision(QDataStream::DoublePrecision);
    out.writeRawData(kMagic, kMagicLength);
    out << kVersion << cursor.hotSpot().x() << cursor.hotSpot().y() << quint32(png.size());
    out.writeRawData(png.constData(), int(png.size()));
    return out.status() == QDataStream::Ok ? bytes : QByteArray();
}

platform::Cursor CursorFromFileBytes(const QByteArray &bytes)
{
    if (bytes.size() < kMagicLength || !bytes.startsWith(QByteArray(kMagic, kMagicLength)))
        return {};
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    in.setFloatingPointPrecision(QDataStream::DoublePrecision);
    in.skipRawData(kMagicLength);
    quint32 version = 0, length = 0;
    double x = 0, y = 0;
    in >> version >> x >> y >> length;
    const qint64 header = kMagicLength + 4 + 8 + 8 + 4;
    if (in.status() != QDataStream::Ok || version != kVersion ||
        qint64(length) != bytes.size() - header)
        return {};
    // PNG only: the picture is not handed to every decoder the reader knows.
    const QByteArray png = bytes.mid(header);
    if (!png.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)))
        return {};
    const QImage image = platform::readImageData(png);
    if (image.isNull())
        return {};
    // The hot spot lies on the picture.
    if (!(x >= 0 && x <= image.width() && y >= 0 && y <= image.height()))
        return {};
    return platform::Cursor(image, QPointF(x, y));
}

bool writeToFile(const platform::Cursor &cursor, const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return false;
    const QByteArray bytes = CursorFileBytes(cursor);
    return !bytes.isEmpty() && platform::writeFileAtomically(bytes, path);
    GUARD_END(false)
}

platform::Cursor readFromFile(const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return {};
    const platform::Cursor cursor = CursorFromFileBytes(file.read(kMaxFileSize + 1));
    if (cursor.isNull())
        platform::LogWarning(lcGraphics, QStringLiteral("ERROR not a cursor file: %1").arg(path));
    return cursor;
    GUARD_END({})
}
