#pragma once
// The device side of the fake drives for programs under Wine: simulated devices plugged into
// drive numbers through the simulator's own drive backend, each drive reachable from the Wine
// prefix as \\.\PhysicalDrive<N> by the link dosdevices/physicaldrive<N> to its node.
//
// Plugging makes the link, unplugging removes it, so opening the drive fails exactly while it is
// unplugged; a descriptor opened before an unplug fails every command, also after a replug (the
// simulator's handle rule). A drive's node is made once and kept, so every plug cycle shows
// Wine the same inode.
//
// Thread-safe: every operation may come from any thread (one per shim connection, and control).

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "sim/sim_drive_backend.h"
#include "sim/simulated_device.h"
#include "sim/wine/wine_device_wire.h"

class CWineDeviceServer {
public:
    // `dir` holds the nodes (made here when missing) and the socket; `dosDevices` is the
    // dosdevices folder of the Wine prefix. Both folders must exist.
    CWineDeviceServer(std::string dir, std::string dosDevices);

    // Puts `device` into `drive` (any device there before is pulled first) and links the drive.
    // False with `error` set when the drive number is out of range or the node or link could not
    // be made.
    bool Plug(int drive, std::shared_ptr<CSimulatedDevice> device, std::string& error);
    // Plugs the device last plugged into `drive` again, its memory as it was.
    bool Replug(int drive, std::string& error);
    // Removes the link and pulls the device; nothing when the drive is empty.
    void Unplug(int drive);
    void UnplugAll();
    bool IsPlugged(int drive) const;
    // The device last plugged into `drive` (also while unplugged), or null.
    std::shared_ptr<CSimulatedDevice> LastDevice(int drive) const;

    // Runs one request from a shim. `data` holds request.dataLength bytes: what goes to the
    // device, or room for what comes back. The request runs on the simulator's handle of the
    // plug it names by its generation: a request from an earlier plug fails, as does one after
    // the device pulled itself. Descriptors of one plug share that handle, which the simulator
    // allows: it serialises on its own locks.
    CWineSgAnswer Execute(const CWineSgRequest& request, std::uint8_t* data);

    // Requests that named `drive`, whatever became of them: with the device's own counters, which
    // count only the commands it accepted, this tells that an ordinary disk got INQUIRY only.
    std::uint64_t RequestCount(int drive) const;
    const std::string& Dir() const { return m_dir; }

private:
    static bool ValidDrive(int drive) { return drive >= 0 && drive < kWineDriveCount; }
    HANDLE HandleOf(const CWineSgRequest& request) const;
    bool Link(int drive, std::string& error);
    void RemoveLinkLocked(int drive);
    void RemoveLinkIfPulled(int drive);
    std::string LinkPath(int drive) const;

    struct CPlug {
        std::shared_ptr<CSimulatedDevice> lastDevice;
        std::uint64_t generation = 0;  // counts plugs; names the node while plugged
        HANDLE handle = INVALID_HANDLE_VALUE;
    };

    const std::string m_dir;
    const std::string m_dosDevices;
    CSimDriveBackend m_backend;
    mutable std::mutex m_mutex;  // plug state and links; the backend has its own lock
    std::array<CPlug, kWineDriveCount> m_plugs;
    std::array<std::atomic<std::uint64_t>, kWineDriveCount> m_requests{};
};
