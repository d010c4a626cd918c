#pragma once
// Plugging and pulling the device: binding the configfs gadget to a USB device controller by
// writing the controller's name to the gadget's UDC file, and unbinding it by writing an empty
// line. To the host this is a cable put in and pulled out.
//
// Thread-safe.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

class CUdcBinding {
public:
    // `udcFile`: the gadget's UDC file in configfs; `controller`: e.g. "dummy_udc.0".
    CUdcBinding(std::string udcFile, std::string controller);

    // Each returns whether the kernel accepted the write.
    bool Plug();
    bool Pull();

    std::uint64_t PlugCount() const;
    std::uint64_t PullCount() const;
    std::optional<std::chrono::steady_clock::time_point> FirstPlugTime() const;

private:
    bool WriteUdcFile(const std::string& line);

    const std::string m_udcFile;
    const std::string m_controller;
    mutable std::mutex m_mutex;
    std::uint64_t m_plugs = 0;
    std::uint64_t m_pulls = 0;
    std::optional<std::chrono::steady_clock::time_point> m_firstPlug;
};
