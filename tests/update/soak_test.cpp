// Many simulated drives plugged, pulled and faulted at random while the monitor runs. Whatever
// happens, no drive ever gets a second worker (it would hold a second handle on the drive), and
// once the devices are gone no slot, handle or worker is left. Devices that then stay get the
// whole image.

#include <gtest/gtest.h>

#include <random>

#include "tests/update/engine_fixture.h"

namespace {

constexpr int kDrives = 6;
constexpr int kEvents = 3000;

class SoakTest : public EngineTest {
protected:
    void RandomEvent(std::mt19937& random) {
        int drive = static_cast<int>(random() % kDrives);
        switch (random() % 6) {
            case 0:
            case 1: {
                auto device = CSimulatedDevice::UpdateMode();
                AddFault(*device, random);
                m_backend.Plug(drive, device);
                break;
            }
            case 2:
                m_backend.Unplug(drive);
                break;
            case 3:
                m_backend.Plug(drive, CSimulatedDevice::OrdinaryDisk());
                break;
            default:
                break;  // let time pass
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
    }

    static void AddFault(CSimulatedDevice& device, std::mt19937& random) {
        switch (random() % 5) {
            case 0:
                device.UnplugAfterCommands(1 + static_cast<int>(random() % 12));
                break;
            case 1:
                device.FailReadBacks(kDatabasePlacement.FirstBlock() + random() % 3, 1);
                break;
            case 2:
                device.CorruptReadBacks(CSimulatedDevice::kAnyBlock,
                                        static_cast<int>(random() % 10));
                break;
            default:
                break;
        }
    }
};

TEST_F(SoakTest, RandomPlugsPullsAndFaultsLeaveNothingBehind) {
    auto image = PlaceImage(3000);
    m_backend.SetLogging(false);
    StartMonitor();
    std::mt19937 random(4242);
    for (int event = 0; event < kEvents; ++event) {
        RandomEvent(random);
    }
    for (int drive = 0; drive < kDrives; ++drive) {
        m_backend.Unplug(drive);
    }
    ASSERT_TRUE(WaitUntil([] { return RunningWorkerCount() == 0; }));
    ASSERT_TRUE(WaitUntil(NoSlotHeld));
    EXPECT_EQ(m_backend.OpenHandleCount(), 0);
    for (int drive = 0; drive < kDrives; ++drive) {
        EXPECT_LE(m_backend.MaxOpenHandles(drive), 1)
            << "drive " << drive << " had two handles at once";
    }

    std::vector<std::shared_ptr<CSimulatedDevice>> stayers;
    for (int drive = 0; drive < kSlotCount; ++drive) {
        stayers.push_back(PlugTarget(drive));
    }
    ASSERT_TRUE(WaitUntil([&] {
        return std::all_of(stayers.begin(), stayers.end(),
                           [&](const auto& d) { return Holds(*d, image); });
    }));
}

}  // namespace
