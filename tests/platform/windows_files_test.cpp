// The Win32 file backends, run under Wine here and on Windows alike: the executable's path, the
// system's directory search and its order, reading with change detection, the report's output
// and the pause.
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files/binary_file.h"
#include "platform/files/executable_path.h"
#include "platform/files/executable_path_override.h"
#include "platform/files/fd_output.h"
#include "platform/files/file_find.h"
#include "platform/sleep.h"
#include "tools/kit/temp_dir.h"

namespace {

std::u16string U16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

// Cuts or extends `name` in `dir` to `length` bytes, as another program may while it is read.
bool Resize(const CTempDir& dir, const std::string& name, std::uintmax_t length) {
    std::error_code error;
    std::filesystem::resize_file(dir.Path() / name, length, error);
    return !error;
}

// What the system's own search yields for `pattern`, in its order.
std::vector<std::u16string> SystemSearch(const std::wstring& pattern) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW data;
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.push_back(U16(data.cFileName));
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
    return names;
}

// What CFileFind yields for `pattern`, visited the way the image lookup visits it.
std::vector<std::u16string> FinderSearch(const std::u16string& pattern) {
    std::vector<std::u16string> paths;
    CFileFind finder;
    if (!finder.FindFile(pattern)) {
        return paths;
    }
    bool more;
    do {
        more = finder.FindNextFile();
        paths.push_back(finder.GetFilePath());
    } while (more);
    return paths;
}

TEST(WindowsExecutablePath, IsTheRunningProgramWithItsDriveAndFolder) {
    std::u16string path = GetExecutablePath();
    ASSERT_GT(path.size(), 3u);
    EXPECT_EQ(path[1], u':') << "a full path with its drive";
    EXPECT_EQ(path.substr(path.size() - 25), u"\\platform_files_tests.exe");
    std::u16string directory = DriveAndDirectory(path);
    EXPECT_EQ(directory.back(), u'\\');
    EXPECT_EQ(directory + u"platform_files_tests.exe", path);
    {
        CScopedExecutablePath pretended(u"C:\\Tools\\Upd\\up.exe");
        EXPECT_EQ(DriveAndDirectory(GetExecutablePath()), u"C:\\Tools\\Upd\\");
    }
    EXPECT_EQ(GetExecutablePath(), path);
}

class WindowsFileFindTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.Ready()); }
    std::u16string Pattern(const std::string& namePattern) const {
        return m_dir.PathOf(namePattern);
    }
    CTempDir m_dir;
};

// The system's order is the behaviour on Windows: nothing re-sorts it. Names are made in an
// order that no sort by name gives, and the finder must yield exactly what the system yields.
TEST_F(WindowsFileFindTest, YieldsTheEntriesInTheSystemsOrder) {
    for (const char* name : {"Tarvik_000002_DB.bin", "Tarvik_000003_DB.bin", "Tarvik_000001_DB.bin",
                             "tarvik_000000_db.BIN"}) {
        ASSERT_TRUE(m_dir.WriteFile(name, {1}));
    }
    std::vector<std::u16string> expected;
    for (const std::u16string& name : SystemSearch(Wide(m_dir.PathOf("Tarvik_??????_DB.bin")))) {
        expected.push_back(U16(m_dir.Path().wstring()) + u"\\" + name);
    }
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_EQ(FinderSearch(Pattern("Tarvik_??????_DB.bin")), expected);
}

TEST_F(WindowsFileFindTest, MatchesWithTheSystemsWildcardsAndTellsDirectories) {
    ASSERT_TRUE(m_dir.WriteFile("Tarvik_12345_DB.bin", {1}));
    ASSERT_TRUE(m_dir.WriteFile("Tarvik_1234567_DB.bin", {1}));
    EXPECT_TRUE(FinderSearch(Pattern("Tarvik_??????_DB.bin")).empty());
    ASSERT_TRUE(::CreateDirectoryW(Wide(m_dir.PathOf("Tarvik_123456_DB.bin")).c_str(), nullptr));
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(Pattern("Tarvik_??????_DB.bin")));
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_TRUE(finder.IsDirectory());
    EXPECT_EQ(finder.GetFilePath(), Pattern("Tarvik_123456_DB.bin"));
}

TEST_F(WindowsFileFindTest, MakesARelativePatternAbsolute) {
    ASSERT_TRUE(m_dir.WriteFile("image.bin", {1}));
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(m_dir.Path().wstring().c_str()));
    std::vector<std::u16string> found = FinderSearch(u"image.bin");
    ::SetCurrentDirectoryW(previous);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], Pattern("image.bin"));
}

TEST_F(WindowsFileFindTest, FindsNothingWhereThereIsNothingToFind) {
    CFileFind finder;
    EXPECT_FALSE(finder.FindFile(Pattern("nothing_here_*.bin")));
    EXPECT_FALSE(finder.FindFile(Pattern("missing\\Tarvik_??????_DB.bin")));
    EXPECT_FALSE(finder.FindFile(u""));
    std::u16string tooLong = Pattern("*");
    tooLong.insert(tooLong.size() - 1, kMaxPathChars - tooLong.size(), u'?');
    ASSERT_EQ(tooLong.size(), kMaxPathChars);
    ASSERT_TRUE(m_dir.WriteFile("x", {1}));
    EXPECT_FALSE(finder.FindFile(tooLong));
    EXPECT_EQ(finder.GetFilePath(), u"");
}

class WindowsBinaryFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.Ready()); }
    std::u16string PathOf(const std::string& name) const { return m_dir.PathOf(name); }
    CTempDir m_dir;
    CBinaryFile m_file;
};

