#include "platform/window/gdi.h"

#include <algorithm>

#ifndef _WIN32

COLORREF SetBkColor(HDC dc, COLORREF color) {
    return dc ? dc->SetBkColor(color) : 0;
}

int SetBkMode(HDC dc, int mode) {
    return dc ? dc->SetBkMode(mode) : 0;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    return dc ? dc->SetTextColor(color) : 0;
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* previous) {
    return dc ? dc->SetWindowOrgEx(x, y, previous) : FALSE;
}

BOOL GetWindowOrgEx(HDC dc, POINT* origin) {
    return dc ? dc->GetWindowOrgEx(origin) : FALSE;
}

BOOL LPtoDP(HDC dc, POINT* points, int count) {
    POINT origin{};
    if (!GetWindowOrgEx(dc, &origin)) {
        return FALSE;
    }
    for (int i = 0; i < count; ++i) {
        points[i].x -= origin.x;
        points[i].y -= origin.y;
    }
    return TRUE;
}

int SelectClipRgn(HDC dc, HRGN region) {
    return dc ? dc->SelectClipRgn(region) : 0;
}

int GetClipBox(HDC dc, RECT* rect) {
    return dc ? dc->GetClipBox(rect) : 0;
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, const char16_t* text,
                 UINT count, const INT* /*dx: per-character advances are not supported*/) {
    return dc ? dc->ExtTextOutW(x, y, options, rect, text, count) : FALSE;
}

int DrawTextW(HDC dc, const char16_t* text, int count, RECT* rect, UINT format) {
    return dc && text && rect ? dc->DrawTextW(text, count, rect, format) : 0;
}

HDC CreateCompatibleDC(HDC dc) {
    return dc ? dc->CreateCompatibleDC() : nullptr;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    return dc && width >= 0 && height >= 0 ? dc->CreateCompatibleBitmap(width, height) : nullptr;
}

HBITMAP SelectObject(HDC dc, HBITMAP bitmap) {
    return dc && bitmap ? dc->SelectBitmap(bitmap) : nullptr;
}

BOOL BitBlt(HDC dc, int x, int y, int cx, int cy, HDC source, int x1, int y1, DWORD rop) {
    return dc && source ? dc->BitBlt(x, y, cx, cy, source, x1, y1, rop) : FALSE;
}

BOOL DeleteDC(HDC dc) {
    if (!dc) {
        return FALSE;
    }
    delete dc;
    return TRUE;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return new CGdiRegion{RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                               std::max(top, bottom)}};
}

BOOL DeleteObject(HBITMAP bitmap) {
    if (!bitmap) {
        return FALSE;
    }
    delete bitmap;
    return TRUE;
}

BOOL DeleteObject(HRGN region) {
    if (!region) {
        return FALSE;
    }
    delete region;
    return TRUE;
}

#endif
