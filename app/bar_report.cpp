#include "app/bar_report.h"

#include "platform/files/utf.h"

void CBarReport::OnTextChanged(const std::u16string& text) {
    std::lock_guard lock(m_mutex);
    std::fprintf(m_out, "text: %s\n", ToUtf8(text).c_str());
    std::fflush(m_out);
}

void CBarReport::OnPosChanged(int pos) {
    std::lock_guard lock(m_mutex);
    std::fprintf(m_out, "pos: %d\n", pos);
    std::fflush(m_out);
}
