#pragma once
// The device monitor: the program's main loop. It prepares the visible bar, then scans drive
// numbers 0 to 25 over and over, with a pause after each scan, and starts one update worker for
// every drive that holds no slot and answers as a device in update mode.

#include <atomic>

inline constexpr int kFirstScannedDrive = 0;
inline constexpr int kLastScannedDrive = 25;

// The thread's entry as the dialog starts it; `param` (the dialog) is not used. In the product it
// never returns.
void DeviceMonitorThread(void* param);

// Ends every loop started through DeviceMonitorThread and waits until they have returned, for
// tests that run the whole program more than once in one process. Only loops already running
// are ended (call it once the monitor has set up the bar); loops started later run again.
void StopDeviceMonitors();

// The same loop, ended when `stop` becomes true (checked between drives and after each pause).
// Workers it started keep running; they end when their devices go.
void RunDeviceMonitor(const std::atomic<bool>& stop);
