#pragma once
// The program's start on the toolkit. The backend owns the process's entry point (main on Qt in
// platform/qt/qt_main.cpp, wWinMain on Win32 in platform/win32/win32_main.cpp, each in the
// library zelvane_platform_entry that only the program links): it makes the toolkit ready and
// then runs ProgramMain on the user-interface thread.

#include "platform/window/dialog_template.h"

// Defined by the program: everything it does from start to end. Returns the exit code, or ends
// the process itself.
int ProgramMain();

// Backend, on the user-interface thread once the toolkit is ready: makes the program's icon
// available to LoadResourceIcon under `iconResourceId` and its strings to LoadResourceString
// (platform/window/dialog.h), and tells the desktop which program the windows belong to. On
// Win32 both are compiled into the executable, and these arguments only name what is there.
void PrepareToolkit(int iconResourceId, const CStringTable& strings);

// Backend: whether the program runs without a display (Qt's offscreen platform). Any thread.
bool RunsHeadless();
