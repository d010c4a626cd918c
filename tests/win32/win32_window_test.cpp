// The progress bar on the real window system: a msctls_progress32 control taken over by
// CTextProgressCtrl, text sent to it from another thread, and what it paints read back pixel by
// pixel. Needs a display (under Wine: an X server).

#include <gtest/gtest.h>

// <commctrl.h> needs <windows.h> before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win32/win32_window.h"
#include "platform/window/application.h"
#include "ui/text_progress_ctrl.h"

namespace {

constexpr COLORREF kGreen = RGB(0, 0x80, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr auto kBound = std::chrono::seconds(20);

// Dispatches this thread's messages until `done` or the bound passes; false on time-out.
template <typename Condition>
bool PumpUntil(Condition done) {
    auto deadline = std::chrono::steady_clock::now() + kBound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return true;
}

void PumpPending() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageW(&message);
    }
}

// Remembers the threads that told it of a text.
class CThreadRecorder : public CProgressListener {
public:
    void OnTextChanged(const std::u16string& /*text*/) override {
        std::lock_guard lock(m_mutex);
        m_threads.push_back(std::this_thread::get_id());
    }
    void OnPosChanged(int /*pos*/) override {}
    std::vector<std::thread::id> Threads() const {
        std::lock_guard lock(m_mutex);
        return m_threads;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::thread::id> m_threads;
};

// A top-level window with one bordered progress bar (control 1001) of `width` x `height`
// pixels, the bar taken over by a CTextProgressCtrl.
class Win32BarTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 202;
    static constexpr int kHeight = 32;

    void SetUp() override {
        PrepareToolkit(0, {});
        m_frame =
            ::CreateWindowExW(0, L"STATIC", L"bar test", WS_POPUP | WS_VISIBLE, 10, 10, kWidth + 20,
                              kHeight + 20, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_frame, nullptr);
        m_bar = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10,
                                  10, kWidth, kHeight, m_frame,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(1001)),
                                  ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_bar, nullptr);
        ASSERT_TRUE(m_control.SubclassWindow(CWin32Window::FromHandle(m_bar)));
        m_control.SetBarColor(kGreen);
        m_control.SetBackColor(kWhite);
        m_control.SetBarTextColor(kWhite);
        m_control.SetBackTextColor(kGreen);
        PumpPending();
    }

    void TearDown() override {
        if (m_frame != nullptr) {
            ::DestroyWindow(m_frame);
        }
        PumpPending();
    }

    // Sets the text from a thread of its own while this thread dispatches messages.
    void SetTextFromWorker(const char16_t* text) {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            m_control.SetWindowText(text);
            done = true;
        });
        bool served = PumpUntil([&] { return done.load(); });
        worker.join();
        ASSERT_TRUE(served) << "the text never reached the window";
    }

    // The bar's client area as painted on the screen, copied into a memory context.
    struct CCapture {
        HDC dc;
        HBITMAP bitmap;
        HGDIOBJ saved;
        RECT client;
        COLORREF At(int x, int y) const { return ::GetPixel(dc, x, y); }
        ~CCapture() {
            ::SelectObject(dc, saved);
            ::DeleteObject(bitmap);
            ::DeleteDC(dc);
        }
    };
    std::unique_ptr<CCapture> Capture() {
        ::RedrawWindow(m_bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        PumpPending();
        auto capture = std::make_unique<CCapture>();
        ::GetClientRect(m_bar, &capture->client);
        HDC screen = ::GetDC(m_bar);
        capture->dc = ::CreateCompatibleDC(screen);
        capture->bitmap =
            ::CreateCompatibleBitmap(screen, capture->client.right, capture->client.bottom);
        capture->saved = ::SelectObject(capture->dc, capture->bitmap);
        ::BitBlt(capture->dc, 0, 0, capture->client.right, capture->client.bottom, screen, 0, 0,
                 SRCCOPY);
        ::ReleaseDC(m_bar, screen);
        return capture;
    }

    HWND m_frame = nullptr;
    HWND m_bar = nullptr;
    CTextProgressCtrl m_control;
};

