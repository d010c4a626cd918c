#pragma once
// The program's strings on Qt: registered once at start-up, then found by LoadResourceString
// (platform/window/toolkit_backend.h) as on Windows they are found in the compiled string table.

#include "platform/window/dialog_template.h"

// Registers `strings` in place of any registered before. On the user-interface thread, before
// any dialog asks for one.
void RegisterStrings(const CStringTable& strings);
