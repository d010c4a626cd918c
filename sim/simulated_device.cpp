#include "sim/simulated_device.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::uint8_t kCheckCondition = 0x02;
constexpr std::uint8_t kSenseIllegalRequest = 0x05;
constexpr std::uint8_t kAscInvalidOpcode = 0x20;
constexpr std::size_t kInquiryDataLength = 36;
// The INQUIRY answer's vendor and product fields, padded with blanks.
constexpr std::size_t kVendorWidth = kInquiryProductOffset - kInquiryVendorOffset;
constexpr std::size_t kProductWidth = 16;

std::string Padded(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}
}  // namespace

CSimulatedDevice::CSimulatedDevice(std::string vendor, std::string product,
                                   bool acceptsVendorCommands)
    : m_vendor(Padded(std::move(vendor), kVendorWidth)),
      m_product(Padded(std::move(product), kProductWidth)),
      m_acceptsVendorCommands(acceptsVendorCommands) {}

std::shared_ptr<CSimulatedDevice> CSimulatedDevice::UpdateMode() {
    return std::make_shared<CSimulatedDevice>(kTargetVendor, kTargetProduct, true);
}

std::shared_ptr<CSimulatedDevice> CSimulatedDevice::OrdinaryDisk() {
    return std::make_shared<CSimulatedDevice>("ATA", "Samsung SSD 870", false);
}

bool CSimulatedDevice::Execute(SCSI_PASS_THROUGH_DIRECT& header, std::uint8_t* sense,
                               std::uint32_t senseLength) {
    std::lock_guard lock(m_mutex);
    return ExecuteLocked(header, sense, senseLength);
}

bool CSimulatedDevice::ExecuteLocked(SCSI_PASS_THROUGH_DIRECT& header, std::uint8_t* sense,
                                     std::uint32_t senseLength) {
    header.ScsiStatus = 0;
    const std::uint8_t opcode = CdbOpcode(header.Cdb);
    if (opcode == SCSIOP_INQUIRY) {
        ++m_inquiries;
        AnswerInquiry(header);
        return true;
    }
    bool wellFormed = header.DataBuffer != nullptr && header.DataTransferLength >= sizeof(SimBlock);
    if (!m_acceptsVendorCommands || !IsBlockCommand(opcode) || !wellFormed) {
        Reject(header, sense, senseLength);
        return true;
    }
    ++(opcode == SCSIOP_WRITE_BLOCK ? m_writes : m_reads);
    if (Refuses(CdbBlockNumber(header.Cdb))) {
        Refuse(header, sense, senseLength);
        return true;
    }
    return opcode == SCSIOP_WRITE_BLOCK ? WriteBlock(header) : ReadBlock(header);
}

void CSimulatedDevice::AnswerInquiry(SCSI_PASS_THROUGH_DIRECT& header) const {
    if (header.DataIn != SCSI_IOCTL_DATA_IN || header.DataBuffer == nullptr) {
        return;
    }
    std::uint8_t data[kInquiryDataLength] = {};
    data[0] = 0x00;                    // direct-access block device
    data[1] = 0x80;                    // removable medium
    data[2] = 0x06;                    // SPC-4
    data[3] = 0x02;                    // response data format
    data[4] = kInquiryDataLength - 5;  // additional length
    std::memcpy(data + kInquiryVendorOffset, m_vendor.data(), kVendorWidth);
    std::memcpy(data + kInquiryProductOffset, m_product.data(), kProductWidth);
    std::memcpy(data + kInquiryProductOffset + kProductWidth, "1.00", 4);
    std::uint32_t allocation = CdbAllocationLength(header.Cdb);
    std::size_t length = std::min<std::size_t>(
        {kInquiryDataLength, allocation, std::size_t{header.DataTransferLength}});
    std::memcpy(header.DataBuffer, data, length);
}

bool CSimulatedDevice::Refuses(std::uint32_t block) const {
    return block - m_refusedFirst < m_refusedCount;  // unsigned: below the range wraps high
}

void CSimulatedDevice::Refuse(SCSI_PASS_THROUGH_DIRECT& header, std::uint8_t* sense,
                              std::uint32_t senseLength) const {
    if (m_refusal == Refusal::kGoodStatusNoData) {
        header.DataTransferLength = 0;
        return;
    }
    Reject(header, sense, senseLength);
    if (m_refusal == Refusal::kPaddedDataPhase && header.DataIn == SCSI_IOCTL_DATA_IN) {
        std::memset(header.DataBuffer, 0, header.DataTransferLength);
    } else {
        header.DataTransferLength = 0;
    }
}

bool CSimulatedDevice::WriteBlock(const SCSI_PASS_THROUGH_DIRECT& header) {
    std::uint64_t key = Key(CdbTarget(header.Cdb), CdbBlockNumber(header.Cdb));
    std::memcpy(m_memory[key].data(), header.DataBuffer, sizeof(SimBlock));
    m_verified.erase(key);
    return true;
}

