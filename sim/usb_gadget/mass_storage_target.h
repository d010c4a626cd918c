#pragma once
// The SCSI side of the USB device: runs the command of one CBW. The updater's commands (INQUIRY,
// the vendor block commands, and whatever else the firmware would reject) go to the project's
// simulated device model, the same one that stands behind the in-process simulator; the plain
// disk commands the kernel's probe needs are answered by CGenericScsiResponder. It keeps the
// sense data of a failed command until REQUEST SENSE asks for it, as usb-storage does at once.
//
// Used by one thread (the bulk loop); the counters may be read from any thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "sim/simulated_device.h"
#include "sim/usb_gadget/bulk_only_wrappers.h"
#include "sim/usb_gadget/generic_scsi_responder.h"

struct CCommandOutcome {
    CswStatus status;
    // The model's pull-after-N-commands count ran out with this command: the device goes once
    // its status has been sent.
    bool pullAfterStatus;
};

class CMassStorageTarget {
public:
    explicit CMassStorageTarget(std::shared_ptr<CSimulatedDevice> device);

    // Runs the command of `cbw`. `data` holds cbw.dataLength bytes: the data the host sent, or
    // zeros for the answer to the host. A command the device rejects ends Failed with its sense
    // kept for REQUEST SENSE; a command whose model call fails ends in a phase error, which the
    // host takes as a transport failure.
    CCommandOutcome Execute(const CCommandBlockWrapper& cbw, std::uint8_t* data);

    // Commands answered here rather than by the model, and the model calls that failed.
    std::uint64_t GenericCommandCount() const { return m_genericCommands.load(); }
    std::uint64_t FailedCallCount() const { return m_failedCalls.load(); }
    // When the first block write arrived, if one has.
    std::optional<std::chrono::steady_clock::time_point> FirstWriteTime() const;

private:
    CCommandOutcome RunOnModel(const CCommandBlockWrapper& cbw, std::uint8_t* data);
    void AnswerRequestSense(std::uint8_t* data, std::uint32_t length);
    void NoteWrite(std::uint8_t opcode);

    std::shared_ptr<CSimulatedDevice> m_device;
    SenseData m_pendingSense;
    std::atomic<std::uint64_t> m_genericCommands{0};
    std::atomic<std::uint64_t> m_failedCalls{0};
    mutable std::mutex m_timeMutex;
    std::optional<std::chrono::steady_clock::time_point> m_firstWrite;
};
