#pragma once
// Where the running executable lies, and the drive-and-directory part of a path.

#include <string>

// The full path of the running executable (on Linux from /proc/self/exe), or the path set with
// OverrideExecutablePath. Empty when the system cannot tell.
std::u16string GetExecutablePath();

// Makes GetExecutablePath answer `path` for every thread until it is called with an empty
// string. For tests and the demo, which keep their image in a folder of their own.
void OverrideExecutablePath(const std::u16string& path);

// The drive and directory of `path`, up to and including its last "\" or "/": the drive is the
// first two characters when the second is ":", and the directory runs from there. A path with
// no separator gives just its drive (or nothing).
std::u16string DriveAndDirectory(const std::u16string& path);
