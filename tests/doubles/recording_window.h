#pragma once
// A window without a toolkit, for tests: it handles every message synchronously on the calling
// thread (one message at a time, so handlers never run concurrently), has a client size the test
// sets, paints into a paint surface (paint_surface.h: a recording context, or on Windows a real
// memory context), and records in order every text change, every repaint request and every
// paint. All members are thread-safe.
//
// Usage:
//     auto window = std::make_shared<CRecordingWindow>(100, 14);
//     g_progress[0].SubclassWindow(window);
//     ... let the code under test drive g_progress[0], from any thread ...
//     window->Texts();          // every WM_SETTEXT text, e.g. {u"", u"Success!!"}
//     window->PaintedLabels();  // the label of every paint, e.g. {u"0%", u"1%", ..., u"Success!!"}
//     window->Events();         // everything above, interleaved in order
//     g_progress[0].UnsubclassWindow();
//
// RedrawWindow with RDW_UPDATENOW paints at once (WM_ERASEBKGND, WM_PAINT); a plain
// invalidation only marks the window, and UpdateWindow paints it then, as a message loop would.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window/native_window.h"
#include "tests/doubles/paint_surface.h"

class CRecordingWindow : public CNativeWindow {
public:
    enum class EventKind { kText, kInvalidate, kRedraw, kPaint, kSize };

    struct CEvent {
        EventKind kind;
        // kText: the text sent with WM_SETTEXT. kPaint: the first text the paint drew (the
        // label), empty when it drew none.
        std::u16string text;
        // kInvalidate: 1 with erase, 0 without. kRedraw: the RedrawWindow flags.
        UINT flags = 0;
        // kPaint: the drawing calls of the paint (see recording_context.h); always empty where
        // the system draws (CPaintSurface::RecordsCalls).
        std::vector<std::string> calls;
    };

    // The background that default erasing fills with.
    static constexpr COLORREF kBackground = RGB(240, 240, 240);

    CRecordingWindow(int width, int height);

    // Sets the client size and sends WM_SIZE, as a resize by the user would.
    void SetClientSize(int width, int height);
    // Paints the whole client area, or `area` of it, now.
    void Paint();
    void Paint(const RECT& area);
    // Paints when the window was invalidated since its last paint; true when it painted.
    bool UpdateWindow();
    // Destroys the window: the subclassing object lets go, and every later call does nothing.
    void Destroy();

    std::vector<CEvent> Events() const;
    std::vector<std::u16string> Texts() const;
    std::vector<std::u16string> PaintedLabels() const;
    // The invalidations and RedrawWindow calls so far.
    int RepaintRequests() const;
    int PaintCount() const;
    void ClearEvents();

    bool IsAlive() const override;
    RECT ClientRect() const override;
    void Invalidate(BOOL erase) override;
    void Redraw(UINT flags) override;
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) override;
    HDC BeginPaint(PAINTSTRUCT* paint) override;
    void EndPaint(const PAINTSTRUCT* paint) override;

protected:
    void EraseBackground(HDC dc) override;

private:
    void Record(CEvent event);
    int CountOf(EventKind kind) const;

    // Held while a message is handled: the stand-in for the owner thread. Recursive, because
    // handlers send messages to their own window and paint from inside other messages.
    mutable std::recursive_mutex m_dispatch;
    mutable std::mutex m_mutex;  // the fields below
    bool m_alive = true;
    bool m_invalid = false;
    int m_width;
    int m_height;
    std::vector<CEvent> m_events;
    // The paint in progress (only under m_dispatch).
    RECT m_paintArea{};
    std::unique_ptr<CPaintSurface> m_paintSurface;
};
