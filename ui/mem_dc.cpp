#include "ui/mem_dc.h"

CMemDC::CMemDC(CDC* target) : m_target(target), m_offscreen(!target->IsPrinting()) {
    if (!m_offscreen) {
        // Borrowed handles: dropped again in the destructor so the target's context survives.
        m_bPrinting = m_target->m_bPrinting;
        m_hDC = m_target->m_hDC;
        m_hAttribDC = m_target->m_hAttribDC;
        return;
    }
    m_target->GetClipBox(&m_clipBox);
    CreateCompatibleDC(m_target);
    // Compatible with the target, not with the new memory context: that one holds a one-pixel
    // monochrome bitmap, and a bitmap made like it would be monochrome too.
    m_offscreenBitmap.CreateCompatibleBitmap(m_target, m_clipBox.right - m_clipBox.left,
                                             m_clipBox.bottom - m_clipBox.top);
    m_savedBitmap = SelectObject(&m_offscreenBitmap);
    // The bitmap's pixel (0, 0) is the clip box's top-left corner in the target's coordinates.
    SetWindowOrg(m_clipBox.left, m_clipBox.top);
}

CMemDC::~CMemDC() {
    if (m_offscreen) {
        m_target->BitBlt(m_clipBox.left, m_clipBox.top, m_clipBox.right - m_clipBox.left,
                         m_clipBox.bottom - m_clipBox.top, this, m_clipBox.left, m_clipBox.top,
                         SRCCOPY);
        // Take the bitmap out before it is deleted with m_offscreenBitmap.
        SelectObject(m_savedBitmap);
    } else {
        m_hDC = nullptr;
        m_hAttribDC = nullptr;
    }
    // Then m_offscreenBitmap deletes the bitmap, and the base deletes the memory context.
}
