// The portable part of the file services, the same in every build: splitting a path, wildcard
// matching, the NTFS name order, the case mapping it rests on, and the UTF conversions.
#include <gtest/gtest.h>

#include "platform/files/executable_path.h"
#include "platform/files/file_find.h"
#include "platform/files/upcase_table.h"
#include "platform/files/utf.h"

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

}  // namespace
