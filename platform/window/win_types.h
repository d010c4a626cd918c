#pragma once
// The basic types, constants and helpers of the window system's programming interface, so that
// the user-interface code reads the same on every toolkit. A Win32 build takes them from
// <windows.h> and defines none of them here; everywhere else they are defined here with the same
// names, widths and values.

#include <cstdint>

#ifdef _WIN32
#include <windows.h>

#include "platform/window/win_undef.h"

// The system's wide text is wchar_t, 16-bit UTF-16 code units like char16_t.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline const wchar_t* SystemText(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* SystemText(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}
#else

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using INT = int;
using UINT = unsigned int;
using BOOL = int;
using COLORREF = DWORD;  // 0x00BBGGRR
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
// An icon the toolkit backend made (LoadResourceIcon, platform/window/toolkit_backend.h).
struct CIconResource;
using HICON = const CIconResource*;

#ifndef TRUE
inline constexpr BOOL TRUE = 1;
#endif
#ifndef FALSE
inline constexpr BOOL FALSE = 0;
#endif

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) {
    return static_cast<BYTE>(c & 0xFF);
}
constexpr BYTE GetGValue(COLORREF c) {
    return static_cast<BYTE>((c >> 8) & 0xFF);
}
constexpr BYTE GetBValue(COLORREF c) {
    return static_cast<BYTE>((c >> 16) & 0xFF);
}

constexpr WORD LOWORD(std::uintptr_t v) {
    return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t v) {
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

// Window messages.
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_GETTEXT = 0x000D;
inline constexpr UINT WM_GETTEXTLENGTH = 0x000E;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_ERASEBKGND = 0x0014;

inline constexpr UINT SIZE_RESTORED = 0;

// RedrawWindow flags.
inline constexpr UINT RDW_INVALIDATE = 0x0001;
inline constexpr UINT RDW_ERASE = 0x0004;
inline constexpr UINT RDW_UPDATENOW = 0x0100;

// DrawTextW formats (DT_LEFT and DT_TOP are the zero defaults).
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_VCENTER = 0x0004;
inline constexpr UINT DT_BOTTOM = 0x0008;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_NOCLIP = 0x0100;
inline constexpr UINT DT_NOPREFIX = 0x0800;

// ExtTextOutW options.
inline constexpr UINT ETO_OPAQUE = 0x0002;
inline constexpr UINT ETO_CLIPPED = 0x0004;

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Raster operation of a plain copy.
inline constexpr DWORD SRCCOPY = 0x00CC0020;

// Results of the region and clip-box calls.
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;

// The text type the functions here take: UTF-16, as everywhere in the user interface.
inline const char16_t* SystemText(const char16_t* text) {
    return text;
}
inline char16_t* SystemText(char16_t* text) {
    return text;
}

// System colour indices.
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;

#endif
