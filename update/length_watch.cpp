#include "update/length_watch.h"

CLengthWatch::CLengthWatch(std::uint64_t length) : m_length(length), m_since(Clock::now()) {}

void CLengthWatch::Measured(std::uint64_t length) {
    if (length != m_length) {
        m_length = length;
        m_since = Clock::now();
    }
}

unsigned CLengthWatch::MillisecondsUntilQuiet(unsigned quietMs) const {
    auto left = std::chrono::milliseconds(quietMs) - (Clock::now() - m_since);
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > 0 ? static_cast<unsigned>(ms) : 0u;
}
