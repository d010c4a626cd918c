#include "platform/sleep.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<unsigned> g_sleepDivisor{1};
}

void SleepFor(unsigned milliseconds) {
    if (milliseconds == 0) {
        return;
    }
    unsigned scaled = milliseconds / g_sleepDivisor.load(std::memory_order_relaxed);
    std::this_thread::sleep_for(std::chrono::milliseconds(scaled == 0 ? 1 : scaled));
}

void SetSleepDivisor(unsigned divisor) {
    g_sleepDivisor.store(divisor == 0 ? 1 : divisor, std::memory_order_relaxed);
}

unsigned SleepDivisor() {
    return g_sleepDivisor.load(std::memory_order_relaxed);
}
