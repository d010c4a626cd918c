#include "tests/ui/recording_fixture.h"

#include <optional>

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

// The whole paint, call by call, for a paint of the whole window and for a repaint of part of
// it. A part gets a bitmap of its own size, the origin moves to its corner and the clip regions
// move with it, so the label still splits at the bar's edge (here at x = 25).
struct PaintAreaCase {
    const char* name;
    std::optional<RECT> area;  // none: the whole window
    const char* bitmapSize;
    const char* origin;
    const char* barClip;
    const char* restClip;
    const char* blit;        // BitBlt's destination and size
    const char* blitSource;  // and the point it copies from
};

class PaintAreaTest : public PaintCallsTest, public ::testing::WithParamInterface<PaintAreaCase> {};

TEST_P(PaintAreaTest, FillsThenTheLabelTwiceThroughTheTwoClipRegionsOffScreen) {
    const PaintAreaCase& c = GetParam();
    if (c.area) {
        window->Paint(*c.area);
    } else {
        window->Paint();
    }
    EXPECT_EQ(LastPaintCalls(),
              (Calls{
                  "paint.CreateCompatibleDC() = mem1",
                  std::string("paint.CreateCompatibleBitmap(") + c.bitmapSize + ") = bitmap2",
                  "mem1.SelectObject(bitmap2) = mem1.stock",
                  std::string("mem1.SetWindowOrgEx(") + c.origin + ")",
                  "mem1.SetBkColor(0x008000)",
                  "mem1.ExtTextOutW(0, 0, ETO_OPAQUE, {0,0,25,14}, \"\")",
                  "mem1.SetBkColor(0xffffff)",
                  "mem1.ExtTextOutW(0, 0, ETO_OPAQUE, {25,0,50,14}, \"\")",
                  "mem1.SetBkMode(TRANSPARENT)",
                  std::string("mem1.SelectClipRgn(") + c.barClip + ")",
                  "mem1.SetTextColor(0xfefefe)",
                  "mem1.DrawTextW(\"50%\", {0,0,50,14}, 0x25)",
                  std::string("mem1.SelectClipRgn(") + c.restClip + ")",
                  "mem1.SetTextColor(0x008100)",
                  "mem1.DrawTextW(\"50%\", {0,0,50,14}, 0x25)",
                  std::string("paint.BitBlt(") + c.blit + ", mem1, " + c.blitSource + ", SRCCOPY)",
                  "mem1.SelectObject(mem1.stock) = bitmap2",
                  "DeleteObject(bitmap2)",
                  "DeleteDC(mem1)",
              }));
}

INSTANTIATE_TEST_SUITE_P(
    Areas, PaintAreaTest,
    ::testing::Values(PaintAreaCase{"WholeWindow", std::nullopt, "50, 14", "0, 0", "{0,0,25,14}",
                                    "{25,0,50,14}", "0, 0, 50, 14", "0, 0"},
                      PaintAreaCase{"PartialRepaintShiftsOriginAndClipRegionsTogether",
                                    RECT{20, 2, 40, 10}, "20, 8", "20, 2", "{-20,-2,5,12}",
                                    "{5,-2,30,12}", "20, 2, 20, 8", "20, 2"}),
    [](const auto& info) { return std::string(info.param.name); });

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
