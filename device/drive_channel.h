#pragma once
// One thread's connection to one physical drive, with the three device commands and the
// operations on the process-wide table of drive slots (device/slot_table.h, its operations
// implemented in device/slot_table.cpp).
//
// A channel belongs to the thread that made it and is never shared; it makes no platform call
// when constructed and releases nothing when destroyed, so its user closes it first (CloseDrive,
// or IsTargetDevice, which closes by itself). Results: 1 success, 0 failure; slot operations
// return a slot 0 to 3 or -1.

#include <cstdint>

#include "device/device_protocol.h"
#include "device/pass_through_request.h"
#include "device/slot_table.h"
#include "platform/drive_backend.h"

class CDriveChannel {
public:
    CDriveChannel() = default;
    CDriveChannel(const CDriveChannel&) = delete;
    CDriveChannel& operator=(const CDriveChannel&) = delete;

    // Opens drive `drive`, closing the handle held before; leaves the recorded drive number and
    // the slot table alone. 1 opened, 0 not (the channel is then closed).
    int OpenDrive(int drive);
    // Opens the recorded drive again: the first open of a worker and its presence probe.
    int Reopen();
    // Closes the handle and frees the slot of the recorded drive, if it holds one. Returns 0.
    int CloseDrive();
    // Opens `drive`, asks INQUIRY, closes again: 1 when it answers kTargetVendor and
    // kTargetProduct ("Firmware Update" in bytes 8 to 22). Sends nothing when the open fails;
    // never leaves a handle open.
    int IsTargetDevice(int drive);
    // Opens the recorded drive again and asks INQUIRY on the new handle: 1 when it answers as a
    // target, and the handle stays open for the commands that follow; 0 otherwise, the channel
    // then closed. Vendor commands go only through a handle opened this way: between two opens
    // the device may have been pulled and another drive given its number.
    int ReopenTarget();

    // The slot operations; implemented in device/slot_table.cpp.
    // Records `drive` in the channel (always) and gives it a slot: the one it holds already, or
    // the lowest free one; -1 when all four are held by other drives.
    int ClaimSlot(int drive);
    // Like ClaimSlot, but only when `drive` holds no slot yet: -1 when it already holds one (it
    // then belongs to someone else) or none is free. Records `drive` only when it gives a slot.
    int ClaimNewSlot(int drive);
    // The lowest slot whose entry is `drive`, else -1.
    static int FindSlot(int drive);
    // Frees all four slots. Returns 0.
    static int ClearSlots();

    // The device commands. `buffer` holds at least the block size (kDeviceBlockBytes). 1 when the
    // platform call succeeded, 0 when it failed or the channel is closed.
    int Inquiry(void* buffer);
    int WriteBlock(const void* buffer, int target, std::uint32_t address);
    int ReadBlock(void* buffer, int target, std::uint32_t address);
    // ReadBlock, telling besides in `good` whether the device reported carrying it out (SCSI
    // status GOOD). A device that refuses a read may still leave bytes in the buffer: Linux sg
    // copies back its whole reserve buffer, which holds what the last write sent, and a
    // bulk-only device may pad its data phase. So only a read it carried out can verify a block.
    int ReadBlock(void* buffer, int target, std::uint32_t address, bool& good);

    // The two steps every command shares: clear and fill the request block, then put the CDB in.
    void FillRequest(PassThroughRequest& request, void* buffer, std::uint8_t direction) const;
    static void SetCdb(PassThroughRequest& request, const std::uint8_t* cdb, std::uint8_t length);

    int DriveNumber() const { return m_driveNumber; }
    std::uint32_t BlockSize() const { return m_blockSize; }
    bool IsOpen() const { return m_hDevice != INVALID_HANDLE_VALUE; }

private:
    // INQUIRY on the open handle: whether the drive answers as a target.
    bool AnswersInquiryAsTarget();
    // Sends one command; `status`, when given, receives the SCSI status the platform reports.
    int SendCommand(const std::uint8_t* cdb, void* buffer, std::uint8_t direction,
                    std::uint8_t* status = nullptr);
    void CloseHandleIfOpen();
    // Frees the slot held by `drive`, if any, in one step against the other table operations.
    static void ReleaseSlotOf(int drive);

    std::int32_t m_driveNumber = -1;
    std::uint32_t m_blockSize = kDeviceBlockBytes;
    HANDLE m_hDevice = INVALID_HANDLE_VALUE;
};
