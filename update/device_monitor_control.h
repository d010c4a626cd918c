#pragma once
// The device monitor under control of tests and benchmarks, which run it more than once in one
// process. The product starts it through DeviceMonitorThread and never ends it. Implemented in
// update/device_monitor.cpp.

#include <atomic>

// Ends every loop started through DeviceMonitorThread and waits until they have returned. Only
// loops already running are ended (call it once the monitor has set up the bar); loops started
// later run again.
void StopDeviceMonitors();

// How many loops DeviceMonitorThread has begun since the process started. A thread is counted
// as running before it is counted here, so a test that has seen the dialog's monitor counted can
// be sure StopDeviceMonitors ends it; one that stops before the thread has begun would leave it
// running into the next test, or into the process's exit.
int StartedDeviceMonitorCount();

// The monitor's loop on the caller's thread, ended when `stop` becomes true (checked between
// drives and after each pause). Workers it started keep running; they end when their devices go.
void RunDeviceMonitor(const std::atomic<bool>& stop);
