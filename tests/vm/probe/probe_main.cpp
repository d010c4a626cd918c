// zelvane-vm-probe: stands in for the updater inside the test virtual machine until the real
// program exists, using the product's own drive channel on the SG_IO backend.
//
//   zelvane-vm-probe                         update every device in update mode that shows up,
//                                            with the image beside the executable (runs until
//                                            killed; one line per event on standard output)
//   zelvane-vm-probe --bench DRIVE BLOCKS ROUNDS
//                                            time write + read-back of one block on /dev/sgDRIVE
//                                            through the channel and through a bare SG_IO loop
//   zelvane-vm-probe --sense DRIVE           check that a rejected command brings its sense data

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "probe_bench.h"
#include "probe_image.h"
#include "probe_log.h"
#include "probe_monitor.h"
#include "probe_sense.h"

namespace {
// The updater's own periods between scans and between presence probes.
constexpr auto kScanPeriod = std::chrono::milliseconds(500);
constexpr auto kPresencePeriod = std::chrono::milliseconds(500);

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

int RunMonitor() {
    std::string path;
    auto image = LoadImageBesideExecutable(path);
    if (!image) {
        ProbeLog("no image beside the executable");
        return 1;
    }
    ProbeLog("image " + path + " of " + std::to_string(image->size()) + " bytes");
    CProbeMonitor(ImageBlocks(*image), kScanPeriod, kPresencePeriod).Run();
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--bench") {
        return RunBench(argv);
    }
    if (argc == 3 && std::string(argv[1]) == "--sense") {
        return RunSenseCheck(argv);
    }
    if (argc != 1) {
        std::fprintf(stderr, "usage: %s [--bench DRIVE BLOCKS ROUNDS | --sense DRIVE]\n", argv[0]);
        return 2;
    }
    return RunMonitor();
}
