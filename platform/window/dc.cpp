#include "platform/window/dc.h"

#include "platform/window/gdi_objects.h"

CDC::~CDC() {
    if (m_hDC) {
        ::DeleteDC(Detach());
    }
}

BOOL CDC::Attach(HDC dc) {
    if (!dc || m_hDC) {
        return FALSE;
    }
    m_hDC = dc;
    m_hAttribDC = dc;
    return TRUE;
}

HDC CDC::Detach() {
    HDC dc = m_hDC;
    m_hDC = nullptr;
    m_hAttribDC = nullptr;
    return dc;
}

BOOL CDC::DeleteDC() {
    return m_hDC ? ::DeleteDC(Detach()) : FALSE;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr));
}

HBITMAP CDC::SelectObject(CBitmap* bitmap) {
    return SelectObject(bitmap ? bitmap->GetSafeHandle() : nullptr);
}

HBITMAP CDC::SelectObject(HBITMAP bitmap) {
    // Only the output context holds pixels; an attribute context has no bitmap to swap.
    return static_cast<HBITMAP>(::SelectObject(m_hDC, bitmap));
}

int CDC::SelectClipRgn(CRgn* region) {
    HRGN handle = region ? region->GetSafeHandle() : nullptr;
    int result = ::SelectClipRgn(m_hDC, handle);
    if (HasSeparateAttribDC()) {
        result = ::SelectClipRgn(m_hAttribDC, handle);
    }
    return result;
}

COLORREF CDC::SetBkColor(COLORREF color) {
    COLORREF previous = ::SetBkColor(m_hDC, color);
    if (HasSeparateAttribDC()) {
        previous = ::SetBkColor(m_hAttribDC, color);
    }
    return previous;
}

int CDC::SetBkMode(int mode) {
    int previous = ::SetBkMode(m_hDC, mode);
    if (HasSeparateAttribDC()) {
        previous = ::SetBkMode(m_hAttribDC, mode);
    }
    return previous;
}

COLORREF CDC::SetTextColor(COLORREF color) {
    COLORREF previous = ::SetTextColor(m_hDC, color);
    if (HasSeparateAttribDC()) {
        previous = ::SetTextColor(m_hAttribDC, color);
    }
    return previous;
}

POINT CDC::SetWindowOrg(int x, int y) {
    POINT previous{};
    ::SetWindowOrgEx(m_hDC, x, y, &previous);
    if (HasSeparateAttribDC()) {
        ::SetWindowOrgEx(m_hAttribDC, x, y, &previous);
    }
    return previous;
}

POINT CDC::GetWindowOrg() const {
    POINT origin{};
    ::GetWindowOrgEx(m_hAttribDC, &origin);
    return origin;
}

int CDC::GetClipBox(RECT* rect) const {
    return ::GetClipBox(m_hDC, rect);
}

void CDC::LPtoDP(RECT* rect) const {
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    ::LPtoDP(m_hAttribDC, corners, 2);
    *rect = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT* rect, const std::u16string& text) {
    return ::ExtTextOutW(m_hDC, x, y, options, rect, SystemText(text.c_str()),
                         static_cast<UINT>(text.size()), nullptr);
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color) {
    SetBkColor(color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
}

int CDC::DrawText(const char16_t* text, int count, RECT* rect, UINT format) {
    return ::DrawTextW(m_hDC, SystemText(text), count, rect, format);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc, rop);
}
