// <commctrl.h> needs <windows.h> before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "platform/window/application.h"

void PrepareToolkit(int /*iconResourceId: compiled into the executable, found by LoadImageW*/) {
    // The dialog templates use the common progress bar (msctls_progress32): its window class
    // must be registered before the first dialog is made.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
}

bool RunsHeadless() {
    return false;  // a Windows desktop always has a display
}
