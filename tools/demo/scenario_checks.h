#pragma once
// Conditions the scripted scenarios wait for. User-interface thread only.

#include <cstdint>
#include <memory>
#include <vector>

#include "sim/simulated_device.h"
#include "tools/demo/scenario_runner.h"

class CBarHistory;

// The main dialog runs and is shown.
bool MainWindowShown();

// No update worker runs: every device's run has ended and every slot is free.
bool UpdaterIdle();

// The visible bar's position now.
int VisibleBarPos();

// Whether `device` holds `expected` from the database's first block on.
bool DeviceHoldsImage(const std::shared_ptr<CSimulatedDevice>& device,
                      const std::vector<std::uint8_t>& expected);

// The first step of every scenario: the main window up, its bar showing "Wait Connect..".
CScenarioStep WaitForStartStep(const CBarHistory& bar);
