#include "platform/DecodeBudget.h"

#include "platform/PixelLimits.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace platform {

namespace {

struct Budget
{
    std::mutex mutex;
    std::condition_variable_any changed;
    qint64 inUse = 0;
    qint64 peak = 0;
    quint64 made = 0;
    // What the waiters hold of inUse.
    qint64 heldByWaiters = 0;
    // Tickets in order of arrival: a large decode is not overtaken for ever by small ones. A
    // waiter that gives up leaves the line.
    quint64 nextTicket = 0;
    std::deque<quint64> line;
};

Budget &budget()
{
    static Budget b;
    return b;
}

void take(Budget &b, qint64 bytes)
{
    ++b.made;
    b.inUse += bytes;
    b.peak = std::max(b.peak, b.inUse);
}

void giveBack(qint64 bytes)
{
    if (bytes <= 0)
        return;
    Budget &b = budget();
    {
        std::lock_guard lock(b.mutex);
        b.inUse -= bytes;
    }
    b.changed.notify_all();
}

} // namespace

DecodeReservation::DecodeReservation(DecodeReservation &&other) noexcept : mBytes(other.mBytes)
{
    other.mBytes = -1;
}

DecodeReservation &DecodeReservation::operator=(DecodeReservation &&other) noexcept
{
    if (this != &other) {
        giveBack(mBytes);
        mBytes = other.mBytes;
        other.mBytes = -1;
    }
    return *this;
}

DecodeReservation::~DecodeReservation()
{
    giveBack(mBytes);
}

void DecodeReservation::absorb(DecodeReservation &&other)
{
    if (this == &other)
        return;
    mBytes = std::max<qint64>(mBytes, 0) + std::max<qint64>(other.mBytes, 0);
    other.mBytes = -1;
}

void DecodeReservation::shrinkTo(qint64 bytes)
{
    bytes = std::max<qint64>(bytes, 0);
    if (mBytes <= bytes)
        return;
    giveBack(mBytes - bytes);
    mBytes = bytes;
}

DecodeReservation reserveDecodeMemory(qint64 bytes, std::stop_token stop, qint64 heldByCaller)
{
    if (bytes < 0 || bytes > kViewDecodeBytes || stop.stop_requested())
        return {};
    heldByCaller = std::max<qint64>(heldByCaller, 0);
    Budget &b = budget();
    std::unique_lock lock(b.mutex);
    const quint64 ticket = b.nextTicket++;
    b.line.push_back(ticket);
    b.heldByWaiters += heldByCaller;
    // The wait answers whether the bytes fit when it ends, also when it ended for the stop: a
    // stop that came while the budget freed still means the decode is not wanted.
    const bool served = b.changed.wait(lock, stop, [&] {
        return b.line.front() == ticket &&
               (b.inUse + bytes <= kViewDecodeBytes || b.inUse <= b.heldByWaiters);
    }) && !stop.stop_requested();
    b.heldByWaiters -= heldByCaller;
    b.line.erase(std::find(b.line.begin(), b.line.end(), ticket));
    if (served)
        take(b, bytes);
    lock.unlock();
    // The next in line may fit too, or be first now that a waiter gave up.
    b.changed.notify_all();
    return served ? DecodeReservation(bytes) : DecodeReservation();
}

qint64 decodeMemoryInUse()
{
    std::lock_guard lock(budget().mutex);
    return budget().inUse;
}

int decodeReservationsWaiting()
{
    std::lock_guard lock(budget().mutex);
    return int(budget().line.size());
}

quint64 decodeReservationsMade()
{
    std::lock_guard lock(budget().mutex);
    return budget().made;
}

qint64 decodeMemoryPeak()
{
    std::lock_guard lock(budget().mutex);
    return budget().peak;
}

void resetDecodeMemoryPeak()
{
    std::lock_guard lock(budget().mutex);
    budget().peak = budget().inUse;
}

} // namespace platform
