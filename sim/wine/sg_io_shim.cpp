// libzelvane-wine-shim.so: loaded with LD_PRELOAD into a program under Wine (Wine's own unix side
// makes the system calls, so this reaches them without touching the Windows program). Every
// ioctl(fd, SG_IO, ...) on a descriptor that points to one of the fake drive nodes in
// $ZELVANE_WINE_DEVICE_DIR goes to the device server (zelvane-wine-device); every other ioctl
// goes on to the system untouched.
//
// Descriptors are recognised by what they point to, the name of the node they were opened by
// (wine_device_wire.h): the wineserver, not this process, opens a drive and hands the descriptor
// over, so there is no open to intercept. A failing command
// comes back as ioctl returning -1 with EIO: Wine turns any SG_IO that returns without error
// into a successful DeviceIoControl, whatever transport status it carries, so a failed call is
// the only transport fault a Windows program under Wine can see.
//
// Each thread keeps its own connection to the server; requests of one thread go one at a time.

#include <dlfcn.h>
#include <limits.h>
#include <scsi/sg.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "platform/scsi_pass_through.h"
#include "sim/wine/wine_device_wire.h"

namespace {
// The sg driver's flag for "sense data returned" in driver_status.
constexpr unsigned short kDriverSense = 0x08;

using IoctlFunction = int (*)(int, unsigned long, ...);

IoctlFunction SystemIoctl() {
    static const auto function = reinterpret_cast<IoctlFunction>(dlsym(RTLD_NEXT, "ioctl"));
    return function;
}

const std::string& DeviceDir() {
    static const std::string dir = [] {
        const char* value = getenv(kWineDeviceDirVariable);
        if (value == nullptr || *value == '\0') {
            return std::string();
        }
        // The kernel names a descriptor's file by its resolved path.
        char resolved[PATH_MAX];
        return std::string(realpath(value, resolved) != nullptr ? resolved : value);
    }();
    return dir;
}

bool NodeBehind(int fd, CWineNodeName& name) {
    if (DeviceDir().empty()) {
        return false;
    }
    char link[64];
    char target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t length = readlink(link, target, sizeof target - 1);
    return length > 0 &&
           ParseWineNodePath(DeviceDir(), std::string(target, static_cast<std::size_t>(length)),
                             name);
}

thread_local int t_connection = -1;

int Connection() {
    if (t_connection >= 0) {
        return t_connection;
    }
    std::string path = WineSocketPath(DeviceDir());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0 || path.size() >= sizeof address.sun_path) {
        return fd < 0 ? -1 : (close(fd), -1);
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return t_connection = fd;
}

void Disconnect() {
    if (t_connection >= 0) {
        close(t_connection);
        t_connection = -1;
    }
}

bool ExchangeOnce(msghdr& send, msghdr& receive) {
    int fd = Connection();
    if (fd < 0 || sendmsg(fd, &send, MSG_NOSIGNAL) < 0 ||
        recvmsg(fd, &receive, 0) < static_cast<ssize_t>(sizeof(CWineSgAnswer))) {
        Disconnect();
        return false;
    }
    return true;
}

// Sends the request (and the data to the device) and receives the answer into `answer` (and the
// data from the device into `data`). A connection kept from before may have gone with a server
// that ended; one new connection is tried then. False when the server cannot be reached.
bool Exchange(const CWineSgRequest& request, void* data, CWineSgAnswer& answer) {
    bool toDevice = request.dataIn == SCSI_IOCTL_DATA_OUT;
    iovec out[2] = {{const_cast<CWineSgRequest*>(&request), sizeof request},
                    {data, toDevice ? request.dataLength : 0}};
    iovec in[2] = {{&answer, sizeof answer}, {data, toDevice ? 0 : request.dataLength}};
    msghdr send{};
    send.msg_iov = out;
    send.msg_iovlen = 2;
    msghdr receive{};
    receive.msg_iov = in;
    receive.msg_iovlen = 2;
    bool kept = t_connection >= 0;
    return ExchangeOnce(send, receive) || (kept && ExchangeOnce(send, receive));
}

bool BuildRequest(const CWineNodeName& node, const sg_io_hdr_t& io, CWineSgRequest& request) {
    if (io.interface_id != 'S' || io.iovec_count != 0 || io.cmdp == nullptr ||
        io.cmd_len > sizeof request.cdb || io.dxfer_len > kWineMaxTransfer) {
        return false;
    }
    request.drive = node.drive;
    request.generation = node.generation;
    std::memcpy(request.cdb, io.cmdp, io.cmd_len);
    request.cdbLength = io.cmd_len;
    request.dataIn =
        io.dxfer_direction == SG_DXFER_TO_DEV ? SCSI_IOCTL_DATA_OUT : SCSI_IOCTL_DATA_IN;
    request.dataLength = io.dxfer_direction == SG_DXFER_NONE ? 0 : io.dxfer_len;
    request.senseRoom = io.sbp == nullptr ? 0 : io.mx_sb_len;
    request.timeoutMs = io.timeout;
    return true;
}

void FillResult(const CWineSgAnswer& answer, sg_io_hdr_t& io) {
    io.status = answer.scsiStatus;
    io.masked_status = static_cast<unsigned char>(answer.scsiStatus >> 1);
    io.msg_status = 0;
    io.host_status = 0;
    io.driver_status = answer.senseLength > 0 ? kDriverSense : 0;
    io.sb_len_wr = answer.senseLength;
    if (answer.senseLength > 0) {
        std::memcpy(io.sbp, answer.sense, answer.senseLength);
    }
    io.resid = static_cast<int>(answer.residual);
    io.duration = 0;
    io.info = answer.scsiStatus != 0 ? SG_INFO_CHECK : SG_INFO_OK;
}

int ServeSgIo(const CWineNodeName& node, sg_io_hdr_t* io) {
    CWineSgRequest request;
    CWineSgAnswer answer;
    if (io == nullptr || !BuildRequest(node, *io, request) ||
        !Exchange(request, io->dxferp, answer) || !answer.succeeded) {
        errno = EIO;
        return -1;
    }
    FillResult(answer, *io);
    return 0;
}
}  // namespace

// The C library's ioctl, as glibc declares it; <sys/ioctl.h> is left out so that its exception
// declaration does not clash with this definition.
extern "C" int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    if (request == SG_IO) {
        CWineNodeName node;
        if (NodeBehind(fd, node)) {
            return ServeSgIo(node, static_cast<sg_io_hdr_t*>(argument));
        }
    }
    return SystemIoctl()(fd, request, argument);
}
