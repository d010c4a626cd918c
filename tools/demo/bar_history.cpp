#include "tools/demo/bar_history.h"

#include <algorithm>

CBarHistory::CBarHistory(std::shared_ptr<CProgressListener> next) : m_next(std::move(next)) {}

void CBarHistory::OnTextChanged(const std::u16string& text) {
    if (m_next) {
        m_next->OnTextChanged(text);
    }
    TextHook hook;
    {
        std::lock_guard lock(m_mutex);
        m_texts.push_back(text);
        hook = m_hook;
    }
    // Outside the lock: the hook may paint the bar, which asks for nothing here, but a worker's
    // position change must not wait for a screenshot to be written.
    if (hook) {
        hook(text);
    }
}

void CBarHistory::OnPosChanged(int pos) {
    if (m_next) {
        m_next->OnPosChanged(pos);
    }
    std::lock_guard lock(m_mutex);
    m_lastPos = pos;
}

void CBarHistory::SetTextHook(TextHook hook) {
    std::lock_guard lock(m_mutex);
    m_hook = std::move(hook);
}

std::size_t CBarHistory::Mark() const {
    std::lock_guard lock(m_mutex);
    return m_texts.size();
}

bool CBarHistory::TextSeenSince(std::size_t mark, const std::u16string& text) const {
    std::lock_guard lock(m_mutex);
    if (mark >= m_texts.size()) {
        return false;
    }
    return std::find(m_texts.begin() + static_cast<std::ptrdiff_t>(mark), m_texts.end(), text) !=
           m_texts.end();
}

bool CBarHistory::TextsSeenInOrder(std::size_t mark, const std::u16string& first,
                                   const std::u16string& then) const {
    std::lock_guard lock(m_mutex);
    if (mark >= m_texts.size()) {
        return false;
    }
    auto firstSeen =
        std::find(m_texts.begin() + static_cast<std::ptrdiff_t>(mark), m_texts.end(), first);
    return firstSeen != m_texts.end() &&
           std::find(firstSeen + 1, m_texts.end(), then) != m_texts.end();
}

int CBarHistory::LastPos() const {
    std::lock_guard lock(m_mutex);
    return m_lastPos;
}
