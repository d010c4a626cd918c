#pragma once
// What a toolkit backend of the window framework provides: the one list. The layers above are
// written against platform/window/ only; a backend folder implements every item below, and
// platform/CMakeLists.txt picks one as zelvane_platform_window:
//   Qt 6   platform/qt/     library zelvane_window_qt     (Linux)
//   Win32  platform/win32/  library zelvane_window_win32  (the Windows program)
//   none                    library zelvane_window_none   (a Windows build without windows: the
//                           toolkit-neutral core only, for the layers below app/ and their tests)
//
// Classes; each contract is in the header named:
//   CNativeWindow (native_window.h), one per window: Qt CQtWindow over a widget (qt_window.h),
//       Win32 CWin32Window over a real window and its window procedure (win32_window.h).
//   CGdiContext and CGdiBitmap (gdi.h): Qt CQtContext and CQtBitmap over QPainter and QImage
//       (qt_context.h); a Win32 build draws with the system's GDI itself.
//   CDialog's window side (dialog.h): the constructor and destructor, DoModal, EndDialog,
//       SetWindowText, GetWindowText, SetIcon, SetTimer, GetSystemMenu with
//       CSystemMenu::AppendMenu, GetDlgItem, IsWindowVisible, ToolkitWindow, and the default
//       OnSysCommand, OnTimer and OnDestroy: qt_dialog.cpp with qt_dialog_widget.*, and
//       win32_dialog.cpp over the templates compiled into the executable.
//   The process's entry point, main on Qt (qt_main.cpp) and wWinMain on Win32 (win32_main.cpp),
//       in the library zelvane_platform_entry that only the program links: it makes the toolkit
//       ready and runs the program's ProgramMain (application.h) on the user-interface thread.
//
// Functions; their contracts are here:

#include <string>

#include "platform/window/dialog_template.h"
#include "platform/window/win_types.h"

// On the user-interface thread once the toolkit is ready: makes the program's icon available to
// LoadResourceIcon under `iconResourceId` and its strings to LoadResourceString, and tells the
// desktop which program the windows belong to. On Win32 both are compiled into the executable,
// and these arguments only name what is there. (qt_application.cpp, win32_application.cpp)
void PrepareToolkit(int iconResourceId, const CStringTable& strings);

// Whether the program runs without a display (Qt's offscreen platform; never on Win32). Any
// thread.
bool RunsHeadless();

// The program's icon resource `resourceId` at the system's default icon size, or null. On Qt the
// icons the program registered (qt_icons.*); on Win32 the icon group compiled into the
// executable (win32_icons.cpp). The handle stays valid for the life of the process.
HICON LoadResourceIcon(int resourceId);

// The program's string resource `resourceId`, or the empty string when it has none. On Qt the
// strings the program registered (qt_strings.*); on Win32 the string table compiled into the
// executable, read with LoadStringW (win32_strings.cpp).
std::u16string LoadResourceString(int resourceId);

#ifndef _WIN32
// The system colours: the toolkit's current colour for each index (COLOR_HIGHLIGHT,
// COLOR_HIGHLIGHTTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE), as 0x00BBGGRR. Before the
// toolkit's application object exists (static initialisation), and on threads other than the
// one that owns it, the toolkit cannot be asked: the classic defaults of the system are
// returned then (COLOR_HIGHLIGHT: RGB(0, 120, 215)). Unknown indices give 0. (Qt: sys_color.cpp;
// a Win32 build has the system's own.)
COLORREF GetSysColor(int index);
#endif
