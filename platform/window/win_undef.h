#pragma once
// <windows.h> turns the names of its text functions into macros (SendMessage becomes
// SendMessageW). The framework's classes have members with those names (CWnd::SendMessage,
// CDC::DrawText, ...); left as macros they would be renamed in some translation units and not in
// others. They are undefined here, right after <windows.h>, so that the names mean what they say
// everywhere. Code that calls the system's functions themselves uses their W names
// (::SendMessageW, ::DrawTextW), as a Unicode-only program does anyway.
//
// Included by platform/window/win_types.h; only the Windows build sees anything of it.

#ifdef _WIN32
#include <windows.h>

#undef AppendMenu
#undef DefWindowProc
#undef DrawText
#undef ExtTextOut
#undef GetWindowText
#undef SendMessage
#undef SetWindowText
#endif
