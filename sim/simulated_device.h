#pragma once
// A simulated USB device, as a firmware would answer the updater's commands: INQUIRY, the vendor
// block write 0xCA and block read 0xC8 (when in update mode), with faults to inject. It knows
// nothing of drives or handles; CSimDriveBackend plugs it into a drive number.
//
// Thread-safe: every operation may be called from any thread.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "device/device_protocol.h"
#include "platform/scsi_pass_through.h"

using SimBlock = std::array<std::uint8_t, kDeviceBlockBytes>;

class CSimulatedDevice {
public:
    static constexpr std::uint32_t kAnyBlock = UINT32_MAX;
    static constexpr int kForever = -1;

    // `vendor` and `product` are the INQUIRY identification (8 and 16 characters, padded with
    // blanks or cut). Only a device that accepts vendor commands stores and returns blocks; any
    // other rejects them with CHECK CONDITION, as an ordinary disk does.
    CSimulatedDevice(std::string vendor, std::string product, bool acceptsVendorCommands);

    // A device in update mode: kTargetVendor / kTargetProduct.
    static std::shared_ptr<CSimulatedDevice> UpdateMode();
    // A disk of another vendor, which rejects the vendor commands.
    static std::shared_ptr<CSimulatedDevice> OrdinaryDisk();

    // Runs one request whose sense area is `sense` (`senseLength` bytes, already cut to the
    // caller's block as UnpackPassThroughBlock does; may be null). Returns whether the platform
    // call succeeds; a rejected command succeeds with a SCSI status and sense data.
    bool Execute(SCSI_PASS_THROUGH_DIRECT& header, std::uint8_t* sense, std::uint32_t senseLength);

    // Faults. `block` is a device block number or kAnyBlock; `times` a count or kForever.
    // A failing read-back makes the platform call fail; a differing one returns altered data.
    void FailReadBacks(std::uint32_t block, int times);
    void CorruptReadBacks(std::uint32_t block, int times);
    // Flash that refuses `count` blocks from `firstBlock` on: their writes store nothing, and
    // their read-backs deliver nothing of theirs, while the platform call succeeds. How the
    // device says so is `refusal`.
    enum class Refusal {
        kCheckCondition,    // CHECK CONDITION, no data moved
        kPaddedDataPhase,   // CHECK CONDITION, but the data phase padded with zeros
        kGoodStatusNoData,  // a firmware fault: GOOD, yet no data moved
    };
    void RefuseBlocks(std::uint32_t firstBlock, std::uint32_t count,
                      Refusal refusal = Refusal::kCheckCondition);
    // The device disappears after `commands` further commands (the last of them completes).
    void UnplugAfterCommands(int commands);
    // Each command takes this long before the device answers.
    void SetCommandDelay(std::chrono::microseconds delay);
    std::chrono::microseconds CommandDelay() const;
    // Runs `hook` with the CDB of every command as it arrives, before the device answers, on the
    // sending thread and outside every lock: a test can act at an exact point of a transfer (pull
    // the device, change the file) without racing the clock. Null removes it.
    using CommandHook = std::function<void(const std::uint8_t* cdb)>;
    void SetCommandHook(CommandHook hook);
    void RunCommandHook(const std::uint8_t* cdb) const;
    // Counts one command against UnplugAfterCommands; true when the device should go now.
    bool CountCommandForUnplug();

    // What the device holds: a block never written reads as 0xFF.
    SimBlock StoredBlock(std::uint8_t target, std::uint32_t block) const;
    // `bytes` bytes of memory from the start of `firstBlock`, across consecutive blocks.
    std::vector<std::uint8_t> ReadMemory(std::uint8_t target, std::uint32_t firstBlock,
                                         std::size_t bytes) const;
    bool IsUpdateMode() const { return m_acceptsVendorCommands; }

    // Counters: distinct blocks stored; distinct blocks read back intact since their last write;
    // and commands received by kind.
    std::size_t BlocksWritten() const;
    std::size_t BlocksVerified() const;
    std::uint64_t InquiryCount() const;
    std::uint64_t WriteCount() const;
    std::uint64_t ReadCount() const;

private:
    struct CBlockFault {
        std::uint32_t block;
        int remaining;
    };

    bool ExecuteLocked(SCSI_PASS_THROUGH_DIRECT& header, std::uint8_t* sense,
                       std::uint32_t senseLength);
    void AnswerInquiry(SCSI_PASS_THROUGH_DIRECT& header) const;
    bool Refuses(std::uint32_t block) const;
    void Refuse(SCSI_PASS_THROUGH_DIRECT& header, std::uint8_t* sense,
                std::uint32_t senseLength) const;
    bool WriteBlock(const SCSI_PASS_THROUGH_DIRECT& header);
    bool ReadBlock(SCSI_PASS_THROUGH_DIRECT& header);
    static bool TakeFault(std::vector<CBlockFault>& faults, std::uint32_t block);
    static void Reject(SCSI_PASS_THROUGH_DIRECT& header, std::uint8_t* sense,
                       std::uint32_t senseLength);
    static std::uint64_t Key(std::uint8_t target, std::uint32_t block);

    const std::string m_vendor;
    const std::string m_product;
    const bool m_acceptsVendorCommands;

    mutable std::mutex m_mutex;
    std::unordered_map<std::uint64_t, SimBlock> m_memory;
    std::unordered_set<std::uint64_t> m_verified;
    std::vector<CBlockFault> m_failingReads;
    std::vector<CBlockFault> m_corruptReads;
    std::uint32_t m_refusedFirst = 0;
    std::uint32_t m_refusedCount = 0;
    Refusal m_refusal = Refusal::kCheckCondition;
    int m_commandsBeforeUnplug = -1;
    std::chrono::microseconds m_delay{0};
    std::shared_ptr<const CommandHook> m_hook;
    std::uint64_t m_inquiries = 0;
    std::uint64_t m_writes = 0;
    std::uint64_t m_reads = 0;
};
