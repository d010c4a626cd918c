#include "platform/files/fd_output.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>

void IgnoreBrokenPipes() {
    std::signal(SIGPIPE, SIG_IGN);
}

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

bool WriteAllBytes(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}
