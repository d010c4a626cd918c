// The headless report of the visible bar: never waits for its reader, never ends the program, and
// writes what it writes whole and in order.

#include "app/bar_report.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/report_writer.h"
#include "tests/e2e/test_pipe.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TEST(BarReport, WritesTextAndPositionLinesForAProgram) {
    CTestPipe pipe;
    CBarReport report(pipe.Writer(), CBarReport::Reader::kProgram);
    report.OnTextChanged(u"Wait Connect..");
    report.OnTextChanged(u"");
    report.OnPosChanged(57);
    report.OnTextChanged(u"\u00C4nderung!!");
    report.OnDriveText(12, u"Verify Error!!");
    ASSERT_TRUE(report.Finish(30s));
    EXPECT_EQ(pipe.ReadAvailable(),
              "text: Wait Connect..\ntext: \npos: 57\ntext: \xC3\x84nderung!!\n"
              "drive 12: Verify Error!!\n");
}

TEST(BarReport, ShowsAPersonOneLinePerTextWithItsPercentageRewritten) {
    CTestPipe pipe;
    CBarReport report(pipe.Writer(), CBarReport::Reader::kPerson);
    report.OnTextChanged(u"Wait Connect..");
    report.OnTextChanged(u"");
    report.OnPosChanged(7);
    report.OnPosChanged(100);
    report.OnTextChanged(u"Success!!");
    report.OnDriveText(4, u"Success!!");  // a line of its own below the bar's
    ASSERT_TRUE(report.Finish(30s));      // ends the last line
    std::string written = pipe.ReadAvailable();
    // The two positions may have merged while the writer was busy.
    const std::string first = "  0%  Wait Connect..\n  0%";
    const std::string last = "\r100%\n100%  Success!!\ndrive 4: Success!!\n";
    EXPECT_TRUE(written == first + "\r  7%" + last || written == first + last) << written;
}

// The reader has stopped: the reporting threads go on at once; the positions that waited merge
// into the last one, and every text comes out, in order, once the reader reads again.
TEST(BarReport, NeverWaitsForAStoppedReaderAndLosesNoTextMeanwhile) {
    CTestPipe pipe;
    std::size_t filled = pipe.Fill();
    CBarReport report(pipe.Writer(), CBarReport::Reader::kProgram);
    for (int round = 0; round < 3; ++round) {
        report.OnTextChanged(u"round " + std::u16string(1, static_cast<char16_t>(u'0' + round)));
        for (int pos = 0; pos <= 100; ++pos) {
            report.OnPosChanged(pos);
        }
    }
    EXPECT_FALSE(report.Finish(1ms));  // still held up by the full pipe
    pipe.Skip(filled);
    ASSERT_TRUE(report.Finish(30s));
    std::string written = pipe.ReadAvailable();
    // Every text, in order, each followed by its positions rising to 100; how many positions
    // merged depends on when the writer took them, so only their order is fixed.
    std::vector<std::string> lines = SplitLines(written);
    std::vector<std::string> texts;
    int lastPos = -1;
    for (const std::string& line : lines) {
        if (line.rfind("text: ", 0) == 0) {
            EXPECT_TRUE(texts.empty() || lastPos == 100) << "a round's last position is missing";
            texts.push_back(line);
            lastPos = -1;
        } else {
            ASSERT_EQ(line.rfind("pos: ", 0), 0u) << line;
            int pos = std::stoi(line.substr(5));
            EXPECT_GT(pos, lastPos) << "positions out of order";
            lastPos = pos;
        }
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"text: round 0", "text: round 1", "text: round 2"}));
    EXPECT_EQ(lastPos, 100);
    EXPECT_LT(lines.size(), 3u + 3u * 101u) << "no position waited and merged";
}

// The reader has gone: the report ends, the program goes on.
TEST(BarReport, AReaderThatGoesAwayEndsOnlyTheReport) {
    CTestPipe pipe;
    pipe.CloseReader();
    CBarReport report(pipe.Writer(), CBarReport::Reader::kProgram);
    report.OnTextChanged(u"Success!!");
    report.OnPosChanged(100);
    EXPECT_FALSE(report.Finish(30s));
    report.OnTextChanged(u"Wait Connect..");  // taken and dropped
    EXPECT_FALSE(report.Finish(30s));
}

// More waiting pieces than the backlog holds: the report ends rather than lose one in the middle;
// what was written is the report's beginning.
TEST(ReportWriter, ABacklogOverflowEndsTheReportWithABeginningWritten) {
    CTestPipe pipe;
    std::size_t filled = pipe.Fill();
    CReportWriter writer(pipe.Writer(), 4);
    for (int piece = 0; piece < 20; ++piece) {
        writer.Append(std::to_string(piece) + ";", false);
    }
    EXPECT_TRUE(writer.Ended());
    pipe.Skip(filled);
    pipe.CloseReader();  // lets a write held up by the full pipe fail rather than wait
    EXPECT_FALSE(writer.Drain(30s));
}

TEST(ReportWriter, MergesOnlyReplaceablePiecesThatFollowEachOther) {
    CTestPipe pipe;
    std::size_t filled = pipe.Fill();
    CReportWriter writer(pipe.Writer());
    writer.Append("a", false);
    ASSERT_FALSE(writer.Drain(1ms));
    writer.Append("1", true);
    writer.Append("2", true);
    writer.Append("b", false);
    writer.Append("3", true);
    writer.Append("c", false);
    writer.Append("4", true);
    writer.Append("5", true);
    pipe.Skip(filled);
    ASSERT_TRUE(writer.Drain(30s));
    std::string written = pipe.ReadAvailable();
    EXPECT_EQ(written, "a2b3c5");
}

}  // namespace
