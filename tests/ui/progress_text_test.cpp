#include <algorithm>

#include "tests/ui/recording_fixture.h"

namespace {

using Labels = std::vector<std::u16string>;

class EnableTextTest : public RecordedProgress {
protected:
    void SetUp() override {
        Bind(50);
        control.SetPos(50);
        window->ClearEvents();
    }
};

TEST_F(EnableTextTest, SwitchingOnWhenOnRepaintsNothing) {
    control.EnableText(TRUE);
    EXPECT_EQ(Repaints(), 0);
}

TEST_F(EnableTextTest, SwitchingOffInvalidatesAndLeavesOnlyTheTwoFills) {
    control.EnableText(FALSE);
    EXPECT_EQ(Repaints(), 1);
    ASSERT_TRUE(window->UpdateWindow());
    EXPECT_EQ(window->PaintedLabels(), std::vector<std::u16string>{u""});
    SKIP_WITHOUT_CALL_LOG();
    auto calls = LastPaintCalls();
    EXPECT_EQ(std::count_if(
                  calls.begin(), calls.end(),
                  [](const std::string& c) { return c.find("DrawTextW") != std::string::npos; }),
              0);
    EXPECT_EQ(std::count_if(
                  calls.begin(), calls.end(),
                  [](const std::string& c) { return c.find("ExtTextOutW") != std::string::npos; }),
              2);
}

TEST_F(EnableTextTest, AnyNonZeroValueMeansOnButIsComparedAsAnInteger) {
    control.EnableText(7);
    EXPECT_EQ(Repaints(), 1);
    window->UpdateWindow();
    EXPECT_EQ(window->PaintedLabels(), Labels{u"50%"});
}

TEST_F(EnableTextTest, WithoutAWindowTheSwitchIsStoredForLater) {
    CTextProgressCtrl unbound;
    unbound.EnableText(FALSE);
    auto later = std::make_shared<CRecordingWindow>(50, 14);
    ASSERT_TRUE(unbound.SubclassWindow(later));
    later->Paint();
    EXPECT_EQ(later->PaintedLabels(), Labels{u""});
}

class SetTextTest : public RecordedProgress {
protected:
    void SetUp() override {
        Bind(50);
        control.SetPos(10);
        control.SetWindowText(u"Wait Connect..");
        window->ClearEvents();
    }
};

TEST_F(SetTextTest, TheSameTextAgainRepaintsNothing) {
    control.SetWindowText(u"Wait Connect..");
    EXPECT_EQ(Repaints(), 0);
    EXPECT_EQ(window->Texts(), Labels{u"Wait Connect.."});
}

TEST_F(SetTextTest, ANewTextInvalidatesAndBecomesTheLabel) {
    control.SetWindowText(u"Success!!");
    EXPECT_EQ(Repaints(), 1);
    window->UpdateWindow();
    EXPECT_EQ(window->PaintedLabels(), Labels{u"Success!!"});
    EXPECT_EQ(control.GetWindowText(), u"Success!!");
}

TEST_F(SetTextTest, TheEmptyTextSwitchesTheLabelToThePercentage) {
    control.SetWindowText(u"");
    EXPECT_EQ(Repaints(), 1);
    window->UpdateWindow();
    EXPECT_EQ(window->PaintedLabels(), Labels{u"10%"});

    control.SetWindowText(u"");  // empty when already empty
    EXPECT_EQ(Repaints(), 1);
}

TEST_F(SetTextTest, ANullTextIsTheEmptyText) {
    EXPECT_EQ(control.SendMessage(WM_SETTEXT, 0, 0), TRUE);
    EXPECT_EQ(Repaints(), 1);
    EXPECT_EQ(control.GetWindowText(), u"");
    control.SendMessage(WM_SETTEXT, 0, 0);
    EXPECT_EQ(Repaints(), 1);
}

TEST_F(SetTextTest, ALongTextReadsBackWhole) {
    std::u16string text(300, u'x');
    control.SetWindowText(text.c_str());
    EXPECT_EQ(control.GetWindowText(), text);
}

TEST(SetTextWithoutWindow, ChangesNothingAndRaisesNoError) {
    g_progress[1].SetWindowText(u"Success!!");
    EXPECT_EQ(g_progress[1].GetWindowText(), u"");
    EXPECT_EQ(g_progress[1].SendMessage(WM_GETTEXTLENGTH), 0);
}

struct GetTextCase {
    WPARAM capacity;
    LRESULT copied;
    std::u16string buffer;  // the whole buffer afterwards, terminators included
};

class GetTextTest : public RecordedProgress, public ::testing::WithParamInterface<GetTextCase> {};

// The text "Success!!" has 9 characters; the buffer starts filled with '#'.
TEST_P(GetTextTest, CopiesWhatFitsAlwaysTerminated) {
    Bind(50);
    control.SetWindowText(u"Success!!");
    const GetTextCase& c = GetParam();
    std::u16string buffer(std::max<WPARAM>(c.capacity, 1), u'#');
    EXPECT_EQ(control.SendMessage(WM_GETTEXT, c.capacity, reinterpret_cast<LPARAM>(buffer.data())),
              c.copied);
    EXPECT_EQ(buffer, c.buffer);
}

INSTANTIATE_TEST_SUITE_P(
    Capacities, GetTextTest,
    ::testing::Values(GetTextCase{0, 0, u"#"}, GetTextCase{1, 0, std::u16string(1, u'\0')},
                      GetTextCase{9, 8, std::u16string(u"Success!") + u'\0'},
                      GetTextCase{10, 9, std::u16string(u"Success!!") + u'\0'},
                      GetTextCase{13, 9, std::u16string(u"Success!!") + std::u16string(4, u'\0')}));

TEST_F(RecordedProgress, GetTextIntoANullBufferCopiesNothing) {
    Bind(50);
    control.SetWindowText(u"Success!!");
    EXPECT_EQ(control.SendMessage(WM_GETTEXT, 16, 0), 0);
}

}  // namespace
