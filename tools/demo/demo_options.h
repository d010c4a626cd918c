#pragma once
// The demo's command line.

#include <optional>
#include <string>

enum class DemoScenario {
    kNone,                 // the bench window: the user plugs devices in
    kFull,                 // every outcome once, checked
    kCloseDuringTransfer,  // the main window closed while a transfer runs
    kShowcase,             // a few devices at work, both windows saved as pictures
};

struct CDemoOptions {
    bool headless = false;  // --headless: offscreen platform, scripted scenario
    DemoScenario scenario = DemoScenario::kNone;
    std::string screenshotDir;  // --screenshots DIR; empty: a fresh temporary folder
    bool help = false;
};

// Reads argv; on a mistake returns nothing and has printed why on standard error.
std::optional<CDemoOptions> ParseDemoOptions(int argc, char** argv);

void PrintDemoUsage();
