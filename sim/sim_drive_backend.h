#pragma once
// The simulator's drive backend: simulated devices plugged into drive numbers, behind the same
// interface as the operating system's drives. Tests, benchmarks and the demo put it in place with
// CScopedDriveBackend. Each instance is self-contained: nothing global carries from one to the
// next.
//
// Thread-safe: plug, unplug, open, send and close may come from any thread at any time. A handle
// opened before an unplug fails every request, also after the drive is plugged again.

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "device/device_protocol.h"
#include "platform/drive_backend.h"
#include "sim/simulated_device.h"

struct CSimLogEntry {
    enum class Kind { kOpen, kOpenFailed, kRequest, kClose };
    Kind kind;
    int drive;
    HANDLE handle;
    Cdb12 cdb;              // requests only
    std::uint8_t dataIn;    // requests only
    std::uint32_t length;   // requests only: DataTransferLength
    std::uint8_t lun;       // requests only
    std::uintptr_t buffer;  // requests only: where DataBuffer pointed
    bool succeeded;         // requests only: what Send returned
};

class CSimDriveBackend final : public CDriveBackend {
public:
    static constexpr int kDriveCount = 64;

    void Plug(int drive, std::shared_ptr<CSimulatedDevice> device);
    void Unplug(int drive);
    std::shared_ptr<CSimulatedDevice> DeviceAt(int drive) const;

    HANDLE Open(int driveNumber) override;
    bool Send(HANDLE handle, void* request, std::uint32_t size) override;
    void Close(HANDLE handle) override;

    // The log of opens, requests and closes, in the order they happened. On by default; a
    // benchmark turns it off.
    std::vector<CSimLogEntry> Log() const;
    std::vector<CSimLogEntry> RequestsTo(int drive) const;
    void ClearLog();
    void SetLogging(bool enabled);

    // Handles open now, in all or on one drive, and the most one drive ever had open at once.
    int OpenHandleCount() const;
    int OpenHandleCount(int drive) const;
    int MaxOpenHandles(int drive) const;

private:
    struct CDrive {
        std::shared_ptr<CSimulatedDevice> device;
        std::uint64_t generation = 0;
        int openHandles = 0;
        int maxOpenHandles = 0;
    };
    struct COpenHandle {
        int drive;
        std::uint64_t generation;
    };

    std::shared_ptr<CSimulatedDevice> DeviceBehind(HANDLE handle, int& drive,
                                                   std::uint64_t& generation) const;
    bool StillPlugged(int drive, std::uint64_t generation) const;
    void UnplugIfSame(int drive, std::uint64_t generation);
    void Record(const CSimLogEntry& entry);
    static bool ValidDrive(int drive) { return drive >= 0 && drive < kDriveCount; }

    mutable std::mutex m_mutex;
    std::array<CDrive, kDriveCount> m_drives;
    std::unordered_map<std::uintptr_t, COpenHandle> m_handles;
    std::uintptr_t m_nextHandle = 0x1000;
    std::vector<CSimLogEntry> m_log;
    bool m_logging = true;
};
