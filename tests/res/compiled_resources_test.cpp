// The resources as the mingw resource compiler builds them for the Windows program, taken apart
// again: the dialogs must match the templates the Linux build shows, item by item.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/resource.h"
#include "tests/res/res_file.h"

namespace {

constexpr std::uint16_t kKorean = 0x0412;
constexpr std::uint16_t kEnglishUs = 0x0409;
constexpr std::uint32_t kVisible = 0x10000000;
constexpr std::uint32_t kBorder = 0x00800000;

struct CArchitecture {
    const char* name;  // as the manifest names it
    const char* resFile;
};

const CArchitecture kArchitectures[] = {
    {"x86", ZELVANE_RES_X86},
    {"amd64", ZELVANE_RES_X64},
};

bool HasKey(const Bytes& data, const std::u16string& key) {
    Bytes pattern;
    for (char16_t c : key + u'\0') {
        pattern.push_back(static_cast<std::uint8_t>(c & 0xFF));
        pattern.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return std::search(data.begin(), data.end(), pattern.begin(), pattern.end()) != data.end();
}

std::string Narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

class CompiledResources : public testing::TestWithParam<CArchitecture> {
protected:
    void SetUp() override {
        if (std::string(GetParam().resFile).empty()) {
            GTEST_SKIP() << "SKIPPED: no mingw resource compiler (x86_64-w64-mingw32-windres, "
                            "i686-w64-mingw32-windres) was found when the build was configured";
        }
        m_entries = ReadResFile(GetParam().resFile);
    }

    CResEntry Entry(int type, int name) const {
        auto entry = FindEntry(m_entries, type, name);
        if (!entry) {
            ADD_FAILURE() << "no resource of type " << type << " named " << name;
            return {};
        }
        return *entry;
    }

    std::vector<CResEntry> m_entries;
};

// The whole style of each item, in tab order; the templates say what each item is, these say
// what Windows must be told.
struct CDialogCase {
    const CDialogTemplate& (*linuxTemplate)();
    std::uint32_t style;
    std::uint32_t exStyle;
    std::vector<std::uint32_t> itemStyles;
};

void ExpectItemMatches(const CDialogItem& expected, const CDialogItemData& actual,
                       std::uint32_t style) {
    SCOPED_TRACE("item " + std::to_string(expected.id) + " " + Narrow(expected.text));
    EXPECT_EQ(actual.id, expected.id);
    EXPECT_EQ(actual.x, expected.x);
    EXPECT_EQ(actual.y, expected.y);
    EXPECT_EQ(actual.cx, expected.cx);
    EXPECT_EQ(actual.cy, expected.cy);
    EXPECT_EQ(actual.style, style);
    EXPECT_EQ(actual.exStyle, 0u);
    EXPECT_EQ((actual.style & kVisible) != 0, expected.visible);
    EXPECT_EQ((actual.style & kBorder) != 0, expected.border);
    switch (expected.kind) {
        case DialogItemKind::kPushButton:
        case DialogItemKind::kDefaultPushButton:
            EXPECT_EQ(actual.windowClass, u"#128");
            EXPECT_EQ(actual.title, expected.text);
            break;
        case DialogItemKind::kText:
            EXPECT_EQ(actual.windowClass, u"#130");
            EXPECT_EQ(actual.title, expected.text);
            break;
        case DialogItemKind::kIcon:
            EXPECT_EQ(actual.windowClass, u"#130");
            EXPECT_EQ(Narrow(actual.title), "#" + std::to_string(expected.iconId));
            break;
        case DialogItemKind::kProgress:
            // Window class names are matched without regard to case.
            EXPECT_EQ(actual.windowClass, u"MSCTLS_PROGRESS32");
            EXPECT_EQ(actual.title, expected.text);
            break;
    }
}

TEST_P(CompiledResources, DialogsMatchTheLinuxTemplatesItemByItem) {
    const CDialogCase cases[] = {
        {AboutBoxTemplate, 0x80C800C8, 0, {0x50000003, 0x50020080, 0x50020000, 0x50030001}},
        {MainDialogTemplate,
         0x90C800C8,
         0x00040000,
         {0x40010001, 0x40010000, 0x40010000, 0x50800000, 0x40800000, 0x40800000}},
    };
    for (const CDialogCase& dialogCase : cases) {
        const CDialogTemplate& expected = dialogCase.linuxTemplate();
        SCOPED_TRACE("dialog " + std::to_string(expected.id));
        CResEntry entry = Entry(kResourceDialog, expected.id);
        EXPECT_EQ(entry.language, kKorean);
        CDialogData dialog = DecodeDialogEx(entry.data);
        EXPECT_EQ(dialog.style, dialogCase.style);
        EXPECT_EQ(dialog.exStyle, dialogCase.exStyle);
        EXPECT_EQ(dialog.x, 0);
        EXPECT_EQ(dialog.y, 0);
        EXPECT_EQ(dialog.cx, expected.cx);
        EXPECT_EQ(dialog.cy, expected.cy);
        EXPECT_EQ(dialog.caption, expected.caption);
        EXPECT_EQ(dialog.points, expected.fontPoints);
        EXPECT_EQ(dialog.weight, 400);
        EXPECT_EQ(dialog.italic, 0);
        EXPECT_EQ(dialog.charset, 1);
        EXPECT_EQ(dialog.face, u"MS Shell Dlg");
        ASSERT_EQ(dialog.items.size(), expected.items.size());
        ASSERT_EQ(dialogCase.itemStyles.size(), expected.items.size());
        for (std::size_t i = 0; i < expected.items.size(); ++i) {
            ExpectItemMatches(expected.items[i], dialog.items[i], dialogCase.itemStyles[i]);
        }
    }
}

TEST_P(CompiledResources, AboutMenuStringIsTheOnlyString) {
    // String 101 lives in block 101 / 16 + 1 at index 101 % 16.
    CResEntry block = Entry(kResourceStringBlock, IDS_ABOUTBOX / 16 + 1);
    EXPECT_EQ(block.language, kKorean);
    EXPECT_EQ(StringOfBlock(block.data, IDS_ABOUTBOX % 16), u"&About Zelvane...");
    ASSERT_EQ(StringTable().size(), 1u);
    EXPECT_EQ(StringOfBlock(block.data, IDS_ABOUTBOX % 16), StringTable().at(0).second);
    int blocks = 0;
    for (const CResEntry& entry : m_entries) {
        blocks += entry.type == u"#6";
    }
    EXPECT_EQ(blocks, 1);
}

TEST_P(CompiledResources, IconGroupHasNineImagesThatExist) {
    CResEntry group = Entry(kResourceIconGroup, IDR_MAINFRAME);
    EXPECT_EQ(group.language, kKorean);
    std::vector<CIconGroupEntry> images = DecodeIconGroup(group.data);
    ASSERT_EQ(images.size(), 9u);
    std::vector<std::pair<int, int>> seen;
    for (const CIconGroupEntry& image : images) {
        EXPECT_EQ(image.width, image.height);
        EXPECT_EQ(image.planes, 1);
        seen.emplace_back(image.width, image.bitCount);
        CResEntry icon = Entry(kResourceIcon, image.iconId);
        EXPECT_EQ(icon.language, kKorean);
        EXPECT_EQ(icon.data.size(), image.bytes);
        CBinaryReader header(icon.data);
        EXPECT_EQ(header.U32(), 40u) << "a BITMAPINFOHEADER";
        EXPECT_EQ(static_cast<int>(header.U32()), image.width);
        EXPECT_EQ(static_cast<int>(header.U32()), 2 * image.height) << "colour image and mask";
        header.U16();
        EXPECT_EQ(header.U16(), image.bitCount);
    }
    std::sort(seen.begin(), seen.end());
    const std::vector<std::pair<int, int>> expected = {
        {16, 4}, {16, 8}, {16, 24}, {32, 4}, {32, 8}, {32, 24}, {48, 4}, {48, 8}, {48, 24}};
    EXPECT_EQ(seen, expected);
}

TEST_P(CompiledResources, VersionBlockNamesTheProgram) {
    CResEntry version = Entry(kResourceVersion, 1);
    EXPECT_EQ(version.language, kKorean);
    const Bytes& data = version.data;
    Bytes signature = {0xBD, 0x04, 0xEF, 0xFE};
    auto found = std::search(data.begin(), data.end(), signature.begin(), signature.end());
    ASSERT_NE(found, data.end()) << "no fixed file information";
    CBinaryReader fixed(data, static_cast<std::size_t>(found - data.begin()) + 8);
    EXPECT_EQ(fixed.U32(), 0x00010000u) << "file version 1.0";
    EXPECT_EQ(fixed.U32(), 0x00000001u) << "file version .0.1";
    EXPECT_EQ(fixed.U32(), 0x00010000u) << "product version 1.0";
    EXPECT_EQ(fixed.U32(), 0x00000001u) << "product version .0.1";
    fixed.Skip(8);                 // flag mask, flags
    EXPECT_EQ(fixed.U32(), 0x4u);  // 32-bit Windows
    EXPECT_EQ(fixed.U32(), 0x1u);  // an application
    EXPECT_TRUE(HasKey(data, u"040904e4")) << "the string table of US English, code page 1252";
    EXPECT_EQ(VersionString(data, u"InternalName"), u"Zelvane.exe");
    EXPECT_EQ(VersionString(data, u"OriginalFilename"), u"Zelvane.exe");
    EXPECT_EQ(VersionString(data, u"FileVersion"), u"1.0.0.1");
    EXPECT_EQ(VersionString(data, u"ProductVersion"), u"1.0.0.1");
    for (const char16_t* key :
         {u"CompanyName", u"FileDescription", u"ProductName", u"LegalCopyright"}) {
        EXPECT_NE(VersionString(data, key), u"") << Narrow(key);
    }
    Bytes translation = {'T', 0, 'r', 0, 'a', 0, 'n', 0, 's', 0, 'l', 0,
                         'a', 0, 't', 0, 'i', 0, 'o', 0, 'n', 0, 0,   0};
    found = std::search(data.begin(), data.end(), translation.begin(), translation.end());
    ASSERT_NE(found, data.end());
    CBinaryReader value(data, static_cast<std::size_t>(found - data.begin()) + translation.size());
    value.AlignTo4();
    EXPECT_EQ(value.U16(), 0x0409);
    EXPECT_EQ(value.U16(), 1252);
}

TEST_P(CompiledResources, ManifestAsksForAdministratorAndCommonControls6) {
    CResEntry manifest = Entry(kResourceManifest, 1);
    EXPECT_EQ(manifest.language, kEnglishUs);
    const std::string text(manifest.data.begin(), manifest.data.end());
    const std::string arch = std::string("processorArchitecture=\"") + GetParam().name + "\"";
    EXPECT_NE(text.find("<assemblyIdentity version=\"1.0.0.0\" " + arch +
                        " name=\"IsUserAdmin\" type=\"win32\"/>"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" " + arch),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("language=\"*\""), std::string::npos);
    EXPECT_NE(text.find("<requestedExecutionLevel level=\"requireAdministrator\" "
                        "uiAccess=\"false\"/>"),
              std::string::npos)
        << text;
}

INSTANTIATE_TEST_SUITE_P(BothArchitectures, CompiledResources, testing::ValuesIn(kArchitectures),
                         [](const testing::TestParamInfo<CArchitecture>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
