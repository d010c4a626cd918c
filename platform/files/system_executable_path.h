#pragma once
// The system's answer to "where is the running executable", beneath GetExecutablePath
// (platform/files/executable_path.h), which lets a test's path stand in for it. One
// implementation per system: platform/posix/, platform/windows/.

#include <string>

// The full path of the running executable, or empty when the system cannot tell (also when the
// path does not fit the system's limit: a cut path would name another file). Any thread.
std::u16string SystemExecutablePath();
