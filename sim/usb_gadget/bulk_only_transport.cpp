#include "sim/usb_gadget/bulk_only_transport.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <thread>

#include "device/device_protocol.h"

namespace {
// Far above what usb-storage puts in one command (it splits at 120 KiB by default); a larger
// data phase means the host and the device are out of step.
constexpr std::uint32_t kMaxDataPhase = 4u << 20;
// After a failed endpoint call, before the next: the function is being disabled or enabled.
constexpr auto kRetryPause = std::chrono::milliseconds(10);
}  // namespace

CBulkOnlyTransport::CBulkOnlyTransport(const CFunctionFsDevice& usb, CMassStorageTarget& target,
                                       CUdcBinding& binding, std::chrono::milliseconds replugAfter)
    : m_bulkIn(usb.BulkIn()),
      m_bulkOut(usb.BulkOut()),
      m_target(target),
      m_binding(binding),
      m_replugAfter(replugAfter) {}

void CBulkOnlyTransport::Serve() {
    for (;;) {
        if (!ServeOneCommand()) {
            std::this_thread::sleep_for(kRetryPause);
        }
    }
}

bool CBulkOnlyTransport::ServeOneCommand() {
    std::uint8_t raw[kCbwSize];
    ssize_t got = ::read(m_bulkOut, raw, sizeof raw);
    if (got < 0) {
        return false;
    }
    auto cbw = ParseCommandBlockWrapper(raw, static_cast<std::size_t>(got));
    if (!cbw) {
        std::fprintf(stderr, "usb-device: %zd bytes that are no CBW, skipped\n", got);
        return true;
    }
    if (cbw->dataLength > kMaxDataPhase) {
        std::fprintf(stderr, "usb-device: data phase of %u bytes refused\n", cbw->dataLength);
        return SendStatus(*cbw, CswStatus::kPhaseError);
    }
    m_data.assign(cbw->dataLength, 0);
    if (!cbw->dataIn && !ReceiveData(*cbw)) {
        return false;
    }
    CCommandOutcome outcome = m_target.Execute(*cbw, m_data.data());
    std::uint8_t opcode = CdbOpcode(cbw->cdb.data());
    if (outcome.status != CswStatus::kPassed || !IsBlockCommand(opcode)) {
        std::fprintf(stderr, "usb-device: opcode 0x%02X length %u -> status %d\n", opcode,
                     cbw->dataLength, static_cast<int>(outcome.status));
    }
    // The host expects the whole data phase it announced, also for a failed command; the CSW
    // tells it whether the data meant anything.
    if (cbw->dataIn && !WriteAll(m_bulkIn, m_data.data(), m_data.size())) {
        return false;
    }
    if (!SendStatus(*cbw, outcome.status)) {
        return false;
    }
    if (outcome.pullAfterStatus) {
        PullAndMaybeReplug();
    }
    return true;
}

bool CBulkOnlyTransport::ReceiveData(const CCommandBlockWrapper& cbw) {
    return ReadAll(m_bulkOut, m_data.data(), cbw.dataLength);
}

bool CBulkOnlyTransport::SendStatus(const CCommandBlockWrapper& cbw, CswStatus status) {
    std::uint32_t residue = status == CswStatus::kPassed ? 0 : cbw.dataLength;
    auto csw = MakeCommandStatusWrapper(cbw.tag, residue, status);
    return WriteAll(m_bulkIn, csw.data(), csw.size());
}

void CBulkOnlyTransport::PullAndMaybeReplug() {
    std::fprintf(stderr, "usb-device: pulled\n");
    m_binding.Pull();
    if (m_replugAfter.count() < 0) {
        return;
    }
    std::this_thread::sleep_for(m_replugAfter);
    bool plugged = m_binding.Plug();
    std::fprintf(stderr, "usb-device: replugged: %s\n", plugged ? "yes" : "failed");
}

bool CBulkOnlyTransport::ReadAll(int fd, std::uint8_t* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(fd, bytes + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool CBulkOnlyTransport::WriteAll(int fd, const std::uint8_t* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t put = ::write(fd, bytes + done, size - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}
