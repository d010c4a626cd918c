#pragma once
// The server's socket: SOCK_SEQPACKET on WineSocketPath(dir), one datagram per request and one
// per answer (wine_device_wire.h), so a message never arrives in pieces.

#include <string>

#include "sim/wine/wine_device_server.h"

// Listens on the socket of `dir`, replacing a stale one. Returns the descriptor, or -1 with
// `error` set.
int ListenOnWineSocket(const std::string& dir, std::string& error);

// Serves every connection on its own thread until a control line "quit" arrives, which pulls
// every drive first; then ends every connection and returns when no thread uses `server` any
// more.
void ServeWineDevice(int listener, CWineDeviceServer& server);

// Sends one control line to the server of `dir` and waits for its answer. False when the
// server cannot be reached.
bool SendWineControl(const std::string& dir, const std::string& line, std::string& answer);
