#pragma once
// Reports what the visible bar shows, for runs without a display, and every text each update
// worker shows for its drive, on screen or not. To a program (a pipe or a file) as lines, each
// written whole:
//     text: Success!!
//     pos: 57
//     drive 4: Success!!
// Consecutive positions that wait for a slow reader merge into the last one. To a person (a
// terminal) as one line per text, the visible bar's percentage rewritten in place:
//     100%  Success!!
//     drive 4: Success!!
//
// Never waits for the reader and never ends the program: the lines are written by a CReportWriter
// on its own thread, and a reader that goes away only ends the report.
// Threads: as CProgressListener requires; each call holds a lock only to queue its line.

#include <chrono>
#include <mutex>
#include <string>

#include "app/report_writer.h"
#include "ui/text_progress_ctrl.h"
#include "update/drive_text_listener.h"

class CBarReport : public CProgressListener, public CDriveTextListener {
public:
    enum class Reader { kProgram, kPerson };

    // To standard output, for a person when that is a terminal.
    CBarReport();
    // To `fd` (borrowed, see CReportWriter), in the form `reader` reads.
    CBarReport(int fd, Reader reader);
    // Finishes as Finish does, so that a program ending right after loses no line its reader
    // would have taken.
    ~CBarReport() override;

    void OnTextChanged(const std::u16string& text) override;
    void OnPosChanged(int pos) override;
    void OnDriveText(int drive, const std::u16string& text) override;

    // Waits at most `bound` for what was reported to be written; ends a person's last line.
    // Returns whether everything was written.
    bool Finish(std::chrono::milliseconds bound);

private:
    static constexpr std::chrono::milliseconds kFinishBound{1000};

    // A person's line, after `restart` (a new line, or a return to rewrite the line in place)
    // when a line is open.
    std::string PersonPiece(char restart) const;
    std::string PersonLine() const;

    const Reader m_reader;
    std::mutex m_mutex;       // keeps what is shown and the order of the queued lines together
    std::string m_text;       // the bar's text, for a person's line
    int m_pos = 0;            // the bar's position, for a person's line
    bool m_lineOpen = false;  // a person's line has been started and not yet ended
    CReportWriter m_writer;
};
