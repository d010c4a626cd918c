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
        m_writer.Append("text: " + m_text + "\n", false);
        return;
    }
    // Each text gets a line of its own, so a result stays readable above the next one.
    m_writer.Append((m_lineOpen ? "\n" : "") + PersonLine(), false);
    m_lineOpen = true;
}

void CBarReport::OnPosChanged(int pos) {
    std::lock_guard lock(m_mutex);
    m_pos = pos;
    if (m_reader == Reader::kProgram) {
        m_writer.Append("pos: " + std::to_string(pos) + "\n", true);
        return;
    }
    // The percentage has a fixed width, so the rewritten line covers the one before.
    m_writer.Append((m_lineOpen ? "\r" : "") + PersonLine(), true);
    m_lineOpen = true;
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

std::string CBarReport::PersonLine() const {
    char percentage[8];
    std::snprintf(percentage, sizeof percentage, "%3d%%", m_pos);
    return m_text.empty() ? std::string(percentage) : std::string(percentage) + "  " + m_text;
}
