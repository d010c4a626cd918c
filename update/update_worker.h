#pragma once
// The update worker: carries one device from detection to removal on a thread of its own.

#include <functional>

// The worker's states, in the order a successful run passes through them.
enum WorkerState {
    WK_RESET_BAR,
    WK_FIND_IMAGE,
    WK_WRITE_DB,
    WK_WAIT_REMOVAL,
    WK_FINISH,
};

// The thread's body for drive `driveNumber` (its own copy). It claims a slot for the drive,
// writes the database image with verify, shows the outcome in its slot's bar, waits until the
// device is gone, resets the bar to "Wait Connect.." and frees the slot. Returns 0. Every handle
// the image goes through has answered INQUIRY as a target first; a drive that does not (the
// device was pulled and another drive took its number) is taken as gone. Every text it shows
// also goes to the drive text listener (update/drive_text_listener.h) with the drive.
//
// `onClaimed` runs on the worker's thread right after its claim, whether or not it got a slot,
// so that the starter can wait until the drive counts as held. A worker that gets no slot (all
// four held, or the drive already holds one) ends at once: it opens nothing and makes no display
// call.
int UpdateWorkerThread(int driveNumber, const std::function<void()>& onClaimed = {});

// Workers that have started and not yet ended, for tests and orderly shutdown checks.
int RunningWorkerCount();