TEST_F(WindowsBinaryFileTest, ReadsRawBytesAndTellsTheLength) {
    // 0x1A and CR LF would be changed by a text-mode read.
    ASSERT_TRUE(m_dir.WriteFile("image.bin", {1, 2, 3, 0, 0x1A, 0xFF, 13, 10}));
    ASSERT_TRUE(m_file.Open(PathOf("image.bin")));
    EXPECT_EQ(m_file.GetLength(), 8u);
    unsigned char buffer[16] = {};
    EXPECT_EQ(m_file.Read(buffer, 5), 5u);
    EXPECT_EQ(m_file.Read(buffer + 5, 16), 3u);
    EXPECT_EQ(m_file.Read(buffer, 16), 0u);
    EXPECT_EQ(buffer[4], 0x1A);
    EXPECT_EQ(buffer[6], 13);
    EXPECT_EQ(buffer[7], 10);
}

TEST_F(WindowsBinaryFileTest, RefusesWhatIsNoImageFile) {
    EXPECT_FALSE(m_file.Open(PathOf("missing.bin")));
    EXPECT_FALSE(m_file.Open(U16(m_dir.Path().wstring())));
    EXPECT_FALSE(m_file.Open(u""));
    std::string longName(259 - m_dir.PathOf("").size(), 'a');
    ASSERT_TRUE(m_dir.WriteFile(longName, {1}));
    ASSERT_EQ(m_dir.PathOf(longName).size(), 259u);
    EXPECT_TRUE(m_file.Open(m_dir.PathOf(longName)));
    ASSERT_TRUE(m_dir.WriteFile(longName + "b", {1}));
    EXPECT_FALSE(m_file.Open(m_dir.PathOf(longName + "b")));
    EXPECT_FALSE(m_file.IsOpen());
    unsigned char buffer[4];
    EXPECT_FALSE(m_file.Read(buffer, 4).has_value());
}

// Another program may write the image while it is read; the reader sees the new length at once.
TEST_F(WindowsBinaryFileTest, OthersMayWriteWhileItIsOpen) {
    ASSERT_TRUE(m_dir.WriteFile("grow.bin", {1, 2}));
    ASSERT_TRUE(m_file.Open(PathOf("grow.bin")));
    ASSERT_TRUE(m_dir.WriteFile("grow.bin", {1, 2, 3, 4, 5}));
    EXPECT_EQ(m_file.GetLength(), 5u);
}

TEST_F(WindowsBinaryFileTest, ACutFileIsNoLongerWhatWasRead) {
    ASSERT_TRUE(m_dir.WriteFile("image.bin", std::vector<unsigned char>(8192, 0x33)));
    ASSERT_TRUE(m_file.Open(PathOf("image.bin")));
    unsigned char buffer[1024];
    ASSERT_EQ(m_file.Read(buffer, 1024), 1024u);  // the whole file is read ahead now
    ASSERT_TRUE(Resize(m_dir, "image.bin", 1024));
    EXPECT_TRUE(m_file.IsExactlyWhatWasRead());
    ASSERT_TRUE(Resize(m_dir, "image.bin", 500));
    EXPECT_EQ(m_file.GetLength(), 500u);
    EXPECT_FALSE(m_file.IsExactlyWhatWasRead());
}

// A rewrite of the same length changes only the bytes and the write time, and the write time
// may lag while the writer keeps the file open: the bytes are what is compared.
TEST_F(WindowsBinaryFileTest, TellsWhetherTheFileIsExactlyWhatWasRead) {
    ASSERT_TRUE(m_dir.WriteFile("image.bin", {1, 2, 3, 4}));
    ASSERT_TRUE(m_file.Open(PathOf("image.bin")));
    unsigned char buffer[4];
    ASSERT_EQ(m_file.Read(buffer, 3), 3u);
    EXPECT_FALSE(m_file.IsExactlyWhatWasRead());
    ASSERT_EQ(m_file.Read(buffer + 3, 1), 1u);
    EXPECT_TRUE(m_file.IsExactlyWhatWasRead());
    ASSERT_TRUE(m_dir.WriteFile("image.bin", {1, 2, 3, 4, 9, 9}));
    EXPECT_FALSE(m_file.IsExactlyWhatWasRead());
    ASSERT_TRUE(m_dir.WriteFile("image.bin", {1, 7, 3, 4}));
    EXPECT_FALSE(m_file.IsExactlyWhatWasRead());
    ASSERT_TRUE(m_dir.WriteFile("image.bin", {1, 2, 3, 4}));
    EXPECT_TRUE(m_file.IsExactlyWhatWasRead());
    m_file.Close();
    EXPECT_FALSE(m_file.IsExactlyWhatWasRead());
}

// The headless report's output: a pipe is no terminal, everything written arrives, and a pipe
// whose reader has gone makes the write fail instead of ending the program.
TEST(WindowsFdOutput, WritesThroughAPipeAndFailsWhenItsReaderIsGone) {
    IgnoreBrokenPipes();
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16));
    int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(writeEnd), 0);
    ASSERT_GE(fd, 3);
    EXPECT_FALSE(IsTerminal(fd));
    const char text[] = "Wait Connect..\n";
    EXPECT_TRUE(WriteAllBytes(fd, text, sizeof text - 1));
    char got[sizeof text] = {};
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(readEnd, got, sizeof got, &read, nullptr));
    EXPECT_EQ(std::string(got, read), text);
    ::CloseHandle(readEnd);
    EXPECT_FALSE(WriteAllBytes(fd, text, sizeof text - 1));
    ::_close(fd);
}

TEST(WindowsSleep, PausesAtLeastTheTimeAsked) {
    auto start = std::chrono::steady_clock::now();
    SleepFor(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));
}

}  // namespace
