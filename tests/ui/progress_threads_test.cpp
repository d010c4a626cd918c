#include <atomic>
#include <thread>

#include "tests/ui/recording_fixture.h"

namespace {

using Labels = std::vector<std::u16string>;

// What an update worker does to the control of its slot during one device's life.
void RunLikeAWorker(CTextProgressCtrl& control) {
    control.SetPos(0);
    control.SetWindowText(u"");
    control.EnableText(TRUE);
    for (int pos = 0; pos <= 100; ++pos) {
        control.SetPos(pos);
    }
    control.SetWindowText(u"Success!!");
    control.SetPos(0);
    control.SetWindowText(u"Wait Connect..");
}

// Percentages painted in a window, in order of painting.
std::vector<int> PaintedPercentages(const CRecordingWindow& window) {
    std::vector<int> values;
    for (const std::u16string& label : window.PaintedLabels()) {
        if (!label.empty() && label.back() == u'%') {
            values.push_back(std::stoi(std::string(label.begin(), label.end() - 1)));
        }
    }
    return values;
}

class ControlsAcrossThreads : public ::testing::Test {
protected:
    void SetUp() override {
        for (int slot = 0; slot < 4; ++slot) {
            windows[slot] = std::make_shared<CRecordingWindow>(100, 14);
            ASSERT_TRUE(g_progress[slot].SubclassWindow(windows[slot]));
        }
    }
    void TearDown() override {
        for (auto& control : g_progress) {
            control.UnsubclassWindow();
        }
    }

    std::shared_ptr<CRecordingWindow> windows[4];
};

// Four workers drive their own controls while another thread keeps painting all four windows,
// as the user-interface thread would.
TEST_F(ControlsAcrossThreads, EachWindowSeesItsWorkersSequenceInOrder) {
    std::atomic<int> running{4};
    std::vector<std::thread> workers;
    for (int slot = 0; slot < 4; ++slot) {
        workers.emplace_back([slot, &running] {
            RunLikeAWorker(g_progress[slot]);
            running.fetch_sub(1);
        });
    }
    std::thread painter([this, &running] {
        while (running.load() > 0) {
            for (auto& window : windows) {
                window->Paint();
            }
        }
    });
    for (auto& worker : workers) {
        worker.join();
    }
    painter.join();

    for (int slot = 0; slot < 4; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(windows[slot]->Texts(), (Labels{u"", u"Success!!", u"Wait Connect.."}));
        std::vector<int> percentages = PaintedPercentages(*windows[slot]);
        EXPECT_TRUE(std::is_sorted(percentages.begin(), percentages.end()));
        ASSERT_FALSE(percentages.empty());
        EXPECT_EQ(percentages.back(), 100);
        EXPECT_EQ(g_progress[slot].GetPos(), 0);
        EXPECT_EQ(g_progress[slot].GetWindowText(), u"Wait Connect..");
    }
}

// The texts a worker's result produces, set by several threads on one control at once: every
// text lands whole, and the one read back is one of them.
TEST_F(ControlsAcrossThreads, ConcurrentTextsOnOneControlLandWhole) {
    const Labels texts{u"Success!!", u"Target Error!!", u"Connection Error!!",
                       u"DB File Open Error!!"};
    std::vector<std::thread> threads;
    for (const auto& text : texts) {
        threads.emplace_back([&text] {
            for (int i = 0; i < 200; ++i) {
                g_progress[0].SetWindowText(text.c_str());
                g_progress[0].SetPos(i % 101);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::u16string last = g_progress[0].GetWindowText();
    EXPECT_NE(std::find(texts.begin(), texts.end(), last), texts.end());
    for (const auto& text : windows[0]->Texts()) {
        EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end());
    }
}

}  // namespace
