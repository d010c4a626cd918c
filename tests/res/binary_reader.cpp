#include "tests/res/binary_reader.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

Bytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void CBinaryReader::Need(std::size_t count) const {
    if (m_offset + count > m_bytes.size()) {
        throw std::out_of_range("read past the end of the data");
    }
}

std::uint8_t CBinaryReader::U8() {
    Need(1);
    return m_bytes[m_offset++];
}

std::uint16_t CBinaryReader::U16() {
    std::uint16_t low = U8();
    return static_cast<std::uint16_t>(low | (U8() << 8));
}

std::uint32_t CBinaryReader::U32() {
    std::uint32_t low = U16();
    return low | (static_cast<std::uint32_t>(U16()) << 16);
}

std::u16string CBinaryReader::String() {
    std::u16string text;
    for (char16_t c = U16(); c != 0; c = U16()) {
        text += c;
    }
    return text;
}

std::u16string CBinaryReader::StringOrOrdinal() {
    Need(2);
    if (m_bytes[m_offset] == 0xFF && m_bytes[m_offset + 1] == 0xFF) {
        Skip(2);
        std::string number = "#" + std::to_string(U16());
        return std::u16string(number.begin(), number.end());
    }
    return String();
}

void CBinaryReader::AlignTo4() {
    Skip((4 - m_offset % 4) % 4);
}

void CBinaryReader::Skip(std::size_t count) {
    Need(count);
    m_offset += count;
}
