#include "app/app_start.h"

#include <chrono>
#include <memory>
#include <mutex>

#include "app/bar_report.h"
#include "app/resource.h"
#include "platform/files/fd_output.h"
#include "platform/window/application.h"
#include "ui/text_progress_ctrl.h"
#include "update/drive_text_listener.h"

namespace {

// Long enough for any reader that keeps up; short enough that nobody waits for one that does not.
constexpr std::chrono::milliseconds kReportDrainBound{1000};

std::mutex g_reportMutex;
std::shared_ptr<CBarReport> g_report;  // the headless report, kept for FinishApplication

}  // namespace

void PrepareApplication() {
    IgnoreBrokenPipes();
    PrepareToolkit(IDR_MAINFRAME, StringTable());
    if (RunsHeadless()) {
        auto report = std::make_shared<CBarReport>();
        g_progress[0].SetListener(report);
        SetDriveTextListener(report);
        std::lock_guard lock(g_reportMutex);
        g_report = report;
    }
}

void FinishApplication() {
    std::shared_ptr<CBarReport> report;
    {
        std::lock_guard lock(g_reportMutex);
        report = g_report;
    }
    if (report) {
        report->Finish(kReportDrainBound);
    }
}
