// The whole program on the offscreen platform, over simulated devices: the main dialog with its
// monitor, workers, the visible bar, the about box, the hidden test command and closing.

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <chrono>
#include <mutex>
#include <optional>
#include <sstream>

#include "app/app_start.h"
#include "app/bar_report.h"
#include "app/resource.h"
#include "app/zelvane_dlg.h"
#include "device/cdb.h"
#include "platform/files/executable_path_override.h"
#include "platform/sleep_override.h"
#include "platform/window/native_window.h"
#include "tests/e2e/test_pipe.h"
#include "tests/support/sim_backend_fixture.h"
#include "tools/kit/sample_image.h"
#include "tools/kit/step_runner.h"
#include "tools/kit/temp_dir.h"
#include "tools/kit/wait.h"
#include "ui/text_progress_ctrl.h"
#include "update/device_monitor_control.h"
#include "update/drive_text_listener.h"
#include "update/update_worker.h"

namespace {

const std::u16string kWait = u"Wait Connect..";

class CTextLog : public CProgressListener {
public:
    void OnTextChanged(const std::u16string& text) override {
        std::lock_guard lock(m_mutex);
        m_texts.push_back(text);
    }
    void OnPosChanged(int) override {}
    std::vector<std::u16string> Texts() const {
        std::lock_guard lock(m_mutex);
        return m_texts;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::u16string> m_texts;
};

class AppTest : public SimBackendTest {
protected:
    void SetUp() override {
        SimBackendTest::SetUp();
        PrepareApplication();
        m_dir.Write(kSampleImageName, m_image);
        g_progress[0].SetListener(m_texts);
        m_monitorsBefore = StartedDeviceMonitorCount();
    }
    void TearDown() override {
        // The dialog's monitor thread may begin after a short test has closed the dialog; it must
        // have begun before it can be stopped, else it would run on into the next test.
        EXPECT_TRUE(WaitUntil([this] { return StartedDeviceMonitorCount() > m_monitorsBefore; }))
            << "the dialog's monitor never started";
        StopDeviceMonitors();  // first, so that every worker it started is counted below
        for (int drive = 0; drive < CSimDriveBackend::kDriveCount; ++drive) {
            m_backend.Unplug(drive);
        }
        EXPECT_TRUE(WaitUntil([] { return RunningWorkerCount() == 0; }));
        g_progress[0].SetListener(nullptr);
        SimBackendTest::TearDown();
    }

    QWidget* Window() const { return static_cast<QWidget*>(m_dialog.ToolkitWindow()); }
    std::u16string BarText() const { return g_progress[0].GetWindowText(); }

    // Runs `script` while the dialog's loop runs; a step not reached in time fails the test and
    // ends the dialog.
    void StartScript(CStepRunner& script) {
        script.Start([this, &script](int exitCode) {
            if (exitCode != 0) {
                ADD_FAILURE() << script.Failure();
                m_dialog.EndDialog(IDCANCEL);
            }
        });
    }

