#include <gtest/gtest.h>

#include "device/drive_channel.h"
#include "platform/drive_backend.h"

namespace {

// Drive numbers far beyond any machine's generic nodes: the real backend must say "no drive"
// without sending anything, as it does for a missing or forbidden node.
TEST(SystemDriveBackend, AMissingNodeDoesNotOpen) {
    CDriveBackend& backend = GetSystemDriveBackend();
    EXPECT_EQ(backend.Open(-1), INVALID_HANDLE_VALUE);
    EXPECT_EQ(backend.Open(100000), INVALID_HANDLE_VALUE);
    std::uint8_t request[256] = {};
    EXPECT_FALSE(backend.Send(INVALID_HANDLE_VALUE, request, sizeof request));
    backend.Close(INVALID_HANDLE_VALUE);
}

TEST(SystemDriveBackend, IsTheDefaultAndComesBackAfterAReplacement) {
    EXPECT_EQ(&GetDriveBackend(), &GetSystemDriveBackend());
    CDriveChannel channel;
    EXPECT_EQ(channel.IsTargetDevice(100000), 0);
}

}  // namespace
