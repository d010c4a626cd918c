#pragma once
// A text progress control bound to a recording window, for tests that need no toolkit.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/doubles/recording_window.h"
#include "ui/text_progress_ctrl.h"

inline std::u16string Percent(int value) {
    std::string digits = std::to_string(value) + "%";
    return std::u16string(digits.begin(), digits.end());
}

// Ends a test here, as skipped with the reason, where the paint surface draws with the system
// and records no drawing calls (Windows): what the test checked up to here did run.
#define SKIP_WITHOUT_CALL_LOG()                                                            \
    do {                                                                                   \
        if (!CPaintSurface::RecordsCalls()) {                                              \
            GTEST_SKIP() << "the drawing calls: the paint surface here draws with the system " \
                            "and records none";                                            \
        }                                                                                  \
    } while (false)

class RecordedProgress : public ::testing::Test {
protected:
    void Bind(int width, int height = 14) {
        window = std::make_shared<CRecordingWindow>(width, height);
        ASSERT_TRUE(control.SubclassWindow(window));
    }

    // The RedrawWindow calls and invalidations since the last ClearEvents.
    int Repaints() const { return window->RepaintRequests(); }

    // The drawing calls of the last paint.
    std::vector<std::string> LastPaintCalls() const {
        std::vector<std::string> calls;
        for (const auto& event : window->Events()) {
            if (event.kind == CRecordingWindow::EventKind::kPaint) {
                calls = event.calls;
            }
        }
        return calls;
    }

    CTextProgressCtrl control;
    std::shared_ptr<CRecordingWindow> window;
};