TEST_F(Win32BarTest, TextFromAWorkerIsHandledOnTheWindowsThread) {
    auto recorder = std::make_shared<CThreadRecorder>();
    m_control.SetListener(recorder);
    SetTextFromWorker(u"Wait Connect..");
    m_control.SetListener(nullptr);

    ASSERT_EQ(recorder->Threads().size(), 1u);
    EXPECT_EQ(recorder->Threads()[0], std::this_thread::get_id());
    EXPECT_EQ(m_control.GetWindowText(), u"Wait Connect..");
    // What the system's own text query of the window sees: the control answers WM_GETTEXT.
    wchar_t buffer[32] = {};
    EXPECT_EQ(::GetWindowTextW(m_bar, buffer, 32), 14);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer)), u"Wait Connect..");
}

TEST_F(Win32BarTest, SetPosPaintsTheTwoColoursSplitAtTheBarsEdge) {
    SetTextFromWorker(u"Wait Connect..");
    ASSERT_EQ(m_control.SetPos(50), 0);
    auto capture = Capture();
    const int width = capture->client.right;
    const int edge = width / 2;  // position 50 of 0..100
    // Rows above the centred label show the fills alone.
    for (int y : {0, 1, static_cast<int>(capture->client.bottom) - 1}) {
        EXPECT_EQ(capture->At(0, y), kGreen) << y;
        EXPECT_EQ(capture->At(edge - 1, y), kGreen) << y;
        EXPECT_EQ(capture->At(edge, y), kWhite) << y;
        EXPECT_EQ(capture->At(width - 1, y), kWhite) << y;
    }
}

TEST_F(Win32BarTest, TheLabelChangesColourAtTheEdge) {
    SetTextFromWorker(u"Wait Connect..");
    m_control.SetPos(50);
    auto capture = Capture();
    const int width = capture->client.right;
    const int edge = width / 2;
    // The label straddles the edge: light strokes on the green part, dark strokes on the white
    // part. Every pixel is green, white or (where the font is smoothed, as under Wine) a blend
    // of the two; nothing else is drawn.
    int lightOnGreen = 0;
    int darkOnWhite = 0;
    for (int y = 0; y < capture->client.bottom; ++y) {
        for (int x = 0; x < width; ++x) {
            COLORREF pixel = capture->At(x, y);
            BYTE red = GetRValue(pixel);
            ASSERT_TRUE(red == GetBValue(pixel) && GetGValue(pixel) >= 0x80 &&
                        GetGValue(pixel) >= red)
                << x << "," << y << std::hex << " " << pixel;
            if (x < edge) {
                lightOnGreen += red >= 0x80;
            } else {
                darkOnWhite += red < 0x80;
            }
        }
    }
    EXPECT_GT(lightOnGreen, 10);
    EXPECT_GT(darkOnWhite, 10);
}

TEST_F(Win32BarTest, AnEmptyTextShowsThePercentageInTheBackTextColour) {
    SetTextFromWorker(u"");
    m_control.SetPos(0);
    auto capture = Capture();
    int green = 0;
    for (int y = 0; y < capture->client.bottom; ++y) {
        for (int x = 0; x < capture->client.right; ++x) {
            green += capture->At(x, y) == kGreen;
        }
    }
    EXPECT_GT(green, 5) << "\"0%\" drawn in green on white";
}

TEST_F(Win32BarTest, DestroyingTheWindowUnbindsTheControl) {
    ASSERT_TRUE(m_control.IsWindow());
    ::DestroyWindow(m_frame);
    m_frame = nullptr;
    EXPECT_FALSE(m_control.IsWindow());
    EXPECT_EQ(m_control.GetNativeWindow(), nullptr);
    EXPECT_EQ(m_control.SetPos(30), -1);
    m_control.SetWindowText(u"gone");  // no window: no effect and no error
    EXPECT_EQ(m_control.GetWindowText(), u"");
}

TEST(Win32WindowTest, OneObjectPerWindowAndNoneForAStaleHandle) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    auto first = CWin32Window::FromHandle(window);
    EXPECT_EQ(first, CWin32Window::FromHandle(window));
    ::DestroyWindow(window);
    EXPECT_FALSE(first->IsAlive());
    EXPECT_EQ(first->Send(WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_EQ(CWin32Window::FromHandle(window), nullptr);
}

}  // namespace
