// Closing the main window while a transfer runs: the dialog must end at once; the program then
// ends with the worker still running (main checks that it does).

#include <QWidget>

#include "tools/demo/device_bench.h"
#include "tools/demo/scenario_checks.h"
#include "tools/demo/scenarios.h"
#include "tools/demo/window_shots.h"
#include "update/update_worker.h"

namespace {
constexpr int kSlowDrive = 0;
// Far enough from both ends that the transfer certainly still runs when the window closes.
constexpr int kLowestPos = 1;
constexpr int kHighestPos = 80;
}  // namespace

std::vector<CStep> CloseDuringTransferScenario(CScenarioContext& context) {
    CDeviceBench& bench = context.bench;
    std::vector<CStep> steps{WaitForStartStep(context.bar)};
    steps.push_back({"plug a slow device into drive 0",
                     [&bench] { return bench.Plug(kSlowDrive, DeviceKind::kSlow) != nullptr; },
                     "its transfer running, the bar between 1 and 80 %",
                     [] {
                         int pos = VisibleBarPos();
                         return pos >= kLowestPos && pos <= kHighestPos && RunningWorkerCount() > 0;
                     }});
    steps.push_back({"close the main window through its close box",
                     [] {
                         QWidget* window = MainWindowWidget();
                         return window != nullptr && window->close();
                     },
                     "the main window gone", [] { return !MainWindowShown(); }});
    return steps;
}
