#pragma once
// Binds one of the four global progress bars to a recording window for its lifetime, and keeps
// the position the bar held at each repaint that SetPos asked for: with a bar 1000
// pixels wide, every new percentage repaints, so the list is the sequence of percentages shown.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/doubles/recording_window.h"
#include "ui/text_progress_ctrl.h"

class CBarRecorder {
public:
    explicit CBarRecorder(int slot, int width = 1000)
        : m_slot(slot), m_window(std::make_shared<CPositionWindow>(g_progress[slot], width)) {
        g_progress[slot].SubclassWindow(m_window);
        // A resize makes the bar forget the width it drew for an earlier window.
        m_window->SetClientSize(width, 14);
    }
    ~CBarRecorder() { g_progress[m_slot].UnsubclassWindow(); }
    CBarRecorder(const CBarRecorder&) = delete;
    CBarRecorder& operator=(const CBarRecorder&) = delete;

    std::vector<int> Positions() const { return m_window->Positions(); }
    int RepaintCount() const { return static_cast<int>(Positions().size()); }
    // Every text the bar was sent, in order.
    std::vector<std::u16string> Texts() const { return m_window->Texts(); }
    std::u16string Text() const { return g_progress[m_slot].GetWindowText(); }
    int Pos() const { return g_progress[m_slot].GetPos(); }

private:
    class CPositionWindow : public CRecordingWindow {
    public:
        CPositionWindow(const CTextProgressCtrl& bar, int width)
            : CRecordingWindow(width, 14), m_bar(bar) {}
        void Redraw(UINT flags) override {
            {
                std::lock_guard lock(m_mutex);
                m_positions.push_back(m_bar.GetPos());
            }
            CRecordingWindow::Redraw(flags);
        }
        std::vector<int> Positions() const {
            std::lock_guard lock(m_mutex);
            return m_positions;
        }

    private:
        const CTextProgressCtrl& m_bar;
        mutable std::mutex m_mutex;
        std::vector<int> m_positions;
    };

    int m_slot;
    std::shared_ptr<CPositionWindow> m_window;
};
