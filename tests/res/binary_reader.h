#pragma once
// Little-endian reads from a byte buffer, for the tests that take compiled resources and icon
// files apart. Every read is bounds-checked and throws std::out_of_range past the end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The whole file at `path`; throws std::runtime_error when it cannot be read.
Bytes ReadWholeFile(const std::string& path);

class CBinaryReader {
public:
    explicit CBinaryReader(const Bytes& bytes, std::size_t offset = 0)
        : m_bytes(bytes), m_offset(offset) {}

    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    // A NUL-terminated UTF-16 string.
    std::u16string String();
    // A string or, after 0xFFFF, an ordinal (returned as the string "#<number>").
    std::u16string StringOrOrdinal();
    void AlignTo4();
    void Skip(std::size_t count);
    std::size_t Offset() const { return m_offset; }

private:
    void Need(std::size_t count) const;

    const Bytes& m_bytes;
    std::size_t m_offset;
};
