#pragma once
// The demo's drives: simulated devices of a few kinds plugged into drive numbers of the
// simulator's backend, and what each has received. The bench window and the scripted scenarios
// both work through it. GUI thread only; the devices themselves may be used from any thread.

#include <array>
#include <chrono>
#include <cstddef>
#include <memory>

#include "sim/sim_drive_backend.h"

enum class DeviceKind {
    kNone,            // nothing plugged in
    kUpdateMode,      // a device in update mode
    kSlow,            // in update mode, each command takes a while: the bar can be followed
    kFaultyReadBack,  // in update mode; one block in the middle always reads back altered
    kPullsItself,     // in update mode; vanishes partway through the image
    kOrdinaryDisk,    // another vendor's disk, which the updater leaves alone
};

// What the bench knows of one drive.
struct CDriveState {
    DeviceKind kind = DeviceKind::kNone;  // the device plugged in last; kNone after an unplug
    bool present = false;                 // still in the drive (false once pulled out)
    int slot = -1;                        // the updater's slot for the drive, or -1
    std::size_t blocksWritten = 0;
    std::size_t blocksVerified = 0;
};

class CDeviceBench {
public:
    static constexpr int kDriveCount = 6;
    // Each command of a slow device takes this long: the sample image takes about 6 s.
    static constexpr std::chrono::milliseconds kSlowCommandDelay{15};
    // A device that pulls itself goes after this share of the image.
    static constexpr int kPullPercent = 40;

    // `imageBlocks`: blocks an update writes, to place the faults in the middle of the image.
    CDeviceBench(CSimDriveBackend& backend, std::size_t imageBlocks);

    // Plugs a fresh device of `kind` into `drive` (0 to kDriveCount - 1), in place of one there.
    std::shared_ptr<CSimulatedDevice> Plug(int drive, DeviceKind kind);
    void Unplug(int drive);
    // Pulls the device out as a hand pulls a cable: a device in the drive goes at once, a command
    // in flight not completed, and stays on record as gone, with what it received; an empty
    // drive gets a device that goes by itself partway through the image.
    void PullDuringTransfer(int drive);

    CDriveState State(int drive) const;
    // The device plugged into `drive` last, also when it has gone by itself; null after Unplug.
    std::shared_ptr<CSimulatedDevice> Device(int drive) const;
    std::size_t ImageBlocks() const { return m_imageBlocks; }

    static const char* KindName(DeviceKind kind);

private:
    struct CBenchDrive {
        DeviceKind kind = DeviceKind::kNone;
        std::shared_ptr<CSimulatedDevice> device;
    };

    std::shared_ptr<CSimulatedDevice> MakeDevice(DeviceKind kind) const;
    static bool ValidDrive(int drive) { return drive >= 0 && drive < kDriveCount; }

    CSimDriveBackend& m_backend;
    std::size_t m_imageBlocks;
    std::array<CBenchDrive, kDriveCount> m_drives;
};
