#include "platform/window/wnd.h"

#include <vector>

#include "platform/window/native_window.h"

namespace {

// The message each thread is handling now, for Default(); handlers may send further messages
// to the same window, so each dispatch saves and restores the one before.
struct CCurrentMessage {
    CNativeWindow* window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
thread_local CCurrentMessage t_currentMessage;

}  // namespace

CWnd::~CWnd() {
    UnsubclassWindow();
}

BOOL CWnd::SubclassWindow(std::shared_ptr<CNativeWindow> window) {
    if (!window) {
        return FALSE;
    }
    std::lock_guard lock(m_mutex);
    if (m_window || !window->Subclass(this)) {
        return FALSE;
    }
    m_window = std::move(window);
    return TRUE;
}

std::shared_ptr<CNativeWindow> CWnd::UnsubclassWindow() {
    std::shared_ptr<CNativeWindow> window;
    {
        std::lock_guard lock(m_mutex);
        window.swap(m_window);
    }
    if (window) {
        window->Unsubclass(this);
    }
    return window;
}

std::shared_ptr<CNativeWindow> CWnd::GetNativeWindow() const {
    std::lock_guard lock(m_mutex);
    return m_window;
}

void CWnd::ForgetDestroyedWindow(const CNativeWindow* window) {
    std::shared_ptr<CNativeWindow> released;
    std::lock_guard lock(m_mutex);
    if (m_window.get() == window) {
        // Released after the lock: the last reference may be this one.
        released.swap(m_window);
    }
}

BOOL CWnd::IsWindow() const {
    auto window = GetNativeWindow();
    return window && window->IsAlive() ? TRUE : FALSE;
}

void CWnd::GetClientRect(RECT* rect) const {
    auto window = GetNativeWindow();
    *rect = window ? window->ClientRect() : RECT{};
}

void CWnd::Invalidate(BOOL erase) {
    if (auto window = GetNativeWindow()) {
        window->Invalidate(erase);
    }
}

BOOL CWnd::RedrawWindow(UINT flags) {
    auto window = GetNativeWindow();
    if (!window || !window->IsAlive()) {
        return FALSE;
    }
    window->Redraw(flags);
    return TRUE;
}

void CWnd::SetWindowText(const char16_t* text) {
    SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u""));
}

std::u16string CWnd::GetWindowText() const {
    // Grow the buffer until the text fits: a full buffer may mean a cut text.
    std::vector<char16_t> buffer(64);
    for (;;) {
        LRESULT copied =
            SendMessage(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
        if (copied < 0 || static_cast<std::size_t>(copied) + 1 < buffer.size()) {
            return std::u16string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
        }
        buffer.resize(buffer.size() * 2);
    }
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    auto window = GetNativeWindow();
    return window ? window->Send(message, wParam, lParam) : 0;
}

HDC CWnd::BeginPaint(PAINTSTRUCT* paint) {
    auto window = GetNativeWindow();
    *paint = PAINTSTRUCT{};
    return window ? window->BeginPaint(paint) : nullptr;
}

void CWnd::EndPaint(const PAINTSTRUCT* paint) {
    if (auto window = GetNativeWindow()) {
        window->EndPaint(paint);
    }
}

LRESULT CWnd::HandleMessage(CNativeWindow* window, UINT message, WPARAM wParam, LPARAM lParam) {
    CCurrentMessage saved = t_currentMessage;
    t_currentMessage = CCurrentMessage{window, message, wParam, lParam};
    LRESULT result = WindowProc(message, wParam, lParam);
    t_currentMessage = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return Default();
}

LRESULT CWnd::Default() {
    const CCurrentMessage& current = t_currentMessage;
    return current.window
               ? current.window->DefWindowProc(current.message, current.wParam, current.lParam)
               : 0;
}
