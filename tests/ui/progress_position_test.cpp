#include <algorithm>
#include <climits>

#include "tests/ui/recording_fixture.h"

namespace {

using Kind = CRecordingWindow::EventKind;
using Labels = std::vector<std::u16string>;

class SetPosTest : public RecordedProgress {};

TEST_F(SetPosTest, RepaintsOnlyWhenTheFilledWidthChangesByAPixel) {
    Bind(50);
    control.SetPos(2);  // 1 pixel, the first width since construction
    window->ClearEvents();

    EXPECT_EQ(control.SetPos(3), 2);  // still 1 pixel
    EXPECT_EQ(Repaints(), 0);
    EXPECT_EQ(control.GetPos(), 3);

    EXPECT_EQ(control.SetPos(4), 3);  // 2 pixels
    EXPECT_EQ(Repaints(), 1);
    EXPECT_EQ(window->PaintedLabels(), Labels{u"4%"});
}

TEST_F(SetPosTest, RedrawsTheWholeWindowAtOnceWithErase) {
    Bind(50);
    control.SetPos(10);
    auto events = window->Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, Kind::kRedraw);
    EXPECT_EQ(events[0].flags, 0x0105u);
    EXPECT_EQ(events[1].kind, Kind::kPaint);
    EXPECT_EQ(events[1].text, u"10%");
}

TEST_F(SetPosTest, FirstSetPosAfterConstructionOrResizeRepaintsEvenAtTheSamePosition) {
    Bind(50);
    EXPECT_EQ(control.SetPos(0), 0);
    EXPECT_EQ(Repaints(), 1);
    control.SetPos(0);
    EXPECT_EQ(Repaints(), 1);

    window->SetClientSize(80, 14);
    control.SetPos(0);
    EXPECT_EQ(Repaints(), 2);
    control.SetPos(0);
    EXPECT_EQ(Repaints(), 2);
}

TEST_F(SetPosTest, WithoutAWindowReturnsMinusOneAndStoresNothing) {
    EXPECT_EQ(control.SetPos(40), -1);
    EXPECT_EQ(control.GetPos(), 0);
    EXPECT_EQ(g_progress[3].SetPos(40), -1);
    EXPECT_EQ(g_progress[3].GetPos(), 0);
}

TEST_F(SetPosTest, AfterUnbindingTheControlBehavesAsOneWithoutAWindow) {
    Bind(50);
    control.SetPos(30);
    EXPECT_EQ(control.UnsubclassWindow(), window);
    window->ClearEvents();

    EXPECT_FALSE(control.IsWindow());
    EXPECT_EQ(control.SetPos(60), -1);
    EXPECT_EQ(control.GetPos(), 30);
    control.SetWindowText(u"Success!!");
    EXPECT_EQ(control.GetWindowText(), u"");
    EXPECT_TRUE(window->Events().empty());
}

TEST_F(SetPosTest, AfterTheWindowIsDestroyedTheControlLetsGoOfIt) {
    Bind(50);
    window->Destroy();
    EXPECT_FALSE(control.IsWindow());
    EXPECT_EQ(control.GetNativeWindow(), nullptr);
    EXPECT_EQ(control.SetPos(60), -1);
}

// Every position of the range shows its own value, except three whose quotient falls just below
// the whole number in double precision and is truncated.
TEST_F(SetPosTest, PercentageOfEveryPositionOfTheRange) {
    Bind(1000);  // wide enough that every position changes the width
    Labels expected;
    for (int pos = 0; pos <= 100; ++pos) {
        control.SetPos(pos);
        int shown = pos == 29 ? 28 : pos == 57 ? 56 : pos == 58 ? 57 : pos;
        expected.push_back(Percent(shown));
    }
    EXPECT_EQ(window->PaintedLabels(), expected);
}

TEST_F(SetPosTest, PositionsFarOutsideTheRangeStayInsideTheWindow) {
    Bind(1000);
    control.SetPos(INT_MAX);
    control.SetPos(INT_MIN);
    control.SetPos(-10);
    control.SetPos(150);
    EXPECT_EQ(window->PaintedLabels(), (Labels{u"2147483647%", u"-2147483648%", u"-10%", u"150%"}));
    SKIP_WITHOUT_CALL_LOG();
    auto calls = LastPaintCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(),
                        "mem1.ExtTextOutW(0, 0, ETO_OPAQUE, {0,0,1000,14}, \"\")"),
              calls.end());
}

struct FullRun {
    int clientWidth;
    int repaints;
};

class FullRunTest : public RecordedProgress, public ::testing::WithParamInterface<FullRun> {};

// A transfer sets every percentage from 0 to 100 on a fresh control: one repaint per distinct
// filled width. 457 pixels is the dialog's bar: 306 dialog units at a base unit of 6 pixels
// (306 * 6 / 4 = 459) less its one-pixel border on each side. At exactly 100 pixels positions 29
// and 57 fill no more than 28 and 56 do (the quotient falls just below), so two repaints drop.
TEST_P(FullRunTest, RepaintsOncePerDistinctFilledWidth) {
    Bind(GetParam().clientWidth);
    for (int pos = 0; pos <= 100; ++pos) {
        control.SetPos(pos);
    }
    EXPECT_EQ(Repaints(), GetParam().repaints);
    EXPECT_EQ(window->PaintCount(), GetParam().repaints);
}

INSTANTIATE_TEST_SUITE_P(BarWidths, FullRunTest,
                         ::testing::Values(FullRun{457, 101}, FullRun{100, 99}, FullRun{50, 51},
                                           FullRun{10, 11}, FullRun{0, 1}));

}  // namespace
