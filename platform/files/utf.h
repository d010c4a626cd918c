#pragma once
// Conversions between the program's UTF-16 strings and the UTF-8 names of the Linux file system.

#include <string>

// Invalid UTF-16 (a lone surrogate) becomes U+FFFD.
std::string ToUtf8(const std::u16string& text);
// Invalid UTF-8 becomes U+FFFD, one per bad byte.
std::u16string FromUtf8(const std::string& text);
// Widens 8-bit ASCII text, as the program's fixed patterns are.
std::u16string WidenAscii(const char* text);
