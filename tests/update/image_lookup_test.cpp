#include "update/image_lookup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files/executable_path.h"
#include "platform/files/executable_path_override.h"
#include "platform/files/system_files.h"
#include "platform/files/utf.h"
#include "tests/support/unopenable_file.h"
#include "tools/kit/temp_dir.h"

namespace {

class ImageLookupTest : public ::testing::Test {
protected:
    std::u16string Find() const {
        return FindLastMatchingFile(m_dir.Directory() + WidenAscii(kImageFilePattern));
    }
    void Touch(const std::string& name) const { m_dir.Write(name, {0x42}); }

    CTempDir m_dir;
};

TEST_F(ImageLookupTest, OneMatchGivesItsFullPath) {
    Touch("Tarvik_123456_DB.bin");
    EXPECT_EQ(Find(), m_dir.PathOf("Tarvik_123456_DB.bin"));
}

// The order names come in: on Windows it is the file system's own (NTFS yields names in order,
// FAT32 and exFAT, as on a stick, the order of the folder), which Wine cannot show; the test of
// the Windows backend checks that the system's order is kept.
#ifndef _WIN32
TEST_F(ImageLookupTest, SeveralMatchesGiveTheLastInNameOrderWhateverTheCase) {
    Touch("Tarvik_000002_DB.bin");
    Touch("tarvik_000003_db.BIN");
    Touch("TARVIK_000001_DB.BIN");
    EXPECT_EQ(Find(), m_dir.PathOf("tarvik_000003_db.BIN"));
}

// The Windows file system upper-cases whole names before it orders them, "ä" as "Ä" (U+00C4),
// which comes before "Ö" (U+00D6); folding a-z only would leave "ä" (U+00E4) last.
TEST_F(ImageLookupTest, NamesThatDifferInNonAsciiLettersAreOrderedUpperCased) {
    Touch("Tarvik_00000\xC3\xA4_DB.bin");  // ä
    Touch("Tarvik_00000\xC3\x96_DB.bin");  // Ö
    EXPECT_EQ(Find(), m_dir.PathOf("Tarvik_00000\xC3\x96_DB.bin"));
}
#endif

TEST_F(ImageLookupTest, NearMissesDoNotMatch) {
    for (const char* name :
         {"Tarvik_12345_DB.bin", "Tarvik_1234567_DB.bin", "Tarvik_123456_DB.bin~",
          "Tarvik_123456_DB.bin.part", "Tarvik_123456-DB.bin", "arvik_123456_DB.bin"}) {
        Touch(name);
    }
    EXPECT_EQ(Find(), u"");
}

TEST_F(ImageLookupTest, DirectoriesAreSkipped) {
    std::filesystem::create_directory(m_dir.Path() / "Tarvik_999999_DB.bin");
    EXPECT_EQ(Find(), u"");
    Touch("Tarvik_000001_DB.bin");
    EXPECT_EQ(Find(), m_dir.PathOf("Tarvik_000001_DB.bin"));
}

// Found by its name even while it cannot be opened: the open, not the lookup, says so.
TEST_F(ImageLookupTest, AFileThatCannotBeOpenedYetIsStillFound) {
    UNOPENABLE_OR_SKIP(later, m_dir.Path() / "Tarvik_000001_DB.bin");
    EXPECT_EQ(Find(), m_dir.PathOf("Tarvik_000001_DB.bin"));
}

TEST_F(ImageLookupTest, NamesThatAreNotUtf8AreNotTakenForTheImage) {
#ifdef _WIN32
    GTEST_SKIP() << "names on Windows are UTF-16: none can be other than Unicode";
#endif
    Touch("Tarvik_000001_DB.bin");
    Touch(
        "Tarvik_\xE9"
        "00002_DB.bin");  // Latin-1: no UTF-16 path opens it again
    EXPECT_EQ(Find(), m_dir.PathOf("Tarvik_000001_DB.bin"));
}

TEST_F(ImageLookupTest, NamesEqualButForCaseComeInAFixedOrder) {
#ifdef _WIN32
    GTEST_SKIP() << "names equal but for case are one file on Windows";
#endif
    Touch("tarvik_000001_db.bin");
    Touch("TARVIK_000001_DB.BIN");
    EXPECT_EQ(Find(), m_dir.PathOf("tarvik_000001_db.bin"));
}

TEST_F(ImageLookupTest, NothingThereGivesTheEmptyString) {
    EXPECT_EQ(Find(), u"");
    EXPECT_EQ(FindLastMatchingFile(m_dir.PathOf("no-such-dir/") + WidenAscii(kImageFilePattern)),
              u"");
}

// A pattern of 259 characters still searches; one of 260 is refused, as on Windows.
TEST_F(ImageLookupTest, APatternOfTwoHundredSixtyCharactersFindsNothing) {
    std::u16string pattern = WidenAscii(kImageFilePattern);
    for (std::size_t total : {259u, 260u}) {
        std::string padding(total - m_dir.Directory().size() - pattern.size() - 1, 'd');
        std::filesystem::create_directory(m_dir.Path() / padding);
        m_dir.Write(padding + "/Tarvik_123456_DB.bin", {1});
        std::u16string full = m_dir.PathOf(padding) + u"/" + pattern;
        ASSERT_EQ(full.size(), total);
        EXPECT_EQ(FindLastMatchingFile(full).empty(), total == 260u) << total;
    }
}

TEST(ModuleDirectory, IsTheExecutablesDirectoryWithItsSeparator) {
    {
        CScopedExecutablePath pretended(u"/opt/upd/zelvane");
        EXPECT_EQ(GetModuleDirectory(), u"/opt/upd/");
    }
    std::u16string real = GetModuleDirectory();
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real.back(), kPathSeparator);
}

}  // namespace
