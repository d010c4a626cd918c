#include "platform/qt/qt_window.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QSocketNotifier>
#include <condition_variable>

#include "platform/qt/qt_colors.h"

namespace {

// Lives as a child of the widget: filters the widget's events into messages, and serves the
// queued requests when another thread signals the wake-up descriptor. It keeps the window alive
// as long as the widget lives.
class CQtWindowHook : public QObject {
public:
    CQtWindowHook(QWidget* widget, std::shared_ptr<CQtWindow> window, int wakeFd)
        : QObject(widget), m_window(std::move(window)) {
        widget->installEventFilter(this);
        if (wakeFd >= 0) {
            m_notifier = new QSocketNotifier(wakeFd, QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, [this, wakeFd] {
                eventfd_t count = 0;
                eventfd_read(wakeFd, &count);
                m_window->RunQueued();
            });
        }
    }
    ~CQtWindowHook() override {
        delete m_notifier;  // before the window closes the descriptor it watches
        m_window->OnWidgetDestroyed();
    }

    const std::shared_ptr<CQtWindow>& Window() const { return m_window; }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        return m_window->FilterEvent(event);
    }

private:
    std::shared_ptr<CQtWindow> m_window;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace

// A message sent from another thread: the sender waits until the owner thread completes it, or
// until the window dies, which completes it with 0.
struct CQtWindow::CPendingMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::mutex mutex;
    std::condition_variable done;
    bool completed = false;
    LRESULT result = 0;

    void Complete(LRESULT value) {
        std::lock_guard lock(mutex);
        result = value;
        completed = true;
        done.notify_all();
    }
    LRESULT Wait() {
        std::unique_lock lock(mutex);
        done.wait(lock, [this] { return completed; });
        return result;
    }
};

std::shared_ptr<CQtWindow> CQtWindow::FromWidget(QWidget* widget) {
    if (!widget) {
        return nullptr;
    }
    for (QObject* child : widget->children()) {
        if (auto* hook = dynamic_cast<CQtWindowHook*>(child)) {
            return hook->Window();
        }
    }
    std::shared_ptr<CQtWindow> window(new CQtWindow(widget));
    // Other threads wake the owner through a descriptor rather than by posting Qt events, so
    // nothing they hand over passes through the toolkit's own (uninstrumented) locking.
    window->m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    new CQtWindowHook(widget, window, window->m_wakeFd);
    return window;
}

CQtWindow::CQtWindow(QWidget* widget)
    : m_owner(std::this_thread::get_id()),
      m_widget(widget),
      m_width(widget->width()),
      m_height(widget->height()) {}

CQtWindow::~CQtWindow() = default;

bool CQtWindow::IsAlive() const {
    std::lock_guard lock(m_mutex);
    return m_alive;
}

void CQtWindow::RememberSize(int width, int height) {
    std::lock_guard lock(m_mutex);
    m_width = width;
    m_height = height;
}

RECT CQtWindow::ClientRect() const {
    std::lock_guard lock(m_mutex);
    if (!m_alive) {
        return RECT{};
    }
    // Only the owner thread may look at the widget; the others get the size of the last resize.
    if (OnOwnerThread()) {
        return RECT{0, 0, m_widget->width(), m_widget->height()};
    }
    return RECT{0, 0, m_width, m_height};
}

void CQtWindow::Invalidate(BOOL /*erase: every paint of a widget starts with an erase*/) {
    if (!OnOwnerThread()) {
        Enqueue(CQueuedRequest{Request::kUpdate, nullptr});
    } else if (IsAlive()) {
        m_widget->update();
    }
}

void CQtWindow::Redraw(UINT flags) {
    if (!(flags & RDW_UPDATENOW)) {
        if (flags & RDW_INVALIDATE) {
            Invalidate(flags & RDW_ERASE);
        }
    } else if (!OnOwnerThread()) {
        Enqueue(CQueuedRequest{Request::kRepaint, nullptr});
    } else if (IsAlive()) {
        m_widget->repaint();
    }
}

