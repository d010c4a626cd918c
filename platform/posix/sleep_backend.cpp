#include "platform/sleep_backend.h"

#include <chrono>
#include <thread>

void PauseThread(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
