#include "tools/demo/demo_options.h"

#include <cstdio>
#include <string_view>

namespace {

std::optional<DemoScenario> ScenarioNamed(std::string_view name) {
    if (name == "full") {
        return DemoScenario::kFull;
    }
    if (name == "close-during-transfer") {
        return DemoScenario::kCloseDuringTransfer;
    }
    if (name == "showcase") {
        return DemoScenario::kShowcase;
    }
    return std::nullopt;
}

// Reads the value after option `argv[index]`, moving `index` onto it.
const char* ValueOf(int argc, char** argv, int& index) {
    if (index + 1 >= argc) {
        std::fprintf(stderr, "zelvane-demo: %s needs a value\n", argv[index]);
        return nullptr;
    }
    return argv[++index];
}

}  // namespace

std::optional<CDemoOptions> ParseDemoOptions(int argc, char** argv) {
    CDemoOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--screenshots") {
            const char* dir = ValueOf(argc, argv, i);
            if (dir == nullptr) {
                return std::nullopt;
            }
            options.screenshotDir = dir;
        } else if (arg == "--scenario") {
            const char* name = ValueOf(argc, argv, i);
            std::optional<DemoScenario> scenario = name ? ScenarioNamed(name) : std::nullopt;
            if (!scenario) {
                std::fprintf(stderr, "zelvane-demo: unknown scenario '%s'\n", name ? name : "");
                return std::nullopt;
            }
            options.scenario = *scenario;
        } else {
            std::fprintf(stderr, "zelvane-demo: unknown option '%s' (try --help)\n", argv[i]);
            return std::nullopt;
        }
    }
    return options;
}

void PrintDemoUsage() {
    std::puts(
        "usage: zelvane-demo [--headless] [--scenario NAME] [--screenshots DIR]\n"
        "\n"
        "The Zelvane updater over simulated USB devices. With a display it shows the updater\n"
        "and a bench window to plug devices in; without one (or with --headless) it plays the\n"
        "full scenario on the offscreen platform and exits 0 when every outcome was seen.\n"
        "\n"
        "  --headless          no window: offscreen platform, scripted scenario\n"
        "  --scenario NAME     full: one update, a pull, two devices at once, no image\n"
        "                      close-during-transfer: closes the window while a transfer runs\n"
        "                      showcase: a few devices at work; saves both windows as PNG\n"
        "  --screenshots DIR   where pictures of the window go (default: a temporary folder)");
}
