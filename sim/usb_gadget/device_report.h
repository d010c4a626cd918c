#pragma once
// What the device holds and what it went through, written to files for the test that drives
// the host side to compare: a raw copy of a region of the device's memory, and counters as
// name=value lines.

#include <string>

#include "sim/simulated_device.h"
#include "sim/usb_gadget/function_fs_device.h"
#include "sim/usb_gadget/gadget_options.h"
#include "sim/usb_gadget/mass_storage_target.h"
#include "sim/usb_gadget/udc_binding.h"

struct CDeviceReportSources {
    const CSimulatedDevice& device;
    const CMassStorageTarget& target;
    const CUdcBinding& binding;
    const CFunctionFsDevice& usb;
};

// Writes the files the options name (none when they name none). Returns false when a file
// could not be written completely.
bool WriteDeviceReport(const CGadgetOptions& options, const CDeviceReportSources& sources);
