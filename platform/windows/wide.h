#pragma once
// The program's UTF-16 strings as the wide strings of the Win32 calls: on Windows both are
// 16-bit code units of the same text, so this is a copy, not a conversion.

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide strings are UTF-16");

inline std::wstring ToWide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(text, text + length);
}
