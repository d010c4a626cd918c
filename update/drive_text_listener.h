#pragma once
// Told of every text an update worker gives its slot's bar, with the drive the worker serves.
// Only slot 0's bar is on screen; a report that names every device's outcome needs them all.

#include <memory>
#include <string>

class CDriveTextListener {
public:
    virtual ~CDriveTextListener() = default;
    // On the worker's thread, once the bar has the text; only a text that differs from the one
    // the worker gave before (a worker starts from "Wait Connect..", as it finds its bar).
    // Must be thread-safe: the workers of several drives call at once.
    virtual void OnDriveText(int drive, const std::u16string& text) = 0;
};

// Puts `listener` in place of the one before (null: none). Any thread.
void SetDriveTextListener(std::shared_ptr<CDriveTextListener> listener);
// The listener in place now, or null. Any thread.
std::shared_ptr<CDriveTextListener> CurrentDriveTextListener();
