#pragma once
// The Bulk-Only Transport on the two bulk endpoints: read a CBW, move the data phase, run the
// command on the target, send the CSW; over and over. When the target says the device is to be
// pulled after a command, it unbinds the gadget once that command's status is out and, if a
// replug delay is set, binds it again after that delay.
//
// Serve runs on its own thread for the life of the process. While the host has the function
// disabled (unplugged, not configured) the endpoint calls fail or wait, and the loop waits for
// the next CBW.

#include <chrono>
#include <cstdint>
#include <vector>

#include "sim/usb_gadget/function_fs_device.h"
#include "sim/usb_gadget/mass_storage_target.h"
#include "sim/usb_gadget/udc_binding.h"

class CBulkOnlyTransport {
public:
    // A negative `replugAfter` leaves a pulled device unplugged.
    CBulkOnlyTransport(const CFunctionFsDevice& usb, CMassStorageTarget& target,
                       CUdcBinding& binding, std::chrono::milliseconds replugAfter);

    [[noreturn]] void Serve();

private:
    // One CBW to CSW round. False when an endpoint call failed (the function went away).
    bool ServeOneCommand();
    bool ReceiveData(const CCommandBlockWrapper& cbw);
    bool SendStatus(const CCommandBlockWrapper& cbw, CswStatus status);
    void PullAndMaybeReplug();
    static bool ReadAll(int fd, std::uint8_t* bytes, std::size_t size);
    static bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size);

    const int m_bulkIn;
    const int m_bulkOut;
    CMassStorageTarget& m_target;
    CUdcBinding& m_binding;
    const std::chrono::milliseconds m_replugAfter;
    std::vector<std::uint8_t> m_data;
};
