#include "tests/doubles/recording_window.h"

#include <algorithm>

CRecordingWindow::CRecordingWindow(int width, int height) : m_width(width), m_height(height) {}

void CRecordingWindow::SetClientSize(int width, int height) {
    std::lock_guard dispatch(m_dispatch);
    {
        std::lock_guard lock(m_mutex);
        if (!m_alive) {
            return;
        }
        m_width = width;
        m_height = height;
    }
    Record(CEvent{EventKind::kSize, {}, 0, {}});
    Dispatch(WM_SIZE, SIZE_RESTORED,
             MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
}

void CRecordingWindow::Paint() {
    Paint(ClientRect());
}

void CRecordingWindow::Paint(const RECT& area) {
    std::lock_guard dispatch(m_dispatch);
    {
        std::lock_guard lock(m_mutex);
        if (!m_alive) {
            return;
        }
        m_invalid = false;
    }
    m_paintArea = area;
    Dispatch(WM_PAINT, 0, 0);
}

bool CRecordingWindow::UpdateWindow() {
    bool invalid = false;
    {
        std::lock_guard lock(m_mutex);
        invalid = m_invalid && m_alive;
    }
    if (invalid) {
        Paint();
    }
    return invalid;
}

void CRecordingWindow::Destroy() {
    std::lock_guard dispatch(m_dispatch);
    {
        std::lock_guard lock(m_mutex);
        m_alive = false;
    }
    DetachSubclass();
}

bool CRecordingWindow::IsAlive() const {
    std::lock_guard lock(m_mutex);
    return m_alive;
}

RECT CRecordingWindow::ClientRect() const {
    std::lock_guard lock(m_mutex);
    return m_alive ? RECT{0, 0, m_width, m_height} : RECT{};
}

void CRecordingWindow::Invalidate(BOOL erase) {
    if (!IsAlive()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_invalid = true;
    }
    Record(CEvent{EventKind::kInvalidate, {}, erase ? 1u : 0u, {}});
}

void CRecordingWindow::Redraw(UINT flags) {
    if (!IsAlive()) {
        return;
    }
    Record(CEvent{EventKind::kRedraw, {}, flags, {}});
    if (flags & RDW_UPDATENOW) {
        Paint();
    } else if (flags & RDW_INVALIDATE) {
        std::lock_guard lock(m_mutex);
        m_invalid = true;
    }
}

LRESULT CRecordingWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard dispatch(m_dispatch);
    if (!IsAlive()) {
        return 0;
    }
    if (message == WM_SETTEXT) {
        const auto* text = reinterpret_cast<const char16_t*>(lParam);
        Record(CEvent{EventKind::kText, text ? text : u"", 0, {}});
    }
    return Dispatch(message, wParam, lParam);
}

HDC CRecordingWindow::BeginPaint(PAINTSTRUCT* paint) {
    std::lock_guard dispatch(m_dispatch);
    if (m_paintSurface) {
        return nullptr;  // one paint at a time
    }
    m_paintSurface = std::make_unique<CPaintSurface>(ClientRect(), m_paintArea);
    HDC dc = m_paintSurface->Context();
    BOOL erased = Dispatch(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    paint->fErase = erased ? FALSE : TRUE;
    paint->rcPaint = m_paintArea;
    return dc;
}

void CRecordingWindow::EndPaint(const PAINTSTRUCT* paint) {
    std::lock_guard dispatch(m_dispatch);
    if (!m_paintSurface || paint->hdc != m_paintSurface->Context()) {
        return;
    }
    std::vector<std::u16string> texts = m_paintSurface->DrawnTexts();
    Record(
        CEvent{EventKind::kPaint, texts.empty() ? u"" : texts.front(), 0, m_paintSurface->Calls()});
    m_paintSurface.reset();
}

void CRecordingWindow::EraseBackground(HDC dc) {
    RECT client = ClientRect();
    ::SetBkColor(dc, kBackground);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
}

void CRecordingWindow::Record(CEvent event) {
    std::lock_guard lock(m_mutex);
    m_events.push_back(std::move(event));
}

std::vector<CRecordingWindow::CEvent> CRecordingWindow::Events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<std::u16string> CRecordingWindow::Texts() const {
    std::vector<std::u16string> texts;
    for (const CEvent& event : Events()) {
        if (event.kind == EventKind::kText) {
            texts.push_back(event.text);
        }
    }
    return texts;
}

std::vector<std::u16string> CRecordingWindow::PaintedLabels() const {
    std::vector<std::u16string> labels;
    for (const CEvent& event : Events()) {
        if (event.kind == EventKind::kPaint) {
            labels.push_back(event.text);
        }
    }
    return labels;
}

int CRecordingWindow::CountOf(EventKind kind) const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_events.begin(), m_events.end(),
                                          [kind](const CEvent& e) { return e.kind == kind; }));
}

int CRecordingWindow::RepaintRequests() const {
    return CountOf(EventKind::kInvalidate) + CountOf(EventKind::kRedraw);
}

int CRecordingWindow::PaintCount() const {
    return CountOf(EventKind::kPaint);
}

void CRecordingWindow::ClearEvents() {
    std::lock_guard lock(m_mutex);
    m_events.clear();
}
