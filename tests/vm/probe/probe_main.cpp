// zelvane-vm-probe: what the VM test needs that the real program does not do. Every scenario
// that judges updating runs the real zelvane; this measures the stack underneath it and checks
// a rejected command's sense, using the product's own drive channel on the SG_IO backend.
//
//   zelvane-vm-probe --bench DRIVE BLOCKS ROUNDS
//                     time write + read-back of one block on /dev/sgDRIVE through the channel
//                     and through a bare SG_IO loop; prints "METRIC name=value" lines
//   zelvane-vm-probe --sense DRIVE
//                     check that a rejected command brings its sense data
//   zelvane-vm-probe --block-bytes
//                     print the device's block size, for the harness that prepares the images
//   zelvane-vm-probe --db-first-block
//                     print the database's first device block, where the harness puts faults
//
// Exit status: 0 as expected, 1 not, 2 a malformed command line.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "device/device_protocol.h"
#include "tests/vm/probe/probe_bench.h"
#include "tests/vm/probe/probe_sense.h"

namespace {
int RunBench(char** argv) {
    CBenchFigures figures{};
    if (!MeasureBlockRoundTrip(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                               figures)) {
        std::printf("bench failed on sg%s\n", argv[2]);
        return 1;
    }
    std::printf("METRIC channel_us_per_block=%.0f\n", figures.channelMicrosecondsPerBlock);
    std::printf("METRIC bare_sgio_us_per_block=%.0f\n", figures.bareMicrosecondsPerBlock);
    return 0;
}

int RunSenseCheck(char** argv) {
    std::string what;
    bool expected = RejectedCommandCarriesSense(std::atoi(argv[2]), what);
    std::printf("%s: %s\n", expected ? "sense as expected" : "unexpected answer", what.c_str());
    return expected ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (argc == 5 && command == "--bench") {
        return RunBench(argv);
    }
    if (argc == 3 && command == "--sense") {
        return RunSenseCheck(argv);
    }
    if (argc == 2 && command == "--block-bytes") {
        std::printf("%u\n", kDeviceBlockBytes);
        return 0;
    }
    if (argc == 2 && command == "--db-first-block") {
        std::printf("%u\n", kDatabasePlacement.FirstBlock());
        return 0;
    }
    std::fprintf(stderr,
                 "usage: %s --bench DRIVE BLOCKS ROUNDS | --sense DRIVE | --block-bytes | "
                 "--db-first-block\n",
                 argv[0]);
    return 2;
}
