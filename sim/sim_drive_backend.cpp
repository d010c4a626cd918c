#include "sim/sim_drive_backend.h"

#include <algorithm>
#include <thread>

#include "platform/pass_through_block.h"

namespace {
CSimLogEntry Event(CSimLogEntry::Kind kind, int drive, HANDLE handle) {
    return CSimLogEntry{kind, drive, handle, {}, 0, 0, 0, 0, false};
}
}  // namespace

void CSimDriveBackend::Plug(int drive, std::shared_ptr<CSimulatedDevice> device) {
    if (!ValidDrive(drive)) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_drives[drive].device = std::move(device);
    ++m_drives[drive].generation;
}

void CSimDriveBackend::Unplug(int drive) {
    if (!ValidDrive(drive)) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_drives[drive].device.reset();
    ++m_drives[drive].generation;
}

std::shared_ptr<CSimulatedDevice> CSimDriveBackend::DeviceAt(int drive) const {
    if (!ValidDrive(drive)) {
        return nullptr;
    }
    std::lock_guard lock(m_mutex);
    return m_drives[drive].device;
}

HANDLE CSimDriveBackend::Open(int driveNumber) {
    std::lock_guard lock(m_mutex);
    if (!ValidDrive(driveNumber) || !m_drives[driveNumber].device) {
        if (m_logging) {
            m_log.push_back(
                Event(CSimLogEntry::Kind::kOpenFailed, driveNumber, INVALID_HANDLE_VALUE));
        }
        return INVALID_HANDLE_VALUE;
    }
    CDrive& drive = m_drives[driveNumber];
    std::uintptr_t id = m_nextHandle++;
    m_handles.emplace(id, COpenHandle{driveNumber, drive.generation});
    drive.maxOpenHandles = std::max(drive.maxOpenHandles, ++drive.openHandles);
    auto handle = reinterpret_cast<HANDLE>(id);
    if (m_logging) {
        m_log.push_back(Event(CSimLogEntry::Kind::kOpen, driveNumber, handle));
    }
    return handle;
}

bool CSimDriveBackend::Send(HANDLE handle, void* request, std::uint32_t size) {
    CPassThroughBlock block;
    if (!UnpackPassThroughBlock(request, size, block)) {
        return false;
    }
    SCSI_PASS_THROUGH_DIRECT& header = block.header;
    CSimLogEntry entry = Event(CSimLogEntry::Kind::kRequest, -1, handle);
    std::copy_n(header.Cdb, entry.cdb.size(), entry.cdb.begin());
    entry.dataIn = header.DataIn;
    entry.length = header.DataTransferLength;
    entry.lun = header.Lun;
    entry.buffer = reinterpret_cast<std::uintptr_t>(header.DataBuffer);

    std::uint64_t generation = 0;
    std::shared_ptr<CSimulatedDevice> device = DeviceBehind(handle, entry.drive, generation);
    if (device) {
        device->RunCommandHook(header.Cdb);
        if (auto delay = device->CommandDelay(); delay.count() > 0) {
            std::this_thread::sleep_for(delay);
        }
        // A device pulled while the command was in flight does not complete it.
        if (StillPlugged(entry.drive, generation)) {
            entry.succeeded = device->Execute(header, block.sense, block.senseLength);
            RepackHeader(block, request);
            if (device->CountCommandForUnplug()) {
                UnplugIfSame(entry.drive, generation);
            }
        }
    }
    Record(entry);
    return entry.succeeded;
}

void CSimDriveBackend::Close(HANDLE handle) {
    std::lock_guard lock(m_mutex);
    auto found = m_handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == m_handles.end()) {
        return;
    }
    int drive = found->second.drive;
    --m_drives[drive].openHandles;
    m_handles.erase(found);
    if (m_logging) {
        m_log.push_back(Event(CSimLogEntry::Kind::kClose, drive, handle));
    }
}

std::shared_ptr<CSimulatedDevice> CSimDriveBackend::DeviceBehind(HANDLE handle, int& drive,
                                                                 std::uint64_t& generation) const {
    std::lock_guard lock(m_mutex);
    auto found = m_handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == m_handles.end()) {
        return nullptr;
    }
    drive = found->second.drive;
    generation = found->second.generation;
    const CDrive& slot = m_drives[drive];
    return slot.generation == generation ? slot.device : nullptr;
}

bool CSimDriveBackend::StillPlugged(int drive, std::uint64_t generation) const {
    std::lock_guard lock(m_mutex);
    return m_drives[drive].generation == generation && m_drives[drive].device != nullptr;
}

void CSimDriveBackend::UnplugIfSame(int drive, std::uint64_t generation) {
    std::lock_guard lock(m_mutex);
    if (m_drives[drive].generation == generation) {
        m_drives[drive].device.reset();
        ++m_drives[drive].generation;
    }
}

void CSimDriveBackend::Record(const CSimLogEntry& entry) {
    std::lock_guard lock(m_mutex);
    if (m_logging) {
        m_log.push_back(entry);
    }
}

std::vector<CSimLogEntry> CSimDriveBackend::Log() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::vector<CSimLogEntry> CSimDriveBackend::RequestsTo(int drive) const {
    std::lock_guard lock(m_mutex);
    std::vector<CSimLogEntry> requests;
    for (const CSimLogEntry& entry : m_log) {
        if (entry.kind == CSimLogEntry::Kind::kRequest && entry.drive == drive) {
            requests.push_back(entry);
        }
    }
    return requests;
}

void CSimDriveBackend::ClearLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

void CSimDriveBackend::SetLogging(bool enabled) {
    std::lock_guard lock(m_mutex);
    m_logging = enabled;
}

int CSimDriveBackend::OpenHandleCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_handles.size());
}

int CSimDriveBackend::OpenHandleCount(int drive) const {
    if (!ValidDrive(drive)) {
        return 0;
    }
    std::lock_guard lock(m_mutex);
    return m_drives[drive].openHandles;
}

int CSimDriveBackend::MaxOpenHandles(int drive) const {
    if (!ValidDrive(drive)) {
        return 0;
    }
    std::lock_guard lock(m_mutex);
    return m_drives[drive].maxOpenHandles;
}
