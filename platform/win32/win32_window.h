#pragma once
// A real window of the system, as the framework's window objects see it (CNativeWindow). Taking
// the window over replaces its window procedure: every message reaches the subclassing CWnd on
// the window's own thread, and what the CWnd leaves to default processing goes to the procedure
// the window had before (for control 1001, the common progress bar's).
//
// The system does what the contract of CNativeWindow asks: messages sent from another thread are
// handled on the owner thread while the sender waits, and a sender on the owner thread is served
// directly. One difference from the toolkit backends: Redraw with RDW_UPDATENOW from another
// thread waits until the owner thread has painted, as RedrawWindow does on this system.
//
// Usage, on the window's owner thread: g_progress[0].SubclassWindow(CWin32Window::FromHandle(h));

#include <atomic>
#include <memory>

#include "platform/window/native_window.h"

class CWin32Window : public CNativeWindow {
public:
    // The object of window `hwnd`: made on the first call and kept until the window is destroyed,
    // so that every call for one window gives the same object. Null for a handle that names no
    // window. On the window's owner thread.
    static std::shared_ptr<CWin32Window> FromHandle(HWND hwnd);
    ~CWin32Window() override;

    HWND Handle() const { return m_hwnd; }

    bool IsAlive() const override;
    RECT ClientRect() const override;
    void Invalidate(BOOL erase) override;
    void Redraw(UINT flags) override;
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) override;
    HDC BeginPaint(PAINTSTRUCT* paint) override;
    void EndPaint(const PAINTSTRUCT* paint) override;
    // The window procedure the window had before it was taken over.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void EraseBackground(HDC dc) override;

private:
    explicit CWin32Window(HWND hwnd);
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The window is going away: lets go of it and of the subclassing object.
    void OnFinalMessage();

    const HWND m_hwnd;
    WNDPROC m_original = nullptr;
    std::atomic<bool> m_alive{true};
};
