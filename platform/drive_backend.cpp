#include "platform/drive_backend.h"

#include <atomic>

#include "platform/drive_backend_override.h"

namespace {
std::atomic<CDriveBackend*> g_activeBackend{nullptr};
}

CDriveBackend& GetDriveBackend() {
    CDriveBackend* backend = g_activeBackend.load(std::memory_order_acquire);
    return backend != nullptr ? *backend : GetSystemDriveBackend();
}

CScopedDriveBackend::CScopedDriveBackend(CDriveBackend* backend)
    : m_previous(g_activeBackend.exchange(backend, std::memory_order_acq_rel)) {}

CScopedDriveBackend::~CScopedDriveBackend() {
    g_activeBackend.store(m_previous, std::memory_order_release);
}
