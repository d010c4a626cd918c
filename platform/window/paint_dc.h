#pragma once
// The framework's paint context: opens a paint of a window when constructed (BeginPaint) and
// closes it when destroyed (EndPaint). Only for WM_PAINT handlers, on the window's owner thread.
// Declare anything that draws through it after it in the same scope, so that it is gone before
// the paint closes. Without a window (or outside WM_PAINT) it holds no context and draws nothing.

#include "platform/window/dc.h"

class CWnd;

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

private:
    CWnd* m_pWnd;
};
