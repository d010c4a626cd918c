#include "tests/res/res_file.h"

#include <algorithm>
#include <stdexcept>

namespace {

std::u16string Ordinal(int number) {
    std::string text = "#" + std::to_string(number);
    return std::u16string(text.begin(), text.end());
}

CDialogItemData DecodeItem(CBinaryReader& reader) {
    reader.AlignTo4();
    CDialogItemData item{};
    reader.U32();  // help id
    item.exStyle = reader.U32();
    item.style = reader.U32();
    item.x = static_cast<std::int16_t>(reader.U16());
    item.y = static_cast<std::int16_t>(reader.U16());
    item.cx = static_cast<std::int16_t>(reader.U16());
    item.cy = static_cast<std::int16_t>(reader.U16());
    item.id = static_cast<std::int32_t>(reader.U32());
    item.windowClass = reader.StringOrOrdinal();
    item.title = reader.StringOrOrdinal();
    reader.Skip(reader.U16());  // creation data
    return item;
}

}  // namespace

std::vector<CResEntry> ReadResFile(const std::string& path) {
    const Bytes bytes = ReadWholeFile(path);
    std::vector<CResEntry> entries;
    std::size_t start = 0;
    while (start < bytes.size()) {
        CBinaryReader reader(bytes, start);
        const std::uint32_t dataSize = reader.U32();
        const std::uint32_t headerSize = reader.U32();
        CResEntry entry;
        entry.type = reader.StringOrOrdinal();
        entry.name = reader.StringOrOrdinal();
        reader.AlignTo4();
        reader.U32();  // data version
        reader.U16();  // memory flags
        entry.language = reader.U16();
        CBinaryReader(bytes, start + headerSize).Skip(dataSize);  // throws when cut short
        auto first = bytes.begin() + static_cast<std::ptrdiff_t>(start + headerSize);
        entry.data.assign(first, first + dataSize);
        if (dataSize != 0 || entry.type != Ordinal(0)) {
            entries.push_back(std::move(entry));
        }
        start += headerSize + dataSize;
        start += (4 - start % 4) % 4;
    }
    return entries;
}

std::optional<CResEntry> FindEntry(const std::vector<CResEntry>& entries, int type, int name) {
    auto found = std::find_if(entries.begin(), entries.end(), [&](const CResEntry& entry) {
        return entry.type == Ordinal(type) && entry.name == Ordinal(name);
    });
    return found == entries.end() ? std::nullopt : std::optional<CResEntry>(*found);
}

CDialogData DecodeDialogEx(const Bytes& data) {
    CBinaryReader reader(data);
    if (reader.U16() != 1 || reader.U16() != 0xFFFF) {
        throw std::runtime_error("not an extended dialog template");
    }
    CDialogData dialog{};
    reader.U32();  // help id
    dialog.exStyle = reader.U32();
    dialog.style = reader.U32();
    const int count = reader.U16();
    dialog.x = static_cast<std::int16_t>(reader.U16());
    dialog.y = static_cast<std::int16_t>(reader.U16());
    dialog.cx = static_cast<std::int16_t>(reader.U16());
    dialog.cy = static_cast<std::int16_t>(reader.U16());
    reader.StringOrOrdinal();  // menu
    reader.StringOrOrdinal();  // window class
    dialog.caption = reader.String();
    dialog.points = reader.U16();
    dialog.weight = reader.U16();
    dialog.italic = reader.U8();
    dialog.charset = reader.U8();
    dialog.face = reader.String();
    for (int i = 0; i < count; ++i) {
        dialog.items.push_back(DecodeItem(reader));
    }
    return dialog;
}

std::u16string StringOfBlock(const Bytes& data, int index) {
    CBinaryReader reader(data);
    for (int i = 0;; ++i) {
        const std::uint16_t length = reader.U16();
        std::u16string text;
        for (int c = 0; c < length; ++c) {
            text += static_cast<char16_t>(reader.U16());
        }
        if (i == index) {
            return text;
        }
    }
}

std::vector<CIconGroupEntry> DecodeIconGroup(const Bytes& data) {
    CBinaryReader reader(data);
    reader.U16();  // reserved
    if (reader.U16() != 1) {
        throw std::runtime_error("not an icon group");
    }
    std::vector<CIconGroupEntry> entries(reader.U16());
    for (CIconGroupEntry& entry : entries) {
        entry.width = reader.U8();
        entry.height = reader.U8();
        entry.colorCount = reader.U8();
        reader.U8();
        entry.planes = reader.U16();
        entry.bitCount = reader.U16();
        entry.bytes = reader.U32();
        entry.iconId = reader.U16();
    }
    return entries;
}

std::u16string VersionString(const Bytes& data, const std::u16string& key) {
    // Each value follows its key's terminating NUL, aligned to four bytes.
    Bytes pattern;
    for (char16_t c : key + u'\0') {
        pattern.push_back(static_cast<std::uint8_t>(c & 0xFF));
        pattern.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    auto found = std::search(data.begin(), data.end(), pattern.begin(), pattern.end());
    if (found == data.end()) {
        return u"";
    }
    CBinaryReader reader(data, static_cast<std::size_t>(found - data.begin()) + pattern.size());
    reader.AlignTo4();
    return reader.String();
}
