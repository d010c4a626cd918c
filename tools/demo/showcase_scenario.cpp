// A few devices at work on the bench, for pictures of both windows during a transfer.

#include <QWidget>
#include <memory>
#include <string>

#include "device/drive_channel.h"
#include "tools/demo/device_bench.h"
#include "tools/demo/image_folder.h"
#include "tools/demo/result_shots.h"
#include "tools/demo/scenario_checks.h"
#include "tools/demo/scenarios.h"
#include "tools/demo/window_shots.h"
#include "tools/kit/sample_image.h"

namespace {
constexpr int kSlowDrive = 0;
constexpr int kQuickDrive = 1;
constexpr int kFaultyDrive = 2;
constexpr int kOtherDiskDrive = 4;
// The picture shows the visible bar about half full.
constexpr int kPictureFromPos = 45;
constexpr int kPictureToPos = 70;

bool SavePictures(CScenarioContext& context) {
    QWidget* bench = context.benchWindow ? context.benchWindow() : nullptr;
    bool benchSaved = context.shots.SaveAs(bench, "demo-bench.png");
    bool mainSaved = context.shots.SaveAs(MainWindowWidget(), "demo-main-transfer.png");
    return benchSaved && mainSaved;
}
}  // namespace

std::vector<CStep> ShowcaseScenario(CScenarioContext& context) {
    CDeviceBench& bench = context.bench;
    auto image = std::make_shared<std::vector<std::uint8_t>>(context.images.Image());
    std::vector<CStep> steps{WaitForStartStep(context.bar)};
    // Alone first, so that it takes slot 0, the one the main window shows.
    steps.push_back({"plug a slow device into drive 0",
                     [&bench] { return bench.Plug(kSlowDrive, DeviceKind::kSlow) != nullptr; },
                     "drive 0 in slot 0", [] { return CDriveChannel::FindSlot(kSlowDrive) == 0; }});
    steps.push_back({"plug a device, a faulty one and an ordinary disk into drives 1, 2 and 4",
                     [&bench] {
                         return bench.Plug(kQuickDrive, DeviceKind::kUpdateMode) &&
                                bench.Plug(kFaultyDrive, DeviceKind::kFaultyReadBack) &&
                                bench.Plug(kOtherDiskDrive, DeviceKind::kOrdinaryDisk);
                     },
                     "drive 1 updated, the visible bar about half full",
                     [&bench, image] {
                         int pos = VisibleBarPos();
                         return DeviceHoldsImage(bench.Device(kQuickDrive), *image) &&
                                pos >= kPictureFromPos && pos <= kPictureToPos;
                     }});
    steps.push_back({"save pictures of both windows", [&context] { return SavePictures(context); },
                     "both pictures saved", [] { return true; }});
    return steps;
}
