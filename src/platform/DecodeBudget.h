#pragma once
// The memory the decodes for views may take at once, shared by every view of the process (both
// sides of each image window, Quick Preview). A decode reserves what the file's headers say it
// will take before it starts, and waits while others hold too much of the budget; one that would
// need more than the whole budget never runs.

#include <QtGlobal>

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

private:
    friend DecodeReservation reserveDecodeMemory(qint64 bytes);
    explicit DecodeReservation(qint64 bytes) : mBytes(bytes) {}
    qint64 mBytes = -1;
};

// Waits until `bytes` of the budget are free, first come first served, and takes them. An
// invalid reservation, at once, when the bytes exceed the whole budget.
DecodeReservation reserveDecodeMemory(qint64 bytes);

// What the reservations hold now, and how many wait (tests).
qint64 decodeMemoryInUse();
int decodeReservationsWaiting();

} // namespace platform
