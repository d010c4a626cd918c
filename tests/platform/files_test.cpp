#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/files/binary_file.h"
#include "platform/files/executable_path.h"
#include "platform/files/executable_path_override.h"
#include "platform/files/file_find.h"
#include "platform/files/upcase_table.h"
#include "platform/files/utf.h"
#include "tools/kit/temp_dir.h"

namespace {


struct SplitCase {
    std::u16string path;
    std::u16string directory;
};

class DriveAndDirectoryTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(DriveAndDirectoryTest, KeepsEverythingUpToTheLastSeparator) {
    EXPECT_EQ(DriveAndDirectory(GetParam().path), GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DriveAndDirectoryTest,
    ::testing::Values(SplitCase{u"C:\\Tools\\Upd\\up.exe", u"C:\\Tools\\Upd\\"},
                      SplitCase{u"D:\\up.exe", u"D:\\"},
                      SplitCase{u"\\\\server\\share\\dir\\up.exe", u"\\\\server\\share\\dir\\"},
                      SplitCase{u"C:up.exe", u"C:"},
                      SplitCase{u"/usr/local/bin/zelvane", u"/usr/local/bin/"},
                      SplitCase{u"/zelvane", u"/"},
                      SplitCase{u"C:/mixed\\sep/up.exe", u"C:/mixed\\sep/"},
                      SplitCase{u"zelvane", u""}));

// A pretended path holds while its guard lives; guards nest, each giving back the one before.
TEST(ExecutablePath, ComesFromTheSystemUnlessPretended) {
    std::u16string real = GetExecutablePath();
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real[0], u'/');
    EXPECT_NE(real.find(u"platform_files_tests"), std::u16string::npos);
    {
        CScopedExecutablePath pretended(u"/opt/upd/zelvane");
        EXPECT_EQ(GetExecutablePath(), u"/opt/upd/zelvane");
        {
            CScopedExecutablePath inner(u"/srv/other/zelvane");
            EXPECT_EQ(GetExecutablePath(), u"/srv/other/zelvane");
        }
        EXPECT_EQ(GetExecutablePath(), u"/opt/upd/zelvane");
    }
    EXPECT_EQ(GetExecutablePath(), real);
}

struct WildcardCase {
    std::u16string pattern;
    std::u16string name;
    bool matches;
};

class WildcardTest : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(WildcardTest, MatchesLikeTheWindowsDirectorySearch) {
    EXPECT_EQ(MatchesWildcard(GetParam().pattern, GetParam().name), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Names, WildcardTest,
    ::testing::Values(WildcardCase{u"Tarvik_??????_DB.bin", u"Tarvik_123456_DB.bin", true},
                      WildcardCase{u"Tarvik_??????_DB.bin", u"tarvik_123456_db.BIN", true},
                      WildcardCase{u"Tarvik_??????_DB.bin", u"Tarvik_12345_DB.bin", false},
                      WildcardCase{u"Tarvik_??????_DB.bin", u"Tarvik_1234567_DB.bin", false},
                      WildcardCase{u"Tarvik_??????_DB.bin", u"Tarvik_123456_DB.bin.bak", false},
                      WildcardCase{u"Tarvik_??????_DB.bin", u"xTarvik_123456_DB.bin", false},
                      WildcardCase{u"*.bin", u"a.b.bin", true}, WildcardCase{u"*", u".", true},
                      WildcardCase{u"a*b*c", u"aXbYbZc", true},
                      WildcardCase{u"a*b*c", u"aXbYbZ", false}, WildcardCase{u"", u"a", false}));

TEST(NtfsOrder, ComparesWithoutLetterCase) {
    EXPECT_TRUE(NtfsNameLess(u"a", u"B"));
    EXPECT_TRUE(NtfsNameLess(u"Tarvik_000001", u"tarvik_000002"));
    EXPECT_FALSE(NtfsNameLess(u"ABC", u"abc"));
    // "_" sorts after the upper-case letters it is compared with, as on NTFS.
    EXPECT_TRUE(NtfsNameLess(u"aZ", u"a_"));
}

struct UpcaseCase {
    char16_t c;
    char16_t upper;
};

class UpcaseTest : public ::testing::TestWithParam<UpcaseCase> {};

TEST_P(UpcaseTest, FollowsTheSimpleCaseMappingOfThePlane) {
    EXPECT_EQ(UpcaseCodeUnit(GetParam().c), GetParam().upper);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, UpcaseTest,
    ::testing::Values(UpcaseCase{u'a', u'A'}, UpcaseCase{u'z', u'Z'}, UpcaseCase{u'A', u'A'},
                      UpcaseCase{u'_', u'_'}, UpcaseCase{u'\u00E4', u'\u00C4'},  // ä
                      UpcaseCase{u'\u00FF', u'\u0178'},                          // ÿ, far away
                      UpcaseCase{u'\u00DF', u'\u00DF'},  // ß: only a two-letter upper case
                      UpcaseCase{u'\u00F7', u'\u00F7'},  // ÷ between the Latin-1 letters
                      UpcaseCase{u'\u0101', u'\u0100'},  // ā, in a run of pairs
                      UpcaseCase{u'\u0100', u'\u0100'}, UpcaseCase{u'\u0131', u'I'},  // ı
                      UpcaseCase{u'\u03C9', u'\u03A9'},                               // ω
                      UpcaseCase{u'\u03C2', u'\u03A3'},                               // final ς
                      UpcaseCase{u'\u0450', u'\u0400'},                               // ѐ
                      UpcaseCase{u'\u1F80', u'\u1F88'},  // ᾀ: the one-letter mapping only
                      UpcaseCase{u'\uFF41', u'\uFF21'},  // fullwidth a, the last run
                      UpcaseCase{char16_t{0xD800}, char16_t{0xD800}},
                      UpcaseCase{char16_t{0xFFFF}, char16_t{0xFFFF}}));

TEST(NtfsOrder, UpperCasesBeyondAsciiAndMatchesWildcardsTheSameWay) {
    // "ä" counts as "Ä" (U+00C4), before "Ö" (U+00D6), not as U+00E4 after it.
    EXPECT_TRUE(NtfsNameLess(u"Tarvik_00000\u00E4", u"Tarvik_00000\u00D6"));
    EXPECT_FALSE(NtfsNameLess(u"\u00F6", u"\u00D6"));
    EXPECT_FALSE(NtfsNameLess(u"\u00D6", u"\u00F6"));
    EXPECT_TRUE(MatchesWildcard(u"\u00C4*.bin", u"\u00E4rger.BIN"));
    EXPECT_TRUE(MatchesWildcard(u"\u03A9?", u"\u03C9a"));
    EXPECT_FALSE(MatchesWildcard(u"\u00C4*", u"A"));
}

TEST(Utf, RoundTripsAndReplacesWhatIsBroken) {
    std::u16string text = u"Datei_\u00e4\u20ac_\U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(u"\u00e4"), "\xC3\xA4");
    EXPECT_EQ(FromUtf8("a\xFF"
                       "b"),
              u"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xE2\x82"), u"\uFFFD\uFFFD");
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
    EXPECT_EQ(WidenAscii("Tarvik_??????_DB.bin"), u"Tarvik_??????_DB.bin");
}

class BinaryFileTest : public ::testing::Test {
protected:
    CTempDir m_dir;
    CBinaryFile m_file;
};

TEST_F(BinaryFileTest, ReadsRawBytesAndTellsTheLength) {
    std::u16string path = m_dir.Write("image.bin", {1, 2, 3, 0, 0x1A, 0xFF, 10, 13});
    ASSERT_TRUE(m_file.Open(path));
    EXPECT_EQ(m_file.GetLength(), 8u);
    unsigned char buffer[16] = {};
    EXPECT_EQ(m_file.Read(buffer, 5), 5u);
    EXPECT_EQ(m_file.Read(buffer + 5, 16), 3u);
    EXPECT_EQ(m_file.Read(buffer, 16), 0u);
    EXPECT_EQ(buffer[4], 0x1A);
    EXPECT_EQ(buffer[7], 13);
}

TEST_F(BinaryFileTest, RefusesWhatIsNoImageFile) {
    EXPECT_FALSE(m_file.Open(m_dir.PathOf("missing.bin")));
    EXPECT_FALSE(m_file.Open(m_dir.Directory()));
    std::string fifo = (m_dir.Path() / "pipe.bin").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(m_file.Open(m_dir.PathOf("pipe.bin")));
    std::filesystem::create_symlink(m_dir.Path() / "nowhere.bin", m_dir.Path() / "dangling.bin");
    EXPECT_FALSE(m_file.Open(m_dir.PathOf("dangling.bin")));
    EXPECT_FALSE(m_file.Open(u""));
    EXPECT_FALSE(m_file.IsOpen());
    unsigned char buffer[4];
    EXPECT_FALSE(m_file.Read(buffer, 4).has_value());
    EXPECT_FALSE(m_file.GetLength().has_value());
}

TEST_F(BinaryFileTest, APathOfTwoHundredSixtyCharactersDoesNotOpen) {
    std::u16string directory = m_dir.Directory();
    std::string longName(259 - directory.size(), 'a');
    std::u16string fits = m_dir.Write(longName, {1});
    ASSERT_EQ(fits.size(), 259u);
    EXPECT_TRUE(m_file.Open(fits));
    std::u16string tooLong = m_dir.Write(longName + "b", {1});
    ASSERT_EQ(tooLong.size(), 260u);
    EXPECT_FALSE(m_file.Open(tooLong));
}

// Bytes read ahead before the file was cut are no longer the file's: they are never handed out.
TEST_F(BinaryFileTest, ACutFileHandsOutNothingReadAheadBeyondItsNewEnd) {
    std::u16string path = m_dir.Write("image.bin", std::vector<unsigned char>(8192, 0x33));
    ASSERT_TRUE(m_file.Open(path));
    unsigned char buffer[1024];
    ASSERT_EQ(m_file.Read(buffer, 1024), 1024u);  // the whole file is read ahead now
    std::filesystem::resize_file(m_dir.Path() / "image.bin", 1500);
    EXPECT_FALSE(m_file.Read(buffer, 1024).has_value());
    EXPECT_TRUE(m_file.StillBeginsWithWhatWasRead());  // the first 1024 bytes are still there
    std::filesystem::resize_file(m_dir.Path() / "image.bin", 500);
    EXPECT_FALSE(m_file.StillBeginsWithWhatWasRead());
}

TEST_F(BinaryFileTest, TellsWhetherTheFileStillBeginsWithWhatWasRead) {
    std::u16string path = m_dir.Write("image.bin", {1, 2, 3, 4});
    ASSERT_TRUE(m_file.Open(path));
    unsigned char buffer[3];
    ASSERT_EQ(m_file.Read(buffer, 3), 3u);
    EXPECT_TRUE(m_file.StillBeginsWithWhatWasRead());
    m_dir.Write("image.bin", {1, 2, 3, 9, 9, 9});  // the unread byte and more: still one version
    EXPECT_TRUE(m_file.StillBeginsWithWhatWasRead());
    m_dir.Write("image.bin", {1, 7, 3, 9, 9, 9});  // a byte already handed out changed
    EXPECT_FALSE(m_file.StillBeginsWithWhatWasRead());
    m_dir.Write("image.bin", {1, 2, 3, 4});  // written back: the read bytes are the file's again
    EXPECT_TRUE(m_file.StillBeginsWithWhatWasRead());
    m_file.Close();
    EXPECT_FALSE(m_file.StillBeginsWithWhatWasRead());
}

TEST_F(BinaryFileTest, OthersMayWriteWhileItIsOpen) {
    std::u16string path = m_dir.Write("grow.bin", {1, 2});
    ASSERT_TRUE(m_file.Open(path));
    m_dir.Write("grow.bin", {1, 2, 3, 4, 5});
    EXPECT_EQ(m_file.GetLength(), 5u);
}

}  // namespace
