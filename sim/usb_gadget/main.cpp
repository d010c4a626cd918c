// zelvane-usb-device: a USB mass-storage device in update mode, made of the project's simulated
// device model behind a FunctionFS gadget, so that the real kernel (usb-storage, sd, sg) stands
// between the updater and the same firmware behaviour the in-process simulator gives the unit
// tests. Runs until SIGTERM or SIGINT; see gadget_options.h for the command line.

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "sim/simulated_device.h"
#include "sim/usb_gadget/bulk_only_transport.h"
#include "sim/usb_gadget/device_report.h"
#include "sim/usb_gadget/function_fs_device.h"
#include "sim/usb_gadget/gadget_options.h"
#include "sim/usb_gadget/mass_storage_target.h"
#include "sim/usb_gadget/udc_binding.h"

namespace {
void ArmFaults(CSimulatedDevice& device, const CGadgetOptions& options) {
    for (const CBlockFaultOption& fault : options.failingReadBacks) {
        device.FailReadBacks(fault.block, fault.times);
    }
    for (const CBlockFaultOption& fault : options.corruptReadBacks) {
        device.CorruptReadBacks(fault.block, fault.times);
    }
    if (options.refusedCount > 0) {
        // The transport pads a refused read's data phase itself, whatever the model delivers.
        device.RefuseBlocks(options.refusedFirst, options.refusedCount,
                            CSimulatedDevice::Refusal::kCheckCondition);
    }
    if (options.pullAfterCommands) {
        device.UnplugAfterCommands(*options.pullAfterCommands);
    }
    device.SetCommandDelay(options.commandDelay);
}

// The report signals are taken by sigwait on the main thread, so every thread blocks them.
sigset_t ReportSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGUSR1);
    return signals;
}

// Writes the report on each SIGUSR1; on SIGTERM or SIGINT writes it and returns whether it was
// complete.
bool ReportUntilTerminated(const sigset_t& signals, const CGadgetOptions& options,
                           const CDeviceReportSources& sources) {
    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) {
            continue;
        }
        bool complete = WriteDeviceReport(options, sources);
        if (signal != SIGUSR1) {
            return complete;
        }
    }
}
}  // namespace

int main(int argc, char** argv) {
    // First of all: a report signal that came before this would end the process.
    sigset_t signals = ReportSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::string error;
    auto options = ParseGadgetOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "zelvane-usb-device: %s\n", error.c_str());
        return 2;
    }

    auto device = CSimulatedDevice::UpdateMode();
    ArmFaults(*device, *options);
    CFunctionFsDevice usb;
    if (!usb.Open(options->functionFsDir, error)) {
        std::fprintf(stderr, "zelvane-usb-device: %s\n", error.c_str());
        return 1;
    }
    CMassStorageTarget target(device);
    CUdcBinding binding(options->udcFile, options->controller);
    CBulkOnlyTransport transport(usb, target, binding, options->replugAfter);
    std::thread([&usb] { usb.ServeControlRequests(); }).detach();
    std::thread([&transport] { transport.Serve(); }).detach();
    if (!binding.Plug()) {
        std::fprintf(stderr, "zelvane-usb-device: cannot bind to %s\n",
                     options->controller.c_str());
        return 1;
    }
    std::fprintf(stderr, "zelvane-usb-device: plugged into %s\n", options->controller.c_str());
    bool complete = ReportUntilTerminated(signals, *options, {*device, target, binding, usb});
    // The threads are still inside endpoint calls on objects of this frame; leave without
    // unwinding it. Closing the files removes the function, which unplugs the device.
    std::_Exit(complete ? 0 : 1);
}
