#include "sim/usb_gadget/udc_binding.h"

#include <fcntl.h>
#include <unistd.h>

CUdcBinding::CUdcBinding(std::string udcFile, std::string controller)
    : m_udcFile(std::move(udcFile)), m_controller(std::move(controller)) {}

bool CUdcBinding::Plug() {
    std::lock_guard lock(m_mutex);
    if (!WriteUdcFile(m_controller + "\n")) {
        return false;
    }
    ++m_plugs;
    if (!m_firstPlug) {
        m_firstPlug = std::chrono::steady_clock::now();
    }
    return true;
}

bool CUdcBinding::Pull() {
    std::lock_guard lock(m_mutex);
    if (!WriteUdcFile("\n")) {
        return false;
    }
    ++m_pulls;
    return true;
}

std::uint64_t CUdcBinding::PlugCount() const {
    std::lock_guard lock(m_mutex);
    return m_plugs;
}

std::uint64_t CUdcBinding::PullCount() const {
    std::lock_guard lock(m_mutex);
    return m_pulls;
}

std::optional<std::chrono::steady_clock::time_point> CUdcBinding::FirstPlugTime() const {
    std::lock_guard lock(m_mutex);
    return m_firstPlug;
}

bool CUdcBinding::WriteUdcFile(const std::string& line) {
    // One write call: configfs takes the whole attribute in one store.
    int fd = ::open(m_udcFile.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ssize_t written = ::write(fd, line.data(), line.size());
    ::close(fd);
    return written == static_cast<ssize_t>(line.size());
}
