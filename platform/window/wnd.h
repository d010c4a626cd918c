#pragma once
// The framework's window object: a C++ object that exists on its own and is bound to a window
// of the window system by subclassing, after which the window's messages reach WindowProc on
// the thread that owns the window. An object without a window accepts every call: queries
// answer "no window" (IsWindow FALSE, empty client rectangle, empty text) and requests do
// nothing.
//
// Threads: binding and unbinding (SubclassWindow, UnsubclassWindow, and the destructor of an
// object still bound) happen on the window's owner thread, or while no other thread uses the
// object. Every other public call may come from any thread; calls that need the owner thread
// (the window text) are sent to it. Message handlers run on the owner thread.

#include <memory>
#include <mutex>
#include <string>

#include "platform/window/gdi.h"
#include "platform/window/win_types.h"

class CNativeWindow;

class CWnd {
public:
    CWnd() = default;
    // Lets go of a window still bound; never destroys it, since the window is not this
    // object's to destroy.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Binds this object to the existing `window`: from now on its messages arrive at WindowProc.
    // FALSE when this object is bound already, or the window is gone or bound to another object.
    BOOL SubclassWindow(std::shared_ptr<CNativeWindow> window);
    // Ends the binding and returns the window (null when there was none). Afterwards the object
    // behaves as one without a window, and no message reaches it any more.
    std::shared_ptr<CNativeWindow> UnsubclassWindow();
    // The bound window, or null.
    std::shared_ptr<CNativeWindow> GetNativeWindow() const;

    BOOL IsWindow() const;
    // The client area (left and top 0); all zero without a window.
    void GetClientRect(RECT* rect) const;
    // Marks the whole client area for a repaint that follows on the owner thread.
    void Invalidate(BOOL erase = TRUE);
    // Invalidates the whole window and repaints it as `flags` ask (see CNativeWindow::Redraw).
    BOOL RedrawWindow(UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);

    // Sends WM_SETTEXT with `text` (null stands for the empty text) and waits until the owner
    // thread has handled it. No effect without a window.
    void SetWindowText(const char16_t* text);
    // The text as WM_GETTEXT reports it; empty without a window.
    std::u16string GetWindowText() const;
    // Sends a message to the bound window and returns its result; 0 without a window.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Open and close a paint; for WM_PAINT handlers (see CNativeWindow::BeginPaint).
    HDC BeginPaint(PAINTSTRUCT* paint);
    void EndPaint(const PAINTSTRUCT* paint);

    // The window delivers each message here, on its owner thread.
    LRESULT HandleMessage(CNativeWindow* window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The message map: derived classes route the messages they handle and pass the rest on.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's own processing of the message now being handled.
    LRESULT Default();

private:
    friend class CNativeWindow;
    // The window was destroyed: the object lets go of it, if it still holds it.
    void ForgetDestroyedWindow(const CNativeWindow* window);

    mutable std::mutex m_mutex;
    std::shared_ptr<CNativeWindow> m_window;
};
