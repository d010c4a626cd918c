#pragma once
// Waiting on a condition with a generous bound instead of sleeping a fixed time: for tests, and
// for benchmarks that time how soon something happens (they poll more often).

#include <chrono>
#include <thread>

// True once `condition()` holds, checked every `poll`; false when `bound` passed first.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds bound = std::chrono::seconds(30),
               std::chrono::microseconds poll = std::chrono::milliseconds(1)) {
    auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(poll);
    }
    return true;
}
