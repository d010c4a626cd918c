#pragma once
// Writing a report to a file descriptor that may be a terminal, a file, or a pipe whose reader is
// slow or gone. A reader that goes away must end what is written, not the program.
// No state of its own; any thread. Implemented with the other system calls of the files layer
// (platform/files/system_files.h), in platform/posix/system_files.cpp and platform/windows/.

#include <cstddef>

inline constexpr int kStandardOutputFd = 1;

// Makes the whole process ignore SIGPIPE where the system has it, so that a write to a pipe or
// socket whose reader has gone fails with an error instead of ending the program (on Windows
// such a write fails anyway). Idempotent.
void IgnoreBrokenPipes();

// Whether `fd` is open on a terminal.
bool IsTerminal(int fd);

// Writes all `size` bytes at `data` to `fd`, retrying after interruptions and short writes.
// Blocks while a pipe is full. False when a write fails (reader gone, descriptor closed or not
// writable); an unknown part may have been written then.
bool WriteAllBytes(int fd, const char* data, std::size_t size);
