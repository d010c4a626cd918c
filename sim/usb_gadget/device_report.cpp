#include "sim/usb_gadget/device_report.h"

#include <cstdio>
#include <fstream>

namespace {
// Written to a temporary name and renamed, so a reader never sees half a file.
bool WriteWhole(const std::string& path, const std::string& bytes) {
    std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.good()) {
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::string MemoryImage(const CGadgetOptions& options, const CSimulatedDevice& device) {
    auto memory = device.ReadMemory(options.dumpTarget, options.dumpBlock, options.dumpBytes);
    return std::string(memory.begin(), memory.end());
}

std::string Milliseconds(std::chrono::steady_clock::duration duration) {
    return std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(duration).count() /
                          1000.0);
}

std::string Counters(const CDeviceReportSources& s) {
    std::string text;
    auto line = [&text](const char* name, const std::string& value) {
        text += std::string(name) + "=" + value + "\n";
    };
    line("inquiries", std::to_string(s.device.InquiryCount()));
    line("block_writes", std::to_string(s.device.WriteCount()));
    line("block_reads", std::to_string(s.device.ReadCount()));
    line("blocks_written", std::to_string(s.device.BlocksWritten()));
    line("blocks_verified", std::to_string(s.device.BlocksVerified()));
    line("generic_commands", std::to_string(s.target.GenericCommandCount()));
    line("failed_calls", std::to_string(s.target.FailedCallCount()));
    line("bot_resets", std::to_string(s.usb.ResetCount()));
    line("enables", std::to_string(s.usb.EnableCount()));
    line("plugs", std::to_string(s.binding.PlugCount()));
    line("pulls", std::to_string(s.binding.PullCount()));
    auto plugged = s.binding.FirstPlugTime();
    auto firstWrite = s.target.FirstWriteTime();
    if (plugged && firstWrite) {
        line("plug_to_first_write_ms", Milliseconds(*firstWrite - *plugged));
    }
    return text;
}
}  // namespace

bool WriteDeviceReport(const CGadgetOptions& options, const CDeviceReportSources& sources) {
    bool complete = true;
    if (!options.dumpFile.empty()) {
        complete = WriteWhole(options.dumpFile, MemoryImage(options, sources.device)) && complete;
    }
    if (!options.statsFile.empty()) {
        complete = WriteWhole(options.statsFile, Counters(sources)) && complete;
    }
    return complete;
}
