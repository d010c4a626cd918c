#pragma once
// The scripted scenarios: steps for CStepRunner, working on the demo's drives and image
// folder while the main dialog runs.

#include <functional>
#include <vector>

#include "tools/kit/step_runner.h"

class CDeviceBench;
class CDemoImageFolder;
class CBarHistory;
class CResultShots;
class QWidget;

// What the steps work on; everything outlives the scenario.
struct CScenarioContext {
    CDeviceBench& bench;
    CDemoImageFolder& images;
    CBarHistory& bar;
    CResultShots& shots;
    std::function<QWidget*()> benchWindow;  // null when there is none (headless)
};

// One device updated and unplugged, a pull during a transfer, two devices at once, a missing
// image; every result checked on the visible bar and, where it is written, in device memory.
std::vector<CStep> FullScenario(CScenarioContext& context);

// A slow device's transfer, and the main window closed through its close box while it runs.
std::vector<CStep> CloseDuringTransferScenario(CScenarioContext& context);

// A few devices at work: saves the bench window and the main window during a transfer as
// demo-bench.png and demo-main-transfer.png in the pictures folder.
std::vector<CStep> ShowcaseScenario(CScenarioContext& context);
