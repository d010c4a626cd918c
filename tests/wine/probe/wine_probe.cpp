// wine-probe.exe: a Windows program that drives \\.\PhysicalDriveN through the device layer
// (CDriveChannel over DeviceIoControl), one command per line on standard input, one answer line
// on standard output, so that a test keeps one process (Wine keeps per-process state for drive
// nodes) while it plugs and pulls drives between commands.
//
//   open D | close D               a channel of its own per drive number D
//   inquiry D                      "ok <vendor product>" (INQUIRY bytes 8 to 31) | "failed"
//   target D                       IsTargetDevice: "yes" | "no"
//   write D BLOCK SEED             one block of a pattern made from SEED, at BLOCK of the
//   read D BLOCK SEED              database target: "ok" | "failed" | "differs"
//   together BLOCKS D...           one thread per drive: recognise, write and read back BLOCKS
//                                  blocks: "ok" | "failed D..."
//   quit
// Anything else answers "error ...".

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "device/device_protocol.h"
#include "device/drive_channel.h"

namespace {
using Block = std::vector<std::uint8_t>;

Block Pattern(std::uint32_t block, std::uint32_t seed) {
    Block data(kDeviceBlockBytes);
    std::uint32_t state = block * 2654435761u ^ seed;
    for (auto& byte : data) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    return data;
}

std::uint32_t AddressOf(std::uint32_t block) {
    return block * kDeviceBlockBytes;
}

std::string WriteAndRead(CDriveChannel& channel, std::uint32_t block, std::uint32_t seed) {
    Block data = Pattern(block, seed);
    if (channel.WriteBlock(data.data(), kDatabasePlacement.target, AddressOf(block)) != 1) {
        return "failed";
    }
    Block back(kDeviceBlockBytes);
    if (channel.ReadBlock(back.data(), kDatabasePlacement.target, AddressOf(block)) != 1) {
        return "failed";
    }
    return back == data ? "ok" : "differs";
}

// What a worker does, without the slot table: recognise, then write and verify every block.
bool UpdateAlone(int drive, std::uint32_t blocks) {
    CDriveChannel channel;
    if (channel.IsTargetDevice(drive) != 1 || channel.OpenDrive(drive) != 1) {
        return false;
    }
    bool ok = true;
    for (std::uint32_t i = 0; i < blocks && ok; ++i) {
        ok = WriteAndRead(channel, kDatabasePlacement.FirstBlock() + i,
                          static_cast<std::uint32_t>(drive)) == "ok";
    }
    channel.CloseDrive();
    return ok;
}

class CProbe {
public:
    std::string Run(std::istringstream& words) {
        std::string command;
        int drive = -1;
        words >> command;
        if (command == "together") {
            return Together(words);
        }
        if (!(words >> drive)) {
            return "error " + command + " needs a drive number";
        }
        CDriveChannel& channel = Channel(drive);
        if (command == "open") {
            return channel.OpenDrive(drive) == 1 ? "ok" : "failed";
        }
        if (command == "close") {
            channel.CloseDrive();
            return "ok";
        }
        if (command == "target") {
            return CDriveChannel().IsTargetDevice(drive) == 1 ? "yes" : "no";
        }
        if (command == "inquiry") {
            Block answer(kDeviceBlockBytes);
            if (channel.Inquiry(answer.data()) != 1) {
                return "failed";
            }
            return "ok " + std::string(answer.begin() + kInquiryVendorOffset, answer.begin() + 32);
        }
        std::uint32_t block = 0;
        std::uint32_t seed = 0;
        if ((command == "write" || command == "read") && (words >> block >> seed)) {
            return command == "write" ? Write(channel, block, seed) : Read(channel, block, seed);
        }
        return "error unknown or incomplete: " + command;
    }

private:
    CDriveChannel& Channel(int drive) {
        auto& channel = m_channels[drive];
        if (!channel) {
            channel = std::make_unique<CDriveChannel>();
        }
        return *channel;
    }

    static std::string Write(CDriveChannel& channel, std::uint32_t block, std::uint32_t seed) {
        Block data = Pattern(block, seed);
        int ok = channel.WriteBlock(data.data(), kDatabasePlacement.target, AddressOf(block));
        return ok == 1 ? "ok" : "failed";
    }

    static std::string Read(CDriveChannel& channel, std::uint32_t block, std::uint32_t seed) {
        Block back(kDeviceBlockBytes);
        if (channel.ReadBlock(back.data(), kDatabasePlacement.target, AddressOf(block)) != 1) {
            return "failed";
        }
        return back == Pattern(block, seed) ? "ok" : "differs";
    }

    static std::string Together(std::istringstream& words) {
        std::uint32_t blocks = 0;
        std::vector<int> drives;
        words >> blocks;
        for (int drive; words >> drive;) {
            drives.push_back(drive);
        }
        std::vector<char> results(drives.size(), 0);
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < drives.size(); ++i) {
            threads.emplace_back([&, i] { results[i] = UpdateAlone(drives[i], blocks) ? 1 : 0; });
        }
        std::string failed;
        for (std::size_t i = 0; i < drives.size(); ++i) {
            threads[i].join();
            failed += results[i] ? "" : " " + std::to_string(drives[i]);
        }
        return drives.empty()   ? "error together needs drives"
               : failed.empty() ? "ok"
                                : "failed" + failed;
    }

    std::map<int, std::unique_ptr<CDriveChannel>> m_channels;
};
}  // namespace

int main() {
    CProbe probe;
    for (std::string line; std::getline(std::cin, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line == "quit") {
            break;
        }
        std::istringstream words(line);
        std::cout << probe.Run(words) << std::endl;
    }
    return 0;
}
