#include "platform/window/gdi_objects.h"

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    if (m_hObject) {
        return FALSE;
    }
    m_hObject = ::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height);
    return m_hObject ? TRUE : FALSE;
}

BOOL CBitmap::DeleteObject() {
    HBITMAP bitmap = m_hObject;
    m_hObject = nullptr;
    return bitmap ? ::DeleteObject(bitmap) : FALSE;
}

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
    if (m_hObject) {
        return FALSE;
    }
    m_hObject = ::CreateRectRgn(left, top, right, bottom);
    return m_hObject ? TRUE : FALSE;
}

BOOL CRgn::CreateRectRgnIndirect(const RECT* rect) {
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CRgn::DeleteObject() {
    HRGN region = m_hObject;
    m_hObject = nullptr;
    return region ? ::DeleteObject(region) : FALSE;
}
