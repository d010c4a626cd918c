#pragma once
// The program's start on the toolkit. The backend owns the process's entry point
// (platform/window/toolkit_backend.h): it makes the toolkit ready and then runs ProgramMain on
// the user-interface thread.

#include "platform/window/toolkit_backend.h"

// Defined by the program: everything it does from start to end. Returns the exit code, or ends
// the process itself.
int ProgramMain();
