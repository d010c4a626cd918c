#pragma once
// The framework's owners of drawing objects: each holds one handle and deletes it when it is
// destroyed, so drawing objects made during a paint are released in reverse order of creation.
// A bitmap must no longer be selected into any context when it is deleted.

#include "platform/window/dc.h"
#include "platform/window/gdi.h"

class CBitmap {
public:
    CBitmap() = default;
    ~CBitmap() { DeleteObject(); }
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // Makes a bitmap compatible with `dc`'s output context; FALSE when one is held already or
    // it cannot be made.
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    // Deletes the bitmap, if one is held.
    BOOL DeleteObject();
    HBITMAP GetSafeHandle() const { return m_hObject; }

private:
    HBITMAP m_hObject = nullptr;
};

class CRgn {
public:
    CRgn() = default;
    ~CRgn() { DeleteObject(); }
    CRgn(const CRgn&) = delete;
    CRgn& operator=(const CRgn&) = delete;

    BOOL CreateRectRgn(int left, int top, int right, int bottom);
    BOOL CreateRectRgnIndirect(const RECT* rect);
    BOOL DeleteObject();
    HRGN GetSafeHandle() const { return m_hObject; }

private:
    HRGN m_hObject = nullptr;
};
