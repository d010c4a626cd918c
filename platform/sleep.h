#pragma once
// Every fixed pause of the program goes through SleepFor, so that tests can run the same code
// with shorter pauses (platform/sleep_override.h). The product never changes the divisor.

// Pauses the calling thread for `milliseconds` divided by the current divisor (at least 1 ms
// when `milliseconds` is not 0, so a sped-up loop still yields the processor). Any thread.
void SleepFor(unsigned milliseconds);
