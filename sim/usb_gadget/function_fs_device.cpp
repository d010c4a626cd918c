#include "sim/usb_gadget/function_fs_device.h"

#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sim/usb_gadget/usb_descriptors.h"

namespace {
constexpr std::uint8_t kGetMaxLun = 0xFE;
constexpr std::uint8_t kBulkOnlyReset = 0xFF;
constexpr std::uint8_t kClassToInterface = USB_TYPE_CLASS | USB_RECIP_INTERFACE;
constexpr std::size_t kEventsPerRead = 4;

int OpenEndpoint(const std::string& mount, const char* name) {
    return ::open((mount + "/" + name).c_str(), O_RDWR | O_CLOEXEC);
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

const char* EventName(std::uint8_t type) {
    switch (type) {
        case FUNCTIONFS_BIND:
            return "bind";
        case FUNCTIONFS_UNBIND:
            return "unbind";
        case FUNCTIONFS_ENABLE:
            return "enable";
        case FUNCTIONFS_DISABLE:
            return "disable";
        case FUNCTIONFS_SUSPEND:
            return "suspend";
        case FUNCTIONFS_RESUME:
            return "resume";
        default:
            return "setup";
    }
}
}  // namespace

CFunctionFsDevice::~CFunctionFsDevice() {
    CloseIfOpen(m_bulkIn);
    CloseIfOpen(m_bulkOut);
    CloseIfOpen(m_ep0);
}

bool CFunctionFsDevice::Open(const std::string& mount, std::string& error) {
    m_ep0 = ::open((mount + "/ep0").c_str(), O_RDWR | O_CLOEXEC);
    if (m_ep0 < 0) {
        error = "open " + mount + "/ep0: " + std::strerror(errno);
        return false;
    }
    auto descriptors = MassStorageDescriptors();
    auto strings = MassStorageStrings();
    if (!WriteBlock("descriptors", descriptors.data(), descriptors.size(), error) ||
        !WriteBlock("strings", strings.data(), strings.size(), error)) {
        return false;
    }
    // The endpoint files exist only once both blocks are accepted.
    m_bulkIn = OpenEndpoint(mount, kBulkInEndpointFile);
    m_bulkOut = OpenEndpoint(mount, kBulkOutEndpointFile);
    if (m_bulkIn < 0 || m_bulkOut < 0) {
        error = "open bulk endpoints in " + mount + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool CFunctionFsDevice::WriteBlock(const std::string& what, const void* bytes, std::size_t size,
                                   std::string& error) {
    ssize_t written = ::write(m_ep0, bytes, size);
    if (written != static_cast<ssize_t>(size)) {
        error = "write " + what + " to ep0: " + std::strerror(errno);
        return false;
    }
    return true;
}

void CFunctionFsDevice::ServeControlRequests() {
    usb_functionfs_event events[kEventsPerRead];
    for (;;) {
        ssize_t got = ::read(m_ep0, events, sizeof events);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            std::fprintf(stderr, "usb-device: ep0 closed: %s\n", std::strerror(errno));
            return;
        }
        for (std::size_t i = 0; i < static_cast<std::size_t>(got) / sizeof events[0]; ++i) {
            const usb_functionfs_event& event = events[i];
            if (event.type != FUNCTIONFS_SETUP) {
                std::fprintf(stderr, "usb-device: %s\n", EventName(event.type));
                m_enables += event.type == FUNCTIONFS_ENABLE ? 1 : 0;
                continue;
            }
            AnswerSetup(event.u.setup.bRequestType, event.u.setup.bRequest, event.u.setup.wLength);
        }
    }
}

void CFunctionFsDevice::AnswerSetup(std::uint8_t requestType, std::uint8_t request,
                                    std::uint16_t length) {
    if (requestType == (USB_DIR_IN | kClassToInterface) && request == kGetMaxLun && length >= 1) {
        const std::uint8_t highestLun = 0;
        if (::write(m_ep0, &highestLun, 1) != 1) {
            std::fprintf(stderr, "usb-device: GET MAX LUN answer failed\n");
        }
        return;
    }
    if (requestType == (USB_DIR_OUT | kClassToInterface) && request == kBulkOnlyReset &&
        length == 0) {
        // The bulk loop is already waiting for the next CBW when the host resets after a
        // failed command; a zero-length read acknowledges the request's status stage.
        ++m_resets;
        if (::read(m_ep0, nullptr, 0) < 0) {
            std::fprintf(stderr, "usb-device: reset acknowledge failed\n");
        }
        return;
    }
    Stall(requestType);
}

void CFunctionFsDevice::Stall(std::uint8_t requestType) {
    // FunctionFS stalls the control endpoint when the data stage is taken in the wrong
    // direction; the call then fails with EL2HLT by design.
    std::uint8_t none = 0;
    if ((requestType & USB_DIR_IN) != 0) {
        [[maybe_unused]] ssize_t ignored = ::read(m_ep0, &none, 0);
    } else {
        [[maybe_unused]] ssize_t ignored = ::write(m_ep0, &none, 0);
    }
}
