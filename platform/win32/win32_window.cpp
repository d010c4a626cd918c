#include "platform/win32/win32_window.h"

#include <map>
#include <mutex>

namespace {

// Where the procedure finds the object of its window.
constexpr wchar_t kObjectProperty[] = L"ZelvaneWindowObject";

// Keeps each object alive while its window exists; only the owner threads change it.
std::mutex g_registryMutex;
std::map<HWND, std::shared_ptr<CWin32Window>> g_registry;

}  // namespace

std::shared_ptr<CWin32Window> CWin32Window::FromHandle(HWND hwnd) {
    if (!::IsWindow(hwnd)) {
        return nullptr;
    }
    std::lock_guard lock(g_registryMutex);
    auto& slot = g_registry[hwnd];
    if (!slot) {
        slot.reset(new CWin32Window(hwnd));
    }
    return slot;
}

CWin32Window::CWin32Window(HWND hwnd) : m_hwnd(hwnd) {
    ::SetPropW(m_hwnd, kObjectProperty, this);
    m_original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure)));
}

CWin32Window::~CWin32Window() = default;

LRESULT CALLBACK CWin32Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = static_cast<CWin32Window*>(::GetPropW(hwnd, kObjectProperty));
    if (window == nullptr) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        LRESULT result = window->DefWindowProc(message, wParam, lParam);
        window->OnFinalMessage();
        return result;
    }
    return window->Dispatch(message, wParam, lParam);
}

void CWin32Window::OnFinalMessage() {
    m_alive.store(false);
    DetachSubclass();
    ::SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_original));
    ::RemovePropW(m_hwnd, kObjectProperty);
    std::shared_ptr<CWin32Window> self;  // released after the lock; may be the last reference
    std::lock_guard lock(g_registryMutex);
    auto found = g_registry.find(m_hwnd);
    if (found != g_registry.end()) {
        self.swap(found->second);
        g_registry.erase(found);
    }
}

bool CWin32Window::IsAlive() const {
    return m_alive.load() && ::IsWindow(m_hwnd);
}

RECT CWin32Window::ClientRect() const {
    RECT rect{};
    if (IsAlive()) {
        ::GetClientRect(m_hwnd, &rect);
    }
    return rect;
}

void CWin32Window::Invalidate(BOOL erase) {
    if (IsAlive()) {
        ::InvalidateRect(m_hwnd, nullptr, erase);
    }
}

void CWin32Window::Redraw(UINT flags) {
    if (IsAlive()) {
        ::RedrawWindow(m_hwnd, nullptr, nullptr, flags);
    }
}

LRESULT CWin32Window::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return IsAlive() ? ::SendMessageW(m_hwnd, message, wParam, lParam) : 0;
}

HDC CWin32Window::BeginPaint(PAINTSTRUCT* paint) {
    return ::BeginPaint(m_hwnd, paint);
}

void CWin32Window::EndPaint(const PAINTSTRUCT* paint) {
    ::EndPaint(m_hwnd, paint);
}

LRESULT CWin32Window::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_original != nullptr ? ::CallWindowProcW(m_original, m_hwnd, message, wParam, lParam)
                                 : ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void CWin32Window::EraseBackground(HDC dc) {
    DefWindowProc(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
}
