#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include "device/drive_channel.h"

namespace {

using Table = std::array<std::int32_t, kSlotCount>;

class SlotTableTest : public ::testing::Test {
protected:
    void SetUp() override { CDriveChannel::ClearSlots(); }
    void TearDown() override { CDriveChannel::ClearSlots(); }

    static void Fill(const Table& table) { std::copy(table.begin(), table.end(), g_slotDrive); }
    static Table Current() {
        Table table;
        std::copy(g_slotDrive, g_slotDrive + kSlotCount, table.begin());
        return table;
    }
};

TEST_F(SlotTableTest, ClearSlotsFreesEveryEntry) {
    Fill({1, 2, 3, 4});
    EXPECT_EQ(CDriveChannel::ClearSlots(), 0);
    EXPECT_EQ(Current(), (Table{-1, -1, -1, -1}));
    for (int drive = 0; drive <= 25; ++drive) {
        EXPECT_EQ(CDriveChannel::FindSlot(drive), -1);
    }
}

TEST_F(SlotTableTest, ClaimTakesTheLowestFreeSlotOnce) {
    CDriveChannel channel;
    EXPECT_EQ(channel.ClaimSlot(3), 0);
    EXPECT_EQ(Current(), (Table{3, -1, -1, -1}));
    EXPECT_EQ(channel.ClaimSlot(3), 0);
    EXPECT_EQ(Current(), (Table{3, -1, -1, -1}));
}

TEST_F(SlotTableTest, ClaimFillsAGap) {
    Fill({5, -1, 7, -1});
    CDriveChannel channel;
    EXPECT_EQ(channel.ClaimSlot(9), 1);
    EXPECT_EQ(Current(), (Table{5, 9, 7, -1}));
}

TEST_F(SlotTableTest, ClaimOnAFullTableRecordsTheDriveButTakesNothing) {
    Fill({5, 6, 7, 8});
    CDriveChannel channel;
    EXPECT_EQ(channel.ClaimSlot(9), -1);
    EXPECT_EQ(channel.DriveNumber(), 9);
    EXPECT_EQ(Current(), (Table{5, 6, 7, 8}));
    EXPECT_EQ(CDriveChannel::FindSlot(9), -1);
    EXPECT_EQ(channel.ClaimSlot(7), 2);

    // Closing a channel whose drive got no slot must not free anyone else's.
    CDriveChannel unlucky;
    unlucky.ClaimSlot(9);
    unlucky.CloseDrive();
    EXPECT_EQ(Current(), (Table{5, 6, 7, 8}));
}

TEST_F(SlotTableTest, CloseDriveFreesOnlyItsOwnSlotOnce) {
    Fill({5, -1, 7, -1});
    CDriveChannel channel;
    channel.ClaimSlot(9);
    EXPECT_EQ(channel.CloseDrive(), 0);
    EXPECT_EQ(Current(), (Table{5, -1, 7, -1}));
    EXPECT_EQ(channel.DriveNumber(), 9);
    channel.CloseDrive();
    EXPECT_EQ(Current(), (Table{5, -1, 7, -1}));
}

TEST_F(SlotTableTest, CloseDriveOnANewChannelTouchesNothing) {
    Fill({5, -1, 7, -1});
    CDriveChannel channel;
    channel.CloseDrive();
    EXPECT_EQ(Current(), (Table{5, -1, 7, -1}));
}

TEST_F(SlotTableTest, FindSlotGivesTheLowestMatch) {
    Fill({-1, 4, 4, -1});
    EXPECT_EQ(CDriveChannel::FindSlot(4), 1);
    EXPECT_EQ(CDriveChannel::FindSlot(5), -1);
}

TEST_F(SlotTableTest, ClaimNewSlotNeverTakesOverAHeldDrive) {
    Fill({4, -1, -1, -1});
    CDriveChannel channel;
    EXPECT_EQ(channel.ClaimNewSlot(4), -1);
    EXPECT_EQ(channel.DriveNumber(), -1);
    channel.CloseDrive();  // must not free the holder's slot
    EXPECT_EQ(Current(), (Table{4, -1, -1, -1}));
    EXPECT_EQ(channel.ClaimNewSlot(6), 1);
    EXPECT_EQ(channel.DriveNumber(), 6);
    Fill({4, 5, 6, 7});
    CDriveChannel late;
    EXPECT_EQ(late.ClaimNewSlot(8), -1);
    EXPECT_EQ(Current(), (Table{4, 5, 6, 7}));
}

TEST_F(SlotTableTest, TheFreeMarkerCannotBeClaimed) {
    CDriveChannel channel;
    EXPECT_EQ(channel.ClaimSlot(-1), -1);
    EXPECT_EQ(channel.ClaimNewSlot(-1), -1);
    EXPECT_EQ(Current(), (Table{-1, -1, -1, -1}));
}

// Many threads claim, look up and free at once. Every claim either gets a slot that no other
// holder has, or finds the table full; every free gives the slot back; lookups never see a
// drive in two slots.
TEST_F(SlotTableTest, ConcurrentClaimsNeverShareASlotAndNeverLoseAFree) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 2000;
    std::array<std::atomic<int>, kSlotCount> holders{};
    std::atomic<int> violations{0};
    std::atomic<int> claims{0};

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                int drive = t * 100 + round % 3;
                CDriveChannel channel;
                int slot = channel.ClaimSlot(drive);
                if (slot < 0) {
                    continue;
                }
                ++claims;
                if (holders[slot].fetch_add(1) != 0) {
                    ++violations;
                }
                if (CDriveChannel::FindSlot(drive) != slot) {
                    ++violations;
                }
                holders[slot].fetch_sub(1);
                channel.CloseDrive();
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(violations.load(), 0);
    EXPECT_GT(claims.load(), 0);
    EXPECT_EQ(Current(), (Table{-1, -1, -1, -1}));
}

}  // namespace
