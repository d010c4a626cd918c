#include "platform/sleep_backend.h"

#include <windows.h>

void PauseThread(unsigned milliseconds) {
    ::Sleep(milliseconds);
}
