// <commctrl.h> needs <windows.h> before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "platform/window/application.h"

// The icon and the strings are compiled into the executable, found by LoadImageW and LoadStringW.
void PrepareToolkit(int /*iconResourceId*/, const CStringTable& /*strings*/) {
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
