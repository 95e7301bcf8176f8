#pragma once
// The gearbox tells whoever listens when a timed gear change starts and ends.
// The host's simulation object has this interface as its first base, so it
// must stay exactly one pointer in size: virtual operations and no data.

class IShiftListener {
public:
    // Table position 0 is not used by the gearbox; it keeps the two
    // notifications at their positions 1 and 2.
    virtual void unusedSlot0() = 0;
    virtual void shiftFinished() = 0;
    virtual void shiftStarted() = 0;

protected:
    ~IShiftListener() = default;
};
