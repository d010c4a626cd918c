#include "update/drive_text_listener.h"

#include <mutex>
#include <utility>

namespace {
std::mutex g_listenerMutex;
std::shared_ptr<CDriveTextListener> g_listener;
}  // namespace

void SetDriveTextListener(std::shared_ptr<CDriveTextListener> listener) {
    std::lock_guard lock(g_listenerMutex);
    g_listener = std::move(listener);
}

std::shared_ptr<CDriveTextListener> CurrentDriveTextListener() {
    std::lock_guard lock(g_listenerMutex);
    return g_listener;
}
