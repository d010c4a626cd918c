#include "sim/wine/wine_device_control.h"

#include <charconv>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace {
using Words = std::vector<std::string>;

bool ParseNumber(const std::string& text, std::uint64_t& value) {
    int base = 10;
    std::size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    const char* end = text.data() + text.size();
    auto [stop, failure] = std::from_chars(text.data() + start, end, value, base);
    return failure == std::errc() && stop == end && start < text.size();
}

// A block number or "any"; a count or "forever".
bool ParseOr(const std::string& text, const char* word, std::uint64_t wordValue,
             std::uint64_t limit, std::uint64_t& value) {
    if (text == word) {
        value = wordValue;
        return true;
    }
    return ParseNumber(text, value) && value <= limit;
}

class CControlRun {
public:
    CControlRun(CWineDeviceServer& server, Words words)
        : m_server(server), m_words(std::move(words)) {}

    std::string Run() {
        static const std::map<std::string, std::pair<std::size_t, std::string (CControlRun::*)()>>
            commands = {
                {"plug", {3, &CControlRun::Plug}},
                {"replug", {2, &CControlRun::Replug}},
                {"unplug", {2, &CControlRun::Unplug}},
                {"fail-read-backs", {4, &CControlRun::FailReadBacks}},
                {"corrupt-read-backs", {4, &CControlRun::CorruptReadBacks}},
                {"pull-after", {3, &CControlRun::PullAfter}},
                {"delay", {3, &CControlRun::Delay}},
                {"dump", {4, &CControlRun::Dump}},
                {"stats", {2, &CControlRun::Stats}},
            };
        if (m_words.empty()) {
            return "error empty command";
        }
        auto found = commands.find(m_words[0]);
        if (found == commands.end()) {
            return "error unknown command " + m_words[0];
        }
        auto [least, handler] = found->second;
        bool dumpWithPlace = m_words[0] == "dump" && m_words.size() == 6;
        if (m_words.size() != least && !dumpWithPlace) {
            return "error wrong number of words for " + m_words[0];
        }
        if (!ParseNumber(m_words[1], m_drive) || m_drive >= kWineDriveCount) {
            return "error no such drive: " + m_words[1];
        }
        return (this->*handler)();
    }

private:
    int Drive() const { return static_cast<int>(m_drive); }

    std::string Result(bool ok, const std::string& error) { return ok ? "ok" : "error " + error; }

    std::shared_ptr<CSimulatedDevice> Device(std::string& error) {
        auto device = m_server.LastDevice(Drive());
        if (!device) {
            error = "error nothing was plugged into drive " + m_words[1];
        }
        return device;
    }

    std::string Plug() {
        std::shared_ptr<CSimulatedDevice> device;
        if (m_words[2] == "update") {
            device = CSimulatedDevice::UpdateMode();
        } else if (m_words[2] == "disk") {
            device = CSimulatedDevice::OrdinaryDisk();
        } else {
            return "error a device is update or disk, not " + m_words[2];
        }
        std::string error;
        return Result(m_server.Plug(Drive(), device, error), error);
    }

    std::string Replug() {
        std::string error;
        return Result(m_server.Replug(Drive(), error), error);
    }

    std::string Unplug() {
        m_server.Unplug(Drive());
        return "ok";
    }

    std::string ArmBlockFault(void (CSimulatedDevice::*arm)(std::uint32_t, int)) {
        std::string error;
        auto device = Device(error);
        std::uint64_t block = 0;
        std::uint64_t times = 0;
        if (!device) {
            return error;
        }
        if (!ParseOr(m_words[2], "any", CSimulatedDevice::kAnyBlock, UINT32_MAX, block) ||
            !ParseOr(m_words[3], "forever", 0, INT32_MAX, times) || m_words[3] == "0") {
            return "error a fault needs a block or any, and a count or forever";
        }
        int count = m_words[3] == "forever" ? CSimulatedDevice::kForever : static_cast<int>(times);
        ((*device).*arm)(static_cast<std::uint32_t>(block), count);
        return "ok";
    }

    std::string FailReadBacks() { return ArmBlockFault(&CSimulatedDevice::FailReadBacks); }
    std::string CorruptReadBacks() { return ArmBlockFault(&CSimulatedDevice::CorruptReadBacks); }

    std::string PullAfter() {
        std::string error;
        auto device = Device(error);
        std::uint64_t commands = 0;
        if (!device) {
            return error;
        }
        if (!ParseNumber(m_words[2], commands) || commands == 0 || commands > INT32_MAX) {
            return "error a pull needs a count of commands above 0";
        }
        device->UnplugAfterCommands(static_cast<int>(commands));
        return "ok";
    }

    std::string Delay() {
        std::string error;
        auto device = Device(error);
        std::uint64_t microseconds = 0;
        if (!device) {
            return error;
        }
        if (!ParseNumber(m_words[2], microseconds)) {
            return "error a delay needs microseconds";
        }
        device->SetCommandDelay(std::chrono::microseconds(microseconds));
        return "ok";
    }

    std::string Dump() {
        std::string error;
        auto device = Device(error);
        std::uint64_t bytes = 0;
        std::uint64_t target = kDatabasePlacement.target;
        std::uint64_t block = kDatabasePlacement.FirstBlock();
        if (!device) {
            return error;
        }
        bool placed =
            m_words.size() == 4 || (ParseNumber(m_words[4], target) && target <= UINT8_MAX &&
                                    ParseNumber(m_words[5], block) && block <= UINT32_MAX);
        if (!ParseNumber(m_words[3], bytes) || !placed) {
            return "error a dump needs a byte count, and a target byte and block if any";
        }
        auto memory = device->ReadMemory(static_cast<std::uint8_t>(target),
                                         static_cast<std::uint32_t>(block), bytes);
        std::ofstream out(m_words[2], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(memory.data()),
                  static_cast<std::streamsize>(memory.size()));
        return out.good() ? "ok" : "error cannot write " + m_words[2];
    }

    std::string Stats() {
        std::ostringstream text;
        text << "ok plugged=" << (m_server.IsPlugged(Drive()) ? 1 : 0)
             << " requests=" << m_server.RequestCount(Drive());
        if (auto device = m_server.LastDevice(Drive())) {
            text << " inquiries=" << device->InquiryCount() << " writes=" << device->WriteCount()
                 << " reads=" << device->ReadCount()
                 << " blocks-written=" << device->BlocksWritten()
                 << " blocks-verified=" << device->BlocksVerified();
        }
        return text.str();
    }

    CWineDeviceServer& m_server;
    Words m_words;
    std::uint64_t m_drive = 0;
};

Words Split(const std::string& line) {
    Words words;
    std::istringstream in(line);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}
}  // namespace

std::string RunWineControl(CWineDeviceServer& server, const std::string& line) {
    return CControlRun(server, Split(line)).Run();
}
