#pragma once
// The USB side of the device, through a FunctionFS instance mounted at a directory: describes
// the mass-storage interface on ep0, opens the two bulk endpoints, and answers the two class
// requests of the Bulk-Only Transport on the control endpoint (GET MAX LUN: one LUN; Bulk-Only
// Mass Storage Reset: accepted). Other requests to the interface are stalled; the standard ones
// (descriptors, configuration, endpoint halts) never reach user space.
//
// Open once, then ServeControlRequests on a thread of its own while another thread moves data on
// the bulk endpoints. The descriptors close with the object.

#include <atomic>
#include <cstdint>
#include <string>

class CFunctionFsDevice {
public:
    CFunctionFsDevice() = default;
    CFunctionFsDevice(const CFunctionFsDevice&) = delete;
    CFunctionFsDevice& operator=(const CFunctionFsDevice&) = delete;
    ~CFunctionFsDevice();

    // Writes descriptors and strings to `<mount>/ep0` and opens the bulk endpoints. On failure
    // returns false with `error` saying which step failed and why.
    bool Open(const std::string& mount, std::string& error);

    int BulkIn() const { return m_bulkIn; }
    int BulkOut() const { return m_bulkOut; }

    // Reads ep0 events and answers the class requests until ep0 fails (the instance is gone).
    void ServeControlRequests();

    // Bulk-Only Mass Storage Resets the host has sent, and the times it enabled the function
    // (once per plug, and once more after each USB port reset, which is what usb-storage does
    // first when a command ends in a phase error).
    std::uint64_t ResetCount() const { return m_resets.load(); }
    std::uint64_t EnableCount() const { return m_enables.load(); }

private:
    bool WriteBlock(const std::string& what, const void* bytes, std::size_t size,
                    std::string& error);
    void AnswerSetup(std::uint8_t requestType, std::uint8_t request, std::uint16_t length);
    void Stall(std::uint8_t requestType);

    int m_ep0 = -1;
    int m_bulkIn = -1;
    int m_bulkOut = -1;
    std::atomic<std::uint64_t> m_resets{0};
    std::atomic<std::uint64_t> m_enables{0};
};
