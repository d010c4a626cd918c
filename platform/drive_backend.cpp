#include "platform/drive_backend.h"

#include <atomic>

namespace {
std::atomic<CDriveBackend*> g_activeBackend{nullptr};
}

CDriveBackend& GetDriveBackend() {
    CDriveBackend* backend = g_activeBackend.load(std::memory_order_acquire);
    return backend != nullptr ? *backend : GetSystemDriveBackend();
}

void SetDriveBackend(CDriveBackend* backend) {
    g_activeBackend.store(backend, std::memory_order_release);
}
