#pragma once
// Reading the headers of an image file: small reads at scattered offsets, served from a window of
// the file so that walking thousands of blocks or directory entries costs a few large reads.

#include <QByteArray>
#include <QIODevice>
#include <QtEndian>
#include <algorithm>

namespace platform {

class ImageBytes
{
public:
    explicit ImageBytes(QIODevice *device) : mDevice(device), mSize(device->size()) {}

    qint64 size() const { return mSize; }

    // Exactly `count` bytes at `pos`, or an empty array when the file has fewer there.
    QByteArray at(qint64 pos, qint64 count)
    {
        if (pos < 0 || count <= 0 || count > mSize || pos > mSize - count)
            return {};
        if (pos < mStart || pos + count > mStart + mWindow.size()) {
            if (!mDevice->seek(pos))
                return {};
            mWindow = mDevice->read(std::max(count, kWindow));
            mStart = pos;
            if (mWindow.size() < count)
                return {};
        }
        return mWindow.mid(pos - mStart, count);
    }

    // The byte at `pos`, or -1 past the end.
    int byte(qint64 pos)
    {
        const QByteArray one = at(pos, 1);
        return one.isEmpty() ? -1 : quint8(one[0]);
    }

    bool startsWith(qint64 pos, const char *magic, qint64 length)
    {
        const QByteArray head = at(pos, length);
        return !head.isEmpty() && std::equal(head.begin(), head.end(), magic);
    }

    // Counts one step of a walk through blocks, chunks or entries; false once the walks have
    // taken more steps than any image's headers need.
    bool spend()
    {
        if (mSteps >= kMaxSteps) {
            mExhausted = true;
            return false;
        }
        ++mSteps;
        return true;
    }
    bool exhausted() const { return mExhausted; }

private:
    static constexpr qint64 kWindow = 64 * 1024;
    static constexpr int kMaxSteps = 1 << 20;
    int mSteps = 0;
    bool mExhausted = false;
    QIODevice *mDevice;
    qint64 mSize;
    qint64 mStart = -1;
    QByteArray mWindow;
};

inline quint32 be16At(const QByteArray &b, qsizetype at)
{
    return qFromBigEndian<quint16>(b.constData() + at);
}
inline quint32 be32At(const QByteArray &b, qsizetype at)
{
    return qFromBigEndian<quint32>(b.constData() + at);
}
inline quint32 le16At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}
inline quint32 le24At(const QByteArray &b, qsizetype at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
           quint32(quint8(b[at + 2])) << 16;
}
inline quint32 le32At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

} // namespace platform
