#pragma once
// Writes a report to a file descriptor on a thread of its own, so that the threads that report
// (a worker in the middle of a transfer, the user-interface thread) never wait for the reader.
//
// The report is a sequence of pieces. A replaceable piece (a position) is dropped when another
// replaceable piece is queued right behind it before the first was written; every other piece is
// written, in order. When a write fails (the reader has gone) or more than `backlog` pieces wait
// (the reader has stopped reading), the report ends: nothing more is written, so what a reader got
// is always a beginning of the report. Starting a writer makes the process ignore SIGPIPE.
//
// Threads: Append, Drain and Ended from any thread; they hold a lock only to queue or look.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

class CReportWriter {
public:
    static constexpr std::size_t kDefaultBacklog = 4096;

    // `fd` is borrowed: never closed here, and it must stay open while the writer lives (after
    // it, the writing thread may still write what was queued, until a write fails).
    explicit CReportWriter(int fd, std::size_t backlog = kDefaultBacklog);
    // Takes no more pieces; the writing thread writes what is queued and then ends on its own.
    // Never waits for the reader.
    ~CReportWriter();
    CReportWriter(const CReportWriter&) = delete;
    CReportWriter& operator=(const CReportWriter&) = delete;

    void Append(std::string piece, bool replaceable);
    // Waits until everything queued so far is written, the report has ended, or `bound` has
    // passed. Returns whether everything was written.
    bool Drain(std::chrono::milliseconds bound);
    // Whether the report has ended (a write failed or the backlog overflowed).
    bool Ended() const;

private:
    struct CState;
    static void WriteUntilClosed(const std::shared_ptr<CState>& state);

    // Shared with the writing thread, which may outlive this object.
    std::shared_ptr<CState> m_state;
};
