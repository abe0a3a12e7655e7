#pragma once
// Dot masks of the halftone screen: the coverage (0..255) of one cell of a given size whose
// bytes add up to tone x size x size, in the shape of the bundle's master dot "_DotSample.png"
// (its alpha, 100 x 100). Masks are kept in memory and in files of the support folder
// (thumbImg/DotSampl_<size>/Col_<tone>, the size x size bytes raw).

#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

class DotSample
{
public:
    // The tone is held to 0..255; the buffer is empty when the mask cannot be made.
    DotSample(int size, int tone);

    const std::vector<quint8> &buffer() const { return mBuffer; }
    int size() const { return mSize; }
    int colorValue() const { return mColorValue; }

    // The mask from its cache file when that holds exactly a mask of this size and tone, else
    // made from the master dot and written there (atomically). Empty when the size is refused
    // or the master dot is missing.
    static std::vector<quint8> ReadBufferWithSize(int size, int tone);

private:
    std::vector<quint8> mBuffer;
    int mSize;
    int mColorValue;
};
using DotSamplePtr = std::shared_ptr<const DotSample>;

// The mask of the size (at least 2) and tone (held to 0..255) from the memory cache, made when
// missing; null when it cannot be made. Safe on any thread.
DotSamplePtr GetDotSample(int size, int tone);
// Empties the memory cache.
void FreeDotSampleCache();

// The master dot scaled to size x size (nearest sample) and fitted to the tone: bytes raised (or
// lowered) one step a pass, column by column, until they add up to tone x size x size, as far
// as 0..255 allows. master holds 100 x 100 bytes.
std::vector<quint8> MakeDotMask(const std::vector<quint8> &master, int size, int tone);
// The fitting alone, in place, on a size x size mask.
bool FitDotTone(std::vector<quint8> &mask, qint64 size, qint64 target);
// The cache file of a mask.
QString DotSampleCachePath(int size, int tone);
