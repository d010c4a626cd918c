#include "platform/window/native_window.h"

#include <algorithm>

#include "platform/window/wnd.h"

LRESULT CNativeWindow::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETTEXT: {
            const auto* text = reinterpret_cast<const char16_t*>(lParam);
            std::lock_guard lock(m_mutex);
            m_text = text ? text : u"";
            return TRUE;
        }
        case WM_GETTEXT:
            return CopyText(wParam, lParam);
        case WM_GETTEXTLENGTH: {
            std::lock_guard lock(m_mutex);
            return static_cast<LRESULT>(m_text.size());
        }
        case WM_ERASEBKGND:
            EraseBackground(reinterpret_cast<HDC>(wParam));
            return TRUE;
        default:
            return 0;
    }
}

LRESULT CNativeWindow::CopyText(WPARAM capacity, LPARAM buffer) const {
    auto* out = reinterpret_cast<char16_t*>(buffer);
    if (!out || capacity == 0) {
        return 0;
    }
    std::lock_guard lock(m_mutex);
    std::size_t count = std::min<std::size_t>(m_text.size(), capacity - 1);
    std::copy_n(m_text.begin(), count, out);
    out[count] = u'\0';
    return static_cast<LRESULT>(count);
}

bool CNativeWindow::Subclass(CWnd* wnd) {
    if (!wnd || !IsAlive()) {
        return false;
    }
    std::lock_guard lock(m_mutex);
    if (m_subclass && m_subclass != wnd) {
        return false;
    }
    m_subclass = wnd;
    return true;
}

void CNativeWindow::Unsubclass(CWnd* wnd) {
    std::lock_guard lock(m_mutex);
    if (m_subclass == wnd) {
        m_subclass = nullptr;
    }
}

bool CNativeWindow::IsSubclassed() const {
    std::lock_guard lock(m_mutex);
    return m_subclass != nullptr;
}

LRESULT CNativeWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = nullptr;
    {
        std::lock_guard lock(m_mutex);
        wnd = m_subclass;
    }
    // Not under the lock: handlers call back into the window (default processing, painting).
    return wnd ? wnd->HandleMessage(this, message, wParam, lParam)
               : DefWindowProc(message, wParam, lParam);
}

void CNativeWindow::DetachSubclass() {
    CWnd* wnd = nullptr;
    {
        std::lock_guard lock(m_mutex);
        wnd = m_subclass;
        m_subclass = nullptr;
    }
    if (wnd) {
        wnd->ForgetDestroyedWindow(this);
    }
}
