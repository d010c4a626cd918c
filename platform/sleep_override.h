#pragma once
// Shorter pauses for tests, benchmarks and the demo: while a CScopedSleepDivisor lives, every
// SleepFor of every thread is divided by its divisor. Implemented in platform/sleep.cpp.

class CScopedSleepDivisor {
public:
    // Sets `divisor` (0 is taken as 1; 1 is real time) and remembers the one it replaces.
    explicit CScopedSleepDivisor(unsigned divisor);
    // Puts the remembered divisor back. Guards end in the reverse order of their making.
    ~CScopedSleepDivisor();
    CScopedSleepDivisor(const CScopedSleepDivisor&) = delete;
    CScopedSleepDivisor& operator=(const CScopedSleepDivisor&) = delete;

private:
    unsigned m_previous;
};
