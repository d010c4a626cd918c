#include <gtest/gtest.h>

#include <memory>

#include "tests/doubles/recording_context.h"
#include "ui/mem_dc.h"

namespace {

using Calls = std::vector<std::string>;

class MemDCTest : public ::testing::Test {
protected:
    // The target: a paint context whose update area is `area`.
    void OpenTarget(RECT area, BOOL printing) {
        target.Attach(new CRecordingContext(log, "target", area));
        target.m_bPrinting = printing;
    }

    std::shared_ptr<CDrawingLog> log = std::make_shared<CDrawingLog>();
    CDC target;
};

TEST_F(MemDCTest, OffScreenCoversTheClipBoxAndCopiesBackOnDestruction) {
    OpenTarget(RECT{10, 5, 30, 15}, FALSE);
    {
        CMemDC dc(&target);
        EXPECT_FALSE(dc.IsPrinting());
        RECT box;
        EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
        EXPECT_EQ((std::vector<LONG>{box.left, box.top, box.right, box.bottom}),
                  (std::vector<LONG>{10, 5, 30, 15}));
        RECT fill{0, 0, 40, 20};
        dc.FillSolidRect(&fill, RGB(1, 2, 3));
    }
    EXPECT_EQ(log->Calls(), (Calls{
                                "target.CreateCompatibleDC() = mem1",
                                "target.CreateCompatibleBitmap(20, 10) = bitmap2",
                                "mem1.SelectObject(bitmap2) = mem1.stock",
                                "mem1.SetWindowOrgEx(10, 5)",
                                "mem1.SetBkColor(0x030201)",
                                "mem1.ExtTextOutW(0, 0, ETO_OPAQUE, {0,0,40,20}, \"\")",
                                "target.BitBlt(10, 5, 20, 10, mem1, 10, 5, SRCCOPY)",
                                "mem1.SelectObject(mem1.stock) = bitmap2",
                                "DeleteObject(bitmap2)",
                                "DeleteDC(mem1)",
                            }));
}

TEST_F(MemDCTest, AnEmptyClipBoxGivesAnEmptyBitmapAndAnEmptyCopy) {
    OpenTarget(RECT{0, 0, 0, 0}, FALSE);
    { CMemDC dc(&target); }
    Calls calls = log->Calls();
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_EQ(calls[1], "target.CreateCompatibleBitmap(0, 0) = bitmap2");
    EXPECT_EQ(calls[4], "target.BitBlt(0, 0, 0, 0, mem1, 0, 0, SRCCOPY)");
}

TEST_F(MemDCTest, PassThroughDrawsStraightIntoAPrintTargetAndLeavesItOpen) {
    OpenTarget(RECT{0, 0, 100, 50}, TRUE);
    {
        CMemDC dc(&target);
        EXPECT_TRUE(dc.IsPrinting());
        EXPECT_EQ(dc.GetSafeHdc(), target.GetSafeHdc());
        RECT fill{0, 0, 40, 20};
        dc.FillSolidRect(&fill, RGB(1, 2, 3));
    }
    target.SetTextColor(RGB(4, 5, 6));  // the target's context is still there
    EXPECT_EQ(log->Calls(), (Calls{
                                "target.SetBkColor(0x030201)",
                                "target.ExtTextOutW(0, 0, ETO_OPAQUE, {0,0,40,20}, \"\")",
                                "target.SetTextColor(0x060504)",
                            }));
}

}  // namespace
