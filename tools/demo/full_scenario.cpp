// The full scenario: every outcome the updater shows for one device, a pull, two devices at once
// and a missing image, each checked.

#include <memory>

#include "device/drive_channel.h"
#include "tools/demo/bar_history.h"
#include "tools/demo/device_bench.h"
#include "tools/demo/image_folder.h"
#include "tools/demo/result_shots.h"
#include "tools/demo/scenario_checks.h"
#include "tools/demo/scenarios.h"
#include "tools/kit/sample_image.h"
#include "update/status_texts.h"

namespace {

constexpr int kSingleDrive = 2;
constexpr int kPulledDrive = 5;
constexpr int kFirstOfTwo = 3;
constexpr int kSecondOfTwo = 4;
constexpr int kDriveWithoutImage = 1;
// Slow enough that both transfers certainly overlap, fast enough to keep the run short.
constexpr std::chrono::milliseconds kOverlapCommandDelay{2};

// What the steps share: the bar's mark taken at the last action, and the image a complete
// update leaves on a device.
struct CRun {
    CScenarioContext& context;
    std::vector<std::uint8_t> image;
    std::size_t mark = 0;

    void TakeMark() { mark = context.bar.Mark(); }
    bool Seen(const char16_t* text) const { return context.bar.TextSeenSince(mark, text); }
    bool BackToWaitConnect() const {
        return Seen(kTextWaitConnect) && VisibleBarPos() == 0 && UpdaterIdle();
    }
    bool Holds(int drive) const { return DeviceHoldsImage(context.bench.Device(drive), image); }
};

void AddSingleUpdate(std::vector<CStep>& steps, const std::shared_ptr<CRun>& run) {
    steps.push_back({"plug a device in update mode into drive 2",
                     [run] {
                         run->context.shots.Save("wait-connect");
                         run->TakeMark();
                         return run->context.bench.Plug(kSingleDrive, DeviceKind::kUpdateMode) !=
                                nullptr;
                     },
                     "\"Success!!\" on the visible bar and the whole image on the device",
                     [run] { return run->Seen(kTextSuccess) && run->Holds(kSingleDrive); }});
    steps.push_back({"unplug drive 2",
                     [run] {
                         run->TakeMark();
                         run->context.bench.Unplug(kSingleDrive);
                         return true;
                     },
                     "the bar back at 0 with \"Wait Connect..\", the worker ended",
                     [run] { return run->BackToWaitConnect(); }});
}

void AddPull(std::vector<CStep>& steps, const std::shared_ptr<CRun>& run) {
    steps.push_back({"plug a device into drive 5 that is pulled out at 40 % of the image",
                     [run] {
                         run->TakeMark();
                         return run->context.bench.Plug(kPulledDrive, DeviceKind::kPullsItself) !=
                                nullptr;
                     },
                     "\"Connection Error!!\" on the visible bar",
                     [run] { return run->Seen(kTextConnectionError); }});
    steps.push_back({"wait for the pulled device's worker to end",
                     {},
                     "\"Wait Connect..\" after the error, the bar at 0, part of the image only",
                     [run] {
                         CDriveState drive = run->context.bench.State(kPulledDrive);
                         return run->context.bar.TextsSeenInOrder(run->mark, kTextConnectionError,
                                                                  kTextWaitConnect) &&
                                VisibleBarPos() == 0 && UpdaterIdle() && !drive.present &&
                                drive.blocksVerified > 0 &&
                                drive.blocksVerified < run->context.bench.ImageBlocks();
                     }});
}

bool PlugOverlapping(CDeviceBench& bench, int drive) {
    auto device = bench.Plug(drive, DeviceKind::kUpdateMode);
    if (device == nullptr) {
        return false;
    }
    device->SetCommandDelay(kOverlapCommandDelay);
    return true;
}

void AddTwoAtOnce(std::vector<CStep>& steps, const std::shared_ptr<CRun>& run) {
    steps.push_back({"plug devices into drives 3 and 4 at once",
                     [run] {
                         run->context.bench.Unplug(kPulledDrive);  // only the bench's record
                         run->TakeMark();
                         return PlugOverlapping(run->context.bench, kFirstOfTwo) &&
                                PlugOverlapping(run->context.bench, kSecondOfTwo);
                     },
                     "drives 3 and 4 holding a slot each at the same time",
                     [] {
                         // Which one takes slot 0 depends on where the scan is at the plug.
                         return CDriveChannel::FindSlot(kFirstOfTwo) >= 0 &&
                                CDriveChannel::FindSlot(kSecondOfTwo) >= 0;
                     }});
    steps.push_back({"wait for both transfers to end",
                     {},
                     "\"Success!!\" on the visible bar and the whole image on both devices",
                     [run] {
                         return run->Seen(kTextSuccess) && run->Holds(kFirstOfTwo) &&
                                run->Holds(kSecondOfTwo);
                     }});
    steps.push_back({"unplug drives 3 and 4",
                     [run] {
                         run->TakeMark();
                         run->context.bench.Unplug(kFirstOfTwo);
                         run->context.bench.Unplug(kSecondOfTwo);
                         return true;
                     },
                     "the bar back at 0 with \"Wait Connect..\", both workers ended",
                     [run] { return run->BackToWaitConnect(); }});
}

void AddMissingImage(std::vector<CStep>& steps, const std::shared_ptr<CRun>& run) {
    steps.push_back({"take the image away and plug a device into drive 1",
                     [run] {
                         run->TakeMark();
                         return run->context.images.TakeImageAway() &&
                                run->context.bench.Plug(kDriveWithoutImage,
                                                        DeviceKind::kUpdateMode) != nullptr;
                     },
                     "\"Cannot find the DB file!!\" on the visible bar, nothing written",
                     [run] {
                         auto device = run->context.bench.Device(kDriveWithoutImage);
                         return run->Seen(kTextNoImage) && device && device->BlocksWritten() == 0;
                     }});
    steps.push_back({"unplug drive 1 and put the image back",
                     [run] {
                         run->TakeMark();
                         run->context.bench.Unplug(kDriveWithoutImage);
                         return run->context.images.PutImageBack();
                     },
                     "the bar back at 0 with \"Wait Connect..\", the worker ended",
                     [run] { return run->BackToWaitConnect(); }});
}

void AddPictureCheck(std::vector<CStep>& steps, const std::shared_ptr<CRun>& run) {
    // Success twice, the connection error, the missing image, and the start.
    constexpr std::size_t kPictures = 5;
    steps.push_back({"look at the pictures taken",
                     {},
                     "a picture of the window at the start and at each of the 4 results",
                     [run] {
                         return run->context.shots.Failures() == 0 &&
                                run->context.shots.Saved().size() == kPictures;
                     }});
}

}  // namespace

std::vector<CStep> FullScenario(CScenarioContext& context) {
    auto run = std::make_shared<CRun>(CRun{context, context.images.Image()});
    std::vector<CStep> steps{WaitForStartStep(context.bar)};
    AddSingleUpdate(steps, run);
    AddPull(steps, run);
    AddTwoAtOnce(steps, run);
    AddMissingImage(steps, run);
    AddPictureCheck(steps, run);
    return steps;
}
