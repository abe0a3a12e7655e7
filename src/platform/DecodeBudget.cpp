#include "platform/DecodeBudget.h"

#include "platform/PixelLimits.h"

#include <condition_variable>
#include <mutex>

namespace platform {

namespace {

struct Budget
{
    std::mutex mutex;
    std::condition_variable changed;
    qint64 inUse = 0;
    // Tickets keep the order of arrival: a large decode is not overtaken for ever by small ones.
    quint64 nextTicket = 0;
    quint64 serving = 0;
    int waiting = 0;
};

Budget &budget()
{
    static Budget b;
    return b;
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

DecodeReservation reserveDecodeMemory(qint64 bytes)
{
    if (bytes < 0 || bytes > kViewDecodeBytes)
        return {};
    Budget &b = budget();
    std::unique_lock lock(b.mutex);
    const quint64 ticket = b.nextTicket++;
    ++b.waiting;
    b.changed.wait(lock,
                   [&] { return b.serving == ticket && b.inUse + bytes <= kViewDecodeBytes; });
    --b.waiting;
    ++b.serving;
    b.inUse += bytes;
    lock.unlock();
    b.changed.notify_all(); // the next ticket may fit too
    return DecodeReservation(bytes);
}

qint64 decodeMemoryInUse()
{
    std::lock_guard lock(budget().mutex);
    return budget().inUse;
}

int decodeReservationsWaiting()
{
    std::lock_guard lock(budget().mutex);
    return budget().waiting;
}

} // namespace platform
