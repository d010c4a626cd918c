#include "platform/sleep.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/sleep_override.h"

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

CScopedSleepDivisor::CScopedSleepDivisor(unsigned divisor)
    : m_previous(g_sleepDivisor.exchange(divisor == 0 ? 1 : divisor, std::memory_order_relaxed)) {}

CScopedSleepDivisor::~CScopedSleepDivisor() {
    g_sleepDivisor.store(m_previous, std::memory_order_relaxed);
}