    int m_monitorsBefore = 0;
    CTempDir m_dir;
    const std::vector<unsigned char> m_image = MakeSampleImage(200 * 1024);
    CScopedExecutablePath m_pretendedExecutable{m_dir.PathOf("zelvane")};
    CScopedSleepDivisor m_fasterPauses{10};
    std::shared_ptr<CTextLog> m_texts = std::make_shared<CTextLog>();
    // Made after PrepareApplication, which registers the icon the dialog loads.
    std::optional<CZelvaneDlg> m_dialogHolder;
    CZelvaneDlg& m_dialog = m_dialogHolder.emplace();
};

TEST_F(AppTest, UpdatesADeviceFromStartToItsUnplug) {
    std::shared_ptr<CSimulatedDevice> device;
    CStepRunner script("app");
    script
        .Then(
            "monitor ready", [&] { return BarText() == kWait; },
            [&] {
                EXPECT_EQ(m_dialog.GetWindowText(), u"Tarvik DB Updater V1.3");
                device = PlugTarget(4);
            })
        .Then(
            "success", [&] { return BarText() == u"Success!!"; },
            [&] {
                EXPECT_EQ(g_progress[0].GetPos(), 100);
                m_backend.Unplug(4);
            })
        .Then(
            "back to waiting", [&] { return BarText() == kWait && g_progress[0].GetPos() == 0; },
            [&] { m_dialog.EndDialog(IDCANCEL); });
    StartScript(script);
    m_dialog.DoModal();
    EXPECT_TRUE(script.Passed());
    EXPECT_EQ(m_texts->Texts(), (std::vector<std::u16string>{kWait, u"", u"Success!!", kWait}));
    EXPECT_TRUE(DeviceHoldsImage(*device, m_image));
    EXPECT_FALSE(g_progress[0].IsWindow());
}

// The headless report's reader stops reading (a full pipe) or goes away (a closed pipe): the
// device is still updated to its end, and the window's thread keeps running.
class AppReportTest : public AppTest, public ::testing::WithParamInterface<bool> {
protected:
    bool ReaderGone() const { return GetParam(); }
};

TEST_P(AppReportTest, AReaderThatDoesNotReadHoldsUpNoUpdate) {
    CTestPipe pipe;
    if (ReaderGone()) {
        pipe.CloseReader();
    } else {
        pipe.Fill();
    }
    auto report = std::make_shared<CBarReport>(pipe.Writer(), CBarReport::Reader::kProgram);
    g_progress[0].SetListener(report);
    std::shared_ptr<CSimulatedDevice> device;
    CStepRunner script("report");
    script
        .Then(
            "monitor ready", [&] { return BarText() == kWait; }, [&] { device = PlugTarget(4); })
        .Then(
            "success", [&] { return BarText() == u"Success!!"; },
            [&] { m_dialog.EndDialog(IDCANCEL); });
    StartScript(script);
    m_dialog.DoModal();
    EXPECT_TRUE(script.Passed());
    EXPECT_TRUE(DeviceHoldsImage(*device, m_image));
    // The writing thread, still held up by a full pipe, fails once nobody can read any more.
    pipe.CloseReader();
    g_progress[0].SetListener(nullptr);
    EXPECT_FALSE(report->Finish(std::chrono::seconds(30)));
}

// Four devices, one whose blocks never read back equal: only slot 0's bar is on screen, and the
// report names every drive's outcome, each once, after the drive's start.
TEST_F(AppTest, TheReportNamesEveryDrivesOutcome) {
    CTestPipe pipe;
    auto report = std::make_shared<CBarReport>(pipe.Writer(), CBarReport::Reader::kProgram);
    g_progress[0].SetListener(report);
    SetDriveTextListener(report);
    std::string written;
    // Lines that name a drive's result.
    auto outcomes = [&] {
        written += pipe.ReadAvailable();
        int count = 0;
        std::istringstream lines(written);
        for (std::string line; std::getline(lines, line);) {
            bool result = line.ends_with(": Success!!") || line.ends_with(": Verify Error!!");
            count += line.starts_with("drive ") && result ? 1 : 0;
        }
        return count;
    };
    CStepRunner script("report");
    script
        .Then(
            "monitor ready", [&] { return BarText() == kWait; },
            [&] {
                for (int drive : {1, 3, 5, 7}) {
                    auto device = PlugTarget(drive);
                    if (drive == 5) {
                        device->CorruptReadBacks(CSimulatedDevice::kAnyBlock,
                                                 CSimulatedDevice::kForever);
                    }
                }
            })
        .Then(
            "four outcomes", [&] { return outcomes() == 4; },
            [&] { m_dialog.EndDialog(IDCANCEL); });
    StartScript(script);
    m_dialog.DoModal();
    SetDriveTextListener(nullptr);
    g_progress[0].SetListener(nullptr);
    EXPECT_TRUE(script.Passed());
    ASSERT_TRUE(report->Finish(std::chrono::seconds(30)));
    written += pipe.ReadAvailable();
    for (auto [drive, outcome] :
         {std::pair{1, "Success!!"}, {3, "Success!!"}, {5, "Verify Error!!"}, {7, "Success!!"}}) {
        std::string start = "drive " + std::to_string(drive) + ": \n";
        std::string end = "drive " + std::to_string(drive) + ": " + outcome + "\n";
        ASSERT_NE(written.find(start), std::string::npos) << written;
        EXPECT_GT(written.find(end), written.find(start)) << written;
        EXPECT_EQ(written.find(end), written.rfind(end)) << "reported once: " << written;
    }
    EXPECT_NE(written.find("text: "), std::string::npos) << "the visible bar's lines stay";
}

INSTANTIATE_TEST_SUITE_P(Readers, AppReportTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Gone" : "NeverReads"; });

TEST_F(AppTest, ShowsOneBorderedBarAndNoButtons) {
    CStepRunner script("app");
    script.Then(
        "shown", [&] { return m_dialog.IsWindowVisible(); },
        [&] {
            auto buttons = Window()->findChildren<QPushButton*>();
            EXPECT_EQ(buttons.size(), 3);
            for (QPushButton* button : buttons) {
                EXPECT_FALSE(button->isVisible()) << button->text().toStdString();
            }
            QWidget* bar = Window()->childAt(Window()->width() / 2, Window()->height() * 44 / 91);
            ASSERT_NE(bar, nullptr);
            EXPECT_TRUE(bar->isVisible());
            RECT client = m_dialog.GetDlgItem(IDC_PROGRESS1)->ClientRect();
            EXPECT_GT(client.right, 300);
            EXPECT_FALSE(m_dialog.GetDlgItem(IDC_PROGRESS2) == nullptr);
            m_dialog.EndDialog(IDCANCEL);
        });
    StartScript(script);
    m_dialog.DoModal();
    EXPECT_TRUE(script.Passed());
}

TEST_F(AppTest, TheAboutBoxRunsModallyWhileTheBarKeepsUpdating) {
    CStepRunner script("app");
    QWidget* about = nullptr;
    script
        .Then(
            "monitor ready", [&] { return BarText() == kWait; },
            [&] {
                // Opened from the window's menu; the box's own loop runs inside this step.
                QTimer::singleShot(0, [&] { m_dialog.HandleSysCommand(IDM_ABOUTBOX); });
            })
        .Then(
            "about box open",
            [&] {
                return (about = QApplication::activeModalWidget()) != nullptr && about != Window();
            },
            [&] {
                EXPECT_EQ(about->windowTitle(), QStringLiteral("About Zelvane"));
                bool hasName = false;
                for (QLabel* label : about->findChildren<QLabel*>()) {
                    hasName |= label->text() == QStringLiteral("Zelvane Version 1.0");
                }
                EXPECT_TRUE(hasName);
                PlugTarget(0);
            })
        .Then(
            "bar updated behind the box", [&] { return BarText() == u"Success!!"; },
            [&] {
                for (QPushButton* button : about->findChildren<QPushButton*>()) {
                    if (button->text() == QStringLiteral("OK")) {
                        button->click();
                    }
                }
            })
        .Then(
            "box closed", [&] { return QApplication::activeModalWidget() == Window(); },
            [&] { m_dialog.EndDialog(IDCANCEL); });
    StartScript(script);
    m_dialog.DoModal();
    EXPECT_TRUE(script.Passed());
}

TEST_F(AppTest, ClosingDuringATransferLeavesTheWorkersNoWindowToTouch) {
    std::shared_ptr<CSimulatedDevice> device;
    CStepRunner script("app");
    script
        .Then(
            "monitor ready", [&] { return BarText() == kWait; },
            [&] {
                device = PlugTarget(2);
                device->SetCommandDelay(std::chrono::milliseconds(1));
            })
        .Then(
            "transferring", [&] { return g_progress[0].GetPos() > 5; },
            [&] { m_dialog.EndDialog(IDCANCEL); });
    StartScript(script);
    m_dialog.DoModal();
    EXPECT_TRUE(script.Passed());
    EXPECT_FALSE(g_progress[0].IsWindow());
    EXPECT_LT(device->BlocksVerified(),
              ImageBlockCount(m_image.size()));  // closed in the middle of the transfer
    // The worker goes on writing, to a bar without a window, until the device is gone.
}

TEST_F(AppTest, TheHiddenTestCommandReadsOneBlockAndChangesNothingOnScreen) {
    CStepRunner script("app");
    std::size_t textsBefore = 0;
    script.Then(
        "monitor ready", [&] { return BarText() == kWait; },
        [&] {
            StopDeviceMonitors();  // so that no worker takes the device first
            PlugTarget(3);
            textsBefore = m_texts->Texts().size();
            m_dialog.HandleCommand(IDC_BUTTON1);
            m_dialog.EndDialog(IDCANCEL);
        });
    StartScript(script);
    m_dialog.DoModal();
    EXPECT_TRUE(script.Passed());
    auto requests = m_backend.RequestsTo(3);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].cdb[0], SCSIOP_INQUIRY);
    EXPECT_EQ(requests[1].cdb[0], SCSIOP_INQUIRY);  // on the handle that carries the read
    EXPECT_EQ(requests[2].cdb, MakeBlockCdb(SCSIOP_READ_BLOCK, kFirmwarePlacement.target,
                                            kFirmwarePlacement.FirstBlock()));
    EXPECT_EQ(m_texts->Texts().size(), textsBefore);
    EXPECT_EQ(CDriveChannel::FindSlot(3), -1);
}

}  // namespace
