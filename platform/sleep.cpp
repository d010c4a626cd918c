#include "platform/sleep.h"

#include <atomic>

#include "platform/sleep_backend.h"
#include "platform/sleep_override.h"

namespace {
std::atomic<unsigned> g_sleepDivisor{1};
}

void SleepFor(unsigned milliseconds) {
    if (milliseconds == 0) {
        return;
    }
    unsigned scaled = milliseconds / g_sleepDivisor.load(std::memory_order_relaxed);
    PauseThread(scaled == 0 ? 1 : scaled);
}

CScopedSleepDivisor::CScopedSleepDivisor(unsigned divisor)
    : m_previous(g_sleepDivisor.exchange(divisor == 0 ? 1 : divisor, std::memory_order_relaxed)) {}

CScopedSleepDivisor::~CScopedSleepDivisor() {
    g_sleepDivisor.store(m_previous, std::memory_order_relaxed);
}