bool CSimulatedDevice::ReadBlock(SCSI_PASS_THROUGH_DIRECT& header) {
    std::uint32_t block = CdbBlockNumber(header.Cdb);
    if (TakeFault(m_failingReads, block)) {
        return false;
    }
    std::uint64_t key = Key(CdbTarget(header.Cdb), block);
    auto stored = m_memory.find(key);
    auto* out = static_cast<std::uint8_t*>(header.DataBuffer);
    if (stored == m_memory.end()) {
        std::memset(out, 0xFF, sizeof(SimBlock));
    } else {
        std::memcpy(out, stored->second.data(), sizeof(SimBlock));
    }
    if (TakeFault(m_corruptReads, block)) {
        out[0] ^= 0xFF;
    } else if (stored != m_memory.end()) {
        m_verified.insert(key);
    }
    return true;
}

bool CSimulatedDevice::TakeFault(std::vector<CBlockFault>& faults, std::uint32_t block) {
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->block != kAnyBlock && it->block != block) {
            continue;
        }
        if (it->remaining != kForever && --it->remaining == 0) {
            faults.erase(it);
        }
        return true;
    }
    return false;
}

void CSimulatedDevice::Reject(SCSI_PASS_THROUGH_DIRECT& header, std::uint8_t* sense,
                              std::uint32_t senseLength) {
    header.ScsiStatus = kCheckCondition;
    std::uint8_t fixed[18] = {0x70, 0, kSenseIllegalRequest, 0, 0, 0, 0, 10, 0, 0,
                              0,    0, kAscInvalidOpcode};
    if (sense != nullptr) {
        std::memcpy(sense, fixed, std::min<std::uint32_t>(senseLength, sizeof fixed));
    }
}

std::uint64_t CSimulatedDevice::Key(std::uint8_t target, std::uint32_t block) {
    return std::uint64_t{target} << 32 | block;
}

void CSimulatedDevice::FailReadBacks(std::uint32_t block, int times) {
    std::lock_guard lock(m_mutex);
    m_failingReads.push_back({block, times});
}

void CSimulatedDevice::CorruptReadBacks(std::uint32_t block, int times) {
    std::lock_guard lock(m_mutex);
    m_corruptReads.push_back({block, times});
}

void CSimulatedDevice::RefuseBlocks(std::uint32_t firstBlock, std::uint32_t count,
                                    Refusal refusal) {
    std::lock_guard lock(m_mutex);
    m_refusedFirst = firstBlock;
    m_refusedCount = count;
    m_refusal = refusal;
}

void CSimulatedDevice::UnplugAfterCommands(int commands) {
    std::lock_guard lock(m_mutex);
    m_commandsBeforeUnplug = commands;
}

void CSimulatedDevice::SetCommandDelay(std::chrono::microseconds delay) {
    std::lock_guard lock(m_mutex);
    m_delay = delay;
}

std::chrono::microseconds CSimulatedDevice::CommandDelay() const {
    std::lock_guard lock(m_mutex);
    return m_delay;
}

void CSimulatedDevice::SetCommandHook(CommandHook hook) {
    std::lock_guard lock(m_mutex);
    m_hook = hook ? std::make_shared<const CommandHook>(std::move(hook)) : nullptr;
}

void CSimulatedDevice::RunCommandHook(const std::uint8_t* cdb) const {
    std::shared_ptr<const CommandHook> hook;
    {
        std::lock_guard lock(m_mutex);
        hook = m_hook;
    }
    if (hook) {
        (*hook)(cdb);
    }
}

bool CSimulatedDevice::CountCommandForUnplug() {
    std::lock_guard lock(m_mutex);
    if (m_commandsBeforeUnplug < 0) {
        return false;
    }
    if (m_commandsBeforeUnplug > 0) {
        --m_commandsBeforeUnplug;
    }
    return m_commandsBeforeUnplug == 0;
}

SimBlock CSimulatedDevice::StoredBlock(std::uint8_t target, std::uint32_t block) const {
    std::lock_guard lock(m_mutex);
    auto stored = m_memory.find(Key(target, block));
    if (stored != m_memory.end()) {
        return stored->second;
    }
    SimBlock erased;
    erased.fill(0xFF);
    return erased;
}

std::vector<std::uint8_t> CSimulatedDevice::ReadMemory(std::uint8_t target,
                                                       std::uint32_t firstBlock,
                                                       std::size_t bytes) const {
    std::vector<std::uint8_t> memory;
    memory.reserve(bytes);
    for (std::uint32_t block = firstBlock; memory.size() < bytes; ++block) {
        SimBlock data = StoredBlock(target, block);
        std::size_t take = std::min(bytes - memory.size(), data.size());
        memory.insert(memory.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
    }
    return memory;
}

std::size_t CSimulatedDevice::BlocksWritten() const {
    std::lock_guard lock(m_mutex);
    return m_memory.size();
}

std::size_t CSimulatedDevice::BlocksVerified() const {
    std::lock_guard lock(m_mutex);
    return m_verified.size();
}

std::uint64_t CSimulatedDevice::InquiryCount() const {
    std::lock_guard lock(m_mutex);
    return m_inquiries;
}

std::uint64_t CSimulatedDevice::WriteCount() const {
    std::lock_guard lock(m_mutex);
    return m_writes;
}

std::uint64_t CSimulatedDevice::ReadCount() const {
    std::lock_guard lock(m_mutex);
    return m_reads;
}
