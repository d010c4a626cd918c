#include <gtest/gtest.h>

#include "device/drive_channel.h"
#include "platform/drive_backend.h"
#include "platform/drive_backend_override.h"

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

class CRefusingBackend final : public CDriveBackend {
public:
    HANDLE Open(int) override {
        ++opens;
        return INVALID_HANDLE_VALUE;
    }
    bool Send(HANDLE, void*, std::uint32_t) override { return false; }
    void Close(HANDLE) override {}
    int opens = 0;
};

// Replacements nest: each guard gives back the backend that was in place before it.
TEST(SystemDriveBackend, IsTheDefaultAndComesBackAfterNestedReplacements) {
    EXPECT_EQ(&GetDriveBackend(), &GetSystemDriveBackend());
    CRefusingBackend outer;
    {
        CScopedDriveBackend outerInPlace(&outer);
        EXPECT_EQ(&GetDriveBackend(), &outer);
        CDriveChannel channel;
        EXPECT_EQ(channel.IsTargetDevice(0), 0);
        EXPECT_EQ(outer.opens, 1);
        CRefusingBackend inner;
        {
            CScopedDriveBackend innerInPlace(&inner);
            EXPECT_EQ(&GetDriveBackend(), &inner);
        }
        EXPECT_EQ(&GetDriveBackend(), &outer);
    }
    EXPECT_EQ(&GetDriveBackend(), &GetSystemDriveBackend());
}

}  // namespace
