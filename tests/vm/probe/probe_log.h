#pragma once
// One line per event on standard output, stamped with the boot-time clock in seconds so that
// the guest's test script, which reads /proc/uptime from the same clock, can time what it sees.
// Thread-safe: each line is written whole.

#include <string>

void ProbeLog(const std::string& line);
