// The off-screen context on the system's own GDI: drawing lands in a bitmap of the target's clip
// box and reaches the target in one copy when the context ends. Needs no window.

#include <gtest/gtest.h>

#include "ui/mem_dc.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGreen = RGB(0, 0x80, 0);

// A 40 x 10 pixel memory context, black, standing in for a window's paint context.
class Win32MemDcTest : public ::testing::Test {
protected:
    void SetUp() override {
        HDC screen = ::GetDC(nullptr);
        m_hdc = ::CreateCompatibleDC(screen);
        m_bitmap = ::CreateCompatibleBitmap(screen, 40, 10);
        ::ReleaseDC(nullptr, screen);
        ASSERT_NE(m_hdc, nullptr);
        ASSERT_NE(m_bitmap, nullptr);
        m_saved = ::SelectObject(m_hdc, m_bitmap);
        RECT all{0, 0, 40, 10};
        ::FillRect(m_hdc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        m_target.Attach(m_hdc);
    }
    void TearDown() override {
        m_target.Detach();
        ::SelectObject(m_hdc, m_saved);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_hdc);
    }

    HDC m_hdc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_saved = nullptr;
    CDC m_target;
};

TEST_F(Win32MemDcTest, ThePictureReachesTheTargetOnlyWhenTheContextEnds) {
    RECT all{0, 0, 40, 10};
    {
        CMemDC dc(&m_target);
        dc.FillSolidRect(&all, kGreen);
        EXPECT_EQ(::GetPixel(m_hdc, 20, 5), kBlack) << "drawn straight into the target";
    }
    EXPECT_EQ(::GetPixel(m_hdc, 0, 0), kGreen);
    EXPECT_EQ(::GetPixel(m_hdc, 39, 9), kGreen);
}

TEST_F(Win32MemDcTest, OnlyTheClipBoxIsCopied) {
    HRGN clip = ::CreateRectRgn(10, 2, 30, 8);
    ::SelectClipRgn(m_hdc, clip);
    ::DeleteObject(clip);
    RECT all{0, 0, 40, 10};
    {
        CMemDC dc(&m_target);
        dc.FillSolidRect(&all, kGreen);
    }
    ::SelectClipRgn(m_hdc, nullptr);
    EXPECT_EQ(::GetPixel(m_hdc, 10, 2), kGreen);
    EXPECT_EQ(::GetPixel(m_hdc, 29, 7), kGreen);
    EXPECT_EQ(::GetPixel(m_hdc, 9, 5), kBlack);
    EXPECT_EQ(::GetPixel(m_hdc, 30, 5), kBlack);
    EXPECT_EQ(::GetPixel(m_hdc, 20, 1), kBlack);
}

TEST_F(Win32MemDcTest, APrintingTargetIsDrawnStraightInto) {
    m_target.m_bPrinting = TRUE;
    RECT all{0, 0, 40, 10};
    {
        CMemDC dc(&m_target);
        dc.FillSolidRect(&all, kGreen);
        EXPECT_EQ(::GetPixel(m_hdc, 20, 5), kGreen);
    }
    // The borrowed context survives the off-screen context.
    EXPECT_EQ(::GetPixel(m_hdc, 20, 5), kGreen);
    m_target.m_bPrinting = FALSE;
}

}  // namespace
