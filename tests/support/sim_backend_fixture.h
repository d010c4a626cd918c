#pragma once
// A fresh simulated drive backend in place of the operating system's for each test, and a
// cleared slot table, so that no test sees another's devices or slots.

#include <gtest/gtest.h>

#include "device/drive_channel.h"
#include "platform/drive_backend_override.h"
#include "sim/sim_drive_backend.h"

class SimBackendTest : public ::testing::Test {
protected:
    void SetUp() override { CDriveChannel::ClearSlots(); }
    void TearDown() override { CDriveChannel::ClearSlots(); }

    std::shared_ptr<CSimulatedDevice> PlugTarget(int drive) {
        auto device = CSimulatedDevice::UpdateMode();
        m_backend.Plug(drive, device);
        return device;
    }

    CSimDriveBackend m_backend;
    CScopedDriveBackend m_backendInPlace{&m_backend};  // made after, and ended before, m_backend
};
