#include <gtest/gtest.h>

#include <mutex>

#include "tests/ui/recording_fixture.h"

namespace {

class CCollectingListener : public CProgressListener {
public:
    void OnTextChanged(const std::u16string& text) override {
        std::lock_guard lock(m_mutex);
        events.push_back(u"text:" + text);
    }
    void OnPosChanged(int pos) override {
        std::lock_guard lock(m_mutex);
        events.push_back(u"pos:" + Percent(pos));
    }
    std::vector<std::u16string> events;

private:
    std::mutex m_mutex;
};

using ProgressListenerTest = RecordedProgress;

TEST_F(ProgressListenerTest, HearsEveryChangeOfTextAndPositionOnce) {
    auto listener = std::make_shared<CCollectingListener>();
    control.SetListener(listener);
    control.SetPos(5);  // no window yet: nothing stored, nothing told
    Bind(100);
    control.SetWindowText(u"Wait Connect..");
    control.SetWindowText(u"Wait Connect..");
    control.SetPos(0);
    control.SetPos(40);
    control.SetPos(40);
    control.SetWindowText(u"");
    control.SetListener(nullptr);
    control.SetPos(41);
    EXPECT_EQ(listener->events,
              (std::vector<std::u16string>{u"text:Wait Connect..", u"pos:40%", u"text:"}));
}

}  // namespace