LRESULT CQtWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    if (OnOwnerThread()) {
        return IsAlive() ? Dispatch(message, wParam, lParam) : 0;
    }
    auto pending = std::make_shared<CPendingMessage>();
    pending->message = message;
    pending->wParam = wParam;
    pending->lParam = lParam;
    if (!Enqueue(CQueuedRequest{Request::kMessage, pending})) {
        return 0;
    }
    return pending->Wait();
}

bool CQtWindow::Enqueue(CQueuedRequest request) {
    std::lock_guard lock(m_mutex);
    if (!m_alive || m_wakeFd < 0) {
        return false;
    }
    m_queue.push_back(std::move(request));
    // Under the lock, so the descriptor cannot be closed in between.
    eventfd_write(m_wakeFd, 1);
    return true;
}

void CQtWindow::RunQueued() {
    for (;;) {
        CQueuedRequest request;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty() || !m_alive) {
                return;
            }
            request = std::move(m_queue.front());
            m_queue.pop_front();
        }
        Serve(request);
    }
}

void CQtWindow::Serve(const CQueuedRequest& request) {
    switch (request.kind) {
        case Request::kMessage: {
            const CPendingMessage& m = *request.message;
            request.message->Complete(Dispatch(m.message, m.wParam, m.lParam));
            break;
        }
        case Request::kUpdate:
            m_widget->update();
            break;
        case Request::kRepaint:
            m_widget->repaint();
            break;
    }
}

void CQtWindow::OnWidgetDestroyed() {
    std::deque<CQueuedRequest> abandoned;
    {
        std::lock_guard lock(m_mutex);
        m_alive = false;
        m_widget = nullptr;
        if (m_wakeFd >= 0) {
            close(m_wakeFd);
            m_wakeFd = -1;
        }
        abandoned.swap(m_queue);
    }
    for (const CQueuedRequest& request : abandoned) {
        if (request.message) {
            request.message->Complete(0);
        }
    }
    DetachSubclass();
}

bool CQtWindow::FilterEvent(QEvent* event) {
    if (event->type() == QEvent::Resize) {
        QSize size = static_cast<QResizeEvent*>(event)->size();
        RememberSize(size.width(), size.height());
        Dispatch(WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(static_cast<WORD>(size.width()), static_cast<WORD>(size.height())));
        return false;  // the widget still handles its own resize
    }
    if (event->type() != QEvent::Paint || !IsSubclassed()) {
        return false;
    }
    m_paintEvent = static_cast<QPaintEvent*>(event);
    Dispatch(WM_PAINT, 0, 0);
    m_paintEvent = nullptr;
    m_paintContext.reset();  // a handler that forgot EndPaint
    return true;
}

HDC CQtWindow::BeginPaint(PAINTSTRUCT* paint) {
    if (!OnOwnerThread() || !m_paintEvent || m_paintContext) {
        return nullptr;
    }
    QRect area = m_paintEvent->rect();
    m_paintContext = std::make_unique<CQtContext>(m_widget, area);
    HDC dc = m_paintContext.get();
    BOOL erased = Dispatch(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
    *paint = PAINTSTRUCT{dc, erased ? FALSE : TRUE,
                         RECT{area.left(), area.top(), area.right() + 1, area.bottom() + 1}};
    return dc;
}

void CQtWindow::EndPaint(const PAINTSTRUCT* paint) {
    if (OnOwnerThread() && m_paintContext && paint->hdc == m_paintContext.get()) {
        m_paintContext.reset();
    }
}

void CQtWindow::EraseBackground(HDC dc) {
    if (!OnOwnerThread() || !IsAlive()) {
        return;
    }
    RECT client = ClientRect();
    ::SetBkColor(dc, ToColorref(m_widget->palette().color(m_widget->backgroundRole())));
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
}
