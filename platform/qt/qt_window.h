#pragma once
// The window of a Qt widget: what the framework's window objects bind to on Qt. The owner thread
// is the thread the widget lives on (the GUI thread); messages sent from other threads are
// queued to it and handled when it dispatches events, while the sender waits. The backend is
// for Linux (the wake-up uses an eventfd).
//
// The widget's events become the window's messages: a paint event becomes WM_PAINT (the widget's
// own painting is skipped while the window is subclassed), a resize event WM_SIZE. When the
// widget is destroyed the window dies with it (see CNativeWindow).
//
// Usage, on the GUI thread: g_progress[0].SubclassWindow(CQtWindow::FromWidget(bar));

#include <QWidget>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/qt/qt_context.h"
#include "platform/window/native_window.h"

class QEvent;
class QPaintEvent;

class CQtWindow : public CNativeWindow {
public:
    // The window of `widget`: made on the first call and kept until the widget is destroyed, so
    // that every call for one widget gives the same window. Call on the widget's thread.
    static std::shared_ptr<CQtWindow> FromWidget(QWidget* widget);
    ~CQtWindow() override;

    bool IsAlive() const override;
    RECT ClientRect() const override;
    void Invalidate(BOOL erase) override;
    void Redraw(UINT flags) override;
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) override;
    HDC BeginPaint(PAINTSTRUCT* paint) override;
    void EndPaint(const PAINTSTRUCT* paint) override;

    // For the widget's event hook, on the owner thread.
    bool FilterEvent(QEvent* event);
    void RunQueued();
    void OnWidgetDestroyed();

protected:
    void EraseBackground(HDC dc) override;

private:
    struct CPendingMessage;
    enum class Request { kMessage, kUpdate, kRepaint };
    struct CQueuedRequest {
        Request kind;
        std::shared_ptr<CPendingMessage> message;
    };

    explicit CQtWindow(QWidget* widget);
    bool OnOwnerThread() const { return std::this_thread::get_id() == m_owner; }
    // Queues a request for the owner thread and wakes it; false when the window is gone.
    bool Enqueue(CQueuedRequest request);
    void Serve(const CQueuedRequest& request);
    void RememberSize(int width, int height);

    const std::thread::id m_owner;
    mutable std::mutex m_mutex;  // guards the fields up to m_queue
    bool m_alive = true;
    QWidget* m_widget;
    int m_wakeFd = -1;  // signalled when the queue has something for the owner thread
    int m_width = 0;
    int m_height = 0;
    std::deque<CQueuedRequest> m_queue;
    // The paint in progress; owner thread only.
    QPaintEvent* m_paintEvent = nullptr;
    std::unique_ptr<CQtContext> m_paintContext;
};
