#pragma once
// When an image's length last changed, as a transfer measures it after every block. An image
// still being copied in keeps growing, and a transfer can outrun the copy: one that has kept its
// length for kImageQuietMs (update/download_image.h) is taken as complete. Used by one thread.

#include <chrono>
#include <cstdint>

class CLengthWatch {
public:
    // Starts watching at `length`, measured now.
    explicit CLengthWatch(std::uint64_t length);

    // The length measured now; a new one starts the quiet time again.
    void Measured(std::uint64_t length);
    // How much longer, in milliseconds, the length has to stay as it is before it has been quiet
    // for `quietMs`; 0 once it has.
    unsigned MillisecondsUntilQuiet(unsigned quietMs) const;

private:
    using Clock = std::chrono::steady_clock;
    std::uint64_t m_length;
    Clock::time_point m_since;
};
