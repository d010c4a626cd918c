#include <windows.h>

#include "platform/window/toolkit_backend.h"

std::u16string LoadResourceString(int resourceId) {
    // With a buffer size of 0, LoadStringW gives a pointer to the text in the executable's
    // string table (not terminated) and its length, so no text is ever cut to a buffer.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(resourceId),
                               reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    return std::u16string(reinterpret_cast<const char16_t*>(text),
                          static_cast<std::size_t>(length));
}
