// zelvane-demo: the Zelvane updater over simulated USB devices. With a display it runs the
// updater's window beside a bench window to plug devices in; without one (or with --headless) it
// plays a scripted scenario on the offscreen platform and exits 0 only when every expected
// outcome was seen. See --help.

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

#include "app/app_start.h"
#include "app/bar_report.h"
#include "app/zelvane_app.h"
#include "platform/drive_backend_override.h"
#include "platform/sleep_override.h"
#include "sim/sim_drive_backend.h"
#include "tools/demo/bar_history.h"
#include "tools/demo/bench_window.h"
#include "tools/demo/demo_options.h"
#include "tools/demo/device_bench.h"
#include "tools/demo/image_folder.h"
#include "tools/demo/result_shots.h"
#include "tools/demo/scenario_checks.h"
#include "tools/demo/scenarios.h"
#include "tools/demo/termination_signals.h"
#include "tools/demo/window_shots.h"
#include "tools/kit/sample_image.h"
#include "ui/text_progress_ctrl.h"
#include "update/update_worker.h"

namespace {

// Scripted runs shorten the scan and probe pauses tenfold; the bench keeps the product's timing.
constexpr unsigned kScriptedSleepDivisor = 10;
constexpr int kMainWindowPollMilliseconds = 10;

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

bool AlreadyOffscreen() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return platform != nullptr && std::string_view(platform) == "offscreen";
}

// Decides before the application object exists, which reads the platform then.
bool ChooseHeadless(const CDemoOptions& options) {
    if (options.headless || !HasDisplay()) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return true;
    }
    return AlreadyOffscreen();
}

// Puts the two windows side by side in the middle of the screen, or the bench below the updater's
// window when the screen is too narrow for both.
void PlaceSideBySide(QWidget& main, QWidget& bench) {
    constexpr int kGap = 16;
    QRect screen = main.screen()->availableGeometry();
    QSize mainSize = main.frameGeometry().size();
    QSize benchSize = bench.sizeHint();
    int width = mainSize.width() + kGap + benchSize.width();
    if (width > screen.width()) {
        bench.move(screen.left() + std::max(0, (screen.width() - benchSize.width()) / 2),
                   main.frameGeometry().bottom() + kGap);
        return;
    }
    int left = screen.left() + (screen.width() - width) / 2;
    int top = screen.top() +
              std::max(0, (screen.height() - std::max(mainSize.height(), benchSize.height())) / 2);
    main.move(left, top);
    bench.move(left + mainSize.width() + kGap, top);
}

// Shows the bench beside the updater's window once that runs (inside InitInstance's loop).
void ShowBenchWhenMainWindowRuns(QTimer& poll, QPointer<QWidget>& benchWindow, CDeviceBench& bench,
                                 CDemoImageFolder& images) {
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!MainWindowShown()) {
            return;
        }
        poll.stop();
        QWidget* main = MainWindowWidget();
        benchWindow = new CBenchWindow(bench, images, main);
        PlaceSideBySide(*main, *benchWindow);
        benchWindow->show();
    });
    poll.start(kMainWindowPollMilliseconds);
}

int RunBench(CDeviceBench& bench, CDemoImageFolder& images) {
    QTimer poll;
    QPointer<QWidget> benchWindow;
    ShowBenchWhenMainWindowRuns(poll, benchWindow, bench, images);
    theApp.InitInstance();
    return EXIT_SUCCESS;
}

const char* ScenarioName(DemoScenario scenario) {
    switch (scenario) {
        case DemoScenario::kCloseDuringTransfer:
            return "close-during-transfer";
        case DemoScenario::kShowcase:
            return "showcase";
        default:
            return "full";
    }
}

std::vector<CStep> ScenarioSteps(DemoScenario scenario, CScenarioContext& context) {
    switch (scenario) {
        case DemoScenario::kCloseDuringTransfer:
            return CloseDuringTransferScenario(context);
        case DemoScenario::kShowcase:
            return ShowcaseScenario(context);
        default:
            return FullScenario(context);
    }
}

