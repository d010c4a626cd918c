#pragma once
// The command line of the USB device program.
//
//   zelvane-usb-device --ffs DIR --udc-file FILE --udc NAME [faults] [report]
//
//   --ffs DIR                 the mounted FunctionFS instance of the gadget's one function
//   --udc-file FILE           the gadget's UDC file in configfs
//   --udc NAME                the controller to bind to, e.g. dummy_udc.0
// faults, all of them the simulated device model's own:
//   --fail-read-backs B[:N]   block read-backs of block B (or "any") fail, N times (default: all)
//   --corrupt-read-backs B[:N] block read-backs of block B (or "any") return altered data
//   --refuse-blocks B:N       flash that refuses blocks B to B+N-1: their writes and read-backs
//                             end in CHECK CONDITION (the data phase padded, as bulk-only does)
//   --pull-after N            pull the device after N more commands to the model
//   --replug-after-ms MS      plug it back MS milliseconds after such a pull (default 1000;
//                             negative: stays unplugged)
//   --delay-us US             every command to the model takes US microseconds more
// report, written on SIGUSR1 and on SIGTERM or SIGINT (then the program ends):
//   --dump FILE               the device memory: --dump-bytes bytes from block --dump-block
//                             of target --dump-target (default: where the database goes)
//   --stats FILE              counters as name=value lines

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/device_protocol.h"

struct CBlockFaultOption {
    std::uint32_t block;  // CSimulatedDevice::kAnyBlock for any
    int times;            // CSimulatedDevice::kForever for always
};

struct CGadgetOptions {
    std::string functionFsDir;
    std::string udcFile;
    std::string controller;
    std::vector<CBlockFaultOption> failingReadBacks;
    std::vector<CBlockFaultOption> corruptReadBacks;
    std::uint32_t refusedFirst = 0;
    std::uint32_t refusedCount = 0;
    std::optional<int> pullAfterCommands;
    std::chrono::milliseconds replugAfter{1000};
    std::chrono::microseconds commandDelay{0};
    std::string dumpFile;
    std::uint8_t dumpTarget = kDatabasePlacement.target;
    std::uint32_t dumpBlock = kDatabasePlacement.FirstBlock();
    std::size_t dumpBytes = 0;
    std::string statsFile;
};

// Parses argv; on a malformed or incomplete command line returns nothing and sets `error`.
std::optional<CGadgetOptions> ParseGadgetOptions(int argc, char** argv, std::string& error);
