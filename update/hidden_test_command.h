#pragma once
// The dialog's hidden test command: reads the first block of the firmware image
// (kFirmwarePlacement) from every device in update mode among drive numbers 0 to 9 and discards it. Drives that a
// worker holds are left alone, so the command never frees a running worker's slot. Runs on the
// calling thread from start to end; reports nothing.
void RunHiddenTestCommand();
