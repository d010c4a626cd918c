#pragma once
// Reports what the visible bar shows as lines on standard output, for runs without a display:
//     text: Success!!
//     pos: 57
// Each line is flushed at once, so a reader sees it while the program runs.

#include <cstdio>
#include <mutex>

#include "ui/text_progress_ctrl.h"

class CBarReport : public CProgressListener {
public:
    explicit CBarReport(std::FILE* out = stdout) : m_out(out) {}
    void OnTextChanged(const std::u16string& text) override;
    void OnPosChanged(int pos) override;

private:
    std::mutex m_mutex;
    std::FILE* m_out;
};
