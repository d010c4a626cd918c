#pragma once
// A pretended executable path for tests, benchmarks and the demo, which keep their image in a
// folder of their own: while a CScopedExecutablePath lives, GetExecutablePath answers its path
// on every thread. Implemented in platform/files/executable_path.cpp.

#include <optional>
#include <string>

class CScopedExecutablePath {
public:
    // Puts `path` in place and remembers what it replaces. An empty path pretends that the system
    // cannot tell where the executable is.
    explicit CScopedExecutablePath(const std::u16string& path);
    // Puts the remembered path back. Guards end in the reverse order of their making.
    ~CScopedExecutablePath();
    CScopedExecutablePath(const CScopedExecutablePath&) = delete;
    CScopedExecutablePath& operator=(const CScopedExecutablePath&) = delete;

private:
    std::optional<std::u16string> m_previous;  // empty: the system's answer
};
