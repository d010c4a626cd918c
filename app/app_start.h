#pragma once
// What every program built on the application does before the main dialog runs: register the
// program's icon, and without a display, report what the visible bar shows on standard output.
// On the user-interface thread, after the toolkit's application object exists.
void PrepareApplication();

// Whether the program runs without a display (the offscreen platform).
bool RunsHeadless();
