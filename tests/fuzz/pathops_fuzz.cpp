// Two paths in the compact text form and an operation code: both paths round-trip through the
// text and property-list forms, then are combined directly (with the clock set so that one
// second remains of the time limit) and through the guarded entry (cancelled after one second),
// with the jitter seeded from the input. Running out of time, or the cancel, is the only exception
// either may meet (FuzzQuiet.h stops on any other the guard catches).
//
// Input: byte 0 the operation code, bytes 1 to 8 the jitter seed, then the two texts separated
// by a newline.
#include "FuzzQuiet.h"
#include "FuzzShortStacks.h"
#include "pathops/PathBooleanOperations.h"
#include "pathops/PathOperationState.h"
#include "pathops/PathTextForms.h"
#include "platform/Guard.h"

#include <QString>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

using platform::BezierPath;

namespace {

constexpr size_t kMaxInput = 20000;
constexpr qint64 kMaxElements = 400;

bool allFinite(const BezierPath &path)
{
    for (const BezierPath::Element &e : path.elements()) {
        for (const QPointF &p : e.points) {
            if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
                return false;
        }
    }
    return true;
}

void checkRoundTrips(const BezierPath &path)
{
    // The text form keeps fewer digits than a double, so it is stable from its second reading.
    const QString text = pathToString(path);
    if (!text.isEmpty()) {
        const std::optional<BezierPath> again = pathFromString(text);
        if (!again || pathToString(*again) != text)
            std::abort();
    }
    BezierPath fromList;
    loadPropertyListRepresentation(fromList, propertyListRepresentation(path));
    if (fromList.elementCount() != path.elementCount())
        std::abort();
    if (allFinite(path) && !isEqual(path, &fromList))
        std::abort();
    if (isEqual(path, &fromList) && hash(path) != hash(fromList))
        std::abort();
}

// Raises the cancel flag once a second has passed, unless stopped first.
class CancelAfterOneSecond
{
public:
    CancelAfterOneSecond()
        : mThread([this] {
              std::unique_lock lock(mMutex);
              if (!mStopped.wait_for(lock, std::chrono::seconds(1), [this] { return mStop; }))
                  gPathOperationCancel = true;
          })
    {}
    ~CancelAfterOneSecond()
    {
        {
            std::lock_guard lock(mMutex);
            mStop = true;
        }
        mStopped.notify_all();
        mThread.join();
        gPathOperationCancel = false;
    }

private:
    std::mutex mMutex;
    std::condition_variable mStopped;
    bool mStop = false;
    std::thread mThread;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size < 9 || size > kMaxInput)
        return 0;
    const qint32 operation = qint32(data[0] % 5);
    quint64 seed = 0;
    std::memcpy(&seed, data + 1, sizeof seed);
    const QString texts =
        QString::fromLatin1(reinterpret_cast<const char *>(data + 9), qsizetype(size - 9));
    const qsizetype split = texts.indexOf(QLatin1Char('\n'));
    if (split < 0)
        return 0;
    const std::optional<BezierPath> a = pathFromString(texts.left(split));
    const std::optional<BezierPath> b = pathFromString(texts.mid(split + 1));
    if (!a || !b || a->elementCount() > kMaxElements || b->elementCount() > kMaxElements)
        return 0;
    checkRoundTrips(*a);
    checkRoundTrips(*b);

    PathOperation_SeedRandom(seed);
    try {
        gPathOperationStartTime = PathOperation_CurrentMediaTime() - (PathOperationTimeLimit - 1);
        switch (operation) {
        case PathBooleanUnion:
            fb_union(*a, *b);
            break;
        case PathBooleanIntersect:
            fb_intersect(*a, *b);
            break;
        case PathBooleanDifference:
            fb_difference(*a, *b);
            break;
        default:
            fb_xor(*a, *b);
            break;
        }
    } catch (const platform::Exception &e) {
        // Out of time: the limit did its work. Any other exception (an inconsistency, a number
        // that is not one, running out of memory) is a fault, as in the guarded entry below.
        if (e.name() != QLatin1String("Path operation time out")) {
            std::fprintf(stderr, "%s\n", e.what());
            std::abort();
        }
    }
    gPathOperationStartTime = -1.0;
    {
        CancelAfterOneSecond watchdog;
        const std::optional<BezierPath> guarded = performBooleanOp(*a, operation, &*b);
        if (guarded && guarded->isEmpty())
            std::abort();
    }
    if (gPathOperationStartTime.load() != -1.0)
        std::abort();
    return 0;
}
