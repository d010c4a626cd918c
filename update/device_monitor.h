#pragma once
// The device monitor: the program's main loop. It prepares the visible bar, then scans drive
// numbers 0 to 25 over and over, with a pause after each scan, and starts one update worker for
// every drive that holds no slot and answers as a device in update mode.

inline constexpr int kFirstScannedDrive = 0;
inline constexpr int kLastScannedDrive = 25;

// The thread's entry as the dialog starts it; `param` (the dialog) is not used. In the product it
// never returns. Tests end it through update/device_monitor_control.h.
void DeviceMonitorThread(void* param);
