#pragma once
// The slot table: the four display slots and which drive holds each. A drive's worker holds a
// slot from its claim until its device is gone; slot i shows in bar g_progress[i].
//
// The operations on the table are CDriveChannel's members, as the device layer names them:
// ClaimSlot, ClaimNewSlot, FindSlot, ClearSlots and the private ReleaseSlotOf, declared in
// device/drive_channel.h and implemented, with the table and its lock, in device/slot_table.cpp.
// Each takes the table's lock for its whole step.

#include <cstdint>

inline constexpr int kSlotCount = 4;

// Entry i holds the drive number that owns slot i, or -1 when it is free. Read it through
// CDriveChannel::FindSlot; tests may look at it directly while no other thread uses it.
extern std::int32_t g_slotDrive[kSlotCount];
