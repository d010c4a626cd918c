#include "recording_fixture.h"

namespace {

using Calls = std::vector<std::string>;

class PaintCallsTest : public RecordedProgress {
protected:
    void SetUp() override {
        Bind(50);
        // The monitor's colours, with distinct values for the four roles.
        control.SetBarColor(RGB(0, 0x80, 0));
        control.SetBackColor(RGB(0xFF, 0xFF, 0xFF));
        control.SetBarTextColor(RGB(0xFE, 0xFE, 0xFE));
        control.SetBackTextColor(RGB(0, 0x81, 0));
        control.SetPos(50);
    }
};

TEST_F(PaintCallsTest, FillsThenTheLabelTwiceThroughTheTwoClipRegionsOffScreen) {
    window->Paint();
    EXPECT_EQ(LastPaintCalls(), (Calls{
                                    "paint.CreateCompatibleDC() = mem1",
                                    "paint.CreateCompatibleBitmap(50, 14) = bitmap2",
                                    "mem1.SelectObject(bitmap2) = mem1.stock",
                                    "mem1.SetWindowOrgEx(0, 0)",
                                    "mem1.SetBkColor(0x008000)",
                                    "mem1.ExtTextOutW(0, 0, ETO_OPAQUE, {0,0,25,14}, \"\")",
                                    "mem1.SetBkColor(0xffffff)",
                                    "mem1.ExtTextOutW(0, 0, ETO_OPAQUE, {25,0,50,14}, \"\")",
                                    "mem1.SetBkMode(TRANSPARENT)",
                                    "mem1.SelectClipRgn({0,0,25,14})",
                                    "mem1.SetTextColor(0xfefefe)",
                                    "mem1.DrawTextW(\"50%\", {0,0,50,14}, 0x25)",
                                    "mem1.SelectClipRgn({25,0,50,14})",
                                    "mem1.SetTextColor(0x008100)",
                                    "mem1.DrawTextW(\"50%\", {0,0,50,14}, 0x25)",
                                    "paint.BitBlt(0, 0, 50, 14, mem1, 0, 0, SRCCOPY)",
                                    "mem1.SelectObject(mem1.stock) = bitmap2",
                                    "DeleteObject(bitmap2)",
                                    "DeleteDC(mem1)",
                                }));
}

// A repaint of part of the window: the bitmap covers only that part, the origin moves to its
// corner, and the clip regions follow, so the label still splits at the bar's edge.
TEST_F(PaintCallsTest, PartialRepaintShiftsOriginAndClipRegionsTogether) {
    window->Paint(RECT{20, 2, 40, 10});
    EXPECT_EQ(LastPaintCalls(), (Calls{
                                    "paint.CreateCompatibleDC() = mem1",
                                    "paint.CreateCompatibleBitmap(20, 8) = bitmap2",
                                    "mem1.SelectObject(bitmap2) = mem1.stock",
                                    "mem1.SetWindowOrgEx(20, 2)",
                                    "mem1.SetBkColor(0x008000)",
                                    "mem1.ExtTextOutW(0, 0, ETO_OPAQUE, {0,0,25,14}, \"\")",
                                    "mem1.SetBkColor(0xffffff)",
                                    "mem1.ExtTextOutW(0, 0, ETO_OPAQUE, {25,0,50,14}, \"\")",
                                    "mem1.SetBkMode(TRANSPARENT)",
                                    "mem1.SelectClipRgn({-20,-2,5,12})",
                                    "mem1.SetTextColor(0xfefefe)",
                                    "mem1.DrawTextW(\"50%\", {0,0,50,14}, 0x25)",
                                    "mem1.SelectClipRgn({5,-2,30,12})",
                                    "mem1.SetTextColor(0x008100)",
                                    "mem1.DrawTextW(\"50%\", {0,0,50,14}, 0x25)",
                                    "paint.BitBlt(20, 2, 20, 8, mem1, 20, 2, SRCCOPY)",
                                    "mem1.SelectObject(mem1.stock) = bitmap2",
                                    "DeleteObject(bitmap2)",
                                    "DeleteDC(mem1)",
                                }));
}

struct EdgeCase {
    int pos;
    const char* bar;
    const char* rest;
};

class PaintEdgesTest : public PaintCallsTest, public ::testing::WithParamInterface<EdgeCase> {};

// At the ends of the range one fill and one clip region are empty; outside it they are held
// at the window's edges.
TEST_P(PaintEdgesTest, FillsAndRegionsAtTheEnds) {
    control.SetPos(GetParam().pos);
    window->Paint();
    Calls calls = LastPaintCalls();
    ASSERT_EQ(calls.size(), 19u);
    EXPECT_EQ(calls[5],
              std::string("mem1.ExtTextOutW(0, 0, ETO_OPAQUE, ") + GetParam().bar + ", \"\")");
    EXPECT_EQ(calls[7],
              std::string("mem1.ExtTextOutW(0, 0, ETO_OPAQUE, ") + GetParam().rest + ", \"\")");
    EXPECT_EQ(calls[9], std::string("mem1.SelectClipRgn(") + GetParam().bar + ")");
    EXPECT_EQ(calls[12], std::string("mem1.SelectClipRgn(") + GetParam().rest + ")");
}

INSTANTIATE_TEST_SUITE_P(Positions, PaintEdgesTest,
                         ::testing::Values(EdgeCase{0, "{0,0,0,14}", "{0,0,50,14}"},
                                           EdgeCase{100, "{0,0,50,14}", "{50,0,50,14}"},
                                           EdgeCase{-10, "{0,0,0,14}", "{0,0,50,14}"},
                                           EdgeCase{150, "{0,0,50,14}", "{50,0,50,14}"}));

TEST_F(PaintCallsTest, TheWindowTextIsTheLabelAmpersandsAndAll) {
    control.SetWindowText(u"R&&D &done");
    window->Paint();
    Calls calls = LastPaintCalls();
    EXPECT_EQ(calls[11], "mem1.DrawTextW(\"R&&D &done\", {0,0,50,14}, 0x25)");
}

TEST_F(PaintCallsTest, EraseBackgroundErasesNothing) {
    window->Paint();
    Calls calls = LastPaintCalls();
    EXPECT_EQ(calls.front(), "paint.CreateCompatibleDC() = mem1");
    EXPECT_EQ(control.SendMessage(WM_ERASEBKGND, 0, 0), TRUE);
}

// A control made during static initialisation, before any application object, takes the
// system's classic highlight colour for its bar and the text over the rest.
TEST(StaticControl, UsesTheClassicHighlightColorBeforeAnyApplicationExists) {
    auto window = std::make_shared<CRecordingWindow>(10, 14);
    ASSERT_TRUE(g_progress[2].SubclassWindow(window));
    g_progress[2].SetPos(50);
    g_progress[2].UnsubclassWindow();
    auto calls = window->Events().back().calls;
    EXPECT_EQ(calls[4], "mem1.SetBkColor(0xd77800)");
    EXPECT_EQ(calls[6], "mem1.SetBkColor(0xffffff)");
    EXPECT_EQ(calls[10], "mem1.SetTextColor(0xffffff)");
    EXPECT_EQ(calls[13], "mem1.SetTextColor(0xd77800)");
}

}  // namespace
