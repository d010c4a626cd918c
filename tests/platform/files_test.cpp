#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/files/binary_file.h"
#include "platform/files/executable_path.h"
#include "platform/files/executable_path_override.h"
#include "platform/files/file_find.h"
#include "platform/files/utf.h"
#include "tools/kit/temp_dir.h"

namespace {

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

// Bytes read ahead before the file was cut still come out of Read; what tells the cut is the
// length, and that the file is no longer exactly what was read.
TEST_F(BinaryFileTest, ACutFileIsNoLongerWhatWasRead) {
    std::u16string path = m_dir.Write("image.bin", std::vector<unsigned char>(8192, 0x33));
    ASSERT_TRUE(m_file.Open(path));
    unsigned char buffer[1024];
    ASSERT_EQ(m_file.Read(buffer, 1024), 1024u);  // the whole file is read ahead now
    std::filesystem::resize_file(m_dir.Path() / "image.bin", 1024);
    EXPECT_TRUE(m_file.IsExactlyWhatWasRead());
    std::filesystem::resize_file(m_dir.Path() / "image.bin", 500);
    EXPECT_EQ(m_file.GetLength(), 500u);
    EXPECT_FALSE(m_file.IsExactlyWhatWasRead());
}

// Exactly: as long as what was handed out, and the same bytes. The time stamps play no part.
TEST_F(BinaryFileTest, TellsWhetherTheFileIsExactlyWhatWasRead) {
    std::u16string path = m_dir.Write("image.bin", {1, 2, 3, 4});
    ASSERT_TRUE(m_file.Open(path));
    unsigned char buffer[4];
    ASSERT_EQ(m_file.Read(buffer, 3), 3u);
    EXPECT_FALSE(m_file.IsExactlyWhatWasRead());  // a byte not handed out yet
    ASSERT_EQ(m_file.Read(buffer + 3, 1), 1u);
    EXPECT_TRUE(m_file.IsExactlyWhatWasRead());
    m_dir.Write("image.bin", {1, 2, 3, 4, 9, 9});  // grown since
    EXPECT_FALSE(m_file.IsExactlyWhatWasRead());
    m_dir.Write("image.bin", {1, 7, 3, 4});  // a byte already handed out changed
    EXPECT_FALSE(m_file.IsExactlyWhatWasRead());
    m_dir.Write("image.bin", {1, 2, 3, 4});  // written back: the read bytes are the file again
    EXPECT_TRUE(m_file.IsExactlyWhatWasRead());
    m_file.Close();
    EXPECT_FALSE(m_file.IsExactlyWhatWasRead());
}

TEST_F(BinaryFileTest, OthersMayWriteWhileItIsOpen) {
    std::u16string path = m_dir.Write("grow.bin", {1, 2});
    ASSERT_TRUE(m_file.Open(path));
    m_dir.Write("grow.bin", {1, 2, 3, 4, 5});
    EXPECT_EQ(m_file.GetLength(), 5u);
}

}  // namespace
