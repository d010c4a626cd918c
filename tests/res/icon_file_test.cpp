// The program icon generated for the Windows program, read back as Windows reads an .ico: nine
// BMP images with their masks.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/res/binary_reader.h"

namespace {

struct CIconEntry {
    int width, height, colorCount, planes, bitCount;
    std::uint32_t bytes, offset;
};

int RowBytes(int width, int bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

class GeneratedIcon : public testing::Test {
protected:
    void SetUp() override {
        if (std::string(ZELVANE_ICO).empty()) {
            GTEST_SKIP() << "SKIPPED: python3 was not found when the build was configured, so "
                            "the icon was not generated";
        }
        m_file = ReadWholeFile(ZELVANE_ICO);
        CBinaryReader reader(m_file);
        EXPECT_EQ(reader.U16(), 0);
        EXPECT_EQ(reader.U16(), 1) << "an icon, not a cursor";
        m_entries.resize(reader.U16());
        for (CIconEntry& entry : m_entries) {
            entry.width = reader.U8();
            entry.height = reader.U8();
            entry.colorCount = reader.U8();
            reader.U8();
            entry.planes = reader.U16();
            entry.bitCount = reader.U16();
            entry.bytes = reader.U32();
            entry.offset = reader.U32();
        }
    }

    Bytes m_file;
    std::vector<CIconEntry> m_entries;
};

TEST_F(GeneratedIcon, HasNineImagesAtThreeSizesAndThreeDepths) {
    const std::vector<std::pair<int, int>> expected = {
        {48, 4}, {48, 8}, {48, 24}, {32, 4}, {32, 8}, {32, 24}, {16, 4}, {16, 8}, {16, 24}};
    ASSERT_EQ(m_entries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(m_entries[i].width, expected[i].first);
        EXPECT_EQ(m_entries[i].height, expected[i].first);
        EXPECT_EQ(m_entries[i].bitCount, expected[i].second);
        EXPECT_EQ(m_entries[i].planes, 1);
        EXPECT_EQ(m_entries[i].colorCount, expected[i].second == 4 ? 16 : 0);
    }
}

TEST_F(GeneratedIcon, EachImageIsABitmapWithPaletteColoursAndMask) {
    for (const CIconEntry& entry : m_entries) {
        SCOPED_TRACE(std::to_string(entry.width) + " px, " + std::to_string(entry.bitCount) +
                     " bits");
        ASSERT_LE(entry.offset + entry.bytes, m_file.size());
        CBinaryReader header(m_file, entry.offset);
        EXPECT_EQ(header.U32(), 40u);
        EXPECT_EQ(static_cast<int>(header.U32()), entry.width);
        EXPECT_EQ(static_cast<int>(header.U32()), 2 * entry.height);
        EXPECT_EQ(header.U16(), 1);
        EXPECT_EQ(header.U16(), entry.bitCount);
        EXPECT_EQ(header.U32(), 0u) << "uncompressed";
        const int colourBytes = RowBytes(entry.width, entry.bitCount) * entry.height;
        const int maskBytes = RowBytes(entry.width, 1) * entry.height;
        EXPECT_EQ(header.U32(), static_cast<std::uint32_t>(colourBytes + maskBytes));
        const int paletteBytes = entry.bitCount <= 8 ? 4 * (1 << entry.bitCount) : 0;
        EXPECT_EQ(entry.bytes,
                  static_cast<std::uint32_t>(40 + paletteBytes + colourBytes + maskBytes));
    }
}

TEST_F(GeneratedIcon, SixteenColourImagesUseTheStandardPalette) {
    const std::uint32_t standard[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                        0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                        0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (const CIconEntry& entry : m_entries) {
        if (entry.bitCount != 4) {
            continue;
        }
        CBinaryReader palette(m_file, entry.offset + 40);
        for (std::uint32_t rgb : standard) {
            // Stored blue, green, red, reserved: as a little-endian number 0x00RRGGBB.
            EXPECT_EQ(palette.U32(), rgb);
        }
    }
}

// The sources are drawn on a transparent square: the corners must be see-through (mask set,
// colour black so that the image can be drawn over anything), the middle solid.
TEST_F(GeneratedIcon, CornersAreTransparentAndTheMiddleIsSolid) {
    for (const CIconEntry& entry : m_entries) {
        SCOPED_TRACE(std::to_string(entry.width) + " px, " + std::to_string(entry.bitCount) +
                     " bits");
        const int paletteBytes = entry.bitCount <= 8 ? 4 * (1 << entry.bitCount) : 0;
        const std::size_t colour = entry.offset + 40 + paletteBytes;
        const std::size_t mask = colour + RowBytes(entry.width, entry.bitCount) * entry.height;
        const int maskRow = RowBytes(entry.width, 1);
        auto transparent = [&](int x, int y) {  // y counted from the bottom row
            return (m_file[mask + y * maskRow + x / 8] >> (7 - x % 8)) & 1;
        };
        const int last = entry.width - 1;
        EXPECT_TRUE(transparent(0, 0) && transparent(last, 0) && transparent(0, last) &&
                    transparent(last, last));
        EXPECT_FALSE(transparent(entry.width / 2, entry.height / 2));
        if (entry.bitCount == 24) {
            EXPECT_EQ(m_file[colour] | m_file[colour + 1] | m_file[colour + 2], 0)
                << "a transparent pixel is black";
        }
    }
}

}  // namespace
