#pragma once
// A window of the window system as the framework's window objects see it: the stand-in for a
// window handle. Each toolkit backend implements one (the Qt backend wraps a widget:
// platform/qt/qt_window.h; the Win32 backend a real window: platform/win32/win32_window.h); the
// recording window (tests/doubles) is a test double without a toolkit.
//
// Contract every window honours:
// - The window belongs to one thread, its owner, which handles all its messages. IsAlive,
//   ClientRect, Invalidate, Redraw and Send may be called from any thread; BeginPaint, EndPaint
//   and DefWindowProc only from a message handler running on the owner thread.
// - Send hands the message to the subclassing object (see Subclass) on the owner thread, or to
//   DefWindowProc when there is none, and returns the result. A caller on another thread waits
//   until the owner has handled it; a caller on the owner thread is served directly, so a window
//   that sends to itself never deadlocks.
// - Once the window is destroyed, IsAlive is false, ClientRect is empty, Send returns 0 at once
//   (also to callers still waiting), and the subclassing object is detached.
// - Windows are shared through std::shared_ptr, so a thread that still holds one may call it
//   after the window is gone without touching freed memory.

#include <mutex>
#include <string>

#include "platform/window/gdi.h"

class CWnd;

class CNativeWindow {
public:
    CNativeWindow() = default;
    virtual ~CNativeWindow() = default;
    CNativeWindow(const CNativeWindow&) = delete;
    CNativeWindow& operator=(const CNativeWindow&) = delete;

    virtual bool IsAlive() const = 0;
    // The client area: left and top are 0.
    virtual RECT ClientRect() const = 0;
    // Marks the whole client area for repainting; the paint follows later on the owner thread.
    virtual void Invalidate(BOOL erase) = 0;
    // Invalidates the whole client area (RDW_INVALIDATE, RDW_ERASE) and, with RDW_UPDATENOW,
    // paints it: at once on the owner thread; from another thread as soon as the owner gets to
    // it, without making the caller wait.
    virtual void Redraw(UINT flags) = 0;
    virtual LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // Opens a paint of the update area, inside a WM_PAINT handler: sends WM_ERASEBKGND with the
    // paint's context first and erases with the window's background when the handler does not.
    // Returns the context (owned by the window until EndPaint), or null outside WM_PAINT.
    virtual HDC BeginPaint(PAINTSTRUCT* paint) = 0;
    virtual void EndPaint(const PAINTSTRUCT* paint) = 0;

    // The window's own processing of a message, what a handler's default processing reaches:
    // the window keeps its own copy of the text (WM_SETTEXT returns TRUE, WM_GETTEXT copies at
    // most capacity - 1 characters and a terminator and returns the count, WM_GETTEXTLENGTH),
    // and WM_ERASEBKGND erases with the background. Everything else returns 0. A backend whose
    // windows have a procedure of their own (Win32) overrides it to hand the message to that.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // From now on messages go to `wnd` first. False when another object holds the window or the
    // window is gone. Subclass and Unsubclass run on the owner thread.
    bool Subclass(CWnd* wnd);
    // Ends the subclassing by `wnd`; does nothing when `wnd` does not hold it.
    void Unsubclass(CWnd* wnd);

protected:
    // Delivers one message on the owner thread.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool IsSubclassed() const;
    // The backend calls this once, when the window is destroyed: the subclassing object lets go
    // of it, as the framework detaches its window objects then.
    void DetachSubclass();
    // Fills the whole client area of the paint context `dc` with the window's background.
    virtual void EraseBackground(HDC dc) = 0;

private:
    LRESULT CopyText(WPARAM capacity, LPARAM buffer) const;

    mutable std::mutex m_mutex;
    CWnd* m_subclass = nullptr;
    std::u16string m_text;
};
