#include "update/update_worker.h"

#include <atomic>
#include <string>

#include "device/drive_channel.h"
#include "platform/files/utf.h"
#include "platform/sleep.h"
#include "ui/text_progress_ctrl.h"
#include "update/download_image.h"
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
    CUpdateWorker(CDriveChannel& channel, int slot)
        : m_channel(channel), m_bar(g_progress[slot]), m_slot(slot) {}

    void Run() {
        WorkerState state = WK_RESET_BAR;
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
        m_bar.SetWindowText(u"");  // an empty text makes the bar draw the percentage
        m_bar.EnableText(TRUE);
        return WK_FIND_IMAGE;
    }

    WorkerState FindImage() {
        m_imagePath = FindLastMatchingFile(GetModuleDirectory() + WidenAscii(kImageFilePattern));
        if (m_imagePath.empty()) {
            m_bar.SetWindowText(kTextNoImage);
            return WK_WAIT_REMOVAL;
        }
        return WK_WRITE_DB;
    }

    WorkerState WriteDatabase() {
        switch (DownloadImage(m_imagePath, &m_channel, IMAGE_DB, m_slot)) {
            case DL_OK:
                m_bar.SetWindowText(kTextSuccess);
                return WK_WAIT_REMOVAL;
            case DL_TARGET_ERROR:
                m_bar.SetWindowText(kTextTargetError);
                return WK_WAIT_REMOVAL;
            case DL_VERIFY_ERROR:
                m_bar.SetWindowText(kTextVerifyError);
                return WK_WAIT_REMOVAL;
            case DL_CONNECTION_ERROR:
                m_bar.SetWindowText(kTextConnectionError);
                return WK_FINISH;
            default:
                break;
        }
        m_bar.SetWindowText(kTextFileOpenError);
        SleepFor(kRetryPauseMs);
        // Without this look a device pulled meanwhile would keep its slot for as long as the
        // file stays unreadable. The fresh handle is the one the next attempt writes through.
        return m_channel.Reopen() == 1 ? WK_WRITE_DB : WK_FINISH;
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
        m_bar.SetWindowText(kTextWaitConnect);
        m_channel.CloseDrive();
    }

    CDriveChannel& m_channel;
    CTextProgressCtrl& m_bar;
    int m_slot;
    std::u16string m_imagePath;
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
    channel.Reopen();  // a failed open shows up as a failed read-back in the transfer
    int slot = CDriveChannel::FindSlot(driveNumber);
    if (slot < 0) {
        channel.CloseDrive();
        return 0;
    }
    CUpdateWorker(channel, slot).Run();
    return 0;
}

int RunningWorkerCount() {
    return g_runningWorkers.load();
}
