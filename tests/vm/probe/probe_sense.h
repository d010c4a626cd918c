#pragma once
// Whether a command the device rejects comes back to the program as the device meant it: sends
// a vendor opcode the firmware does not know on /dev/sgDRIVE through a bare SG_IO call and
// expects CHECK CONDITION with ILLEGAL REQUEST / INVALID COMMAND OPERATION CODE, which reaches
// the host only through the REQUEST SENSE that usb-storage sends after the failed CSW.

#include <string>

// True when the answer is as expected; otherwise `what` says what came back.
bool RejectedCommandCarriesSense(int drive, std::string& what);
