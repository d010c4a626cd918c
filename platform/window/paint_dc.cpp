#include "platform/window/paint_dc.h"

#include "platform/window/wnd.h"

CPaintDC::CPaintDC(CWnd* wnd) : m_pWnd(wnd) {
    Attach(m_pWnd->BeginPaint(&m_ps));
}

CPaintDC::~CPaintDC() {
    m_pWnd->EndPaint(&m_ps);
    // The window owns the paint's context and has released it with EndPaint.
    Detach();
}
