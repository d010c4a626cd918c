#pragma once
// A drive backend that keeps a byte copy of every request block as it arrives, for checking
// the request fields the simulator's log does not keep.

#include <cstring>
#include <vector>

#include "platform/drive_backend.h"

class CCapturingBackend final : public CDriveBackend {
public:
    HANDLE Open(int driveNumber) override {
        openedDrives.push_back(driveNumber);
        return openSucceeds ? reinterpret_cast<HANDLE>(std::intptr_t{0x42}) : INVALID_HANDLE_VALUE;
    }
    bool Send(HANDLE, void* request, std::uint32_t size) override {
        auto* bytes = static_cast<std::uint8_t*>(request);
        requests.emplace_back(bytes, bytes + size);
        return sendSucceeds;
    }
    void Close(HANDLE) override { ++closes; }

    bool openSucceeds = true;
    bool sendSucceeds = true;
    std::vector<int> openedDrives;
    std::vector<std::vector<std::uint8_t>> requests;
    int closes = 0;
};
