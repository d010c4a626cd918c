// The Win32 drive backend as far as Wine can show it. Without a dosdevices link in the prefix,
// Wine opens its own C: disk for \\.\PhysicalDrive0, on which every pass-through request fails,
// and no other drive number opens. On a real Windows machine the drives present differ, so these
// cases run only under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "device/drive_channel.h"
#include "platform/drive_backend.h"

namespace {

bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

class WindowsDriveBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!RunningUnderWine()) {
            GTEST_SKIP() << "which physical drives exist is the machine's; these cases know Wine's";
        }
    }
    CDriveBackend& m_backend = GetSystemDriveBackend();
};

TEST_F(WindowsDriveBackendTest, DriveZeroOpensButNoRequestGoesThrough) {
    HANDLE drive = m_backend.Open(0);
    ASSERT_NE(drive, INVALID_HANDLE_VALUE);
    CDriveChannel channel;
    ASSERT_EQ(channel.OpenDrive(0), 1);
    unsigned char buffer[1024];
    std::memset(buffer, 0xA5, sizeof buffer);
    EXPECT_EQ(channel.Inquiry(buffer), 0);
    EXPECT_EQ(channel.ReadBlock(buffer, 1, 0x190000), 0);
    EXPECT_EQ(channel.WriteBlock(buffer, 1, 0x190000), 0);
    channel.CloseDrive();
    EXPECT_FALSE(channel.IsOpen());
    m_backend.Close(drive);
}

TEST_F(WindowsDriveBackendTest, DriveZeroIsNoTargetAndIsClosedAgain) {
    CDriveChannel channel;
    EXPECT_EQ(channel.IsTargetDevice(0), 0);
    EXPECT_FALSE(channel.IsOpen());
}

// Every drive number the monitor scans beyond 0 has nothing behind it here.
TEST_F(WindowsDriveBackendTest, NoOtherDriveOpens) {
    for (int drive = 1; drive <= 25; ++drive) {
        EXPECT_EQ(m_backend.Open(drive), INVALID_HANDLE_VALUE) << "drive " << drive;
    }
    CDriveChannel channel;
    EXPECT_EQ(channel.OpenDrive(12), 0);
    EXPECT_FALSE(channel.IsOpen());
}

// Opening again closes the handle held before, also when the new open fails.
TEST_F(WindowsDriveBackendTest, AFailedReopenLeavesTheChannelClosed) {
    CDriveChannel channel;
    ASSERT_EQ(channel.OpenDrive(0), 1);
    EXPECT_EQ(channel.OpenDrive(3), 0);
    EXPECT_FALSE(channel.IsOpen());
}

TEST(WindowsDriveBackend, RefusesWhatCannotBeADrive) {
    CDriveBackend& backend = GetSystemDriveBackend();
    EXPECT_EQ(backend.Open(-1), INVALID_HANDLE_VALUE);
    unsigned char request[256] = {};
    EXPECT_FALSE(backend.Send(INVALID_HANDLE_VALUE, request, sizeof request));
    backend.Close(INVALID_HANDLE_VALUE);
}

}  // namespace
