#include "app/bar_report.h"

#include <cstdio>

#include "platform/files/fd_output.h"
#include "platform/files/utf.h"

CBarReport::CBarReport()
    : CBarReport(kStandardOutputFd,
                 IsTerminal(kStandardOutputFd) ? Reader::kPerson : Reader::kProgram) {}

CBarReport::CBarReport(int fd, Reader reader) : m_reader(reader), m_writer(fd) {}

CBarReport::~CBarReport() {
    Finish(kFinishBound);
}

void CBarReport::OnTextChanged(const std::u16string& text) {
    std::lock_guard lock(m_mutex);
    m_text = ToUtf8(text);
    if (m_reader == Reader::kProgram) {
        m_writer.Append(std::string("text: ").append(m_text).append("\n"), false);
        return;
    }
    // Each text gets a line of its own, so a result stays readable above the next one.
    m_writer.Append(PersonPiece('\n'), false);
    m_lineOpen = true;
}

void CBarReport::OnPosChanged(int pos) {
    std::lock_guard lock(m_mutex);
    m_pos = pos;
    if (m_reader == Reader::kProgram) {
        m_writer.Append(std::string("pos: ").append(std::to_string(pos)).append("\n"), true);
        return;
    }
    // The percentage has a fixed width, so the rewritten line covers the one before.
    m_writer.Append(PersonPiece('\r'), true);
    m_lineOpen = true;
}

void CBarReport::OnDriveText(int drive, const std::u16string& text) {
    std::lock_guard lock(m_mutex);
    std::string line = "drive " + std::to_string(drive) + ": " + ToUtf8(text);
    if (m_reader == Reader::kPerson && m_lineOpen) {
        // A line of its own below the visible bar's; the bar's next change starts a new one.
        line.insert(0, 1, '\n');
        m_lineOpen = false;
    }
    m_writer.Append(line + "\n", false);
}

bool CBarReport::Finish(std::chrono::milliseconds bound) {
    {
        std::lock_guard lock(m_mutex);
        if (m_lineOpen) {
            m_writer.Append("\n", false);  // the shell's prompt starts on a line of its own
            m_lineOpen = false;
        }
    }
    return m_writer.Drain(bound);
}

std::string CBarReport::PersonPiece(char restart) const {
    // Built piece by piece: GCC 12 warns falsely (-Wrestrict) on a literal added to a string.
    std::string piece;
    if (m_lineOpen) {
        piece += restart;
    }
    return piece.append(PersonLine());
}

std::string CBarReport::PersonLine() const {
    char percentage[8];
    std::snprintf(percentage, sizeof percentage, "%3d%%", m_pos);
    return m_text.empty() ? std::string(percentage) : std::string(percentage) + "  " + m_text;
}
