#pragma once
// The system colours: the toolkit's current colour for each index (COLOR_HIGHLIGHT,
// COLOR_HIGHLIGHTTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE), as 0x00BBGGRR.
//
// Before the toolkit's application object exists (static initialisation), and on threads other
// than the one that owns it, the toolkit cannot be asked; the classic defaults of the system
// are returned then (COLOR_HIGHLIGHT: RGB(0, 120, 215)). Unknown indices give 0.
// Implemented by the toolkit backend: on Qt in platform/qt/sys_color.cpp.

#include "platform/window/win_types.h"

#ifndef _WIN32
COLORREF GetSysColor(int index);
#endif
