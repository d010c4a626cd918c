#pragma once
// What every program built on the application does before the main dialog runs: register the
// program's icon, ignore SIGPIPE (a reader of its output that goes away must not end it), and
// without a display, report what the visible bar shows on standard output.
// On the user-interface thread, after the toolkit's application object exists.
void PrepareApplication();

// Just before the process ends: lets the report of the visible bar write what it holds, waiting
// at most about a second for a reader that does not keep up. Any thread; does nothing without a
// report.
void FinishApplication();

// Whether the program runs without a display (the offscreen platform).
bool RunsHeadless();
