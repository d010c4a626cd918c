// The slot table: each operation takes the one lock for its whole step, so a claim is never seen
// half done and a free never clears an entry another thread has just taken.

#include "device/slot_table.h"

#include <mutex>

#include "device/drive_channel.h"

std::int32_t g_slotDrive[kSlotCount] = {-1, -1, -1, -1};

namespace {
std::mutex g_slotMutex;

int FindSlotLocked(int drive) {
    for (int i = 0; i < kSlotCount; ++i) {
        if (g_slotDrive[i] == drive) {
            return i;
        }
    }
    return -1;
}
}  // namespace

int CDriveChannel::FindSlot(int drive) {
    std::lock_guard lock(g_slotMutex);
    return FindSlotLocked(drive);
}

int CDriveChannel::ClearSlots() {
    std::lock_guard lock(g_slotMutex);
    for (std::int32_t& entry : g_slotDrive) {
        entry = -1;
    }
    return 0;
}

int CDriveChannel::ClaimSlot(int drive) {
    m_driveNumber = drive;
    if (drive == -1) {
        return -1;  // -1 marks a free entry; it can never own one
    }
    std::lock_guard lock(g_slotMutex);
    int slot = FindSlotLocked(drive);
    if (slot < 0) {
        slot = FindSlotLocked(-1);
        if (slot >= 0) {
            g_slotDrive[slot] = drive;
        }
    }
    return slot;
}

int CDriveChannel::ClaimNewSlot(int drive) {
    if (drive == -1) {
        return -1;
    }
    std::lock_guard lock(g_slotMutex);
    if (FindSlotLocked(drive) >= 0) {
        return -1;
    }
    int slot = FindSlotLocked(-1);
    if (slot >= 0) {
        g_slotDrive[slot] = drive;
        m_driveNumber = drive;
    }
    return slot;
}

void CDriveChannel::ReleaseSlotOf(int drive) {
    if (drive == -1) {
        return;
    }
    std::lock_guard lock(g_slotMutex);
    int slot = FindSlotLocked(drive);
    if (slot >= 0) {
        g_slotDrive[slot] = -1;
    }
}
