#include "update/hidden_test_command.h"

#include <cstdint>

#include "device/device_protocol.h"
#include "device/drive_channel.h"

namespace {
constexpr int kLastTestedDrive = 9;
}  // namespace

void RunHiddenTestCommand() {
    CDriveChannel channel;
    alignas(kDataBufferAlignment) std::uint8_t buffer[kDeviceBlockBytes];
    for (int drive = 0; drive <= kLastTestedDrive; ++drive) {
        if (CDriveChannel::FindSlot(drive) >= 0 || channel.IsTargetDevice(drive) != 1) {
            continue;
        }
        // Claim only a slot that is free now: one a worker took since the look above is its own.
        if (channel.ClaimNewSlot(drive) < 0) {
            continue;
        }
        // The drive number may have passed to another drive since the look above.
        if (channel.ReopenTarget() == 1) {
            channel.ReadBlock(buffer, kFirmwarePlacement.target, kFirmwarePlacement.firstAddress);
        }
        channel.CloseDrive();
    }
}
