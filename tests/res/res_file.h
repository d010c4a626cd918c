#pragma once
// The entries of a compiled resource file (.res, the resource compiler's output), and decoders
// for the resource kinds the program has.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/res/binary_reader.h"

inline constexpr int kResourceIcon = 3;
inline constexpr int kResourceDialog = 5;
inline constexpr int kResourceStringBlock = 6;
inline constexpr int kResourceIconGroup = 14;
inline constexpr int kResourceVersion = 16;
inline constexpr int kResourceManifest = 24;

struct CResEntry {
    std::u16string type;  // "#<n>" for a numbered type
    std::u16string name;  // "#<n>" for a numbered resource
    std::uint16_t language;
    Bytes data;
};

// Every entry of the .res file at `path`, in file order, without the empty leading one.
std::vector<CResEntry> ReadResFile(const std::string& path);

// The entry of numbered type and name, or nothing.
std::optional<CResEntry> FindEntry(const std::vector<CResEntry>& entries, int type, int name);

struct CDialogItemData {
    std::uint32_t style, exStyle;
    int x, y, cx, cy, id;
    std::u16string windowClass;  // "#<atom>" for a predefined class
    std::u16string title;        // "#<id>" for a resource ordinal
};

struct CDialogData {
    std::uint32_t style, exStyle;
    int x, y, cx, cy;
    std::u16string caption;
    int points, weight, italic, charset;
    std::u16string face;
    std::vector<CDialogItemData> items;
};

// An extended dialog template; throws std::runtime_error when it is not one.
CDialogData DecodeDialogEx(const Bytes& data);

// The string with index `index` (0 to 15) of a string-table block.
std::u16string StringOfBlock(const Bytes& data, int index);

struct CIconGroupEntry {
    int width, height, colorCount, planes, bitCount;
    std::uint32_t bytes;
    int iconId;
};
std::vector<CIconGroupEntry> DecodeIconGroup(const Bytes& data);

// The value of `key` in a version block's string tables, or the empty string.
std::u16string VersionString(const Bytes& data, const std::u16string& key);
