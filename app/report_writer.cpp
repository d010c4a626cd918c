#include "app/report_writer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/files/fd_output.h"

struct CReportWriter::CState {
    struct CPiece {
        std::string bytes;
        bool replaceable;
    };

    explicit CState(int fd, std::size_t backlog) : fd(fd), backlog(backlog) {}

    const int fd;
    const std::size_t backlog;
    std::mutex mutex;
    std::condition_variable changed;  // a piece queued, a write done, the report ended or closed
    std::deque<CPiece> queue;
    bool writing = false;  // a write is in progress outside the lock
    bool ended = false;
    bool closed = false;
};

CReportWriter::CReportWriter(int fd, std::size_t backlog)
    : m_state(std::make_shared<CState>(fd, backlog)) {
    IgnoreBrokenPipes();
    // Detached: a reader that never reads would hold a join for good. The thread keeps the state
    // alive for as long as it runs.
    std::thread([state = m_state] { WriteUntilClosed(state); }).detach();
}

CReportWriter::~CReportWriter() {
    std::lock_guard lock(m_state->mutex);
    m_state->closed = true;
    m_state->changed.notify_all();
}

void CReportWriter::Append(std::string piece, bool replaceable) {
    CState& state = *m_state;
    std::lock_guard lock(state.mutex);
    if (state.ended) {
        return;
    }
    if (replaceable && !state.queue.empty() && state.queue.back().replaceable) {
        state.queue.back().bytes = std::move(piece);
        return;
    }
    if (state.queue.size() >= state.backlog) {
        // Losing a piece in the middle would make the report lie; ending it keeps what was
        // written true.
        state.ended = true;
        state.queue.clear();
    } else {
        state.queue.push_back({std::move(piece), replaceable});
    }
    state.changed.notify_all();
}

bool CReportWriter::Drain(std::chrono::milliseconds bound) {
    CState& state = *m_state;
    std::unique_lock lock(state.mutex);
    return state.changed.wait_for(lock, bound, [&] {
        return state.ended || (state.queue.empty() && !state.writing);
    }) && !state.ended;
}

bool CReportWriter::Ended() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->ended;
}

void CReportWriter::WriteUntilClosed(const std::shared_ptr<CState>& shared) {
    CState& state = *shared;
    std::unique_lock lock(state.mutex);
    while (true) {
        state.changed.wait(lock,
                           [&] { return state.ended || state.closed || !state.queue.empty(); });
        if (state.ended || state.queue.empty()) {
            return;  // ended, or closed with nothing left to write
        }
        // Everything queued goes out in one write: a slow reader gets fewer, larger writes.
        std::string bytes;
        for (const CState::CPiece& piece : state.queue) {
            bytes += piece.bytes;
        }
        state.queue.clear();
        state.writing = true;
        lock.unlock();
        bool written = WriteAllBytes(state.fd, bytes.data(), bytes.size());
        lock.lock();
        state.writing = false;
        if (!written) {
            state.ended = true;
            state.queue.clear();
        }
        state.changed.notify_all();
    }
}
