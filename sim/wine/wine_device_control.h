#pragma once
// The control language of the device server: one command per line, one answer line back. A test
// plugs and pulls drives, arms the device model's faults, and reads the device memory back:
//
//   plug N update|disk            a new device (empty memory) into drive N: one in update mode,
//                                 or an ordinary disk that answers INQUIRY and rejects the rest
//   replug N                      the device last plugged into N again, its memory kept
//   unplug N                      pull it: the drive's link goes, its open descriptors fail
//   fail-read-backs N B|any T|forever     block read-backs fail as a call (a transport fault)
//   corrupt-read-backs N B|any T|forever  block read-backs return altered data
//   pull-after N C                the device pulls itself after C further commands, once:
//                                 replugged, it stays
//   delay N US                    every command takes US microseconds more
//   dump N FILE BYTES [TARGET BLOCK]      BYTES of memory from BLOCK of TARGET into FILE;
//                                 by default from where the database image goes
//   stats N                       as name=value: plugged=0|1, requests= (every request that
//                                 named drive N), then the counters of the device last plugged
//                                 (inquiries, writes, reads: accepted commands; blocks-written,
//                                 blocks-verified)
//
// Numbers are decimal or 0x-hexadecimal. Commands N other than plug and replug act on the device
// last plugged into N, plugged or not. Answers start with "ok" or "error".

#include <string>

#include "sim/wine/wine_device_server.h"

std::string RunWineControl(CWineDeviceServer& server, const std::string& line);
