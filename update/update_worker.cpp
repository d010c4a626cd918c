#include "update/update_worker.h"

#include <atomic>
#include <string>

#include "device/drive_channel.h"
#include "platform/sleep.h"
#include "ui/text_progress_ctrl.h"
#include "update/download_image.h"
#include "update/drive_text_listener.h"
#include "update/image_lookup.h"
#include "update/status_texts.h"

namespace {

constexpr unsigned kRetryPauseMs = 1000;
constexpr unsigned kProbePauseMs = 500;

std::atomic<int> g_runningWorkers{0};

class CRunningWorker {
public:
    CRunningWorker() { ++g_runningWorkers; }
    ~CRunningWorker() { --g_runningWorkers; }
    CRunningWorker(const CRunningWorker&) = delete;
    CRunningWorker& operator=(const CRunningWorker&) = delete;
};

class CUpdateWorker {
public:
    CUpdateWorker(CDriveChannel& channel, int slot, int drive)
        : m_channel(channel), m_bar(g_progress[slot]), m_slot(slot), m_drive(drive) {}

    void Run() {
        // The monitor asked INQUIRY through a handle it has closed again; the handle the image
        // goes through must answer too, or the drive is taken as gone.
        WorkerState state = m_channel.ReopenTarget() == 1 ? WK_RESET_BAR : WK_FINISH;
        while (state != WK_FINISH) {
            state = Step(state);
        }
        Finish();
    }

private:
    WorkerState Step(WorkerState state) {
        switch (state) {
            case WK_RESET_BAR:
                return ResetBar();
            case WK_FIND_IMAGE:
                return FindImage();
            case WK_WRITE_DB:
                return WriteDatabase();
            case WK_WAIT_REMOVAL:
                return WaitForRemoval();
            case WK_FINISH:
                break;
        }
        return WK_FINISH;
    }

    WorkerState ResetBar() {
        m_bar.SetPos(0);
        ShowText(u"");  // an empty text makes the bar draw the percentage
        m_bar.EnableText(TRUE);
        return WK_FIND_IMAGE;
    }

    WorkerState FindImage() {
        m_imagePath = FindImageBesideExecutable();
        if (m_imagePath.empty()) {
            ShowText(kTextNoImage);
            return WK_WAIT_REMOVAL;
        }
        return WK_WRITE_DB;
    }

    WorkerState WriteDatabase() {
        switch (DownloadImage(m_imagePath, &m_channel, IMAGE_DB, m_slot)) {
            case DL_OK:
                ShowText(kTextSuccess);
                return WK_WAIT_REMOVAL;
            case DL_TARGET_ERROR:
                ShowText(kTextTargetError);
                return WK_WAIT_REMOVAL;
            case DL_VERIFY_ERROR:
                ShowText(kTextVerifyError);
                return WK_WAIT_REMOVAL;
            case DL_CONNECTION_ERROR:
                ShowText(kTextConnectionError);
                return WK_FINISH;
            default:
                break;
        }
        ShowText(kTextFileOpenError);
        SleepFor(kRetryPauseMs);
        // Without this look a device pulled meanwhile would keep its slot for as long as the
        // file stays unreadable, and another drive given its number would get the image. The
        // fresh handle is the one the next attempt writes through.
        return m_channel.ReopenTarget() == 1 ? WK_WRITE_DB : WK_FINISH;
    }

    WorkerState WaitForRemoval() {
        // Presence means only that the drive still opens; each open replaces the last handle.
        while (m_channel.Reopen() == 1) {
            SleepFor(kProbePauseMs);
        }
        return WK_FINISH;
    }

    void Finish() {
        // The bar is reset before the slot is freed, so that the next owner of the slot finds a
        // bar this worker no longer touches.
        m_bar.SetPos(0);
        ShowText(kTextWaitConnect);
        m_channel.CloseDrive();
    }

    // Gives the bar its whole text, and tells the drive's listener when the text is new.
    void ShowText(const std::u16string& text) {
        m_bar.SetWindowText(text.c_str());
        if (text == m_shown) {
            return;
        }
        m_shown = text;
        if (auto listener = CurrentDriveTextListener()) {
            listener->OnDriveText(m_drive, text);
        }
    }

    CDriveChannel& m_channel;
    CTextProgressCtrl& m_bar;
    int m_slot;
    int m_drive;
    std::u16string m_imagePath;
    std::u16string m_shown = kTextWaitConnect;  // as a worker finds its bar
};

}  // namespace

int UpdateWorkerThread(int driveNumber, const std::function<void()>& onClaimed) {
    CRunningWorker running;
    CDriveChannel channel;
    // Only a slot the drive does not hold yet: one it holds belongs to someone else (the test
    // command, or a worker whose start outlasted the monitor's wait), and sharing it would let
    // one free it under the other and a second worker start for the same drive.
    int claimed = channel.ClaimNewSlot(driveNumber);
    if (onClaimed) {
        onClaimed();
    }
    if (claimed < 0) {
        return 0;  // no slot: no bar to show anything in
    }
    CUpdateWorker(channel, claimed, driveNumber).Run();
    return 0;
}

int RunningWorkerCount() {
    return g_runningWorkers.load();
}
