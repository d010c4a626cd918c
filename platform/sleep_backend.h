#pragma once
// The operating system's pause, beneath SleepFor (platform/sleep.h), which scales the time first.
// One implementation per system: platform/posix/sleep_backend.cpp, platform/windows/.

// Suspends the calling thread for at least `milliseconds` (1 or more). Any thread.
void PauseThread(unsigned milliseconds);
