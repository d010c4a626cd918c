#include "sim/wine/wine_device_socket.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "sim/wine/wine_device_control.h"

namespace {
constexpr std::size_t kLargestRequest = sizeof(CWineSgRequest) + kWineMaxTransfer;
constexpr std::size_t kLargestAnswer = sizeof(CWineSgAnswer) + kWineMaxTransfer;
constexpr std::size_t kLargestControl = 4096;

bool Address(const std::string& dir, sockaddr_un& address) {
    std::string path = WineSocketPath(dir);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void Reply(int connection, const void* bytes, std::size_t size) {
    while (::send(connection, bytes, size, MSG_NOSIGNAL) < 0 && errno == EINTR) {
    }
}

void AnswerSgIo(int connection, CWineDeviceServer& server, const std::uint8_t* message,
                std::size_t size, std::vector<std::uint8_t>& out) {
    CWineSgRequest request;
    std::memcpy(&request, message, sizeof request);
    bool toDevice = request.dataIn == SCSI_IOCTL_DATA_OUT;
    std::size_t expected = sizeof request + (toDevice ? request.dataLength : 0);
    CWineSgAnswer answer;
    std::vector<std::uint8_t> data;
    if (size == expected && request.dataLength <= kWineMaxTransfer) {
        data.assign(message + sizeof request,
                    message + sizeof request + (toDevice ? request.dataLength : 0));
        data.resize(request.dataLength);
        answer = server.Execute(request, data.data());
    }
    std::size_t back = toDevice || !answer.succeeded ? 0 : data.size();
    out.resize(sizeof answer + back);
    std::memcpy(out.data(), &answer, sizeof answer);
    std::copy_n(data.begin(), back, out.begin() + sizeof answer);
    Reply(connection, out.data(), out.size());
}

// True when the line was "quit".
bool AnswerControl(int connection, CWineDeviceServer& server, const std::uint8_t* message,
                   std::size_t size) {
    std::string line(reinterpret_cast<const char*>(message) + sizeof(WineMessageKind),
                     size - sizeof(WineMessageKind));
    bool quit = line == "quit";
    if (quit) {
        server.UnplugAll();
    }
    std::string answer = quit ? "ok" : RunWineControl(server, line);
    Reply(connection, answer.data(), answer.size());
    return quit;
}

// Runs until the peer closes or the serving loop shuts the connection down; the loop closes it.
void ServeConnection(int connection, int listener, CWineDeviceServer& server) {
    std::vector<std::uint8_t> message(kLargestRequest);
    std::vector<std::uint8_t> out;
    out.reserve(kLargestAnswer);
    for (;;) {
        ssize_t size = ::recv(connection, message.data(), message.size(), 0);
        if (size < 0 && errno == EINTR) {
            continue;
        }
        if (size < static_cast<ssize_t>(sizeof(WineMessageKind))) {
            break;
        }
        WineMessageKind kind;
        std::memcpy(&kind, message.data(), sizeof kind);
        auto length = static_cast<std::size_t>(size);
        if (kind == WineMessageKind::kSgIo && length >= sizeof(CWineSgRequest)) {
            AnswerSgIo(connection, server, message.data(), length, out);
        } else if (kind == WineMessageKind::kControl && length <= kLargestControl) {
            if (AnswerControl(connection, server, message.data(), length)) {
                // Wakes the accept loop, which then returns.
                ::shutdown(listener, SHUT_RDWR);
            }
        } else {
            break;
        }
    }
}
}  // namespace

int ListenOnWineSocket(const std::string& dir, std::string& error) {
    sockaddr_un address;
    if (!Address(dir, address)) {
        error = "socket path too long: " + WineSocketPath(dir);
        return -1;
    }
    int listener = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    ::unlink(address.sun_path);
    if (listener < 0 ||
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 64) != 0) {
        error = "cannot listen on " + WineSocketPath(dir) + ": " + std::strerror(errno);
        if (listener >= 0) {
            ::close(listener);
        }
        return -1;
    }
    return listener;
}

void ServeWineDevice(int listener, CWineDeviceServer& server) {
    std::vector<int> connections;
    std::vector<std::thread> threads;
    for (;;) {
        int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            connections.push_back(connection);
            threads.emplace_back(ServeConnection, connection, listener, std::ref(server));
        } else if (errno != EINTR && errno != ECONNABORTED) {
            break;
        }
    }
    // Shims keep their connections open; waking their threads lets them end.
    for (int connection : connections) {
        ::shutdown(connection, SHUT_RDWR);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int connection : connections) {
        ::close(connection);
    }
}

bool SendWineControl(const std::string& dir, const std::string& line, std::string& answer) {
    sockaddr_un address;
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0 || !Address(dir, address) ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    std::vector<char> message(sizeof(WineMessageKind) + line.size());
    WineMessageKind kind = WineMessageKind::kControl;
    std::memcpy(message.data(), &kind, sizeof kind);
    std::memcpy(message.data() + sizeof kind, line.data(), line.size());
    std::vector<char> reply(kLargestControl);
    bool sent = ::send(fd, message.data(), message.size(), MSG_NOSIGNAL) ==
                static_cast<ssize_t>(message.size());
    ssize_t size = sent ? ::recv(fd, reply.data(), reply.size(), 0) : -1;
    ::close(fd);
    if (size < 0) {
        return false;
    }
    answer.assign(reply.data(), static_cast<std::size_t>(size));
    return true;
}
