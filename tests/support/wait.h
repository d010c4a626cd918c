#pragma once
// Waiting on a condition with a generous bound instead of sleeping a fixed time.

#include <chrono>
#include <thread>

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds bound = std::chrono::seconds(30)) {
    auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
