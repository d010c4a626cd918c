// zelvane-wine-device: fake drives for Windows programs under Wine, made of the project's
// simulated device model. The program under Wine runs with the shim (libzelvane-wine-shim.so) in
// LD_PRELOAD and ZELVANE_WINE_DEVICE_DIR set to DIR; the shim sends every SG_IO on a drive node
// here. wine_fake_device.sh drives all of this for tests.
//
//   zelvane-wine-device serve DIR DOSDEVICES   serve until "ctl DIR quit"; DOSDEVICES is the
//                                              prefix's dosdevices folder, where drives are linked
//   zelvane-wine-device ctl DIR COMMAND...     one control command (wine_device_control.h);
//                                              prints the answer, exit 0 on "ok", 1 otherwise
//
// Exit 2 on a malformed command line, 3 when the server cannot be reached or cannot listen.

#include <cstdio>
#include <string>

#include "sim/wine/wine_device_server.h"
#include "sim/wine/wine_device_socket.h"

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: zelvane-wine-device serve DIR DOSDEVICES\n"
                 "       zelvane-wine-device ctl DIR COMMAND...\n");
    return 2;
}

int Serve(const std::string& dir, const std::string& dosDevices) {
    std::string error;
    int listener = ListenOnWineSocket(dir, error);
    if (listener < 0) {
        std::fprintf(stderr, "zelvane-wine-device: %s\n", error.c_str());
        return 3;
    }
    CWineDeviceServer server(dir, dosDevices);
    std::printf("ready\n");
    std::fflush(stdout);
    ServeWineDevice(listener, server);
    return 0;
}

int Control(const std::string& dir, int argc, char** argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (i > 0) {
            line += ' ';
        }
        line += argv[i];
    }
    std::string answer;
    if (!SendWineControl(dir, line, answer)) {
        std::fprintf(stderr, "zelvane-wine-device: no server for %s\n", dir.c_str());
        return 3;
    }
    std::printf("%s\n", answer.c_str());
    return answer.rfind("ok", 0) == 0 ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "serve") {
        return Serve(argv[2], argv[3]);
    }
    if (argc >= 4 && std::string(argv[1]) == "ctl") {
        return Control(argv[2], argc - 3, argv + 3);
    }
    return Usage();
}
