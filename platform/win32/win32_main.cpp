// The process's entry on Win32 (built with -municode): no command line is read.

#include "platform/window/application.h"
#include "platform/window/win_types.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
    return ProgramMain();
}
