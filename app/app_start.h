#pragma once
// What every program built on the application does before the main dialog runs: make the
// program's icon available, ignore SIGPIPE (a reader of its output that goes away must not end
// it), and without a display (RunsHeadless, platform/window/application.h), report what the
// visible bar shows on standard output.

#include "platform/window/application.h"

// On the user-interface thread, after the toolkit's application object exists.
void PrepareApplication();

// Just before the process ends: lets the report of the visible bar write what it holds, waiting
// at most about a second for a reader that does not keep up. Any thread; does nothing without a
// report.
void FinishApplication();