// After the window closed during the transfer: passes only when the slow device still lacks
// part of the image, so that the process really ends in the middle of a transfer.
int CloseOutcome(const CStepRunner& runner, const CDeviceBench& bench) {
    std::size_t verified = bench.State(0).blocksVerified;
    bool midTransfer = verified < bench.ImageBlocks();
    if (runner.ExitCode() != 0 || !midTransfer) {
        std::printf("scenario close-during-transfer FAILED: %s\n",
                    !midTransfer ? "the transfer had ended before the window closed"
                                 : "the window did not close during the transfer");
        return EXIT_FAILURE;
    }
    std::printf(
        "the main window closed during the transfer at %zu of %zu blocks; the process "
        "ends now\n",
        verified, bench.ImageBlocks());
    return EXIT_SUCCESS;
}

int ScenarioOutcome(DemoScenario scenario, const CStepRunner& runner, const CDeviceBench& bench) {
    if (scenario == DemoScenario::kCloseDuringTransfer) {
        return CloseOutcome(runner, bench);
    }
    if (!runner.Ended()) {
        std::printf("scenario %s FAILED: the window was closed before every step was seen\n",
                    ScenarioName(scenario));
    }
    return runner.ExitCode() == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

// Every change of the visible bar is printed, kept for the steps, and each result pictured.
std::shared_ptr<CBarHistory> WatchVisibleBar(CResultShots& shots) {
    auto history = std::make_shared<CBarHistory>(std::make_shared<CBarReport>());
    history->SetTextHook([&shots](const std::u16string& text) { shots.OnBarText(text); });
    g_progress[0].SetListener(history);
    return history;
}

int RunScenario(DemoScenario scenario, const CDemoOptions& options, bool headless,
                CDeviceBench& bench, CDemoImageFolder& images) {
    std::printf("image: %s/%s\n", images.Folder().c_str(), images.ImageName().c_str());
    std::optional<CScopedSleepDivisor> fasterPauses;
    if (scenario != DemoScenario::kShowcase) {
        fasterPauses.emplace(kScriptedSleepDivisor);
    }
    CResultShots shots(options.screenshotDir, stdout);
    std::shared_ptr<CBarHistory> history = WatchVisibleBar(shots);

    QTimer poll;
    QPointer<QWidget> benchWindow;
    if (!headless || scenario == DemoScenario::kShowcase) {
        ShowBenchWhenMainWindowRuns(poll, benchWindow, bench, images);
    }
    CScenarioContext context{bench, images, *history, shots, [&] { return benchWindow.data(); }};
    CStepRunner runner(ScenarioName(scenario), ScenarioSteps(scenario, context), stdout);
    runner.Start([scenario](int) {
        if (scenario != DemoScenario::kCloseDuringTransfer && theApp.m_pMainWnd != nullptr) {
            theApp.m_pMainWnd->EndDialog(IDOK);
        }
    });
    theApp.InitInstance();
    g_progress[0].SetListener(nullptr);
    return ScenarioOutcome(scenario, runner, bench);
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<CDemoOptions> options = ParseDemoOptions(argc, argv);
    if (!options) {
        return 2;
    }
    if (options->help) {
        PrintDemoUsage();
        return EXIT_SUCCESS;
    }
    bool headless = ChooseHeadless(*options);
    QApplication application(argc, argv);
    // Never destroyed: workers may still use it when the process ends.
    static CSimDriveBackend backend;
    backend.SetLogging(false);  // the demo may run for hours; the log would only grow
    CScopedDriveBackend simulatorInPlace(&backend);  // never ended either: see the _Exit below
    CDemoImageFolder images;
    if (!images.Ready()) {
        std::fprintf(stderr, "zelvane-demo: %s\n", images.Error().c_str());
        return EXIT_FAILURE;
    }
    PrepareApplication();
    EndDialogOnTerminationSignals();
    CDeviceBench bench(backend, ImageBlockCount(images.Image().size()));
    DemoScenario scenario = options->scenario;
    if (scenario == DemoScenario::kNone && headless) {
        scenario = DemoScenario::kFull;
    }
    int exitCode = scenario == DemoScenario::kNone
                       ? RunBench(bench, images)
                       : RunScenario(scenario, *options, headless, bench, images);
    images.Remove();
    // As the product does: the monitor and workers are never stopped; the process ends here.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
