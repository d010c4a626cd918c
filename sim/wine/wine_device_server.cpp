#include "sim/wine/wine_device_server.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
constexpr std::uint8_t kFixedSenseCurrent = 0x70;
constexpr std::uint8_t kDescriptorSenseDeferred = 0x73;
constexpr std::uint32_t kSenseHeaderBytes = 8;
constexpr std::size_t kAdditionalLengthByte = 7;
constexpr int kNeverPull = -1;  // what UnplugAfterCommands takes for "stay plugged"

// The request block a Windows program would have handed to the pass-through, with room for the
// largest sense area Wine can ask for.
struct CServerRequestBlock {
    SCSI_PASS_THROUGH_DIRECT header;
    std::uint8_t sense[kWineMaxSense];
};

// How many sense bytes the device wrote: fixed and descriptor formats both say it in byte 7.
std::uint8_t SenseLengthOf(const std::uint8_t* sense, std::uint32_t room) {
    std::uint8_t code = sense[0] & 0x7F;
    if (code < kFixedSenseCurrent || code > kDescriptorSenseDeferred) {
        return 0;
    }
    std::uint32_t length = kSenseHeaderBytes + sense[kAdditionalLengthByte];
    return static_cast<std::uint8_t>(std::min(length, room));
}

void FillHeader(const CWineSgRequest& request, std::uint8_t* data, CServerRequestBlock& block) {
    SCSI_PASS_THROUGH_DIRECT& header = block.header;
    header.Length = sizeof header;
    header.CdbLength = std::min<std::uint8_t>(request.cdbLength, sizeof header.Cdb);
    header.Lun = request.cdb[1];
    header.SenseInfoLength = request.senseRoom;
    header.DataIn = request.dataIn;
    header.DataTransferLength = request.dataLength;
    header.TimeOutValue = request.timeoutMs / 1000;
    header.DataBuffer = data;
    header.SenseInfoOffset = offsetof(CServerRequestBlock, sense);
    std::copy_n(request.cdb, header.CdbLength, header.Cdb);
}
}  // namespace

CWineDeviceServer::CWineDeviceServer(std::string dir, std::string dosDevices)
    : m_dir(std::move(dir)), m_dosDevices(std::move(dosDevices)) {
    // The log would grow by every command of a long run; tests that read it turn it on.
    m_backend.SetLogging(false);
}

bool CWineDeviceServer::Plug(int drive, std::shared_ptr<CSimulatedDevice> device,
                             std::string& error) {
    if (!ValidDrive(drive) || !device) {
        error = "no such drive: " + std::to_string(drive);
        return false;
    }
    std::lock_guard lock(m_mutex);
    RemoveLinkLocked(drive);
    CPlug& plug = m_plugs[drive];
    m_backend.Unplug(drive);
    m_backend.Close(plug.handle);
    plug.lastDevice = device;
    ++plug.generation;
    // The device is in place before the link appears, so the first open after it finds it.
    m_backend.Plug(drive, std::move(device));
    plug.handle = m_backend.Open(drive);
    if (!Link(drive, error)) {
        m_backend.Unplug(drive);
        return false;
    }
    return true;
}

bool CWineDeviceServer::Replug(int drive, std::string& error) {
    std::shared_ptr<CSimulatedDevice> device = LastDevice(drive);
    if (!device) {
        error = "nothing was plugged into drive " + std::to_string(drive);
        return false;
    }
    return Plug(drive, std::move(device), error);
}

void CWineDeviceServer::Unplug(int drive) {
    if (!ValidDrive(drive)) {
        return;
    }
    std::lock_guard lock(m_mutex);
    // The link goes first: from then on no new open reaches the device.
    RemoveLinkLocked(drive);
    m_backend.Unplug(drive);
}

void CWineDeviceServer::UnplugAll() {
    for (int drive = 0; drive < kWineDriveCount; ++drive) {
        if (IsPlugged(drive)) {
            Unplug(drive);
        }
    }
}

bool CWineDeviceServer::IsPlugged(int drive) const {
    return ValidDrive(drive) && m_backend.DeviceAt(drive) != nullptr;
}

std::shared_ptr<CSimulatedDevice> CWineDeviceServer::LastDevice(int drive) const {
    if (!ValidDrive(drive)) {
        return nullptr;
    }
    std::lock_guard lock(m_mutex);
    return m_plugs[drive].lastDevice;
}

CWineSgAnswer CWineDeviceServer::Execute(const CWineSgRequest& request, std::uint8_t* data) {
    CWineSgAnswer answer;
    if (!ValidDrive(request.drive) || request.dataLength > kWineMaxTransfer) {
        return answer;
    }
    ++m_requests[request.drive];
    CServerRequestBlock block{};
    FillHeader(request, data, block);
    answer.succeeded = m_backend.Send(HandleOf(request), &block, sizeof block) ? 1 : 0;
    answer.scsiStatus = block.header.ScsiStatus;
    if (answer.scsiStatus != 0) {
        answer.senseLength = SenseLengthOf(block.sense, request.senseRoom);
        std::copy_n(block.sense, answer.senseLength, answer.sense);
    }
    answer.residual =
        request.dataLength - std::min(request.dataLength, block.header.DataTransferLength);
    RemoveLinkIfPulled(request.drive);
    return answer;
}

std::uint64_t CWineDeviceServer::RequestCount(int drive) const {
    return ValidDrive(drive) ? m_requests[drive].load() : 0;
}

HANDLE CWineDeviceServer::HandleOf(const CWineSgRequest& request) const {
    std::lock_guard lock(m_mutex);
    const CPlug& plug = m_plugs[request.drive];
    return request.generation == plug.generation ? plug.handle : INVALID_HANDLE_VALUE;
}

bool CWineDeviceServer::Link(int drive, std::string& error) {
    const std::string node = WineDriveNodePath(m_dir, drive);
    // Made once, never replaced: the same inode in every plug cycle.
    int fd = ::open(node.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "cannot make " + node + ": " + std::strerror(errno);
        return false;
    }
    ::close(fd);
    const std::string name = WineDriveNodePath(m_dir, drive, m_plugs[drive].generation);
    const std::string link = LinkPath(drive);
    ::unlink(name.c_str());
    if (::link(node.c_str(), name.c_str()) != 0 || ::symlink(name.c_str(), link.c_str()) != 0) {
        error = "cannot link " + link + " to " + name + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void CWineDeviceServer::RemoveLinkLocked(int drive) {
    ::unlink(LinkPath(drive).c_str());
    ::unlink(WineDriveNodePath(m_dir, drive, m_plugs[drive].generation).c_str());
}

void CWineDeviceServer::RemoveLinkIfPulled(int drive) {
    // The device model pulls itself after a set number of commands (UnplugAfterCommands); the
    // drive must then vanish from Wine too.
    std::lock_guard lock(m_mutex);
    if (m_backend.DeviceAt(drive) != nullptr) {
        return;
    }
    // A link still there with no device behind it: the device went by itself (Unplug takes the
    // link first). Its count stays spent, so it is disarmed: one pull per arming, or a replug
    // would pull it again at its first command.
    struct stat link {};
    if (::lstat(LinkPath(drive).c_str(), &link) == 0 && m_plugs[drive].lastDevice) {
        m_plugs[drive].lastDevice->UnplugAfterCommands(kNeverPull);
    }
    RemoveLinkLocked(drive);
}

std::string CWineDeviceServer::LinkPath(int drive) const {
    return m_dosDevices + "/physicaldrive" + std::to_string(drive);
}
