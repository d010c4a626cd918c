#pragma once
// Where the running executable lies, and the drive-and-directory part of a path.

#include <string>

// The full path of the running executable (on Linux from /proc/self/exe), or the path a
// CScopedExecutablePath (platform/files/executable_path_override.h) has put in its place. Empty
// when the system cannot tell. Any thread.
std::u16string GetExecutablePath();

// The drive and directory of `path`, up to and including its last "\" or "/": the drive is the
// first two characters when the second is ":", and the directory runs from there. A path with
// no separator gives just its drive (or nothing).
std::u16string DriveAndDirectory(const std::u16string& path);
