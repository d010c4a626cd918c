#include "platform/window/toolkit_backend.h"

HICON LoadResourceIcon(int resourceId) {
    // Shared: the system keeps the icon for the life of the process, as the contract promises.
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                           MAKEINTRESOURCEW(resourceId), IMAGE_ICON, 0, 0,
                                           LR_DEFAULTSIZE | LR_SHARED));
}
