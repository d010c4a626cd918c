#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/qt/qt_window.h"
#include "ui/text_progress_ctrl.h"

namespace {

using namespace std::chrono_literals;

// Lets the GUI thread dispatch events until `done` holds; false when that takes longer than a
// bound no healthy run comes near.
bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::yield();
    }
    return true;
}

class CPaintCounter : public QObject {
public:
    int Count() const { return m_count; }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        m_count += event->type() == QEvent::Paint;
        return false;
    }

private:
    int m_count = 0;  // GUI thread only
};

// A window object that notes which thread handled each WM_SETTEXT.
class CThreadNotingWnd : public CWnd {
public:
    std::vector<std::thread::id> TextThreads() const {
        std::lock_guard lock(m_mutex);
        return m_threads;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SETTEXT) {
            std::lock_guard lock(m_mutex);
            m_threads.push_back(std::this_thread::get_id());
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::thread::id> m_threads;
};

class QtWindowTest : public ::testing::Test {
protected:
    void ShowAndWaitForExposure() {
        widget.resize(200, 20);
        widget.show();
        ASSERT_TRUE(PumpUntil(
            [this] { return widget.windowHandle() && widget.windowHandle()->isExposed(); }));
    }

    QWidget widget;
};

TEST_F(QtWindowTest, OneWidgetHasOneWindow) {
    EXPECT_EQ(CQtWindow::FromWidget(&widget), CQtWindow::FromWidget(&widget));
    QWidget other;
    EXPECT_NE(CQtWindow::FromWidget(&widget), CQtWindow::FromWidget(&other));
}

TEST_F(QtWindowTest, TextSentFromAnotherThreadIsHandledOnTheOwnerThreadWhileTheSenderWaits) {
    CThreadNotingWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(CQtWindow::FromWidget(&widget)));
    std::u16string readBack;
    std::atomic<bool> finished{false};
    std::thread sender([&] {
        wnd.SetWindowText(u"from a worker");
        readBack = wnd.GetWindowText();
        finished = true;
    });
    bool pumped = PumpUntil([&] { return finished.load(); });
    sender.join();
    ASSERT_TRUE(pumped);
    EXPECT_EQ(readBack, u"from a worker");
    EXPECT_EQ(wnd.TextThreads(), std::vector<std::thread::id>{std::this_thread::get_id()});
}

TEST_F(QtWindowTest, TheOwnerThreadSettingTheTextIsServedDirectly) {
    CTextProgressCtrl control;
    ASSERT_TRUE(control.SubclassWindow(CQtWindow::FromWidget(&widget)));
    control.SetWindowText(u"Wait Connect..");  // would never return if it waited for itself
    EXPECT_EQ(control.GetWindowText(), u"Wait Connect..");
}

TEST_F(QtWindowTest, SeveralThreadsSetPositionsAndTextsWhileTheOwnerPaints) {
    ShowAndWaitForExposure();
    CTextProgressCtrl control;
    ASSERT_TRUE(control.SubclassWindow(CQtWindow::FromWidget(&widget)));
    CPaintCounter paints;
    widget.installEventFilter(&paints);

    const std::vector<std::u16string> texts{u"", u"Success!!", u"Target Error!!", u"main"};
    std::atomic<int> running{3};
    std::vector<std::thread> workers;
    for (int w = 0; w < 3; ++w) {
        workers.emplace_back([&, w] {
            for (int pos = 0; pos <= 100; ++pos) {
                control.SetPos(pos);
                control.EnableText(pos % 7 != 0);
                control.SetWindowText(texts[w].c_str());
            }
            running.fetch_sub(1);
        });
    }
    bool pumped = PumpUntil([&] {
        control.SetWindowText(u"main");  // the owner thread has its say too
        return running.load() == 0;
    });
    for (auto& worker : workers) {
        worker.join();
    }
    ASSERT_TRUE(pumped);
    ASSERT_TRUE(PumpUntil([] { return true; }));
    EXPECT_GT(paints.Count(), 0);
    EXPECT_NE(std::find(texts.begin(), texts.end(), control.GetWindowText()), texts.end());
}

TEST_F(QtWindowTest, SetPosRepaintsAtOnceOnTheOwnerThreadAndAgainAfterAResize) {
    ShowAndWaitForExposure();
    CTextProgressCtrl control;
    ASSERT_TRUE(control.SubclassWindow(CQtWindow::FromWidget(&widget)));
    CPaintCounter paints;
    widget.installEventFilter(&paints);

    control.SetPos(50);
    EXPECT_EQ(paints.Count(), 1);
    control.SetPos(50);
    EXPECT_EQ(paints.Count(), 1);

    widget.resize(300, 20);
    int afterResize = paints.Count();
    control.SetPos(50);
    EXPECT_EQ(paints.Count(), afterResize + 1);
}

TEST(QtWindowLifetime, DestroyingTheWidgetReleasesSendersAndUnbindsTheControl) {
    auto* widget = new QWidget;
    CTextProgressCtrl control;
    ASSERT_TRUE(control.SubclassWindow(CQtWindow::FromWidget(widget)));
    auto sender = std::async(std::launch::async, [&control] {
        control.SetWindowText(u"too late");
        return control.SetPos(10);
    });
    delete widget;  // without dispatching: a waiting sender must be let go
    ASSERT_EQ(sender.wait_for(60s), std::future_status::ready);
    sender.get();
    EXPECT_FALSE(control.IsWindow());
    EXPECT_EQ(control.GetNativeWindow(), nullptr);
    EXPECT_EQ(control.SetPos(20), -1);
    EXPECT_EQ(control.GetWindowText(), u"");
}

}  // namespace
