#include "ui/text_progress_ctrl.h"

#include <algorithm>

#include "platform/window/toolkit_backend.h"
#include "ui/truncate.h"

CTextProgressCtrl g_progress[4];

CTextProgressCtrl::CTextProgressCtrl()
    : m_barColor(GetSysColor(COLOR_HIGHLIGHT)),
      m_backColor(kBarWhite),
      m_backTextColor(GetSysColor(COLOR_HIGHLIGHT)),
      m_barTextColor(kBarWhite) {}

CTextProgressCtrl::~CTextProgressCtrl() = default;

double CTextProgressCtrl::Fraction(int pos) const {
    return static_cast<double>(pos - m_lower) / static_cast<double>(m_upper - m_lower);
}

int CTextProgressCtrl::SetPos(int pos) {
    if (!IsWindow()) {
        return -1;
    }
    int previous = m_pos.exchange(pos, std::memory_order_relaxed);
    if (previous != pos) {
        if (auto listener = Listener()) {
            listener->OnPosChanged(pos);
        }
    }
    RECT client;
    GetClientRect(&client);
    int newWidth = TruncateToInt32((client.right - client.left) * Fraction(pos));
    if (newWidth != m_barWidth.load(std::memory_order_relaxed)) {
        m_barWidth.store(newWidth, std::memory_order_relaxed);
        RedrawWindow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return previous;
}

void CTextProgressCtrl::EnableText(BOOL show) {
    if (IsWindow() && show != m_showText.load(std::memory_order_relaxed)) {
        Invalidate(TRUE);
    }
    m_showText.store(show, std::memory_order_relaxed);
}

void CTextProgressCtrl::OnSize(UINT /*type*/, int /*cx*/, int /*cy*/) {
    Default();
    // Whatever width the next SetPos computes, it has to be drawn at the new size.
    m_barWidth.store(-1, std::memory_order_relaxed);
}

void CTextProgressCtrl::SetListener(std::shared_ptr<CProgressListener> listener) {
    std::lock_guard lock(m_listenerMutex);
    m_listener = std::move(listener);
}

std::shared_ptr<CProgressListener> CTextProgressCtrl::Listener() const {
    std::lock_guard lock(m_listenerMutex);
    return m_listener;
}

LRESULT CTextProgressCtrl::OnSetText(WPARAM /*unused*/, LPARAM text) {
    LRESULT result = Default();
    const auto* newText = reinterpret_cast<const char16_t*>(text);
    bool changed = newText ? m_text != newText : !m_text.empty();
    if (changed) {
        m_text = newText ? newText : u"";
        Invalidate(TRUE);
        if (auto listener = Listener()) {
            listener->OnTextChanged(m_text);
        }
    }
    return result;
}

LRESULT CTextProgressCtrl::OnGetText(WPARAM capacity, LPARAM buffer) {
    auto* out = reinterpret_cast<char16_t*>(buffer);
    if (!out || capacity == 0) {
        return 0;
    }
    if (m_text.size() < capacity) {
        std::copy(m_text.begin(), m_text.end(), out);
        std::fill(out + m_text.size(), out + capacity, u'\0');
        return static_cast<LRESULT>(m_text.size());
    }
    std::copy_n(m_text.begin(), capacity - 1, out);
    out[capacity - 1] = u'\0';
    return static_cast<LRESULT>(capacity - 1);
}

LRESULT CTextProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            CDC dc;
            dc.Attach(reinterpret_cast<HDC>(wParam));
            BOOL erased = OnEraseBkgnd(&dc);
            dc.Detach();  // the paint's context, not ours to delete
            return erased;
        }
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_SIZE:
            OnSize(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                   HIWORD(static_cast<std::uintptr_t>(lParam)));
            return 0;
        case WM_SETTEXT:
            return OnSetText(wParam, lParam);
        case WM_GETTEXT:
            return OnGetText(wParam, lParam);
        default:
            return CWnd::WindowProc(message, wParam, lParam);
    }
}
