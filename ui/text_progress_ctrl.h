#pragma once
// A progress bar that draws itself: a filled part and the rest in two colours, and across both
// one centred line of text in two colours, split exactly at the edge of the filled part. The
// text is the window text (a status such as "Wait Connect..") or, while that is empty, the
// percentage. The range is fixed at 0 to 100.
//
// The object exists without a window and is bound to an existing one by subclassing
// (SubclassWindow); it never creates a window. Without a window every operation is accepted:
// SetPos returns -1 and stores nothing, EnableText and the colour setters store their value,
// the window text cannot be set and reads as empty.
//
// Threads: SetPos, GetPos, EnableText, the colour setters, SetWindowText and GetWindowText may be
// called from any thread; text changes are handled on the thread that owns the window while the
// caller waits, so that thread must keep dispatching messages. The message handlers run on the
// owner thread. Position, text switch, cached bar width and colours are single indivisible
// 32-bit values; a paint during a burst of updates may mix old and new ones, and the next paint
// shows the current ones.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/window/dc.h"
#include "platform/window/wnd.h"

// Told of what a bound bar shows, for programs that report it instead of (or besides) drawing
// it: the headless run and the demo. Must be thread-safe: text changes arrive on the owner thread,
// position changes on the thread that called SetPos.
class CProgressListener {
public:
    virtual ~CProgressListener() = default;
    virtual void OnTextChanged(const std::u16string& text) = 0;
    virtual void OnPosChanged(int pos) = 0;
};

class CTextProgressCtrl : public CWnd {
public:
    // The bar in the system highlight colour with white text, the rest white with highlight text.
    CTextProgressCtrl();
    ~CTextProgressCtrl() override;

    // Stores the position and repaints at once when the filled width changes by a pixel or
    // more. Returns the previous position, or -1 without a window (then nothing is stored).
    int SetPos(int pos);
    int GetPos() const { return m_pos.load(std::memory_order_relaxed); }
    // Turns the text on (any non-zero value) or off; repaints later when that changes.
    void EnableText(BOOL show);
    // Store a colour for the next paint; no repaint of their own.
    void SetBarColor(COLORREF color) { m_barColor.store(color, std::memory_order_relaxed); }
    void SetBackColor(COLORREF color) { m_backColor.store(color, std::memory_order_relaxed); }
    void SetBarTextColor(COLORREF color) { m_barTextColor.store(color, std::memory_order_relaxed); }
    void SetBackTextColor(COLORREF color) {
        m_backTextColor.store(color, std::memory_order_relaxed);
    }

    COLORREF GetBarColor() const { return m_barColor.load(std::memory_order_relaxed); }
    COLORREF GetBackColor() const { return m_backColor.load(std::memory_order_relaxed); }
    COLORREF GetBarTextColor() const { return m_barTextColor.load(std::memory_order_relaxed); }
    COLORREF GetBackTextColor() const { return m_backTextColor.load(std::memory_order_relaxed); }
    BOOL IsTextEnabled() const { return m_showText.load(std::memory_order_relaxed); }

    // Puts `listener` in place of the one before (null: none). Told only while bound to a window,
    // and only of changes: a text that differs from the last, a position that differs from the
    // last stored one.
    void SetListener(std::shared_ptr<CProgressListener> listener);

    // Message handlers, on the owner thread.
    BOOL OnEraseBkgnd(CDC* dc);
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    // `text`: a null-terminated string or null (the empty text). Returns the default result.
    LRESULT OnSetText(WPARAM unused, LPARAM text);
    // Copies the text into `buffer` of `capacity` characters, terminator included, cutting it to
    // fit; returns the number of characters copied (0 for a null buffer or no capacity).
    LRESULT OnGetText(WPARAM capacity, LPARAM buffer);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Where `pos` lies in the range: 0.0 at m_lower, 1.0 at m_upper.
    double Fraction(int pos) const;
    void DrawLabel(CDC& dc, const RECT& client, const RECT& bar, const RECT& rest, double fraction);

    std::shared_ptr<CProgressListener> Listener() const;

    mutable std::mutex m_listenerMutex;
    std::shared_ptr<CProgressListener> m_listener;
    std::atomic<std::int32_t> m_pos{0};
    [[maybe_unused]] const std::int32_t m_step = 1;  // the native bar's step; never used here
    const std::int32_t m_upper = 100;
    const std::int32_t m_lower = 0;
    std::u16string m_text;  // owner thread only
    std::atomic<BOOL> m_showText{TRUE};
    std::atomic<std::int32_t> m_barWidth{-1};  // filled width at the last redraw; -1: none yet
    std::atomic<COLORREF> m_barColor;
    std::atomic<COLORREF> m_backColor;
    std::atomic<COLORREF> m_backTextColor;
    std::atomic<COLORREF> m_barTextColor;

    static_assert(std::atomic<std::int32_t>::is_always_lock_free &&
                  std::atomic<COLORREF>::is_always_lock_free);
};

// The control's own default for the rest of the bar and for the text over the filled part.
inline constexpr COLORREF kBarWhite = RGB(255, 255, 255);

// One control per drive slot (the slot table's kSlotCount, checked where the two meet, in the
// update layer); only the first is ever bound to a window (the dialog's bar).
extern CTextProgressCtrl g_progress[4];
