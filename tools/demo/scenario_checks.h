#pragma once
// Conditions the scripted scenarios wait for. User-interface thread only.

#include <cstdint>
#include <memory>
#include <vector>

#include "sim/simulated_device.h"
#include "tools/kit/step_runner.h"

class CBarHistory;

// The main dialog runs and is shown.
bool MainWindowShown();

// No update worker runs: every device's run has ended and every slot is free.
bool UpdaterIdle();

// The visible bar's position now.
int VisibleBarPos();

// Whether `device` is there and holds `image` where the database goes.
bool DeviceHoldsImage(const std::shared_ptr<CSimulatedDevice>& device,
                      const std::vector<std::uint8_t>& image);

// The first step of every scenario: the main window up, its bar showing "Wait Connect..".
CStep WaitForStartStep(const CBarHistory& bar);
