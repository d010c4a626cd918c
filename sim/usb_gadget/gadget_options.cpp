#include "sim/usb_gadget/gadget_options.h"

#include <charconv>
#include <functional>
#include <map>
#include <string_view>

#include "sim/simulated_device.h"

namespace {
template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    auto [stop, failure] = std::from_chars(text.data(), end, value);
    return failure == std::errc() && stop == end;
}

bool ParseBlockFault(std::string_view text, CBlockFaultOption& fault) {
    fault = {CSimulatedDevice::kAnyBlock, CSimulatedDevice::kForever};
    std::string_view block = text.substr(0, text.find(':'));
    if (block != "any" && !ParseNumber(block, fault.block)) {
        return false;
    }
    if (block.size() == text.size()) {
        return true;
    }
    return ParseNumber(text.substr(block.size() + 1), fault.times) && fault.times > 0;
}

using OptionSetter = std::function<bool(CGadgetOptions&, std::string_view)>;

const std::map<std::string_view, OptionSetter>& Setters() {
    static const std::map<std::string_view, OptionSetter> setters = {
        {"--ffs", [](auto& o, auto v) { return o.functionFsDir = v, true; }},
        {"--udc-file", [](auto& o, auto v) { return o.udcFile = v, true; }},
        {"--udc", [](auto& o, auto v) { return o.controller = v, true; }},
        {"--fail-read-backs",
         [](auto& o, auto v) {
             CBlockFaultOption fault;
             return ParseBlockFault(v, fault) && (o.failingReadBacks.push_back(fault), true);
         }},
        {"--corrupt-read-backs",
         [](auto& o, auto v) {
             CBlockFaultOption fault;
             return ParseBlockFault(v, fault) && (o.corruptReadBacks.push_back(fault), true);
         }},
        {"--refuse-blocks",
         [](auto& o, auto v) {
             std::size_t colon = v.find(':');
             return colon != std::string_view::npos &&
                    ParseNumber(v.substr(0, colon), o.refusedFirst) &&
                    ParseNumber(v.substr(colon + 1), o.refusedCount) && o.refusedCount > 0;
         }},
        {"--pull-after",
         [](auto& o, auto v) {
             int commands = 0;
             return ParseNumber(v, commands) && commands > 0 &&
                    (o.pullAfterCommands = commands, true);
         }},
        {"--replug-after-ms",
         [](auto& o, auto v) {
             long ms = 0;
             return ParseNumber(v, ms) && (o.replugAfter = std::chrono::milliseconds(ms), true);
         }},
        {"--delay-us",
         [](auto& o, auto v) {
             long us = 0;
             return ParseNumber(v, us) && us >= 0 &&
                    (o.commandDelay = std::chrono::microseconds(us), true);
         }},
        {"--dump", [](auto& o, auto v) { return o.dumpFile = v, true; }},
        {"--dump-target", [](auto& o, auto v) { return ParseNumber(v, o.dumpTarget); }},
        {"--dump-block", [](auto& o, auto v) { return ParseNumber(v, o.dumpBlock); }},
        {"--dump-bytes", [](auto& o, auto v) { return ParseNumber(v, o.dumpBytes); }},
        {"--stats", [](auto& o, auto v) { return o.statsFile = v, true; }},
    };
    return setters;
}
}  // namespace

std::optional<CGadgetOptions> ParseGadgetOptions(int argc, char** argv, std::string& error) {
    CGadgetOptions options;
    for (int i = 1; i < argc; i += 2) {
        std::string_view name = argv[i];
        auto setter = Setters().find(name);
        if (setter == Setters().end() || i + 1 >= argc) {
            error = "unknown option or missing value: " + std::string(name);
            return std::nullopt;
        }
        if (!setter->second(options, argv[i + 1])) {
            error = "bad value for " + std::string(name) + ": " + argv[i + 1];
            return std::nullopt;
        }
    }
    if (options.functionFsDir.empty() || options.udcFile.empty() || options.controller.empty()) {
        error = "--ffs, --udc-file and --udc are required";
        return std::nullopt;
    }
    return options;
}
