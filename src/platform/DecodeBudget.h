#pragma once
// The memory the decodes for views may take at once, shared by every view of the process (both
// sides of each image window, Quick Preview). A decode reserves what the file's headers say it
// will take before it starts, and waits while others hold too much of the budget; one that would
// need more than the whole budget never runs. What a worker keeps of its decodes while it works
// on (a picture it has read while it reads the next, a picture made larger) is held in the budget
// too, until the worker lets go of it.

#include <QtGlobal>

#include <stop_token>

namespace platform {

class DecodeReservation
{
public:
    DecodeReservation() = default;
    DecodeReservation(DecodeReservation &&other) noexcept;
    DecodeReservation &operator=(DecodeReservation &&other) noexcept;
    DecodeReservation(const DecodeReservation &) = delete;
    DecodeReservation &operator=(const DecodeReservation &) = delete;
    // Gives the bytes back to the budget.
    ~DecodeReservation();

    bool isValid() const { return mBytes >= 0; }
    qint64 bytes() const { return mBytes; }
    // Takes over what the other holds (an invalid one adds nothing); this one becomes valid.
    void absorb(DecodeReservation &&other);
    // Gives back all but `bytes` of what it holds (nothing when it holds no more).
    void shrinkTo(qint64 bytes);

private:
    friend DecodeReservation reserveDecodeMemory(qint64 bytes, std::stop_token stop,
                                                 qint64 heldByCaller);
    explicit DecodeReservation(qint64 bytes) : mBytes(bytes) {}
    qint64 mBytes = -1;
};

// Waits until `bytes` of the budget are free, first come first served, and takes them. An
// invalid reservation, at once, when the bytes exceed the whole budget, and as soon as `stop` is
// requested while it waits (the waiter leaves its place in the line).
//
// heldByCaller is what the caller already holds of the budget while it waits. A waiter that holds
// bytes can block one that waits ahead of it, which waits in turn for those bytes: so the first in
// line is served once all the budget in use is held by waiters, even beyond the budget. It then
// goes over by at most what the waiters hold (the pictures they have made, each the size of a
// view).
DecodeReservation reserveDecodeMemory(qint64 bytes, std::stop_token stop = {},
                                      qint64 heldByCaller = 0);

// What the reservations hold now, how many wait, how many were made since the process started,
// and the most they held at once since the last reset (tests).
qint64 decodeMemoryInUse();
int decodeReservationsWaiting();
quint64 decodeReservationsMade();
qint64 decodeMemoryPeak();
void resetDecodeMemoryPeak();

} // namespace platform
