#pragma once
// Ctrl+C, a hang-up or a termination request ends the running main dialog, so that the demo
// leaves as it does when its window closes: its image folder removed. Call once, on the
// user-interface thread, after the application object exists; effective while the dialog runs.
void EndDialogOnTerminationSignals();
